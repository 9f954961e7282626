#include "engine/data/model_chunk.h"

#include <cstring>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/userdata.h"
#include "engine/data/material.h"
#include "engine/data/model_internal.h"
#include "engine/data/model_textures.h"
#include "platform/plat_bytes.h"

namespace {

// One chunk's body: its bytes after the 8-byte header.
struct Body {
  const uint8_t* data;
  int32_t size;
};

// The count at the start of a body of fixed-size entries; -1 when the entries do not fit the body.
int32_t CountOf(const Body& body, int32_t entryBytes) {
  if (body.size < 4) return -1;
  const int32_t count = plat_BeInt32(body.data);
  if (count < 0 || count > (body.size - 4) / entryBytes) return -1;
  return count;
}

// A fixed name field must end inside itself.
bool Terminated(const uint8_t* field, size_t size) { return std::memchr(field, 0, size) != nullptr; }

bool IsPolygonKind(int32_t kind) {
  return kind == kPolyPlain || kind == kPolyPlainSmooth || kind == kPolyTextured || kind == kPolyTexturedFlat ||
         kind == kPolyTexturedSmooth;
}

float ScaledComponent(float value, float scale) {
  float v = value * scale;
  if (!(v >= 0.0f)) v = 0.0f;  // NaN too
  if (v > gColourMaxAlpha) v = gColourMaxAlpha;
  return v;
}

struct ReadState {
  EngineObject* object = nullptr;
  uint32_t flags = 0;
  bool givenWorldPoints = false;
  bool givenPlanes = false;
  bool givenRadius = false;
};

bool ReadHeader(ReadState& state, const Body& body) {
  if (state.object) return false;  // a second header would orphan the first object
  if (body.size < kChunkObjectHeaderLength - kChunkHeaderBytes) return false;
  const uint8_t* b = body.data - kChunkHeaderBytes;  // offsets below count from the chunk's first byte
  const int32_t kind = plat_BeInt32(b + 8);
  uint32_t creationFlags = plat_Be32(b + 12);
  const uint32_t renderFlags = plat_Be32(b + 16);
  const int32_t collidable = plat_BeInt32(b + 24);
  const int32_t pointCapacity = plat_BeInt32(b + 36);
  const int32_t polygonCapacity = plat_BeInt32(b + 40);
  const uint32_t modeFlags = plat_Be32(b + 44);
  const float modeValue = plat_BeFloat(b + 48);
  const uint32_t group = plat_Be32(b + 52);
  if (pointCapacity < 1 || pointCapacity > kChunkMaxPoints || polygonCapacity < 1 ||
      polygonCapacity > kChunkMaxPolygons) {
    return false;
  }
  // An object read from a file owns all of its arrays.
  creationFlags &= ~(kObjectUserDataShared | kObjectLocalShared | kObjectWorldShared);
  EngineObject* object = wre_ObjectNew(kind, polygonCapacity, pointCapacity, group, 0, creationFlags);
  if (!object) return true;  // out of memory: the filling chunks are passed over, the read gives null
  wre_ObjectSetRenderFlags(object, renderFlags);
  wre_ObjectSetModeFlags(object, modeFlags, modeValue);
  wre_ObjectSetCollidable(object, collidable != 0 ? 1 : 0);
  wre_ObjectSetCollisionGroup(object, group);
  wre_ObjectSetTransform(object, plat_BeInt32(b + 84), plat_BeInt32(b + 88), plat_BeInt32(b + 92), plat_BeFloat(b + 72), plat_BeFloat(b + 76), plat_BeFloat(b + 80));
  state.object = object;
  return true;
}

bool ReadPoints(EngineObject* object, const Body& body) {
  const int32_t count = CountOf(body, 16);
  if (count < 0 || count > object->pointCapacity - object->pointCount) return false;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* e = body.data + 4 + 16 * i;
    wre_ObjectAddPoint(object, plat_BeFloat(e), plat_BeFloat(e + 4), plat_BeFloat(e + 8), 0);
  }
  return true;
}

// Four floats an entry stored straight into an array of at most capacity entries.
bool ReadPoint4Array(Point4* array, int32_t capacity, const Body& body) {
  const int32_t count = CountOf(body, 16);
  if (count < 0 || count > capacity) return false;
  if (!array) return true;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* e = body.data + 4 + 16 * i;
    array[i] = Point4{plat_BeFloat(e), plat_BeFloat(e + 4), plat_BeFloat(e + 8), plat_BeFloat(e + 12)};
  }
  return true;
}

