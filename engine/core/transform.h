// Transforms: position and orientation of objects, cameras and lights.
//
// The orientation is held twice, as three integer angles (4096ths of a turn, stored unmasked) and
// as three unit axis vectors, the columns of R = Ry(angle Y) . Rx(angle X) . Rz(angle Z). Every
// operation keeps the two consistent, except wre_TransformPointAt, which writes the angles only.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

struct Transform {
  int32_t changed;  // 1 after any change; the object update clears it
  Point4 axisX;
  Point4 axisY;
  Point4 axisZ;  // the facing direction
  int32_t angleX;  // pitch
  int32_t angleY;  // yaw
  int32_t angleZ;  // roll
  float position[3];
  int32_t spare;
};

struct EngineObject;

int32_t wre_TransformReset(Transform* transform);
int32_t wre_TransformSet(Transform* transform, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y,
                         float z);
int32_t wre_TransformMove(Transform* transform, int32_t dax, int32_t day, int32_t daz, float dx, float dy, float dz);
int32_t wre_TransformMoveLocal(Transform* transform, float a, float b, float c);
void wre_TransformPointAt(Transform* transform, float x, float y, float z);
int32_t wre_TransformPlaceRelative(Transform* transform, const Transform* source, float a, float b, float c);
int32_t wre_TransformRotate(Transform* transform, int32_t dx, int32_t dy, int32_t dz);
int32_t wre_TransformGetLevelPitch(const Transform* transform);

void wre_ObjectResetTransform(EngineObject* object);
int32_t wre_ObjectSetTransform(EngineObject* object, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y,
                               float z);
int32_t wre_ObjectMove(EngineObject* object, int32_t dax, int32_t day, int32_t daz, float dx, float dy, float dz);
void wre_ObjectMoveLocal(EngineObject* object, float a, float b, float c);
int32_t wre_ObjectPlaceRelative(EngineObject* object, const Transform* source, float a, float b, float c);
int32_t wre_ObjectRotate(EngineObject* object, int32_t dx, int32_t dy, int32_t dz);
int32_t wre_ObjectGetLevelPitch(const EngineObject* object);
