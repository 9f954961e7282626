// Computer riders racing a whole lap on the sample tree: on every level each rally course set up by
// its game mode, the route set up, the racers on their grid and the process list run tick by tick;
// every computer racer passes every gate in order and none is stuck on one gate for 1800 ticks.
// A rider that misses a gate's pass zone circles the gate for good, so this holds the tree's gates
// wide enough to be crossed on a slant and its finish arch wider than the buoys it stands over.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/core/object.h"
#include "engine/core/process.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "game/race/game_modes.h"
#include "game/state/level_names.h"
#include "game/state/race_state.h"
#include "game/world/gate_list.h"
#include "game/world/watercraft.h"
#include "tests/game/world/rally_fixture.h"

namespace {

constexpr uint32_t kStallTicks = 1800;
constexpr uint32_t kLapTicks = 60000;
constexpr int32_t kRallyCourses = 5;

using ComputerRace = RallyFixture;

TEST_F(ComputerRace, EveryComputerRacerPassesEveryGateInOrderOnEveryRallyCourseOfEveryLevel) {
  for (int32_t run = 0; run < kLevelCount * kRallyCourses; ++run) {
    const int32_t level = run / kRallyCourses;
    SCOPED_TRACE(std::string(LevelWord(level)) + " course " + std::to_string(run % kRallyCourses + 1));
    gSettings.opponentCount = 5;
    int gateCount = 0;
    ASSERT_NO_FATAL_FAILURE(StartRally(level, run % kRallyCourses, static_cast<uint32_t>(run + 1), &gateCount));

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
    const uint32_t start = gEngineTick;
    bool done = false, stuck = false;
    while (!done && !stuck && gEngineTick - start < kLapTicks) {
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
        if (gEngineTick - p.since > kStallTicks) {
          ADD_FAILURE() << "slot " << craft->racerSlot << " stuck before gate " << p.passed;
          stuck = true;
          break;
        }
        done = done && p.passed >= gateCount;
      }
    }
    EXPECT_TRUE(done);

    EndRally();
  }
}

}  // namespace
