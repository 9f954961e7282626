// Lights of a world: point and directional lights with a colour, an intensity, a position or
// direction held in a transform, an on/off byte and a name.
#pragma once
#include <cstdint>

#include "engine/core/transform.h"

struct World;

// Set whenever material colours or the world's ambient light change; the frame begin recomputes
// the lit colours when it is set.
extern uint8_t gLightingDirty;

enum : int32_t {
  kLightPoint = 100,
  kLightDirectional = 101,
};

struct Light {
  uint8_t on;
  char name[32];
  float intensity;  // percent x 0.01
  Transform transform;  // position, or unit direction in the position field
  int32_t type;
  float colour[4];
  uint32_t rendererArea[12];
  Transform transformCopy;
  World* world;
  Light* prev;
  Light* next;
};

Light* wre_LightCreate(int32_t type, const Transform* transform, const float* colour, float intensityPercent);
int32_t wre_LightDispose(Light* light);
int32_t wre_LightSetIntensity(Light* light, float percent);
int32_t wre_LightSetPosition(Light* light, float x, float y, float z, int32_t angleX, int32_t angleY, int32_t angleZ);
int32_t wre_LightListAdd(Light* light, World* world);
int32_t wre_LightListRemove(Light* light, World* world);
int32_t wre_LightSetOn(Light* light, uint8_t on);
int32_t wre_LightSetName(Light* light, const char* name);
Light* wre_LightFindByName(const char* name, const World* world);
