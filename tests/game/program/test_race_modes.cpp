// Whole demo races of every mode with five opponents, every racer computer-driven, run headless
// through the harness from set-up to the result screen and watched every race frame: the mode's
// bookkeeping, the end rules, the engine's tables, what is heard, and a golden trace of the crafts.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "engine/core/object.h"
#include "engine/core/random.h"
#include "engine/core/timer.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "game/menus/menu_shell.h"
#include "game/state/game_view.h"
#include "game/state/laps_table.h"
#include "game/state/level_names.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/world/course_route.h"
#include "game/world/finish_order.h"
#include "game/world/game_object.h"
#include "game/world/gate_list.h"
#include "game/world/route_generate.h"
#include "game/world/watercraft.h"
#include "platform/plat_input.h"
#include "platform/test/plat_cdaudio.h"
#include "tests/game/harness/game_harness.h"

namespace {

constexpr int32_t kTicksPerFrame = 12;  // a divisor of every race interval, and at most 24
constexpr uint32_t kTraceTicks = 60;
constexpr int kTableLimit = 128;
constexpr uint32_t kPauseAt = 600, kPauseTicks = 300;

// Golden traces: the FNV-1a hash of every craft's quantised state each 60 race ticks of the demo
// race of each mode below (level 0). A change to the simulation, the computer riders or the course
// set-up changes them; when that is intended, run the test, check the races still look right, and
// copy the hashes it reports into this table.
constexpr uint64_t kGoldenTrace[4] = {0x81580d9e77955a12, 0xd505359097b99ee4, 0xd255e81b8890dcc9, 0x3df4f53c894561f8};

void Mix(uint64_t* hash, int64_t value) {
  for (int i = 0; i < 8; ++i) {
    *hash ^= static_cast<uint8_t>(value >> (8 * i));
    *hash *= 1099511628211ull;
  }
}

// Position to a unit, yaw to a sixteenth of the angle circle, and the race state.
void TraceCrafts(uint64_t* hash) {
  for (int slot = 0; slot < kRacerSlots; ++slot) {
    const Watercraft* craft = gCraftByIndex[slot];
    if (!craft || !craft->craftObject) continue;
    const Transform& t = craft->craftObject->transform;
    for (float p : t.position) Mix(hash, static_cast<int64_t>(p));
    Mix(hash, t.angleY >> 8);
    Mix(hash, craft->score);
    Mix(hash, craft->laps);
  }
}

int Used(int count, auto inUse) {
  int n = 0;
  for (int i = 0; i < count; ++i) n += inUse(i);
  return n;
}

int SumScores() {
  int sum = 0;
  for (Watercraft* craft : gCraftByIndex) sum += craft ? craft->score : 0;
  return sum;
}

int Logged(const std::string& fragment, const char* event = "play") {
  int n = 0;
  for (const auto& entry : GameHarness::SoundLog())
    n += entry.event == event && entry.label.find(fragment) != std::string::npos;
  return n;
}

// What one race showed: the first broken rule, the end, the result and the trace.
struct RaceRecord {
  int result = -1;
  std::string fault;  // the first rule found broken, with its race tick
  int samples = 0, generationFrames = 0;
  int placed = 0;  // treasure: dollars on the course at the start
  uint32_t endElapsed = 0, endSinceFirstStart = 0;
  int32_t markersLeftAtEnd = 0;
  bool playerFinished = false, timedOut = false, playerScored = false;
  std::vector<const Watercraft*> finishOrder;
  int32_t playerLaps = 0, lapCount = 0, place = -1, playerSlotInOrder = -1;
  int32_t course = -1;           // the course raced
  int32_t playerDollars = 0;     // treasure: dollars the player holds at the end, the finish not counted
  int maxTextures = 0, maxMaterials = 0;
  bool cdPlayingInRace = false;
  uint64_t trace = 14695981039346656037ull;
};

// A treasure race on one course of the mode's five: the draw that picks it is the first after the
// race's selection, so the seed set there decides it.
struct TreasureCourse {
  int32_t course = -1;  // -1: drawn as usual
  int32_t opponents = 5;
  uint32_t endAfterClaim = 0;  // ticks after the first claimed dollar to quit; 0: race to the end
};

uint32_t SeedDrawing(uint32_t wanted) {
  for (uint32_t seed = 1;; ++seed) {
    wre_RandomSeed(seed);
    if (wre_Random() % 5 == wanted) return seed;
  }
}

class RaceWatcher {
 public:
  RaceWatcher(int32_t mode, int32_t level, uint32_t tickCap, bool pause, TreasureCourse treasure = {})
      : mode_(mode), level_(level), cap_(tickCap), pause_(pause), treasure_(treasure) {}

