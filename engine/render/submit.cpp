#include "engine/render/submit.h"

#include <cmath>
#include <cstring>

#include "engine/core/detail.h"
#include "engine/core/maths.h"
#include "engine/core/particles.h"
#include "engine/core/world.h"
#include "engine/data/material.h"
#include "engine/render/camera.h"
#include "engine/render/light_poly.h"
#include "engine/render/polygon.h"
#include "engine/render/pools.h"

namespace {

constexpr float kFloatExact = 16777216.0f;  // 2^24: every float this large is an integer
constexpr float kBoundsLimit = 1.8e38f;
constexpr uint32_t kParticleFlags = 31;

float Side(const Point4& plane, const Point4& p) { return plane.x * p.x + plane.y * p.y + plane.z * p.z + plane.w; }

uint8_t CullByte(const EngineObject* object) { return static_cast<uint8_t>(object->cull & 0xFFu); }

void SetCullByte(EngineObject* object, int32_t value) {
  object->cull = (object->cull & ~0xFFu) | (static_cast<uint32_t>(value) & 0xFFu);
}

const Point4* NormalsOf(const EngineObject* object) {
  return (object->creationFlags & kObjectGivenNormals) ? object->givenNormals : object->pointNormals;
}

// Toward zero, for the tile start.
float TruncTowardZero(float value) { return value > 0.0f ? wre_FloatFloor(value) : wre_FloatCeil(value); }

float TileCount(float extent, float inverse) {
  const float count = wre_FloatCeil(std::fabs(extent) * inverse);
  if (!(count > 0.0f)) return 0.0f;
  return count > static_cast<float>(kGridTileLimit) ? static_cast<float>(kGridTileLimit) : count;
}

// The x and z range of the view a grid mesh is laid under.
void ViewRectangle(Camera* camera, const EngineObject* object, float* minX, float* maxX, float* minZ, float* maxZ) {
  if (object->drawDistance != 0.0f && object->drawDistance < camera->farClip) {
    Point4 corners[8];
    const WreRect scan = camera->scanLimits;
    wre_CameraCalcFrustumCorners(camera, corners, camera->nearClip, object->drawDistance);
    camera->scanLimits = scan;
    const Transform& t = camera->transform;
    wre_PointsRotate(t.angleX, t.angleY, t.angleZ, 8, corners, corners);
    wre_PointsTranslate(t.position[0], t.position[1], t.position[2], 8, corners, corners);
    *minX = *minZ = kBoundsLimit;
    *maxX = *maxZ = -kBoundsLimit;
    for (const Point4& c : corners) {
      if (c.x < *minX) *minX = c.x;
      if (c.x > *maxX) *maxX = c.x;
      if (c.z < *minZ) *minZ = c.z;
      if (c.z > *maxZ) *maxZ = c.z;
    }
  } else {
    *minX = camera->worldBounds[0];
    *maxX = camera->worldBounds[1];
    *minZ = camera->worldBounds[4];
    *maxZ = camera->worldBounds[5];
  }
  const float widen = 2.0f * object->radius;
  *minX -= widen;
  *maxX += widen;
  *minZ -= widen;
  *maxZ += widen;
}

void MoveBoxX(EngineObject* object, float dx) {
  object->worldBounds[0] += dx;
  object->worldBounds[1] += dx;
  for (Point4& c : object->worldBox) c.x += dx;
}

void MoveBoxZ(EngineObject* object, float dz) {
  object->worldBounds[4] += dz;
  object->worldBounds[5] += dz;
  for (Point4& c : object->worldBox) c.z += dz;
}

template <typename Fn>
void ForChildren(EngineObject* object, Fn fn) {
  if (!object->detailGroup) return;
  for (EngineObject* child = object->detailGroup->members; child; child = child->next) fn(child);
}

}  // namespace

float wre_FloatCeil(float x) {
  if (!(std::fabs(x) < kFloatExact)) return x;
  return std::ceil(x);
}

float wre_FloatFloor(float x) {
  if (!(std::fabs(x) < kFloatExact)) return x;
  return std::floor(x);
}

int32_t wre_PolygonFaceTest(const ObjectPolygon* polygon, const Camera* camera, const Point4* cameraPoints) {
  const Point4* c[3] = {&cameraPoints[polygon->points[0]], &cameraPoints[polygon->points[1]],
                        &cameraPoints[polygon->points[2]]};
  int32_t result = kPolyVisible;
  int count = 0;
  for (const Point4* p : c) count += p->z > camera->farClip ? 1 : 0;
  if (count == 3) return 0;
  if (count > 0) result = kPolyVisible | kPolyClipFar;
  count = 0;
  for (const Point4* p : c) count += p->z < camera->nearClip ? 1 : 0;
  if (count == 3) return 0;
  if (count > 0) result |= kPolyClipNear;
  for (int plane = 2; plane <= 5; ++plane) {
    count = 0;
    for (const Point4* p : c) count += Side(camera->planes[plane], *p) < 0.0f ? 1 : 0;
    if (count == 3) return 0;
    if (count > 0) result |= kPolyClipEdge;
  }
  return result;
}

