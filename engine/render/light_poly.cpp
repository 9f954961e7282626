#include "engine/render/light_poly.h"

#include <cmath>
#include <utility>
#include <cstring>

#include "engine/core/colour_scale.h"
#include "engine/core/detail.h"
#include "engine/core/light.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/core/world.h"
#include "engine/render/camera.h"
#include "engine/render/frame.h"

namespace {

// Adds one light's term at point p with unit normal n into rgb.
void AddLight(const Light* light, const Point4& n, const Point4& p, float* rgb) {
  if (!light->on) return;
  if (light->type == kLightPoint && gAttachedPass) return;
  if (light->type != kLightPoint && light->type != kLightDirectional) return;
  const float* working = light->transformCopy.position;
  float lx = working[0], ly = working[1], lz = working[2];
  float factor = light->intensity;
  if (light->type == kLightPoint) {
    const float dx = lx - p.x, dy = ly - p.y, dz = lz - p.z;
    const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
    // A light standing on the point has no direction and no distance: it is passed over.
    if (!(length > 0.0f)) return;
    const float inverse = 1.0f / length;
    lx = dx * inverse;
    ly = dy * inverse;
    lz = dz * inverse;
    float d[3] = {std::fabs(dx), std::fabs(dy), std::fabs(dz)};
    if (d[0] < d[1]) std::swap(d[0], d[1]);
    if (d[1] < d[2]) std::swap(d[1], d[2]);
    if (d[0] < d[1]) std::swap(d[0], d[1]);
    factor = factor * (1.0f / (d[0] + 0.25f * d[1] + 0.25f * d[2]));
  }
  const float facing = n.x * lx + n.y * ly + n.z * lz;
  if (!(facing > 0.0f)) return;
  rgb[0] += factor * facing * light->colour[0];
  rgb[1] += factor * facing * light->colour[1];
  rgb[2] += factor * facing * light->colour[2];
}

void ClampHigh(float* rgb) {
  for (int k = 0; k < 3; ++k) {
    if (rgb[k] > gColourMax) rgb[k] = gColourMax;
  }
}

const World* WorldFor(const Camera* camera, const EngineObject* object) {
  if (camera && camera->world) return camera->world;
  return object ? object->world : nullptr;
}

}  // namespace

void wre_LightPolygonSmooth(const Point4* normal0, const Point4* normal1, const Point4* normal2, const Point4* point0,
                            const Point4* point1, const Point4* point2, const Light* lights, float colours[3][4]) {
  const Point4* normals[3] = {normal0, normal1, normal2};
  const Point4* points[3] = {point0, point1, point2};
  for (int i = 0; i < 3; ++i) {
    for (const Light* light = lights; light; light = light->next) AddLight(light, *normals[i], *points[i], colours[i]);
    ClampHigh(colours[i]);
  }
}

void wre_LightPolygonFlat(const Point4* normal, const Point4* centroid, const World* world, float colour[4]) {
  colour[0] = colour[1] = colour[2] = 0.0f;
  if (world) {
    for (const Light* light = world->lights; light; light = light->next) AddLight(light, *normal, *centroid, colour);
  }
  ClampHigh(colour);
  for (int k = 0; k < 3; ++k) {
    if (colour[k] < 0.0f) colour[k] = 0.0f;
  }
}

int32_t wre_LightObjectPoints(EngineObject* object, Camera* camera) {
  if (!object || !object->vertexWork) return kWreErrRange;
  if (object->renderFlags & kRenderPointColours) return 0;
  const World* world = WorldFor(camera, object);
  if (!world || !world->lights) return 0;
  PointAttachment* buffer = object->vertexWork->buffer;
  if (!buffer) return 0;
  const int32_t count = object->pointCount;
  std::memset(buffer, 0, sizeof(PointAttachment) * static_cast<size_t>(count > 0 ? count : 0));
  const Point4* normals = (object->creationFlags & kObjectGivenNormals) ? object->givenNormals : object->pointNormals;
  const Point4* points = (object->renderFlags & kRenderStatic) ? object->localPoints : object->worldPoints;
  if (!normals || !points) return 0;
  for (const Light* light = world->lights; light; light = light->next) {
    for (int32_t j = 0; j < count; ++j) AddLight(light, normals[j], points[j], buffer[j].value);
  }
  for (int32_t j = 0; j < count; ++j) ClampHigh(buffer[j].value);
  object->vertexWork->lastTick = world->changeCounter;
  return 0;
}

int32_t wre_LightsToObjectFrame(Camera* camera, EngineObject* object, uint8_t on) {
  if (!object) return kWreErrNull;
  const World* world = WorldFor(camera, object);
  if (!world) return 0;
  const Transform& t = object->transform;
  for (Light* light = world->lights; light; light = light->next) {
    if (!light->on) continue;
    if (!on) {
      light->transformCopy = light->transform;
      continue;
    }
    Point4 v{light->transform.position[0], light->transform.position[1], light->transform.position[2], 0.0f};
    if (light->type == kLightPoint) {
      v.x -= t.position[0];
      v.y -= t.position[1];
      v.z -= t.position[2];
    }
    wre_PointsRotateInverse(-t.angleX, -t.angleY, -t.angleZ, 1, &v, &v);
    light->transformCopy.position[0] = v.x;
    light->transformCopy.position[1] = v.y;
    light->transformCopy.position[2] = v.z;
  }
  return 0;
}
