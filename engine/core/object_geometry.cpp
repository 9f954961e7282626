// Object geometry: world points, planes, normals, radius, boxes and bounds, and their queries.
#include <cmath>
#include <cstring>

#include "engine/core/fatal.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/core/object_internal.h"
#include "engine/core/polytree.h"
#include "engine/core/transform.h"

namespace {

using namespace object_internal;


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

}  // namespace

void object_internal::LocalBounds(const EngineObject* object, float* bounds) {
  wre_BoundsEmpty(bounds);
  int32_t count = 0;
  if (object->localPoints) {
    for (int32_t i = 0; i < object->pointCount && i < object->pointCapacity; ++i, ++count) {
      wre_BoundsGrow(bounds, object->localPoints[i]);
    }
  }
  if (count == 0) {
    for (int i = 0; i < 6; ++i) bounds[i] = 0.0f;
  }
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
