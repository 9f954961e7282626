// Small helpers shared by the craft code: in-place arithmetic on four-float vectors (the dynamics
// and the bounce) and the angle part-way along a swept move (the bounce and the thrown rider).
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

// v += a on all four floats.
void Vec4Add(Point4* v, const Point4* a);
// x, y and z times s; w unchanged.
void Vec3Scale(Point4* v, float s);
// out = (a.x s, a.y s, a.z s, 0).
void Vec4SetScaled(Point4* out, const Point4* a, float s);
// The dot product of x, y and z.
float Vec3Dot(const Point4* a, const Point4* b);
// The length of x, y and z.
float Vec3Length(const Point4* v);
// Scales x, y and z to length 1; a zero vector is left as it is.
void Vec3Normalize(Point4* v);
// from + trunc((to - from) x fraction): the angle at a fraction of a move, as a hit stops it.
int32_t AngleBetween(int32_t from, int32_t to, float fraction);
