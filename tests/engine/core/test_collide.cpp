#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "engine/core/collide.h"
#include "engine/core/grid_mesh.h"
#include "engine/core/maths.h"
#include "engine/core/polytree.h"
#include "world_test_support.h"

namespace {

using object_test::BlockWatch;
using object_test::NewBoxMesh;
using world_test::PlacedBox;
using world_test::WorldTest;

const Point4 kOrigin{0.0f, 0.0f, 0.0f, 0.0f};

class CollideTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    ASSERT_EQ(wre_CollideInit(1024, 10240), 0);
  }
  void TearDown() override {
    wre_CollideExit();
    WorldTest::TearDown();
  }
};

Transform At(float x, float y, float z) {
  Transform t;
  wre_TransformSet(&t, 0, 0, 0, x, y, z);
  return t;
}

World* NewList() { return wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, nullptr, nullptr, 0.0f, 0); }
World* NewGrid(int32_t cells, float size) {
  return wre_WorldCreate(kWorldCellGrid, size, cells, 0, cells, 0, &kOrigin, nullptr, 0.0f, 0);
}

// A box mesh placed with angles, static or not, with or without a polygon tree, brought up to date.
EngineObject* PlaceMesh(EngineObject* object, bool isStatic, int32_t ax, int32_t ay, int32_t az, float x, float y,
                        float z) {
  if (isStatic) object->renderFlags |= kRenderStatic;
  wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  wre_ObjectSetTransform(object, ax, ay, az, x, y, z);
  wre_ObjectUpdate(object, 1, 1);
  wre_ObjectSetCollidable(object, 1);
  return object;
}

float Sqrt3() { return std::sqrt(3.0f); }

TEST(CollideBuffers, SizesAreCheckedAndQueriesWaitForThem) {
  BlockWatch watch;
  wre_MemoryInit();
  EXPECT_EQ(wre_CollideExit(), -1);
  CollisionResult result{};
  result.polygon = 7;
  result.hit[3] = 9.0f;
  Transform a = At(0, 0, 0), b = At(10, 0, 0);
  // Before the buffers exist a query finds nothing (and reads nothing).
  EXPECT_EQ(wre_CollideSphereMove(&a, &b, 1.0f, nullptr, ~0u, kCollideSpheres, &result, 1), 0);
  EXPECT_EQ(result.polygon, -1);
  EXPECT_EQ(result.hit[3], 9.0f);  // the fourth word stays the caller's
  EXPECT_EQ(wre_CollideObjectMove(nullptr, nullptr, &a, &b, ~0u, 0, &result, 1), 0);
  EXPECT_EQ(wre_GridQueryBox(nullptr, nullptr, ~0u, 0, nullptr), 0);
  EXPECT_EQ(wre_CollideCandidateCount(), 0);

  EXPECT_EQ(wre_CollideInit(0, 100), -1);
  EXPECT_EQ(wre_CollideInit(10, 0), -1);
  EXPECT_EQ(wre_CollideInit(10, 7), kCollideErrPoints);
  EXPECT_EQ(wre_CollideInit(10, 8), 0);
  EXPECT_EQ(wre_CollideInit(10, 8), -1);
  EXPECT_EQ(wre_CollideExit(), 0);
  EXPECT_EQ(wre_CollideExit(), -1);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(CollideTest, SphereAgainstSphereGivesTheDistanceAlongTheMove) {
  World* world = NewList();
  EngineObject* ball = PlacedBox(1.0f, 10.0f, 0.0f, 0.0f);  // radius sqrt 3
  ASSERT_EQ(wre_WorldAddObject(ball, world), 0);
  const float reach = 1.0f + Sqrt3();
  CollisionResult result{};

  // A move of length zero never hits.
  Transform from = At(0, 0, 0), to = At(0, 0, 0);
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollideSpheres, &result, 0), 0);

  to = At(20, 0, 0);
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollideSpheres, &result, 0), 1);
  EXPECT_EQ(result.object, ball);
  EXPECT_NEAR(result.distance, 10.0f - reach, 1e-4f);
  EXPECT_EQ(result.polygon, -1);
  EXPECT_NEAR(result.hit[0], 10.0f - reach, 1e-4f);
  EXPECT_NEAR(result.moveFraction, (10.0f - reach - 0.5f) / 20.0f, 1e-5f);
  EXPECT_EQ(wre_CollideCandidateCount(), 1);

  // Touching only at the end of the move: the same entry distance, not a negative one.
  to = At(9, 0, 0);
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollideSpheres, &result, 0), 1);
  EXPECT_NEAR(result.distance, 10.0f - reach, 1e-4f);
  EXPECT_GT(result.moveFraction, 0.0f);
  // Off the line of the move as well.
  from = At(0, 0, 1), to = At(9.5f, 0, 1);
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollideSpheres, &result, 0), 1);
  EXPECT_NEAR(result.distance, 10.0f - std::sqrt(reach * reach - 1.0f), 1e-4f);

  // Starting inside: minus the depth.
  from = At(9, 0, 0), to = At(-5, 0, 0);
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollideSpheres, &result, 0), 1);
  EXPECT_NEAR(result.distance, -(reach - 1.0f), 1e-4f);
  // No narrow test to run: the candidate is kept untested, and its hit point is the sweep's end,
  // not the one the query before left behind.
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, 0, &result, 0), 1);
  EXPECT_EQ(result.distance, 0.0f);
  EXPECT_EQ(result.hit[0], -5.0f);
  EXPECT_EQ(result.hit[1], 0.0f);

  // Passing by, moving away, another group, not collidable: no hit.
  from = At(0, 0, 0);
  to = At(20, 0, 8);
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollideSpheres, &result, 0), 0);
  EXPECT_EQ(result.object, nullptr);
  to = At(-20, 0, 0);
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollideSpheres, &result, 0), 0);
  to = At(20, 0, 0);
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, 2u, kCollideSpheres, &result, 0), 0);
  wre_ObjectSetCollidable(ball, 0);
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollideSpheres, &result, 0), 0);
  wre_WorldDisposeObjects(world);
  wre_WorldDispose(world);
}

