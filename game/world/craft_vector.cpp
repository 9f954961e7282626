#include "game/world/craft_vector.h"

#include <cmath>

void Vec4Add(Point4* v, const Point4* a) {
  v->x += a->x;
  v->y += a->y;
  v->z += a->z;
  v->w += a->w;
}

void Vec3Scale(Point4* v, float s) {
  v->x *= s;
  v->y *= s;
  v->z *= s;
}

void Vec4SetScaled(Point4* out, const Point4* a, float s) {
  *out = Point4{a->x * s, a->y * s, a->z * s, 0.0f};
}

float Vec3Dot(const Point4* a, const Point4* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

float Vec3Length(const Point4* v) { return std::sqrt(Vec3Dot(v, v)); }

void Vec3Normalize(Point4* v) {
  float length = Vec3Length(v);
  if (length > 0.0f) Vec3Scale(v, 1.0f / length);
}

int32_t AngleBetween(int32_t from, int32_t to, float fraction) {
  return from + static_cast<int32_t>(static_cast<float>(to - from) * fraction);
}
