#include "engine/core/transform.h"

#include <cmath>
#include <cstring>

#include "engine/core/detail.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"

namespace {

float CosOf(int32_t angle) { return gCosTable[static_cast<uint32_t>(angle) & 0xfff]; }
float SinOf(int32_t angle) { return gSinTable[static_cast<uint32_t>(angle) & 0xfff]; }

// Radians to 4096ths of a turn by way of degrees, both steps rounded to float, truncated.
int32_t RadiansToAngle(float radians) {
  const float degrees = static_cast<float>(static_cast<double>(radians) * 57.29578);
  const float turns = degrees * 11.37778f;
  if (std::isnan(turns)) return 0;
  return static_cast<int32_t>(turns);
}

void MarkMembersChanged(EngineObject* object) {
  if (!object->detailGroup) return;
  for (EngineObject* member = object->detailGroup->members; member; member = member->next) {
    member->transform.changed = 1;
  }
}

}  // namespace

int32_t wre_TransformReset(Transform* transform) {
  if (!transform) return 0;
  std::memset(transform, 0, sizeof(*transform));
  transform->axisX = Point4{1.0f, 0.0f, 0.0f, 0.0f};
  transform->axisY = Point4{0.0f, 1.0f, 0.0f, 0.0f};
  transform->axisZ = Point4{0.0f, 0.0f, 1.0f, 0.0f};
  transform->changed = 1;
  return 0;
}

int32_t wre_TransformSet(Transform* transform, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y,
                         float z) {
  if (!transform) return 0;
  transform->angleX = angleX;
  transform->angleY = angleY;
  transform->angleZ = angleZ;
  transform->position[0] = x;
  transform->position[1] = y;
  transform->position[2] = z;
  Point4 axes[3] = {{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}};
  wre_PointsRotate(angleX, angleY, angleZ, 3, axes, axes);
  wre_PointSet3(&transform->axisX, axes[0].x, axes[0].y, axes[0].z);
  wre_PointSet3(&transform->axisY, axes[1].x, axes[1].y, axes[1].z);
  wre_PointSet3(&transform->axisZ, axes[2].x, axes[2].y, axes[2].z);
  transform->changed = 1;
  return 0;
}

int32_t wre_TransformMove(Transform* transform, int32_t dax, int32_t day, int32_t daz, float dx, float dy,
                          float dz) {
  if (!transform) return kWreErrNull;
  // Angles wrap like the 32-bit words they are.
  const auto add = [](int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
  };
  return wre_TransformSet(transform, add(transform->angleX, dax), add(transform->angleY, day),
                          add(transform->angleZ, daz), transform->position[0] + dx, transform->position[1] + dy,
                          transform->position[2] + dz);
}

int32_t wre_TransformMoveLocal(Transform* transform, float a, float b, float c) {
  if (!transform) return 0;
  float d[3] = {0.0f, 0.0f, 0.0f};
  const Point4* axes[3] = {&transform->axisX, &transform->axisY, &transform->axisZ};
  const float distances[3] = {a, b, c};
  for (int i = 0; i < 3; ++i) {
    if (distances[i] == 0.0f) continue;
    d[0] += distances[i] * axes[i]->x;
    d[1] += distances[i] * axes[i]->y;
    d[2] += distances[i] * axes[i]->z;
  }
  return wre_TransformMove(transform, 0, 0, 0, d[0], d[1], d[2]);
}

void wre_TransformPointAt(Transform* transform, float x, float y, float z) {
  if (!transform) return;
  const double dx = static_cast<double>(x - transform->position[0]);
  const double dy = static_cast<double>(y - transform->position[1]);
  const double dz = static_cast<double>(z - transform->position[2]);
  transform->angleX = wre_AngleElevation(dx, dz, -dy);
  transform->angleY = wre_AngleFromAtan2(dx, dz);
  transform->angleZ = 0;
}

int32_t wre_TransformPlaceRelative(Transform* transform, const Transform* source, float a, float b, float c) {
  if (!transform || !source) return 0;
  wre_TransformSet(transform, source->angleX, source->angleY, source->angleZ, source->position[0],
                   source->position[1], source->position[2]);
  return wre_TransformMoveLocal(transform, a, b, c);
}

