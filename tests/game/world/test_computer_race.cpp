// Computer riders racing a whole lap on the sample tree: on every level the course's gates with
// their buoys, the route set up, the racers on their grid and the process list run tick by tick;
// every computer racer passes every gate in order and none is stuck on one gate for 1800 ticks.
// Disabled while it fails: riders that miss a gate's narrow pass zone circle it at full lock
// (amazon passes; bahama, bermuda and colorado, among others, do not). Run it with
// --gtest_also_run_disabled_tests.
#include <gtest/gtest.h>

#include <cmath>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "engine/core/grid_mesh.h"
#include "engine/core/object.h"
#include "engine/core/process.h"
#include "engine/core/random.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "engine/data/course.h"
#include "game/shell/race_state.h"
#include "game/world/course_route.h"
#include "game/world/game_objects.h"
#include "game/world/level_load.h"
#include "game/world/level_names.h"
#include "game/world/water_surface.h"
#include "game/world/watercraft.h"
#include "tests/game/world/craft_fixture.h"
#include "tests/game/world/route_fixture.h"

namespace {

constexpr uint32_t kStallTicks = 1800;
constexpr uint32_t kLapTicks = 60000;

class ComputerRace : public CraftFixture {
 protected:
  void SetUp() override {
    CraftFixture::SetUp();
    TreeOutput tree;
    tree.root = dir.str();
    TreeWriteLevels(tree);
    ASSERT_TRUE(tree.ok);
    ASSERT_EQ(wre_ProcessListInit(), 0);
  }
  void TearDown() override {
    wre_ProcessListExit(1);
    CraftFixture::TearDown();
  }
  // The rally gates of the level's first course with their buoys, and the start facing the first.
  void RallyCourse() {
    wre_FolderSet((std::string("data:courses:") + LevelWord(gLevel)).c_str());
    Course* data = nullptr;
    ASSERT_EQ(CourseLoad("course.dat", gCourse, &data, gLevelBoundsMinX, gLevelBoundsMaxX, gLevelBoundsMinY,
                         gLevelBoundsMaxY, gLevelBoundsMinZ, gLevelBoundsMaxZ, 1, 0, 0),
              0);
    const float buoyY = kLevelLift - 600.0f;
    for (CourseWaypoint* w = data->waypoints; w && w->next; w = w->next->next) {
      GateRecord* gate = GateRecordNew();
      ASSERT_NE(gate, nullptr);
      EngineObject* buoys[2] = {};
      for (int i = 0; i < 2; ++i) {
        const Point4& at = (i ? w->next : w)->position;
        ASSERT_EQ(wre_ObjectNewGrid(1, 1, 10.0f, 0, -1, kObjectMesh, &buoys[i], 0, 255.0f), 0);
        wre_ObjectSetTransform(buoys[i], 0, 0, 0, at.x, buoyY, at.z);
        buoys_.push_back(buoys[i]);
      }
      const float* a = buoys[0]->transform.position;
      const float* b = buoys[1]->transform.position;
      const float width = std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[2] - b[2]) * (a[2] - b[2]));
      gate->markerA = buoys[0];
      gate->markerB = buoys[1];
      gate->halfWidth = 0.5f * width;
      gate->passThreshold = 1.1f * width;
      gate->centre = Point4{0.5f * (a[0] + b[0]), buoyY, 0.5f * (a[2] + b[2]), 0.0f};
      GateListAppend(gate, &gGateListHead);
    }
    GateListRelink(gGateListHead);
    wre_TransformSet(&gStartTransform, 0, 0, 0, data->startGatePosition.x, gLevelBoundsMaxY + 5000.0f,
                     data->startGatePosition.z);
    const Point4& first = gGateListHead->centre;
    wre_TransformPointAt(&gStartTransform, first.x, first.y, first.z);
    wre_TransformSet(&gStartTransform, 0, gStartTransform.angleY, 0, gStartTransform.position[0],
                     gStartTransform.position[1], gStartTransform.position[2]);
    CourseFree(data);
  }
  void CourseFreeAll() {
    RouteGatesFree();
    for (EngineObject* o : buoys_) wre_ObjectDispose(o);
    buoys_.clear();
  }

  std::vector<EngineObject*> buoys_;
};

TEST_F(ComputerRace, DISABLED_EveryComputerRacerPassesEveryGateInOrderOnEveryLevel) {
  for (int32_t level = 0; level < kLevelCount; ++level) {
    SCOPED_TRACE(LevelWord(level));
    gLevel = level;
    gCourse = 0;
    gGameMode = kModeRally;
    gSettings.opponentCount = 5;
    gCountdownActive = 0;
    wre_RandomSeed(static_cast<uint32_t>(level + 1));
    WaterworksReset(&view);
    ASSERT_EQ(LevelLoad(&view), 0);
    ASSERT_EQ(WaterworksStart(&view, 0.0f, 0.0f, 0), 0);
    RallyCourse();
    int gateCount = 0;
    for (GateRecord* g = gGateListHead; g; g = g->next) ++gateCount;
    ASSERT_GE(gateCount, 2);
    gRaceActive = 0;
    ASSERT_EQ(RouteSetup(&view), 0);
    gRaceActive = 1;
    ASSERT_EQ(GameObjectListStart(), 0);
    ASSERT_EQ(RacersCreate(&view), 0);

    struct Progress {
      GateRecord* gate;
      uint32_t since;
      int passed;
    };
    std::map<Watercraft*, Progress> racers;
    for (int slot = 1; slot < kRacerSlots; ++slot) {
      Watercraft* craft = gCraftByIndex[slot];
      ASSERT_NE(craft, nullptr);
      racers[craft] = Progress{craft->nextGate, gEngineTick, 0};
    }
    wre_ProcessListResetTicks();
    const uint32_t start = gEngineTick;
    bool done = false;
    while (!done && gEngineTick - start < kLapTicks) {
      ++gEngineTick;
      ASSERT_EQ(wre_ProcessListRun(1, 0), 0);
      done = true;
      for (auto& [craft, p] : racers) {
        if (craft->nextGate != p.gate) {
          EXPECT_EQ(craft->nextGate, GateListNext(p.gate, nullptr)) << "slot " << craft->racerSlot;
          p.gate = craft->nextGate;
          p.since = gEngineTick;
          ++p.passed;
        }
        ASSERT_LE(gEngineTick - p.since, kStallTicks) << "slot " << craft->racerSlot << " stuck before gate "
                                                      << p.passed;
        done = done && p.passed >= gateCount;
      }
    }
    EXPECT_TRUE(done);

    RacersDestroy(&view);
    GameObjectListStop(&view);
    RouteTeardown();
    CourseFreeAll();
    WaterworksExit(&view);
    ASSERT_EQ(LevelUnload(&view), 0);
  }
}

}  // namespace
