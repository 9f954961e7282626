#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/core/maths.h"
#include "object_test_support.h"

namespace {

using object_test::EngineTest;
using object_test::ExpectPoint;

class MathsTest : public EngineTest {};

TEST_F(MathsTest, TablesFollowTheShortStepAtEveryAngle) {
  ASSERT_NE(gCosTable, nullptr);
  ASSERT_NE(gSinTable, nullptr);
  EXPECT_EQ(gMathTablesBuilt, 1);
  for (int i = 0; i < 4096; ++i) {
    // The step is 2 pi / 4096 cut to eight digits, so the tables drift from the exact circle.
    const double angle = static_cast<double>(i) * 0.0015339807760028634;
    EXPECT_NEAR(gCosTable[i], std::cos(angle), 6e-8) << i;
    EXPECT_NEAR(gSinTable[i], std::sin(angle), 6e-8) << i;
    const float c = gCosTable[i], s = gSinTable[i];
    EXPECT_NEAR(c * c + s * s, 1.0f, 2e-7f) << i;
  }
  EXPECT_EQ(gSinTable[1024], 1.0f);
  EXPECT_NEAR(gCosTable[1024], 1.2168e-8, 0.0005e-8);
  EXPECT_GT(gCosTable[1024], 0.0f);  // the exact quarter turn would give -4.37e-8 in float
  EXPECT_EQ(gCosTable[2048], -1.0f);
  EXPECT_NEAR(gSinTable[2048], 2.4336e-8, 0.001e-8);
  EXPECT_EQ(gCosTable[0], 1.0f);
  EXPECT_EQ(gSinTable[0], 0.0f);
}

TEST_F(MathsTest, TablesExitOnceAndBuildAgain) {
  EXPECT_EQ(wre_MathTablesExit(), 0);
  EXPECT_EQ(gCosTable, nullptr);
  EXPECT_EQ(gSinTable, nullptr);
  EXPECT_EQ(wre_MathTablesExit(), -1);
  EXPECT_EQ(wre_MathTablesInit(), 0);
  EXPECT_EQ(gSinTable[1024], 1.0f);
}

TEST_F(MathsTest, AnglesFromVectorsAndDifferences) {
  EXPECT_EQ(wre_AngleDelta(0, 2048), 2048);
  EXPECT_EQ(wre_AngleDelta(0, 2049), -2047);
  EXPECT_EQ(wre_AngleDelta(4000, 100), 196);
  EXPECT_EQ(wre_AngleDelta(100, 4000), -196);
  EXPECT_EQ(wre_AngleDelta(-4096, 8192), 0);
  EXPECT_EQ(wre_AngleDelta(INT32_MIN, INT32_MAX), 4095 - 4096);

  EXPECT_EQ(wre_AngleFromAtan2(0, 1), 0);
  EXPECT_EQ(wre_AngleFromAtan2(1, 0), 1024);
  EXPECT_EQ(wre_AngleFromAtan2(0, -1), 2048);
  EXPECT_EQ(wre_AngleFromAtan2(-1, 0), -1023);
  EXPECT_EQ(wre_AngleFromAtan2(1, 1), 512);

  // The elevation works on squared lengths: 45 degrees up reads as 60.
  EXPECT_EQ(wre_AngleElevation(1, 0, 1), 682);
  EXPECT_EQ(wre_AngleElevation(1, 0, -1), -682);
  // Straight down: a quarter turn times 4096 / 2 pi falls just short of 1024 and is cut.
  EXPECT_EQ(wre_AngleElevation(0, 0, -5), -1023);
  EXPECT_EQ(wre_AngleElevation(3, 4, 0), 0);
  EXPECT_EQ(wre_AngleElevation(0, 0, 0), 0);
  EXPECT_EQ(wre_AngleElevation(NAN, 0, 1), 0);

  EXPECT_EQ(wre_MathQuadrant(0, 0), 1);
  EXPECT_EQ(wre_MathQuadrant(-1, 0), 2);
  EXPECT_EQ(wre_MathQuadrant(-1, -1), 3);
  EXPECT_EQ(wre_MathQuadrant(0, -1), 4);
}

TEST_F(MathsTest, RotateThenInverseRestoresPointsInPlaceKeepingW) {
  Point4 points[11];
  for (int i = 0; i < 11; ++i) {
    points[i] = Point4{1.5f * i - 4.0f, 2.0f - 0.25f * i, 0.5f * i * i - 3.0f, 100.0f + i};
  }
  Point4 original[11];
  std::memcpy(original, points, sizeof(points));
  const int angles[][3] = {{100, 200, 300}, {-700, 4000, 1024}, {2048, -1, 5000}, {0, 0, 77}};
  for (const auto& a : angles) {
    ASSERT_EQ(wre_PointsRotate(a[0], a[1], a[2], 11, points, points), 0);
    ASSERT_EQ(wre_PointsRotateInverse(-a[0], -a[1], -a[2], 11, points, points), 0);
    for (int i = 0; i < 11; ++i) {
      ExpectPoint(points[i], original[i].x, original[i].y, original[i].z, 2e-5f);
      EXPECT_EQ(points[i].w, original[i].w);
    }
  }
}

TEST_F(MathsTest, RotationMatchesTheAxisMatrices) {
  // R = Ry . Rx . Rz, with each turn taken from the tables.
  const int a = 300, b = 1100, c = -250;
  const double ca = gCosTable[a & 0xfff], sa = gSinTable[a & 0xfff];
  const double cb = gCosTable[b & 0xfff], sb = gSinTable[b & 0xfff];
  const double cc = gCosTable[c & 0xfff], sc = gSinTable[c & 0xfff];
  const double rx[3][3] = {{1, 0, 0}, {0, ca, -sa}, {0, sa, ca}};
  const double ry[3][3] = {{cb, 0, sb}, {0, 1, 0}, {-sb, 0, cb}};
  const double rz[3][3] = {{cc, -sc, 0}, {sc, cc, 0}, {0, 0, 1}};
  const double v[3] = {0.3, -2.0, 5.0};
  double t1[3], t2[3], t3[3];
  for (int r = 0; r < 3; ++r) t1[r] = rz[r][0] * v[0] + rz[r][1] * v[1] + rz[r][2] * v[2];
  for (int r = 0; r < 3; ++r) t2[r] = rx[r][0] * t1[0] + rx[r][1] * t1[1] + rx[r][2] * t1[2];
  for (int r = 0; r < 3; ++r) t3[r] = ry[r][0] * t2[0] + ry[r][1] * t2[1] + ry[r][2] * t2[2];
  Point4 p{0.3f, -2.0f, 5.0f, 7.0f};
  wre_PointsRotate(a, b, c, 1, &p, &p);
  ExpectPoint(p, static_cast<float>(t3[0]), static_cast<float>(t3[1]), static_cast<float>(t3[2]));
  EXPECT_EQ(p.w, 7.0f);

  // Masked angles of 0 copy the points exactly.
  Point4 source{1.0f / 3.0f, 2.0f, -7.0f, 1.0f};
  Point4 destination{0, 0, 0, 9.0f};
  wre_PointsRotate(4096, -4096, 0, 1, &source, &destination);
  EXPECT_EQ(destination.x, source.x);
  EXPECT_EQ(destination.y, source.y);
  EXPECT_EQ(destination.z, source.z);
  EXPECT_EQ(destination.w, 9.0f);
}

TEST_F(MathsTest, TranslateNeedsAPositiveCount) {
  Point4 p{1, 2, 3, 4};
  EXPECT_EQ(wre_PointsTranslate(1, 1, 1, 0, &p, &p), -1);
  ExpectPoint(p, 1, 2, 3, 0);
  EXPECT_EQ(wre_PointsTranslate(1, -2, 3, 1, &p, &p), 0);
  ExpectPoint(p, 2, 0, 6, 0);
  EXPECT_EQ(p.w, 4.0f);
}

TEST_F(MathsTest, PointSegmentDistanceBeforeBeyondAndBetween) {
  const Point4 a{0, 0, 0, 0}, b{10, 0, 0, 0};
  float t = -5.0f;
  Point4 before{-3, 4, 0, 0};
  EXPECT_FLOAT_EQ(wre_MathPointSegmentDistance(&before, &a, &b, &t), 5.0f);
  EXPECT_EQ(t, 0.0f);
  Point4 beyond{13, 0, 4, 0};
  EXPECT_FLOAT_EQ(wre_MathPointSegmentDistance(&beyond, &a, &b, &t), 5.0f);
  EXPECT_EQ(t, 1.0f);
  Point4 middle{2.5f, 0, -2, 0};
  EXPECT_FLOAT_EQ(wre_MathPointSegmentDistance(&middle, &a, &b, &t), 2.0f);
  EXPECT_FLOAT_EQ(t, 0.25f);
  EXPECT_FLOAT_EQ(wre_MathPointSegmentDistance(&middle, &a, &b, nullptr), 2.0f);
  // A segment of no length measures from its start.
  EXPECT_FLOAT_EQ(wre_MathPointSegmentDistance(&before, &a, &a, &t), 5.0f);
}

TEST_F(MathsTest, DegenerateInputsGiveZeroNotNaN) {
  Point4 plane{9, 9, 9, 9};
  const Point4 p1{0, 0, 0, 0}, p2{1, 1, 1, 0}, p3{2, 2, 2, 0};
  wre_PlaneFromPoints(&p1, &p2, &p3, &plane);
  ExpectPoint(plane, 0, 0, 0, 0);
  EXPECT_EQ(plane.w, 0.0f);

  Point4 direction{9, 9, 9, 9};
  const Point4 a{1, 2, 3, 1}, b{1, 2, 3, 4};
  wre_MathDirection(&a, &b, &direction);
  ExpectPoint(direction, 0, 0, 0, 0);
  EXPECT_EQ(direction.w, 3.0f);
  const Point4 c{4, 6, 3, 0};
  wre_MathDirection(&a, &c, &direction);
  ExpectPoint(direction, 0.6f, 0.8f, 0.0f);
  EXPECT_EQ(direction.w, -1.0f);

  EXPECT_EQ(wre_MathSqrtDiffSquares(3, 5), 0.0f);
  EXPECT_FLOAT_EQ(wre_MathSqrtDiffSquares(5, 3), 4.0f);
}

TEST_F(MathsTest, PlaneThroughThreePoints) {
  const Point4 p1{0, 2, 0, 0}, p2{1, 2, 0, 0}, p3{0, 2, 1, 0};
  Point4 plane;
  wre_PlaneFromPoints(&p1, &p2, &p3, &plane);
  // n = (p1 - p2) x (p1 - p3) = (-1, 0, 0) x (0, 0, -1) = (0, -1, 0).
  ExpectPoint(plane, 0, -1, 0, 0);
  EXPECT_EQ(plane.w, 2.0f);
  float value = 5.0f;
  wre_MathClamp(&value, -1.0f, 1.0f);
  EXPECT_EQ(value, 1.0f);
  value = -5.0f;
  wre_MathClamp(&value, -1.0f, 1.0f);
  EXPECT_EQ(value, -1.0f);
}

TEST_F(MathsTest, BoxFacesAndContainmentIncludeTheEdges) {
  const float bounds[6] = {-1, 2, -3, 4, -5, 6};
  Point4 box[8];
  std::memset(box, 0, sizeof(box));
  wre_BoxSetMinX(box, -1);
  wre_BoxSetMaxX(box, 2);
  wre_BoxSetMinY(box, -3);
  wre_BoxSetMaxY(box, 4);
  wre_BoxSetMinZ(box, -5);
  wre_BoxSetMaxZ(box, 6);
  ExpectPoint(box[0], -1, 4, 6, 0);
  ExpectPoint(box[1], 2, 4, 6, 0);
  ExpectPoint(box[2], 2, 4, -5, 0);
  ExpectPoint(box[3], -1, 4, -5, 0);
  ExpectPoint(box[4], -1, -3, 6, 0);
  ExpectPoint(box[5], 2, -3, 6, 0);
  ExpectPoint(box[6], 2, -3, -5, 0);
  ExpectPoint(box[7], -1, -3, -5, 0);
  float out[6];
  wre_BoxBoundsOf8(box, out);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], bounds[i]);

  for (const Point4& corner : box) EXPECT_EQ(wre_BoxContainsPoint(&corner, bounds), 1);
  const Point4 outside{2.0001f, 0, 0, 0};
  EXPECT_EQ(wre_BoxContainsPoint(&outside, bounds), 0);
  EXPECT_EQ(wre_BoxContainsPoint(nullptr, bounds), 24);
  EXPECT_EQ(wre_BoxContainsPoint(&outside, nullptr), 24);

  Point4 centreHalf[2];
  EXPECT_EQ(wre_BoxCentreExtent(box, centreHalf), 0);
  ExpectPoint(centreHalf[0], 0.5f, 0.5f, 0.5f, 0);
  ExpectPoint(centreHalf[1], 1.5f, 3.5f, 5.5f, 0);
  EXPECT_EQ(wre_BoxCentreExtent(nullptr, centreHalf), kWreErrNull);

  // Normalising puts scattered corners back into the corner order.
  Point4 scattered[8];
  for (int i = 0; i < 8; ++i) scattered[i] = box[7 - i];
  EXPECT_EQ(wre_BoxNormalise(scattered), 0);
  for (int i = 0; i < 8; ++i) ExpectPoint(scattered[i], box[i].x, box[i].y, box[i].z, 0);
}

