#include "engine/core/object.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "engine/core/detail.h"
#include "engine/core/fatal.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/particles.h"
#include "engine/core/polytree.h"
#include "engine/core/world.h"
#include "engine/core/userdata.h"
#include "engine/core/object_internal.h"

namespace {

int32_t AddToWorld(World* world, EngineObject* object) { return wre_WorldAddObject(object, world); }

// The entries the engine core serves itself: user data, worlds and particle sets. The renderer
// kind, the unlit test and the camera detach belong to higher layers and are installed by them.
constexpr ObjectServices kCoreServices = {
    nullptr,                                // rendererKind
    &wre_ParticlesNew,                      // particlesNew
    &wre_ParticlesDispose,                  // particlesDispose
    &wre_ParticlesExtent,                   // particlesExtent
    &wre_ObjectDisposeUserData,             // userDataDisposeAll
    &wre_WorldRemoveObjectFromItsWorld,     // worldRemove
    &AddToWorld,                            // worldAdd
    &wre_WorldRefileObject,                 // worldRefile
    nullptr,                                // polygonUnlit
    nullptr,                                // cameraDetach
};

}  // namespace

ObjectServices gObjectServices = kCoreServices;

ObjectServices wre_ObjectCoreServices() { return kCoreServices; }

namespace {

using namespace object_internal;

constexpr int32_t kMaxPointIndex = 65535;

// The corner triples of the twelve box triangles.
constexpr uint16_t kBoxTriangles[12][3] = {
    {0, 1, 2}, {0, 2, 3}, {3, 2, 6}, {3, 6, 7}, {1, 5, 6}, {2, 1, 6},
    {0, 3, 7}, {7, 4, 0}, {1, 0, 4}, {1, 4, 5}, {6, 7, 4}, {6, 4, 5},
};

int32_t AllocArrays(EngineObject* object, uint32_t flags) {
  if (object->polygonCapacity < 1 || object->pointCapacity < 1) return -1;
  const int32_t points = object->pointCapacity;
  const int32_t polygons = object->polygonCapacity;
  object->localPoints = wre_MemoryNewArray<Point4>(points);
  object->worldPoints = wre_MemoryNewArray<Point4>(points);
  object->polygons = wre_MemoryNewArray<ObjectPolygon>(polygons);
  object->planes = wre_MemoryNewArray<Point4>(polygons);
  if (!object->localPoints || !object->worldPoints || !object->polygons || !object->planes) return -1;
  if (object->kind != kObjectParticles && !(flags & kObjectGivenNormals)) {
    object->pointNormals = wre_MemoryNewArray<Point4>(points);
    if (!object->pointNormals) return -1;
  }
  if (flags & kObjectGivenNormals) {
    object->givenNormals = wre_MemoryNewArray<Point4>(points);
    if (!object->givenNormals) return -1;
  }
  if (polygons > INT_MAX / 6) return -1;
  object->textureCoords = wre_MemoryNewArray<float>(polygons * 6);
  if (!object->textureCoords) return -1;
  object->pointCount = 0;
  object->polygonCount = 0;
  return 0;
}

// Adds a triangle and reports the three point indices it uses.
int32_t AddTriangle(EngineObject* object, int32_t material, int32_t texture, int32_t kind, const float* const p[3],
                    const float* uv0, const float* uv1, const float* uv2, int32_t* used) {
  if (!object) return kWreErrNull;
  for (int i = 0; i < 3; ++i) {
    if (!p[i]) return kWreErrNull;
  }
  if (!object->localPoints || !object->polygons) return -1;
  if (object->polygonCount >= object->polygonCapacity) return -1;
  // Count the points that will be new, so that nothing is appended when they do not all fit.
  int32_t found[3];
  int32_t fresh = 0;
  for (int i = 0; i < 3; ++i) {
    found[i] = wre_ObjectFindPoint(object, p[i][0], p[i][1], p[i][2]);
    if (found[i] >= 0) continue;
    bool repeat = false;
    for (int j = 0; j < i; ++j) {
      if (found[j] < 0 && p[j][0] == p[i][0] && p[j][1] == p[i][1] && p[j][2] == p[i][2]) repeat = true;
    }
    if (!repeat) ++fresh;
  }
  if (object->pointCount + fresh > object->pointCapacity) return -1;
  if (object->pointCount + fresh - 1 > kMaxPointIndex) return kWreErrRange;
  int32_t index[3];
  for (int i = 0; i < 3; ++i) index[i] = wre_ObjectAddPoint(object, p[i][0], p[i][1], p[i][2], 1);
  const int32_t result =
      wre_ObjectAddPoly(object, material, texture, kind, index[0], index[1], index[2], uv0, uv1, uv2, 1);
  if (result == 0 && used) {
    for (int i = 0; i < 3; ++i) used[i] = index[i];
  }
  return result;
}

}  // namespace

