// Test hooks of the 3D device's drawing (platform/plat_d3d_draw.h): the log of scenes, clears and triangles,
// and the OpenGL state sends.
//
// Test-only: platform/test/plat_d3d_draw.h holds what only tests use of platform/plat_d3d_draw.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include <vector>

#include "platform/plat_d3d_draw.h"

enum PlatD3DDrawEventKind : int32_t {
  kD3DEventBeginScene = 1,
  kD3DEventEndScene = 2,
  kD3DEventClear = 3,
  kD3DEventTriangle = 4,
};
struct PlatD3DDrawEvent {
  PlatD3DDrawEventKind kind;
  size_t stateLogSize;  // the render-state log's length when the event happened
  uint32_t flags;       // draw or clear flags
  PlatEdgeRect rect;        // clear
  PlatD3DTLVertex vertices[3];  // triangle
};
const std::vector<PlatD3DDrawEvent>& plat_TestD3DDrawLog(const PlatD3DDevice* device);
void plat_TestD3DDrawLogClear(const PlatD3DDevice* device);
// Draw with OpenGL on the test back end as well (the real back end always does).
void plat_TestD3DDrawWithGl(bool on);
// How many times each OpenGL state group was sent since the device began drawing.
struct PlatD3DGlSends {
  int32_t blend;
  int32_t alpha;
  int32_t depth;
  int32_t shade;
  int32_t texture;
  int32_t wrap;
  int32_t textureBlend;
};
PlatD3DGlSends plat_TestD3DGlSends(const PlatD3DDevice* device);
// The OpenGL textures the drawing holds, over all devices: a texture's is kept while its handle
// lives, so a count that only grows is a leak.
int32_t plat_TestD3DGlTexturesAlive();
