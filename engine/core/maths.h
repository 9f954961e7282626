// Maths tables, geometry and 4x4 matrices.
//
// Angles are integers in 4096ths of a turn and are looked up, masked with 0xfff, in gCosTable and
// gSinTable. A box is eight corners in a fixed order: with bounds minx..maxx, miny..maxy,
// minz..maxz the corners are 0 (minx, maxy, maxz), 1 (maxx, maxy, maxz), 2 (maxx, maxy, minz),
// 3 (minx, maxy, minz), 4 (minx, miny, maxz), 5 (maxx, miny, maxz), 6 (maxx, miny, minz),
// 7 (minx, miny, minz). Bounds are six floats: minx, maxx, miny, maxy, minz, maxz.
// A plane is a Point4 (nx, ny, nz, d) with a unit normal and d = -(n . p).
// A matrix is 16 floats, row-major (element 4r + c), applied to column vectors.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

extern float* gCosTable;
extern float* gSinTable;
extern int32_t gMathTablesBuilt;

// The step between two table entries (2 pi / 4096 to eight significant digits).
constexpr double kAngleStep = 0.0015339807760028634;

// 0; -1 when a table cannot be allocated.
int32_t wre_MathTablesInit();
// 0; -1 when the tables were not built.
int32_t wre_MathTablesExit();

// Point arrays: only x, y and z of the destination are written; source and destination may be
// the same array.
int32_t wre_PointsTranslate(float dx, float dy, float dz, int32_t count, const Point4* source, Point4* destination);
// destination = Ry(Y) . Rx(X) . Rz(Z) . source; all three masked angles 0 copies the points.
int32_t wre_PointsRotate(int32_t angleX, int32_t angleY, int32_t angleZ, int32_t count, const Point4* source,
                         Point4* destination);
// destination = Rz(Z) . Rx(X) . Ry(Y) . source; with negated angles it undoes wre_PointsRotate.
int32_t wre_PointsRotateInverse(int32_t angleX, int32_t angleY, int32_t angleZ, int32_t count, const Point4* source,
                                Point4* destination);

// The nine coefficients (row-major) of Ry(Y) . Rx(X) . Rz(Z).
void wre_RotationCoefficients(int32_t angleX, int32_t angleY, int32_t angleZ, float out[9]);

// Plane through three points; three points on one line give the plane (0, 0, 0, 0), which
// nothing ever hits.
void wre_PlaneFromPoints(const Point4* p1, const Point4* p2, const Point4* p3, Point4* plane);
void wre_MathClamp(float* value, float low, float high);
float wre_MathPointSegmentDistance(const Point4* point, const Point4* start, const Point4* end, float* parameter);
// Unit direction from a to b (w = b.w - a.w); a zero vector when the points coincide.
void wre_MathDirection(const Point4* from, const Point4* to, Point4* out);
// sqrt(a*a - b*b); 0 when b outweighs a.
float wre_MathSqrtDiffSquares(float a, float b);
// Truncates toward zero; NaN gives 0 and values beyond the int range are held at its ends.
int32_t wre_MathTruncToInt(double value);
int32_t wre_AngleFromAtan2(double u, double v);
// 0 for a zero vector.
int32_t wre_AngleElevation(double u, double v, double w);
int32_t wre_AngleDelta(int32_t a, int32_t b);
int32_t wre_MathQuadrant(float x, float z);

// Bounds that any point widens: every minimum at +1.8e38, every maximum at -1.8e38.
inline void wre_BoundsEmpty(float* bounds) {
  bounds[0] = bounds[2] = bounds[4] = 1.8e38f;
  bounds[1] = bounds[3] = bounds[5] = -1.8e38f;
}
// Widens the bounds to take in the point.
inline void wre_BoundsGrow(float* bounds, const Point4& p) {
  if (p.x < bounds[0]) bounds[0] = p.x;
  if (p.x > bounds[1]) bounds[1] = p.x;
  if (p.y < bounds[2]) bounds[2] = p.y;
  if (p.y > bounds[3]) bounds[3] = p.y;
  if (p.z < bounds[4]) bounds[4] = p.z;
  if (p.z > bounds[5]) bounds[5] = p.z;
}

void wre_BoxBoundsOf8(const Point4* corners, float* bounds);
int32_t wre_BoxNormalise(Point4* corners);
// The eight corners of a box from its bounds.
void wre_BoxFromBounds(const float* bounds, Point4* corners);
void wre_PointSet3(Point4* point, float x, float y, float z);
int32_t wre_BoxSetMinX(Point4* corners, float value);
int32_t wre_BoxSetMaxX(Point4* corners, float value);
int32_t wre_BoxSetMinY(Point4* corners, float value);
int32_t wre_BoxSetMaxY(Point4* corners, float value);
int32_t wre_BoxSetMinZ(Point4* corners, float value);
int32_t wre_BoxSetMaxZ(Point4* corners, float value);
// 1 inside (edges included), 0 outside, 24 when either pointer is null: test the result == 1.
int32_t wre_BoxContainsPoint(const Point4* point, const float* bounds);
// out[0] = centre, out[1] = half-size of the corners' bounds.
int32_t wre_BoxCentreExtent(const Point4* corners, Point4* out);

void wre_MatrixIdentity(float* out);
void wre_MatrixTranslation(float x, float y, float z, float* out);
void wre_MatrixMakeTranslation(float x, float y, float z, float* out);
void wre_MatrixScaling(float x, float y, float z, float* out);
void wre_MatrixMultiply(const float* a, const float* b, float* out);
void wre_MatrixTranspose(const float* in, float* out);
void wre_MatrixTransformPoint(const float* matrix, const Point4* point, Point4* out);
void wre_MatrixRotationPart(const float* in, float* out);
void wre_MatrixInvert3x3(const float* in, float* out);
// (x, y, z, w) of the quaternion in a Point4.
void wre_QuaternionFromAxisAngle(float x, float y, float z, float angle, Point4* out);
// Writes the upper 3x3 of out.
void wre_MatrixFromQuaternion(const Point4* quaternion, float* out);
// Turns by minus the angle (radians) about the axis.
void wre_MatrixRotationAxis(float x, float y, float z, float angle, float* out);
// frame[0] origin, frame[1..3] axes X, Y, Z.
void wre_MatrixFromFrame(const Point4* frame, float* out);