TEST_F(MathsTest, MatrixMultiplyMayWriteOverItsOperands) {
  float a[16], b[16], expected[16];
  for (int i = 0; i < 16; ++i) {
    a[i] = static_cast<float>(i % 5) - 1.5f;
    b[i] = static_cast<float>((i * 7) % 11) * 0.5f;
  }
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a[4 * r + k] * b[4 * k + c];
      expected[4 * r + c] = sum;
    }
  }
  float left[16], right[16];
  std::memcpy(left, a, sizeof(a));
  wre_MatrixMultiply(left, b, left);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(left[i], expected[i]) << i;
  std::memcpy(right, b, sizeof(b));
  wre_MatrixMultiply(a, right, right);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(right[i], expected[i]) << i;
  float square[16];
  std::memcpy(square, a, sizeof(a));
  wre_MatrixMultiply(square, square, square);
  float squared[16];
  wre_MatrixMultiply(a, a, squared);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(square[i], squared[i]) << i;

  float t[16];
  std::memcpy(t, a, sizeof(a));
  wre_MatrixTranspose(t, t);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(t[4 * r + c], a[4 * c + r]);
  }
}

TEST_F(MathsTest, InvertingTheUpperThreeByThree) {
  const float m[16] = {2, 1, 0, 9, -1, 3, 2, 9, 0.5f, 0, 4, 9, 9, 9, 9, 9};
  float inverse[16];
  for (float& v : inverse) v = 42.0f;
  wre_MatrixInvert3x3(m, inverse);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      float sum = 0.0f;
      for (int k = 0; k < 3; ++k) sum += inverse[4 * r + k] * m[4 * k + c];
      EXPECT_NEAR(sum, r == c ? 1.0f : 0.0f, 1e-6f) << r << "," << c;
    }
  }
  for (int i : {3, 7, 11, 12, 13, 14, 15}) EXPECT_EQ(inverse[i], 42.0f) << i;

  // A singular matrix divides by 0.0001 instead of 0.
  const float singular[16] = {1, 2, 3, 0, 2, 4, 6, 0, 1, 1, 1, 0, 0, 0, 0, 1};
  float out[16] = {};
  wre_MatrixInvert3x3(singular, out);
  // Cofactor (0,0) of the input = 4*1 - 6*1 = -2.
  EXPECT_NEAR(out[0], -2.0f / 0.0001f, 0.1f);
  for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(out[i])) << i;

  float same[16];
  std::memcpy(same, m, sizeof(m));
  wre_MatrixInvert3x3(same, same);
  for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10}) EXPECT_EQ(same[i], inverse[i]);
}

