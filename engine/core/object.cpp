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

constexpr float kBoundsStart = 1.8e38f;
constexpr int32_t kMaxPointIndex = 65535;

// The corner triples of the twelve box triangles.
constexpr uint16_t kBoxTriangles[12][3] = {
    {0, 1, 2}, {0, 2, 3}, {3, 2, 6}, {3, 6, 7}, {1, 5, 6}, {2, 1, 6},
    {0, 3, 7}, {7, 4, 0}, {1, 0, 4}, {1, 4, 5}, {6, 7, 4}, {6, 4, 5},
};

// A zero-filled engine block of count records, or null.
template <typename T>
T* NewArray(int32_t count) {
  if (count < 1 || static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(T)) > INT_MAX) return nullptr;
  const auto bytes = static_cast<int32_t>(static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(T)));
  void* block = wre_MemoryNew(bytes);
  if (block) std::memset(block, 0, static_cast<size_t>(bytes));
  return static_cast<T*>(block);
}

template <typename T>
void Release(T*& block) {
  if (block) wre_MemoryDispose(block);
  block = nullptr;
}

bool IsStatic(const EngineObject* object) { return (object->renderFlags & kRenderStatic) != 0; }
bool IsMeshKind(int32_t kind) { return kind == kObjectMesh || kind == kObjectStatic; }

uint8_t SoftwarePolyKind(int32_t kind) {
  if (wre_ObjectRendererKind() == kRendererSoftware) {
    if (kind == kPolyPlainSmooth) return kPolyPlain;
    if (kind == kPolyTexturedSmooth) return kPolyTexturedFlat;
  }
  return static_cast<uint8_t>(kind);
}

template <typename F>
void ForMembers(EngineObject* object, F&& each) {
  if (!object->detailGroup) return;
  for (EngineObject* member = object->detailGroup->members; member; member = member->next) each(member);
}

void MarkChanged(EngineObject* object) {
  object->transform.changed = 1;
  ForMembers(object, [](EngineObject* member) { member->transform.changed = 1; });
}

int32_t AllocArrays(EngineObject* object, uint32_t flags) {
  if (object->polygonCapacity < 1 || object->pointCapacity < 1) return -1;
  const int32_t points = object->pointCapacity;
  const int32_t polygons = object->polygonCapacity;
  object->localPoints = NewArray<Point4>(points);
  object->worldPoints = NewArray<Point4>(points);
  object->polygons = NewArray<ObjectPolygon>(polygons);
  object->planes = NewArray<Point4>(polygons);
  if (!object->localPoints || !object->worldPoints || !object->polygons || !object->planes) return -1;
  if (object->kind != kObjectParticles && !(flags & kObjectGivenNormals)) {
    object->pointNormals = NewArray<Point4>(points);
    if (!object->pointNormals) return -1;
  }
  if (flags & kObjectGivenNormals) {
    object->givenNormals = NewArray<Point4>(points);
    if (!object->givenNormals) return -1;
  }
  if (polygons > INT_MAX / 6) return -1;
  object->textureCoords = NewArray<float>(polygons * 6);
  if (!object->textureCoords) return -1;
  object->pointCount = 0;
  object->polygonCount = 0;
  return 0;
}

// Local points turned by the object's angles and moved by its position.
void TransformLocal(const EngineObject* object, int32_t count, const Point4* source, Point4* destination) {
  const Transform& t = object->transform;
  if (count <= 0) return;
  wre_PointsRotate(t.angleX, t.angleY, t.angleZ, count, source, destination);
  wre_PointsTranslate(t.position[0], t.position[1], t.position[2], count, destination, destination);
}

void WorldPointsOf(EngineObject* object) {
  if (!object->localPoints || !object->worldPoints) return;
  int32_t count = object->pointCount;
  if (count > object->pointCapacity) count = object->pointCapacity;
  TransformLocal(object, count, object->localPoints, object->worldPoints);
}

int32_t PlanesOf(EngineObject* object) {
  if (object->polygonCount <= 0 || !object->planes || !object->polygons) return -1;
  const Point4* points = IsStatic(object) ? object->localPoints : object->worldPoints;
  if (!points) return -1;
  for (int32_t i = 0; i < object->polygonCount; ++i) {
    const ObjectPolygon& p = object->polygons[i];
    wre_PlaneFromPoints(&points[p.points[0]], &points[p.points[1]], &points[p.points[2]], &object->planes[i]);
  }
  return 0;
}