bool ReadPolygons(const ReadState& state, const Body& body) {
  EngineObject* object = state.object;
  const int32_t count = CountOf(body, kChunkPolygonEntryBytes);
  if (count < 0 || count > object->polygonCapacity - object->polygonCount) return false;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* e = body.data + 4 + kChunkPolygonEntryBytes * i;
    const int32_t kind = plat_BeInt32(e);
    if (!IsPolygonKind(kind)) return false;
    for (int k = 0; k < 3; ++k) {
      const int32_t index = plat_BeInt32(e + 8 + 4 * k);
      if (index < 0 || index >= object->pointCapacity) return false;
    }
    int32_t material = plat_BeInt32(e + 20);
    // Every negative material number is the invalid material, never a table index.
    if (material < 0) material = 0xFFFF;
    if (state.flags & kChunkReadIgnoreMaterials) material = 0;
    const int32_t texture = plat_BeInt32(e + 24);
    if (wre_ObjectAddPoly(object, material, texture, kind, plat_BeInt32(e + 8), plat_BeInt32(e + 12), plat_BeInt32(e + 16), nullptr, nullptr,
                          nullptr, 0) != 0) {
      return false;
    }
  }
  return true;
}

bool ReadCoordinates(EngineObject* object, const Body& body) {
  const int32_t count = CountOf(body, 8);
  if (count < 0 || count > 3 * object->polygonCapacity) return false;
  if (!object->textureCoords) return true;
  const float scale = 1.0f / 255.0f;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* e = body.data + 4 + 8 * i;
    object->textureCoords[2 * i] = plat_BeFloat(e) * scale;
    object->textureCoords[2 * i + 1] = plat_BeFloat(e + 4) * scale;
  }
  return true;
}

// Builds the file-number-to-engine-index table of a texture or material chunk; entries whose
// number is outside 0..kChunkMaxFileNumber are not listed. False for a name without terminator.
template <typename Resolve>
bool BuildTable(const Body& body, int32_t entryBytes, int32_t count, std::vector<int32_t>& table, Resolve resolve) {
  int32_t largest = -1;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* e = body.data + 4 + entryBytes * i;
    if (!Terminated(e + 4, kChunkNameBytes)) return false;
    const int32_t number = plat_BeInt32(e);
    if (number >= 0 && number <= kChunkMaxFileNumber && number > largest) largest = number;
  }
  if (largest < 0) return true;
  table.assign(static_cast<size_t>(largest) + 1, 0);
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* e = body.data + 4 + entryBytes * i;
    const int32_t number = plat_BeInt32(e);
    if (number < 0 || number > largest) continue;
    int32_t index = -1;
    if (!resolve(e, &index)) return false;
    if (index >= 0 && index <= 0xFFFF) table[static_cast<size_t>(number)] = index;
  }
  return true;
}

// A listed number takes its table entry; a number the chunk does not list maps to index 0.
uint16_t Remap(uint16_t value, const std::vector<int32_t>& table) {
  return value < table.size() ? static_cast<uint16_t>(table[value]) : 0;
}

bool ReadTextures(EngineObject* object, const Body& body) {
  const int32_t count = CountOf(body, kChunkTextureEntryBytes);
  if (count < 0) return false;
  std::vector<int32_t> table;
  const bool ok = BuildTable(body, kChunkTextureEntryBytes, count, table, [](const uint8_t* e, int32_t* index) {
    *index = wre_ModelTextureFindByFile(reinterpret_cast<const char*>(e + 4));
    return true;
  });
  if (!ok) return false;
  if (table.empty()) return true;
  for (int32_t i = 0; i < object->polygonCount; ++i) {
    ObjectPolygon& polygon = object->polygons[i];
    if (polygon.texture != kNoTexture) polygon.texture = Remap(polygon.texture, table);
  }
  return true;
}

bool ReadMaterials(EngineObject* object, const Body& body) {
  const int32_t count = CountOf(body, kChunkMaterialEntryBytes);
  if (count < 0) return false;
  std::vector<int32_t> table;
  const bool ok = BuildTable(body, kChunkMaterialEntryBytes, count, table, [](const uint8_t* e, int32_t* index) {
    if (!Terminated(e + 260, kChunkIdentBytes)) return false;
    const float ambient = plat_BeFloat(e + 292);
    float a[4], b[4];
    for (int k = 0; k < 4; ++k) {
      a[k] = ScaledComponent(plat_BeFloat(e + 300 + 4 * k), gColourMax);
      b[k] = ScaledComponent(plat_BeFloat(e + 316 + 4 * k), gColourMax);
    }
    int32_t handle = wre_MaterialFind(a[0], a[1], a[2], a[3], ambient, b[0], b[1], b[2], b[3]);
    if (handle < 0) {
      const float d = gColourMaxAlpha;
      handle = wre_MaterialCreate(a[0] / d, a[1] / d, a[2] / d, a[3] / d, b[0] / d, b[1] / d, b[2] / d, b[3] / d,
                                  reinterpret_cast<const char*>(e + 4));
      if (handle >= 0) {
        wre_MaterialSetIdent(handle, reinterpret_cast<const char*>(e + 260));
        wre_MaterialSetAmbientPercent(handle, ambient * 100.0f);
      }
    }
    *index = handle;
    return true;
  });
  if (!ok) return false;
  if (table.empty()) return true;
  for (int32_t i = 0; i < object->polygonCount; ++i) {
    ObjectPolygon& polygon = object->polygons[i];
    if (polygon.material != 0xFFFF) polygon.material = Remap(polygon.material, table);
  }
  return true;
}

