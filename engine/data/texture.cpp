#include "engine/data/texture.h"

#include <climits>
#include <cstring>

#include "engine/core/colour_scale.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/particles.h"
#include "engine/core/strings.h"
#include "engine/core/wre_types.h"
#include "engine/data/material.h"
#include "engine/data/model_textures.h"
#include "engine/data/ripple.h"

Texture* gTextureTable = nullptr;
int32_t* gTextureIndexMap = nullptr;
int32_t gTextureCount = 0;
uint8_t gTextureModuleStarted = 0;
Texture* gAnimatedTextures = nullptr;

namespace {

TextureRendererHooks gRendererHooks{};

bool HandleInTable(int32_t handle) { return gTextureModuleStarted && handle >= 0 && handle < gTextureCount; }

void ResetNames(Texture* t) {
  std::strcpy(t->file, " ");
  std::strcpy(t->ident, " ");
}

// The first error of a sequence of steps.
void KeepFirst(int32_t* result, int32_t step) {
  if (*result == 0) *result = step;
}


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


// ---- Animated list ----

bool OnAnimatedList(const Texture* t) {
  for (const Texture* a = gAnimatedTextures; a; a = a->animatedNext) {
    if (a == t) return true;
  }
  return false;
}

void DisposeTable() {
  if (gTextureTable) wre_MemoryDispose(gTextureTable);
  if (gTextureIndexMap) wre_MemoryDispose(gTextureIndexMap);
  gTextureTable = nullptr;
  gTextureIndexMap = nullptr;
  gTextureCount = 0;
  gTextureModuleStarted = 0;
  gAnimatedTextures = nullptr;
}

}  // namespace

namespace {

int32_t ModelTextureForFile(const char* fileName) {
  int32_t handle = -1;
  if (wre_TextureFindFree(&handle) != 0) return -1;
  if (wre_TextureDefine(handle, nullptr, nullptr, kTextureCreateRecordOnly, fileName, nullptr, 0, 0, 0, 0, 0,
                        nullptr) != 0) {
    return -1;
  }
  return handle;
}

constexpr ModelTextureServices kModelTextureServices{&wre_TextureFindByFile, &ModelTextureForFile};

}  // namespace

int32_t wre_TextureTableInit(int32_t count) {
  if (gTextureModuleStarted || count < 0) return -1;
  if (count == 0) return 0;
  if (static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(Texture)) > INT_MAX) return -1;
  auto tableBytes = static_cast<int32_t>(static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(Texture)));
  auto mapBytes = static_cast<int32_t>(static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(int32_t)));
  auto* table = static_cast<Texture*>(wre_MemoryNew(tableBytes));
  auto* map = static_cast<int32_t*>(wre_MemoryNew(mapBytes));
  if (!table || !map) {
    if (table) wre_MemoryDispose(table);
    if (map) wre_MemoryDispose(map);
    return -1;
  }
  std::memset(table, 0, static_cast<size_t>(tableBytes));
  std::memset(map, 0, static_cast<size_t>(mapBytes));
  gTextureTable = table;
  gTextureIndexMap = map;
  gTextureCount = count;
  gTextureModuleStarted = 1;
  gAnimatedTextures = nullptr;
  // Particle sets name their texture through the index map from now on, and model files find and
  // register their textures here.
  wre_ParticlesSetTextureCheck([](int32_t texture) { return wre_TextureGet(texture) != nullptr; });
  wre_ModelSetTextureServices(&kModelTextureServices);
  return 0;
}

void wre_TextureTableFree() {
  if (!gTextureModuleStarted) return;
  // Textures still held give back their renderer copies and ripples rather than leaking them.
  for (int32_t i = 0; i < gTextureCount; ++i) {
    if (gTextureTable[i].flags & kTextureInUse) wre_TextureRelease(i);
  }
  DisposeTable();
  wre_ParticlesSetTextureCheck(nullptr);
  wre_ModelSetTextureServices(nullptr);
}

int32_t wre_TextureFindFree(int32_t* out) {
  if (!out) return kWreErrNull;
  if (!gTextureModuleStarted) return kTextureErrNotStarted;
  for (int32_t i = 0; i < gTextureCount; ++i) {
    if (!(gTextureTable[i].flags & kTextureInUse)) {
      *out = i;
      return 0;
    }
  }
  *out = -1;
  return kTextureErrTableFull;
}

