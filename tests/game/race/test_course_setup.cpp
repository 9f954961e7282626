// The game modes' course set-up on the sample data tree: rally gates of buoy pairs under the
// finish arch with laps, start and arrow; derby waypoints and treasure dollars with their start
// gates, the linear finish and the dollar swap; every exit back to the level as it was loaded. A
// course file of its own covers odd rally courses, the derby step and a missing arch.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/files.h"
#include "engine/core/grid_mesh.h"
#include "engine/core/object.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "engine/data/course.h"
#include "engine/data/material.h"
#include "game/race/game_modes.h"
#include "game/state/level_names.h"
#include "game/state/race_state.h"
#include "game/world/game_materials.h"
#include "game/world/game_object.h"
#include "game/world/gate_arrow.h"
#include "game/world/gate_list.h"
#include "game/world/level_bounds.h"
#include "game/world/level_load.h"
#include "game/world/object_words.h"
#include "game/world/water_surface.h"
#include "tests/game/world/world_fixture.h"
#include "tools/datagen/course_writer.h"
#include "tools/datagen/tree_models.h"
#include "tools/datagen/tree_output.h"

namespace {

constexpr int32_t kOwnCourseLevel = 9;  // its course file is replaced by OwnCourses()

// The sample tree's levels, courses and gameplay folders, written once for the suite.
std::unique_ptr<TempDir> gSampleTree;

const std::filesystem::path& SampleTree() {
  if (!gSampleTree) {
    gSampleTree = std::make_unique<TempDir>();
    TreeOutput out;
    out.root = gSampleTree->str();
    TreeWriteLevels(out);
    TreeWriteCraft(out);
    EXPECT_TRUE(out.ok);
  }
  return gSampleTree->path();
}

// Level 9's courses: rally courses of five waypoints, derby courses of ten with step 3.
void OwnCourses() {
  CourseFilePlan plan;
  plan.imageWidth = 256;
  plan.imageHeight = 256;
  plan.waypointAddCount = 3;
  for (int32_t c = 0; c < kCourseNameSlots; ++c) {
    CoursePlan course{"Course " + std::to_string(c), 128, 200, {}};
    const int32_t count = c < 5 ? 5 : 10;
    for (int32_t w = 0; w < count; ++w) course.waypoints.push_back({w, 60 + 14 * w, 100 + (w % 2) * 10, false});
    plan.courses.push_back(course);
  }
  ASSERT_TRUE(CourseFileWrite((SampleTree() / "data/courses" / LevelWord(kOwnCourseLevel) / "course.dat").string(),
                              plan));
}

// A file of the sample tree moved out of its folder while the value lives.
class SetAside {
 public:
  explicit SetAside(const std::string& relative)
      : file_(SampleTree() / relative), aside_(SampleTree() / (file_.filename().string() + ".aside")) {
    std::filesystem::rename(file_, aside_);
  }
  ~SetAside() { std::filesystem::rename(aside_, file_); }
  SetAside(const SetAside&) = delete;
  SetAside& operator=(const SetAside&) = delete;

