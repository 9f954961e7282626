// Route generation through a loaded level: a leg across a pillar gets clear points the probe can
// travel between while straight legs stay straight, one-lap courses get no way back to the start,
// and on the sample tree a foreign route file is regenerated with the game's own probe craft round
// the pillar on bermuda's third rally course and written for next time. Also the integer segment
// crossing the fan search rests on.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/collide.h"
#include "engine/core/grid_mesh.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "game/state/level_names.h"
#include "game/world/course_route.h"
#include "game/world/level_load.h"
#include "game/world/route_file.h"
#include "game/world/route_generate.h"
#include "game/world/watercraft.h"
#include "tests/game/world/craft_fixture.h"
#include "tests/game/world/route_fixture.h"
#include "tools/datagen/tree_output.h"

namespace {

constexpr float kWater = 100000.0f;
constexpr int32_t kBermuda = 2;   // four laps
constexpr int32_t kColorado = 3;  // one lap

int gFrames = 0;
void CountFrame(ViewComponents*) { ++gFrames; }

class RouteGeneration : public CraftFixture {
 public:
  void SetUp() override {
    CraftFixture::SetUp();
    ASSERT_EQ(wre_ObjectNewGrid(1, 1, 400.0f, 0, -1, kObjectMesh, &probe_, 0, 255.0f), 0);
    gFrames = 0;
    gRouteProgressFrame = CountFrame;
  }
  void TearDown() override {
    gRouteProgressFrame = nullptr;
    RouteGatesFree();
    wre_WorldRemoveObject(probe_, view.world);
    wre_ObjectDispose(probe_);
    if (loaded_) LevelUnload(&view);
    CraftFixture::TearDown();
  }
  // A square course with pillars across its first and its closing leg.
  void PillarLevels() {
    std::vector<ChunkObjectDef> objects = level_fixture::LevelObjects({});
    objects.push_back(level_fixture::Box(1, 4000.0f, 6000.0f, 4000.0f, 0.0f, 0.0f, 10000.0f));
    objects.push_back(level_fixture::Box(1, 4000.0f, 6000.0f, 4000.0f, -15000.0f, 0.0f, 0.0f));
    for (int32_t level : {kBermuda, kColorado}) WriteLevel(dir, LevelWord(level), objects);
    ASSERT_TRUE(RouteGatesMake({{-15000, kWater, 10000, 0}, {15000, kWater, 10000, 0}, {15000, kWater, -10000, 0},
                                {-15000, kWater, -10000, 0}}));
  }
  void Load(int32_t level, int32_t course = 0) {
    wre_WorldRemoveObject(probe_, view.world);
    if (loaded_) LevelUnload(&view);
    gLevel = level;
    gCourse = course;
    ASSERT_EQ(LevelLoad(&view), 0);
    loaded_ = true;
    ASSERT_EQ(wre_WorldAddObject(probe_, view.world), 0);
  }
  // Whether the probe, level and facing the end, meets nothing on its way there.
  bool ProbeClear(const Point4& from, const Point4& to) {
    const Point4 reached = Reach(from, to);
    return reached.x == to.x && reached.y == to.y && reached.z == to.z;
  }
  // Where the probe, level and facing `to`, stops on its way there from `from` (`to` when clear).
  Point4 Reach(const Point4& from, const Point4& to) {
    wre_ObjectSetTransform(probe_, 0, Yaw(from, to), 0, from.x, from.y, from.z);
    wre_ObjectUpdate(probe_, 1, 1);
    Transform end = probe_->transform;
    end.position[0] = to.x;
    end.position[1] = to.y;
    end.position[2] = to.z;
    CollisionResult hit{};
    if (wre_CollideObjectMove(probe_, view.world, &probe_->transform, &end, kRouteProbeGroups, kCollideBoxCorners,
                              &hit, 1) == 0)
      return to;
    return Point4{hit.hit[0], hit.hit[1], hit.hit[2], to.w};
  }
  static int32_t Yaw(const Point4& from, const Point4& to) {
    Transform t{};
    wre_TransformSet(&t, 0, 0, 0, from.x, from.y, from.z);
    wre_TransformPointAt(&t, to.x, to.y, to.z);
    return t.angleY;
  }
  // The fan's ray ends: from a quarter turn to one side of `toward`, in steps of 11 angle units.
  std::vector<Point4> Fan(const Point4& origin, const Point4& toward, float length) {
    std::vector<Point4> ends;
    const int32_t base = Yaw(origin, toward);
    for (int32_t i = 0; i < 180; ++i) {
      const int32_t angle = (base - 1024 + 11 * i) & 0xfff;
      ends.push_back(Reach(origin, Point4{origin.x + length * gSinTable[angle], origin.y,
                                          origin.z + length * gCosTable[angle], origin.w}));
    }
    return ends;
  }

  // The clear points of each leg, counted after each gate node; and every step of the ring (the
  // way back to the start included) passable by the probe.
  std::vector<int> LegsChecked() {
    std::vector<int> clear;
    const std::vector<RouteNode*> nodes = RouteNodes();
    for (size_t i = 0; i < nodes.size(); ++i) {
      if (nodes[i]->hasGate) {
        clear.push_back(0);
      } else if (!clear.empty()) {
        ++clear.back();
      }
      EXPECT_TRUE(ProbeClear(nodes[i]->point, nodes[(i + 1) % nodes.size()]->point)) << "step " << i;
    }
    return clear;
  }

