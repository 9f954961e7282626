// Route generation through a loaded level: straight legs stay straight, a leg across a pillar gets
// clear points the probe can travel between (also on the sample tree's course with a pillar on a
// leg), one-lap courses get no way back to the start, and the integer segment crossing the fan
// search rests on.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/collide.h"
#include "engine/core/grid_mesh.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "game/world/course_route.h"
#include "game/world/level_load.h"
#include "game/world/level_names.h"
#include "game/world/route_generate.h"
#include "tests/game/world/route_fixture.h"
#include "tools/datagen/tree_output.h"
#include "craft_fixture.h"
#include "game/world/route_file.h"
#include "game/world/watercraft.h"

namespace {

constexpr float kWater = 100000.0f;
constexpr int32_t kBermuda = 2;   // four laps
constexpr int32_t kColorado = 3;  // one lap

int gFrames = 0;
void CountFrame(ViewComponents*) { ++gFrames; }

class RouteGeneration : public WorldFixture {
 public:
  void SetUp() override {
    WorldFixture::SetUp();
    // Pillars across the first leg and the closing leg of the square course below.
    std::vector<ChunkObjectDef> objects = level_fixture::LevelObjects({});
    objects.push_back(level_fixture::Box(1, 4000.0f, 6000.0f, 4000.0f, 0.0f, 0.0f, 10000.0f));
    objects.push_back(level_fixture::Box(1, 4000.0f, 6000.0f, 4000.0f, -15000.0f, 0.0f, 0.0f));
    for (int32_t level : {kBermuda, kColorado}) WriteLevel(dir, LevelWord(level), objects);
    ASSERT_TRUE(RouteGatesMake({{-15000, kWater, 10000, 0}, {15000, kWater, 10000, 0}, {15000, kWater, -10000, 0},
                                {-15000, kWater, -10000, 0}}));
    ASSERT_EQ(wre_ObjectNewGrid(1, 1, 400.0f, 0, -1, kObjectMesh, &probe_, 0, 255.0f), 0);
    gFrames = 0;
    gRouteProgressFrame = CountFrame;
  }
  void TearDown() override {
    gRouteProgressFrame = nullptr;
    RouteGatesFree();
    if (probe_) {
      wre_WorldRemoveObject(probe_, view.world);
      wre_ObjectDispose(probe_);
    }
    if (loaded_) LevelUnload(&view);
    WorldFixture::TearDown();
  }
  void Load(int32_t level) {
    gLevel = level;
    gCourse = 0;
    ASSERT_EQ(LevelLoad(&view), 0);
    loaded_ = true;
    ASSERT_EQ(wre_WorldAddObject(probe_, view.world), 0);
  }
  // Whether the probe, level and facing the end, meets nothing on its way there.
  bool ProbeClear(const Point4& from, const Point4& to) {
    Transform t{};
    wre_TransformSet(&t, 0, 0, 0, from.x, from.y, from.z);
    wre_TransformPointAt(&t, to.x, to.y, to.z);
    wre_ObjectSetTransform(probe_, 0, t.angleY, 0, from.x, from.y, from.z);
    wre_ObjectUpdate(probe_, 1, 1);
    Transform end = probe_->transform;
    end.position[0] = to.x;
    end.position[1] = to.y;
    end.position[2] = to.z;
    CollisionResult hit{};
    return wre_CollideObjectMove(probe_, view.world, &probe_->transform, &end, kRouteProbeGroups,
                                 kCollideBoxCorners, &hit, 1) == 0;
  }
  // The clear points between gate node `gate` and the next gate node.
  static int ClearPointsAfterGate(int gate) {
    int seen = -1, count = 0;
    for (RouteNode* n = gRouteHead; n; n = n->next) {
      if (n->hasGate) ++seen;
      else if (seen == gate) ++count;
    }
    return count;
  }

