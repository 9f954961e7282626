// Platform layer: the 3D device of a display driver, drawing through OpenGL.
//
// It keeps the render states, viewports and materials the engine sets, numbered as the engine's
// 3D interface numbers them; every state change is logged so tests can read the sequence back.
#pragma once
#include <cstdint>
#include <vector>

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

// Test back end.
struct PlatD3DStateChange {
  uint32_t state;
  uint32_t value;
};
const std::vector<PlatD3DStateChange>& plat_TestD3DStateLog(const PlatD3DDevice* device);
// Makes the next count calls of the given render state fail.
void plat_TestD3DFailState(uint32_t state, int32_t count);
void plat_TestD3DFailCreate(bool device, bool viewport, bool material);
int32_t plat_TestD3DLiveObjects();  // 3D objects created and not yet released