int32_t wre_ObjectRendererKind() { return gObjectServices.rendererKind ? gObjectServices.rendererKind() : 0; }

void wre_ObjectClear(EngineObject* object, uint32_t collisionGroup) {
  if (!object) return;
  std::memset(object, 0, sizeof(*object));
  for (int i = 0; i < 12; ++i) {
    for (int j = 0; j < 3; ++j) object->boxTriangles[i].points[j] = kBoxTriangles[i][j];
    object->boxTriangles[i].index = i;
  }
  wre_ObjectResetTransform(object);
  object->collisionGroup = collisionGroup;
}

EngineObject* wre_ObjectNew(int32_t kind, int32_t polygonCapacity, int32_t pointCapacity, uint32_t collisionGroup,
                            int32_t particleKind, uint32_t creationFlags) {
  if (kind < kObjectMesh || kind > kObjectStatic) return nullptr;
  const bool software = wre_ObjectRendererKind() == kRendererSoftware;
  if (software) creationFlags |= kObjectSoftware;
  auto* object = static_cast<EngineObject*>(wre_MemoryNew(sizeof(EngineObject)));
  if (!object) return nullptr;
  wre_ObjectClear(object, collisionGroup);
  object->kind = kind;
  if (kind == kObjectSprite) {
    object->sprite = wre_MemoryNewArray<SpriteSize>(1);
    if (!object->sprite) {
      wre_MemoryDispose(object);
      return nullptr;
    }
    polygonCapacity = 2;
    pointCapacity = 7;
  }
  object->polygonCapacity = polygonCapacity;
  object->pointCapacity = pointCapacity;
  if (kind != kObjectParticles) {
    wre_ObjectSetBackfaceCull(object, 1);
    object->creationFlags = creationFlags;
    bool failed = AllocArrays(object, creationFlags) != 0;
    if (!failed && (creationFlags & kObjectPointAttachments)) {
      object->pointAttachments = wre_MemoryNewArray<PointAttachment>(pointCapacity);
      failed = object->pointAttachments == nullptr;
    }
    if (failed) {
      wre_ObjectDispose(object);
      return nullptr;
    }
  } else {
    object->creationFlags = creationFlags;
    if (gObjectServices.particlesNew &&
        gObjectServices.particlesNew(object, particleKind, pointCapacity, 0, 0) != 0) {
      wre_ObjectDispose(object);
      return nullptr;
    }
  }
  if (software) object->renderFlags |= kRenderNoNormals;
  object->transform.changed = 1;
  return object;
}

int32_t wre_ObjectDispose(EngineObject* object) {
  if (!object) return kWreErrNull;
  // A member of a detail group goes with its group: freed alone it would stay in the parent's list.
  if (object->status & kStatusInGroup) return kWreErrRange;
  // An object still standing in a world leaves it first, so the world keeps no dangling link.
  if ((object->status & kStatusInWorld) && gObjectServices.worldRemove) gObjectServices.worldRemove(object);
  // Likewise off a camera's attached list.
  if (object->camera && gObjectServices.cameraDetach) gObjectServices.cameraDetach(object->camera, object);
  if (object->detailGroup) {
    const int32_t result = wre_ObjectDetailSetDispose(object);
    if (result != 0) return result;
  }
  if (object->userData && !(object->creationFlags & kObjectUserDataShared) && gObjectServices.userDataDisposeAll) {
    gObjectServices.userDataDisposeAll(object);
  }
  object->userData = nullptr;
  wre_MemoryRelease(object->pointAttachments);
  if (object->particles && gObjectServices.particlesDispose) gObjectServices.particlesDispose(object);
  wre_MemoryRelease(object->polygons);
  if (!(object->creationFlags & kObjectLocalShared)) wre_MemoryRelease(object->localPoints);
  if (!(object->creationFlags & kObjectWorldShared)) wre_MemoryRelease(object->worldPoints);
  wre_MemoryRelease(object->planes);
  wre_MemoryRelease(object->textureCoords);
  wre_MemoryRelease(object->pointNormals);
  wre_MemoryRelease(object->givenNormals);
  wre_MemoryRelease(object->sprite);
  wre_ObjectFreePolyTree(object);
  if (object->vertexWork) wre_ObjectDisposeVertexWork(object);
  wre_MemoryDispose(object);
  return 0;
}

