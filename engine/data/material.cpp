#include "engine/data/material.h"

#include <climits>
#include <cstring>

#include "engine/core/colour_scale.h"
#include "engine/core/memory.h"
#include "engine/core/particles.h"
#include "engine/core/strings.h"
#include "engine/core/world.h"
#include "engine/core/wre_types.h"

Material* gMaterialTable = nullptr;
int32_t* gMaterialIndexMap = nullptr;
int32_t gMaterialCount = 0;
uint8_t gMaterialModuleStarted = 0;

namespace {

WreWorldAmbientReader gAmbientReader = nullptr;

bool SlotInRange(int32_t handle) { return gMaterialModuleStarted && handle >= 0 && handle < gMaterialCount; }

// A handle is good when its own slot is in use; the record is then reached through the map.
Material* Record(int32_t handle) {
  if (!SlotInRange(handle) || !gMaterialTable[handle].inUse) return nullptr;
  int32_t index = gMaterialIndexMap[handle];
  if (index < 0 || index >= gMaterialCount) return nullptr;
  return &gMaterialTable[index];
}

float Clamp(float value, float low, float high) {
  if (value != value) return low;  // not a number
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

void DisposeTable() {
  if (gMaterialTable) wre_MemoryDispose(gMaterialTable);
  if (gMaterialIndexMap) wre_MemoryDispose(gMaterialIndexMap);
  gMaterialTable = nullptr;
  gMaterialIndexMap = nullptr;
  gMaterialCount = 0;
  gMaterialModuleStarted = 0;
}

}  // namespace

void wre_MaterialSetAmbientReader(WreWorldAmbientReader reader) { gAmbientReader = reader; }

bool wre_MaterialReadWorldAmbient(const World* world, MaterialAmbient* ambient) {
  if (!world || !ambient) return false;
  ambient->red = world->ambient[0];
  ambient->green = world->ambient[1];
  ambient->blue = world->ambient[2];
  ambient->level = world->ambientLevel;
  return true;
}

int32_t wre_MaterialTableInit(int32_t count) {
  if (count < 1) return -1;
  if (static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(Material)) > INT_MAX) return -1;
  // A second start replaces the table rather than losing it.
  if (gMaterialModuleStarted) DisposeTable();
  auto tableBytes = static_cast<int32_t>(static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(Material)));
  auto* table = static_cast<Material*>(wre_MemoryNew(tableBytes));
  if (!table) return -1;
  auto mapBytes = static_cast<int32_t>(static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(int32_t)));
  auto* map = static_cast<int32_t*>(wre_MemoryNew(mapBytes));
  if (!map) {
    wre_MemoryDispose(table);
    return -1;
  }
  std::memset(table, 0, static_cast<size_t>(tableBytes));
  std::memset(map, 0, static_cast<size_t>(mapBytes));
  gMaterialTable = table;
  gMaterialIndexMap = map;
  gMaterialCount = count;
  gMaterialModuleStarted = 1;
  // Particle sets name their material by handle from now on.
  wre_ParticlesSetMaterialCheck([](int32_t material) {
    return gMaterialTable && material >= 0 && material < gMaterialCount && gMaterialTable[material].inUse != 0;
  });
  return 0;
}

int32_t wre_MaterialTableFree() {
  if (!gMaterialModuleStarted) return -1;
  DisposeTable();
  wre_ParticlesSetMaterialCheck(nullptr);
  return 0;
}

int32_t wre_MaterialFindFree() {
  if (!gMaterialModuleStarted) return -1;
  for (int32_t i = 0; i < gMaterialCount; ++i) {
    if (!gMaterialTable[i].inUse) return i;
  }
  return -1;
}

int32_t wre_MaterialDefine(int32_t handle, const ColourFloat* colourA, const ColourFloat* colourB, const char* name) {
  if (!SlotInRange(handle) || gMaterialTable[handle].inUse || !colourA || !colourB) return -1;
  Material* m = &gMaterialTable[handle];
  m->inUse = 1;
  m->colourA = *colourA;
  m->colourB = *colourB;
  gMaterialIndexMap[handle] = handle;
  wre_MaterialSetName(handle, name);
  int32_t result = wre_MaterialRecordSetIdent(m, nullptr);
  if (result == 0) result = wre_MaterialSetAmbientPercent(handle, 100.0f);
  gLightingDirty = 1;
  m->flags |= kMaterialShareable;
  return result;
}

int32_t wre_MaterialCreate(float aRed, float aGreen, float aBlue, float aAlpha, float bRed, float bGreen, float bBlue,
                           float bAlpha, const char* name) {
  int32_t handle = wre_MaterialFindFree();
  if (handle < 0) return -1;
  auto scale = [](float component) { return Clamp(component * gColourMax, 0.0f, gColourMaxAlpha); };
  ColourFloat a{scale(aRed), scale(aGreen), scale(aBlue), scale(aAlpha)};
  ColourFloat b{scale(bRed), scale(bGreen), scale(bBlue), scale(bAlpha)};
  if (wre_MaterialDefine(handle, &a, &b, name) != 0) return -1;
  return handle;
}

int32_t wre_MaterialRelease(int32_t handle) {
  if (!SlotInRange(handle) || !gMaterialTable[handle].inUse) return -1;
  gMaterialTable[handle].inUse = 0;
  return 0;
}

int32_t wre_MaterialReleaseAll() {
  if (!gMaterialModuleStarted) return kMaterialErrNotStarted;
  for (int32_t i = 0; i < gMaterialCount; ++i) gMaterialTable[i].inUse = 0;
  return 0;
}

int32_t wre_MaterialSetAmbientPercent(int32_t handle, float percent) {
  Material* m = Record(handle);
  if (!m) return kMaterialErrHandle;
  m->ambientResponse = percent * 0.01f;
  return 0;
}

