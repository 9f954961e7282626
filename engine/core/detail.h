// Detail groups (level-of-detail members that share their parent's transform), per-point vertex
// work records for lighting, and shared clones that draw the same points as their source.
#pragma once
#include <cstdint>

#include "engine/core/object.h"

struct DetailGroup {
  float value;           // stored for the renderer
  int32_t count;         // number of members
  float switchDistance;  // distance of one detail step
  float stepReciprocal;  // 1 / switch distance
  EngineObject* members;  // linked through the members' list links
};

enum : uint32_t {
  kVertexWorkLit = 0x2,          // the renderer lights the points
  kVertexWorkOwnsBuffer = 0x4,
};

struct VertexWork {
  uint32_t flags;
  PointAttachment* buffer;  // one record a point
  int32_t lastTick;         // -1 after every object update: the renderer recomputes the buffer
};

// A member must stand alone: not in a world, not in a group, not the object itself and without a
// group of its own (-1010 otherwise).
int32_t wre_ObjectDetailSetAdd(EngineObject* object, EngineObject* member);
int32_t wre_ObjectDetailSetValue(EngineObject* object, float value);
int32_t wre_ObjectDetailSetDistance(EngineObject* object, float distance);
int32_t wre_ObjectDetailSetCount(EngineObject* object, int32_t count);
int32_t wre_ObjectDetailSetDispose(EngineObject* object);
// The object to draw for an eye at (x, y, z): the object itself, or the member of its detail
// level (the distance is the largest axis difference plus a quarter of the other two, less the
// radius; each switch distance is one level; the level is held at the count and the list's end).
EngineObject* wre_ObjectDetailSelect(EngineObject* object, float x, float y, float z);

int32_t wre_ObjectNewVertexWork(EngineObject* object);
int32_t wre_ObjectDisposeVertexWork(EngineObject* object);

int32_t wre_ObjectCloneShared(EngineObject** out, EngineObject** sourceHolder);