int32_t wre_TextureCreate(Offscreen* offscreen, DrawingContext* context, int32_t createFlags, const char* fileName) {
  int32_t handle = -1;
  int32_t result = wre_TextureFindFree(&handle);
  if (result != 0) return result;
  return wre_TextureCreateEx(offscreen, context, createFlags, fileName, nullptr, 0, 0, 0, 0);
}

int32_t wre_TextureCreateEx(Offscreen* offscreen, DrawingContext* context, int32_t createFlags, const char* fileName,
                            const char* ident, int32_t p1, int32_t p2, int32_t p3, int32_t p4) {
  int32_t handle = -1;
  int32_t result = wre_TextureFindFree(&handle);
  if (result != 0) return result;
  return wre_TextureDefine(handle, offscreen, context, createFlags, fileName, ident, p1, p2, p3, p4, 0, nullptr);
}

int32_t wre_TextureDefine(int32_t handle, Offscreen* offscreen, DrawingContext* context, int32_t createFlags,
                          const char* fileName, const char* ident, int32_t p1, int32_t p2, int32_t p3, int32_t p4,
                          int32_t mipCount, Offscreen* const* mipOffscreens) {
  if (!gTextureModuleStarted) return kTextureErrNotStarted;
  bool recordOnly = (createFlags & kTextureCreateRecordOnly) != 0;
  if (!recordOnly && (!offscreen || !context)) return kWreErrNull;
  if (handle < 0 || handle >= gTextureCount) return kTextureErrHandle;
  Texture* t = &gTextureTable[handle];
  if (t->flags & kTextureInUse) return kTextureErrInUse;
  if (!recordOnly) {
    if (wre_TextureCheckSize(offscreen->width) != 0 || wre_TextureCheckSize(offscreen->height) != 0) {
      return kTextureErrSize;
    }
  }

  std::memset(t, 0, sizeof(*t));
  t->createFlags = createFlags;
  wre_StringCopyN(fileName ? fileName : " ", t->file, kTextureFileSize, 1);
  wre_StringCopyN(ident ? ident : " ", t->ident, kTextureIdentSize, 1);
  if (!recordOnly) {
    t->glName = static_cast<uint32_t>(handle) + 1u;
    if (createFlags & kTextureCreateFlag0) t->flags |= kTextureFlag0;
    if (offscreen->flags & kOffscreenAlpha) {
      t->flags |= kTextureHasAlpha;
      if ((offscreen->flags & kOffscreen4444) || offscreen->depth == 32) t->flags |= kTextureTranslucent;
    }
    t->offscreen = offscreen;
    t->width = offscreen->width;
    t->height = offscreen->height;
    int32_t result = wre_TextureUpload(t, offscreen, context, mipCount, mipOffscreens);
    if (result != 0) {
      std::memset(t, 0, sizeof(*t));
      ResetNames(t);
      return result;
    }
    wre_TextureComputeShifts(t);
  }
  t->flags |= kTextureInUse;
  gTextureIndexMap[handle] = handle;
  t->handle = handle;
  t->context = context;

  if ((createFlags & kTextureCreateRipple) && !recordOnly && mipCount < 1 && !mipOffscreens) {
    int32_t result = wre_RippleNew(t, p1, p2, p3, p4, offscreen);
    if (result != 0) {
      // The caller gets an error and no texture to release: give the slot back.
      wre_TextureRelease(handle);
      return result;
    }
    wre_TextureAnimatedAdd(t);
  } else {
    t->flags &= static_cast<uint8_t>(~kTextureAnimated);
  }
  std::strcpy(t->ident, " ");
  return 0;
}

int32_t wre_TextureRelease(int32_t handle) {
  if (!gTextureModuleStarted) return kTextureErrNotStarted;
  if (handle >= gTextureCount || handle < -1) return kTextureErrHandle;
  if (handle == -1 || !(gTextureTable[handle].flags & kTextureInUse)) return kTextureErrNotInUse;
  Texture* t = &gTextureTable[handle];
  int32_t result = 0;
  if (t->flags & kTextureAnimated) KeepFirst(&result, wre_TextureAnimatedRemove(t));
  if (t->ripple) KeepFirst(&result, wre_RippleDispose(t));
  KeepFirst(&result, wre_TextureUnload(handle));
  t->flags &= static_cast<uint8_t>(~kTextureInUse);
  ResetNames(t);
  return result;
}

