#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/core/detail.h"
#include "engine/core/transform.h"
#include "object_test_support.h"

namespace {

using object_test::EngineTest;
using object_test::ExpectPoint;

class TransformTest : public EngineTest {};

// The columns of Ry(b) . Rx(a) . Rz(c), multiplied out in double from the table entries.
void ExpectedAxes(int a, int b, int c, double axes[3][3]) {
  const double ca = gCosTable[a & 0xfff], sa = gSinTable[a & 0xfff];
  const double cb = gCosTable[b & 0xfff], sb = gSinTable[b & 0xfff];
  const double cc = gCosTable[c & 0xfff], sc = gSinTable[c & 0xfff];
  const double rx[3][3] = {{1, 0, 0}, {0, ca, -sa}, {0, sa, ca}};
  const double ry[3][3] = {{cb, 0, sb}, {0, 1, 0}, {-sb, 0, cb}};
  const double rz[3][3] = {{cc, -sc, 0}, {sc, cc, 0}, {0, 0, 1}};
  double yx[3][3] = {}, r[3][3] = {};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) yx[i][j] += ry[i][k] * rx[k][j];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) r[i][j] += yx[i][k] * rz[k][j];
  for (int axis = 0; axis < 3; ++axis)
    for (int row = 0; row < 3; ++row) axes[axis][row] = r[row][axis];
}

void ExpectAxes(const Transform& t, int a, int b, int c) {
  double axes[3][3];
  ExpectedAxes(a, b, c, axes);
  const Point4* got[3] = {&t.axisX, &t.axisY, &t.axisZ};
  for (int i = 0; i < 3; ++i) {
    ExpectPoint(*got[i], static_cast<float>(axes[i][0]), static_cast<float>(axes[i][1]),
                static_cast<float>(axes[i][2]), 2e-6f);
  }
}

