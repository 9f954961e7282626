// The front-end pages and the tab column rendered from the generated data tree and sampled.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <tuple>
#include <vector>

#include "engine/core/input.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/core/timer.h"
#include "engine/core/world.h"
#include "engine/render/font_draw.h"
#include "game/state/circuit_record.h"
#include "game/state/prefs.h"
#include "game/state/scores_record.h"
#include "game/world/game_objects.h"
#include "game/world/rider.h"
#include "game/world/texture_slots.h"
#include "game/world/watercraft.h"
#include "menu_page_fixture.h"
#include "platform/plat_window.h"

namespace {

using MenuPages = MenuPageFixture;

// The tab column's box.
constexpr int kColumnLeft = 10, kColumnRight = 140, kColumnTop = 90, kColumnBottom = 370;

// Every page in the running game is sampled by the program tests; here, what the settings and
// records change on a page.
TEST_F(MenuPages, GaugesAndCircuitRowsFollowTheSettingsAndTheSlots) {
  gSettings.soundVolume = 80;  // 16 tiles of 15 pixels from x 270
  gSettings.musicVolume = 4;   // below one tile
  Render(104, "page104");
  EXPECT_GT(Count(500, 66, 510, 96, Green), 100);
  EXPECT_EQ(Count(511, 66, 530, 96, Green), 0);
  EXPECT_EQ(Count(270, 151, 530, 181, Green), 0);
  CircuitRecord circuit{};
  std::strcpy(circuit.slotName[0], "Summer");  // under way: name, rank and score
  circuit.slotLevel[0] = 4;
  std::strcpy(circuit.slotName[2], "Done");  // complete: also "Completed"
  circuit.slotLevel[2] = 10;
  gCircuit = &circuit;
  state.slotIndex = 3;  // an empty slot being named: no columns
  std::strcpy(state.typedText, "New");
  state.stateFlags = 1;
  state.blinkTick = gEngineTick;
  Render(101, "page101");
  const int columns[5] = {1, 0, 1, 0, 0}, completed[5] = {0, 0, 1, 0, 0};
  for (int slot = 0; slot < 5; ++slot) {
    const int y = 80 + 50 * slot;
    EXPECT_EQ(Count(440, y, 560, y + 12, Light) > 0, columns[slot] == 1) << slot;
    EXPECT_EQ(Count(580, y, 640, y + 12, Light) > 0, completed[slot] == 1) << slot;
    EXPECT_GT(Count(260, y, 300, y + 12, Light), 0) << slot;  // "#n" and the name
    // The selected slot's marker is the highlighted (orange) increase button.
    EXPECT_EQ(Count(220, y + 5, 255, y + 28, Orange) > 300, slot == 3) << slot;
  }
}

TEST_F(MenuPages, AHighScoreTableOutsideTheFiveShowsTheRallyTable) {
  ScoresRecord scores{};
  for (int e = 0; e < kScoreEntries; ++e) scores.rallyLevel[e] = scores.derbyLevel[e] = -1;
  std::strcpy(scores.rallyName[1], "Marina");
  scores.rallyLevel[1] = 9;
  gScores = &scores;
  state.cursorTexture = -1;
  std::vector<uint16_t> shown[3];  // the table, below the logo and right of the tabs
  const int tables[3] = {0, 9, 3};
  for (int i = 0; i < 3; ++i) {
    state.slotIndex = tables[i];
    Render(105);
    if (i == 0) {
      EXPECT_GT(Count(390, 190, 500, 202, Light), 100);  // the level name of entry 2
    }
    for (int y = 90; y < 480; ++y)
      shown[i].insert(shown[i].end(), frame.pixels.begin() + y * 640 + 165, frame.pixels.begin() + y * 640 + 640);
  }
  EXPECT_EQ(shown[0], shown[1]);
  EXPECT_NE(shown[0], shown[2]);
}

TEST_F(MenuPages, ThePlayerPageShowsTheTurntableRacersChoicesAndTurnsIt) {
  PrefsDefaults();
  std::strcpy(gSettings.playerName, "Marina");
  gSettings.playerModel = 2;
  Render(102);
  EXPECT_EQ(Count(350, 35, 640, 430, Light), 0);  // no racer: no page
  ASSERT_EQ(TextureSlotsAlloc(), 0);
  const Settings& g = gSettings;
  GameObject* racer = GameObjectCreate(&view, kGameObjectWatercraft, kControlHuman, g.playerModel, g.playerLivery,
                                       g.riderSex, g.riderTexture, 0);
  ASSERT_NE(racer, nullptr);
  GameObjectPlace(racer, 0, 0, 0, 500.0f, -100.0f, 1600.0f);
  GameObjectShow(racer, &view);
  RiderUpdate(racer->craft, &view);
  state.previewRacer = racer;
  state.screenTick = gEngineTick;
  Render(102, "page102");
  EXPECT_EQ(state.previewYaw, 0);
  for (int row : {35, 70, 105, 350, 385, 415}) EXPECT_GT(Count(350, row, 450, row + 12, Light), 50) << row;
  EXPECT_GT(Count(285, 70, 340, 90, Light), 50);  // the row's buttons
  gEngineTick += 3;
  Render(102, nullptr, 1);
  EXPECT_EQ(state.previewYaw, 32);
  EXPECT_EQ(racer->craft->craftObject->transform.angleY, 32);
  EXPECT_EQ(state.screenTick, gEngineTick);
  state.previewRacer = nullptr;
  GameObjectHide(racer, &view);
  EXPECT_EQ(GameObjectFree(racer, &view), 0);
  TextureSlotsFree();
}

TEST_F(MenuPages, NothingIsDrawnWithoutAMenuStateOrWithoutTheSheets) {
  gMenuState = nullptr;
  EXPECT_EQ(Render(104), 0);
  EXPECT_EQ(Count(0, 90, 640, 480, Light), 0);  // below the logo
  gMenuState = &state;
  // Missing sheets and pictures are left out (never read at index -1).
  state.optionsTexture = state.mainMenuTexture = state.cursorTexture = -1;
  for (int32_t& t : state.pageTextures) t = -1;
  gSettings.soundVolume = 100;
  EXPECT_EQ(Render(104), 0);
  EXPECT_EQ(Count(0, 0, 640, 480, Green), 0);
  EXPECT_EQ(Count(kColumnLeft, kColumnTop, kColumnRight, kColumnBottom, Light), 0);
  EXPECT_EQ(MenuTextureRegionDraw(0, 0, 200.0f, 1, 1, state.whiteMaterial, -1, 0, 0, 255, 255, &view), 0);
  EXPECT_EQ(MenuQuadPictureDraw(0, 0, 200.0f, state.whiteMaterial, 1, 1, &view), 0);
}

TEST_F(MenuPages, GaugesCountWholeTilesAndTheTabColumnStopsAtItsFirstFailure) {
  // A tile drawn behind the far plane fails: the result tells whether one was drawn.
  const float beyond = 60000.0f;
  EXPECT_EQ(MenuGaugeDraw(0, 100, 20, 5, 0, 0, beyond, 1, 1, state.whiteMaterial, &view), kFontErrDepth);
  EXPECT_EQ(MenuGaugeDraw(0, 100, 20, 4, 0, 0, beyond, 1, 1, state.whiteMaterial, &view), 0);
  EXPECT_EQ(MenuGaugeDraw(0, 100, 0, 50, 0, 0, beyond, 1, 1, state.whiteMaterial, &view), 0);
  EXPECT_EQ(MenuGaugeDraw(0, 10, 20, 50, 0, 0, beyond, 1, 1, state.whiteMaterial, &view), 0);  // tiles worth 0
  wre_CameraSetClip(view.camera, 50000.0f, 200.0f);
  for (int32_t screen : {10, 11, 99, 100, 107}) {
    gMenuScreen = screen;
    EXPECT_EQ(MenuTabColumnDraw(&view), screen >= 100 && screen <= 107 ? kFontErrDepth : 0) << screen;
  }
}


TEST_F(MenuPages, TheGlobeEasesTowardTheLevelWithoutOvershooting) {
  LoadGlobe();
  EngineObject* globe = state.pageObjects[0];
  wre_WorldRemoveObject(globe, view.world);  // turned, not shown: the frames stay quick
  for (int32_t level : {7, 0, 8}) {
    SCOPED_TRACE(level);
    state.selectedLevel = level;
    constexpr int32_t kTargets[10][3] = {{-4186, -2762, 460}, {}, {}, {}, {}, {}, {}, {-1458, -2048, 0}, {100, -1898, 10}};
    int32_t before[3] = {wre_AngleDelta(globe->transform.angleX, kTargets[level][0]),
                         wre_AngleDelta(globe->transform.angleY, kTargets[level][1]),
                         wre_AngleDelta(globe->transform.angleZ, kTargets[level][2])};
    for (int frame = 0; frame < 60; ++frame) {
      Render(100, nullptr, 1);
      const int32_t angles[3] = {globe->transform.angleX, globe->transform.angleY, globe->transform.angleZ};
      for (int a = 0; a < 3; ++a) {
        const int32_t left = wre_AngleDelta(angles[a], kTargets[level][a]);
        // Closer each frame or standing, never past the target.
        EXPECT_LE(std::abs(left), std::abs(before[a]));
        EXPECT_GE(left * before[a], 0);
        before[a] = left;
      }
    }
    for (int a = 0; a < 3; ++a) EXPECT_LT(std::abs(before[a]), 10) << a;
  }
}

TEST_F(MenuPages, ScrollingTextsRestartOrHandOverAndNeedTheirFile) {
  FileRecord text{};
  const char lines[] = "HYDREL\r\n\r\nGame design\r\n";
  text.size = static_cast<int32_t>(sizeof(lines) - 1);
  text.data = reinterpret_cast<uint8_t*>(const_cast<char*>(lines));
  state.textFile = &text;
  state.textScroll = -200.0f;  // everything above the top
  Render(106, nullptr, 1);
  EXPECT_FLOAT_EQ(state.textScroll, 499.0f);
  Render(106, nullptr, 1);
  EXPECT_FLOAT_EQ(state.textScroll, 498.0f);
  // The disclaimer's lines are 30 apart from x 60 (the empty one too); it moves once more than
  // two ticks have passed, and hands over when gone.
  state.textScroll = 300.0f;
  state.screenTick = gEngineTick;
  Render(10, nullptr, 1);
  EXPECT_FLOAT_EQ(state.textScroll, 300.0f);
  EXPECT_GT(Count(60, 300, 200, 315, Light), 50);
  EXPECT_EQ(Count(60, 330, 200, 345, Light), 0);
  EXPECT_GT(Count(60, 360, 200, 375, Light), 50);
  EXPECT_EQ(Count(kColumnLeft, kColumnTop, 55, kColumnBottom, Light), 0);  // no tabs
  EXPECT_EQ(gMenuPendingScreen, kScreenNone);
  gEngineTick += 3;
  Render(10, nullptr, 1);
  EXPECT_FLOAT_EQ(state.textScroll, 299.0f);
  EXPECT_EQ(state.screenTick, gEngineTick);
  state.textScroll = -200.0f;  // the four lines (the last is the final line feed) above the top
  Render(10, nullptr, 1);
  EXPECT_EQ(gMenuPendingScreen, kScreenNewGame);
  // Without the file: nothing, not even the logo's turn or the cursor.
  state.textFile = nullptr;
  const int32_t logoYaw = state.logoObject->transform.angleY;
  state.cursorX = 300;
  plat_SetCursorPos(400, 240);
  Render(106, nullptr, 1);
  EXPECT_EQ(state.logoObject->transform.angleY, logoYaw);
  EXPECT_EQ(state.cursorX, 300);
  Render(107, nullptr, 1);
  EXPECT_EQ(state.logoObject->transform.angleY, logoYaw + 45);
}

TEST_F(MenuPages, TheCursorFollowsTheMouseFromTheCentreAndStaysInTheView) {
  state.cursorX = 600;
  state.cursorY = 20;
  plat_SetCursorPos(400, 200);  // 80 right of the centre, 40 above it
  Render(104, nullptr, 1);
  EXPECT_EQ(std::tuple(state.cursorX, state.cursorY), std::tuple(640, 0));
  int x = 0, y = 0;
  plat_GetCursorPos(&x, &y);
  EXPECT_EQ(std::tuple(x, y), std::tuple(320, 240));
  plat_SetCursorPos(300, 250);
  Render(11, "cursor", 1);
  EXPECT_EQ(std::tuple(state.cursorX, state.cursorY), std::tuple(620, 10));
  EXPECT_GT(Count(620, 10, 640, 30, Orange), 20);  // the pointer's gold and orange
  // No software cursor on the disclaimer.
  FileRecord text{};
  text.data = reinterpret_cast<uint8_t*>(const_cast<char*>("x"));
  text.size = 1;
  state.textFile = &text;
  Render(10, nullptr, 1);
  EXPECT_EQ(std::tuple(state.cursorX, state.cursorY), std::tuple(620, 10));
  EXPECT_EQ(Count(620, 10, 640, 30, Orange), 0);
  state.textFile = nullptr;
}

}  // namespace