int32_t wre_ObjectAddPoint(EngineObject* object, float x, float y, float z, uint8_t merge) {
  if (!object) return kWreErrNull;
  if (!object->localPoints) return -1;
  if (merge) {
    const int32_t found = wre_ObjectFindPoint(object, x, y, z);
    if (found >= 0) return found;
  }
  if (object->pointCount >= object->pointCapacity) return -1;
  const int32_t index = object->pointCount;
  object->localPoints[index] = Point4{x, y, z, 0.0f};
  object->pointCount = index + 1;
  return index;
}

int32_t wre_ObjectFindPoint(const EngineObject* object, float x, float y, float z) {
  if (!object || !object->localPoints) return -1;
  for (int32_t i = 0; i < object->pointCount && i < object->pointCapacity; ++i) {
    const Point4& p = object->localPoints[i];
    if (p.x == x && p.y == y && p.z == z) return i;
  }
  return -1;
}

int32_t wre_ObjectAddPoly(EngineObject* object, int32_t material, int32_t texture, int32_t kind, int32_t p0,
                          int32_t p1, int32_t p2, const float* uv0, const float* uv1, const float* uv2,
                          uint8_t withCoordinates) {
  if (!object) return kWreErrNull;
  if (!object->polygons || object->polygonCount >= object->polygonCapacity) return -1;
  const int32_t indices[3] = {p0, p1, p2};
  for (int32_t index : indices) {
    // An index must name a point of the array and fit the polygon's 16-bit index.
    if (index < 0 || index >= object->pointCapacity || index > kMaxPointIndex) return kWreErrRange;
  }
  // Material and texture indices are stored in 16 bits; larger ones are refused, not cut down.
  if (material > 0xFFFF || texture > 0xFFFF) return kWreErrRange;
  const int32_t n = object->polygonCount;
  ObjectPolygon& polygon = object->polygons[n];
  polygon.kind = SoftwarePolyKind(kind);
  for (int i = 0; i < 3; ++i) polygon.points[i] = static_cast<uint16_t>(indices[i]);
  polygon.material = static_cast<uint16_t>(material);
  polygon.texture = texture < 0 ? kNoTexture : static_cast<uint16_t>(texture);
  polygon.index = n;
  if (kind >= kPolyTextured && kind <= kPolyTexturedSmooth && withCoordinates && uv0 && uv1 && uv2 &&
      object->textureCoords) {
    float* uv = &object->textureCoords[6 * n];
    const float* given[3] = {uv0, uv1, uv2};
    for (int i = 0; i < 3; ++i) {
      uv[2 * i] = given[i][0] / 255.0f;
      uv[2 * i + 1] = given[i][1] / 255.0f;
    }
  }
  object->polygonCount = n + 1;
  return 0;
}

int32_t wre_ObjectAddTriangle(EngineObject* object, int32_t material, int32_t texture, int32_t kind,
                              const float* p0, const float* p1, const float* p2, const float* uv0,
                              const float* uv1, const float* uv2) {
  const float* const points[3] = {p0, p1, p2};
  return AddTriangle(object, material, texture, kind, points, uv0, uv1, uv2, nullptr);
}

int32_t wre_ObjectSetPointNormal(EngineObject* object, int32_t index, float x, float y, float z, float w) {
  if (!object) return kWreErrNull;
  if (!object->givenNormals || index < 0 || index >= object->pointCapacity) return -1;
  object->givenNormals[index] = Point4{x, y, z, w};
  return 0;
}

int32_t wre_ObjectScale(EngineObject* object, float percent) {
  if (!object) return kWreErrNull;
  if (!(percent > 0.0f)) return kWreErrRange;
  if (!IsMeshKind(object->kind)) wre_SystemFatalError("Unrecognized object type - scale object by factor");
  World* world = nullptr;
  if ((object->status & kStatusInWorld) && gObjectServices.worldRemove) {
    world = object->world;
    gObjectServices.worldRemove(object);
  }
  const float factor = percent * 0.01f;
  for (int32_t i = 0; i < object->pointCount && object->localPoints; ++i) {
    Point4& p = object->localPoints[i];
    p = Point4{p.x * factor, p.y * factor, p.z * factor, 0.0f};
  }
  const int32_t result = wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  if (world && gObjectServices.worldAdd) gObjectServices.worldAdd(world, object);
  return result;
}

int32_t wre_ObjectCentre(EngineObject* object, uint8_t keepPlace) {
  if (!object) return kWreErrNull;
  if (object->pointCount <= 0 || !object->localPoints) return 0;
  float bounds[6];
  LocalBounds(object, bounds);
  const float mx = bounds[0] + 0.5f * (bounds[1] - bounds[0]);
  const float my = bounds[2] + 0.5f * (bounds[3] - bounds[2]);
  const float mz = bounds[4] + 0.5f * (bounds[5] - bounds[4]);
  for (int32_t i = 0; i < object->pointCount; ++i) {
    Point4& p = object->localPoints[i];
    p.x -= mx;
    p.y -= my;
    p.z -= mz;
  }
  if (keepPlace) wre_ObjectMove(object, 0, 0, 0, mx, my, mz);
  MarkChanged(object);
  return wre_ObjectUpdate(object, 1, 1);
}

