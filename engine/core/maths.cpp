#include "engine/core/maths.h"

#include <cmath>
#include <cstring>

#include "engine/core/memory.h"

float* gCosTable = nullptr;
float* gSinTable = nullptr;
int32_t gMathTablesBuilt = 0;

namespace {

constexpr double kAngleToTurn = 651.8986287636712;  // 4096 / 2 pi

float CosOf(int32_t angle) { return gCosTable[static_cast<uint32_t>(angle) & 0xfff]; }
float SinOf(int32_t angle) { return gSinTable[static_cast<uint32_t>(angle) & 0xfff]; }

bool AllZero(int32_t a, int32_t b, int32_t c) {
  return ((static_cast<uint32_t>(a) | static_cast<uint32_t>(b) | static_cast<uint32_t>(c)) & 0xfff) == 0;
}

// Applies a 3x3 to count points; the source point is read whole before its destination is
// written, so the arrays may be the same.
void Apply(const float* m, int32_t count, const Point4* source, Point4* destination) {
  for (int32_t i = 0; i < count; ++i) {
    const float x = source[i].x;
    const float y = source[i].y;
    const float z = source[i].z;
    destination[i].x = m[0] * x + m[1] * y + m[2] * z;
    destination[i].y = m[3] * x + m[4] * y + m[5] * z;
    destination[i].z = m[6] * x + m[7] * y + m[8] * z;
  }
}

void CopyXyz(int32_t count, const Point4* source, Point4* destination) {
  for (int32_t i = 0; i < count; ++i) {
    destination[i].x = source[i].x;
    destination[i].y = source[i].y;
    destination[i].z = source[i].z;
  }
}

float Length3(float x, float y, float z) { return std::sqrt(x * x + y * y + z * z); }

}  // namespace

int32_t wre_MathTruncToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

int32_t wre_MathTablesInit() {
  gMathTablesBuilt = 0;
  auto* cosTable = static_cast<float*>(wre_MemoryNew(4096 * sizeof(float)));
  auto* sinTable = static_cast<float*>(wre_MemoryNew(4096 * sizeof(float)));
  if (!cosTable || !sinTable) {
    wre_MemoryDispose(cosTable);
    wre_MemoryDispose(sinTable);
    return -1;
  }
  for (int32_t i = 0; i < 4096; ++i) {
    const double angle = static_cast<double>(i) * kAngleStep;
    cosTable[i] = static_cast<float>(std::cos(static_cast<long double>(angle)));
    sinTable[i] = static_cast<float>(std::sin(static_cast<long double>(angle)));
  }
  // Tables of an earlier start-up are given back first.
  if (gCosTable) wre_MemoryDispose(gCosTable);
  if (gSinTable) wre_MemoryDispose(gSinTable);
  gCosTable = cosTable;
  gSinTable = sinTable;
  gMathTablesBuilt = 1;
  return 0;
}

int32_t wre_MathTablesExit() {
  if (!gMathTablesBuilt) return -1;
  wre_MemoryDispose(gCosTable);
  wre_MemoryDispose(gSinTable);
  gCosTable = nullptr;
  gSinTable = nullptr;
  gMathTablesBuilt = 0;
  return 0;
}

int32_t wre_PointsTranslate(float dx, float dy, float dz, int32_t count, const Point4* source, Point4* destination) {
  if (count <= 0 || !source || !destination) return -1;
  for (int32_t i = 0; i < count; ++i) {
    destination[i].x = source[i].x + dx;
    destination[i].y = source[i].y + dy;
    destination[i].z = source[i].z + dz;
  }
  return 0;
}

void wre_RotationCoefficients(int32_t angleX, int32_t angleY, int32_t angleZ, float out[9]) {
  const float ca = CosOf(angleX), sa = SinOf(angleX);
  const float cb = CosOf(angleY), sb = SinOf(angleY);
  const float cc = CosOf(angleZ), sc = SinOf(angleZ);
  out[0] = sa * sb * sc + cb * cc;
  out[1] = sa * sb * cc - cb * sc;
  out[2] = ca * sb;
  out[3] = ca * sc;
  out[4] = ca * cc;
  out[5] = -sa;
  out[6] = sa * cb * sc - sb * cc;
  out[7] = sa * cb * cc + sb * sc;
  out[8] = ca * cb;
}

int32_t wre_PointsRotate(int32_t angleX, int32_t angleY, int32_t angleZ, int32_t count, const Point4* source,
                         Point4* destination) {
  if (count <= 0 || !source || !destination) return 0;
  if (AllZero(angleX, angleY, angleZ)) {
    CopyXyz(count, source, destination);
    return 0;
  }
  float m[9];
  wre_RotationCoefficients(angleX, angleY, angleZ, m);
  Apply(m, count, source, destination);
  return 0;
}

