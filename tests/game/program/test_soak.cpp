// A long session as a player has it: ten races back to back across the modes and the levels, each
// started and ended as the front end does (menu resources released, the race, the menu resources
// loaded again), in one run of the program. Whatever the engine holds once back in the menus after
// a race must be what it held after the first; the sanitizer build adds leaks and undefined
// behaviour to what this run catches.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/core/light.h"
#include "engine/core/object.h"
#include "engine/core/test/census.h"
#include "engine/core/world.h"
#include "engine/data/material.h"
#include "engine/data/sound.h"
#include "engine/data/texture.h"
#include "game/menus/menu_shell.h"
#include "game/race/race_driver.h"
#include "game/state/game_view.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "tests/game/harness/game_harness.h"

namespace {

constexpr int kRaces = 10;
constexpr int kRaceFrames = 120;   // a race is quit after this many frames unless it ends sooner
constexpr int kTicksPerFrame = 12;  // a divisor of every race interval, and at most 24

// Every table the engine keeps, counted.
struct Census {
  int materials = 0, textures = 0, objects = 0, gridMeshes = 0, lights = 0, sounds = 0, processes = 0,
      blocks = 0;
  bool operator==(const Census&) const = default;
};

void PrintTo(const Census& c, std::ostream* out) {
  *out << "materials " << c.materials << ", textures " << c.textures << ", objects " << c.objects
       << ", grid meshes " << c.gridMeshes << ", lights " << c.lights << ", sounds " << c.sounds
       << ", processes " << c.processes << ", memory blocks " << c.blocks;
}

Census Count() {
  Census c;
  for (int i = 0; i < gMaterialCount; ++i) c.materials += gMaterialTable[i].inUse != 0;
  for (int i = 0; i < gTextureCount; ++i) c.textures += (gTextureTable[i].flags & kTextureInUse) != 0;
  for (const EngineObject* o = gView->world->objects; o; o = o->next) ++c.objects;
  for (const EngineObject* o = gView->world->gridMeshes; o; o = o->next) ++c.gridMeshes;
  for (const Light* l = gView->world->lights; l; l = l->next) ++c.lights;
  for (int slot = 0; slot < 256; ++slot) c.sounds += wre_SoundGetSlot(slot) != nullptr;
  c.processes = wre_TestProcessCount();
  c.blocks = wre_TestLiveBlockCount();
  return c;
}

struct Race {
  int32_t mode, level, course, opponents, demo;
};

// Every mode and every level once; the player's craft is left idle or driven by the demo driver.
// Rally runs only where the computer riders pass their gates, and every race is cut short anyway.
constexpr Race kSession[kRaces] = {
    {kModeDerby, 0, 10, 5, 1},          {kModeRally, 1, 0, 5, 1},           {kModeTreasureLinear, 2, 5, 5, 1},
    {kModeTreasureRoam, 3, 5, 3, 0},    {kModeRally, 4, 1, 5, 0},           {kModeDerby, 5, 11, 5, 1},
    {kModeRally, 6, 2, 5, 1}       ,    {kModeDerby, 7, 12, 0, 0},          {kModeTreasureRoam, 8, 6, 5, 1},
    {kModeRally, 9, 3, 5, 1},
};

TEST(Soak, TenRacesBackToBackLeaveTheEngineHoldingWhatItHeldAfterTheFirst) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  harness.TicksPerFrame(kTicksPerFrame);
  int frames = 0, pumps = 0;
  harness.EachFrame([&](int) {
    if (RaceActiveGet() && ++frames == kRaceFrames) gQuitRequested = 1;
  });
  // A race that ends on its own holds its result screen until a key.
  harness.EachPump([&] {
    if (RaceActiveGet() && gRaceOver && ++pumps % 90 == 0) GameHarness::TypeText("a");
  });
  std::vector<Census> after;
  std::vector<int> results;
  harness.AtFrame(1, [&] {
    for (const Race& race : kSession) {
      MenuResourcesUnload();
      gGameMode = race.mode;
      gLevel = race.level;
      gCourse = race.course;
      gSettings.opponentCount = race.opponents;
      gDemoMode = race.demo;
      gQuitRequested = 0;
      frames = pumps = 0;
      RaceActiveSet(1);
      results.push_back(RaceRun(gView));
      RaceActiveSet(0);
      gDemoMode = 0;
      MenuResourcesLoad();
      after.push_back(Count());
    }
    GameHarness::RequestQuit();
  });
  EXPECT_EQ(harness.Run(), 0);
  ASSERT_EQ(after.size(), static_cast<size_t>(kRaces));
  for (int i = 0; i < kRaces; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(results[i], 0);
    EXPECT_EQ(after[i], after[0]);
  }
}

}  // namespace
