// What the hardware back ends need of a texture a polygon names: its flag byte, its Direct3D
// handle and surface state, and its OpenGL name. By default they come from the texture table
// (through the index map); an installed entry takes the place of the table's answer.
#pragma once
#include <cstdint>

struct HwTextureLookup {
  uint8_t (*flags)(int32_t texture);
  // The Direct3D texture handle, 0 when none.
  uint32_t (*d3dHandle)(int32_t texture);
  // True when the texture's Direct3D surface has been lost.
  bool (*surfaceLost)(int32_t texture);
  // Restores a lost surface and loads its pixels again; 0 when the texture can be drawn.
  int32_t (*surfaceRestore)(int32_t texture);
  // The OpenGL texture name, 0 when none.
  uint32_t (*glName)(int32_t texture);
};

// Installs the entries (null: the texture table answers everything).
void wre_HwTextureInstall(const HwTextureLookup* lookup);

uint8_t wre_HwTextureFlags(int32_t texture);
uint32_t wre_HwTextureD3DHandle(int32_t texture);
bool wre_HwTextureSurfaceLost(int32_t texture);
int32_t wre_HwTextureSurfaceRestore(int32_t texture);
uint32_t wre_HwTextureGLName(int32_t texture);
