#include "engine/render/hw_texture.h"

#include "engine/data/texture.h"
#include "platform/plat_d3d.h"

namespace {

HwTextureLookup gLookup{};

const Texture* TableTexture(int32_t texture) {
  if (texture < 0 || !gTextureModuleStarted || !gTextureTable) return nullptr;
  return wre_TextureGet(texture);
}

}  // namespace

void wre_HwTextureInstall(const HwTextureLookup* lookup) { gLookup = lookup ? *lookup : HwTextureLookup{}; }

uint8_t wre_HwTextureFlags(int32_t texture) {
  if (gLookup.flags) return gLookup.flags(texture);
  const Texture* t = TableTexture(texture);
  return t ? t->flags : 0;
}

uint32_t wre_HwTextureD3DHandle(int32_t texture) {
  if (gLookup.d3dHandle) return gLookup.d3dHandle(texture);
  const Texture* t = TableTexture(texture);
  return t ? t->d3dHandle : 0;
}

// The device's texture surfaces are memory that is never taken away, so the table's textures are
// never lost.
bool wre_HwTextureSurfaceLost(int32_t texture) { return gLookup.surfaceLost && gLookup.surfaceLost(texture); }

int32_t wre_HwTextureSurfaceRestore(int32_t texture) {
  if (gLookup.surfaceRestore) return gLookup.surfaceRestore(texture);
  const Texture* t = TableTexture(texture);
  return t && plat_D3DTextureRestore(t->surface) == kPlatDisplayOk ? 0 : -1;
}

uint32_t wre_HwTextureGLName(int32_t texture) {
  if (gLookup.glName) return gLookup.glName(texture);
  const Texture* t = TableTexture(texture);
  return t ? t->glName : 0;
}
