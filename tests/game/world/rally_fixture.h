// The craft fixture with every sample level written and the process list running, for tests that
// race a rally course tick by tick: a course set up as the game sets up a race (level, water, game
// mode, route, racers on their grid) and taken down again in the game's order.
#pragma once
#include <gtest/gtest.h>

#include "engine/core/process.h"
#include "engine/core/random.h"
#include "game/race/game_modes.h"
#include "game/state/race_state.h"
#include "game/world/course_route.h"
#include "game/world/game_objects.h"
#include "game/world/gate_list.h"
#include "game/world/level_load.h"
#include "game/world/water_surface.h"
#include "game/world/watercraft.h"
#include "tests/game/world/craft_fixture.h"

class RallyFixture : public CraftFixture {
 public:
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

  // The rally course raced with the settings as they stand; the gate count in `gates`.
  void StartRally(int32_t level, int32_t course, uint32_t seed, int* gates) {
    gLevel = level;
    gCourse = course;
    gGameMode = kModeRally;
    gCountdownActive = 0;
    wre_RandomSeed(seed);
    WaterworksReset(&view);
    ASSERT_EQ(LevelLoad(&view), 0);
    ASSERT_EQ(WaterworksStart(&view, 0.0f, 0.0f, 0), 0);
    ASSERT_EQ(GameModeInit(&view), 0);
    *gates = 0;
    for (GateRecord* g = gGateListHead; g; g = g->next) ++*gates;
    ASSERT_GE(*gates, 2);
    gRaceActive = 0;
    ASSERT_EQ(RouteSetup(&view), 0);
    gRaceActive = 1;
    ASSERT_EQ(GameObjectListStart(), 0);
    ASSERT_EQ(RacersCreate(&view), 0);
    wre_ProcessListResetTicks();
  }
  void EndRally() {
    RacersDestroy(&view);
    GameObjectListStop(&view);
    RouteTeardown();
    GameModeExit(&view);
    WaterworksExit(&view);
    ASSERT_EQ(LevelUnload(&view), 0);
  }
};
