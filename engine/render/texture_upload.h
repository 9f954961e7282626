// The renderer copies of textures: the software kind keeps a 555 copy of the pixels, OpenGL loads
// them into the texture name, Direct3D makes a surface (with a staging copy in system memory).
#pragma once
#include <cstdint>

struct DrawingContext;
struct Offscreen;
struct Texture;

// Makes the copy for the context's renderer kind; 0, -1 for a kind that takes no textures, or the
// upload's failure (a failed Direct3D upload keeps no surfaces).
int32_t wre_RendererTextureUpload(Texture* texture, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                                  Offscreen* const* mipOffscreens);
// Gives back the copy of the texture's context's kind; 0 or the release's failure.
int32_t wre_RendererTextureRelease(Texture* texture);
