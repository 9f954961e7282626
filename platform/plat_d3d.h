// Platform layer: the 3D device of a display driver, drawing through OpenGL.
//
// It keeps the render states, viewports and materials the engine sets, numbered as the engine's
// 3D interface numbers them; every state change is logged so tests can read the sequence back.
#pragma once
#include <cstdint>

#include "platform/plat_display.h"

// Render states.
enum : uint32_t {
  kD3DStateTextureHandle = 1,
  kD3DStateAntialias = 2,
  kD3DStateTextureAddress = 3,
  kD3DStateTexturePerspective = 4,
  kD3DStateZEnable = 7,
  kD3DStateShadeMode = 9,
  kD3DStateZWriteEnable = 14,
  kD3DStateAlphaTestEnable = 15,
  kD3DStateTextureMag = 17,
  kD3DStateTextureMin = 18,
  kD3DStateSrcBlend = 19,
  kD3DStateDestBlend = 20,
  kD3DStateTextureMapBlend = 21,
  kD3DStateCullMode = 22,
  kD3DStateZFunc = 23,
  kD3DStateAlphaRef = 24,
  kD3DStateAlphaFunc = 25,
  kD3DStateDitherEnable = 26,
  kD3DStateAlphaBlendEnable = 27,
  kD3DStateSpecularEnable = 29,
  kD3DStateEdgeAntialias = 40,
};

struct PlatD3D;
struct PlatD3DDevice;
struct PlatD3DViewport;
struct PlatD3DMaterial;

// The 3D interface of a display; null when its driver offers none.
PlatD3D* plat_D3DCreate(PlatDisplay* display);
void plat_D3DRelease(PlatD3D* d3d);
// Finds the hardware device with the given GUID; fills its description. 0 or -1.
int32_t plat_D3DFindDevice(PlatD3D* d3d, const PlatGuid* deviceGuid, PlatDeviceDesc* hardware);
// Finds the driver's hardware device; fills its GUID and description. 0 or -1.
int32_t plat_D3DFindHardwareDevice(PlatD3D* d3d, PlatGuid* deviceGuid, PlatDeviceDesc* hardware);
// Calls back with each z-buffer format until the callback returns 0. 0, or -1 without formats.
using PlatZFormatCallback = int32_t (*)(const PlatPixelFormat* format, void* context);
int32_t plat_D3DEnumZBufferFormats(PlatD3D* d3d, PlatZFormatCallback callback, void* context);

PlatD3DDevice* plat_D3DCreateDevice(PlatD3D* d3d, const PlatGuid* deviceGuid, PlatSurface* renderTarget);
void plat_D3DDeviceRelease(PlatD3DDevice* device);
int32_t plat_D3DDeviceSetRenderState(PlatD3DDevice* device, uint32_t state, uint32_t value);
uint32_t plat_D3DDeviceGetRenderState(const PlatD3DDevice* device, uint32_t state);

struct PlatD3DViewportData {
  int32_t x;
  int32_t y;
  int32_t width;
  int32_t height;
  float clipX;
  float clipY;
  float clipWidth;
  float clipHeight;
  float minZ;
  float maxZ;
};

PlatD3DViewport* plat_D3DCreateViewport(PlatD3D* d3d);
void plat_D3DViewportRelease(PlatD3DViewport* viewport);
int32_t plat_D3DDeviceAddViewport(PlatD3DDevice* device, PlatD3DViewport* viewport);
int32_t plat_D3DViewportSet(PlatD3DViewport* viewport, const PlatD3DViewportData* data);
int32_t plat_D3DDeviceSetCurrentViewport(PlatD3DDevice* device, PlatD3DViewport* viewport);
bool plat_D3DViewportGet(const PlatD3DViewport* viewport, PlatD3DViewportData* data);

// Materials: a diffuse colour (0..1 per channel) with a handle the device knows it by.
PlatD3DMaterial* plat_D3DCreateMaterial(PlatD3D* d3d);
void plat_D3DMaterialRelease(PlatD3DMaterial* material);
int32_t plat_D3DMaterialSet(PlatD3DMaterial* material, const float diffuse[4], int32_t rampSize);
int32_t plat_D3DMaterialGetHandle(PlatD3DMaterial* material, PlatD3DDevice* device, uint32_t* handle);

