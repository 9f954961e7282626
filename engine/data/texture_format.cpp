// Texture pixel formats: the pixel class of an image, the format codes and coordinate shifts, the
// choice among the formats a device offers, and the fill of a device surface from an image (a
// keyed image's key texels coloured as their neighbours, for the device's filtering).
#include <cstring>
#include <vector>

#include "engine/core/wre_types.h"
#include "engine/data/colour.h"
#include "engine/data/key_bleed.h"
#include "engine/data/offscreen.h"
#include "engine/data/texture.h"
#include "platform/plat_d3d.h"

namespace {

int32_t LeadingZeros(uint32_t mask) {
  if (mask == 0) return 32;
  int32_t n = 0;
  while (!(mask & 0x80000000u)) {
    mask <<= 1;
    ++n;
  }
  return n;
}

struct Rgba {
  uint32_t r, g, b, a;
};

// Palette entry bytes in the layout of the offscreen's flags (neither: alpha, red, green, blue).
Rgba PaletteColourOf(const Offscreen* o, uint32_t index) {
  const uint8_t* e = o->paletteB[index & 0xFF];
  if (o->flags & kOffscreenPaletteRGBA) return {e[0], e[1], e[2], e[3]};
  if (o->flags & kOffscreenPaletteBGRA) return {e[2], e[1], e[0], e[3]};
  return {e[1], e[2], e[3], e[0]};
}

uint32_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

// One source pixel as red, green, blue, alpha bytes; false for a depth or layout it cannot read.
bool ReadPixel(const Offscreen* o, const uint8_t* p, Rgba* out) {
  switch (o->depth) {
    case 8: *out = PaletteColourOf(o, p[0]); return true;
    case 16: {
      uint32_t v = Load16(p);
      if (o->flags & kOffscreen555) {
        *out = {(v >> 10 & 31) << 3, (v >> 5 & 31) << 3, (v & 31) << 3, (v & 0x8000) ? 255u : 0u};
      } else if (o->flags & kOffscreen565) {
        *out = {(v >> 11) << 3, (v >> 5 & 63) << 2, (v & 31) << 3, 255u};
      } else if (o->flags & kOffscreen4444) {
        *out = {(v >> 8 & 15) << 4, (v >> 4 & 15) << 4, (v & 15) << 4, (v >> 12) << 4};
      } else {
        return false;
      }
      return true;
    }
    case 24: *out = {p[0], p[1], p[2], 255u}; return true;
    case 32:
      if (o->flags & kOffscreenRGBA32) {
        *out = {p[0], p[1], p[2], p[3]};
      } else {
        *out = {p[1], p[2], p[3], p[0]};
      }
      return true;
    default: return false;
  }
}

struct Channel {
  uint32_t mask;
  int32_t shift;
  int32_t drop;
};

Channel ChannelOf(uint32_t mask) { return Channel{mask, wre_ChannelShift(mask), wre_ChannelDrop(mask)}; }

uint32_t Pack(const Channel& c, uint32_t byte) {
  if (c.mask == 0) return 0;
  return ((byte >> c.drop) << c.shift) & c.mask;
}

bool PixelsFit(const Offscreen* o, int32_t bytesPerPixel) {
  if (!o->pixels || o->width < 1 || o->height < 1) return false;
  int64_t row = static_cast<int64_t>(o->width) * bytesPerPixel;
  if (o->rowBytes < row) return false;
  return static_cast<int64_t>(o->rowBytes) * (o->height - 1) + row <= o->pixelBytes;
}

}  // namespace

int32_t wre_TexturePixelClass(const Offscreen* o) {
  if (!o) return kTexturePixelNone;
  switch (o->depth) {
    case 4: return kTexturePixel4;
    case 8: return kTexturePixel8;
    case 16:
      if (o->flags & kOffscreen555) return (o->flags & kOffscreenAlpha) ? kTexturePixel1555 : kTexturePixel555;
      if (o->flags & kOffscreen565) return kTexturePixel565;
      if (o->flags & kOffscreen4444) return kTexturePixel4444;
      return kTexturePixelNone;
    case 24: return kTexturePixel24;
    case 32: return (o->flags & kOffscreenAlpha) ? kTexturePixel32Alpha : kTexturePixel32;
    default: return kTexturePixelNone;
  }
}

