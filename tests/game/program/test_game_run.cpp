// The game program run headless through the harness, from its entry to its end.
#include <gtest/gtest.h>

#include "engine/core/world.h"
#include "engine/core/wre_types.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "game/state/game_view.h"
#include "game/state/prefs.h"
#include "game/state/settings.h"
#include "platform/plat_input.h"
#include "platform/plat_system.h"
#include "platform/test/plat_display.h"
#include "platform/test/plat_system.h"
#include "tests/engine/core/object_test_support.h"
#include "tests/game/harness/dialog_steps.h"
#include "tests/game/harness/game_harness.h"

namespace {

constexpr int kOk = 1, kCancel = 2, kSoftware = 1008;

Settings SavedSettings(const GameHarness& harness) {
  const std::string image = TempDir::Read(harness.SaveFile("prefs.qz"));
  PrefsRead(reinterpret_cast<const uint8_t*>(image.data()), image.size());
  Settings read = gSettings;
  --read.launchCount;  // reading counts a launch
  return read;
}

TEST(GameRun, StartsToTheFirstMenuFrameAndQuitsCleanly) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware, 4);
  object_test::BlockWatch blocks;
  bool looked = false;
  harness.AtFrame(1, [&] {
    looked = true;
    ASSERT_NE(gView, nullptr);
    const Camera* camera = gView->camera;
    EXPECT_EQ(camera->viewport.left, 0);
    EXPECT_EQ(camera->viewport.top, 0);
    EXPECT_EQ(camera->viewport.right, 640);
    EXPECT_EQ(camera->viewport.bottom, 480);
    EXPECT_FLOAT_EQ(camera->nearClip, 100.0f);  // the menus' camera
    EXPECT_FLOAT_EQ(camera->farClip, 50000.0f);
    const World* world = gView->world;
    EXPECT_EQ(camera->world, world);
    EXPECT_EQ(world->type, 101);
    EXPECT_EQ(world->cellsX, 256);
    EXPECT_EQ(world->cellsZ, 256);
    EXPECT_FLOAT_EQ(world->cellSize, 51200.0f);
    EXPECT_EQ(gMaterialCount, 128);
    EXPECT_EQ(gTextureCount, 128);
    PlatFrame frame;
    ASSERT_TRUE(harness.Captured(&frame));
    ASSERT_EQ(frame.width * frame.height, 640 * 480);
    GameHarness::RequestQuit();
  });
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_TRUE(looked);
  EXPECT_EQ(gView, nullptr);
  EXPECT_EQ(blocks.Left(), 0);
  for (const char* name : {"prefs.qz", "scores.qz", "circuit.qz"})
    EXPECT_TRUE(std::filesystem::exists(harness.SaveFile(name))) << name;
  const Settings saved = SavedSettings(harness);
  EXPECT_EQ(saved.launchCount, 5);
  EXPECT_EQ(saved.rendererKind, kRendererSoftware);
}

TEST(GameRun, TheRendererChoiceIsKeptAskedOrOverriddenByAnAltKey) {
  {  // kept: no dialog
    GameHarness harness;
    harness.SeedSettings(kRendererSoftware);
    DialogStep([] { ADD_FAILURE() << "no dialog expected"; });
    harness.AtFrame(1, [] { GameHarness::RequestQuit(); });
    EXPECT_EQ(harness.Run(), 0);
    EXPECT_EQ(DialogStepsLeft(), 1);
  }
  for (bool altHeld : {false, true}) {  // asked: nothing saved, or an Alt key held at start
    GameHarness harness;
    harness.SeedSettings(altHeld ? kRendererSoftware : -1);
    GameHarness::HoldKey(kPlatVkRMenu, altHeld);
    DialogStep([] { DialogClick(kSoftware); });
    DialogStep([] { DialogClick(kOk); });
    harness.AtFrame(1, [] { GameHarness::RequestQuit(); });
    EXPECT_EQ(harness.Run(), 0);
    EXPECT_EQ(DialogStepsLeft(), 0);
    EXPECT_GT(harness.Frames(), 0);
    EXPECT_EQ(SavedSettings(harness).rendererKind, kRendererSoftware);
  }
  for (bool answered : {true, false}) {  // cancelled, or never shown: nothing starts, the program ends
    GameHarness harness;
    harness.SeedSettings(-1);
    if (answered) DialogStep([] { DialogClick(kCancel); });
    harness.AtFrame(1, [] { GameHarness::RequestQuit(); });
    EXPECT_EQ(harness.Run(), 0);
    EXPECT_EQ(harness.Frames(), 0);
  }
}

TEST(GameRun, ASettingsFolderThatCannotBeWrittenEndsTheProgramBeforeAnythingStarts) {
  GameHarness harness;
  std::filesystem::remove_all(harness.Root() / "data" / "prefs");
  DialogStep([] { ADD_FAILURE() << "no dialog expected"; });
  testing::internal::CaptureStderr();
  EXPECT_EQ(harness.Run(), 0);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("data/prefs\" cannot be written"), std::string::npos) << said;
  EXPECT_EQ(DialogStepsLeft(), 1);
  EXPECT_EQ(harness.Frames(), 0);
}

TEST(GameRunDeathTest, TheRefusedSystemStopsWithItsMessageAndKeepsTheSettingsFile) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware, 9);
  const std::string before = TempDir::Read(harness.SaveFile("prefs.qz"));
  EXPECT_EXIT(
      {
        plat_TestSetWindowsNT(true);
        harness.Run();
      },
      testing::ExitedWithCode(3), "Sorry, this application will not run under Windows NT");
  // Stopped before the settings were loaded: the file is not replaced by an empty record.
  EXPECT_EQ(TempDir::Read(harness.SaveFile("prefs.qz")), before);
}

TEST(GameRunDeathTest, AFatalStopAfterLoadingSavesTheSettingsWithTheRendererToBeAsked) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware, 9);
  EXPECT_EXIT(
      {
        plat_TestDisplayFailNextSurface(1000);
        harness.Run();
      },
      testing::ExitedWithCode(3), "Couldn't allocate camera");
  const Settings saved = SavedSettings(harness);
  EXPECT_EQ(saved.rendererKind, -1);
  EXPECT_EQ(saved.launchCount, 10);
}

}  // namespace
