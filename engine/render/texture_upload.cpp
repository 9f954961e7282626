#include "engine/render/texture_upload.h"

#include <cstring>

#include "engine/core/wre_types.h"
#include "engine/data/offscreen.h"
#include "engine/data/texture.h"
#include "engine/render/context.h"
#include "platform/plat_d3d.h"
#include "platform/plat_gl.h"

namespace {

int32_t UploadSoftware(Texture* t, Offscreen* offscreen) {
  // The span fillers address texels by power-of-two shifts and masks up to 256.
  int32_t logW = wre_TextureSizeLog2(offscreen->width);
  int32_t logH = wre_TextureSizeLog2(offscreen->height);
  if (t->width > 256 || t->height > 256 || logW < 0 || logW > 8 || logH < 0 || logH > 8) return -1;
  Offscreen* copy = wre_OffscreenDuplicate(offscreen);
  if (!copy) return -1;
  if (!(copy->depth == 16 && (copy->flags & kOffscreen555))) {
    if (wre_OffscreenConvertTo_555_16Bit(copy) != 0) {
      wre_OffscreenDispose(copy);
      return -1;
    }
  }
  t->pixelClass = (copy->flags & kOffscreenAlpha) ? kTexturePixel1555 : kTexturePixel555;
  t->offscreen = copy;
  t->pixels = copy->pixels;
  t->flags &= static_cast<uint8_t>(~kTextureVideoMemory);
  wre_TextureComputeShifts(t);
  wre_TextureSetFormat(t, copy);
  return 0;
}

int32_t UnloadSoftware(Texture* t) {
  if (!t->offscreen) return kWreErrNull;
  wre_OffscreenDispose(t->offscreen);
  t->offscreen = nullptr;
  t->pixels = nullptr;
  return 0;
}

int32_t UploadGL(Texture* t, const Offscreen* offscreen, const DrawingContext* context) {
  Offscreen* copy = wre_OffscreenDuplicate(offscreen);
  if (!copy) return kTextureErrGLCopy;
  int32_t result = wre_OffscreenConvertToGL(copy);
  if (result != 0) {
    wre_OffscreenDispose(copy);
    return result;
  }
  const PlatGlFunctions* gl = plat_Gl();
  if (!gl->PixelStorei || !gl->BindTexture || !gl->TexParameteri || !gl->TexImage2D) {
    wre_OffscreenDispose(copy);
    return -1;
  }
  gl->PixelStorei(kGlUnpackAlignment, 1);
  gl->BindTexture(kGlTexture2D, t->glName);
  auto filter = static_cast<int32_t>((context->flags & kContextLinearFilter) ? kGlLinear : kGlNearest);
  gl->TexParameteri(kGlTexture2D, kGlTextureMinFilter, filter);
  gl->TexParameteri(kGlTexture2D, kGlTextureMagFilter, filter);
  gl->TexImage2D(kGlTexture2D, 0, static_cast<int32_t>(kGlRgba), copy->width, copy->height, 0, kGlRgba,
                 kGlUnsignedByte, copy->pixels);
  result = wre_TextureSetFormat(t, copy);
  wre_OffscreenDispose(copy);
  return result;
}

constexpr uint32_t kTextureDescFlags =
    kPlatSurfaceDescCaps | kPlatSurfaceDescHeight | kPlatSurfaceDescWidth | kPlatSurfaceDescPixelFormat;
constexpr uint32_t kTextureVideoCaps = uint32_t{kPlatCapsTexture} | kPlatCapsVideoMemory | kPlatCapsAllocOnLoad;
constexpr uint32_t kTextureMipCaps = uint32_t{kPlatCapsMipmap} | kPlatCapsComplex;
constexpr uint32_t kTextureSystemCaps = uint32_t{kPlatCapsTexture} | kPlatCapsSystemMemory;

void ReleaseD3D(Texture* t) {
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

int32_t UploadD3D(Texture* t, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                  Offscreen* const* mipOffscreens) {
  int32_t result = UploadD3DSteps(t, offscreen, context, mipCount, mipOffscreens);
  if (result != 0) ReleaseD3D(t);  // a failed upload keeps no surfaces
  return result;
}

}  // namespace

int32_t wre_RendererTextureUpload(Texture* texture, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                                  Offscreen* const* mipOffscreens) {
  switch (context->kind) {
    case kRendererSoftware: return UploadSoftware(texture, offscreen);
    case kRendererOpenGL: return UploadGL(texture, offscreen, context);
    case kRendererDirect3D:
      if (!context->device) return -1;
      return UploadD3D(texture, offscreen, context, mipCount, mipOffscreens);
    case kRenderer3dfx: return 0;
    default: return -1;
  }
}

int32_t wre_RendererTextureRelease(Texture* texture) {
  switch (texture->context->kind) {
    case kRendererSoftware: return UnloadSoftware(texture);
    case kRendererDirect3D: ReleaseD3D(texture); return 0;
    default: return 0;  // OpenGL reuses the name; kind 104 holds nothing
  }
}
