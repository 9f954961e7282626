// Platform layer: drawing on the 3D device.
//
// Scenes, viewport clears and pre-transformed triangles, drawn with fixed-function OpenGL into a
// framebuffer of the render target's size; the end of a scene copies the finished picture into the
// render target surface, so the display's flip shows it like any other frame. The device's render
// states are mirrored and sent to OpenGL only when they change.
//
// The test back end records instead: every scene, clear and triangle is logged (in step with the
// device's render-state log) and nothing needs OpenGL, unless a test asks for real drawing too.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/plat_d3d.h"

// A pre-transformed, lit vertex: screen position with reciprocal w, diffuse and specular colours
// packed alpha << 24 | red << 16 | green << 8 | blue, one texture coordinate pair.
struct PlatD3DTLVertex {
  float x;
  float y;
  float z;
  float rhw;
  uint32_t diffuse;
  uint32_t specular;
  float u;
  float v;
};
static_assert(sizeof(PlatD3DTLVertex) == 32, "the vertex format is 32 bytes");

enum : uint32_t {
  kD3DVertexFormatTL = 0x1C4,  // position with rhw, diffuse, specular, one texture pair
  kD3DPrimitiveTriangleList = 4,
  kD3DDrawWait = 0x1,
  kD3DDrawDoNotClip = 0x4,
  kD3DDrawDoNotUpdateExtents = 0x8,
  kD3DClearTarget = 0x1,
  kD3DClearZBuffer = 0x2,
  kD3DClearStencil = 0x4,
};

// Values of the render states the drawing reads.
enum : uint32_t {
  kD3DShadeFlat = 1,
  kD3DShadeGouraud = 2,
  kD3DAddressWrap = 1,
  kD3DAddressClamp = 3,
  kD3DBlendZero = 1,
  kD3DBlendOne = 2,
  kD3DBlendSrcAlpha = 5,
  kD3DBlendInvSrcAlpha = 6,
  kD3DTextureBlendModulate = 2,
  kD3DTextureBlendModulateAlpha = 4,
  kD3DCompareLessEqual = 4,
  kD3DCompareGreater = 5,
  kD3DCullNone = 1,
  kD3DCullClockwise = 2,
  kD3DCullCounterClockwise = 3,
  kD3DFilterNearest = 1,
  kD3DFilterLinear = 2,
};

int32_t plat_D3DDeviceBeginScene(PlatD3DDevice* device);
// Ends the scene and copies the picture into the render target. 0, or -1 outside a scene.
int32_t plat_D3DDeviceEndScene(PlatD3DDevice* device);
// The material (by handle, 0: none) whose diffuse colour fills the viewport on a target clear.
int32_t plat_D3DViewportSetBackground(PlatD3DViewport* viewport, uint32_t materialHandle);
// Clears the rectangles (left, top, right, bottom in render-target pixels) to the background
// colour and/or the far depth. 0, or -1 without a device or rectangles.
int32_t plat_D3DViewportClear(PlatD3DViewport* viewport, int32_t count, const PlatEdgeRect* rects, uint32_t flags);
// Draws count / 3 triangles with the current render states. 0, or -1 (outside a scene, a primitive
// or vertex format not supported, a lost render target).
int32_t plat_D3DDeviceDrawPrimitive(PlatD3DDevice* device, uint32_t primitive, uint32_t vertexFormat,
                                    const PlatD3DTLVertex* vertices, int32_t count, uint32_t flags);

// Where the drawing finds a texture handle's pixels (tests put their own images in place of the
// device's texture surfaces). A handle it does not know is drawn untextured.
struct PlatD3DTextureImage {
  const void* pixels;  // rows top first
  int32_t width;
  int32_t height;
  int32_t pitch;
  PlatPixelFormat format;  // 8 bits with a palette, or 16 or 32 with channel masks (an alpha mask: alpha)
  uint32_t revision;       // changes whenever the pixels change
  const PlatPaletteEntry* palette;  // 256 entries for 8-bit pixels
};
using PlatD3DTextureSource = bool (*)(const PlatD3DDevice* device, uint32_t handle, PlatD3DTextureImage* image);
// Null: the device's own texture surfaces, by the handles they were given.
void plat_D3DSetTextureSource(PlatD3DTextureSource source);

// Platform internal: the device calls these on release and on every render-state set, and the
// drawing reads the device's parts through the others.
void plat_D3DDrawDeviceGone(const PlatD3DDevice* device);
// The device's handle of a texture is gone (the texture released, or given a handle for another
// device): the OpenGL copy drawn from it goes at once, or every upload would leave one behind.
void plat_D3DDrawTextureGone(const PlatD3DDevice* device, uint32_t handle);
void plat_D3DDrawStateChanged(const PlatD3DDevice* device, uint32_t state, uint32_t value);
PlatSurface* plat_D3DDeviceTarget(const PlatD3DDevice* device);
PlatD3DViewport* plat_D3DDeviceCurrentViewport(const PlatD3DDevice* device);
PlatD3DDevice* plat_D3DViewportDevice(const PlatD3DViewport* viewport);
uint32_t plat_D3DViewportBackground(const PlatD3DViewport* viewport);
void plat_D3DViewportSetBackgroundHandle(PlatD3DViewport* viewport, uint32_t handle);
bool plat_D3DMaterialDiffuse(uint32_t handle, float diffuse[4]);
bool plat_D3DTextureImageOf(const PlatD3DTexture* texture, PlatD3DTextureImage* image);
