// The Direct3D kind's copy of a texture: a surface in the format the device offers that fits the
// image best, in video memory when it can be (loaded from a staging copy in system memory), with
// its palette and mip levels.
#include <cstring>

#include "engine/core/wre_types.h"
#include "engine/data/offscreen.h"
#include "engine/data/texture.h"
#include "engine/render/context.h"
#include "engine/render/d3d_backend.h"
#include "platform/plat_d3d.h"

namespace {

constexpr uint32_t kTextureDescFlags =
    kPlatSurfaceDescCaps | kPlatSurfaceDescHeight | kPlatSurfaceDescWidth | kPlatSurfaceDescPixelFormat;
constexpr uint32_t kTextureVideoCaps = uint32_t{kPlatCapsTexture} | kPlatCapsVideoMemory | kPlatCapsAllocOnLoad;
constexpr uint32_t kTextureMipCaps = uint32_t{kPlatCapsMipmap} | kPlatCapsComplex;
constexpr uint32_t kTextureSystemCaps = uint32_t{kPlatCapsTexture} | kPlatCapsSystemMemory;

void ReleaseSurfaces(Texture* t) {
  plat_D3DTextureRelease(t->staging);
  plat_D3DTextureRelease(t->surface);
  plat_D3DPaletteRelease(t->palette);
  t->staging = nullptr;
  t->surface = nullptr;
  t->palette = nullptr;
  t->d3dHandle = 0;
}

PlatD3DTexture* CreateTextureSurface(PlatDisplay* display, PlatSurfaceDesc* desc, int32_t* levels, Texture* t) {
  PlatD3DTexture* surface = plat_D3DTextureCreate(display, desc);
  if (!surface && *levels > 0) {
    // Without mip levels, then.
    desc->flags &= ~kPlatSurfaceDescMipCount;
    desc->caps &= ~kTextureMipCaps;
    desc->mipCount = 0;
    *levels = 0;
    surface = plat_D3DTextureCreate(display, desc);
  }
  if (surface) {
    t->flags |= kTextureVideoMemory;
    return surface;
  }
  t->flags &= static_cast<uint8_t>(~kTextureVideoMemory);
  desc->caps = (desc->caps & ~(uint32_t{kPlatCapsVideoMemory} | kPlatCapsAllocOnLoad)) | kPlatCapsSystemMemory;
  return plat_D3DTextureCreate(display, desc);
}

int32_t FillLevel(Texture* t, const Offscreen* o, PlatD3DTexture* level) {
  PlatSurfaceDesc desc{};
  plat_D3DTextureDescribe(level, &desc);
  void* pixels = nullptr;
  int32_t pitch = 0;
  if (plat_D3DTextureLock(level, &pixels, &pitch) != kPlatDisplayOk) return -1;
  int32_t result =
      wre_TextureFillSurface(t, o, static_cast<uint8_t*>(pixels), pitch, desc.width, desc.height);
  plat_D3DTextureUnlock(level);
  return result;
}

int32_t UploadD3DSteps(Texture* t, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                       Offscreen* const* mipOffscreens) {
  PlatD3DDevice* device = context->device;
  if (!device) return -1;
  t->pixelClass = wre_TexturePixelClass(offscreen);
  t->offscreen = offscreen;
  std::memset(&t->surfaceDesc, 0, sizeof(t->surfaceDesc));
  if (plat_D3DDeviceEnumTextureFormats(device, wre_TextureFormatCallback, t) != 0) return -1;
  if (t->surfaceDesc.format.bitCount == 0) return -1;  // the device offers nothing that fits

  int32_t levels = mipOffscreens && mipCount > 0 ? mipCount : 0;
  PlatSurfaceDesc& desc = t->surfaceDesc;
  desc.width = offscreen->rect.right - offscreen->rect.left;
  desc.height = offscreen->rect.bottom - offscreen->rect.top;
  desc.flags = kTextureDescFlags;
  desc.caps = kTextureVideoCaps;
  if (levels > 0) {
    desc.flags |= kPlatSurfaceDescMipCount;
    desc.caps |= kTextureMipCaps;
    desc.mipCount = levels + 1;
  }
  t->surface = CreateTextureSurface(context->displayObject, &desc, &levels, t);
  if (!t->surface) return -1;

  if (t->flags & kTextureVideoMemory) {
    PlatSurfaceDesc staging = desc;
    staging.caps = kTextureSystemCaps | (levels > 0 ? kTextureMipCaps : 0u);
    t->staging = plat_D3DTextureCreate(context->displayObject, &staging);
    if (!t->staging) return -1;
  } else {
    t->staging = t->surface;
    plat_D3DTextureAddRef(t->staging);
  }

  if (offscreen->depth == 8 && (desc.format.flags & kPlatPixelPalette8)) {
    PlatPaletteEntry entries[256] = {};
    for (int32_t i = 0; i < offscreen->paletteCount && i < 256; ++i) {
      entries[i] = wre_TexturePaletteEntry(offscreen, i);
    }
    t->palette = plat_D3DPaletteCreate(context->displayObject, kPlatPalette8Bit | kPlatPaletteAllow256, entries);
    if (!t->palette) return -1;
    if (plat_D3DTextureSetPalette(t->staging, t->palette) != kPlatDisplayOk ||
        plat_D3DTextureSetPalette(t->surface, t->palette) != kPlatDisplayOk) {
      return -1;
    }
  }

  int32_t result = FillLevel(t, offscreen, t->staging);
  if (result != 0) return result;

  PlatD3DTexture* current = t->staging;
  for (int32_t i = 0; i < levels; ++i) {
    PlatD3DTexture* attached = plat_D3DTextureGetAttached(current, uint32_t{kPlatCapsTexture} | kPlatCapsMipmap);
    if (!attached) return kTextureErrMipAttached;
    if (!mipOffscreens[i]) return kWreErrNull;
    if (plat_D3DTextureLock(current, nullptr, nullptr) != kPlatDisplayOk) return kTextureErrMipLock;
    result = FillLevel(t, mipOffscreens[i], attached);
    if (plat_D3DTextureUnlock(current) != kPlatDisplayOk && result == 0) result = kTextureErrMipUnlock;
    if (result != 0) return result == -1 ? kTextureErrMipLock : result;
    current = attached;
  }

  if (plat_D3DTextureGetHandle(t->surface, device, &t->d3dHandle) != kPlatDisplayOk) return -1;
  if (t->staging == t->surface) return 0;
  if (plat_D3DTextureRestore(t->surface) != kPlatDisplayOk) return -1;
  if (plat_D3DTextureLoad(t->surface, t->staging) != kPlatDisplayOk) return -1;
  if (plat_D3DTextureGetHandle(t->surface, device, &t->d3dHandle) != kPlatDisplayOk) return -1;
  return 0;
}

}  // namespace

int32_t wre_D3DTextureUpload(Texture* t, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                             Offscreen* const* mipOffscreens) {
  if (!context->device) return -1;
  int32_t result = UploadD3DSteps(t, offscreen, context, mipCount, mipOffscreens);
  if (result != 0) ReleaseSurfaces(t);  // a failed upload keeps no surfaces
  return result;
}

int32_t wre_D3DTextureRelease(Texture* t) {
  ReleaseSurfaces(t);
  return 0;
}
