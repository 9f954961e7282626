// The player's controls with scripted keys, mouse and pad: the control law's sequences computed by
// hand, which device wins each quantity, the mouse box and dead zone, the pad's dead zone, scale,
// buttons and a pulled-out pad, pause and quit prompt with the race clock, and the view key.
#include <gtest/gtest.h>

#include "engine/core/input.h"
#include "engine/core/memory.h"
#include "engine/core/timer.h"
#include "engine/render/camera.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/game_object.h"
#include "game/world/joystick.h"
#include "game/world/player_control.h"
#include "game/world/watercraft.h"
#include "platform/plat_backend.h"
#include "platform/plat_window.h"
#include "platform/test/plat_input.h"
#include "platform/test/plat_joystick.h"

namespace {

constexpr int32_t kKeyUp = 171, kKeyLeft = 172, kKeyRight = 173;

class PlayerControl : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestInputReset();
    plat_TestJoystickReset();
    wre_MemoryInit();
    wre_InputInit();
    PrefsDefaults();
    camera_.halfWidth = 320.0f;
    camera_.halfHeight = 240.0f;
    view_.camera = &camera_;
    view_.player = &player_;
    player_.controlKind = kControlHuman;
    player_.craft = &craft_;
    craft_.flags = kCraftRacing;
    gEngineTick = 10000;
    gPauseToggleTick = 0;
    gViewKeyTick = 0;
    gRaceStartTick = 5000;
    plat_SetCursorPos(320, 240);
  }
  void TearDown() override {
    JoystickClose(&view_);
    plat_TestJoystickReset();
    plat_TestInputReset();
    plat_UseBackend(kPlatBackendReal);
    gSettings = Settings{};
    gQuitRequested = 0;
  }
  static void Hold(int32_t keyCode, bool held) { plat_TestSetKeyHeld(wre_KeyCodeToVK(keyCode), held); }
  // One control call, 2 ticks after the last.
  void Step() {
    gEngineTick += 2;
    PlayerControlProcess(&view_);
  }
  void PadPlugged() {
    plat_TestJoystickPlug(true);
    ASSERT_EQ(JoystickOpen(&view_), 0);
    ASSERT_EQ(gJoystickEnabled, 1);
  }
  float& Throttle() { return craft_.physics.throttle; }
  float& Steer() { return craft_.physics.steer; }

  Camera camera_{};
  ViewComponents view_{};
  GameObject player_{};
  Watercraft craft_{};
};

TEST_F(PlayerControl, KeysDriveTheControlLawStepByStep) {
  Hold(kKeyUp, true);
  Hold(kKeyLeft, true);
  Step();
  EXPECT_EQ(Throttle(), 1.0f);
  EXPECT_FLOAT_EQ(Steer(), -0.1f);
  for (int i = 0; i < 9; ++i) Step();
  EXPECT_EQ(Steer(), -1.0f);  // the last step lands exactly
  Step();
  EXPECT_EQ(Steer(), -1.0f);

  // Released: the throttle falls by 0.2 a call to the floor; the steer comes back -0.4, then 0.
  Hold(kKeyUp, false);
  Hold(kKeyLeft, false);
  const float throttles[] = {0.8f, 0.6f, 0.4f, 0.2f};
  Step();
  EXPECT_FLOAT_EQ(Steer(), -0.4f);
  EXPECT_FLOAT_EQ(Throttle(), throttles[0]);
  Step();
  EXPECT_EQ(Steer(), 0.0f);
  for (int i = 1; i < 4; ++i) {
    EXPECT_NEAR(Throttle(), throttles[i], 1e-6f);
    Step();
  }
  Step();
  EXPECT_EQ(Throttle(), 0.0f);

  // Left wins over right; a demand within 0.1 is taken exactly.
  Hold(kKeyLeft, true);
  Hold(kKeyRight, true);
  Step();
  EXPECT_FLOAT_EQ(Steer(), -0.1f);
  Steer() = 0.3f;
  CraftControlApply(&craft_.physics, 0.35f, 0.0f);
  EXPECT_EQ(Steer(), 0.35f);
}

TEST_F(PlayerControl, EachQuantityTakesTheFirstDeviceThatProposesIt) {
  gSettings.mouseOn = 1;
  gSettings.joystickOn = 1;
  PadPlugged();
  plat_TestJoystickSetAxis(0, 16384);  // half right: 0.5 x 1.5
  plat_SetCursorPos(320 - 150, 240 - 150);  // mouse half left and half up
  Hold(kKeyUp, true);
  Steer() = 0.7f;
  Step();
  EXPECT_EQ(Throttle(), 1.0f);           // the keyboard's
  EXPECT_NEAR(Steer(), 0.75f, 1e-4f);    // the pad's, over the mouse's -0.5
  Hold(kKeyUp, false);
  plat_TestJoystickSetAxis(0, 0);
  Steer() = -0.5f;
  Step();
  EXPECT_FLOAT_EQ(Throttle(), 0.5f);     // now the mouse's
  EXPECT_EQ(Steer(), -0.5f);
}