void PointNormalsOf(EngineObject* object) {
  if (!IsMeshKind(object->kind)) wre_SystemFatalError("Unsupported object type - calc vertex normals");
  if (!object->pointNormals || !object->planes || !object->polygons) return;
  const int32_t count = object->pointCount;
  Point4* normals = object->pointNormals;
  for (int32_t i = 0; i < count; ++i) normals[i] = Point4{0.0f, 0.0f, 0.0f, 0.0f};
  for (int32_t i = 0; i < object->polygonCount; ++i) {
    const ObjectPolygon& p = object->polygons[i];
    const Point4& plane = object->planes[i];
    for (uint16_t index : p.points) {
      if (index >= count) continue;
      normals[index].x += plane.x;
      normals[index].y += plane.y;
      normals[index].z += plane.z;
      normals[index].w += 1.0f;
    }
  }
  for (int32_t i = 0; i < count; ++i) {
    Point4& n = normals[i];
    // A point that no polygon uses keeps a zero normal.
    if (n.w > 0.0f) {
      n.x /= n.w;
      n.y /= n.w;
      n.z /= n.w;
    }
    const Point4& p = object->worldPoints[i];
    n.w = -(n.x * p.x + n.y * p.y + n.z * p.z);
  }
}

void RadiusOf(EngineObject* object) {
  if (object->kind < kObjectMesh || object->kind > kObjectStatic) {
    wre_SystemFatalError("Object type not supported - calc radius");
  }
  float radius = 0.0f;
  if (object->kind == kObjectSprite && object->sprite) {
    radius = std::sqrt(object->sprite->x * object->sprite->x + object->sprite->y * object->sprite->y);
  } else if (object->localPoints) {
    for (int32_t i = 0; i < object->pointCount && i < object->pointCapacity; ++i) {
      const Point4& p = object->localPoints[i];
      const float length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
      if (length > radius) radius = length;
    }
  }
  if (object->kind == kObjectParticles && object->particles && gObjectServices.particlesExtent) {
    radius += gObjectServices.particlesExtent(object);
  }
  object->radius = radius;
}

void LocalBounds(const EngineObject* object, float* bounds) {
  bounds[0] = bounds[2] = bounds[4] = kBoundsStart;
  bounds[1] = bounds[3] = bounds[5] = -kBoundsStart;
  int32_t count = 0;
  if (object->localPoints) {
    for (int32_t i = 0; i < object->pointCount && i < object->pointCapacity; ++i, ++count) {
      const Point4& p = object->localPoints[i];
      if (p.x < bounds[0]) bounds[0] = p.x;
      if (p.x > bounds[1]) bounds[1] = p.x;
      if (p.y < bounds[2]) bounds[2] = p.y;
      if (p.y > bounds[3]) bounds[3] = p.y;
      if (p.z < bounds[4]) bounds[4] = p.z;
      if (p.z > bounds[5]) bounds[5] = p.z;
    }
  }
  if (count == 0) {
    for (int i = 0; i < 6; ++i) bounds[i] = 0.0f;
  }
}

void GridExtentOf(EngineObject* object) {
  if (object->kind != kObjectStatic) return;
  float bounds[6];
  LocalBounds(object, bounds);
  for (int axis = 0; axis < 3; ++axis) {
    const float size = std::fabs(bounds[2 * axis + 1] - bounds[2 * axis]);
    object->gridExtent[axis] = size;
    object->gridHalfExtent[axis] = size * 0.5f;
    object->gridReciprocal[axis] = size != 0.0f ? 1.0f / size : 1.0f;
  }
}

