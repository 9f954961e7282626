// The pad over a whole run: found at start-up when plugged in, held through the menus and let go
// at shut-down.
#include <gtest/gtest.h>

#include "engine/core/wre_types.h"
#include "game/world/joystick.h"
#include "tests/game/harness/game_harness.h"
#include "platform/test/plat_joystick.h"

namespace {

TEST(GameJoystick, APadPluggedInAtStartUpIsHeldForTheRunAndLetGoAtTheEnd) {
  for (bool plugged : {true, false}) {
    GameHarness harness;
    harness.SeedSettings(kRendererSoftware);
    GameHarness::JoystickPlug(plugged);
    bool looked = false;
    harness.AtFrame(1, [&] {
      looked = true;
      EXPECT_EQ(gJoystickEnabled, plugged ? 1 : 0);
      EXPECT_EQ(plat_TestJoystickIsOpen(), plugged);
      GameHarness::RequestQuit();
    });
    EXPECT_EQ(harness.Run(), 0);
    EXPECT_TRUE(looked);
    EXPECT_EQ(gJoystickEnabled, 0);
    EXPECT_FALSE(plat_TestJoystickIsOpen());
    EXPECT_EQ(plat_TestJoystickOpenCount(), plugged ? 1 : 0);
  }
}

}  // namespace
