// The OpenGL back end: draws a camera's frame in immediate mode on the context's OpenGL context.
// Vertices arrive as viewport pixels, so each frame sets up matrices that map pixels to the
// viewport.
#pragma once
#include <cstdint>

struct Camera;
struct DrawingContext;
struct Offscreen;
struct RenderBackend;
struct Texture;

// Clears (colour and depth with `clear`, else depth only) and sets the viewport and matrices.
int32_t wre_GLFrameBegin(Camera* camera, DrawingContext* context, uint8_t clear);
// Clears colour and depth; the colour is red, green, blue, alpha.
int32_t wre_GLFrameClear(DrawingContext* context, const float* colour);
int32_t wre_GLDepthClear();
int32_t wre_GLDepthTestSet(Camera* camera, DrawingContext* context, uint8_t on);
// Draws the opaque queue, then the colour-keyed queue, then the translucent queue (blended the
// way the colour-keyed one is).
int32_t wre_GLPolygonsDraw(Camera* camera, DrawingContext* context);
int32_t wre_GLFramePresent(Camera* camera, DrawingContext* context);

// The OpenGL kind's table of operations (renderer kind 101).
const RenderBackend& wre_GLBackend();

// Loads the texture's pixels, as RGBA bytes, into the texture's own name, filtered linearly when the
// context asks for it; 0, kTextureErrGLCopy, or the conversion's failure.
int32_t wre_GLTextureUpload(Texture* texture, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                            Offscreen* const* mipOffscreens);