bool ReadUserData(EngineObject* object, const Body& body) {
  if (body.size == 0) return true;
  if (body.size < 4) return false;
  const int32_t kind = plat_BeInt32(body.data);
  if (kind >= 2 && kind <= 65535 && kind != kUserDataText) return true;  // unsupported kinds add nothing
  const uint8_t* cursor = body.data;
  UserData* record = wre_UserDataRead(&cursor, body.size);
  if (!record) return false;
  if (ModelAttachUserData(object, record) != 0) {
    wre_UserDataDispose(record, 1);
    return false;
  }
  return true;
}

bool ReadChunk(ReadState& state, uint32_t id, const Body& body) {
  if (id == kChunkHeader) return ReadHeader(state, body);
  EngineObject* object = state.object;
  if (!object) return true;  // nothing to fill before the header
  switch (id) {
    case kChunkPoints:
      return ReadPoints(object, body);
    case kChunkWorldPoints:
      state.givenWorldPoints = true;
      return ReadPoint4Array(object->worldPoints, object->pointCapacity, body);
    case kChunkPolygons:
      return ReadPolygons(state, body);
    case kChunkCoordinates:
      return ReadCoordinates(object, body);
    case kChunkTextures:
      return ReadTextures(object, body);
    case kChunkMaterials:
      if (state.flags & kChunkReadIgnoreMaterials) return true;
      return ReadMaterials(object, body);
    case kChunkPlanes:
      state.givenPlanes = true;
      return ReadPoint4Array(object->planes, object->polygonCapacity, body);
    case kChunkWorldNormals:
      return ReadPoint4Array(object->pointNormals, object->pointCapacity, body);
    case kChunkLocalNormals:
      return ReadPoint4Array(object->givenNormals, object->pointCapacity, body);
    case kChunkRadius:
      if (body.size < 4) return false;
      object->radius = plat_BeFloat(body.data);
      state.givenRadius = true;
      return true;
    case kChunkUserData:
      return ReadUserData(object, body);
    default:
      return true;  // not ours: skipped by its length
  }
}

}  // namespace

bool wre_ObjectIOBinaryCheck(const uint8_t* data, int32_t size) {
  if (!data || size < kChunkHeaderBytes) return false;
  return plat_Be32(data) == kChunkObject && plat_BeInt32(data + 4) >= 0;
}

EngineObject* wre_ObjectIOBinaryRead(const uint8_t* data, int32_t size, const uint8_t** next, uint32_t flags) {
  if (!wre_ObjectIOBinaryCheck(data, size)) return nullptr;
  // The object chunk covers the whole object; it must hold at least a header and an end chunk and
  // lie inside the data, so that the next object always begins further on.
  const int32_t objectLength = plat_BeInt32(data + 4);
  if (objectLength < kChunkMinObjectLength || objectLength > size) return nullptr;
  const uint8_t* const end = data + objectLength;
  const uint8_t* position = data + kChunkHeaderBytes;
  ReadState state;
  state.flags = flags;
  bool ok = false;
  while (end - position >= kChunkHeaderBytes) {
    const uint32_t id = plat_Be32(position);
    if (id == kChunkEnd || id == kChunkEndAlt) {
      ok = true;
      break;
    }
    const int32_t length = plat_BeInt32(position + 4);
    if (id == kChunkObject || length < kChunkHeaderBytes || length > end - position) break;
    if (!ReadChunk(state, id, Body{position + kChunkHeaderBytes, length - kChunkHeaderBytes})) break;
    position += length;
  }
  EngineObject* object = state.object;
  if (!ok || !object) {
    if (object) wre_ObjectDispose(object);
    return nullptr;
  }
  if (next) *next = end;
  wre_ObjectRecalc(object, 0, 1, state.givenRadius ? 0 : 1, state.givenWorldPoints ? 0 : 1, state.givenPlanes ? 0 : 1);
  return object;
}