int32_t wre_PointsRotateInverse(int32_t angleX, int32_t angleY, int32_t angleZ, int32_t count, const Point4* source,
                                Point4* destination) {
  if (count <= 0 || !source || !destination) return 0;
  const float ca = CosOf(angleX), sa = SinOf(angleX);
  const float cb = CosOf(angleY), sb = SinOf(angleY);
  const float cc = CosOf(angleZ), sc = SinOf(angleZ);
  const float m[9] = {
      cb * cc - sa * sb * sc, -ca * sc, sa * cb * sc + sb * cc,
      sa * sb * cc + cb * sc, ca * cc,  sb * sc - sa * cb * cc,
      -ca * sb,               sa,       ca * cb,
  };
  Apply(m, count, source, destination);
  return 0;
}

void wre_PlaneFromPoints(const Point4* p1, const Point4* p2, const Point4* p3, Point4* plane) {
  if (!p1 || !p2 || !p3 || !plane) return;
  const float ax = p1->x - p2->x, ay = p1->y - p2->y, az = p1->z - p2->z;
  const float bx = p1->x - p3->x, by = p1->y - p3->y, bz = p1->z - p3->z;
  float nx = ay * bz - az * by;
  float ny = az * bx - ax * bz;
  float nz = ax * by - ay * bx;
  const float length = Length3(nx, ny, nz);
  if (!(length > 0.0f) || !std::isfinite(length)) {
    *plane = Point4{0.0f, 0.0f, 0.0f, 0.0f};
    return;
  }
  const float scale = 1.0f / length;
  nx *= scale;
  ny *= scale;
  nz *= scale;
  plane->x = nx;
  plane->y = ny;
  plane->z = nz;
  plane->w = -(nx * p1->x + ny * p1->y + nz * p1->z);
}

void wre_MathClamp(float* value, float low, float high) {
  if (!value) return;
  if (*value > high) {
    *value = high;
  } else if (*value < low) {
    *value = low;
  }
}

float wre_MathPointSegmentDistance(const Point4* point, const Point4* start, const Point4* end, float* parameter) {
  if (!point || !start || !end) return 0.0f;
  const float dx = end->x - start->x, dy = end->y - start->y, dz = end->z - start->z;
  const float px = point->x - start->x, py = point->y - start->y, pz = point->z - start->z;
  const float t = px * dx + py * dy + pz * dz;
  if (t <= 0.0f) {
    if (parameter) *parameter = 0.0f;
    return Length3(px, py, pz);
  }
  const float length = static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy + dz * dz)));
  const float lengthSquared = length * length;
  if (t >= lengthSquared) {
    if (parameter) *parameter = 1.0f;
    return Length3(point->x - end->x, point->y - end->y, point->z - end->z);
  }
  const float f = t / lengthSquared;
  if (parameter) *parameter = f;
  return Length3(point->x - (start->x + f * dx), point->y - (start->y + f * dy), point->z - (start->z + f * dz));
}

void wre_MathDirection(const Point4* from, const Point4* to, Point4* out) {
  if (!from || !to || !out) return;
  const float dx = to->x - from->x, dy = to->y - from->y, dz = to->z - from->z;
  const float length = Length3(dx, dy, dz);
  if (length > 0.0f) {
    const float scale = 1.0f / length;
    out->x = dx * scale;
    out->y = dy * scale;
    out->z = dz * scale;
  } else {
    out->x = out->y = out->z = 0.0f;
  }
  out->w = to->w - from->w;
}

float wre_MathSqrtDiffSquares(float a, float b) {
  const float difference = a * a - b * b;
  if (!(difference > 0.0f)) return 0.0f;
  return static_cast<float>(std::sqrt(static_cast<double>(difference)));
}

int32_t wre_AngleFromAtan2(double u, double v) { return wre_MathTruncToInt(std::atan2(u, v) * kAngleToTurn + 0.5); }

int32_t wre_AngleElevation(double u, double v, double w) {
  const double h = u * u + v * v;
  const double all = h + w * w;
  if (!(all > 0.0) || !std::isfinite(all)) return 0;
  double ratio = h / all;
  if (ratio > 1.0) ratio = 1.0;
  int32_t angle = wre_MathTruncToInt(std::acos(ratio) * kAngleToTurn);
  if (w < 0.0) angle = -angle;
  return angle;
}

int32_t wre_AngleDelta(int32_t a, int32_t b) {
  int32_t delta = static_cast<int32_t>((static_cast<uint32_t>(b) - static_cast<uint32_t>(a)) & 0xfff);
  if (delta > 2048) delta -= 4096;
  return delta;
}

int32_t wre_MathQuadrant(float x, float z) {
  if (z >= 0.0f) return x >= 0.0f ? 1 : 2;
  return x < 0.0f ? 3 : 4;
}