int32_t wre_TextureSizeLog2(int32_t n) {
  for (int32_t k = 0; k <= 10; ++k) {
    if (n == (1 << k)) return k;
  }
  return -1;
}

PlatPaletteEntry wre_TexturePaletteEntry(const Offscreen* o, int32_t index) {
  const Rgba c = PaletteColourOf(o, static_cast<uint32_t>(index));
  return PlatPaletteEntry{static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b),
                          static_cast<uint8_t>(c.a)};
}

int32_t wre_TextureCheckSize(int32_t size) { return wre_TextureSizeLog2(size) >= 0 ? 0 : kTextureErrSize; }

void wre_TextureComputeShifts(Texture* t) {
  if (!t) return;
  auto axis = [](int32_t n, uint8_t* shift, int32_t* mask, uint8_t* log2) {
    int32_t k = wre_TextureSizeLog2(n);
    if (k < 0 || k > 7) k = 8;  // 256 and above, and any other size, take the 256 values
    *shift = static_cast<uint8_t>(8 - k);
    *log2 = static_cast<uint8_t>(k);
    *mask = (1 << k) - 1;
  };
  axis(t->width, &t->shiftX, &t->maskX, &t->log2X);
  axis(t->height, &t->shiftY, &t->maskY, &t->log2Y);
}

int32_t wre_TextureSetFormat(Texture* t, const Offscreen* o) {
  if (!t || !o) return kWreErrNull;
  int32_t code;
  switch (o->depth) {
    case 8: code = (o->flags & kOffscreenDistinct8) ? kTextureCode8Distinct : kTextureCode8; break;
    case 16:
      if (o->flags & kOffscreen555) code = kTextureCode555;
      else if (o->flags & kOffscreen565) code = kTextureCode565;
      else if (o->flags & kOffscreen4444) code = kTextureCode4444;
      else return kTextureErrFormat;
      break;
    case 24: code = kTextureCode24; break;
    case 32: code = kTextureCode32; break;
    default: return kTextureErrFormat;
  }
  if (o->flags & kOffscreenAlpha) code |= kTextureCodeKeyed;
  t->depth = o->depth;
  t->formatCode = code;
  return 0;
}

int32_t wre_TextureSetFormatD3D(Texture* t, const PlatPixelFormat* f) {
  if (!t || !f) return kWreErrNull;
  int32_t code;
  switch (f->bitCount) {
    case 8: code = kTextureCode8; break;
    case 16: {
      int32_t r = wre_ChannelDrop(f->redMask), g = wre_ChannelDrop(f->greenMask), b = wre_ChannelDrop(f->blueMask);
      if (r == 3 && g == 3 && b == 3) code = kTextureCode555;
      else if (r == 3 && g == 2 && b == 3) code = kTextureCode565;
      else if (r == 4 && g == 4 && b == 4) code = kTextureCode4444;
      else return kTextureErrFormat;
      break;
    }
    case 24: code = kTextureCode24; break;
    case 32: code = kTextureCode32; break;
    default: return kTextureErrFormat;
  }
  if (t->flags & kTextureHasAlpha) code |= kTextureCodeKeyed;
  t->depth = f->bitCount;
  t->formatCode = code;
  return 0;
}

int32_t wre_TextureFormatCallback(const PlatPixelFormat* f, void* context) {
  auto* t = static_cast<Texture*>(context);
  if (!f || !t) return 1;
  int32_t bits = f->bitCount;
  bool small = bits <= 8;
  int32_t current = t->surfaceDesc.format.bitCount;
  bool rgbOrSmall = small || (f->flags & kPlatPixelRgb);
  bool wantsAlpha = t->pixelClass == kTexturePixel1555 || t->pixelClass == kTexturePixel4444 ||
                    t->pixelClass == kTexturePixel32Alpha || (t->flags & kTextureHasAlpha);
  bool passes;
  if (wantsAlpha) {
    int32_t alphaBits = f->alphaMask ? 32 - LeadingZeros(f->alphaMask) - wre_ChannelShift(f->alphaMask) : 0;
    passes = (f->flags & kPlatPixelAlpha) && f->alphaMask != 0 && alphaBits != 0 && rgbOrSmall;
    if ((t->pixelClass == kTexturePixel4444 || t->pixelClass == kTexturePixel32Alpha) && alphaBits < 4) passes = false;
    if (t->pixelClass == kTexturePixel1555 && current != 0 && current < alphaBits) passes = false;
  } else {
    passes = !(f->flags & kPlatPixelAlpha) && bits > 7 &&
             (bits > 8 || (f->flags & (kPlatPixelPalette8 | kPlatPixelPalette4))) && rgbOrSmall;
  }
  if (!passes) return 1;
  bool source8 = t->offscreen && t->offscreen->depth == 8;
  if (current == 0 || ((source8 || !small) && bits < current)) t->surfaceDesc.format = *f;
  return 1;
}