// Texture surfaces: an image the device draws from, with an optional chain of smaller mip levels,
// in video or in system memory. A texture in video memory is filled by loading it from a staging
// texture in system memory.

// Surface description flags (which fields of the description are set).
enum : uint32_t {
  kPlatSurfaceDescCaps = 0x1,
  kPlatSurfaceDescHeight = 0x2,
  kPlatSurfaceDescWidth = 0x4,
  kPlatSurfaceDescPixelFormat = 0x1000,
  kPlatSurfaceDescMipCount = 0x20000,
};

// Capability bits of texture surfaces beyond those of plat_display.h.
enum : uint32_t {
  kPlatCapsMipmap = 0x400000,
  kPlatCapsAllocOnLoad = 0x4000000,
};

// Palette creation flags: 8-bit entries, all 256 of them settable.
enum : uint32_t {
  kPlatPalette8Bit = 0x4,
  kPlatPaletteAllow256 = 0x40,
};

struct PlatSurfaceDesc {
  uint32_t flags;
  int32_t width;
  int32_t height;
  uint32_t caps;
  int32_t mipCount;  // levels including the top one, with kPlatSurfaceDescMipCount
  PlatPixelFormat format;
};

struct PlatPaletteEntry {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t flags;
};

struct PlatD3DTexture;
struct PlatD3DPalette;

// Calls back with each texture format the device draws from, while the callback returns 1.
// 0, or -1 without a device or callback.
using PlatTextureFormatCallback = int32_t (*)(const PlatPixelFormat* format, void* context);
int32_t plat_D3DDeviceEnumTextureFormats(PlatD3DDevice* device, PlatTextureFormatCallback callback, void* context);

// A texture of the description's size and pixel format; with kPlatCapsMipmap and a mip count the
// levels below it are made too, each half the size of the one above (at least 1). Null on failure.
PlatD3DTexture* plat_D3DTextureCreate(PlatDisplay* display, const PlatSurfaceDesc* desc);
void plat_D3DTextureAddRef(PlatD3DTexture* texture);
// Drops one reference; the last one frees the texture with its mip levels.
void plat_D3DTextureRelease(PlatD3DTexture* texture);
void plat_D3DTextureDescribe(const PlatD3DTexture* texture, PlatSurfaceDesc* desc);
// The next smaller mip level (it belongs to the texture: no reference is added), or null.
PlatD3DTexture* plat_D3DTextureGetAttached(PlatD3DTexture* texture, uint32_t caps);
int32_t plat_D3DTextureLock(PlatD3DTexture* texture, void** pixels, int32_t* pitch);
int32_t plat_D3DTextureUnlock(PlatD3DTexture* texture);
int32_t plat_D3DTextureRestore(PlatD3DTexture* texture);
int32_t plat_D3DTextureSetPalette(PlatD3DTexture* texture, PlatD3DPalette* palette);
PlatD3DPalette* plat_D3DTextureGetPalette(const PlatD3DTexture* texture);
// Copies every level of the source into the destination (same sizes and format, else -1).
int32_t plat_D3DTextureLoad(PlatD3DTexture* destination, PlatD3DTexture* source);
// The number the device knows the texture by (never 0); the same texture keeps its number.
int32_t plat_D3DTextureGetHandle(PlatD3DTexture* texture, PlatD3DDevice* device, uint32_t* handle);
PlatD3DTexture* plat_D3DDeviceTextureFromHandle(const PlatD3DDevice* device, uint32_t handle);

PlatD3DPalette* plat_D3DPaletteCreate(PlatDisplay* display, uint32_t flags, const PlatPaletteEntry entries[256]);
void plat_D3DPaletteAddRef(PlatD3DPalette* palette);
void plat_D3DPaletteRelease(PlatD3DPalette* palette);
bool plat_D3DPaletteGetEntries(const PlatD3DPalette* palette, PlatPaletteEntry entries[256]);
