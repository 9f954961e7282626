// Object property setters: collision, modes, per-polygon texture, material, flags and kind, render
// flags, name and the per-point attachments.
#include <cstring>

#include "engine/core/fatal.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/object_internal.h"
#include "engine/core/strings.h"

using namespace object_internal;

int32_t wre_ObjectSetCollidable(EngineObject* object, uint8_t on) {
  if (!object) return kWreErrNull;
  if (on) {
    object->status |= kStatusActive;
  } else {
    object->status &= static_cast<uint8_t>(~kStatusActive);
  }
  return 0;
}

int32_t wre_ObjectSetCollisionGroup(EngineObject* object, uint32_t bits) {
  if (!object) return kWreErrNull;
  object->collisionGroup = bits;
  return 0;
}

int32_t wre_ObjectSetModeFlags(EngineObject* object, uint32_t word, float value) {
  if (!object) return kWreErrNull;
  object->modeWord = word;
  object->modeValue = value;
  return 0;
}

int32_t wre_ObjectSetPolyTexture(EngineObject* object, int32_t polygon, int32_t texture) {
  if (!object) return kWreErrNull;
  if (polygon < 0 || polygon >= object->polygonCount || texture < 0 || texture > 0xFFFF) return kWreErrRange;
  object->polygons[polygon].texture = static_cast<uint16_t>(texture);
  return 0;
}

int32_t wre_ObjectSetAllPolyTexture(EngineObject* object, int32_t texture) {
  if (!object) return kWreErrNull;
  for (int32_t i = 0; i < object->polygonCount; ++i) wre_ObjectSetPolyTexture(object, i, texture);
  return 0;
}

int32_t wre_ObjectSetPolyMaterialIndex(EngineObject* object, int32_t polygon, int32_t material) {
  if (!object) return kWreErrNull;
  if (polygon < 0 || polygon >= object->polygonCount || material < 0 || material > 0xFFFF) return kWreErrRange;
  object->polygons[polygon].material = static_cast<uint16_t>(material);
  return 0;
}

int32_t wre_ObjectSetAllPolyMaterialIndex(EngineObject* object, int32_t material) {
  if (!object) return kWreErrNull;
  for (int32_t i = 0; i < object->polygonCount; ++i) wre_ObjectSetPolyMaterialIndex(object, i, material);
  ForMembers(object, [&](EngineObject* member) { wre_ObjectSetAllPolyMaterialIndex(member, material); });
  return 0;
}

int32_t wre_ObjectSetPolyFlags(EngineObject* object, int32_t polygon, uint32_t flags) {
  if (!object) return kWreErrNull;
  if (!IsMeshKind(object->kind)) wre_SystemFatalError("No support for this object type - wre_ObjectSetPolyFlags");
  if (polygon < 0 || polygon >= object->polygonCount) return kWreErrRange;
  object->polygons[polygon].flags = flags;
  return 0;
}

int32_t wre_ObjectSetAllPolyFlags(EngineObject* object, uint32_t flags) {
  if (!object) return kWreErrNull;
  for (int32_t i = 0; i < object->polygonCount; ++i) wre_ObjectSetPolyFlags(object, i, flags);
  return 0;
}

int32_t wre_ObjectSetPolyVirtualTexturePoint(EngineObject* object, int32_t polygon, const float* a, const float* b,
                                             const float* c) {
  if (!object) return kWreErrNull;
  if (!IsMeshKind(object->kind)) {
    wre_SystemFatalError("No support for this object type - set poly virtual texture point");
  }
  if (polygon < 0 || polygon >= object->polygonCount) return kWreErrRange;
  ObjectPolygon& p = object->polygons[polygon];
  p.virtualTexturePoint[0] = a;
  p.virtualTexturePoint[1] = b;
  p.virtualTexturePoint[2] = c;
  p.flags |= kPolyVirtualTexturePoint;
  return 0;
}

int32_t wre_ObjectSetPolyKind(EngineObject* object, int32_t polygon, int32_t kind) {
  if (!object) return kWreErrNull;
  if (polygon < 0 || polygon >= object->polygonCount) return kWreErrRange;
  object->polygons[polygon].kind = SoftwarePolyKind(kind);
  return 0;
}

int32_t wre_ObjectSetAllPolyKinds(EngineObject* object, int32_t kind) {
  if (!object) return kWreErrNull;
  for (int32_t i = 0; i < object->polygonCount; ++i) wre_ObjectSetPolyKind(object, i, kind);
  return 0;
}

int32_t wre_ObjectSetBackfaceCull(EngineObject* object, uint8_t on) {
  if (!object) return kWreErrNull;
  if (on == 0) {
    object->renderFlags |= kRenderTwoSided;
  } else {
    object->renderFlags &= ~kRenderTwoSided;
  }
  ForMembers(object, [&](EngineObject* member) { wre_ObjectSetBackfaceCull(member, on); });
  return 0;
}

int32_t wre_ObjectSetRenderFlags(EngineObject* object, uint32_t word) {
  if (!object) return kWreErrNull;
  object->renderFlags = word;
  ForMembers(object, [&](EngineObject* member) { wre_ObjectSetRenderFlags(member, word); });
  return 0;
}

int32_t wre_ObjectSetAttrByte(EngineObject* object, uint8_t value) {
  if (!object) return -1;
  if (!IsStatic(object)) value &= static_cast<uint8_t>(~1u);
  object->attributes = value;
  return 0;
}

int32_t wre_ObjectSetDrawDistance(EngineObject* object, float distance) {
  if (!object) return kWreErrNull;
  if (!(distance > 0.0f)) return kWreErrRange;
  object->drawDistance = distance;
  return 0;
}

int32_t wre_ObjectSetName(EngineObject* object, const char* name) {
  if (!object) return kWreErrNull;
  if (!name) name = " ";
  const size_t length = strnlen(name, sizeof(object->name) - 1);
  std::memcpy(object->name, name, length);
  object->name[length] = '\0';
  return 0;
}

int32_t wre_ObjectAllocPointAttachments(EngineObject* object) {
  if (!object) return kWreErrNull;
  if (object->pointCapacity < 1) return -1;
  if (object->pointAttachments) return 0;
  object->pointAttachments = wre_MemoryNewArray<PointAttachment>(object->pointCapacity);
  return object->pointAttachments ? 0 : -1;
}

int32_t wre_ObjectFreePointAttachments(EngineObject* object) {
  if (!object) return kWreErrNull;
  // A vertex work record that borrowed the array loses its buffer with it.
  if (object->vertexWork && object->vertexWork->buffer == object->pointAttachments &&
      !(object->vertexWork->flags & kVertexWorkOwnsBuffer)) {
    object->vertexWork->buffer = nullptr;
  }
  wre_MemoryRelease(object->pointAttachments);
  return 0;
}