  RaceRecord Run() {
    GameHarness harness;
    harness.SeedSettings(kRendererSoftware);
    harness.TicksPerFrame(kTicksPerFrame);
    plat_TestCdReset();
    harness.EachFrame([this](int) { Frame(); });
    // The result screen waits for a key once the race is over.
    harness.EachPump([] {
      if (gRaceOver && gRaceFinished) GameHarness::TypeText("a");
    });
    rec_.result = harness.RunRace(
        [this] {
          gGameMode = mode_;
          gLevel = level_;
          gCourse = 0;  // rally; the other modes draw their course
          gSettings.opponentCount = treasure_.opponents;
          gDemoMode = 1;
          if (treasure_.course >= 0) {
            gCourse = 5;  // light and water that draw nothing at random
            wre_RandomSeed(SeedDrawing(static_cast<uint32_t>(treasure_.course - 5)));
          }
        },
        [this] {
          rec_.place = gPlayerPlace;
          gDemoMode = 0;
        });
    return rec_;
  }

 private:
  void Fault(const std::string& what) {
    if (rec_.fault.empty()) rec_.fault = what + " at race tick " + std::to_string(gEngineTick - gRaceStartTick);
  }

  void Frame() {
    if (gRouteProgressFrame) ++rec_.generationFrames;
    if (!RaceActiveGet() || !gCraftByIndex[0]) return;
    if (firstStart_ == 0) {
      firstStart_ = gRaceStartTick;
      for (GateRecord* gate = gGateListHead; gate; gate = gate->next) ++rec_.placed;
      rec_.lapCount = gLapCount;
      rec_.course = gCourse;
    }
    const uint32_t elapsed = gEngineTick - gRaceStartTick;
    if (gRaceOver) {
      if (rec_.endElapsed == 0) End(elapsed);
      return;
    }
    ++rec_.samples;
    rec_.playerScored = rec_.playerScored || gCraftByIndex[0]->score > 0 || gCraftByIndex[0]->laps > 0;
    Check();
    if (elapsed / kTraceTicks != lastTrace_) {
      lastTrace_ = elapsed / kTraceTicks;
      TraceCrafts(&rec_.trace);
    }
    rec_.cdPlayingInRace = plat_TestCdLog()->plays == 1 && plat_TestCdLog()->stops == 0;
    if (pause_) Pause(elapsed);
    if (treasure_.endAfterClaim > 0 && firstClaim_ == 0 && SumScores() > 0) firstClaim_ = elapsed;
    if (firstClaim_ > 0 && elapsed > firstClaim_ + treasure_.endAfterClaim) gQuitRequested = 1;
    if (elapsed > cap_) {
      rec_.timedOut = true;
      gQuitRequested = 1;
    }
  }

