#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>

#include "game/menus/menu_layout.h"
#include "game/menus/menu_select.h"
#include "game/state/menu_state.h"
#include "game/state/settings.h"

namespace {

TEST(MenuLayout, RectanglesTruncateTheirScaledSizeAndHitTestsIncludeTheEdges) {
  MenuRect r;
  EXPECT_EQ(MenuTabRectGet(&r, 107), &r);  // normal region (89, 207, 141, 230)
  EXPECT_EQ(std::tuple(r.left, r.top, r.right, r.bottom), std::tuple(10, 335, 62, 358));
  MenuTabRectGet(&r, 108);
  EXPECT_EQ(r.left | r.top | r.right | r.bottom, 0);
  MenuRegion uv;
  EXPECT_EQ(MenuItemUvGet(&uv, 101, true)->left, 125);
  EXPECT_EQ(MenuItemUvGet(&uv, 103, false)->right, 0);
  MenuItemRectGet(&r, 100, false, 300, 200, 0.7f, 0.7f);  // 57 by 39 units
  EXPECT_EQ(std::tuple(r.right, r.bottom), std::tuple(339, 227));
  EXPECT_TRUE(MenuItemHitTest(339, 227, 100, false, 300, 200, 0.7f, 0.7f));
  EXPECT_TRUE(MenuItemHitTest(300, 200, 100, false, 300, 200, 0.7f, 0.7f));
  EXPECT_FALSE(MenuItemHitTest(340, 210, 100, false, 300, 200, 0.7f, 0.7f));
  EXPECT_FALSE(MenuItemHitTest(310, 199, 100, false, 300, 200, 0.7f, 0.7f));
  // The key box is 70 by 79 units.
  EXPECT_TRUE(MenuRectHitTest(35, 39, 0, 0, 0.5f, 0.5f));
  EXPECT_FALSE(MenuRectHitTest(36, 39, 0, 0, 0.5f, 0.5f));
  EXPECT_FALSE(MenuRectHitTest(35, 40, 0, 0, 0.5f, 0.5f));
}

TEST(MenuLayout, NameTablesFallBackToTheirFirstName) {
  MenuState state{};
  gMenuState = &state;
  LevelNameFormat(9);
  EXPECT_STREQ(state.typedText, "Lake Victoria");
  for (int level : {-1, 10}) {
    LevelNameFormat(level);
    EXPECT_STREQ(state.typedText, "Amazon Straits");
  }
  gMenuState = nullptr;
  LevelNameFormat(1);
  char word[16];
  PlaceNameFormat(7, word, sizeof(word));
  EXPECT_STREQ(word, "Eight");
  PlaceNameFormat(10, word, sizeof(word));
  EXPECT_STREQ(word, "Eleventh");
  PlaceNameFormat(11, word, sizeof(word));
  EXPECT_STREQ(word, "First");
  PlaceNameFormat(-1, word, 3);
  EXPECT_STREQ(word, "Fi");
}

TEST(MenuSelect, ScreenClasses) {
  for (auto [screen, tab, tabOrCircuit] : {std::tuple{10, false, false}, std::tuple{11, false, true},
                                           std::tuple{99, false, false}, std::tuple{100, true, true},
                                           std::tuple{107, true, true}, std::tuple{108, false, false}}) {
    gMenuScreen = screen;
    EXPECT_EQ(MenuScreenIsTab(), tab) << screen;
    EXPECT_EQ(MenuScreenIsTabOrCircuit(), tabOrCircuit) << screen;
  }
  gMenuScreen = 0;
}

class LevelSelect : public ::testing::Test {
 protected:
  void SetUp() override {
    gSettings = Settings{};
    gMenuState = &state_;
  }
  void TearDown() override { gMenuState = nullptr; }
  // The level the page ends on from the given one, and whether the course was reset.
  std::pair<int32_t, bool> Step(int32_t mode, int32_t from, int32_t direction) {
    gGameMode = mode;
    gCourse = 7;
    state_.selectedLevel = from;
    LevelSelectWrap(direction);
    return {state_.selectedLevel, gCourse == 0};
  }
  MenuState state_{};
};

TEST_F(LevelSelect, EachModeKeepsToItsLevels) {
  using R = std::pair<int32_t, bool>;
  EXPECT_EQ(Step(kModeRally, 10, kLevelStepForward), R(0, false));
  EXPECT_EQ(Step(kModeRally, -1, kLevelStepBack), R(9, false));
  EXPECT_EQ(Step(kModeTreasureLinear, 2, kLevelStepForward), R(3, true));
  EXPECT_EQ(Step(kModeTreasureLinear, 2, kLevelStepBack), R(1, true));
  EXPECT_EQ(Step(kModeTreasureLinear, 9, 0), R(0, true));
  EXPECT_EQ(Step(kModeTreasureLinear, 6, kLevelStepBack), R(6, false));
  EXPECT_EQ(Step(kModeDerby, 10, kLevelStepForward), R(2, true));
  EXPECT_EQ(Step(kModeDerby, 1, kLevelStepBack), R(9, true));
  EXPECT_EQ(Step(kModeTreasureRoam, 6, kLevelStepForward), R(8, true));
  EXPECT_EQ(Step(kModeTreasureRoam, 4, kLevelStepBack), R(4, false));
}

TEST_F(LevelSelect, CoursesWrapWithinTheModesBlock) {
  struct Case {
    int32_t mode, from, to;
  };
  for (Case c : {Case{kModeRally, -1, 4}, Case{kModeRally, 5, 0}, Case{kModeRallyVariant, 3, 3},
                 Case{kModeTreasureLinear, 4, 9}, Case{kModeTreasureRoam, 10, 5}, Case{kModeDerby, 0, 14},
                 Case{kModeDerby, 15, 10}, Case{kModeDerby, 12, 12}, Case{7, 20, 20}}) {
    gGameMode = c.mode;
    gCourse = c.from;
    CourseSelectClamp();
    EXPECT_EQ(gCourse, c.to) << c.mode << " " << c.from;
  }
}

}  // namespace
