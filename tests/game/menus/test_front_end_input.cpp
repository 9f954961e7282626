// The front-end input handler's rules on a menu state of its own: no screen is loaded, so the
// events tested here are those that change settings and the state rather than the screen.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/core/input.h"
#include "engine/render/camera.h"
#include "game/menus/front_end_input.h"
#include "game/state/circuit_record.h"
#include "game/state/menu_state.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"

namespace {

class FrontEndInput : public ::testing::Test {
 protected:
  void SetUp() override {
    gSettings = Settings{};
    gMenuState = &menu_;
    gCircuit = &circuit_;
    gMenuQuit = 0;
    gRestartRequested = 0;
    menu_.changeSound = menu_.flipSound = -1;
    const int32_t tabColumn[4] = {10, 90, 158, 358};  // the union of the tabs
    std::memcpy(menu_.tabBounds, tabColumn, sizeof(tabColumn));
  }
  void TearDown() override {
    gMenuState = nullptr;
    gCircuit = nullptr;
    gMenuScreen = kScreenNone;
    gMouseLeftButton = 0;
    gMenuQuit = 0;
    gRestartRequested = 0;
    gSettings = Settings{};
  }
  int32_t Type(int32_t screen, int32_t key, int32_t held = 0) {
    gMenuScreen = screen;
    return FrontEndPageInput(key, held, view_);
  }
  // Clicks at the point; true when the click was consumed (the input was emptied).
  bool Click(int32_t screen, int32_t x, int32_t y) {
    gMenuScreen = screen;
    menu_.cursorX = x;
    menu_.cursorY = y;
    gMouseLeftButton = 1;
    FrontEndPageInput(0, 0, view_);
    return gMouseLeftButton == 0;
  }
  MenuState menu_{};
  CircuitRecord circuit_{};
  ViewComponents* view_ = nullptr;  // none: a screen switch fails and the screen stays
};

TEST_F(FrontEndInput, NamesTakePrintableCharactersUpToTheirLimits) {
  Type(kScreenPlayer, kKeyBackSpace);  // on an empty name: nothing
  for (int32_t key : {int32_t{'A'}, 31, 127, 128, 129, 142, int32_t{'~'}, int32_t{' '}}) Type(kScreenPlayer, key);
  EXPECT_STREQ(gSettings.playerName, "A~ ");
  for (char c : std::string("bcdefghij")) Type(kScreenPlayer, c);
  EXPECT_STREQ(gSettings.playerName, "A~ bcdefgh");
  Type(kScreenPlayer, kKeyDelete);
  EXPECT_STREQ(gSettings.playerName, "A~ bcdefg");

  // A slot without progress takes its name without asking.
  for (char c : std::string("0123456789abcdefg")) Type(kScreenCircuit, c);
  EXPECT_STREQ(menu_.typedText, "0123456789abcde");
  Type(kScreenCircuit, kKeyBackSpace);
  EXPECT_STREQ(menu_.typedText, "0123456789abcd");
}

TEST_F(FrontEndInput, AKeyCaptureSpansPollsAndEscapeCancelsIt) {
  gSettings.keyPause = 'P';
  gSettings.keyView = 'V';
  EXPECT_TRUE(Click(kScreenControls, 304, 147));  // the pause key box
  EXPECT_TRUE(menu_.captureWaiting);
  Type(kScreenControls, 'x');  // typed but not held: the capture waits on
  EXPECT_TRUE(menu_.captureWaiting);
  EXPECT_EQ(gSettings.keyPause, 'P');
  Type(kScreenControls, 0, 'a');
  EXPECT_FALSE(menu_.captureWaiting);
  EXPECT_EQ(gSettings.keyPause, 'A');

  EXPECT_TRUE(Click(kScreenControls, 512, 147));  // the view key box
  Type(kScreenControls, 0, kKeyEscape);
  EXPECT_FALSE(menu_.captureWaiting);
  EXPECT_EQ(menu_.captureTarget, nullptr);
  EXPECT_EQ(gSettings.keyView, 'V');
}

TEST_F(FrontEndInput, ValuesWrapOrClampAtTheEndsOfTheirRanges) {
  struct IntCase {
    int32_t screen, x, y;
    int32_t Settings::*field;
    int32_t from, to;
  };
  for (const IntCase& c : {
           IntCase{kScreenPlayer, 316, 416, &Settings::opponentCount, 5, 0},
           IntCase{kScreenPlayer, 316, 416, &Settings::opponentCount, 0, 1},
           IntCase{kScreenPlayer, 287, 417, &Settings::opponentCount, 0, 5},
           IntCase{kScreenOptions, 246, 26, &Settings::soundVolume, 3, 0},
           IntCase{kScreenOptions, 541, 196, &Settings::viewDistance, 97, 100},
           IntCase{kScreenOptions, 541, 281, &Settings::detail, 40, 45},
       }) {
    gSettings.*c.field = c.from;
    EXPECT_TRUE(Click(c.screen, c.x, c.y)) << c.x << "," << c.y;
    EXPECT_EQ(gSettings.*c.field, c.to) << c.x << "," << c.y;
  }
  // At an end the clamp changes nothing, and nothing is consumed.
  gSettings.soundVolume = 100;
  EXPECT_FALSE(Click(kScreenOptions, 541, 26));
  EXPECT_EQ(gSettings.soundVolume, 100);

  struct FloatCase {
    int32_t x, y;
    float Settings::*field;
    float from, to;
  };
  for (const FloatCase& c : {
           FloatCase{411, 236, &Settings::mouseSensitivity, 0.1f, 10.0f},
           FloatCase{441, 236, &Settings::mouseSensitivity, 10.0f, 0.1f},
           FloatCase{411, 266, &Settings::mouseThreshold, 0.0f, 10.0f},
           FloatCase{441, 266, &Settings::mouseThreshold, 10.0f, 0.0f},
           FloatCase{461, 336, &Settings::joystickScale, 10.0f, 0.1f},
           FloatCase{431, 366, &Settings::joystickDeadZone, 0.0f, 10.0f},
       }) {
    gSettings.*c.field = c.from;
    EXPECT_TRUE(Click(kScreenControls, c.x, c.y)) << c.x << "," << c.y;
    EXPECT_FLOAT_EQ(gSettings.*c.field, c.to) << c.x << "," << c.y;
  }

  menu_.slotIndex = 0;
  Type(kScreenHighScores, kKeyLeft);
  EXPECT_EQ(menu_.slotIndex, 4);
  EXPECT_TRUE(Click(kScreenHighScores, 441, 401));
  EXPECT_EQ(menu_.slotIndex, 0);

  // The mode steps within 0..3 and the level and course follow it.
  gGameMode = kModeDerby;
  EXPECT_TRUE(Click(kScreenNewGame, 566, 391));
  EXPECT_EQ(gGameMode, kModeRally);
  EXPECT_TRUE(Click(kScreenNewGame, 211, 391));
  EXPECT_EQ(gGameMode, kModeDerby);
  EXPECT_EQ(menu_.selectedLevel, 2);  // the first lap-circuit level
  EXPECT_EQ(gCourse, 14);  // a skipped level gives course 0, below the derby block
}

TEST_F(FrontEndInput, TheTabColumnTakesItsClicksAndTheRendererButtonEndsTheMenus) {
  // Inside the tab column's bounds but on no tab: consumed, and no page control acts.
  menu_.tabBounds[0] = menu_.tabBounds[1] = 0;
  menu_.tabBounds[2] = menu_.tabBounds[3] = 640;
  gSettings.soundVolume = 50;
  EXPECT_TRUE(Click(kScreenOptions, 541, 26));
  EXPECT_EQ(gSettings.soundVolume, 50);
  menu_.tabBounds[2] = 158;
  menu_.tabBounds[3] = 358;

  gSettings.rendererKind = 100;
  EXPECT_TRUE(Click(kScreenOptions, 565, 428));
  EXPECT_TRUE(gMenuQuit);
  EXPECT_TRUE(gRestartRequested);
  EXPECT_EQ(gSettings.rendererKind, -1);
}

TEST_F(FrontEndInput, CircuitPageSlotsAndTheBetweenRacesButtons) {
  Camera camera{};
  camera.viewport.right = 639;  // the slot rows reach the viewport's right edge
  ViewComponents view{};
  view.camera = &camera;
  view_ = &view;
  std::strcpy(circuit_.slotName[4], "Last");
  EXPECT_TRUE(Click(kScreenCircuit, 411, 351));  // slot 0 back to 4
  EXPECT_EQ(menu_.slotIndex, 4);
  EXPECT_STREQ(menu_.typedText, "Last");
  EXPECT_TRUE(Click(kScreenCircuit, 600, 130));  // the first row's bottom edge
  EXPECT_EQ(menu_.slotIndex, 0);
  EXPECT_STREQ(menu_.typedText, "");
  // Continuing a completed slot falls through to the rows; the continue button lies on none.
  circuit_.slotLevel[0] = 10;
  EXPECT_FALSE(Click(kScreenCircuit, 330, 360));

  EXPECT_TRUE(Click(kScreenCircuitRace, 384, 396));
  EXPECT_EQ(menu_.pageResult, 1);
  EXPECT_TRUE(Click(kScreenCircuitRace, 400, 370));
  EXPECT_EQ(menu_.pageResult, -1);
  // The circuit race page does not step.
  Type(kScreenCircuitRace, kKeyUp);
  EXPECT_EQ(gMenuScreen, kScreenCircuitRace);
}

}  // namespace