bool InList(EngineObject* head, const EngineObject* object) {
  for (EngineObject* at = head; at; at = at->next) {
    if (at == object) return true;
  }
  return false;
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
    object->sprite = NewArray<SpriteSize>(1);
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
      object->pointAttachments = NewArray<PointAttachment>(pointCapacity);
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
  Release(object->pointAttachments);
  if (object->particles && gObjectServices.particlesDispose) gObjectServices.particlesDispose(object);
  Release(object->polygons);
  if (!(object->creationFlags & kObjectLocalShared)) Release(object->localPoints);
  if (!(object->creationFlags & kObjectWorldShared)) Release(object->worldPoints);
  Release(object->planes);
  Release(object->textureCoords);
  Release(object->pointNormals);
  Release(object->givenNormals);
  Release(object->sprite);
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

int32_t wre_ObjectCalcWorldPoints(EngineObject* object) {
  if (!object) return kWreErrNull;
  WorldPointsOf(object);
  return 0;
}

int32_t wre_ObjectCalcPlanes(EngineObject* object) {
  if (!object) return kWreErrNull;
  const int32_t result = PlanesOf(object);
  ForMembers(object, [](EngineObject* member) { wre_ObjectCalcPlanes(member); });
  return result;
}

int32_t wre_ObjectCalcPointNormals(EngineObject* object) {
  if (!object) return kWreErrNull;
  PointNormalsOf(object);
  ForMembers(object, [](EngineObject* member) { wre_ObjectCalcPointNormals(member); });
  return 0;
}

int32_t wre_ObjectCalcRadius(EngineObject* object) {
  if (!object) return kWreErrNull;
  RadiusOf(object);
  ForMembers(object, [](EngineObject* member) { wre_ObjectCalcRadius(member); });
  return 0;
}

int32_t wre_ObjectRecalc(EngineObject* object, uint8_t spare, uint8_t normals, uint8_t radius, uint8_t points,
                         uint8_t planes) {
  (void)spare;
  if (!object) return kWreErrNull;
  // A grid mesh is static from its first recalculation on, so that its planes are taken in its
  // own frame even when it was placed before.
  if (object->kind == kObjectStatic) object->renderFlags |= kRenderStatic;
  if (IsMeshKind(object->kind)) {
    if (points) WorldPointsOf(object);
    if (planes) wre_ObjectCalcPlanes(object);
    if (normals) wre_ObjectCalcPointNormals(object);
    if (radius) wre_ObjectCalcRadius(object);
    wre_ObjectCalcBox(object);
    if (object->kind == kObjectStatic) wre_ObjectCalcGridExtent(object);
    if (object->creationFlags & kObjectBuildTree) wre_ObjectBuildPolyTree(object, 2);
  } else if (object->kind == kObjectSprite) {
    object->pointCount = 1;
    if (radius) wre_ObjectCalcRadius(object);
    if (object->polygons && object->polygonCapacity >= 2 && object->textureCoords) {
      static constexpr float kCoords[2][6] = {{0, 0, 0, 1, 1, 1}, {1, 1, 1, 0, 0, 0}};
      for (int n = 0; n < 2; ++n) {
        ObjectPolygon& polygon = object->polygons[n];
        for (int i = 0; i < 3; ++i) polygon.points[i] = static_cast<uint16_t>(1 + 3 * n + i);
        polygon.index = n;
        std::memcpy(&object->textureCoords[6 * n], kCoords[n], sizeof(kCoords[n]));
      }
      object->polygonCount = 2;
    }
  } else if (object->kind == kObjectParticles) {
    if (radius) wre_ObjectCalcRadius(object);
  }
  MarkChanged(object);
  return 0;
}

int32_t wre_ObjectUpdate(EngineObject* object, uint8_t normals, uint8_t planes) {
  return wre_ObjectUpdateFrom(object, normals, planes, nullptr);
}

int32_t wre_ObjectUpdateFrom(EngineObject* object, uint8_t normals, uint8_t planes, const Transform* transform) {
  if (!object) return kWreErrNull;
  if (!transform && !object->transform.changed) return 0;
  if (transform && transform != &object->transform) object->transform = *transform;
  const int32_t kind = object->kind;
  if (kind == kObjectMesh || kind == kObjectParticles || kind == kObjectStatic) {
    const bool isStatic = IsStatic(object);
    if (!isStatic) {
      WorldPointsOf(object);
      if (planes) PlanesOf(object);
      if (normals && kind != kObjectParticles && !(object->renderFlags & kRenderNoNormals)) PointNormalsOf(object);
    }
    wre_ObjectCalcWorldBox(object);
    if (object->polyTree && !isStatic) wre_ObjectUpdatePolyTree(object);
    wre_ObjectCalcWorldBounds(object);
  } else if (kind == kObjectSprite) {
    WorldPointsOf(object);
  }
  object->transform.changed = 0;
  ForMembers(object, [&](EngineObject* member) {
    wre_ObjectUpdateFrom(member, normals, planes, &object->transform);
  });
  if (object->vertexWork) object->vertexWork->lastTick = -1;
  return 0;
}

int32_t wre_ObjectCopyPolyPlane(const EngineObject* object, int32_t polygon, Point4* out) {
  if (!object || !out) return kWreErrNull;
  if (polygon < 0 || polygon >= object->polygonCount || !object->planes) return kWreErrRange;
  const Point4& plane = object->planes[polygon];
  if (!IsStatic(object)) {
    *out = plane;
    return 0;
  }
  // A static object keeps its planes in its own frame: turn the normal, and take d from the
  // polygon's first point placed by the object's transform.
  const Transform& t = object->transform;
  Point4 normal = plane;
  wre_PointsRotate(t.angleX, t.angleY, t.angleZ, 1, &normal, &normal);
  Point4 point{0.0f, 0.0f, 0.0f, 0.0f};
  if (object->localPoints) TransformLocal(object, 1, &object->localPoints[object->polygons[polygon].points[0]], &point);
  out->x = normal.x;
  out->y = normal.y;
  out->z = normal.z;
  out->w = -(normal.x * point.x + normal.y * point.y + normal.z * point.z);
  return 0;
}

Point4* wre_ObjectGetPolyPlane(Point4* out, const EngineObject* object, int32_t polygon) {
  if (!out) return nullptr;
  *out = Point4{0.0f, 0.0f, 0.0f, 0.0f};
  wre_ObjectCopyPolyPlane(object, polygon, out);
  return out;
}

int32_t wre_ObjectPointsToCamera(const EngineObject* object, const Transform* frame, Point4* out) {
  if (!object || !frame || !out) return kWreErrNull;
  const int32_t count = object->pointCount;
  if (count <= 0) return 0;
  const Transform& t = object->transform;
  if (IsStatic(object)) {
    if (!object->localPoints) return -1;
    wre_PointsRotate(t.angleX, t.angleY, t.angleZ, count, object->localPoints, out);
    wre_PointsTranslate(t.position[0] + frame->position[0], t.position[1] + frame->position[1],
                        t.position[2] + frame->position[2], count, out, out);
  } else {
    if (!object->worldPoints) return -1;
    wre_PointsTranslate(frame->position[0], frame->position[1], frame->position[2], count, object->worldPoints, out);
  }
  wre_PointsRotateInverse(frame->angleX, frame->angleY, frame->angleZ, count, out, out);
  return 0;
}

int32_t wre_ObjectCalcWorldBox(EngineObject* object) {
  if (!object) return kWreErrNull;
  std::memcpy(object->worldBox, object->localBox, sizeof(object->worldBox));
  TransformLocal(object, 8, object->localBox, object->worldBox);
  return 0;
}

int32_t wre_ObjectCalcWorldBounds(EngineObject* object) {
  if (!object) return kWreErrNull;
  if (object->kind == kObjectMesh || object->kind == kObjectParticles || object->kind == kObjectStatic) {
    wre_BoxBoundsOf8(object->worldBox, object->worldBounds);
  }
  return 0;
}

int32_t wre_ObjectExtendBounds(const EngineObject* object, const Point4* points, float* minX, float* maxX,
                               float* minY, float* maxY, float* minZ, float* maxZ) {
  if (!object || !points) return kWreErrNull;
  for (int32_t i = 0; i < object->pointCount; ++i) {
    const Point4& p = points[i];
    if (minX && p.x < *minX) *minX = p.x;
    if (maxX && p.x > *maxX) *maxX = p.x;
    if (minY && p.y < *minY) *minY = p.y;
    if (maxY && p.y > *maxY) *maxY = p.y;
    if (minZ && p.z < *minZ) *minZ = p.z;
    if (maxZ && p.z > *maxZ) *maxZ = p.z;
  }
  return 0;
}

int32_t wre_ObjectCalcBox(EngineObject* object) {
  if (!object) return kWreErrNull;
  float bounds[6];
  LocalBounds(object, bounds);
  for (Point4& corner : object->localBox) corner = Point4{0.0f, 0.0f, 0.0f, 0.0f};
  wre_BoxFromBounds(bounds, object->localBox);
  for (int i = 0; i < 12; ++i) {
    const uint16_t* c = object->boxTriangles[i].points;
    wre_PlaneFromPoints(&object->localBox[c[0]], &object->localBox[c[1]], &object->localBox[c[2]],
                        &object->boxPlanes[i]);
  }
  return 0;
}

int32_t wre_ObjectCalcGridExtent(EngineObject* object) {
  if (!object) return kWreErrNull;
  GridExtentOf(object);
  ForMembers(object, [](EngineObject* member) { wre_ObjectCalcGridExtent(member); });
  return 0;
}

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

int32_t wre_ObjectSetVisible(EngineObject* object, uint8_t visible) {
  if (!object) return kWreErrNull;
  if (visible) {
    object->renderFlags &= ~kRenderNeverDrawn;
  } else {
    object->renderFlags |= kRenderNeverDrawn;
  }
  ForMembers(object, [&](EngineObject* member) { wre_ObjectSetVisible(member, visible); });
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
  object->pointAttachments = NewArray<PointAttachment>(object->pointCapacity);
  return object->pointAttachments ? 0 : -1;
}

int32_t wre_ObjectFreePointAttachments(EngineObject* object) {
  if (!object) return kWreErrNull;
  // A vertex work record that borrowed the array loses its buffer with it.
  if (object->vertexWork && object->vertexWork->buffer == object->pointAttachments &&
      !(object->vertexWork->flags & kVertexWorkOwnsBuffer)) {
    object->vertexWork->buffer = nullptr;
  }
  Release(object->pointAttachments);
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

int32_t wre_ObjectListPrepend(EngineObject** head, EngineObject* object) {
  if (!head || !object) return kWreErrNull;
  object->prev = nullptr;
  object->next = *head;
  if (*head) (*head)->prev = object;
  *head = object;
  return 0;
}

int32_t wre_ObjectListAppend(EngineObject** head, EngineObject* object) {
  if (!head || !object) return kWreErrNull;
  object->prev = nullptr;
  object->next = nullptr;
  if (!*head) {
    *head = object;
    return 0;
  }
  EngineObject* last = *head;
  while (last->next) last = last->next;
  last->next = object;
  object->prev = last;
  return 0;
}

int32_t wre_ObjectListRemove(EngineObject** head, EngineObject* object) {
  if (!head || !object) return kWreErrNull;
  if (!InList(*head, object)) return kWreErrNotInList;
  if (object->prev) object->prev->next = object->next;
  if (object->next) object->next->prev = object->prev;
  if (*head == object) *head = object->next;
  object->prev = nullptr;
  object->next = nullptr;
  return 0;
}

int32_t wre_ObjectCellPrepend(EngineObject** head, EngineObject* object) {
  if (!head || !object) return kWreErrNull;
  object->cellPrev = nullptr;
  object->cellNext = *head;
  if (*head) (*head)->cellPrev = object;
  *head = object;
  object->cellHead = head;
  return 0;
}

int32_t wre_ObjectCellAppend(EngineObject** head, EngineObject* object) {
  if (!head || !object) return kWreErrNull;
  object->cellPrev = nullptr;
  object->cellNext = nullptr;
  object->cellHead = head;
  if (!*head) {
    *head = object;
    return 0;
  }
  EngineObject* last = *head;
  while (last->cellNext) last = last->cellNext;
  last->cellNext = object;
  object->cellPrev = last;
  return 0;
}

int32_t wre_ObjectCellRemove(EngineObject* object) {
  if (!object) return kWreErrNull;
  EngineObject** head = object->cellHead;
  if (!head) return kWreErrNotInList;
  bool found = false;
  for (EngineObject* at = *head; at; at = at->cellNext) {
    if (at == object) {
      found = true;
      break;
    }
  }
  if (!found) return kWreErrNotInList;
  if (object->cellPrev) object->cellPrev->cellNext = object->cellNext;
  if (object->cellNext) object->cellNext->cellPrev = object->cellPrev;
  if (*head == object) *head = object->cellNext;
  object->cellPrev = nullptr;
  object->cellNext = nullptr;
  object->cellHead = nullptr;
  return 0;
}
