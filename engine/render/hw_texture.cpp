#include "engine/render/hw_texture.h"

namespace {
HwTextureLookup gLookup{};
}  // namespace

void wre_HwTextureInstall(const HwTextureLookup* lookup) { gLookup = lookup ? *lookup : HwTextureLookup{}; }

uint32_t wre_HwTextureD3DHandle(int32_t texture) { return gLookup.d3dHandle ? gLookup.d3dHandle(texture) : 0; }

bool wre_HwTextureSurfaceLost(int32_t texture) { return gLookup.surfaceLost && gLookup.surfaceLost(texture); }

int32_t wre_HwTextureSurfaceRestore(int32_t texture) {
  return gLookup.surfaceRestore ? gLookup.surfaceRestore(texture) : -1;
}

uint32_t wre_HwTextureGLName(int32_t texture) { return gLookup.glName ? gLookup.glName(texture) : 0; }