int32_t wre_TextureReleaseAll() {
  if (!gTextureModuleStarted) return kTextureErrNotStarted;
  for (int32_t i = 0; i < gTextureCount; ++i) {
    if (gTextureTable[i].flags & kTextureInUse) wre_TextureRelease(i);
  }
  return 0;
}

int32_t wre_TextureUpload(Texture* texture, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                          Offscreen* const* mipOffscreens) {
  if (!gTextureModuleStarted || !context) return -1;
  if (!texture || !offscreen) return kWreErrNull;
  if (offscreen->kind != kOffscreenMemory) return kTextureErrOffscreenKind;
  texture->context = context;
  if (!gRendererHooks.upload) return -1;
  return gRendererHooks.upload(texture, offscreen, context, mipCount, mipOffscreens);
}

int32_t wre_TextureUnload(int32_t handle) {
  if (!gTextureModuleStarted) return kTextureErrNotStarted;
  if (handle < 0 || handle >= gTextureCount) return kTextureErrHandle;
  Texture* t = &gTextureTable[handle];
  if (!t->context || (t->createFlags & kTextureCreateRecordOnly)) return 0;  // no renderer copy
  return gRendererHooks.release ? gRendererHooks.release(t) : 0;
}

void wre_TextureForgetContext(const DrawingContext* context) {
  if (!context || !gTextureModuleStarted) return;
  for (int32_t i = 0; i < gTextureCount; ++i) {
    Texture* t = &gTextureTable[i];
    if (t->context != context) continue;
    wre_TextureUnload(i);
    t->context = nullptr;
  }
}

int32_t wre_TextureReupload(Texture* texture, Offscreen* offscreen, DrawingContext* context) {
  if (!texture || !offscreen || !context) return kWreErrNull;
  if (offscreen->width != texture->width || offscreen->height != texture->height) return kTextureErrSize;
  wre_TextureUnload(texture->handle);
  return wre_TextureUpload(texture, offscreen, context, 0, nullptr);
}

int32_t wre_TextureFindByFile(const char* name) {
  if (!name || !gTextureModuleStarted) return -1;
  for (int32_t i = 0; i < gTextureCount; ++i) {
    if ((gTextureTable[i].flags & kTextureInUse) && wre_StringEqualNoCase(gTextureTable[i].file, name)) return i;
  }
  return -1;
}

int32_t wre_TextureFindByIdent(const char* ident) {
  if (!ident || !gTextureModuleStarted) return -1;
  for (int32_t i = 0; i < gTextureCount; ++i) {
    if ((gTextureTable[i].flags & kTextureInUse) && wre_StringEqualNoCase(gTextureTable[i].ident, ident)) return i;
  }
  return -1;
}

Texture* wre_TextureGet(int32_t handle) {
  if (!HandleInTable(handle)) return nullptr;
  int32_t index = gTextureIndexMap[handle];
  if (index < 0 || index >= gTextureCount) return nullptr;
  return &gTextureTable[index];
}

Texture* wre_TextureGetByIdent(const char* ident) { return wre_TextureGet(wre_TextureFindByIdent(ident)); }

int32_t wre_TextureSetFileName(int32_t handle, const char* name) {
  if (!gTextureModuleStarted) return kTextureErrNotStarted;
  if (handle < 0 || handle >= gTextureCount) return kTextureErrHandle;
  return wre_StringCopyN(name ? name : " ", gTextureTable[handle].file, kTextureFileSize, 1);
}

int32_t wre_TextureSetIdent(Texture* texture, const char* ident) {
  if (!texture) return kWreErrNull;
  return wre_StringCopyN(ident ? ident : " ", texture->ident, kTextureIdentSize, 1);
}

int32_t wre_TextureAnimateAll(int32_t value) {
  if (!gTextureModuleStarted) return -1;
  for (Texture* t = gAnimatedTextures; t;) {
    Texture* next = t->animatedNext;
    int32_t result = wre_RippleStep(t, value);
    if (result != 0) return result;
    t = next;
  }
  return 0;
}

int32_t wre_TextureAnimatedAdd(Texture* texture) {
  if (!texture) return kWreErrNull;
  if (OnAnimatedList(texture)) return kTextureErrAnimatedLinked;
  texture->animatedNext = nullptr;
  texture->animatedPrev = nullptr;
  if (!gAnimatedTextures) {
    gAnimatedTextures = texture;
  } else {
    Texture* tail = gAnimatedTextures;
    while (tail->animatedNext) tail = tail->animatedNext;
    tail->animatedNext = texture;
    texture->animatedPrev = tail;
  }
  texture->flags |= kTextureAnimated;
  return 0;
}