TEST_F(CollideTest, OfEqualDistancesTheFirstCollectedWins) {
  World* world = NewList();
  EngineObject* first = PlacedBox(1.0f, 10, 0, 0);
  EngineObject* second = PlacedBox(1.0f, 10, 0, 0);
  wre_WorldAddObject(first, world);
  wre_WorldAddObject(second, world);
  Transform from = At(0, 0, 0), to = At(20, 0, 0);
  CollisionResult result{};
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollideSpheres | kCollidePolygons, &result, 0), 1);
  EXPECT_EQ(result.object, first);
  EXPECT_EQ(wre_CollideCandidateCount(), 2);
  wre_CollideSetCandidateCount(1);
  EXPECT_EQ(wre_CollideCandidateCount(), 1);
  wre_CollideSetCandidateCount(5);  // never more than were found
  EXPECT_EQ(wre_CollideCandidateCount(), 1);
  wre_WorldDisposeObjects(world);
  wre_WorldDispose(world);
}

TEST_F(CollideTest, PolygonsAreHitWhereTheyStandStaticOrNot) {
  World* world = NewList();
  EngineObject* wall = PlacedBox(1.0f, 10, 0, 0);
  wre_WorldAddObject(wall, world);
  Transform from = At(0, 0.25f, 0.5f), to = At(20, 0.25f, 0.5f);
  CollisionResult result{};
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollidePolygons, &result, 0), 1);
  EXPECT_NEAR(result.distance, 9.0f - 1.0f - 0.5f, 1e-4f);
  ASSERT_GE(result.polygon, 0);
  EXPECT_NEAR(wall->planes[result.polygon].x, -1.0f, 1e-5f);
  EXPECT_NEAR(result.contact[0], 9.0f, 1e-4f);
  EXPECT_NEAR(result.contact[1], 0.25f, 1e-4f);
  EXPECT_NEAR(result.contact[2], 0.5f, 1e-4f);
  EXPECT_NEAR(result.moveFraction, (7.5f - 0.5f) / 20.0f, 1e-5f);
  // Leaving through the far face is no hit: the start must lie in front of a polygon.
  from = At(10, 0.25f, 0.5f);
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollidePolygons, &result, 0), 0);

  // A static wall placed away from the origin and turned a quarter: its local points are tested
  // in its own frame and the contact comes back in world space.
  EngineObject* post = PlaceMesh(NewBoxMesh(kObjectMesh, -1, 1, -2, 2, -3, 3), true, 0, 1024, 0, 50, 0, 0);
  wre_WorldAddObject(post, world);
  from = At(50, 0.5f, -10);
  to = At(50, 0.5f, 10);
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 0.5f, world, ~0u, kCollidePolygons, &result, 0), 1);
  EXPECT_EQ(result.object, post);
  // Turned a quarter about y, the 1-deep x extent faces the move along z.
  EXPECT_NEAR(result.contact[2], -1.0f, 1e-3f);
  EXPECT_NEAR(result.contact[0], 50.0f, 1e-3f);
  EXPECT_NEAR(result.contact[1], 0.5f, 1e-3f);
  EXPECT_NEAR(result.distance, 9.0f - 0.5f - 0.5f, 1e-3f);
  EXPECT_NEAR(result.hit[2], -10.0f + result.distance, 1e-3f);
  wre_WorldDisposeObjects(world);
  wre_WorldDispose(world);
}