TEST_F(MathsTest, AxisRotationTurnsTheOtherWay) {
  float m[16];
  for (float& v : m) v = 7.0f;
  wre_MatrixRotationAxis(0, 0, 1, static_cast<float>(M_PI / 2), m);
  const Point4 x{1, 0, 0, 0};
  Point4 out;
  wre_MatrixTransformPoint(m, &x, &out);
  // A right-handed quarter turn about z takes x to +y; this one takes it to -y.
  ExpectPoint(out, 0, -1, 0, 1e-6f);
  EXPECT_EQ(out.w, 0.0f);
  for (int i : {3, 7, 11, 12, 13, 14}) EXPECT_EQ(m[i], 0.0f);
  EXPECT_EQ(m[15], 1.0f);

  Point4 q;
  wre_QuaternionFromAxisAngle(0, 2, 0, static_cast<float>(M_PI), &q);
  ExpectPoint(q, 0, 2, 0, 1e-6f);
  EXPECT_NEAR(q.w, 0.0f, 1e-6f);

  // A zero quaternion gives the identity.
  const Point4 zero{0, 0, 0, 0};
  float fromZero[16] = {};
  wre_MatrixFromQuaternion(&zero, fromZero);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(fromZero[4 * r + c], r == c ? 1.0f : 0.0f);
  }
}

