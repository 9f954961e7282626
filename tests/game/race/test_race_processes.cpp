// The race's processes: which are installed in each mode and in what order, the end rules of each
// mode, and the start countdown's timeline, self-removal and catch-up.
#include <gtest/gtest.h>

#include <vector>

#include "engine/core/memory.h"
#include "engine/core/process.h"
#include "engine/core/timer.h"
#include "game/race/race_processes.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/game_object.h"
#include "game/world/gate_arrow.h"
#include "game/world/gate_list.h"
#include "game/world/player_control.h"
#include "game/world/scenery.h"
#include "game/world/water_surface.h"
#include "game/world/watercraft.h"
#include "platform/plat_backend.h"
#include "platform/test/plat_time.h"

namespace {

void Marker() {}

class RaceProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestClockReset();
    wre_MemoryInit();
    wre_TimerInit();
    gSettings = Settings{};
    gRaceOver = gRaceFinished = 0;
    ASSERT_EQ(wre_ProcessListInit(), 0);
    // A node ahead of everything, to walk the list from.
    ASSERT_EQ(wre_ProcessCreate(Marker, &head_, 1), 0);
    gate_ = GateRecordNew();  // the marker starts need a gate
    GateListAppend(gate_, &gGateListHead);
    craft_.flags = kCraftRacing;
    player_.craft = &craft_;
    view_.player = &player_;
  }
  void TearDown() override {
    wre_ProcessListExit(1);
    GateRecordFree(&gate_);
    gGateListHead = nullptr;
  }
  // Sets the tick and runs the list as the race loop does.
  static void RunAt(uint32_t tick) {
    gEngineTick = tick;
    wre_ProcessListRun(12, 1);
  }

  ProcessNode* head_ = nullptr;
  GateRecord* gate_ = nullptr;
  Watercraft craft_{};
  GameObject player_{};
  ViewComponents view_{};
};

template <typename F>
ProcessCallback As(F f) {
  return reinterpret_cast<ProcessCallback>(f);
}

TEST_F(RaceProcesses, EachModeInstallsItsRowsInOrderAndRestartsTheClock) {
  struct Row {
    ProcessCallback callback;  // null: an internal trampoline
    int32_t kind;
    uint32_t interval;
  };
  const Row player{As(PlayerControlProcess), 102, 2}, pump{nullptr, 100, 20}, end{As(EndOfRaceCheck), 102, 60},
      arrow{As(ArrowBobProcess), 102, 2}, water{As(WaterworksUpdate), 102, 1}, sound{nullptr, 102, 20},
      scroll{As(WaterScrollProcess), 100, 2}, bob{As(MarkerBobProcess), 102, 1}, floater{As(FloaterProcess), 102, 1},
      spin{As(MarkerSpinProcess), 100, 1};
  const std::vector<Row> rally{player, pump, end, arrow, water, sound, scroll, bob, floater},
      treasure{player, pump, end, water, sound, scroll, floater, spin},
      derby{player, pump, end, water, sound, scroll, floater};
  for (const auto& [mode, expected] : {std::pair{kModeRally, rally}, std::pair{kModeRallyVariant, rally},
                                       std::pair{kModeTreasureLinear, treasure},
                                       std::pair{kModeTreasureRoam, treasure}, std::pair{kModeDerby, derby}}) {
    SCOPED_TRACE(mode);
    wre_ProcessListExit(1);
    ASSERT_EQ(wre_ProcessListInit(), 0);
    ASSERT_EQ(wre_ProcessCreate(Marker, &head_, 1), 0);
    gGameMode = mode;
    plat_TestClockAdvanceMicroseconds(1000000);
    EXPECT_EQ(RaceProcessesInstall(&view_), 0);
    EXPECT_EQ(gRaceStartTick, gEngineTick);
    size_t i = 0;
    for (const ProcessNode* node = head_->next; node; node = node->next, ++i) {
      ASSERT_LT(i, expected.size());
      EXPECT_EQ(node->kind, expected[i].kind) << i;
      EXPECT_EQ(node->interval, expected[i].interval) << i;
      EXPECT_TRUE(!expected[i].callback || node->callback == expected[i].callback) << i;
      EXPECT_EQ(node->lastTick, gEngineTick) << i;  // every interval counts from the restart
    }
    EXPECT_EQ(i, expected.size());
  }
}

