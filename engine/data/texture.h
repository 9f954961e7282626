// Textures: one fixed table of images that polygons name by handle. A texture is made from an
// offscreen for one drawing context and keeps that renderer's own copy of the pixels: 1555 texels
// for the software renderer, an OpenGL texture object, or Direct3D texture surfaces. Textures with
// a water ripple sit on the animated list, which the game steps once per frame.
#pragma once
#include <cstdint>

#include "engine/data/offscreen.h"
#include "platform/plat_d3d.h"

struct DrawingContext;
struct Ripple;

enum : int32_t {
  kTextureErrHandle = -30000,         // handle outside the table
  kTextureErrNotInUse = -30001,       // release of a slot not in use
  kTextureErrInUse = -30002,          // creation into a slot in use
  kTextureErrFillDepth = -30005,      // Direct3D fill: source depth it cannot step over
  kTextureErrNotStarted = -30010,     // table not started
  kTextureErrFormat = -30020,         // depth or 16-bit layout without a format code
  kTextureErrOffscreenKind = -30025,  // upload from an offscreen that is not of kind 100
  kTextureErrAnimatedLinked = -30030,
  kTextureErrAnimatedNotLinked = -30031,
  kTextureErrMipAttached = -30040,    // Direct3D mip level: no attached surface
  kTextureErrMipLock = -30041,
  kTextureErrMipUnlock = -30042,
  kTextureErrTableFull = -40021,
  kTextureErrSize = -40030,           // width or height not a power of two from 1 to 1024
  kTextureErrConvertDepth = -22002,   // Direct3D conversion: source depth it cannot read
  kTextureErrGLCopy = -22010,         // OpenGL: no memory for the RGBA copy
};

// Create flags.
enum : int32_t {
  kTextureCreateRipple = 0x01,      // attach the water ripple
  kTextureCreateFlag0 = 0x02,       // copied into flag bit 0
  kTextureCreateRecordOnly = 0x04,  // no image, no upload, no size checks
};

// Flag byte.
enum : uint8_t {
  kTextureFlag0 = 0x01,
  kTextureVideoMemory = 0x02,  // the Direct3D texture surface lies in video memory
  kTextureInUse = 0x04,
  kTextureHasAlpha = 0x08,     // the offscreen carries a colour key or alpha
  kTextureTranslucent = 0x10,  // alpha with more than one level (4444 or 32 bits)
  kTextureAnimated = 0x20,     // on the animated list
};

// Pixel classes of an offscreen (wre_TexturePixelClass).
enum : int32_t {
  kTexturePixel4 = 100,
  kTexturePixel8 = 101,
  kTexturePixel555 = 102,
  kTexturePixel1555 = 103,  // 555 with a colour key
  kTexturePixel565 = 104,
  kTexturePixel4444 = 105,
  kTexturePixel24 = 106,
  kTexturePixel32 = 107,
  kTexturePixel32Alpha = 108,
  kTexturePixelNone = 109,
};

// Format codes recorded at upload: one bit per layout, plus the keyed bit.
enum : int32_t {
  kTextureCode8Distinct = 16,
  kTextureCode8 = 32,
  kTextureCode555 = 64,
  kTextureCode565 = 128,
  kTextureCode4444 = 256,
  kTextureCode24 = 512,
  kTextureCode32 = 1024,
  kTextureCodeKeyed = 0x40000000,
};

constexpr int32_t kTextureFileSize = 256;
constexpr int32_t kTextureIdentSize = 32;

struct Texture {
  int32_t pixelClass;
  int32_t createFlags;
  char file[kTextureFileSize];
  char ident[kTextureIdentSize];
  int32_t handle;
  uint32_t glName;  // handle + 1: OpenGL's name 0 is its default texture and is never used
  DrawingContext* context;
  int32_t width;
  int32_t height;
  uint8_t shiftX;  // 8 - log2(width), 0 for 256 and above
  uint8_t shiftY;
  int32_t maskX;   // width - 1, 255 for 256 and above
  int32_t maskY;
  uint8_t log2X;   // log2(width), 8 for 256 and above
  uint8_t log2Y;
  Offscreen* offscreen;  // software: the converted copy the texture owns; Direct3D: the source at upload
  uint8_t* pixels;       // software: the copy's texels
  Ripple* ripple;
  PlatSurfaceDesc surfaceDesc;  // Direct3D: the description, whose format is the chosen texture format
  PlatD3DTexture* surface;
  PlatD3DTexture* staging;
  PlatD3DPalette* palette;
  uint32_t d3dHandle;
  int32_t depth;
  int32_t formatCode;
  Texture* animatedPrev;
  Texture* animatedNext;
  uint8_t flags;
};

extern Texture* gTextureTable;
extern int32_t* gTextureIndexMap;
extern int32_t gTextureCount;
extern uint8_t gTextureModuleStarted;
extern Texture* gAnimatedTextures;

int32_t wre_TextureTableInit(int32_t count);
void wre_TextureTableFree();
int32_t wre_TextureFindFree(int32_t* out);

