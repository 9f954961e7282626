#include "engine/core/detail.h"

#include <cmath>
#include <cstring>

#include "engine/core/memory.h"

namespace {

// The drawn level is held below this, so that huge distances cannot overflow the conversion.
constexpr float kLevelLimit = 1.0e9f;

}  // namespace

int32_t wre_ObjectDetailSetAdd(EngineObject* object, EngineObject* member) {
  if (!object || !member) return kWreErrNull;
  // A member is linked through its list links: one that stands in a world or another group, the
  // object itself, or one with a group of its own (cycles) would corrupt those lists.
  if (member == object || member->detailGroup || (member->status & (kStatusInWorld | kStatusInGroup))) {
    return kWreErrRange;
  }
  if (!object->detailGroup) {
    auto* group = static_cast<DetailGroup*>(wre_MemoryNew(sizeof(DetailGroup)));
    if (!group) return kWreErrNoMemory;
    std::memset(group, 0, sizeof(*group));
    object->detailGroup = group;
  }
  DetailGroup* group = object->detailGroup;
  wre_ObjectListAppend(&group->members, member);
  member->status |= kStatusInGroup;
  group->count += 1;
  return 0;
}

int32_t wre_ObjectDetailSetValue(EngineObject* object, float value) {
  if (!object) return kWreErrNull;
  if (!object->detailGroup) return kWreErrNoDetailGroup;
  object->detailGroup->value = value;
  return 0;
}

int32_t wre_ObjectDetailSetDistance(EngineObject* object, float distance) {
  if (!object) return kWreErrNull;
  if (!object->detailGroup) return kWreErrNoDetailGroup;
  if (!(distance > 0.0f)) return kWreErrRange;
  object->detailGroup->switchDistance = distance;
  object->detailGroup->stepReciprocal = 1.0f / distance;
  return 0;
}

int32_t wre_ObjectDetailSetCount(EngineObject* object, int32_t count) {
  if (!object) return kWreErrNull;
  if (!object->detailGroup) return kWreErrNoDetailGroup;
  object->detailGroup->count = count;
  return 0;
}

int32_t wre_ObjectDetailSetDispose(EngineObject* object) {
  if (!object) return kWreErrNull;
  DetailGroup* group = object->detailGroup;
  if (!group) return kWreErrNoDetailGroup;
  int32_t result = 0;
  while (group->members) {
    EngineObject* member = group->members;
    wre_ObjectListRemove(&group->members, member);
    member->status &= static_cast<uint8_t>(~kStatusInGroup);
    const int32_t disposed = wre_ObjectDispose(member);
    if (result == 0) result = disposed;
  }
  wre_MemoryDispose(group);
  object->detailGroup = nullptr;
  return result;
}

EngineObject* wre_ObjectDetailSelect(EngineObject* object, float x, float y, float z) {
  if (!object || !object->detailGroup) return object;
  const DetailGroup* group = object->detailGroup;
  float d[3] = {std::fabs(x - object->transform.position[0]), std::fabs(y - object->transform.position[1]),
                std::fabs(z - object->transform.position[2])};
  // Largest first.
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2 - i; ++j) {
      if (d[j] < d[j + 1]) {
        const float swap = d[j];
        d[j] = d[j + 1];
        d[j + 1] = swap;
      }
    }
  }
  const float distance = d[0] + 0.25f * d[1] + 0.25f * d[2];
  float level = (distance - object->radius) * group->stepReciprocal;
  if (!(level >= 1.0f)) return object;
  if (level > kLevelLimit) level = kLevelLimit;
  int32_t step = static_cast<int32_t>(level);
  if (step > group->count) step = group->count;
  EngineObject* drawn = object;
  EngineObject* member = group->members;
  for (int32_t i = 1; i <= step && member; ++i, member = member->next) drawn = member;
  return drawn;
}

int32_t wre_ObjectNewVertexWork(EngineObject* object) {
  if (!object) return kWreErrNull;
  if (object->polygonCount <= 0 || !object->polygons || object->polygons[0].texture == kNoTexture) {
    return kWreErrNoVertexWork;
  }
  // A second record would leak the first.
  if (object->vertexWork) return kWreErrRange;
  auto* work = static_cast<VertexWork*>(wre_MemoryNew(sizeof(VertexWork)));
  if (!work) return kWreErrNoMemory;
  std::memset(work, 0, sizeof(*work));
  work->flags = kVertexWorkLit;
  if (gObjectServices.polygonUnlit && gObjectServices.polygonUnlit(&object->polygons[0])) {
    work->flags &= ~kVertexWorkLit;
  }
  if ((object->renderFlags & kRenderPointColours) && object->pointAttachments) {
    work->buffer = object->pointAttachments;
  } else {
    // Sized by the capacity, so points added later still have their record.
    const int32_t bytes = object->pointCapacity * static_cast<int32_t>(sizeof(PointAttachment));
    work->buffer = object->pointCapacity > 0 ? static_cast<PointAttachment*>(wre_MemoryNew(bytes)) : nullptr;
    if (!work->buffer) {
      wre_MemoryDispose(work);
      return kWreErrNoMemory;
    }
    std::memset(work->buffer, 0, static_cast<size_t>(bytes));
    work->flags |= kVertexWorkOwnsBuffer;
  }
  object->vertexWork = work;
  return 0;
}

int32_t wre_ObjectDisposeVertexWork(EngineObject* object) {
  if (!object) return kWreErrNull;
  VertexWork* work = object->vertexWork;
  if (!work) return kWreErrRange;
  if ((work->flags & kVertexWorkOwnsBuffer) && work->buffer) wre_MemoryDispose(work->buffer);
  wre_MemoryDispose(work);
  object->vertexWork = nullptr;
  return 0;
}

int32_t wre_ObjectCloneShared(EngineObject** out, EngineObject** sourceHolder) {
  if (!out || !sourceHolder || !*sourceHolder) {
    if (out) *out = nullptr;
    return kWreErrNull;
  }
  *out = nullptr;
  EngineObject* source = wre_ObjectRebuildEx(*sourceHolder, (*sourceHolder)->creationFlags, 1);
  if (!source) return kWreErrNoMemory;
  *sourceHolder = source;
  EngineObject* clone = wre_ObjectRebuildEx(source, source->creationFlags, 0);
  if (!clone) return kWreErrNoMemory;
  // Kinds that are never rebuilt, and locked objects, come back as themselves: no clone of them.
  if (clone == source) return kWreErrRange;
  if (!(clone->creationFlags & kObjectLocalShared)) wre_MemoryDispose(clone->localPoints);
  if (!(clone->creationFlags & kObjectWorldShared)) wre_MemoryDispose(clone->worldPoints);
  clone->localPoints = source->localPoints;
  clone->worldPoints = source->worldPoints;
  clone->creationFlags |= kObjectUserDataShared | kObjectLocalShared | kObjectWorldShared;
  clone->renderFlags = source->renderFlags;
  *out = clone;
  return 0;
}