TEST_F(CollideTest, ObjectListsNeedYOverlapAndCellGridsDoNot) {
  World* list = NewList();
  World* grid = NewGrid(8, 10.0f);
  EngineObject* high = PlacedBox(1.0f, 5, 100, 5);
  EngineObject* twin = PlacedBox(1.0f, 5, 100, 5);
  wre_WorldAddObject(high, list);
  wre_WorldAddObject(twin, grid);
  Transform from = At(0, 0, 5), to = At(10, 0, 5);
  CollisionResult result{};
  // Without a narrow test every candidate counts as met.
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, list, ~0u, 0, &result, 1), 0);
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, grid, ~0u, 0, &result, 1), 1);
  EXPECT_EQ(result.object, twin);
  // Without the grid walk a grid world is searched through its object list.
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, grid, ~0u, 0, &result, 0), 0);
  // No objects and no tiles: nothing is ever hit.
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, grid, ~0u, kCollideNoObjects, &result, 1), 0);
  for (World* w : {list, grid}) {
    wre_WorldDisposeObjects(w);
    wre_WorldDispose(w);
  }
}

TEST_F(CollideTest, TheGridWalkReachesLargeObjectsFiledInOtherCells) {
  World* grid = NewGrid(16, 10.0f);
  // A long wall centred in cell (1, 1) whose far end lies four cells away.
  EngineObject* wall = PlaceMesh(NewBoxMesh(kObjectMesh, -40, 40, -2, 2, -0.5f, 0.5f), false, 0, 0, 0, 15, 0, 15);
  wre_WorldAddObject(wall, grid);
  EXPECT_EQ(wall->cellColumn, 1);
  Transform from = At(50, 0, 10), to = At(50, 0, 20);
  CollisionResult result{};
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 0.5f, grid, ~0u, kCollidePolygons, &result, 1), 1);
  EXPECT_EQ(result.object, wall);
  EXPECT_NEAR(result.contact[2], 14.5f, 1e-4f);
  wre_WorldDisposeObjects(grid);
  wre_WorldDispose(grid);
}

TEST_F(CollideTest, PreCollectedCandidatesAreTheOnlyOnesTested) {
  World* grid = NewGrid(16, 10.0f);
  EngineObject* near = PlacedBox(1.0f, 10, 0, 5);
  EngineObject* far = PlacedBox(1.0f, 100, 0, 5);
  wre_WorldAddObject(near, grid);
  wre_WorldAddObject(far, grid);
  const float box[6] = {90, 110, -5, 5, 0, 10};
  EXPECT_EQ(wre_GridQueryBox(grid, box, ~0u, 0, nullptr), 1);
  EXPECT_EQ(wre_GridQueryBox(grid, box, ~0u, 0, far), 0);  // the mover is left out
  EXPECT_EQ(wre_GridQueryBox(grid, box, ~0u, kCollideNoObjects, nullptr), 0);
  ASSERT_EQ(wre_GridQueryBox(grid, box, ~0u, 0, nullptr), 1);
  Transform from = At(0, 0, 5), to = At(120, 0, 5);
  CollisionResult result{};
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, grid, ~0u, kCollidePreCollected | kCollideSpheres, &result, 1),
            1);
  EXPECT_EQ(result.object, far);
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, grid, ~0u, kCollideSpheres, &result, 1), 1);
  EXPECT_EQ(result.object, near);
  wre_WorldDisposeObjects(grid);
  wre_WorldDispose(grid);
}

