// What the hardware back ends need of a texture a polygon names: its Direct3D handle and surface
// state, and its OpenGL name. The texture module installs the entries; an entry left null answers
// as a texture without a renderer copy (handle 0, name 0, never lost).
#pragma once
#include <cstdint>

struct HwTextureLookup {
  // The Direct3D texture handle, 0 when none.
  uint32_t (*d3dHandle)(int32_t texture);
  // True when the texture's Direct3D surface has been lost.
  bool (*surfaceLost)(int32_t texture);
  // Restores a lost surface and loads its pixels again; 0 when the texture can be drawn.
  int32_t (*surfaceRestore)(int32_t texture);
  // The OpenGL texture name, 0 when none.
  uint32_t (*glName)(int32_t texture);
};

// Installs the entries (null: none).
void wre_HwTextureInstall(const HwTextureLookup* lookup);

uint32_t wre_HwTextureD3DHandle(int32_t texture);
bool wre_HwTextureSurfaceLost(int32_t texture);
int32_t wre_HwTextureSurfaceRestore(int32_t texture);
uint32_t wre_HwTextureGLName(int32_t texture);
