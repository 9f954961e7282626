// Texture image files: a BMP in the current data folder made into a texture, brought to a requested
// depth, given alpha from a colour key or from a companion opacity image, and optionally joined by
// numbered mip-level images ("<file>_01" .. "<file>_16", the file's extension included).
#pragma once
#include <cstdint>

#include "engine/data/colour.h"

struct DrawingContext;

enum : int32_t {
  kTextureFileErrDepth = -22002,  // a depth request other than 0, 16, 24 or 32
};

constexpr int32_t kTextureMipLevels = 16;

// The name of mip level n (1..16) of a file: "<file>_0n" below 10, "<file>_n" from 10.
void wre_TextureMipName(const char* file, int32_t level, char* out, int32_t outSize);

// The full load; the slot handle comes back through outHandle. spare1 and spare2 are not used.
// A failure past the argument checks notes the file it lies in (wre_FileNoteFailed): the picture,
// its opacity picture or one of their mip levels.
// With keyFlag set and no colour record the key is magenta (255, 0, 255).
int32_t wre_TextureLoadFile(const char* file, int32_t keyFlag, const ColourRecord* keyColour, int32_t spare1,
                            int32_t spare2, DrawingContext* context, int32_t* outHandle, int32_t createFlags,
                            int32_t p1, int32_t p2, int32_t p3, int32_t p4, int32_t depth, const char* opacityFile,
                            int32_t mipFlag);
int32_t wre_TextureLoadEx(const char* file, int32_t keyFlag, const ColourRecord* keyColour, int32_t spare1,
                          int32_t spare2, DrawingContext* context, int32_t* outHandle, int32_t depth,
                          const char* opacityFile);
int32_t wre_TextureLoadEffect(const char* file, int32_t keyFlag, const ColourRecord* keyColour, int32_t spare1,
                              int32_t spare2, DrawingContext* context, int32_t* outHandle, int32_t createFlags,
                              int32_t p1, int32_t p2, int32_t p3, int32_t p4);
int32_t wre_TextureLoadKeyed(const char* file, int32_t keyFlag, const ColourRecord* keyColour, int32_t spare1,
                             int32_t spare2, DrawingContext* context, int32_t* outHandle);
int32_t wre_TextureLoadWithOpacity(const char* file, DrawingContext* context, int32_t* outHandle, int32_t depth,
                                   const char* opacityFile);
int32_t wre_TextureLoad(const char* file, DrawingContext* context, int32_t* outHandle);
// Releases the in-use texture loaded from that file name (any letter case): -1 when none, else 0.
int32_t wre_TextureUnloadByFile(const char* file);
