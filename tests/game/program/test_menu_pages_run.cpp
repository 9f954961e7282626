// The front-end pages in the running game: every page reached through the menus' own screen
// switch, captured and sampled (and written out as pictures when a capture folder is named).
#include <gtest/gtest.h>

#include <string>

#include "engine/render/context.h"
#include "game/menus/menu_shell.h"
#include "game/state/game_view.h"
#include "game/state/menu_state.h"
#include "platform/plat_input.h"
#include "tests/game/harness/capture_png.h"
#include "tests/game/harness/game_harness.h"

namespace {

// Pixels of the last frame in the box that are light (letters, the sheets' faces) or orange (the
// current tab, the pointer).
struct Sample {
  PlatFrame frame;
  template <class Test>
  int Count(int left, int top, int right, int bottom, Test test) const {
    int count = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) {
        const uint16_t p = frame.pixels[static_cast<size_t>(y) * frame.width + x];
        count += test((p >> 11) << 3, ((p >> 5) & 63) << 2, (p & 31) << 3) ? 1 : 0;
      }
    return count;
  }
};
bool Light(int r, int g, int) { return r > 180 && g > 180; }
bool Orange(int r, int, int b) { return r > 200 && b < 100; }

Sample Take(const GameHarness& harness, const std::string& name) {
  Sample s;
  EXPECT_TRUE(harness.Captured(&s.frame));
  CapturePngKeep(s.frame, name);
  return s;
}

constexpr int kSettleFrames = 20;

TEST(MenuPagesRun, EveryPageShowsItsContentAndTheTabColumnOnlyOnTheTabScreens) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  int frame = 5;
  harness.AtFrame(frame, [&] {
    const Sample s = Take(harness, "run_10");
    EXPECT_GT(s.Count(60, 470, 300, 480, Light), 50);  // the disclaimer's first line comes up from below
    EXPECT_EQ(s.Count(10, 90, 55, 370, Light), 0);     // no tabs
    GameHarness::PressKey(kPlatVkReturn);
  });
  for (int screen = 100; screen <= 107; ++screen) {
    frame += kSettleFrames;
    harness.AtFrame(frame, [screen] { gMenuPendingScreen = screen; });
    frame += kSettleFrames;
    harness.AtFrame(frame, [&harness, screen] {
      SCOPED_TRACE(screen);
      ASSERT_EQ(gMenuScreen, screen);
      const Sample s = Take(harness, "run_" + std::to_string(screen));
      const int tabTop = 90 + 35 * (screen - 100);
      EXPECT_GT(s.Count(10, tabTop, 140, tabTop + 29, Orange), 500);
      // The credits start below the view and the quit page has no content.
      const int content = s.Count(180, 0, 640, 480, Light);
      if (screen >= 106) EXPECT_EQ(content, 0);
      else EXPECT_GT(content, 100);
    });
  }
  frame += kSettleFrames;
  harness.AtFrame(frame, [] { MenuScreenSwitch(gView, kScreenCircuitRace, 1); });
  frame += kSettleFrames;
  harness.AtFrame(frame, [&harness] {
    const Sample s = Take(harness, "run_11");
    EXPECT_EQ(s.Count(10, 90, 140, 370, Orange), 0);
    EXPECT_EQ(s.Count(10, 90, 140, 370, Light), 0);
    EXPECT_GT(s.Count(270, 100, 600, 170, Light), 200);  // current level and course
    GameHarness::RequestQuit();
  });
  EXPECT_EQ(harness.Run(), 0);
}

}  // namespace