int32_t wre_TextureFillSurface(Texture* t, const Offscreen* o, uint8_t* surface, int32_t pitch, int32_t surfaceWidth,
                               int32_t surfaceHeight) {
  if (!t || !o || !surface) return kWreErrNull;
  // A level is written only into a surface of exactly its size.
  if (o->width != surfaceWidth || o->height != surfaceHeight) return kTextureErrSize;
  int32_t sourceBytes;
  switch (o->depth) {
    case 8: sourceBytes = 1; break;
    case 16: sourceBytes = 2; break;
    case 24: sourceBytes = 3; break;
    case 32: sourceBytes = 4; break;
    default: return kTextureErrConvertDepth;
  }
  if (!PixelsFit(o, sourceBytes)) return -1;
  const PlatPixelFormat& f = t->surfaceDesc.format;
  int32_t targetBytes = f.bitCount / 8;
  if (f.bitCount % 8 != 0 || targetBytes < 1 || targetBytes > 4) return kTextureErrFormat;
  if (pitch < o->width * targetBytes) return -1;
  int32_t w = o->width;
  int32_t h = o->height;

  if (o->depth == 8 && (f.flags & kPlatPixelPalette8) && targetBytes == 1) {
    for (int32_t y = 0; y < h; ++y) {
      const uint8_t* in = o->pixels + static_cast<size_t>(h - 1 - y) * static_cast<size_t>(o->rowBytes);
      std::memcpy(surface + static_cast<size_t>(y) * static_cast<size_t>(pitch), in, static_cast<size_t>(w));
    }
    return wre_TextureSetFormat(t, o);
  }

  Channel red = ChannelOf(f.redMask), green = ChannelOf(f.greenMask), blue = ChannelOf(f.blueMask);
  Channel alpha = ChannelOf(f.alphaMask);
  bool withAlpha = (t->flags & kTextureHasAlpha) != 0;
  bool forceOpaque = !(t->flags & kTextureHasAlpha) && !(o->flags & kOffscreenAlpha);
  // The whole image is read before any of it is packed: a keyed image's key texels take their
  // neighbours' colour first.
  const size_t rowTexels = static_cast<size_t>(w);
  std::vector<uint8_t> rgba(rowTexels * static_cast<size_t>(h) * 4);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* in = o->pixels + static_cast<size_t>(h - 1 - y) * static_cast<size_t>(o->rowBytes);
    uint8_t* texel = rgba.data() + static_cast<size_t>(y) * rowTexels * 4;
    for (int32_t x = 0; x < w; ++x, in += sourceBytes, texel += 4) {
      Rgba c{};
      if (!ReadPixel(o, in, &c)) return kTextureErrConvertDepth;
      if (forceOpaque) c.a = 255;
      const uint32_t channels[4] = {c.r, c.g, c.b, c.a};
      for (int k = 0; k < 4; ++k) texel[k] = static_cast<uint8_t>(channels[k]);
    }
  }
  if (withAlpha) wre_KeyTexelsBleed(rgba.data(), w, h, w * 4);
  const uint8_t* texel = rgba.data();
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* out = surface + static_cast<size_t>(y) * static_cast<size_t>(pitch);
    for (int32_t x = 0; x < w; ++x, texel += 4, out += targetBytes) {
      uint32_t v = Pack(red, texel[0]) | Pack(green, texel[1]) | Pack(blue, texel[2]);
      if (withAlpha) v |= Pack(alpha, texel[3]);
      for (int32_t k = 0; k < targetBytes; ++k) out[k] = static_cast<uint8_t>(v >> (8 * k));
    }
  }
  return wre_TextureSetFormatD3D(t, &f);
}
