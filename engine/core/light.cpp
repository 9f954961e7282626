#include "engine/core/light.h"

#include <cmath>
#include <cstring>

#include "engine/core/memory.h"
#include "engine/core/strings.h"
#include "engine/core/world.h"

uint8_t gLightingDirty = 0;

namespace {

void Bump(Light* light) {
  if (light && light->world) wre_WorldBumpCounter(light->world);
}

}  // namespace

Light* wre_LightCreate(int32_t type, const Transform* transform, const float* colour, float intensityPercent) {
  if (type != kLightPoint && type != kLightDirectional) return nullptr;
  auto* light = static_cast<Light*>(wre_MemoryNew(sizeof(Light)));
  if (!light) return nullptr;
  std::memset(light, 0, sizeof(*light));
  wre_TransformReset(&light->transform);
  light->intensity = intensityPercent * 0.01f;
  if (colour) std::memcpy(light->colour, colour, sizeof(light->colour));
  light->type = type;
  if (transform) {
    wre_LightSetPosition(light, transform->position[0], transform->position[1], transform->position[2],
                         transform->angleX, transform->angleY, transform->angleZ);
  } else {
    wre_LightSetPosition(light, 0.0f, 0.0f, 0.0f, 0, 0, 0);
  }
  light->on = 1;
  wre_LightSetName(light, nullptr);
  return light;
}

int32_t wre_LightDispose(Light* light) {
  if (!light) return kWreErrNull;
  // A light still on a world's list leaves it first, so the list keeps no dangling link.
  if (light->world) wre_LightListRemove(light, light->world);
  wre_MemoryDispose(light);
  return 0;
}

int32_t wre_LightSetIntensity(Light* light, float percent) {
  if (!light) return kWreErrNull;
  light->intensity = percent * 0.01f;
  Bump(light);
  return 0;
}

int32_t wre_LightSetPosition(Light* light, float x, float y, float z, int32_t angleX, int32_t angleY, int32_t angleZ) {
  if (!light) return kWreErrNull;
  if (light->type == kLightDirectional) {
    // A zero direction stays zero rather than becoming a division by zero.
    float length = std::sqrt(x * x + y * y + z * z);
    if (length > 0.0f) {
      x /= length;
      y /= length;
      z /= length;
    }
    wre_TransformSet(&light->transform, 0, 0, 0, x, y, z);
  } else {
    wre_TransformSet(&light->transform, angleX, angleY, angleZ, x, y, z);
  }
  light->transformCopy = light->transform;
  Bump(light);
  return 0;
}

int32_t wre_LightListAdd(Light* light, World* world) {
  if (!light || !world) return kWreErrNull;
  // A light already on a list is not linked a second time.
  if (light->world) return -1;
  wre_RecordListAppend(light, &world->lights, &Light::prev, &Light::next);
  light->world = world;
  wre_WorldBumpCounter(world);
  return 0;
}

int32_t wre_LightListRemove(Light* light, World* world) {
  if (!light || !world) return kWreErrNull;
  if (light->world != world) return -1;
  if (light->prev) light->prev->next = light->next;
  if (light->next) light->next->prev = light->prev;
  if (world->lights == light) world->lights = light->next;
  light->prev = nullptr;
  light->next = nullptr;
  light->world = nullptr;
  wre_WorldBumpCounter(world);
  return 0;
}

int32_t wre_LightSetOn(Light* light, uint8_t on) {
  if (!light) return kWreErrNull;
  light->on = on;
  Bump(light);
  return 0;
}

int32_t wre_LightSetName(Light* light, const char* name) {
  if (!light) return kWreErrNull;
  wre_StringCopyN(name ? name : " ", light->name, sizeof(light->name), 1);
  return 0;
}

Light* wre_LightFindByName(const char* name, const World* world) {
  if (!name || !world) return nullptr;
  for (Light* light = world->lights; light; light = light->next) {
    if (wre_StringEqualNoCase(light->name, name)) return light;
  }
  return nullptr;
}