TEST_F(CollideTest, AFullCandidateListEndsTheCollection) {
  wre_CollideExit();
  ASSERT_EQ(wre_CollideInit(3, 8), 0);
  World* world = NewList();
  for (int i = 0; i < 5; ++i) wre_WorldAddObject(PlacedBox(1.0f, 10.0f + 5.0f * i, 0, 0), world);
  Transform from = At(0, 0, 0), to = At(50, 0, 0);
  CollisionResult result{};
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, 0, &result, 0), 1);
  EXPECT_EQ(wre_CollideCandidateCount(), 2);
  const float box[6] = {0, 50, -5, 5, -5, 5};
  EXPECT_EQ(wre_GridQueryBox(world, box, ~0u, 0, nullptr), 3);
  wre_WorldDisposeObjects(world);
  wre_WorldDispose(world);
}

TEST_F(CollideTest, TiledGridMeshesStandAtEveryTileTheBoxCovers) {
  World* world = NewGrid(4, 100.0f);
  EngineObject* sea = nullptr;
  ASSERT_EQ(wre_ObjectNewGrid(2, 2, 5.0f, 0, -1, kObjectStatic, &sea, 0, 255.0f), 0);
  wre_ObjectSetCollisionGroup(sea, 1);
  wre_ObjectSetTransform(sea, 0, 0, 0, 0, 0, 0);
  wre_ObjectUpdate(sea, 0, 0);
  wre_WorldAddObject(sea, world);
  // A mesh without extent on x has no tile step and is passed over, not walked for ever.
  EngineObject* flat = NewBoxMesh(kObjectStatic, 0, 0, -1, 1, -1, 1);
  wre_ObjectRecalc(flat, 0, 1, 1, 1, 1);
  wre_WorldAddObject(flat, world);

  Transform from = At(33, 5, -22), to = At(33, -5, -22);
  CollisionResult result{};
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollidePolygons, &result, 1), 0);
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollidePolygons | kCollideTiledMeshes, &result, 1),
            1);
  EXPECT_EQ(result.object, sea);
  EXPECT_NEAR(result.distance, 5.0f - 1.0f - 0.5f, 1e-4f);
  EXPECT_NEAR(result.contact[0], 33.0f, 1e-4f);
  EXPECT_NEAR(result.contact[1], 0.0f, 1e-4f);
  EXPECT_NEAR(result.contact[2], -22.0f, 1e-4f);
  // The box around the move covers one tile of the ten-unit mesh (x 25..35, z -25..-15).
  EXPECT_EQ(wre_CollideCandidateCount(), 1);
  // The pre-collected list holds the tiles too.
  const float box[6] = {21, 39, -1, 1, -24, -16};
  EXPECT_EQ(wre_GridQueryBox(world, box, ~0u, kCollideNoObjects | kCollideTiledMeshes, nullptr), 3);
  // Taken from the pre-collected list, a grid mesh must be collidable.
  EXPECT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollidePolygons | kCollidePreCollected, &result, 1),
            0);
  wre_ObjectSetCollidable(sea, 1);
  ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, world, ~0u, kCollidePolygons | kCollidePreCollected, &result, 1),
            1);
  EXPECT_NEAR(result.contact[2], -22.0f, 1e-4f);
  wre_WorldDisposeObjects(world);
  wre_WorldDispose(world);
}