TEST_F(MathsTest, BuildersAndPointTransform) {
  float m[16];
  wre_MatrixTranslation(1, 2, 3, m);
  EXPECT_EQ(m[3], 1.0f);
  EXPECT_EQ(m[7], 2.0f);
  EXPECT_EQ(m[11], 3.0f);
  float s[16];
  wre_MatrixScaling(2, 3, 4, s);
  float both[16];
  wre_MatrixMultiply(m, s, both);
  const Point4 p{1, 1, 1, 5};
  Point4 out;
  wre_MatrixTransformPoint(both, &p, &out);
  ExpectPoint(out, 3, 5, 7, 0);
  EXPECT_EQ(out.w, 0.0f);

  const Point4 frame[4] = {{10, 20, 30, 1}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}};
  float f[16];
  wre_MatrixFromFrame(frame, f);
  const Point4 x{1, 0, 0, 0};
  wre_MatrixTransformPoint(f, &x, &out);
  ExpectPoint(out, 10, 21, 30, 0);
  EXPECT_EQ(f[15], 1.0f);
  float rotation[16];
  wre_MatrixRotationPart(f, rotation);
  wre_MatrixTransformPoint(rotation, &x, &out);
  ExpectPoint(out, 0, 1, 0, 0);
}

}  // namespace