void wre_BoxBoundsOf8(const Point4* corners, float* bounds) {
  if (!corners || !bounds) return;
  wre_BoundsEmpty(bounds);
  for (int32_t i = 0; i < 8; ++i) wre_BoundsGrow(bounds, corners[i]);
}

void wre_BoxFromBounds(const float* bounds, Point4* corners) {
  if (!bounds || !corners) return;
  const float minX = bounds[0], maxX = bounds[1], minY = bounds[2], maxY = bounds[3], minZ = bounds[4],
              maxZ = bounds[5];
  wre_PointSet3(&corners[0], minX, maxY, maxZ);
  wre_PointSet3(&corners[1], maxX, maxY, maxZ);
  wre_PointSet3(&corners[2], maxX, maxY, minZ);
  wre_PointSet3(&corners[3], minX, maxY, minZ);
  wre_PointSet3(&corners[4], minX, minY, maxZ);
  wre_PointSet3(&corners[5], maxX, minY, maxZ);
  wre_PointSet3(&corners[6], maxX, minY, minZ);
  wre_PointSet3(&corners[7], minX, minY, minZ);
}

int32_t wre_BoxNormalise(Point4* corners) {
  if (!corners) return kWreErrNull;
  float bounds[6];
  wre_BoxBoundsOf8(corners, bounds);
  wre_BoxFromBounds(bounds, corners);
  return 0;
}

void wre_PointSet3(Point4* point, float x, float y, float z) {
  if (!point) return;
  point->x = x;
  point->y = y;
  point->z = z;
}

namespace {

int32_t SetFace(Point4* corners, const int (&which)[4], int axis, float value) {
  if (!corners) return kWreErrNull;
  for (int index : which) {
    float* c = axis == 0 ? &corners[index].x : axis == 1 ? &corners[index].y : &corners[index].z;
    *c = value;
  }
  return 0;
}

constexpr int kMinXFace[4] = {0, 3, 4, 7};
constexpr int kMaxXFace[4] = {1, 2, 5, 6};
constexpr int kMinYFace[4] = {4, 5, 6, 7};
constexpr int kMaxYFace[4] = {0, 1, 2, 3};
constexpr int kMinZFace[4] = {2, 3, 6, 7};
constexpr int kMaxZFace[4] = {0, 1, 4, 5};

}  // namespace

int32_t wre_BoxSetMinX(Point4* corners, float value) { return SetFace(corners, kMinXFace, 0, value); }
int32_t wre_BoxSetMaxX(Point4* corners, float value) { return SetFace(corners, kMaxXFace, 0, value); }
int32_t wre_BoxSetMinY(Point4* corners, float value) { return SetFace(corners, kMinYFace, 1, value); }
int32_t wre_BoxSetMaxY(Point4* corners, float value) { return SetFace(corners, kMaxYFace, 1, value); }
int32_t wre_BoxSetMinZ(Point4* corners, float value) { return SetFace(corners, kMinZFace, 2, value); }
int32_t wre_BoxSetMaxZ(Point4* corners, float value) { return SetFace(corners, kMaxZFace, 2, value); }

int32_t wre_BoxContainsPoint(const Point4* point, const float* bounds) {
  if (!point || !bounds) return 24;
  if (point->x < bounds[0] || point->x > bounds[1]) return 0;
  if (point->y < bounds[2] || point->y > bounds[3]) return 0;
  if (point->z < bounds[4] || point->z > bounds[5]) return 0;
  return 1;
}

int32_t wre_BoxCentreExtent(const Point4* corners, Point4* out) {
  if (!corners || !out) return kWreErrNull;
  float bounds[6];
  wre_BoxBoundsOf8(corners, bounds);
  const float hx = (bounds[1] - bounds[0]) * 0.5f;
  const float hy = (bounds[3] - bounds[2]) * 0.5f;
  const float hz = (bounds[5] - bounds[4]) * 0.5f;
  out[0] = Point4{bounds[0] + hx, bounds[2] + hy, bounds[4] + hz, 0.0f};
  out[1] = Point4{hx, hy, hz, 0.0f};
  return 0;
}

void wre_MatrixIdentity(float* out) {
  if (!out) return;
  for (int i = 0; i < 16; ++i) out[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void wre_MatrixTranslation(float x, float y, float z, float* out) {
  if (!out) return;
  wre_MatrixIdentity(out);
  out[3] = x;
  out[7] = y;
  out[11] = z;
}

void wre_MatrixMakeTranslation(float x, float y, float z, float* out) { wre_MatrixTranslation(x, y, z, out); }

void wre_MatrixScaling(float x, float y, float z, float* out) {
  if (!out) return;
  wre_MatrixIdentity(out);
  out[0] = x;
  out[5] = y;
  out[10] = z;
}

void wre_MatrixMultiply(const float* a, const float* b, float* out) {
  if (!a || !b || !out) return;
  float left[16], right[16];
  std::memcpy(left, a, sizeof(left));
  std::memcpy(right, b, sizeof(right));
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += left[4 * r + k] * right[4 * k + c];
      out[4 * r + c] = sum;
    }
  }
}