TEST_F(CollideTest, BoxCornersAndPointsSweepTheMoversShape) {
  World* world = NewList();
  EngineObject* wall = PlaceMesh(NewBoxMesh(kObjectMesh, -1, 1, -5, 5, -5, 5, kObjectBuildTree), false, 0, 0, 0, 5, 0, 0);
  EngineObject* bare = PlaceMesh(NewBoxMesh(kObjectMesh, -1, 1, -5, 5, -5, 5), false, 0, 0, 0, 5, 0, 40);
  ASSERT_NE(wall->polyTree, nullptr);
  wre_WorldAddObject(wall, world);
  wre_WorldAddObject(bare, world);
  EngineObject* boat = PlaceMesh(NewBoxMesh(kObjectMesh, -1, 1, -1, 1, -1, 1), false, 0, 0, 0, 0, 0, 0);
  wre_WorldAddObject(boat, world);
  Transform target = At(10, 0, 0);
  CollisionResult result{};
  ASSERT_EQ(wre_CollideObjectMove(boat, world, &boat->transform, &target, ~0u, kCollideBoxCorners, &result, 0), 1);
  EXPECT_EQ(result.object, wall);
  EXPECT_NEAR(result.distance, 3.0f - 0.5f, 1e-4f);
  EXPECT_NEAR(result.contact[0], 4.0f, 1e-4f);
  EXPECT_NEAR(result.moveFraction, (3.0f - 0.5f) / 10.0f, 1e-5f);
  ASSERT_EQ(wre_CollideObjectMove(boat, world, &boat->transform, &target, ~0u, kCollidePoints, &result, 0), 1);
  EXPECT_NEAR(result.distance, 3.0f - 0.5f, 1e-4f);
  EXPECT_NEAR(result.moveFraction, 0.25f, 1e-5f);

  // Candidates without a tree are dropped by the corner test, not by the point test.
  wre_ObjectSetTransform(boat, 0, 0, 0, 0, 0, 40);
  wre_ObjectUpdate(boat, 1, 1);
  target = At(10, 0, 40);
  EXPECT_EQ(wre_CollideObjectMove(boat, world, &boat->transform, &target, ~0u, kCollideBoxCorners, &result, 0), 0);
  ASSERT_EQ(wre_CollideObjectMove(boat, world, &boat->transform, &target, ~0u, kCollidePoints, &result, 0), 1);
  EXPECT_EQ(result.object, bare);

  // A bare sphere runs only the sphere tests.
  Transform from = At(0, 0, 0);
  target = At(10, 0, 0);
  EXPECT_EQ(wre_CollideSphereMove(&from, &target, 0.1f, world, ~0u, kCollideBoxCorners | kCollidePoints, &result, 0),
            1);
  EXPECT_EQ(result.polygon, -1);

  // Several sweeps at once.
  Transform froms[2] = {At(0, 0, 0), At(0, 0, 100)};
  Transform tos[2] = {At(10, 0, 0), At(10, 0, 100)};
  CollisionResult results[2];
  uint8_t hits[2] = {7, 7};
  EXPECT_EQ(wre_CollideSpheresMove(froms, tos, 0.5f, world, ~0u, kCollidePolygons, results, 0, 2, hits), 1);
  EXPECT_EQ(hits[0], 1);
  EXPECT_EQ(hits[1], 0);
  EXPECT_EQ(results[0].object, wall);
  EXPECT_EQ(results[1].object, nullptr);
  wre_WorldDisposeObjects(world);
  wre_WorldDispose(world);
}

TEST(CollideTriangle, TheSegmentMustCrossFromFrontToBackInsideTheTriangle) {
  const Point4 a{0, 0, 0, 0}, b{0, 0, 4, 0}, c{4, 0, 0, 0};
  const Point4 up{0, 1, 0, 0};
  Point4 x{};
  const Point4 above{1, 1, 1, 0}, below{1, -1, 1, 0};
  EXPECT_EQ(wre_CollideTriangleSegment(&a, &b, &c, &up, &above, &below, &x), 1);
  EXPECT_NEAR(x.x, 1.0f, 1e-6f);
  EXPECT_NEAR(x.y, 0.0f, 1e-6f);
  EXPECT_EQ(wre_CollideTriangleSegment(&a, &b, &c, &up, &below, &above, &x), 0);  // from behind
  const Point4 onPlane{1, 0, 1, 0};
  EXPECT_EQ(wre_CollideTriangleSegment(&a, &b, &c, &up, &onPlane, &below, &x), 0);
  EXPECT_EQ(wre_CollideTriangleSegment(&a, &b, &c, &up, &above, &onPlane, &x), 0);
  const Point4 outsideAbove{3, 1, 3, 0}, outsideBelow{3, -1, 3, 0};
  EXPECT_EQ(wre_CollideTriangleSegment(&a, &b, &c, &up, &outsideAbove, &outsideBelow, &x), 0);
  // A degenerate triangle's zero plane is never crossed.
  const Point4 zero{0, 0, 0, 0};
  EXPECT_EQ(wre_CollideTriangleSegment(&a, &a, &c, &zero, &above, &below, &x), 0);
}

// ---- The queries against a brute-force search of every polygon of every object ----

