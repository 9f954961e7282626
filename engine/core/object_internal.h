// What the object files (life cycle, geometry, setters, lists) share: tests of kinds and flags and
// the walk over the members of an object's detail group.
#pragma once
#include <cstdint>

#include "engine/core/detail.h"
#include "engine/core/object.h"
#include "engine/core/wre_types.h"

namespace object_internal {

inline bool IsStatic(const EngineObject* object) { return (object->renderFlags & kRenderStatic) != 0; }
inline bool IsMeshKind(int32_t kind) { return kind == kObjectMesh || kind == kObjectStatic; }

inline uint8_t SoftwarePolyKind(int32_t kind) {
  if (wre_ObjectRendererKind() == kRendererSoftware) {
    if (kind == kPolyPlainSmooth) return kPolyPlain;
    if (kind == kPolyTexturedSmooth) return kPolyTexturedFlat;
  }
  return static_cast<uint8_t>(kind);
}

template <typename F>
inline void ForMembers(EngineObject* object, F&& each) {
  if (!object->detailGroup) return;
  for (EngineObject* member = object->detailGroup->members; member; member = member->next) each(member);
}

inline void MarkChanged(EngineObject* object) {
  object->transform.changed = 1;
  ForMembers(object, [](EngineObject* member) { member->transform.changed = 1; });
}

// The bounds of the object's local points: minx, maxx, miny, maxy, minz, maxz.
void LocalBounds(const EngineObject* object, float* bounds);

}  // namespace object_internal
