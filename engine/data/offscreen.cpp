#include "engine/data/offscreen.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "engine/core/memory.h"
#include "platform/plat_pixels.h"

namespace {

// ---- Renderer hooks ----

int32_t NoRendererSelected() { return kRendererSoftware; }
bool NoContextInfo(const DrawingContext*, int32_t*, int32_t*) { return false; }
OffscreenSurface* NoSurface(DrawingContext*, int32_t, int32_t, bool, const OffscreenSurface*) { return nullptr; }
int32_t NoLock(OffscreenSurface*, uint8_t**, int32_t*) { return -1; }
void NoUnlock(OffscreenSurface*) {}
void NoRelease(OffscreenSurface*) {}
void NoMasks(const OffscreenSurface*, uint32_t* red, uint32_t* green, uint32_t* blue) {
  *red = *green = *blue = 0;
}
int32_t NoSurfaceBlit(OffscreenSurface*, OffscreenSurface*, const WreRect*) { return -1; }

constexpr OffscreenRendererHooks kNoRenderer = {
    NoRendererSelected, NoContextInfo, NoSurface, NoLock, NoUnlock, NoRelease, NoMasks, NoSurfaceBlit,
};

OffscreenRendererHooks gHooks = kNoRenderer;

// ---- Pixel formats ----

// How a source's pixels are read: told by depth, and for 16 bits by flag 0x01, 0x02 or 0x40 in that order.
enum PixelClass { kClassNone, kClassPalette, kClass555, kClass565, kClass4444, kClass24, kClass32 };

PixelClass ClassOf(const Offscreen* o) {
  switch (o->depth) {
    case 8: return kClassPalette;
    case 16:
      if (o->flags & kOffscreen555) return kClass555;
      if (o->flags & kOffscreen565) return kClass565;
      if (o->flags & kOffscreen4444) return kClass4444;
      return kClassNone;
    case 24: return kClass24;
    case 32: return kClass32;
    default: return kClassNone;
  }
}

int32_t BytesOf(PixelClass cls) {
  switch (cls) {
    case kClassPalette: return 1;
    case kClass555:
    case kClass565:
    case kClass4444: return 2;
    case kClass24: return 3;
    case kClass32: return 4;
    default: return 0;
  }
}

// Channels widened to bytes by shifting left (no bit replication), so that every narrower target
// takes the top bits of each channel.
struct Texel {
  uint32_t a, r, g, b;
};

uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

void Store16(uint8_t* p, uint32_t v) {
  auto w = static_cast<uint16_t>(v);
  std::memcpy(p, &w, 2);
}

// Palette entry bytes in the layout of flags 0x08 / 0x10 (neither: alpha, red, green, blue).
Texel PaletteEntry(const Offscreen* o, uint32_t index) {
  const uint8_t* e = o->paletteB[index & 0xFF];
  if (o->flags & kOffscreenPaletteRGBA) return {e[3], e[0], e[1], e[2]};
  if (o->flags & kOffscreenPaletteBGRA) return {e[3], e[2], e[1], e[0]};
  return {e[0], e[1], e[2], e[3]};
}

int AlphaIndex32(int32_t flags) { return (flags & kOffscreenRGBA32) ? 3 : 0; }
int RedIndex32(int32_t flags) { return (flags & kOffscreenRGBA32) ? 0 : 1; }

// One source pixel. An image without flag 0x04 carries no alpha: its palette alpha, 555 top bit and
// 32-bit alpha byte read as opaque, so that an unkeyed image never converts to an invisible one.
Texel ReadTexel(const Offscreen* o, PixelClass cls, const uint8_t* p) {
  bool hasAlpha = (o->flags & kOffscreenAlpha) != 0;
  Texel t{};
  switch (cls) {
    case kClassPalette:
      t = PaletteEntry(o, p[0]);
      if (!hasAlpha) t.a = 255;
      break;
    case kClass555: {
      uint32_t v = Load16(p);
      t = {(v & 0x8000) ? 255u : 0u, (v >> 10 & 31) << 3, (v >> 5 & 31) << 3, (v & 31) << 3};
      if (!hasAlpha) t.a = 255;
      break;
    }
    case kClass565: {
      uint32_t v = Load16(p);
      t = {255u, (v >> 11 & 31) << 3, (v >> 5 & 63) << 2, (v & 31) << 3};
      break;
    }
    case kClass4444: {
      uint32_t v = Load16(p);
      t = {(v >> 12 & 15) << 4, (v >> 8 & 15) << 4, (v >> 4 & 15) << 4, (v & 15) << 4};
      break;
    }
    case kClass24: t = {255u, p[0], p[1], p[2]}; break;
    case kClass32: {
      int ai = AlphaIndex32(o->flags);
      int ri = RedIndex32(o->flags);
      t = {p[ai], p[ri], p[ri + 1], p[ri + 2]};
      if (!hasAlpha) t.a = 255;
      break;
    }
    default: break;
  }
  return t;
}

// True when the pixel block holds every row the offscreen describes.
bool PixelsFit(const Offscreen* o) {
  if (!o->pixels || o->width < 1 || o->height < 1 || o->depth < 1) return false;
  int64_t rowLength = (static_cast<int64_t>(o->width) * o->depth + 7) / 8;
  if (o->rowBytes < rowLength) return false;
  int64_t needed = static_cast<int64_t>(o->rowBytes) * (o->height - 1) + rowLength;
  return needed <= o->pixelBytes;
}

void FreePixels(Offscreen* o) {
  if (o->kind == kOffscreenMemory && o->pixels) wre_MemoryDispose(o->pixels);
  o->pixels = nullptr;
}

enum Target { kTo555, kTo565, kTo4444, kTo24, kTo32, kToGL };

// keyedBit: for a 555 target, the alpha bit worked out from the source's colour key (or -1).
void WriteTexel(Target target, PixelClass source, const Texel& t, int keyedBit, uint8_t* out) {
  switch (target) {
    case kTo555: {
      // 565 and 24-bit sources have no alpha to carry: their alpha bit is 0, unless they carry a key.
      uint32_t alphaBit = (source == kClass565 || source == kClass24) ? 0 : t.a >> 7;
      if (keyedBit >= 0) alphaBit = static_cast<uint32_t>(keyedBit);
      Store16(out, alphaBit << 15 | plat_Pack555(t.r, t.g, t.b));
      break;
    }
    case kTo565: Store16(out, plat_Pack565(t.r, t.g, t.b)); break;
    case kTo4444: Store16(out, plat_Pack4444(t.a, t.r, t.g, t.b)); break;
    case kTo24:
      out[0] = static_cast<uint8_t>(t.r);
      out[1] = static_cast<uint8_t>(t.g);
      out[2] = static_cast<uint8_t>(t.b);
      break;
    case kTo32:
      out[0] = static_cast<uint8_t>(t.a);
      out[1] = static_cast<uint8_t>(t.r);
      out[2] = static_cast<uint8_t>(t.g);
      out[3] = static_cast<uint8_t>(t.b);
      break;
    case kToGL:
      out[0] = static_cast<uint8_t>(t.r);
      out[1] = static_cast<uint8_t>(t.g);
      out[2] = static_cast<uint8_t>(t.b);
      out[3] = static_cast<uint8_t>(t.a);
      break;
  }
}

bool AlreadyThere(const Offscreen* o, Target target) {
  switch (target) {
    case kTo555: return o->depth == 16 && (o->flags & kOffscreen555);
    case kTo565: return o->depth == 16 && (o->flags & kOffscreen565);
    case kTo4444: return o->depth == 16 && (o->flags & kOffscreen4444);
    case kTo24: return o->depth == 24;
    case kTo32: return o->depth == 32;
    case kToGL: return o->depth == 32 && (o->flags & kOffscreenRGBA32);
  }
  return false;
}

bool Handles(Target target, PixelClass source) {
  if (source == kClassNone) return false;
  // A 4444 source has no rule for the 565 and the 24-bit target.
  if (source == kClass4444 && (target == kTo565 || target == kTo24)) return false;
  return true;
}

int32_t FlagsAfter(Target target, int32_t flags) {
  switch (target) {
    case kTo555: return (flags | kOffscreen555) & ~(kOffscreen565 | kOffscreen4444 | kOffscreenRGBA32);
    case kTo565:
      return (flags | kOffscreen565) & ~(kOffscreen555 | kOffscreen4444 | kOffscreenAlpha | kOffscreenRGBA32);
    case kTo4444:
      return (flags | kOffscreen4444 | kOffscreenAlpha) & ~(kOffscreen555 | kOffscreen565 | kOffscreenRGBA32);
    case kTo24:
      return flags & ~(kOffscreen555 | kOffscreen565 | kOffscreenAlpha | kOffscreen4444 | kOffscreenRGBA32);
    case kTo32:
      // The alpha flag is kept as it was: a 32-bit image has alpha only where its source had some.
      return flags & ~(kOffscreen555 | kOffscreen565 | kOffscreen4444 | kOffscreenRGBA32);
    case kToGL:
      return (flags | kOffscreenRGBA32 | kOffscreenAlpha) & ~(kOffscreen555 | kOffscreen565 | kOffscreen4444);
  }
  return flags;
}

int32_t TargetBytes(Target target) {
  switch (target) {
    case kTo24: return 3;
    case kTo32:
    case kToGL: return 4;
    default: return 2;
  }
}

int32_t TargetDepth(Target target) { return TargetBytes(target) * 8; }

int32_t ConvertInPlace(Offscreen* o, Target target) {
  if (!o) return -1;
  if (o->kind != kOffscreenMemory && o->kind != kOffscreenBorrowed) return -1;
  if (AlreadyThere(o, target)) return 0;
  PixelClass source = ClassOf(o);
  if (!Handles(target, source)) return kOffscreenErrConvertDepth;
  if (!PixelsFit(o)) return -1;

  int32_t outBytes = TargetBytes(target);
  int64_t size = static_cast<int64_t>(o->width) * o->height * outBytes;
  if (size <= 0 || size > INT_MAX) return -1;
  auto* block = static_cast<uint8_t*>(wre_MemoryNew(static_cast<int32_t>(size)));
  if (!block) return -1;

  // A 565 or 24-bit image with a colour key holds the key only as a colour; in 555 the key texels
  // lose their alpha bit and every other texel keeps it, as if the 555 image had been keyed.
  bool keyTo555 = target == kTo555 && (o->flags & kOffscreenAlpha) && (source == kClass565 || source == kClass24);
  uint32_t key565 = wre_ColourTo565(&o->keyColour);
  uint32_t keyRed = wre_ColourComponentByte(o->keyColour.red);
  uint32_t keyGreen = wre_ColourComponentByte(o->keyColour.green);
  uint32_t keyBlue = wre_ColourComponentByte(o->keyColour.blue);

  int32_t inBytes = BytesOf(source);
  int32_t outRow = o->width * outBytes;
  for (int32_t y = 0; y < o->height; ++y) {
    const uint8_t* in = o->pixels + static_cast<size_t>(y) * static_cast<size_t>(o->rowBytes);
    uint8_t* out = block + static_cast<size_t>(y) * static_cast<size_t>(outRow);
    for (int32_t x = 0; x < o->width; ++x) {
      int keyedBit = -1;
      if (keyTo555) {
        bool isKey = source == kClass565 ? Load16(in) == key565
                                         : (in[0] == keyRed && in[1] == keyGreen && in[2] == keyBlue);
        keyedBit = isKey ? 0 : 1;
      }
      WriteTexel(target, source, ReadTexel(o, source, in), keyedBit, out);
      in += inBytes;
      out += outBytes;
    }
  }

  if (o->kind != kOffscreenBorrowed) FreePixels(o);
  o->pixels = block;
  o->pixelBytes = static_cast<int32_t>(size);
  o->depth = TargetDepth(target);
  o->rowBytes = outRow;
  o->kind = kOffscreenMemory;
  o->flags = FlagsAfter(target, o->flags);
  return 0;
}

// ---- Kind 103 surfaces ----

bool LockSurfaceOf(Offscreen* o) {
  if (o->kind != kOffscreenSurface) return true;
  OffscreenSurface* surface = o->systemSurface ? o->systemSurface : o->videoSurface;
  if (!surface) return false;
  uint8_t* pixels = nullptr;
  int32_t pitch = 0;
  if (gHooks.lockSurface(surface, &pixels, &pitch) != 0) return false;
  int64_t bytes = static_cast<int64_t>(pitch) * o->height;
  o->pixels = pixels;
  o->rowBytes = pitch;
  o->pixelBytes = bytes > INT_MAX || bytes < 0 ? 0 : static_cast<int32_t>(bytes);
  return true;
}

void UnlockSurfaceOf(Offscreen* o) {
  if (o->kind != kOffscreenSurface) return;
  OffscreenSurface* surface = o->systemSurface ? o->systemSurface : o->videoSurface;
  if (surface) gHooks.unlockSurface(surface);
}

int32_t AllocSurface(Offscreen* o, int32_t depth, DrawingContext* context, Offscreen* source) {
  if (depth != 16) return -1;
  OffscreenSurface* surface = gHooks.createSurface(context, o->width, o->height, false, nullptr);
  if (!surface) return -1;
  uint8_t* pixels = nullptr;
  int32_t pitch = 0;
  if (gHooks.lockSurface(surface, &pixels, &pitch) != 0) {
    gHooks.releaseSurface(surface);
    return -1;
  }
  o->systemSurface = surface;
  o->blitRect = {0, 0, o->width, o->height};
  o->pixels = pixels;
  o->rowBytes = pitch;
  int64_t bytes = static_cast<int64_t>(pitch) * o->height;
  o->pixelBytes = bytes > INT_MAX || bytes < 0 ? 0 : static_cast<int32_t>(bytes);
  gHooks.unlockSurface(surface);

  uint32_t masks[3] = {0, 0, 0};
  gHooks.surfaceMasks(surface, &masks[0], &masks[1], &masks[2]);
  int32_t* fields[3][3] = {{&o->redShift, &o->redMask, &o->redDrop},
                           {&o->greenShift, &o->greenMask, &o->greenDrop},
                           {&o->blueShift, &o->blueMask, &o->blueDrop}};
  for (int c = 0; c < 3; ++c) {
    int32_t shift = wre_ChannelShift(masks[c]);
    *fields[c][0] = shift;
    *fields[c][1] = static_cast<int32_t>(masks[c]);
    *fields[c][2] = wre_ChannelDrop(masks[c]);
  }
  if (o->greenDrop == 2) o->flags |= kOffscreen565;
  if (o->greenDrop == 3) o->flags |= kOffscreen555;
  if (o->greenDrop == 4) o->flags |= kOffscreen4444;

  if (gHooks.selectedRenderer() == kRendererDirect3D) {
    if (source) {
      Point4 origin{0.0f, 0.0f, 0.0f, 0.0f};
      if (wre_OffscreenBlitAt(source, o, &origin, 1) != 0) return -1;
    }
    OffscreenSurface* video = gHooks.createSurface(context, o->width, o->height, true, surface);
    if (!video) return 0;  // the offscreen keeps its system-memory surface
    o->videoSurface = video;
    gHooks.blitSurface(video, surface, &o->blitRect);
    gHooks.releaseSurface(surface);
    o->systemSurface = nullptr;
    // The pixels now live in video memory only; nothing reads them through the pointer.
    o->pixels = nullptr;
    o->pixelBytes = 0;
  }
  return 0;
}

void ReleaseSurfaces(Offscreen* o) {
  if (o->systemSurface) gHooks.releaseSurface(o->systemSurface);
  if (o->videoSurface) gHooks.releaseSurface(o->videoSurface);
  o->systemSurface = nullptr;
  o->videoSurface = nullptr;
  o->pixels = nullptr;
}

// ---- Opacity ----

// The red, green and blue bytes of the image's pixel (x, y); black outside it or when it has none.
Texel OpacitySample(const Offscreen* image, int32_t x, int32_t y) {
  Texel black{0, 0, 0, 0};
  if (image->kind != kOffscreenMemory && image->kind != kOffscreenBorrowed) return black;
  PixelClass cls = ClassOf(image);
  if (cls == kClassNone || !PixelsFit(image)) return black;
  if (x < 0 || y < 0 || x >= image->width || y >= image->height) return black;
  const uint8_t* p = image->pixels + static_cast<size_t>(y) * static_cast<size_t>(image->rowBytes) +
                     static_cast<size_t>(x) * static_cast<size_t>(BytesOf(cls));
  return ReadTexel(image, cls, p);
}

bool Overlaps(const WreRect& a, const WreRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

int64_t Max3(int64_t a, int64_t b, int64_t c) {
  int64_t m = a > b ? a : b;
  return m > c ? m : c;
}

}  // namespace

void wre_RectCopy(const WreRect* source, WreRect* destination) {
  if (source && destination) *destination = *source;
}

void wre_OffscreenSetRendererHooks(const OffscreenRendererHooks* hooks) { gHooks = hooks ? *hooks : kNoRenderer; }

Offscreen* wre_OffscreenNew(int32_t kind, const WreRect* rect, int32_t flags, int32_t depth, int32_t paletteCount,
                            DrawingContext* ownerContext, Offscreen* source) {
  if (kind != kOffscreenMemory && kind != kOffscreenDescription && kind != kOffscreenSurface) return nullptr;
  if (paletteCount > 256 || !rect) return nullptr;
  auto* o = static_cast<Offscreen*>(wre_MemoryNew(static_cast<int32_t>(sizeof(Offscreen))));
  if (!o) return nullptr;
  std::memset(o, 0, sizeof(Offscreen));
  o->owner = ownerContext;
  o->kind = kind;
  o->flags = flags;
  o->depth = depth;
  wre_OffscreenSetRect(o, rect);
  wre_OffscreenSetPaletteCount(o, paletteCount);
  if (kind == kOffscreenDescription) return o;
  if (wre_OffscreenAllocPixels(o, rect, depth, ownerContext, source) != 0) {
    wre_OffscreenDispose(o);
    return nullptr;
  }
  return o;
}

int32_t wre_OffscreenAllocPixels(Offscreen* o, const WreRect* rect, int32_t depth, DrawingContext* ownerContext,
                                 Offscreen* source) {
  if (!o || !rect) return -1;
  if (o->kind == kOffscreenSurface) return AllocSurface(o, depth, ownerContext, source);
  if (depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) return -1;
  int64_t width = static_cast<int64_t>(rect->right) - rect->left;
  int64_t height = static_cast<int64_t>(rect->bottom) - rect->top;
  if (width < 1 || height < 1) return -1;
  // Rows are whole bytes, so a 4-bit image of odd width still has room for its last pixel.
  int64_t rowBytes = (width * depth + 7) / 8;
  int64_t size = rowBytes * height;
  if (rowBytes > INT_MAX || size > INT_MAX) return -1;
  auto* block = static_cast<uint8_t*>(wre_MemoryNew(static_cast<int32_t>(size)));
  if (!block) return -1;
  std::memset(block, 0, static_cast<size_t>(size));
  o->pixels = block;
  o->pixelBytes = static_cast<int32_t>(size);
  o->rowBytes = static_cast<int32_t>(rowBytes);
  if (depth == 16 && !(o->flags & (kOffscreen555 | kOffscreen565 | kOffscreen4444))) o->flags |= kOffscreen555;
  return 0;
}

int32_t wre_OffscreenDispose(Offscreen* o) {
  if (!o) return 0;
  if (o->chained) {
    wre_OffscreenDispose(o->chained);
    o->chained = nullptr;
  }
  if (o->kind == kOffscreenMemory) FreePixels(o);
  if (o->kind == kOffscreenSurface) ReleaseSurfaces(o);
  wre_MemoryDispose(o);
  return 0;
}

Offscreen* wre_OffscreenDuplicate(const Offscreen* o) {
  if (!o) return nullptr;
  Offscreen* copy = wre_OffscreenNew(o->kind, &o->rect, o->flags, o->depth, o->paletteCount, o->owner, nullptr);
  if (!copy) return nullptr;
  if (copy->pixelBytes != o->pixelBytes) {
    wre_OffscreenDispose(copy);
    return nullptr;
  }
  std::memcpy(copy->paletteA, o->paletteA, sizeof(o->paletteA));
  std::memcpy(copy->paletteB, o->paletteB, sizeof(o->paletteB));
  copy->keyColour = o->keyColour;
  if (o->pixelBytes > 0 && o->pixels && copy->pixels) {
    std::memcpy(copy->pixels, o->pixels, static_cast<size_t>(o->pixelBytes));
  }
  return copy;
}

void wre_OffscreenSetKind(Offscreen* o, int32_t kind) {
  if (o) o->kind = kind;
}

void wre_OffscreenSetDepth(Offscreen* o, int32_t depth) {
  if (o) o->depth = depth;
}

void wre_OffscreenSetFlags(Offscreen* o, int32_t flags) {
  if (o) o->flags = flags;
}

void wre_OffscreenSetRect(Offscreen* o, const WreRect* rect) {
  if (!o || !rect) return;
  wre_RectCopy(rect, &o->rect);
  o->width = static_cast<int32_t>(static_cast<int64_t>(rect->right) - rect->left);
  o->height = static_cast<int32_t>(static_cast<int64_t>(rect->bottom) - rect->top);
}

void wre_OffscreenSetPaletteCount(Offscreen* o, int32_t count) {
  if (!o) return;
  if (count > 256) count = 256;
  if (count < 0) count = 0;
  o->paletteCount = count;
}

int32_t wre_OffscreenConvertTo_555_16Bit(Offscreen* o) { return ConvertInPlace(o, kTo555); }
int32_t wre_OffscreenConvertTo_565_16Bit(Offscreen* o) { return ConvertInPlace(o, kTo565); }
int32_t wre_OffscreenConvertTo_4444_16Bit(Offscreen* o) { return ConvertInPlace(o, kTo4444); }
int32_t wre_OffscreenConvertTo24Bit(Offscreen* o) { return ConvertInPlace(o, kTo24); }
int32_t wre_OffscreenConvertTo32Bit(Offscreen* o) { return ConvertInPlace(o, kTo32); }
int32_t wre_OffscreenConvertToGL(Offscreen* o) { return ConvertInPlace(o, kToGL); }

int32_t wre_OffscreenConvert(Offscreen* o, int32_t depth, const DrawingContext* context, int32_t flags) {
  if (!o) return -1;
  int32_t rendererKind = 0;
  int32_t displayFlags = 0;
  if (context && !gHooks.contextInfo(context, &rendererKind, &displayFlags)) displayFlags = 0;
  if (o->depth == depth && !(flags & 0x40)) {
    if (depth != 16) return 0;
    int32_t shown = (displayFlags & 1) ? kOffscreen565 : kOffscreen555;
    if (o->flags & shown) return 0;
  }
  switch (depth) {
    case 16:
      if (flags & 0x02) return wre_OffscreenConvertTo_565_16Bit(o);
      if (flags & 0x40) return wre_OffscreenConvertTo_4444_16Bit(o);
      return wre_OffscreenConvertTo_555_16Bit(o);
    case 24: return wre_OffscreenConvertTo24Bit(o);
    case 32: return wre_OffscreenConvertTo32Bit(o);
    default: return -1;
  }
}

int32_t wre_OffscreenSetColourKey(Offscreen* o, const ColourFloat* colour) {
  if (!o || !colour) return -1;
  uint32_t kr = wre_ColourComponentByte(colour->red);
  uint32_t kg = wre_ColourComponentByte(colour->green);
  uint32_t kb = wre_ColourComponentByte(colour->blue);
  bool needPixels = o->depth == 16 || o->depth == 32;
  if (needPixels && !(o->flags & kOffscreen565) && !PixelsFit(o)) return -1;

  switch (o->depth) {
    case 8:
      for (int32_t i = 0; i < o->paletteCount; ++i) {
        Texel t = PaletteEntry(o, static_cast<uint32_t>(i));
        uint8_t alpha = (t.r == kr && t.g == kg && t.b == kb) ? 0 : 255;
        bool alphaLast = (o->flags & (kOffscreenPaletteRGBA | kOffscreenPaletteBGRA)) != 0;
        o->paletteB[i][alphaLast ? 3 : 0] = alpha;
      }
      break;
    case 16: {
      uint32_t mask;
      uint32_t key;
      uint32_t opaque;
      if (o->flags & kOffscreen555) {
        mask = 0x7FFF;
        key = wre_ColourTo1555(colour) & mask;
        opaque = 0x8000;
      } else if (o->flags & kOffscreen565) {
        break;  // no room for alpha: the pixels stay as they are
      } else if (o->flags & kOffscreen4444) {
        mask = 0x0FFF;
        key = wre_ColourTo4444(colour) & mask;
        opaque = 0xF000;
      } else {
        return -1;
      }
      for (int32_t y = 0; y < o->height; ++y) {
        uint8_t* p = o->pixels + static_cast<size_t>(y) * static_cast<size_t>(o->rowBytes);
        for (int32_t x = 0; x < o->width; ++x, p += 2) {
          uint32_t v = Load16(p) & mask;
          Store16(p, v == key ? v : (v | opaque));
        }
      }
      break;
    }
    case 24: break;
    case 32: {
      int ai = AlphaIndex32(o->flags);
      int ri = RedIndex32(o->flags);
      for (int32_t y = 0; y < o->height; ++y) {
        uint8_t* p = o->pixels + static_cast<size_t>(y) * static_cast<size_t>(o->rowBytes);
        for (int32_t x = 0; x < o->width; ++x, p += 4) {
          bool keyed = p[ri] == kr && p[ri + 1] == kg && p[ri + 2] == kb;
          p[ai] = keyed ? 0 : 255;
        }
      }
      break;
    }
    default: return -1;
  }
  o->flags |= kOffscreenAlpha;
  o->keyColour = *colour;
  return 0;
}

int32_t wre_OffscreenApplyOpacity(Offscreen* o, const Offscreen* image) {
  if (!o || !image) return kWreErrNull;
  if (o->width != image->width || o->height != image->height) return kOffscreenErrOpacitySize;
  enum { k1555, k4444, k32 } target;
  switch (ClassOf(o)) {
    case kClass555: target = k1555; break;
    case kClass4444: target = k4444; break;
    case kClass32: target = k32; break;
    case kClassPalette:
    case kClass565:
    case kClass24: return kOffscreenErrOpacityTarget;
    default: return kOffscreenErrOpacityDepth;
  }
  if (!PixelsFit(o)) return -1;
  const float third = 1.0f / 3.0f;
  int ai = AlphaIndex32(o->flags);
  for (int32_t y = 0; y < o->height; ++y) {
    uint8_t* p = o->pixels + static_cast<size_t>(y) * static_cast<size_t>(o->rowBytes);
    for (int32_t x = 0; x < o->width; ++x) {
      Texel s = OpacitySample(image, x, y);
      auto m = static_cast<uint32_t>(static_cast<float>(s.r + s.g + s.b) * third);
      switch (target) {
        case k1555: {
          uint32_t v = Load16(p) & 0x7FFF;
          Store16(p, m >= 128 ? (v | 0x8000) : v);
          p += 2;
          break;
        }
        case k4444: {
          uint32_t v = Load16(p) & 0x0FFF;
          Store16(p, v | (m >> 4) << 12);
          p += 2;
          break;
        }
        case k32:
          p[ai] = static_cast<uint8_t>(m);
          p += 4;
          break;
      }
    }
  }
  o->flags |= kOffscreenAlpha;
  o->keyColour = {0.0f, 0.0f, 0.0f, 0.0f};
  return 0;
}

int32_t wre_OffscreenBlit(Offscreen* source, const WreRect* sourceRect, Offscreen* destination,
                          const WreRect* destRect, int32_t flags) {
  if (!source || !destination || !sourceRect || !destRect) return -1;
  if (!LockSurfaceOf(source)) return -1;
  if (!LockSurfaceOf(destination)) {
    UnlockSurfaceOf(source);
    return -1;
  }
  int32_t result = 0;
  do {
    if (!Overlaps(*sourceRect, source->rect) || !Overlaps(*destRect, destination->rect)) break;
    int64_t sw = static_cast<int64_t>(sourceRect->right) - sourceRect->left;
    int64_t sh = static_cast<int64_t>(sourceRect->bottom) - sourceRect->top;
    int64_t dw = static_cast<int64_t>(destRect->right) - destRect->left;
    int64_t dh = static_cast<int64_t>(destRect->bottom) - destRect->top;
    int32_t depth = source->depth;
    if (depth != destination->depth || (depth != 16 && depth != 24 && depth != 32) || sw != dw || sh != dh) {
      result = -1;
      break;
    }
    if (!PixelsFit(source) || !PixelsFit(destination)) {
      result = -1;
      break;
    }
    // Cut the rows and columns by which either rectangle reaches past its offscreen.
    int64_t cutLeft = Max3(0, static_cast<int64_t>(source->rect.left) - sourceRect->left,
                           static_cast<int64_t>(destination->rect.left) - destRect->left);
    int64_t cutTop = Max3(0, static_cast<int64_t>(source->rect.top) - sourceRect->top,
                          static_cast<int64_t>(destination->rect.top) - destRect->top);
    int64_t cutRight = Max3(0, static_cast<int64_t>(sourceRect->right) - source->rect.right,
                            static_cast<int64_t>(destRect->right) - destination->rect.right);
    int64_t cutBottom = Max3(0, static_cast<int64_t>(sourceRect->bottom) - source->rect.bottom,
                             static_cast<int64_t>(destRect->bottom) - destination->rect.bottom);
    int64_t columns = sw - cutLeft - cutRight;
    int64_t rows = sh - cutTop - cutBottom;
    if (columns <= 0 || rows <= 0) break;
    int64_t bpp = depth / 8;
    const uint8_t* in = source->pixels +
                        (sourceRect->top + cutTop - source->rect.top) * static_cast<int64_t>(source->rowBytes) +
                        (sourceRect->left + cutLeft - source->rect.left) * bpp;
    uint8_t* out = destination->pixels +
                   (destRect->top + cutTop - destination->rect.top) * static_cast<int64_t>(destination->rowBytes) +
                   (destRect->left + cutLeft - destination->rect.left) * bpp;
    size_t rowLength = static_cast<size_t>(columns * bpp);

    enum { kWhole, kKey565, kAlphaNibble, kAlphaBit, kNothing } mode = kNothing;
    bool keyed = (source->flags & kOffscreenAlpha) != 0;
    if (!keyed || (flags & 1) || depth != 16) {
      mode = kWhole;
    } else if (flags & 2) {
      if (source->flags & kOffscreen565) mode = kKey565;
      else if (source->flags & kOffscreen4444) mode = kAlphaNibble;
      else if (source->flags & kOffscreen555) mode = kAlphaBit;
    }
    uint32_t key = wre_ColourTo565(&source->keyColour);
    for (int64_t r = 0; r < rows; ++r) {
      const uint8_t* inRow = in + r * source->rowBytes;
      uint8_t* outRow = out + r * destination->rowBytes;
      if (mode == kWhole) {
        std::memmove(outRow, inRow, rowLength);
        continue;
      }
      if (mode == kNothing) break;
      for (int64_t c = 0; c < columns; ++c) {
        uint32_t v = Load16(inRow + c * 2);
        bool copy = mode == kKey565 ? v != key : mode == kAlphaNibble ? (v & 0xF000) != 0 : (v & 0x8000) != 0;
        if (copy) Store16(outRow + c * 2, v);
      }
    }
  } while (false);
  UnlockSurfaceOf(destination);
  UnlockSurfaceOf(source);
  return result;
}

int32_t wre_OffscreenBlitAt(Offscreen* source, Offscreen* destination, const Point4* offset, int32_t flags) {
  if (!source || !destination) return -1;
  // Offsets beyond the integer range move the rectangle to its edge; one that is not a number, nowhere.
  auto whole = [](float v) -> int64_t {
    if (v != v) return 0;
    if (v <= -2147483648.0f) return INT_MIN;
    if (v >= 2147483648.0f) return INT_MAX;
    return static_cast<int64_t>(std::trunc(v));
  };
  int64_t dx = offset ? whole(offset->x) : 0;
  int64_t dy = offset ? whole(offset->y) : 0;
  auto clamp32 = [](int64_t v) -> int32_t {
    return static_cast<int32_t>(v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : v);
  };
  WreRect moved{clamp32(source->rect.left + dx), clamp32(source->rect.top + dy), clamp32(source->rect.right + dx),
                clamp32(source->rect.bottom + dy)};
  return wre_OffscreenBlit(source, &source->rect, destination, &moved, flags);
}

bool wre_OffscreenMatchesContext(const Offscreen* o, const DrawingContext* context, int32_t* outKind,
                                 int32_t* outDepth) {
  if (!o || !context) return false;
  int32_t rendererKind = 0;
  int32_t displayFlags = 0;
  if (!gHooks.contextInfo(context, &rendererKind, &displayFlags)) return false;
  int32_t kind;
  int32_t depth;
  switch (rendererKind) {
    case kRendererSoftware: kind = kOffscreenMemory, depth = 16; break;
    case kRendererOpenGL: kind = kOffscreenMemory, depth = 32; break;
    case kRendererNone: kind = kOffscreenNoDraw, depth = 16; break;
    case kRendererDirect3D: kind = kOffscreenSurface, depth = 16; break;
    case kRenderer3dfx: kind = kOffscreenMemory, depth = 16; break;
    default: return false;
  }
  if (outKind) *outKind = kind;
  if (outDepth) *outDepth = depth;
  if (rendererKind == kRendererNone) return o->kind == kind;
  return o->kind == kind && o->depth == depth;
}

int32_t wre_OffscreenBackgroundBegin(Camera*, Offscreen*) { return -1; }
int32_t wre_OffscreenBackgroundEnd() { return -1; }