struct Reference {
  bool hit = false;
  const EngineObject* object = nullptr;
  double distance = 0.0;
};

struct V3 {
  double x, y, z;
};
V3 Of(const Point4& p) { return {p.x, p.y, p.z}; }
V3 Minus(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double DotV(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Len(V3 a) { return std::sqrt(DotV(a, a)); }

// The segment against a triangle in world space, in doubles: start in front, end behind, the
// crossing inside (barycentric). The distance from the start to the crossing, or -1.
double CrossDistance(V3 p0, V3 p1, V3 p2, V3 from, V3 to) {
  V3 n = Cross(Minus(p0, p1), Minus(p0, p2));
  const double length = Len(n);
  if (length == 0.0) return -1.0;
  n = {n.x / length, n.y / length, n.z / length};
  const double s = DotV(n, Minus(from, p0)), e = DotV(n, Minus(to, p0));
  if (!(s > 0.0) || !(e < 0.0)) return -1.0;
  const double t = s / (s - e);
  const V3 x{from.x + t * (to.x - from.x), from.y + t * (to.y - from.y), from.z + t * (to.z - from.z)};
  const V3 v0 = Minus(p1, p0), v1 = Minus(p2, p0), v2 = Minus(x, p0);
  const double d00 = DotV(v0, v0), d01 = DotV(v0, v1), d11 = DotV(v1, v1), d20 = DotV(v2, v0), d21 = DotV(v2, v1);
  const double denominator = d00 * d11 - d01 * d01;
  const double v = (d11 * d20 - d01 * d21) / denominator, w = (d00 * d21 - d01 * d20) / denominator;
  if (v < 0.0 || w < 0.0 || v + w > 1.0) return -1.0;
  return Len(Minus(x, from));
}

std::vector<V3> WorldPointsOf(const EngineObject* object) {
  std::vector<Point4> placed(static_cast<size_t>(object->pointCount));
  const Transform& t = object->transform;
  wre_PointsRotate(t.angleX, t.angleY, t.angleZ, object->pointCount, object->localPoints, placed.data());
  wre_PointsTranslate(t.position[0], t.position[1], t.position[2], object->pointCount, placed.data(), placed.data());
  std::vector<V3> out;
  for (const Point4& p : placed) out.push_back(Of(p));
  return out;
}

// The nearest polygon crossing of one segment over every polygon of the object; -1 for none.
double NearestCrossing(const EngineObject* object, const std::vector<V3>& points, V3 from, V3 to) {
  double best = -1.0;
  for (int32_t i = 0; i < object->polygonCount; ++i) {
    const ObjectPolygon& p = object->polygons[i];
    const double d = CrossDistance(points[p.points[0]], points[p.points[1]], points[p.points[2]], from, to);
    if (d >= 0.0 && (best < 0.0 || d < best)) best = d;
  }
  return best;
}

bool Candidate(const EngineObject* object, const EngineObject* mover, uint32_t mask) {
  return object->kind == kObjectMesh && (object->status & kStatusActive) && object != mover &&
         (object->collisionGroup & mask) != 0;
}

// Sphere sweeps (flags: spheres and/or polygons) and object sweeps of the mover's bounding sphere.
Reference SphereReference(const World* world, const EngineObject* mover, uint32_t mask, uint32_t flags, V3 from,
                          V3 to, double radius) {
  Reference best;
  const V3 delta = Minus(to, from);
  const double length = Len(delta);
  const V3 direction{delta.x / length, delta.y / length, delta.z / length};
  // A bounding sphere counts only for an object whose bounds meet the box around the move (on x
  // and z in a cell-grid world, on y too in an object-list world); every polygon crossing lies in it.
  double box[6] = {std::min(from.x, to.x) - radius, std::max(from.x, to.x) + radius,
                   std::min(from.y, to.y) - radius, std::max(from.y, to.y) + radius,
                   std::min(from.z, to.z) - radius, std::max(from.z, to.z) + radius};
  for (const EngineObject* object = world->objects; object; object = object->next) {
    if (!Candidate(object, mover, mask)) continue;
    const float* b = object->worldBounds;
    if (b[0] > box[1] || b[1] < box[0] || b[4] > box[5] || b[5] < box[4]) continue;
    if (world->type == kWorldObjectList && (b[2] > box[3] || b[3] < box[2])) continue;
    double distance = 0.0;
    if (flags & kCollideSpheres) {
      const V3 centre{object->transform.position[0], object->transform.position[1], object->transform.position[2]};
      const double reach = radius + object->radius;
      const V3 toCentre = Minus(centre, from);
      const double along = DotV(toCentre, direction);
      const double line2 = std::max(0.0, DotV(toCentre, toCentre) - along * along);
      const double m = Len(toCentre), e = Len(Minus(to, centre));
      // Where the spheres first touch on the line of the move; a sweep that starts inside and
      // does not pass the candidate's centre gives minus the depth.
      if (along > 0.0 && along < length) {
        if (!(reach * reach > line2)) continue;
        distance = along - std::sqrt(reach * reach - line2);
      } else if (m < reach) {
        distance = -(reach - m);
      } else if (e < reach) {
        distance = along - std::sqrt(reach * reach - line2);
      } else {
        continue;
      }
    }
    if (flags & kCollidePolygons) {
      const double d = NearestCrossing(object, WorldPointsOf(object), from, to);
      if (d < 0.0) continue;
      distance = d - radius - 0.5;
    }
    if (!best.hit || distance < best.distance) best = {true, object, distance};
  }
  return best;
}

// Box-corner sweeps: the mover's eight corners against every polygon of every object with a tree.
Reference CornerReference(const World* world, const EngineObject* mover, uint32_t mask, const Transform& target) {
  Reference best;
  Point4 end[8];
  wre_PointsRotate(target.angleX, target.angleY, target.angleZ, 8, mover->localBox, end);
  wre_PointsTranslate(target.position[0], target.position[1], target.position[2], 8, end, end);
  for (const EngineObject* object = world->objects; object; object = object->next) {
    if (!Candidate(object, mover, mask) || !object->polyTree) continue;
    const std::vector<V3> points = WorldPointsOf(object);
    double nearest = -1.0;
    for (int k = 0; k < 8; ++k) {
      const double d = NearestCrossing(object, points, Of(mover->worldBox[k]), Of(end[k]));
      if (d >= 0.0 && (nearest < 0.0 || d < nearest)) nearest = d;
    }
    if (nearest < 0.0) continue;
    if (!best.hit || nearest - 0.5 < best.distance) best = {true, object, nearest - 0.5};
  }
  return best;
}

struct RandomScene {
  World* world = nullptr;
  std::vector<EngineObject*> objects;
};

// Boxes of all sizes (long walls that reach several cells among them), turned or not, static or
// not, with trees or without, and upright grids of many polygons; a few not collidable or in
// another group.
RandomScene BuildScene(std::mt19937& random, int32_t worldType, int count) {
  RandomScene scene;
  scene.world = worldType == kWorldCellGrid ? NewGrid(16, 20.0f) : NewList();
  std::uniform_real_distribution<float> place(0.0f, 320.0f), height(-10.0f, 10.0f), half(0.5f, 6.0f);
  std::uniform_int_distribution<int> angle(0, 4095), pick(0, 9);
  for (int i = 0; i < count; ++i) {
    const int kind = pick(random);
    const bool withTree = pick(random) < 6;
    const bool isStatic = pick(random) < 4;
    const uint32_t flags = withTree ? kObjectBuildTree : 0u;
    EngineObject* object = nullptr;
    if (kind < 2) {
      const int32_t cells = 2 + pick(random);
      wre_ObjectNewGrid(cells, cells, half(random) * 2.0f, 0, -1, kObjectMesh, &object, flags, 255.0f);
      wre_ObjectSetCollisionGroup(object, 1);
    } else if (kind < 4) {
      object = NewBoxMesh(kObjectMesh, -half(random) * 8.0f, half(random) * 8.0f, -half(random), half(random),
                          -0.5f, 0.5f, flags);
    } else {
      const float h = half(random);
      object = NewBoxMesh(kObjectMesh, -h, h * 0.5f, -h, h, -h * 0.7f, h, flags);
    }
    const bool turned = pick(random) < 6;
    PlaceMesh(object, isStatic, turned ? angle(random) : 0, turned ? angle(random) : 0,
              kind < 2 ? 1024 : 0, place(random), height(random), place(random));
    if (pick(random) == 0) wre_ObjectSetCollidable(object, 0);
    if (pick(random) == 0) wre_ObjectSetCollisionGroup(object, 2);
    EXPECT_EQ(wre_WorldAddObject(object, scene.world), 0);
    scene.objects.push_back(object);
  }
  return scene;
}

void ExpectSame(const Reference& expected, int32_t hit, const CollisionResult& result, const char* what, int sweep) {
  ASSERT_EQ(hit, expected.hit ? 1 : 0) << what << " sweep " << sweep;
  if (!expected.hit) return;
  EXPECT_NEAR(result.distance, expected.distance, 2e-3) << what << " sweep " << sweep;
  // Two objects met at the same distance may come in either order.
  if (std::fabs(result.distance - expected.distance) > 2e-3) return;
  if (result.object != expected.object) {
    ADD_FAILURE() << what << " sweep " << sweep << ": another object at the same distance?";
  }
}

TEST_F(CollideTest, RandomWorldsGiveTheBruteForceNearestHit) {
  std::mt19937 random(20261209u);
  std::uniform_real_distribution<float> place(-10.0f, 330.0f), height(-12.0f, 12.0f), step(-60.0f, 60.0f),
      radius(0.1f, 3.0f);
  std::uniform_int_distribution<int> angle(0, 4095);
  int hits[3] = {0, 0, 0};
  for (int32_t worldType : {kWorldCellGrid, kWorldObjectList}) {
    for (int round = 0; round < 3; ++round) {
      RandomScene scene = BuildScene(random, worldType, 60);
      EngineObject* boat = PlaceMesh(NewBoxMesh(kObjectMesh, -2, 2, -1, 1, -3, 3), false, 0, 0, 0, 0, 0, 0);
      wre_WorldAddObject(boat, scene.world);
      for (int sweep = 0; sweep < 300; ++sweep) {
        const Point4 a{place(random), height(random), place(random), 0.0f};
        const Point4 b{a.x + step(random), a.y + step(random) * 0.2f, a.z + step(random), 0.0f};
        const Transform from = At(a.x, a.y, a.z);
        const Transform to = At(b.x, b.y, b.z);
        const float r = radius(random);
        CollisionResult result{};

        // A bare sphere, against polygons, and against bounding spheres and then polygons.
        for (uint32_t flags : {static_cast<uint32_t>(kCollidePolygons), kCollideSpheres | kCollidePolygons,
                               static_cast<uint32_t>(kCollideSpheres)}) {
          const Reference expected = SphereReference(scene.world, nullptr, 1u, flags, Of(a), Of(b), r);
          const int32_t hit = wre_CollideSphereMove(&from, &to, r, scene.world, 1u, flags, &result, 1);
          ExpectSame(expected, hit, result, flags == kCollidePolygons ? "sphere/polygons" : flags == kCollideSpheres ? "sphere/spheres" : "sphere/both", sweep);
          hits[0] += hit;
        }

        // The boat's bounding sphere, the boat itself left out.
        wre_ObjectSetTransform(boat, 0, angle(random), 0, a.x, a.y, a.z);
        wre_ObjectUpdate(boat, 1, 1);
        Transform target = to;
        wre_TransformSet(&target, 0, boat->transform.angleY + 100, 0, b.x, b.y, b.z);
        const Reference expectedObject =
            SphereReference(scene.world, boat, 1u, kCollidePolygons, Of(a), Of(b), boat->radius);
        const int32_t objectHit =
            wre_CollideObjectMove(boat, scene.world, &boat->transform, &target, 1u, kCollidePolygons, &result, 1);
        ExpectSame(expectedObject, objectHit, result, "object", sweep);
        hits[1] += objectHit;

        // The boat's box corners through the candidates' trees.
        const Reference expectedBox = CornerReference(scene.world, boat, 1u, target);
        const int32_t boxHit =
            wre_CollideObjectMove(boat, scene.world, &boat->transform, &target, 1u, kCollideBoxCorners, &result, 1);
        ExpectSame(expectedBox, boxHit, result, "box", sweep);
        hits[2] += boxHit;
      }
      wre_WorldDisposeObjects(scene.world);
      wre_WorldDispose(scene.world);
    }
  }
  // The worlds are crowded enough that every kind of query meets things often.
  EXPECT_GT(hits[0], 300);
  EXPECT_GT(hits[1], 100);
  EXPECT_GT(hits[2], 100);
}

}  // namespace
