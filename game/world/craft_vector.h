// Small in-place helpers on four-float vectors, shared by the craft dynamics and the craft bounce.
#pragma once

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