  EngineObject* probe_ = nullptr;
  bool loaded_ = false;
};

TEST_F(RouteGeneration, GoesRoundPillarsStraightElsewhereAndOneLapCoursesStopAtTheirLastGate) {
  PillarLevels();
  Load(kBermuda);
  ASSERT_FALSE(ProbeClear(RouteGateAt(0)->centre, RouteGateAt(1)->centre));
  ASSERT_EQ(RouteBuild(probe_, &view), 0);
  std::vector<int> clear = LegsChecked();
  ASSERT_EQ(clear.size(), 4u);
  EXPECT_GE(clear[0], 1);
  EXPECT_EQ(clear[1] + clear[2], 0);
  EXPECT_GE(clear[3], 1) << "a lap course closes its ring round the second pillar";
  for (int i = 0; i < 4; ++i) EXPECT_EQ(RouteNodeForObject(RouteGateAt(i))->gate, RouteGateAt(i));
  EXPECT_GE(gFrames, 4);
  EXPECT_EQ(RouteBuild(probe_, &view), kRouteErrLoaded);
  RouteTeardown();

  Load(kColorado);
  ASSERT_EQ(RouteBuild(probe_, &view), 0);
  EXPECT_EQ(gRouteTail->gate, RouteGateAt(3));
  RouteTeardown();

  RouteGatesFree();
  ASSERT_TRUE(RouteGatesMake({{0, kWater, 0, 0}}));
  EXPECT_EQ(RouteBuild(probe_, &view), kRouteErrFewGates);
  EXPECT_EQ(gRouteHead, nullptr) << "a failed generation leaves no nodes";
  EXPECT_EQ(RouteBuild(nullptr, &view), kRouteErrNoProbe);
}

// Across the pillar the crossings of the two fans that the probe reaches from the leg's start are
// many; the one nearest the leg's end is taken, not the first found.
TEST_F(RouteGeneration, ABlockedLegTakesTheReachableFanCrossingNearestItsEnd) {
  PillarLevels();
  Load(kBermuda);
  const Point4 a = RouteGateAt(0)->centre, b = RouteGateAt(1)->centre;
  const float length = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.z - a.z) * (b.z - a.z));
  const std::vector<Point4> fan1 = Fan(b, a, length), fan2 = Fan(a, b, length);
  bool any = false;
  Point4 first{}, nearest{};
  float best = 0.0f;
  for (const Point4& end2 : fan2) {
    for (const Point4& end1 : fan1) {
      float x = 0.0f, z = 0.0f;
      if (!RouteSegmentsCross(&a, &end2, &b, &end1, &x, &z)) continue;
      const Point4 crossing{x, b.y, z, 0.0f};
      if (!ProbeClear(a, crossing)) continue;
      const float d = std::hypot(x - b.x, z - b.z);
      if (!any) first = crossing;
      if (!any || d < best) {
        nearest = crossing;
        best = d;
      }
      any = true;
    }
  }
  ASSERT_TRUE(any);
  ASSERT_FALSE(first.x == nearest.x && first.z == nearest.z) << "a layout where the two differ";
  ASSERT_EQ(RouteBuild(probe_, &view), 0);
  const RouteNode* clear = gRouteHead->next;
  ASSERT_FALSE(clear->hasGate);
  EXPECT_EQ(clear->point.x, nearest.x);
  EXPECT_EQ(clear->point.z, nearest.z);
  EXPECT_EQ(clear->point.y, b.y);
  EXPECT_EQ(clear->next->gate, RouteGateAt(1)) << "the leg is closed from there";
  RouteTeardown();
}

TEST_F(RouteGeneration, ForeignFileOfTheSampleObstacleCourseIsRegeneratedAndWrittenForNextTime) {
  TreeOutput tree;
  tree.root = dir.str();
  TreeWriteLevels(tree);
  gGameMode = kModeRally;
  Load(kBermuda, 2);
  wre_FolderSet("data:courses:bermuda");
  ASSERT_TRUE(RouteSampleGates(2));
  const std::filesystem::path file = dir.path() / "data/courses/bermuda/qz_route_ 2.qz";
  dir.Write("data/courses/bermuda/qz_route_ 2.qz", std::string("\0\0\0\xAB\0\0\0\0", 8));
  const int32_t objects = view.world->objectCount;

  ASSERT_EQ(RouteSetup(&view), 0);
  EXPECT_EQ(gRouteHead->prev, gRouteTail);
  EXPECT_EQ(view.world->objectCount, objects) << "the probe craft leaves the world";
  EXPECT_EQ(gCraftByIndex[0], nullptr);
  std::vector<int> clear = LegsChecked();
  ASSERT_GE(clear.size(), 4u);
  EXPECT_GE(clear[1], 1) << "the pillar stands across the second leg";
  clear[1] = 0;
  EXPECT_EQ(clear, std::vector<int>(clear.size(), 0)) << "every other leg is clear";
  const size_t nodes = RouteNodes().size();
  EXPECT_EQ(TempDir::Read(file).size(), 8 + 24 * nodes);

  RouteTeardown();
  ASSERT_EQ(RouteFileRead(&view), 0);
  EXPECT_EQ(RouteNodes().size(), nodes);
}

TEST(RouteSegmentsCross, RoundsHalfAwayFromZeroAndRejectsMisses) {
  auto p = [](float x, float z) { return Point4{x, 0.0f, z, 0.0f}; };
  float x = 0, z = 0;
  // Crossing at (2.5, 2.5) relative to the first start: rounded away from zero to 3.
  Point4 a0 = p(100, 100), a1 = p(105, 105), b0 = p(100, 105), b1 = p(105, 100);
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