  EngineObject* probe_ = nullptr;
  bool loaded_ = false;
};

class SampleRoute : public RouteGeneration {
 public:
  void SetUp() override {
    RouteGeneration::SetUp();
    RouteGatesFree();
    TreeOutput tree;
    tree.root = dir.str();
    TreeWriteLevels(tree);
  }
};

TEST_F(RouteGeneration, FindsAWayRoundPillarsAndGoesStraightElsewhere) {
  Load(kBermuda);
  ASSERT_TRUE(!ProbeClear(RouteGateAt(0)->centre, RouteGateAt(1)->centre)) << "the pillar must block the first leg";
  ASSERT_EQ(RouteBuild(probe_, &view), 0);
  EXPECT_EQ(gRouteLoaded, 1);
  const std::vector<RouteNode*> nodes = RouteNodes();
  // Gate nodes in list order, bound to their gates.
  std::vector<GateRecord*> gates;
  for (RouteNode* n : nodes)
    if (n->hasGate) gates.push_back(n->gate);
  ASSERT_EQ(gates.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(gates[i], RouteGateAt(i));
  EXPECT_GE(ClearPointsAfterGate(0), 1);
  EXPECT_EQ(ClearPointsAfterGate(1), 0);
  EXPECT_EQ(ClearPointsAfterGate(2), 0);
  EXPECT_GE(ClearPointsAfterGate(3), 1) << "a lap course closes its ring round the second pillar";
  // The probe passes every step of the ring, the way back to the start included.
  for (size_t i = 0; i < nodes.size(); ++i) {
    const RouteNode* next = nodes[(i + 1) % nodes.size()];
    EXPECT_TRUE(ProbeClear(nodes[i]->point, next->point)) << "step " << i;
  }
  EXPECT_GE(gFrames, 4);
  EXPECT_EQ(RouteBuild(probe_, &view), kRouteErrLoaded);
}

TEST_F(RouteGeneration, OneLapCourseEndsAtItsLastGateAndFewGatesFail) {
  Load(kColorado);
  ASSERT_EQ(RouteBuild(probe_, &view), 0);
  EXPECT_EQ(gRouteTail->gate, RouteGateAt(3));
  EXPECT_EQ(ClearPointsAfterGate(3), 0);
  EXPECT_GE(ClearPointsAfterGate(0), 1);
  RouteTeardown();

  RouteGatesFree();
  RouteGatesMake({{0, kWater, 0, 0}});
  EXPECT_EQ(RouteBuild(probe_, &view), kRouteErrFewGates);
  EXPECT_EQ(gRouteHead, nullptr) << "a failed generation leaves no nodes";
  EXPECT_EQ(gRouteLoaded, 0);
  EXPECT_EQ(RouteBuild(nullptr, &view), kRouteErrNoProbe);
}

TEST_F(SampleRoute, BermudaRallyThreeGoesRoundThePillarOnItsSecondLegOnly) {
  Load(kBermuda);
  wre_FolderSet("data:courses:bermuda");
  gCourse = 2;
  ASSERT_TRUE(RouteSampleGates(2));
  ASSERT_EQ(RouteBuild(probe_, &view), 0);
  const std::vector<RouteNode*> nodes = RouteNodes();
  int gates = 0;
  for (RouteNode* n : nodes) gates += n->hasGate;
  ASSERT_EQ(gates, 4);
  for (int leg = 0; leg < gates; ++leg) {
    if (leg == 1) {
      EXPECT_GE(ClearPointsAfterGate(leg), 1);
    } else {
      EXPECT_EQ(ClearPointsAfterGate(leg), 0) << "leg " << leg;
    }
  }
  for (size_t i = 0; i < nodes.size(); ++i) {
    EXPECT_TRUE(ProbeClear(nodes[i]->point, nodes[(i + 1) % nodes.size()]->point)) << "step " << i;
  }
}

// The whole set-up with the game's own probe craft: a foreign route file is replaced by a generated
// route, which the next read takes as it stands.
class RouteSetupTest : public CraftFixture {
 public:
  void TearDown() override {
    RouteGatesFree();
    LevelUnload(&view);
    CraftFixture::TearDown();
  }
};

TEST_F(RouteSetupTest, ForeignFileIsRegeneratedWithAProbeCraftAndWrittenForNextTime) {
  TreeOutput tree;
  tree.root = dir.str();
  TreeWriteLevels(tree);
  gLevel = kBermuda;
  gCourse = 2;
  gGameMode = kModeRally;
  ASSERT_EQ(LevelLoad(&view), 0);
  wre_FolderSet("data:courses:bermuda");
  ASSERT_TRUE(RouteSampleGates(2));
  const std::filesystem::path file = dir.path() / "data/courses/bermuda/qz_route_ 2.qz";
  dir.Write("data/courses/bermuda/qz_route_ 2.qz", std::string("\0\0\0\xAB\0\0\0\0", 8));
  const int32_t objects = view.world->objectCount;

  ASSERT_EQ(RouteSetup(&view), 0);
  const std::vector<RouteNode*> nodes = RouteNodes();
  ASSERT_GT(nodes.size(), 4u) << "four gates and a way round the pillar";
  EXPECT_EQ(gRouteHead->prev, gRouteTail);
  EXPECT_EQ(view.world->objectCount, objects) << "the probe leaves the world";
  EXPECT_EQ(gCraftByIndex[0], nullptr);
  EXPECT_EQ(TempDir::Read(file).size(), 8 + 24 * nodes.size());

  std::vector<Point4> points;
  for (RouteNode* n : nodes) points.push_back(n->point);
  RouteTeardown();
  ASSERT_EQ(RouteFileRead(&view), 0);
  const std::vector<RouteNode*> again = RouteNodes();
  ASSERT_EQ(again.size(), points.size());
  for (size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i]->point.z, points[i].z) << i;
}

TEST(RouteSegmentsCross, RoundsHalfAwayFromZeroAndRejectsMisses) {
  auto p = [](float x, float z) { return Point4{x, 0.0f, z, 0.0f}; };
  float x = 0, z = 0;
  Point4 a0 = p(0, 0), a1 = p(10, 10), b0 = p(0, 10), b1 = p(10, 0);
  ASSERT_TRUE(RouteSegmentsCross(&a0, &a1, &b0, &b1, &x, &z));
  EXPECT_EQ(x, 5.0f);
  EXPECT_EQ(z, 5.0f);
  // Crossing at (2.5, 2.5) relative to the first start: rounded away from zero to 3.
  a0 = p(100, 100), a1 = p(105, 105), b0 = p(100, 105), b1 = p(105, 100);
  ASSERT_TRUE(RouteSegmentsCross(&a0, &a1, &b0, &b1, &x, &z));
  EXPECT_EQ(x, 103.0f);
  EXPECT_EQ(z, 103.0f);
  // World-sized legs stay exact in 64 bits.
  a0 = p(-400000, -400000), a1 = p(100000, 100000), b0 = p(-400000, 100000), b1 = p(100000, -400000);
  ASSERT_TRUE(RouteSegmentsCross(&a0, &a1, &b0, &b1, &x, &z));
  EXPECT_EQ(x, -150000.0f);
  EXPECT_EQ(z, -150000.0f);
  b0 = p(0, 1), b1 = p(10, 11);  // parallel
  EXPECT_FALSE(RouteSegmentsCross(&a0, &a1, &b0, &b1, &x, &z));
  a0 = p(0, 0), a1 = p(10, 10), b0 = p(20, 0), b1 = p(11, 9);  // would meet past the ends
  EXPECT_FALSE(RouteSegmentsCross(&a0, &a1, &b0, &b1, &x, &z));
  b0 = p(0, 10), b1 = p(1e7f, -1e7f);  // beyond the reach of the arithmetic
  EXPECT_FALSE(RouteSegmentsCross(&a0, &a1, &b0, &b1, &x, &z));
}

}  // namespace