int32_t wre_CullBoxTest(const Point4* corners, const Camera* camera) {
  for (const Point4& plane : camera->worldPlanes) {
    for (int i = 0; i < 8; ++i) {
      if (Side(plane, corners[i]) < 0.0f) return 2;
    }
  }
  return 0;
}

int32_t wre_MeshDraw(EngineObject* object, Camera* camera, uint8_t attachedPass) {
  if (!object || !camera) return kWreErrNull;
  const float* eyeWorld = camera->transform.position;
  EngineObject* drawn = wre_ObjectDetailSelect(object, eyeWorld[0], eyeWorld[1], eyeWorld[2]);
  if (drawn->pointCount >= gVertexScratch.capacity) return kSubmitErrScratch;
  if ((CullByte(object) & 2) && !attachedPass && !(CullByte(object) & 4)) {
    SetCullByte(object, wre_CullBoxTest(object->worldBox, camera));
  }
  Point4 eye{eyeWorld[0], eyeWorld[1], eyeWorld[2], 0.0f};
  const bool isStatic = (drawn->renderFlags & kRenderStatic) != 0;
  const Transform& t = drawn->transform;
  if (isStatic) {
    eye.x -= t.position[0];
    eye.y -= t.position[1];
    eye.z -= t.position[2];
    wre_PointsRotateInverse(-t.angleX, -t.angleY, -t.angleZ, 1, &eye, &eye);
    wre_LightsToObjectFrame(camera, drawn, 1);
  }
  const World* world = camera->world ? camera->world : drawn->world;
  if (drawn->vertexWork && world && drawn->vertexWork->lastTick != static_cast<int32_t>(world->changeCounter) &&
      !(drawn->renderFlags & kRenderPointColours)) {
    wre_LightObjectPoints(drawn, camera);
  }
  Point4* points = gVertexScratch.points;
  wre_ObjectPointsToCamera(drawn, &camera->inverse, points);
  // Triangles that face the eye, with the planes they cross.
  const uint8_t cull = CullByte(object);
  const bool twoSided = (object->renderFlags & kRenderTwoSided) != 0;
  const bool test = (cull & 2) || attachedPass;
  gPolyPointerList.count = 0;
  for (int32_t i = 0; i < drawn->polygonCount && gPolyPointerList.count < gPolyQueueCapacity; ++i) {
    ObjectPolygon* polygon = &drawn->polygons[i];
    if (!twoSided && !(drawn->planes && Side(drawn->planes[i], eye) > 0.0f)) continue;
    if (test) {
      const int32_t bits = wre_PolygonFaceTest(polygon, camera, points);
      if (bits == 0) continue;
      polygon->flags |= static_cast<uint32_t>(bits);
    } else {
      polygon->flags |= kPolyVisible;
    }
    gPolyPointerList.entries[gPolyPointerList.count++] = polygon;
  }
  if (drawn->vertexWork) {
    if (cull & 2) {
      wre_PolygonQueueListLitClip(drawn, points, camera);
    } else {
      wre_PolygonQueueListLit(drawn, points, camera);
    }
  } else {
    wre_PolygonQueueList(drawn, points, NormalsOf(drawn), camera);
  }
  if (isStatic) wre_LightsToObjectFrame(camera, drawn, 0);
  return 0;
}

int32_t wre_SpriteDraw(EngineObject* object, Camera* camera) {
  if (!object || !camera) return kWreErrNull;
  if (object->pointCount >= gVertexScratch.capacity) return -1;
  if (!object->polygons || object->polygonCount < 2 || !object->sprite) return 0;
  // The corners are written at the polygons' own point indices: every one must fit the scratch.
  for (int n = 0; n < 2; ++n) {
    for (uint16_t index : object->polygons[n].points) {
      if (index >= gVertexScratch.capacity) return -1;
    }
  }
  Point4* points = gVertexScratch.points;
  wre_ObjectPointsToCamera(object, &camera->inverse, points);
  const Point4 c = points[0];
  const float hw = object->sprite->x * 0.5f;
  const float hh = object->sprite->y * 0.5f;
  const float corners[2][3][2] = {{{c.x - hw, c.y - hh}, {c.x - hw, c.y + hh}, {c.x + hw, c.y + hh}},
                                  {{c.x + hw, c.y + hh}, {c.x + hw, c.y - hh}, {c.x - hw, c.y - hh}}};
  for (int n = 0; n < 2; ++n) {
    ObjectPolygon* polygon = &object->polygons[n];
    polygon->kind = kPolyTextured;
    for (int k = 0; k < 3; ++k) points[polygon->points[k]] = Point4{corners[n][k][0], corners[n][k][1], c.z, 0.0f};
    const int32_t bits = wre_PolygonFaceTest(polygon, camera, points);
    if (bits == 0) continue;
    polygon->flags = (polygon->flags & ~kPolyFrameBits) | static_cast<uint32_t>(bits);
    wre_PolygonQueueObjectPoly(polygon, object->worldPoints, points, object->planes, NormalsOf(object),
                               object->textureCoords, camera, object->pointAttachments, object->renderFlags);
  }
  return 0;
}