int32_t wre_TextureAnimatedRemove(Texture* texture) {
  if (!texture) return kWreErrNull;
  if (!OnAnimatedList(texture)) return kTextureErrAnimatedNotLinked;
  if (texture->animatedPrev) {
    texture->animatedPrev->animatedNext = texture->animatedNext;
  } else {
    gAnimatedTextures = texture->animatedNext;
  }
  if (texture->animatedNext) texture->animatedNext->animatedPrev = texture->animatedPrev;
  texture->animatedPrev = nullptr;
  texture->animatedNext = nullptr;
  texture->flags &= static_cast<uint8_t>(~kTextureAnimated);
  return 0;
}

void wre_UVScaleFrom255(float* uv) {
  if (!uv) return;
  const float scale = 1.0f / 255.0f;
  uv[0] *= scale;
  uv[1] *= scale;
}

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

void wre_TextureSetRendererHooks(const TextureRendererHooks& hooks) { gRendererHooks = hooks; }

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
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* in = o->pixels + static_cast<size_t>(h - 1 - y) * static_cast<size_t>(o->rowBytes);
    uint8_t* out = surface + static_cast<size_t>(y) * static_cast<size_t>(pitch);
    for (int32_t x = 0; x < w; ++x) {
      Rgba c{};
      if (!ReadPixel(o, in, &c)) return kTextureErrConvertDepth;
      if (forceOpaque) c.a = 255;
      uint32_t v = Pack(red, c.r) | Pack(green, c.g) | Pack(blue, c.b);
      if (withAlpha) v |= Pack(alpha, c.a);
      for (int32_t k = 0; k < targetBytes; ++k) out[k] = static_cast<uint8_t>(v >> (8 * k));
      out += targetBytes;
      in += sourceBytes;
    }
  }
  return wre_TextureSetFormatD3D(t, &f);
}

void wre_TextureSetPixelClass(Texture* texture, int32_t pixelClass) {
  if (texture) texture->pixelClass = pixelClass;
}

int32_t wre_TextureSetCreateFlags(Texture* texture, int32_t createFlags) {
  if (!texture) return kWreErrNull;
  texture->createFlags = createFlags;
  return 0;
}

void wre_TextureSetSize(Texture* texture, int32_t width, int32_t height) {
  if (!texture) return;
  texture->width = width;
  texture->height = height;
}

bool wre_TextureInUse(int32_t handle) {
  return HandleInTable(handle) && (gTextureTable[handle].flags & kTextureInUse) != 0;
}

namespace {
void SetFlag(Texture* t, uint8_t bit, bool on) {
  if (!t) return;
  if (on) {
    t->flags |= bit;
  } else {
    t->flags &= static_cast<uint8_t>(~bit);
  }
}
}  // namespace

void wre_TextureSetFlag0(Texture* texture, bool on) { SetFlag(texture, kTextureFlag0, on); }
void wre_TextureSetVideoMemory(Texture* texture, bool on) { SetFlag(texture, kTextureVideoMemory, on); }
bool wre_TextureInVideoMemory(const Texture* texture) { return texture && (texture->flags & kTextureVideoMemory); }
void wre_TextureSetAnimated(Texture* texture, bool on) { SetFlag(texture, kTextureAnimated, on); }

int32_t wre_TextureMapIndex(int32_t handle, int32_t recordIndex) {
  if (!HandleInTable(handle) || recordIndex < 0 || recordIndex >= gTextureCount) return -1;
  gTextureIndexMap[handle] = recordIndex;
  return 0;
}

bool wre_PolygonDrawnUnlit(const ObjectPolygon* polygon) {
  if (!polygon) return false;
  if (polygon->texture != kNoTexture) {
    const Texture* texture = wre_TextureGet(polygon->texture);
    if (texture && (texture->flags & kTextureHasAlpha)) return true;
  }
  int32_t handle = polygon->material;
  if (gMaterialTable && gMaterialIndexMap && handle >= 0 && handle < gMaterialCount) {
    int32_t index = gMaterialIndexMap[handle];
    if (index >= 0 && index < gMaterialCount && gMaterialTable[index].colourA.alpha < gColourMax) return true;
  }
  return false;
}
