// The software kind's copy of a texture: its pixels as 555 words (1555 with a key), sizes powers of
// two up to 256 so the span fillers address texels by shifts and masks.
#include "engine/core/wre_types.h"
#include "engine/data/offscreen.h"
#include "engine/data/texture.h"
#include "engine/render/soft_render.h"

int32_t wre_SoftTextureUpload(Texture* t, Offscreen* offscreen, DrawingContext*, int32_t, Offscreen* const*) {
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

int32_t wre_SoftTextureRelease(Texture* t) {
  if (!t->offscreen) return kWreErrNull;
  wre_OffscreenDispose(t->offscreen);
  t->offscreen = nullptr;
  t->pixels = nullptr;
  return 0;
}