  // 'P' held for a frame, and again 300 ticks later.
  void Pause(uint32_t elapsed) {
    const uint32_t now = gEngineTick;
    switch (pauseStage_) {
      case 0:
        if (elapsed < kPauseAt) return;
        pauseTick_ = now;
        GameHarness::HoldKey('P', true);
        break;
      case 1:
        GameHarness::HoldKey('P', false);
        if (!gPaused) Fault("not paused");
        pausedRaceTime_ = elapsed;
        break;
      case 2:
        if (now < pauseTick_ + kPauseTicks) return;
        if (!gPaused) Fault("the pause ended early");
        GameHarness::HoldKey('P', true);
        break;
      case 3:
        GameHarness::HoldKey('P', false);
        if (gPaused) Fault("not resumed");
        // Only the frames around the two presses ran the clock.
        if (elapsed > pausedRaceTime_ + 3 * kTicksPerFrame) Fault("the pause ran the race clock");
        break;
      default: return;
    }
    ++pauseStage_;
  }

  void Check() {
    rec_.maxTextures = std::max(rec_.maxTextures,
                                Used(gTextureCount, [](int i) { return (gTextureTable[i].flags & kTextureInUse) != 0; }));
    rec_.maxMaterials = std::max(rec_.maxMaterials, Used(gMaterialCount, [](int i) { return gMaterialTable[i].inUse != 0; }));
    int held = 0;
    for (GateRecord* gate = gGateListHead; gate; gate = gate->next) {
      if (gate->holder < 0) continue;
      ++held;
      const bool finishMarker = mode_ == kModeTreasureLinear && (gate->flags & kGateLast);
      if (GameModeIsTreasure(mode_) && !finishMarker && gate->markerA && (gate->markerA->status & kStatusActive))
        Fault("a claimed dollar still collides");
    }
    if (GameModeIsTreasure(mode_) && SumScores() + gMarkersLeft != rec_.placed)
      Fault("scores " + std::to_string(SumScores()) + " + dollars left " + std::to_string(gMarkersLeft) +
            " != placed " + std::to_string(rec_.placed));
    if (mode_ == kModeDerby && SumScores() != held)
      Fault("scores " + std::to_string(SumScores()) + " != held waypoints " + std::to_string(held));
    std::set<const Watercraft*> finished(gFinishOrder, gFinishOrder + gFinishCount);
    if (static_cast<int>(finished.size()) != gFinishCount) Fault("a racer finished twice");
  }

  void End(uint32_t elapsed) {
    rec_.endElapsed = elapsed;
    rec_.endSinceFirstStart = gEngineTick - firstStart_;
    rec_.markersLeftAtEnd = gMarkersLeft;
    rec_.playerFinished = !(gCraftByIndex[0]->flags & kCraftRacing);
    rec_.finishOrder.assign(gFinishOrder, gFinishOrder + gFinishCount);
    rec_.playerLaps = gCraftByIndex[0]->laps;
    rec_.playerScored = rec_.playerScored || gCraftByIndex[0]->score > 0 || gCraftByIndex[0]->laps > 0;
    for (GateRecord* gate = gGateListHead; gate; gate = gate->next)
      rec_.playerDollars += gate->holder == 0 && !(gate->flags & kGateLast);
    rec_.playerSlotInOrder = -1;
    for (int i = 0; i < gFinishCount; ++i)
      if (gFinishOrder[i] == gCraftByIndex[0]) rec_.playerSlotInOrder = i;
  }