 private:
  std::filesystem::path file_, aside_;
};

float Horizontal(const float* a, const float* b) { return std::hypot(b[0] - a[0], b[2] - a[2]); }

int32_t GateCount() {
  int32_t n = 0;
  for (GateRecord* g = gGateListHead; g; g = g->next) ++n;
  return n;
}

GateRecord* Tail() {
  GateRecord* g = gGateListHead;
  while (g && g->next) g = g->next;
  return g;
}

class CourseSetup : public WorldFixture {
 public:
  static void TearDownTestSuite() { gSampleTree.reset(); }
  void SetUp() override {
    WorldFixture::SetUp();
    std::filesystem::current_path(SampleTree());
    ASSERT_TRUE(MaterialsCreate());
    gStartTransform = Transform{};
  }
  void TearDown() override {
    MaterialsFree();
    Unload();
    WorldFixture::TearDown();
  }
  // The water grid goes before the level's objects, which it stands among.
  void Unload() {
    if (!loaded_) return;
    WaterworksExit(&view);
    LevelUnload(&view);
    loaded_ = false;
  }
  // The level loaded with its water grid running (or without water).
  void Level(int32_t level, int32_t mode, bool water = true) {
    gLevel = level;
    gGameMode = mode;
    gCourse = 0;
    WaterworksReset(&view);
    ASSERT_EQ(LevelLoad(&view), 0);
    loaded_ = true;
    if (water) {
      ASSERT_EQ(WaterworksStart(&view, 0.0f, 0.0f, 1), 0);
    }
    objects_ = view.world->objectCount;
    textures_ = TexturesInUse();
  }
  // The exit leaves the level as it was loaded.
  void ExitAndCheck() {
    EXPECT_EQ(GameModeExit(&view), 0);
    EXPECT_EQ(gGateListHead, nullptr);
    EXPECT_EQ(gCourseData, nullptr);
    EXPECT_EQ(gStartGate, nullptr);
    EXPECT_EQ(gArrowObject, nullptr);
    EXPECT_EQ(gCompassArrow, nullptr);
    EXPECT_EQ(view.world->objectCount, objects_);
    EXPECT_EQ(TexturesInUse(), textures_);
  }
  // The water under a marker, from its height and the mode's offset.
  static float WaterY() { return gWaterBoundsMax[1]; }

  // The start faces the point, level.
  static void ExpectStartFacing(const Point4& target) {
    const float* p = gStartTransform.position;
    const float dx = target.x - p[0], dz = target.z - p[2];
    const float length = std::hypot(dx, dz);
    EXPECT_EQ(gStartTransform.angleX, 0);
    EXPECT_NEAR((gStartTransform.axisZ.x * dx + gStartTransform.axisZ.z * dz) / length, 1.0f, 1e-3f);
  }
  // The start gate is the first gate or the one 32 on, around the ring; the start 40% of the way
  // to the gate after it, 5000 up.
  static void ExpectStartGate() {
    ASSERT_NE(gStartGate, nullptr);
    GateRecord* on = gGateListHead;
    for (int i = 0; i < 32; ++i) on = on->next ? on->next : gGateListHead;
    EXPECT_TRUE(gStartGate == gGateListHead || gStartGate == on);
    const GateRecord* next = gStartGate->next ? gStartGate->next : gGateListHead;
    const float* p = gStartTransform.position;
    EXPECT_NEAR(p[0], gStartGate->centre.x + 0.4f * (next->centre.x - gStartGate->centre.x), 1.0f);
    EXPECT_NEAR(p[2], gStartGate->centre.z + 0.4f * (next->centre.z - gStartGate->centre.z), 1.0f);
  }
  // Single markers: linked, in the group, unclaimed, centred on the marker at the water + offset.
  static void ExpectMarkers(float offset, uint32_t lastGroup) {
    int32_t n = 0;
    for (GateRecord* g = gGateListHead; g; g = g->next, ++n) {
      SCOPED_TRACE("gate " + std::to_string(n));
      ASSERT_NE(g->markerA, nullptr);
      EXPECT_EQ(g->markerB, nullptr);
      EXPECT_EQ(g->holder, -1);
      EXPECT_EQ(g->markerA->gameWords[kGameWordLink], g);
      EXPECT_EQ(g->markerA->collisionGroup, g->next ? 0x10u : lastGroup);
      EXPECT_EQ(g->flags & kGateLast, g->next ? 0 : kGateLast);
      if (g->next || lastGroup == 0x10u) {
        EXPECT_NEAR(g->markerA->transform.position[1], WaterY() + offset, 2.0f);
      }
      EXPECT_NEAR(g->centre.y, WaterY() + offset, 2.0f);
    }
    EXPECT_EQ(gGateListHead->prev, Tail());
  }