TEST_F(TransformTest, SetGivesTheColumnsOfTheRotation) {
  Transform t;
  wre_TransformReset(&t);
  EXPECT_EQ(t.changed, 1);
  const int triples[][3] = {{0, 0, 0}, {1024, 0, 0}, {0, 1024, 0}, {0, 0, 1024}, {300, -800, 2100}, {4000, 17, -3}};
  for (const auto& a : triples) {
    t.changed = 0;
    ASSERT_EQ(wre_TransformSet(&t, a[0], a[1], a[2], 1, 2, 3), 0);
    ExpectAxes(t, a[0], a[1], a[2]);
    EXPECT_EQ(t.changed, 1);
    EXPECT_EQ(t.angleX, a[0]);
    EXPECT_EQ(t.position[2], 3.0f);
  }
  wre_TransformSet(&t, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(std::memcmp(&t.axisX, &(const Point4&)Point4{1, 0, 0, 0}, sizeof(Point4)), 0);
  EXPECT_EQ(std::memcmp(&t.axisY, &(const Point4&)Point4{0, 1, 0, 0}, sizeof(Point4)), 0);
  EXPECT_EQ(std::memcmp(&t.axisZ, &(const Point4&)Point4{0, 0, 1, 0}, sizeof(Point4)), 0);
  EXPECT_EQ(wre_TransformSet(nullptr, 1, 2, 3, 4, 5, 6), 0);
}

TEST_F(TransformTest, MovesKeepUnmaskedAnglesAndAddPositions) {
  Transform t;
  wre_TransformReset(&t);
  ASSERT_EQ(wre_TransformMove(&t, 4096, -4096, 0, 1, 2, 3), 0);
  EXPECT_EQ(t.angleX, 4096);
  EXPECT_EQ(t.angleY, -4096);
  ExpectPoint(t.axisX, 1, 0, 0, 0);
  ExpectPoint(t.axisZ, 0, 0, 1, 0);
  ASSERT_EQ(wre_TransformMove(&t, 0, 0, 0, 1, 1, 1), 0);
  EXPECT_EQ(t.position[0], 2.0f);
  EXPECT_EQ(t.position[2], 4.0f);
  EXPECT_EQ(wre_TransformMove(nullptr, 0, 0, 0, 0, 0, 0), kWreErrNull);
}

TEST_F(TransformTest, MoveLocalFollowsTheOwnAxes) {
  Transform t;
  wre_TransformSet(&t, 0, 1024, 0, 0, 0, 0);
  wre_TransformMoveLocal(&t, 0, 0, 10);
  // A quarter turn of yaw faces world x.
  EXPECT_FLOAT_EQ(t.position[0], 10.0f);
  EXPECT_NEAR(t.position[2], 0.0f, 1e-6f);
  EXPECT_EQ(t.position[1], 0.0f);

  // An axis with a distance of exactly 0 is left out, whatever it holds.
  wre_TransformReset(&t);
  t.axisX = Point4{NAN, NAN, NAN, 0};
  wre_TransformMoveLocal(&t, 0.0f, 2.0f, 0.0f);
  EXPECT_EQ(t.position[0], 0.0f);
  EXPECT_EQ(t.position[1], 2.0f);
  EXPECT_EQ(wre_TransformMoveLocal(nullptr, 1, 1, 1), 0);

  Transform source;
  wre_TransformSet(&source, 0, 2048, 0, 5, 6, 7);
  ASSERT_EQ(wre_TransformPlaceRelative(&t, &source, 0, 1, 3), 0);
  EXPECT_EQ(t.angleY, 2048);
  EXPECT_NEAR(t.position[0], 5.0f, 1e-5f);
  EXPECT_FLOAT_EQ(t.position[1], 7.0f);
  EXPECT_FLOAT_EQ(t.position[2], 4.0f);
}

TEST_F(TransformTest, PointAtWritesAnglesOnly) {
  Transform t;
  wre_TransformSet(&t, 100, 200, 300, 1, 1, 1);
  t.changed = 0;
  const Transform before = t;
  wre_TransformPointAt(&t, 2, 1, 1);
  EXPECT_EQ(t.angleX, 0);
  EXPECT_EQ(t.angleY, 1024);
  EXPECT_EQ(t.angleZ, 0);
  EXPECT_EQ(t.changed, 0);
  EXPECT_EQ(std::memcmp(&t.axisX, &before.axisX, 3 * sizeof(Point4)), 0);

  wre_TransformPointAt(&t, 1, 1, -4);
  EXPECT_EQ(t.angleY, 2048);
  // Looking up: the elevation is negated (pitch up is negative).
  wre_TransformPointAt(&t, 2, 2, 1);
  EXPECT_EQ(t.angleX, -682);
  // A target on the position itself gives angle 0, not an undefined conversion.
  wre_TransformPointAt(&t, 1, 1, 1);
  EXPECT_EQ(t.angleX, 0);
  EXPECT_EQ(t.angleY, 0);
}

TEST_F(TransformTest, RotateTurnsAxisPairsAndRederivesTheAngles) {
  Transform t;
  const float c = gCosTable[1024];

  // Y step: X' = C.X - S.Z, Z' = C.Z + S.X.
  wre_TransformReset(&t);
  t.changed = 0;
  ASSERT_EQ(wre_TransformRotate(&t, 0, 1024, 0), 0);
  EXPECT_EQ(t.changed, 1);
  EXPECT_EQ(t.angleX, 0);
  EXPECT_EQ(t.angleY, 1024);
  EXPECT_EQ(t.angleZ, 0);
  ExpectPoint(t.axisX, c, 0, -1, 1e-7f);
  ExpectPoint(t.axisZ, 1, 0, c, 1e-7f);

  // X step: Y' = C.Y + S.Z, Z' = C.Z - S.Y.
  wre_TransformReset(&t);
  wre_TransformRotate(&t, 1024, 0, 0);
  EXPECT_EQ(t.angleX, 1024);
  EXPECT_EQ(t.angleY, 0);
  EXPECT_EQ(t.angleZ, 0);
  ExpectPoint(t.axisY, 0, c, 1, 1e-7f);
  ExpectPoint(t.axisZ, 0, -1, c, 1e-7f);

  // Z step turns the X/Z pair the other way, so a "roll" comes out as a yaw.
  wre_TransformReset(&t);
  wre_TransformRotate(&t, 0, 0, 1024);
  EXPECT_EQ(t.angleX, 0);
  EXPECT_EQ(t.angleY, -1024);
  EXPECT_EQ(t.angleZ, 0);
  ExpectPoint(t.axisX, c, 0, 1, 1e-7f);
  ExpectPoint(t.axisY, 0, 1, 0, 0);

  // Small turns: yaw 256 is an eighth... of a quarter: the truncation may lose one step.
  wre_TransformReset(&t);
  wre_TransformRotate(&t, 0, 100, 0);
  EXPECT_GE(t.angleY, 99);
  EXPECT_LE(t.angleY, 100);

  EXPECT_EQ(wre_TransformRotate(nullptr, 1, 1, 1), kWreErrNull);
}

TEST_F(TransformTest, RotateClampsAVerticalFacing) {
  Transform t;
  wre_TransformReset(&t);
  t.axisZ = Point4{0, 1.0000001f, 0, 0};
  t.axisX = Point4{1, 0, 0, 0};
  t.axisY = Point4{0, 0, -1, 0};
  wre_TransformRotate(&t, 0, 0, 0);
  EXPECT_EQ(t.angleX, -1024);
  for (const Point4* axis : {&t.axisX, &t.axisY, &t.axisZ}) {
    EXPECT_TRUE(std::isfinite(axis->x) && std::isfinite(axis->y) && std::isfinite(axis->z));
  }

  wre_TransformReset(&t);
  t.axisZ = Point4{0, -3.0f, 0, 0};
  t.axisY = Point4{0, 0, 1, 0};
  wre_TransformRotate(&t, 0, 0, 0);
  EXPECT_EQ(t.angleX, 1024);

  // All deltas 0 still rebuilds the axes from the angles.
  wre_TransformSet(&t, 0, 300, 0, 0, 0, 0);
  t.axisX.x *= 1.01f;
  wre_TransformRotate(&t, 0, 0, 0);
  EXPECT_NEAR(std::sqrt(t.axisX.x * t.axisX.x + t.axisX.z * t.axisX.z), 1.0f, 1e-6f);

  // Garbage axes never give an undefined angle.
  t.axisX = t.axisY = t.axisZ = Point4{NAN, NAN, NAN, 0};
  wre_TransformRotate(&t, 0, 0, 0);
  EXPECT_EQ(t.angleY, 0);
}

TEST_F(TransformTest, LevelPitchLeavesTheTransformAlone) {
  Transform t;
  wre_TransformSet(&t, 200, 700, 0, 4, 5, 6);
  t.changed = 0;
  const Transform before = t;
  const int pitch = wre_TransformGetLevelPitch(&t);
  EXPECT_EQ(std::memcmp(&t, &before, sizeof(t)), 0);
  EXPECT_NEAR(pitch, 200, 1);
  EXPECT_EQ(wre_TransformGetLevelPitch(nullptr), 0);

  EngineObject* object = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  ASSERT_NE(object, nullptr);
  wre_ObjectSetTransform(object, 200, 700, 0, 0, 0, 0);
  EXPECT_EQ(wre_ObjectGetLevelPitch(object), pitch);
  wre_ObjectDispose(object);
}

int gRefiled = 0;
void CountRefile(EngineObject*) { ++gRefiled; }

TEST_F(TransformTest, ObjectTransformReachesMembersAndTheCell) {
  gObjectServices.worldRefile = &CountRefile;
  gRefiled = 0;
  EngineObject* parent = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  EngineObject* member = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  ASSERT_TRUE(parent && member);
  ASSERT_EQ(wre_ObjectDetailSetAdd(parent, member), 0);
  member->transform.changed = 0;

  wre_ObjectSetTransform(parent, 10, 20, 30, 1, 2, 3);
  EXPECT_EQ(member->transform.changed, 1);
  EXPECT_EQ(member->transform.angleY, 20);
  EXPECT_EQ(member->transform.position[2], 3.0f);
  EXPECT_EQ(std::memcmp(&member->transform.axisX, &parent->transform.axisX, 3 * sizeof(Point4)), 0);
  EXPECT_EQ(gRefiled, 0);  // not in a world

  parent->status |= kStatusInWorld;
  wre_ObjectMove(parent, 0, 0, 0, 1, 0, 0);
  EXPECT_EQ(gRefiled, 1);
  EXPECT_EQ(member->transform.position[0], 2.0f);
  wre_ObjectMoveLocal(parent, 0, 0, 1);
  EXPECT_EQ(gRefiled, 2);
  Transform place;
  wre_TransformSet(&place, 0, 0, 0, 9, 9, 9);
  wre_ObjectPlaceRelative(parent, &place, 0, 0, 0);
  EXPECT_EQ(gRefiled, 3);
  EXPECT_EQ(member->transform.position[0], 9.0f);

  // Rotation flags the members but turns only the object.
  member->transform.changed = 0;
  const int memberYaw = member->transform.angleY;
  wre_ObjectRotate(parent, 0, 512, 0);
  EXPECT_EQ(member->transform.changed, 1);
  EXPECT_EQ(member->transform.angleY, memberYaw);
  EXPECT_EQ(parent->transform.angleY, 512);

  member->transform.changed = 0;
  wre_ObjectResetTransform(parent);
  EXPECT_EQ(member->transform.changed, 1);
  parent->status &= static_cast<uint8_t>(~kStatusInWorld);
  wre_ObjectDispose(parent);

  // A grid mesh in a cell-grid world stays in its cell.
  EngineObject* grid = wre_ObjectNew(kObjectStatic, 1, 3, 0, 0, 0);
  ASSERT_NE(grid, nullptr);
  grid->status |= kStatusInWorld;
  gRefiled = 0;
  wre_ObjectSetTransform(grid, 0, 0, 0, 100, 0, 100);
  EXPECT_EQ(gRefiled, 0);
  grid->status = 0;
  wre_ObjectDispose(grid);
  EXPECT_EQ(wre_ObjectMove(nullptr, 0, 0, 0, 0, 0, 0), kWreErrNull);
  EXPECT_EQ(wre_ObjectRotate(nullptr, 0, 0, 0), kWreErrNull);
}

}  // namespace