  int32_t mode_, level_;
  uint32_t cap_;
  bool pause_;
  TreasureCourse treasure_;
  RaceRecord rec_;
  uint32_t firstStart_ = 0, lastTrace_ = ~0u, firstClaim_ = 0;
  int pauseStage_ = 0;
  uint32_t pauseTick_ = 0, pausedRaceTime_ = 0;
};


constexpr uint32_t kRallyCap = 4 * 10800;  // far beyond any lap count on the sample courses

std::string ModeName(const ::testing::TestParamInfo<int32_t>& info) {
  static const char* names[] = {"Rally", "TreasureLinear", "TreasureRoam", "Derby"};
  return names[info.param];
}

class DemoRaceOfEachMode : public ::testing::TestWithParam<int32_t> {};

TEST_P(DemoRaceOfEachMode, RunsFromSetUpToTheResultScreenKeepingItsBooks) {
  const int32_t mode = GetParam();
  const RaceRecord rec = RaceWatcher(mode, 0, kRallyCap, mode == kModeDerby).Run();
  EXPECT_EQ(rec.result, 0);
  EXPECT_TRUE(gRaceFinished);
  EXPECT_FALSE(rec.timedOut);
  EXPECT_EQ(rec.fault, "");
  EXPECT_GT(rec.samples, mode == kModeTreasureLinear ? 10 : 50);  // the player may take the finish early
  EXPECT_GT(rec.generationFrames, 0);  // the first race of the course makes its route
  EXPECT_LE(rec.maxTextures, kTableLimit);
  EXPECT_LE(rec.maxMaterials, kTableLimit);
  EXPECT_GT(rec.maxTextures, 0);
  std::set<const Watercraft*> unique(rec.finishOrder.begin(), rec.finishOrder.end());
  EXPECT_EQ(unique.size(), rec.finishOrder.size());
  if (mode == kModeRally) {
    EXPECT_GE(rec.playerLaps, rec.lapCount);
    EXPECT_GT(rec.lapCount, 0);
    EXPECT_EQ(rec.place, rec.playerSlotInOrder);
  }
  // A treasure race that the player did not end, with dollars left, and a derby run to the limit.
  if (mode == kModeDerby || (GameModeIsTreasure(mode) && rec.markersLeftAtEnd > 0 && !rec.playerFinished)) {
    EXPECT_GE(rec.endElapsed, 10801u);
    EXPECT_LE(rec.endElapsed, 10860u);
  }
  if (mode == kModeDerby) {
    EXPECT_GE(rec.endSinceFirstStart, 10801u + kPauseTicks);  // the pause was not race time
  }
  // Heard: the motors, the player's pickups, the level's track for the race only, one result voice.
  EXPECT_GE(Logged("motor", "loop"), kRacerSlots);
  EXPECT_GE(Logged("motor", "stop"), kRacerSlots);
  EXPECT_GE(Logged("motor", "frequency"), kRacerSlots);
  // Only the player's claims are heard.
  const char* pickup = mode == kModeRally ? "claim" : mode == kModeDerby ? "derby_hit" : "coin_hit";
  EXPECT_EQ(Logged(pickup) > 0, rec.playerScored) << pickup;
  EXPECT_TRUE(rec.cdPlayingInRace);
  EXPECT_EQ(plat_TestCdLog()->plays, 1);
  EXPECT_GE(plat_TestCdLog()->stops, 1);
  EXPECT_EQ(Logged("first_place") + Logged("nice_try"), 1);
  EXPECT_EQ(rec.trace, kGoldenTrace[mode]) << "golden trace of mode " << mode << ": 0x" << std::hex << rec.trace;
  std::cout << "mode " << mode << " ended after " << rec.endElapsed << " ticks, place " << rec.place << ", markers left "
            << rec.markersLeftAtEnd << ", trace 0x" << std::hex << rec.trace << std::dec << "\n";
}

INSTANTIATE_TEST_SUITE_P(Modes, DemoRaceOfEachMode,
                         ::testing::Values(kModeRally, kModeTreasureLinear, kModeTreasureRoam, kModeDerby), ModeName);

// Every level's first rally course, raced by computer riders only, ends with the player's last lap.
class DemoRallyOnEveryLevel : public ::testing::TestWithParam<int32_t> {};

TEST_P(DemoRallyOnEveryLevel, Finishes) {
  const RaceRecord rec = RaceWatcher(kModeRally, GetParam(), kRallyCap, false).Run();
  EXPECT_EQ(rec.result, 0);
  EXPECT_FALSE(rec.timedOut) << "no finish within " << kRallyCap << " ticks";
  EXPECT_TRUE(gRaceFinished);
  EXPECT_GE(rec.playerLaps, rec.lapCount);
}

INSTANTIATE_TEST_SUITE_P(Levels, DemoRallyOnEveryLevel, ::testing::Range(0, kLevelCount),
                         [](const ::testing::TestParamInfo<int32_t>& info) { return std::string(LevelWord(info.param)); });

// The linear hunt on every treasure course of every level that offers it runs from the start to a
// finish far from it: the demo rider (with one opponent, so that the race lays a route) takes
// dollars on the way and ends the race no sooner than 40 seconds in. The roaming hunt on the same
// courses still starts and its dollars are taken.
struct CourseOfLevel {
  int32_t level, course;
};

std::vector<CourseOfLevel> OneLapTreasureCourses() {
  std::vector<CourseOfLevel> all;
  for (int32_t level = 0; level < kLevelCount; ++level)
    if (kLapsTable[level][0] == 1)
      for (int32_t course = 5; course < 10; ++course) all.push_back({level, course});
  return all;
}

std::string CourseOfLevelName(const ::testing::TestParamInfo<CourseOfLevel>& info) {
  return std::string(LevelWord(info.param.level)) + "_" + std::to_string(info.param.course);
}

constexpr uint32_t kLinearLeastTicks = 2392;  // 40 seconds

class TreasureCourseOfOneLapLevel : public ::testing::TestWithParam<CourseOfLevel> {};

TEST_P(TreasureCourseOfOneLapLevel, LinearHuntRunsToAFarFinish) {
  const auto [level, course] = GetParam();
  const RaceRecord rec = RaceWatcher(kModeTreasureLinear, level, 10800 + 600, false, {course, 1, 0}).Run();
  ASSERT_EQ(rec.result, 0);
  ASSERT_EQ(rec.course, course);
  EXPECT_EQ(rec.fault, "");
  EXPECT_TRUE(rec.playerFinished) << "no finish in " << rec.endElapsed << " ticks";
  EXPECT_GE(rec.playerDollars, 1);
  EXPECT_GE(rec.endElapsed, kLinearLeastTicks);
  std::cout << LevelWord(level) << " course " << course << ": finish at " << rec.endElapsed << " ticks, "
            << rec.playerDollars << " of " << rec.placed - 1 << " dollars\n";
}

TEST_P(TreasureCourseOfOneLapLevel, RoamingHuntStillRuns) {
  const auto [level, course] = GetParam();
  const RaceRecord rec = RaceWatcher(kModeTreasureRoam, level, 3000, false, {course, 5, 60}).Run();
  ASSERT_EQ(rec.result, 0);
  ASSERT_EQ(rec.course, course);
  EXPECT_EQ(rec.fault, "");
  EXPECT_FALSE(rec.timedOut) << "no dollar taken in 3000 ticks";
}

INSTANTIATE_TEST_SUITE_P(OneLapLevels, TreasureCourseOfOneLapLevel, ::testing::ValuesIn(OneLapTreasureCourses()),
                         CourseOfLevelName);

// The second race of a course reads the route the first one generated and wrote.
TEST(RaceRoute, TheSecondRaceOfACourseReadsTheRouteFileTheFirstWrote) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  harness.TicksPerFrame(kTicksPerFrame);
  int generation[2] = {}, raceFrames = 0;
  int race = 0;
  harness.EachFrame([&](int) {
    if (gRouteProgressFrame) ++generation[race];
    if (RaceActiveGet() && gCraftByIndex[0] && ++raceFrames % 5 == 0) gQuitRequested = 1;
  });
  const int result = harness.RunRaces(
      2,
      [&](int index) {
        race = index;
        gGameMode = kModeRally;
        gLevel = 0;
        gCourse = 1;
        gSettings.opponentCount = 5;
      },
      [&](int) { EXPECT_FALSE(gRouteLoaded); });
  EXPECT_EQ(result, 0);
  EXPECT_GT(generation[0], 0);
  EXPECT_EQ(generation[1], 0);
}

}  // namespace