int32_t wre_ObjectBakeRotation(EngineObject* object) {
  if (!object) return kWreErrNull;
  const Transform& t = object->transform;
  if (object->localPoints) {
    wre_PointsRotate(t.angleX, t.angleY, t.angleZ, object->pointCount, object->localPoints, object->localPoints);
  }
  wre_ObjectSetTransform(object, 0, 0, 0, t.position[0], t.position[1], t.position[2]);
  object->transform.changed = 1;
  return 0;
}

EngineObject* wre_ObjectRebuild(EngineObject* object, uint32_t extraFlags) {
  return wre_ObjectRebuildEx(object, extraFlags, 1);
}

EngineObject* wre_ObjectRebuildEx(EngineObject* object, uint32_t extraFlags, uint8_t disposeSource) {
  if (!object) return nullptr;
  if (object->kind == kObjectParticles || object->kind == kObjectSprite || object->rebuildLock) return object;
  // A source that others link to (a world, a parent's detail group) cannot be replaced here.
  if (disposeSource && (object->status & (kStatusInWorld | kStatusInGroup))) return object;
  object->creationFlags |= extraFlags;
  // The new object owns every array it allocates.
  const uint32_t flags =
      object->creationFlags & ~(kObjectUserDataShared | kObjectLocalShared | kObjectWorldShared);
  EngineObject* rebuilt =
      wre_ObjectNew(object->kind, object->polygonCapacity, object->pointCapacity, object->collisionGroup, 0, flags);
  if (!rebuilt) return nullptr;
  rebuilt->attributes = object->attributes;
  rebuilt->renderFlags = object->renderFlags;
  rebuilt->collisionGroup = object->collisionGroup;
  std::memcpy(rebuilt->gameWords, object->gameWords, sizeof(rebuilt->gameWords));
  std::memcpy(rebuilt->gridExtent, object->gridExtent, sizeof(rebuilt->gridExtent));
  std::memcpy(rebuilt->gridHalfExtent, object->gridHalfExtent, sizeof(rebuilt->gridHalfExtent));
  std::memcpy(rebuilt->gridReciprocal, object->gridReciprocal, sizeof(rebuilt->gridReciprocal));
  std::memcpy(rebuilt->renderWords, object->renderWords, sizeof(rebuilt->renderWords));
  rebuilt->drawDistance = object->drawDistance;

  for (int32_t i = 0; i < object->polygonCount; ++i) {
    const ObjectPolygon& polygon = object->polygons[i];
    const float* const points[3] = {&object->localPoints[polygon.points[0]].x,
                                    &object->localPoints[polygon.points[1]].x,
                                    &object->localPoints[polygon.points[2]].x};
    // The coordinates go back on the 0..255 scale; the source keeps its own.
    float uv[6];
    for (int k = 0; k < 6; ++k) uv[k] = object->textureCoords ? object->textureCoords[6 * i + k] * 255.0f : 0.0f;
    int32_t used[3];
    if (AddTriangle(rebuilt, polygon.material, polygon.texture == kNoTexture ? -1 : polygon.texture, polygon.kind,
                    points, &uv[0], &uv[2], &uv[4], used) != 0) {
      continue;
    }
    ObjectPolygon& copy = rebuilt->polygons[rebuilt->polygonCount - 1];
    copy.flags = polygon.flags;
    for (int k = 0; k < 3; ++k) copy.virtualTexturePoint[k] = polygon.virtualTexturePoint[k];
    if ((rebuilt->creationFlags & kObjectGivenNormals) && object->givenNormals && rebuilt->givenNormals) {
      for (int k = 0; k < 3; ++k) rebuilt->givenNormals[used[k]] = object->givenNormals[polygon.points[k]];
    }
  }

  rebuilt->transform = object->transform;
  MarkChanged(rebuilt);
  rebuilt->userData = object->userData;
  if (disposeSource) {
    // The detail group moves with the object, so its members are not disposed with the source.
    rebuilt->detailGroup = object->detailGroup;
    object->detailGroup = nullptr;
    if (object->creationFlags & kObjectUserDataShared) rebuilt->creationFlags |= kObjectUserDataShared;
    object->userData = nullptr;
    wre_ObjectDispose(object);
  } else {
    // The source keeps owning its user data; the new object only reads it.
    rebuilt->creationFlags |= kObjectUserDataShared;
  }
  wre_ObjectRecalc(rebuilt, 0, 1, 1, 1, 1);
  return rebuilt;
}