int32_t wre_ParticlesDraw(EngineObject* object, Camera* camera) {
  if (!object || !camera) return kWreErrNull;
  const ParticleSet* set = object->particles;
  if (!set) return kSubmitErrNoParticles;
  if (object->transform.changed) {
    wre_ObjectUpdate(object, 0, 0);
    wre_ObjectCalcRadius(object);
  }
  if (object->pointCount >= gVertexScratch.capacity) return kSubmitErrScratch;
  Point4* points = gVertexScratch.points;
  wre_ObjectPointsToCamera(object, &camera->inverse, points);
  if (set->kind != kParticlesServed) return kSubmitErrParticleKind;
  PolygonRecord& record = gClipScratchPolygon;
  std::memset(&record, 0, sizeof(record));
  record.kind = kPolyTexturedFlat;
  record.flags = kParticleFlags;
  record.material = static_cast<int16_t>(set->material);
  record.texture = static_cast<int16_t>(set->texture);
  const Material* material = wre_PolygonMaterial(set->material);
  for (auto& colour : record.colour) {
    if (!material) break;
    colour[0] = material->colourB.red;
    colour[1] = material->colourB.green;
    colour[2] = material->colourB.blue;
    colour[3] = material->colourB.alpha;
  }
  static constexpr float kUV[2][3][2] = {{{0, 1}, {1, 1}, {1, 0}}, {{1, 0}, {0, 0}, {0, 1}}};
  const int32_t count = set->count < object->pointCount ? set->count : object->pointCount;
  for (int32_t i = 0; i < count; ++i) {
    const Point4& p = points[i];
    const float hw = set->size ? set->size[i].x * 0.5f : 0.0f;
    const float hh = set->size ? set->size[i].y * 0.5f : 0.0f;
    const float corners[2][3][2] = {{{p.x - hw, p.y + hh}, {p.x + hw, p.y + hh}, {p.x + hw, p.y - hh}},
                                    {{p.x + hw, p.y - hh}, {p.x - hw, p.y - hh}, {p.x - hw, p.y + hh}}};
    for (int n = 0; n < 2; ++n) {
      for (int k = 0; k < 3; ++k) {
        record.v[k] = Point4{corners[n][k][0], corners[n][k][1], p.z, 0.0f};
        record.uv[k][0] = kUV[n][k][0];
        record.uv[k][1] = kUV[n][k][1];
      }
      if (wre_PolygonSubmit(camera, &record, 0) != 0) return 0;
    }
  }
  return 0;
}

int32_t wre_GridMeshDraw(EngineObject* object, Camera* camera) {
  if (!object || !camera) return kWreErrNull;
  if (object->pointCount >= gVertexScratch.capacity) return kSubmitErrScratch;
  const float tileW = object->gridExtent[0];
  const float tileD = object->gridExtent[2];
  // A tile of no size would never advance.
  if (!(tileW > 0.0f) || !(tileD > 0.0f)) return kWreErrRange;
  const float invW = object->gridReciprocal[0];
  const float invD = object->gridReciprocal[2];
  float minX, maxX, minZ, maxZ;
  ViewRectangle(camera, object, &minX, &maxX, &minZ, &maxZ);
  const float nx = TileCount(maxX - minX, invW);
  const float nz = TileCount(maxZ - minZ, invD);
  // The mesh is centred on its position: tiles are placed by their centres.
  const float startX = TruncTowardZero(minX * invW) * tileW + object->gridHalfExtent[0];
  const float startZ = TruncTowardZero(minZ * invD) * tileD + object->gridHalfExtent[2];
  Transform& t = object->transform;
  t.position[0] = startX;
  t.position[2] = startZ;
  wre_ObjectCalcWorldBox(object);
  wre_ObjectCalcWorldBounds(object);
  const float* view = camera->worldBounds;
  int32_t result = 0;
  for (float row = 0.0f; row < nz && result == 0; row += 1.0f) {
    ForChildren(object, [&](EngineObject* child) { child->transform.position[2] = t.position[2]; });
    for (float column = 0.0f; column < nx; column += 1.0f) {
      t.changed = 1;
      if (object->vertexWork) object->vertexWork->lastTick = -1;
      ForChildren(object, [&](EngineObject* child) {
        child->transform.changed = 1;
        if (child->vertexWork) child->vertexWork->lastTick = -1;
        child->transform.position[0] = t.position[0];
      });
      const float* b = object->worldBounds;
      if (b[0] <= view[1] && view[0] <= b[1] && b[4] <= view[5] && view[4] <= b[5]) {
        SetCullByte(object, 2);
        result = wre_MeshDraw(object, camera, 0);
        if (result != 0) break;
      }
      t.position[0] += tileW;
      MoveBoxX(object, tileW);
    }
    t.position[0] = startX;
    t.position[2] += tileD;
    MoveBoxZ(object, tileD);
    MoveBoxX(object, -nx * tileW);
  }
  return result;
}
