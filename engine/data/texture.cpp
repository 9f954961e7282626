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

void wre_UVScaleFrom255(float* uv) {
  if (!uv) return;
  const float scale = 1.0f / 255.0f;
  uv[0] *= scale;
  uv[1] *= scale;
}

void wre_TextureSetRendererHooks(const TextureRendererHooks& hooks) { gRendererHooks = hooks; }

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