void wre_MatrixTranspose(const float* in, float* out) {
  if (!in || !out) return;
  float copy[16];
  std::memcpy(copy, in, sizeof(copy));
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) out[4 * r + c] = copy[4 * c + r];
  }
}

void wre_MatrixTransformPoint(const float* matrix, const Point4* point, Point4* out) {
  if (!matrix || !point || !out) return;
  const float x = point->x, y = point->y, z = point->z;
  out->x = matrix[0] * x + matrix[1] * y + matrix[2] * z + matrix[3];
  out->y = matrix[4] * x + matrix[5] * y + matrix[6] * z + matrix[7];
  out->z = matrix[8] * x + matrix[9] * y + matrix[10] * z + matrix[11];
  out->w = 0.0f;
}

void wre_MatrixRotationPart(const float* in, float* out) {
  if (!in || !out) return;
  float copy[16];
  std::memcpy(copy, in, sizeof(copy));
  std::memcpy(out, copy, sizeof(copy));
  out[3] = out[7] = out[11] = 0.0f;
  out[12] = out[13] = out[14] = 0.0f;
  out[15] = 1.0f;
}

void wre_MatrixInvert3x3(const float* in, float* out) {
  if (!in || !out) return;
  float m[16];
  std::memcpy(m, in, sizeof(m));
  const float a = m[0], b = m[1], c = m[2];
  const float d = m[4], e = m[5], f = m[6];
  const float g = m[8], h = m[9], i = m[10];
  // Cofactors of column 0 first: the determinant is expanded down it.
  const float c00 = e * i - f * h;
  const float c10 = -(b * i - c * h);
  const float c20 = b * f - c * e;
  float determinant = a * c00 + d * c10 + g * c20;
  if (determinant == 0.0f) determinant = 0.0001f;
  const float c01 = -(d * i - f * g);
  const float c11 = a * i - c * g;
  const float c21 = -(a * f - c * d);
  const float c02 = d * h - e * g;
  const float c12 = -(a * h - b * g);
  const float c22 = a * e - b * d;
  // The adjugate is the transpose of the cofactor matrix.
  out[0] = c00 / determinant;
  out[1] = c10 / determinant;
  out[2] = c20 / determinant;
  out[4] = c01 / determinant;
  out[5] = c11 / determinant;
  out[6] = c21 / determinant;
  out[8] = c02 / determinant;
  out[9] = c12 / determinant;
  out[10] = c22 / determinant;
}

void wre_QuaternionFromAxisAngle(float x, float y, float z, float angle, Point4* out) {
  if (!out) return;
  const float s = std::sin(angle * 0.5f);
  out->x = x * s;
  out->y = y * s;
  out->z = z * s;
  out->w = std::cos(angle * 0.5f);
}

void wre_MatrixFromQuaternion(const Point4* quaternion, float* out) {
  if (!quaternion || !out) return;
  const float x = quaternion->x, y = quaternion->y, z = quaternion->z, w = quaternion->w;
  const float sum = x * x + y * y + z * z + w * w;
  const float m = sum == 0.0f ? 1.0f : 2.0f / sum;
  out[0] = 1.0f - m * (y * y + z * z);
  out[1] = m * (x * y - w * z);
  out[2] = m * (x * z + w * y);
  out[4] = m * (x * y + w * z);
  out[5] = 1.0f - m * (x * x + z * z);
  out[6] = m * (y * z - w * x);
  out[8] = m * (x * z - w * y);
  out[9] = m * (y * z + w * x);
  out[10] = 1.0f - m * (x * x + y * y);
}

void wre_MatrixRotationAxis(float x, float y, float z, float angle, float* out) {
  if (!out) return;
  Point4 q;
  wre_QuaternionFromAxisAngle(x, y, z, angle, &q);
  q.w = -q.w;
  wre_MatrixIdentity(out);
  wre_MatrixFromQuaternion(&q, out);
  wre_MatrixRotationPart(out, out);
}

void wre_MatrixFromFrame(const Point4* frame, float* out) {
  if (!frame || !out) return;
  Point4 copy[4];
  std::memcpy(copy, frame, sizeof(copy));
  wre_MatrixIdentity(out);
  for (int column = 0; column < 4; ++column) {
    const Point4& v = column == 3 ? copy[0] : copy[column + 1];
    out[column] = v.x;
    out[4 + column] = v.y;
    out[8 + column] = v.z;
    out[12 + column] = v.w;
  }
}