int32_t wre_TransformRotate(Transform* transform, int32_t dx, int32_t dy, int32_t dz) {
  if (!transform) return kWreErrNull;
  Point4& ax = transform->axisX;
  Point4& ay = transform->axisY;
  Point4& az = transform->axisZ;
  if (dy != 0) {
    const float c = CosOf(dy), s = SinOf(dy);
    const Point4 x = ax, z = az;
    wre_PointSet3(&ax, c * x.x - s * z.x, c * x.y - s * z.y, c * x.z - s * z.z);
    wre_PointSet3(&az, c * z.x + s * x.x, c * z.y + s * x.y, c * z.z + s * x.z);
  }
  if (dx != 0) {
    const float c = CosOf(dx), s = SinOf(dx);
    const Point4 y = ay, z = az;
    wre_PointSet3(&ay, c * y.x + s * z.x, c * y.y + s * z.y, c * y.z + s * z.z);
    wre_PointSet3(&az, c * z.x - s * y.x, c * z.y - s * y.y, c * z.z - s * y.z);
  }
  if (dz != 0) {
    // Turns the X/Z pair again, the other way round: the level pitch measures after undoing it.
    const float c = CosOf(dz), s = SinOf(dz);
    const Point4 x = ax, z = az;
    wre_PointSet3(&ax, c * x.x + s * z.x, c * x.y + s * z.y, c * x.z + s * z.z);
    wre_PointSet3(&az, c * z.x - s * x.x, c * z.y - s * x.y, c * z.z - s * x.z);
  }

  if (std::fabs(az.y) > 1.0f) az.y = az.y / std::fabs(az.y);
  const double zy = az.y;
  const float pitch = static_cast<float>(std::atan2(-zy, std::sqrt(std::fmax(0.0, 1.0 - zy * zy))));
  float yaw;
  float roll;
  if (static_cast<float>(std::cos(static_cast<double>(pitch))) != 0.0f) {
    yaw = static_cast<float>(std::atan2(static_cast<double>(az.x), static_cast<double>(az.z)));
    roll = static_cast<float>(std::atan2(static_cast<double>(ax.y), static_cast<double>(ay.y)));
  } else {
    yaw = static_cast<float>(std::atan2(static_cast<double>(ax.y), static_cast<double>(ax.x)));
    roll = 0.0f;
  }
  wre_TransformSet(transform, RadiansToAngle(pitch), RadiansToAngle(yaw), RadiansToAngle(roll),
                   transform->position[0], transform->position[1], transform->position[2]);
  transform->changed = 1;
  return 0;
}

int32_t wre_TransformGetLevelPitch(const Transform* transform) {
  if (!transform) return 0;
  Transform copy = *transform;
  wre_TransformRotate(&copy, 0, 0, -transform->angleZ);
  return copy.angleX;
}

void wre_ObjectResetTransform(EngineObject* object) {
  if (!object) return;
  wre_TransformReset(&object->transform);
  object->transform.changed = 1;
  MarkMembersChanged(object);
}

int32_t wre_ObjectSetTransform(EngineObject* object, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y,
                               float z) {
  if (!object) return 0;
  wre_TransformSet(&object->transform, angleX, angleY, angleZ, x, y, z);
  object->transform.changed = 1;
  MarkMembersChanged(object);
  if (object->detailGroup) {
    for (EngineObject* member = object->detailGroup->members; member; member = member->next) {
      wre_TransformSet(&member->transform, angleX, angleY, angleZ, x, y, z);
      member->transform.changed = 1;
      MarkMembersChanged(member);
    }
  }
  if ((object->status & kStatusInWorld) && object->kind != kObjectStatic && gObjectServices.worldRefile) {
    gObjectServices.worldRefile(object);
  }
  return 0;
}

int32_t wre_ObjectMove(EngineObject* object, int32_t dax, int32_t day, int32_t daz, float dx, float dy, float dz) {
  if (!object) return kWreErrNull;
  const Transform& t = object->transform;
  const auto add = [](int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
  };
  return wre_ObjectSetTransform(object, add(t.angleX, dax), add(t.angleY, day), add(t.angleZ, daz),
                                t.position[0] + dx, t.position[1] + dy, t.position[2] + dz);
}

void wre_ObjectMoveLocal(EngineObject* object, float a, float b, float c) {
  if (!object) return;
  Transform& t = object->transform;
  wre_TransformMoveLocal(&t, a, b, c);
  wre_ObjectSetTransform(object, t.angleX, t.angleY, t.angleZ, t.position[0], t.position[1], t.position[2]);
}

int32_t wre_ObjectPlaceRelative(EngineObject* object, const Transform* source, float a, float b, float c) {
  if (!object || !source) return 0;
  Transform& t = object->transform;
  wre_TransformPlaceRelative(&t, source, a, b, c);
  return wre_ObjectSetTransform(object, t.angleX, t.angleY, t.angleZ, t.position[0], t.position[1], t.position[2]);
}

int32_t wre_ObjectRotate(EngineObject* object, int32_t dx, int32_t dy, int32_t dz) {
  if (!object) return kWreErrNull;
  object->transform.changed = 1;
  MarkMembersChanged(object);
  return wre_TransformRotate(&object->transform, dx, dy, dz);
}

int32_t wre_ObjectGetLevelPitch(const EngineObject* object) {
  if (!object) return 0;
  return wre_TransformGetLevelPitch(&object->transform);
}