  int32_t objects_ = 0;
  int32_t textures_ = 0;
  bool loaded_ = false;
};

TEST_F(CourseSetup, RallyBuildsBuoyGatesWithTheFinishArchLapsStartArrowAndCompass) {
  for (int32_t level : {0, 2}) {
    SCOPED_TRACE(LevelWord(level));
    Level(level, kModeRally);
    gCourse = 1;
    ASSERT_EQ(GameModeInit(&view), 0);
    ASSERT_NE(gCourseData, nullptr);
    int32_t waypoints = 0;
    for (CourseWaypoint* w = gCourseData->waypoints; w; w = w->next) ++waypoints;
    ASSERT_EQ(GateCount(), waypoints / 2);
    EXPECT_EQ(gLapCount, level == 2 ? 4 : 1);
    int32_t n = 0;
    for (GateRecord* g = gGateListHead; g; g = g->next, ++n) {
      SCOPED_TRACE("gate " + std::to_string(n));
      ASSERT_NE(g->markerA, nullptr);
      ASSERT_NE(g->markerB, nullptr);
      EXPECT_EQ(g->markerA->gameWords[kGameWordLink], g);
        EXPECT_EQ(g->holder, -1);  // the buoy model carries no value
      const float* a = g->markerA->transform.position;
      const float* b = g->markerB->transform.position;
      EXPECT_NEAR(a[1], WaterY() - 600.0f, 2.0f);
      EXPECT_NEAR(g->centre.x, (a[0] + b[0]) / 2, 0.5f);
      EXPECT_NEAR(g->centre.z, (a[2] + b[2]) / 2, 0.5f);
      EXPECT_NEAR(g->passThreshold, 2.2f * g->halfWidth, 1.0f);
      if (g->next) {
        EXPECT_NEAR(g->halfWidth, Horizontal(a, b) / 2, 0.5f);
        EXPECT_EQ(g->markerA->collisionGroup, 0x40u);
        EXPECT_EQ(g->flags & kGateLast, 0);
        EXPECT_EQ(g->finishObject, nullptr);
        continue;
      }
      // The finish: hidden buoys out of the way, the arch (5000 under an 800 beam) lifted by 0.9
      // of its half height over the gate's centre, solid, and wide enough that a craft between
      // the buoys is inside the pass zone.
      EXPECT_EQ(g->flags & kGateLast, kGateLast);
      EXPECT_EQ(g->markerA->collisionGroup, 0u);
      EXPECT_TRUE(g->markerB->renderFlags & kRenderNeverDrawn);
      ASSERT_NE(g->finishObject, nullptr);
      EXPECT_EQ(g->finishObject->collisionGroup, 0x8u);
      EXPECT_NEAR(g->halfWidth, 0.5f * kTreeArchWidth, 1.0f);
      EXPECT_GT(g->passThreshold, Horizontal(a, b));
      EXPECT_NEAR(g->finishObject->transform.position[1], g->centre.y + 0.9f * 2900.0f, 1.0f);
    }
    EXPECT_EQ(gGateListHead->prev, Tail());
    EXPECT_NEAR(gStartTransform.position[0], gCourseData->startGatePosition.x, 0.5f);
    EXPECT_NEAR(gStartTransform.position[1], gLevelBoundsMaxY + 5000.0f, 0.5f);
    EXPECT_NEAR(gStartTransform.position[2], gCourseData->startGatePosition.z, 0.5f);
    ExpectStartFacing(gGateListHead->centre);

    // The compass wears its own material; the arrow follows the human driver only.
    ASSERT_NE(gCompassArrow, nullptr);
    ASSERT_NE(gArrowObject, nullptr);
    EXPECT_NE(gCompassArrow->polygons[0].material, gArrowObject->polygons[0].material);
    GameObject human{};
    human.controlKind = kControlHuman;
    GameObject computer{};
    computer.controlKind = kControlComputer;
    EXPECT_EQ(GateListFirst(&human), gGateListHead);
    EXPECT_NEAR(gArrowObject->transform.position[1], gGateListHead->centre.y + 5000.0f, 1.0f);
    EXPECT_NEAR(gArrowObject->transform.position[0], gGateListHead->centre.x, 1.0f);
    GateRecord* second = GateListNext(gGateListHead, &computer);
    EXPECT_NEAR(gArrowObject->transform.position[0], gGateListHead->centre.x, 1.0f);
    EXPECT_EQ(GateListNext(gGateListHead, &human), second);
    EXPECT_NEAR(gArrowObject->transform.position[0], second->centre.x, 1.0f);

    ExitAndCheck();
    Unload();
  }
}

TEST_F(CourseSetup, DerbyPlacesWaypointMarkersAndStartsNearARandomGate) {
  Level(3, kModeDerby);
  ASSERT_EQ(GameModeInit(&view), 0);
  ASSERT_GT(GateCount(), 0);
  EXPECT_EQ(gMarkersLeft, GateCount());
  ExpectMarkers(2700.0f, 0x10u);
  for (GateRecord* g = gGateListHead; g; g = g->next) {
    for (int32_t p = 0; p < g->markerA->polygonCount; ++p) {
      EXPECT_EQ(g->markerA->polygons[p].material, gtheBlackMaterial);
    }
  }
  ExpectStartGate();
  ExitAndCheck();
}

TEST_F(CourseSetup, TreasureHuntsPlaceDollarsWithTheLinearFinishOrARoamingStart) {
  Level(1, kModeTreasureLinear);
  ASSERT_EQ(GameModeInit(&view), 0);
  EXPECT_EQ(gMarkersLeft, GateCount());
  ExpectMarkers(1200.0f, 0x90u);
  GateRecord* last = Tail();
  EXPECT_NEAR(last->markerA->transform.position[1], last->centre.y + 2000.0f, 1.0f);
  EXPECT_EQ(gStartGate, nullptr);
  EXPECT_NEAR(gStartTransform.position[0], gCourseData->startGatePosition.x, 0.5f);
  ExpectStartFacing(gGateListHead->centre);
  ExitAndCheck();

  gGameMode = kModeTreasureRoam;
  ASSERT_EQ(GameModeInit(&view), 0);
  ExpectMarkers(1200.0f, 0x10u);
  ExpectStartGate();
  ExitAndCheck();
}

TEST_F(CourseSetup, TheDollarPicturesTradeNamesAfterTenLaunches) {
  Level(1, kModeTreasureRoam);
  for (int32_t launches : {10, 11}) {
    gSettings.launchCount = launches;
    ASSERT_EQ(GameModeInit(&view), 0);
    const int32_t first = wre_TextureFindByFile("dollar02.bmp");
    const int32_t second = wre_TextureFindByFile("dollar03.bmp");
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    // The list loads dollar02 first, into the lower slot.
    EXPECT_EQ(first < second, launches == 10);
    EXPECT_EQ(gSettings.launchCount, launches == 10 ? 10 : 0);
    ExitAndCheck();
  }
}

TEST_F(CourseSetup, OddRallyCoursesLoseTheirLastWaypointAndDerbyTakesEveryStepthOne) {
  OwnCourses();
  Level(kOwnCourseLevel, kModeRally);
  ASSERT_EQ(GameModeInit(&view), 0);
  ASSERT_EQ(GateCount(), 2);  // five waypoints: two pairs, the second the finish
  EXPECT_NE(Tail()->markerB, nullptr);
  EXPECT_NE(Tail()->finishObject, nullptr);
  ExitAndCheck();

  gGameMode = kModeDerby;
  ASSERT_EQ(GameModeInit(&view), 0);
  // Ten waypoints with step 3: waypoints 0, 3, 6 and 9.
  ASSERT_EQ(GateCount(), 4);
  EXPECT_EQ(gMarkersLeft, 4);
  const CourseWaypoint* w = gCourseData->waypoints;
  for (GateRecord* g = gGateListHead; g; g = g->next) {
    EXPECT_NEAR(g->centre.x, w->position.x, 0.5f);
    for (int i = 0; i < 3 && w; ++i) w = w->next;
  }
  EXPECT_EQ(gStartGate, gGateListHead);  // 0 or 32 steps round four gates
  ExitAndCheck();
}

// A missing finish model fails nothing: the set-up goes on without it and notes no failed file.
TEST_F(CourseSetup, RallyWithoutTheArchKeepsTheBuoyWidthAndIsStillARing) {
  Level(0, kModeRally);
  {
    const SetAside arch("data/gameplay/rally/finish_line.c4d");
    wre_FileFailedClear();
    ASSERT_EQ(GameModeInit(&view), 0);
  }
  EXPECT_STREQ(wre_FileFailed(), "");
  GateRecord* last = Tail();
  EXPECT_EQ(last->finishObject, nullptr);
  EXPECT_NEAR(last->halfWidth, Horizontal(last->markerA->transform.position, last->markerB->transform.position) / 2,
              0.5f);
  EXPECT_EQ(gGateListHead->prev, last);
  ExitAndCheck();

  // The linear hunt's last dollar stays in place of its finish.
  gGameMode = kModeTreasureLinear;
  {
    const SetAside finish("data/gameplay/treasure/finish_line.c4d");
    wre_FileFailedClear();
    ASSERT_EQ(GameModeInit(&view), 0);
  }
  EXPECT_STREQ(wre_FileFailed(), "");
  ExpectMarkers(1200.0f, 0x10u);
  ExitAndCheck();
}

TEST_F(CourseSetup, WithoutWaterTheSetUpFailsAndTheExitStillCleansUp) {
  Level(0, kModeDerby, false);
  EXPECT_EQ(GameModeInit(&view), -1);
  ExitAndCheck();
  // The failure lies in no file: the buoy's missing detail frame before it is not noted.
  gGameMode = kModeRally;
  {
    const SetAside frame("data/gameplay/rally/bouy05.c4d");
    wre_FileFailedClear();
    EXPECT_EQ(GameModeInit(&view), -1);
  }
  EXPECT_STREQ(wre_FileFailed(), "");
  ExitAndCheck();
  gGameMode = kModeRallyVariant;
  EXPECT_EQ(GameModeInit(&view), -1);
  EXPECT_EQ(GameModeExit(&view), -1);
}

TEST_F(CourseSetup, CourseFoldersAndNames) {
  EXPECT_EQ(CourseFolderSelect(10), kCourseErrLevel);
  EXPECT_EQ(CourseNamesRead(nullptr, 0), kWreErrNull);
  char names[kCourseNameSlots][kCourseNameSize] = {};
  ASSERT_EQ(CourseNamesRead(names, 2), 0);
  EXPECT_STREQ(names[0], "Bermuda Rally 1");
  EXPECT_STREQ(names[14], "Bermuda Derby 5");
}

TEST_F(CourseSetup, TheArrowBobsFiveUpFiveDownAndFlashesEverySixTicks) {
  EngineObject* a = nullptr;
  EngineObject* b = nullptr;
  ASSERT_EQ(wre_ObjectNewGrid(1, 1, 10.0f, 0, -1, kObjectMesh, &a, 0, 255.0f), 0);
  ASSERT_EQ(wre_ObjectNewGrid(1, 1, 10.0f, 0, -1, kObjectMesh, &b, 0, 255.0f), 0);
  ASSERT_EQ(wre_ObjectNewGrid(1, 1, 10.0f, 0, -1, kObjectMesh, &gArrowObject, 0, 255.0f), 0);
  wre_ObjectSetTransform(a, 0, 0, 0, 1000.0f, 200.0f, 0.0f);
  wre_ObjectSetTransform(b, 0, 0, 0, 3000.0f, 400.0f, 0.0f);
  GateRecord gate{};
  gate.markerA = a;
  gate.markerB = b;
  gArrowObject->gameWords[kGameWordArrowMaterial] = reinterpret_cast<void*>(intptr_t{gtheRedMaterial});
  ArrowPlaceAtGate(&gate);
  float y = 5300.0f;
  EXPECT_FLOAT_EQ(gArrowObject->transform.position[1], y);
  const float steps[] = {500, 500, 500, 500, 500, -500, -500, -500, -500, -500, 500};
  for (float step : steps) {
    ArrowBobProcess(&view);
    y += step;
    EXPECT_FLOAT_EQ(gArrowObject->transform.position[1], y);
  }
  // Own material first, then white once more than five ticks have passed.
  gEngineTick = 1000;
  ArrowBobProcess(&view);
  EXPECT_EQ(gArrowObject->polygons[0].material, gtheRedMaterial);
  gEngineTick = 1006;  // more than five ticks on
  ArrowBobProcess(&view);
  EXPECT_EQ(gArrowObject->polygons[0].material, gtheWhiteMaterial);
  for (EngineObject* o : {a, b, gArrowObject}) wre_ObjectDispose(o);
  gArrowObject = nullptr;
}

}  // namespace