// Makes a texture in the lowest free slot; 0 or an error.
int32_t wre_TextureCreate(Offscreen* offscreen, DrawingContext* context, int32_t createFlags, const char* fileName);
int32_t wre_TextureCreateEx(Offscreen* offscreen, DrawingContext* context, int32_t createFlags, const char* fileName,
                            const char* ident, int32_t p1, int32_t p2, int32_t p3, int32_t p4);
// The full creation into the given slot; the ripple parameters p1..p4 go to wre_RippleNew. A
// failure leaves the slot free.
int32_t wre_TextureDefine(int32_t handle, Offscreen* offscreen, DrawingContext* context, int32_t createFlags,
                          const char* fileName, const char* ident, int32_t p1, int32_t p2, int32_t p3, int32_t p4,
                          int32_t mipCount, Offscreen* const* mipOffscreens);
int32_t wre_TextureRelease(int32_t handle);
int32_t wre_TextureReleaseAll();

// How a texture reaches the renderer of its drawing context: installed by the engine's start-up from
// the back end of each renderer kind.
struct TextureRendererHooks {
  // Makes the renderer's copy for the context; 0, or the upload's failure (-1 for a kind that takes
  // no textures).
  int32_t (*upload)(Texture* texture, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                    Offscreen* const* mipOffscreens);
  // Gives the renderer's copy back; 0 or the release's failure.
  int32_t (*release)(Texture* texture);
};
void wre_TextureSetRendererHooks(const TextureRendererHooks& hooks);

// The renderer copy, by the context's renderer kind; -1 when no upload is installed.
int32_t wre_TextureUpload(Texture* texture, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                          Offscreen* const* mipOffscreens);
int32_t wre_TextureUnload(int32_t handle);
// A drawing context going away: every texture made for it gives back its renderer copy and forgets
// the context (the texture stays registered; a later upload makes a new copy).
void wre_TextureForgetContext(const DrawingContext* context);
int32_t wre_TextureReupload(Texture* texture, Offscreen* offscreen, DrawingContext* context);

// k when n is 2^k for k from 0 to 10, else -1.
int32_t wre_TextureSizeLog2(int32_t n);
// Palette entry index of an 8-bit offscreen as red, green, blue, alpha, read in the layout of the
// offscreen's palette flags.
PlatPaletteEntry wre_TexturePaletteEntry(const Offscreen* o, int32_t index);

// Lowest in-use handle whose name equals the text ignoring case; -1 when none.
int32_t wre_TextureFindByFile(const char* name);
int32_t wre_TextureFindByIdent(const char* ident);
Texture* wre_TextureGetByIdent(const char* ident);
// The record the handle reaches through the index map, null for a handle outside the table.
Texture* wre_TextureGet(int32_t handle);

// Null stores " "; longer texts are cut to the field less one character.
int32_t wre_TextureSetFileName(int32_t handle, const char* name);
int32_t wre_TextureSetIdent(Texture* texture, const char* ident);

// Steps every animated texture in list order; the first non-zero result ends the round.
int32_t wre_TextureAnimateAll(int32_t value);
int32_t wre_TextureAnimatedAdd(Texture* texture);
int32_t wre_TextureAnimatedRemove(Texture* texture);

// Both coordinates of a pair times 1/255, in place.
void wre_UVScaleFrom255(float* uv);

int32_t wre_TexturePixelClass(const Offscreen* offscreen);
int32_t wre_TextureCheckSize(int32_t size);
void wre_TextureComputeShifts(Texture* texture);
int32_t wre_TextureSetFormat(Texture* texture, const Offscreen* offscreen);
int32_t wre_TextureSetFormatD3D(Texture* texture, const PlatPixelFormat* format);

// Direct3D format choice, called once per offered format with the texture; always asks for more.
int32_t wre_TextureFormatCallback(const PlatPixelFormat* format, void* texture);

// Direct3D fill: writes the offscreen into a locked surface of its size in the texture's chosen
// format, source rows from the last upwards. 0 or an error.
int32_t wre_TextureFillSurface(Texture* texture, const Offscreen* offscreen, uint8_t* surface, int32_t pitch,
                               int32_t surfaceWidth, int32_t surfaceHeight);

void wre_TextureSetPixelClass(Texture* texture, int32_t pixelClass);
int32_t wre_TextureSetCreateFlags(Texture* texture, int32_t createFlags);
void wre_TextureSetSize(Texture* texture, int32_t width, int32_t height);
bool wre_TextureInUse(int32_t handle);
void wre_TextureSetFlag0(Texture* texture, bool on);
void wre_TextureSetVideoMemory(Texture* texture, bool on);
bool wre_TextureInVideoMemory(const Texture* texture);
void wre_TextureSetAnimated(Texture* texture, bool on);
int32_t wre_TextureMapIndex(int32_t handle, int32_t recordIndex);

// True when the polygon is drawn unlit: its texture is colour-keyed (flag bit 3) or its material's
// opacity is below gColourMax.
struct ObjectPolygon;
bool wre_PolygonDrawnUnlit(const ObjectPolygon* polygon);
