// The Direct3D back end: draws a camera's frame on the context's 3D device, one pre-transformed
// triangle per polygon record, with the render states each record needs. Kind 104, which draws
// nothing, has a table of no-ops of its own (engine/render/backend.h).
#pragma once
#include <cstdint>

struct Camera;
struct DrawingContext;
struct Offscreen;
struct RenderBackend;
struct Texture;

// Puts the camera's background on the viewport (with the background flag), restores lost
// surfaces and clears the viewport: colour, depth and stencil with clearAll, else depth only.
int32_t wre_D3DFrameBegin(Camera* camera, uint8_t background, uint8_t clearAll);
// Clears the viewport's depth. -1000 on a null camera, -1 when the clear fails.
int32_t wre_D3DDepthClear(Camera* camera);
// Draws the opaque, colour-keyed and translucent queues. 0, or -1 when a render state or a draw
// call fails.
int32_t wre_D3DPolygonsDraw(Camera* camera);
// The device's scene brackets, as the frame steps call them.
int32_t wre_D3DSceneBegin(Camera* camera);
int32_t wre_D3DSceneEnd(Camera* camera);
// Steps that do nothing and succeed.
int32_t wre_DepthClearNoOp(Camera* camera);
int32_t wre_BackgroundClearNoOp(Camera* camera);

// A colour of four components in 0..255 (rounded, each clamped to 0..255) packed alpha << 24 |
// red << 16 | green << 8 | blue.
uint32_t wre_D3DPackColour(float red, float green, float blue, float alpha);

// The Direct3D kind's table of operations (renderer kind 103).
const RenderBackend& wre_D3DBackend();

// Makes the texture's surface (and staging copy, palette and mip levels) on the context's device;
// 0, -1 without a device or when a step fails, or the fill's failure. A failed upload keeps no
// surfaces.
int32_t wre_D3DTextureUpload(Texture* texture, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                             Offscreen* const* mipOffscreens);
// Releases the texture's surfaces and palette; 0.
int32_t wre_D3DTextureRelease(Texture* texture);