TEST_F(PlayerControl, TheMouseIsHeldInItsBoxAndHasADeadZone) {
  float steer = 0, throttle = 0;
  bool button = true;
  plat_SetCursorPos(320 + 400, 240 + 99);
  ASSERT_EQ(MouseControlRead(&steer, &throttle, &button, &view_), 0);
  EXPECT_EQ(steer, 1.0f);
  EXPECT_EQ(throttle, 0.0f);  // 99 pixels is inside the dead zone (and down would be no throttle)
  EXPECT_FALSE(button);
  int x = 0, y = 0;
  plat_GetCursorPos(&x, &y);
  EXPECT_EQ(x, 620);
  EXPECT_EQ(y, 339);

  gSettings.mouseSensitivity = 0.5f;
  gSettings.mouseInvertX = 1;
  plat_SetCursorPos(320 + 201, 240 - 300);
  ASSERT_EQ(MouseControlRead(&steer, &throttle, &button, &view_), 0);
  EXPECT_FLOAT_EQ(steer, -100.0f / 300.0f);  // 201 x 0.5 truncated, then turned over
  EXPECT_FLOAT_EQ(throttle, 0.5f);
  EXPECT_EQ(MouseCursorCentre(&view_), 0);
  plat_GetCursorPos(&x, &y);
  EXPECT_EQ(x, 320);
  EXPECT_EQ(y, 240);
}

TEST_F(PlayerControl, ThePadHasADeadZoneAScaleItsButtonsAndCanBePulledOut) {
  float steer = 1, throttle = 1;
  bool viewRequest = false;
  // No pad at start-up: the joystick stays off.
  ASSERT_EQ(JoystickOpen(&view_), 0);
  EXPECT_EQ(gJoystickEnabled, 0);
  ASSERT_EQ(JoystickControlRead(&steer, &throttle, &viewRequest, &view_), 0);
  EXPECT_EQ(steer, 0.0f);
  EXPECT_EQ(throttle, 0.0f);

  PadPlugged();
  EXPECT_EQ(gJoystickAcquired, 1);
  plat_TestJoystickSetAxis(0, -2600);  // 0.079: inside the 0.08 dead zone
  plat_TestJoystickSetAxis(1, -32767);  // pushed forward
  JoystickControlRead(&steer, &throttle, &viewRequest, &view_);
  EXPECT_EQ(steer, 0.0f);
  EXPECT_EQ(throttle, 1.0f);
  plat_TestJoystickSetAxis(0, -2700);
  plat_TestJoystickSetAxis(1, 0);
  plat_TestJoystickSetButton(1, true);
  JoystickControlRead(&steer, &throttle, &viewRequest, &view_);
  EXPECT_FLOAT_EQ(steer, -2700.0f / 32767.0f * 1.5f);
  EXPECT_EQ(throttle, 1.0f);
  EXPECT_FALSE(viewRequest);

  plat_TestJoystickPlug(false);
  JoystickControlRead(&steer, &throttle, &viewRequest, &view_);
  EXPECT_EQ(steer, 0.0f);
  EXPECT_EQ(throttle, 0.0f);
  ASSERT_EQ(JoystickClose(&view_), 0);
  EXPECT_EQ(gJoystickEnabled, 0);
  EXPECT_EQ(gJoystickAcquired, 0);
  EXPECT_FALSE(plat_TestJoystickIsOpen());
}

TEST_F(PlayerControl, PauseAndQuitPromptKeepPausedTimeOutOfTheRace) {
  Hold('P', true);
  Step();  // 10002: paused
  EXPECT_EQ(gPaused, 1);
  for (int i = 0; i < 15; ++i) Step();  // 10032: 30 ticks on, still held
  EXPECT_EQ(gPaused, 1);
  Step();  // 10034: resumed after 32 ticks
  EXPECT_EQ(gPaused, 0);
  EXPECT_EQ(gRaceStartTick, 5032u);
  Hold('P', false);

  // Escape: paused with the prompt; holding it does not restart the pause clock.
  Hold(kKeyEscape, true);
  Step();  // 10036
  Step();
  Step();
  EXPECT_EQ(gQuitPrompt, 1);
  EXPECT_EQ(gPauseStartTick, 10036u);
  Hold(kKeyEscape, false);
  Hold(kKeyUp, true);
  Step();
  EXPECT_EQ(Throttle(), 0.0f);  // no driving while paused
  gEngineTick = 10100;
  Hold(kKeyNo, true);
  PlayerControlProcess(&view_);
  EXPECT_EQ(gPaused, 0);
  EXPECT_EQ(gQuitPrompt, 0);
  EXPECT_EQ(gQuitRequested, 0);
  EXPECT_EQ(gRaceStartTick, 5032u + 64u);
  Hold(kKeyNo, false);

  Hold(kKeyEscape, true);
  Step();
  Hold(kKeyEscape, false);
  Hold(kKeyYes, true);
  gEngineTick += 8;
  PlayerControlProcess(&view_);
  EXPECT_EQ(gQuitRequested, 1);
  EXPECT_EQ(gPaused, 0);
  EXPECT_EQ(gRaceStartTick, 5032u + 64u + 8u);
}

TEST_F(PlayerControl, AComputerDrivenPlayerIgnoresDrivingButPausesAndChangesView) {
  player_.controlKind = kControlHuman | kControlComputer;
  Hold(kKeyUp, true);
  Hold('V', true);
  Step();
  EXPECT_EQ(Throttle(), 0.0f);
  EXPECT_EQ(view_.viewMode, kViewOnBoard);
  Step();
  EXPECT_EQ(view_.viewMode, kViewOnBoard);  // the view key waits 30 ticks
  for (int i = 0; i < 15; ++i) Step();
  EXPECT_EQ(view_.viewMode, kViewOverhead);
  Hold('P', true);
  Step();
  EXPECT_EQ(gPaused, 1);

  // A finished player's craft runs on with the throttle it finished with, whatever is held.
  player_.controlKind = kControlHuman;
  Hold('P', false);
  Hold(kKeyUp, false);
  gPaused = 0;
  Throttle() = 0.9f;
  craft_.flags = 0;
  Step();
  EXPECT_EQ(Throttle(), 0.9f);
}

}  // namespace