int32_t wre_MaterialSetOpacity(int32_t handle, float opacity) {
  Material* m = Record(handle);
  if (!m) return kMaterialErrHandle;
  opacity = Clamp(opacity, 0.0f, 1.0f);
  m->colourA.alpha = opacity * gColourMax;
  m->colourA.red = Clamp(m->colourA.red, 0.0f, gColourMaxAlpha);
  m->colourA.green = Clamp(m->colourA.green, 0.0f, gColourMaxAlpha);
  m->colourA.blue = Clamp(m->colourA.blue, 0.0f, gColourMaxAlpha);
  m->colourA.alpha = Clamp(m->colourA.alpha, 0.0f, gColourMaxAlpha);
  gLightingDirty = 1;
  return 0;
}

void wre_MaterialSetName(int32_t handle, const char* name) {
  Material* m = Record(handle);
  if (!m) return;
  wre_StringCopyN(name ? name : "material", m->name, static_cast<int32_t>(sizeof(m->name)), 1);
}

int32_t wre_MaterialSetIdent(int32_t handle, const char* ident) {
  Material* m = Record(handle);
  if (!m) return kMaterialErrHandle;
  return wre_MaterialRecordSetIdent(m, ident);
}

int32_t wre_MaterialRecordSetIdent(Material* record, const char* ident) {
  if (!record) return kWreErrNull;
  return wre_StringCopyN(ident ? ident : " ", record->ident, static_cast<int32_t>(sizeof(record->ident)), 1);
}

int32_t wre_MaterialSetShareable(int32_t handle, int32_t on) {
  Material* m = Record(handle);
  if (!m) return kMaterialErrHandle;
  if (on & 0xFF) {
    m->flags |= kMaterialShareable;
  } else {
    m->flags &= static_cast<uint8_t>(~kMaterialShareable);
  }
  return 0;
}

bool wre_MaterialIsShareable(int32_t handle) {
  Material* m = Record(handle);
  return m && (m->flags & kMaterialShareable);
}

int32_t wre_MaterialMapIndex(int32_t handle, int32_t recordIndex) {
  if (!SlotInRange(handle) || !wre_MaterialIndexValid(recordIndex)) return -1;
  gMaterialIndexMap[handle] = recordIndex;
  return 0;
}

bool wre_MaterialIndexValid(int32_t index) { return index >= 0 && index < gMaterialCount; }

void wre_MaterialSetInUse(Material* record, int32_t value) {
  if (record) record->inUse = value;
}

int32_t wre_MaterialFind(float aRed, float aGreen, float aBlue, float aAlpha, float ambientResponse, float bRed,
                         float bGreen, float bBlue, float bAlpha) {
  if (!gMaterialModuleStarted) return -1;
  for (int32_t h = 0; h < gMaterialCount; ++h) {
    const Material* m = Record(h);
    if (!m || !(m->flags & kMaterialShareable)) continue;
    if (m->colourA.red == aRed && m->colourA.green == aGreen && m->colourA.blue == aBlue &&
        m->colourA.alpha == aAlpha && m->ambientResponse == ambientResponse && m->colourB.red == bRed &&
        m->colourB.green == bGreen && m->colourB.blue == bBlue && m->colourB.alpha == bAlpha) {
      return h;
    }
  }
  return -1;
}

int32_t wre_MaterialFindByIdent(const char* ident) {
  if (!ident || !gMaterialModuleStarted) return -1;
  // A released slot keeps its old ident, but its handle may be handed out again at any time: only
  // materials in use are found.
  for (int32_t i = 0; i < gMaterialCount; ++i) {
    if (gMaterialTable[i].inUse && wre_StringEqualNoCase(gMaterialTable[i].ident, ident)) return i;
  }
  return -1;
}

int32_t wre_MaterialUpdateLitColours(const World* world) {
  MaterialAmbient ambient{0.0f, 0.0f, 0.0f, 0.0f};
  if (world && gAmbientReader && !gAmbientReader(world, &ambient)) ambient = MaterialAmbient{0.0f, 0.0f, 0.0f, 0.0f};
  return wre_MaterialUpdateLitColoursWith(&ambient);
}

int32_t wre_MaterialUpdateLitColoursWith(const MaterialAmbient* ambient) {
  MaterialAmbient none{0.0f, 0.0f, 0.0f, 0.0f};
  if (!ambient) ambient = &none;
  float factor = ambient->level * 0.5f;
  for (int32_t i = 0; i < gMaterialCount && gMaterialTable; ++i) {
    Material* m = &gMaterialTable[i];
    if (!m->inUse) continue;
    float response = m->ambientResponse;
    if (response > 0.0f || response != response) {
      auto light = [&](float colour, float ambientPart) {
        float value = (colour + ambientPart) * factor * response;
        if (value > gColourMax) value = gColourMax;
        if (value < 0.0f) value = 0.0f;
        return value;
      };
      m->lit.red = light(m->colourA.red, ambient->red);
      m->lit.green = light(m->colourA.green, ambient->green);
      m->lit.blue = light(m->colourA.blue, ambient->blue);
      m->lit.alpha = m->colourA.alpha;
    } else {
      m->lit = m->colourA;
    }
  }
  gLightingDirty = 0;
  return 0;
}

int32_t wre_MaterialOpacityResetAll(const World* world) {
  if (!gMaterialModuleStarted) return -1;
  for (int32_t i = 0; i < gMaterialCount; ++i) {
    Material* m = &gMaterialTable[i];
    if (!m->inUse) continue;
    m->colourB.alpha = gColourMaxAlpha;
    m->colourA.alpha = gColourMaxAlpha;
  }
  return wre_MaterialUpdateLitColours(world);
}
