// Test hooks of the 3D device (platform/plat_d3d.h): its render-state log, scripted failures and offered
// texture formats.
//
// Test-only: platform/test/plat_d3d.h holds what only tests use of platform/plat_d3d.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include <vector>

#include "platform/plat_d3d.h"

struct PlatD3DStateChange {
  uint32_t state;
  uint32_t value;
};
const std::vector<PlatD3DStateChange>& plat_TestD3DStateLog(const PlatD3DDevice* device);
// Makes the next count calls of the given render state fail.
void plat_TestD3DFailState(uint32_t state, int32_t count);
void plat_TestD3DFailCreate(bool device, bool viewport, bool material);
int32_t plat_TestD3DLiveObjects();  // 3D objects created and not yet released
// The texture formats devices offer, in the order given (null: the stand-in's own list of 555, 565,
// 1555, 4444, 8888 and 8-bit palette formats).
void plat_TestD3DSetTextureFormats(const PlatPixelFormat* formats, int32_t count);
// Refuse texture surfaces in video memory, with mip levels, or all of them.
void plat_TestD3DFailTextures(bool videoMemory, bool mipLevels, bool all);