TEST_F(RaceProcesses, EndRulesOfEachMode) {
  // Rally: laps alone, paused or not.
  gGameMode = kModeRally;
  gLapCount = 3;
  craft_.laps = 2;
  gPaused = 1;
  EndOfRaceCheck(&view_);
  EXPECT_FALSE(gRaceOver);
  craft_.laps = 3;
  EndOfRaceCheck(&view_);
  EXPECT_TRUE(gRaceOver && gRaceFinished);

  // Treasure: each of the three tests ends it, none while paused or prompting.
  gGameMode = kModeTreasureRoam;
  gRaceStartTick = 1000;
  gMarkersLeft = 4;
  struct Case {
    uint32_t tick;
    int32_t markers;
    uint8_t flags;
    int32_t paused, prompt;
    bool ends;
  };
  for (const Case& c : {Case{11800, 4, kCraftRacing, 0, 0, false}, Case{11801, 4, kCraftRacing, 0, 0, true},
                        Case{5000, 0, kCraftRacing, 0, 0, true}, Case{5000, 4, 0, 0, 0, true},
                        Case{20000, 0, 0, 1, 0, false}, Case{20000, 0, 0, 0, 1, false}}) {
    gRaceOver = gRaceFinished = 0;
    gEngineTick = c.tick;
    gMarkersLeft = c.markers;
    craft_.flags = c.flags;
    gPaused = c.paused;
    gQuitPrompt = c.prompt;
    EndOfRaceCheck(&view_);
    EXPECT_EQ(gRaceOver == 1 && gRaceFinished == 1, c.ends) << c.tick << " " << c.markers;
  }

  // Derby: the time limit only, counted unsigned across the tick's wrap.
  gGameMode = kModeDerby;
  gPaused = gQuitPrompt = 0;
  gMarkersLeft = 0;
  craft_.flags = 0;
  gRaceStartTick = 0xFFFFFF00u;
  for (auto [tick, ends] : {std::pair{0xFFFFFF00u + 10800u, false}, std::pair{0xFFFFFF00u + 10801u, true}}) {
    gRaceOver = gRaceFinished = 0;
    gEngineTick = tick;
    EndOfRaceCheck(&view_);
    EXPECT_EQ(gRaceOver == 1, ends);
  }
}

TEST_F(RaceProcesses, CountdownRunsThreeSecondsThenRestartsTheClockAndRemovesItself) {
  gEngineTick = gRaceStartTick = 500;
  ASSERT_EQ(CountdownStart(), 0);
  EXPECT_EQ(gCountdownActive, 1);
  EXPECT_EQ(gCountdownSecond, -1);
  ProcessNode* countdown = head_->next;
  ASSERT_NE(countdown, nullptr);
  // A node listed after the countdown still runs in the pass that removes it.
  int afterRuns = 0;
  static int* runs = nullptr;
  runs = &afterRuns;
  ProcessNode* after = nullptr;
  ASSERT_EQ(wre_ProcessCreate([] { ++*runs; }, &after, 1), 0);

  std::vector<int32_t> seconds;
  for (uint32_t tick = 501; tick <= 680; ++tick) {
    RunAt(tick);
    if (seconds.empty() || seconds.back() != gCountdownSecond) seconds.push_back(gCountdownSecond);
    if (tick < 680) {
      EXPECT_EQ(gCountdownActive, 1) << tick;
    }
  }
  EXPECT_EQ(seconds, (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(gCountdownActive, 0);
  EXPECT_EQ(gRaceStartTick, 680u);
  EXPECT_EQ(head_->next, after);  // gone from the list
  EXPECT_EQ(afterRuns, 180);

  // A pass catching up more than a second skips a voice but still ends it.
  gEngineTick = gRaceStartTick = 1000;
  ASSERT_EQ(CountdownStart(), 0);
  RunAt(1001);
  RunAt(1200);
  EXPECT_EQ(gCountdownActive, 0);
  EXPECT_EQ(gRaceStartTick, 1200u);
  EXPECT_EQ(after->next, nullptr);
}

}  // namespace
