// The head-up display's rules: the race-time text and the place with its tie marker; and the
// display as drawn: each mode's panels, the pause and quit pictures, a failing panel, the compass
// and the fonts.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/data/colour.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/font_draw.h"
#include "engine/render/polygon.h"
#include "game/state/gate_record.h"
#include "game/state/prefs.h"
#include "game/state/settings.h"
#include "game/world/game_materials.h"
#include "game/world/game_object.h"
#include "game/world/gate_arrow.h"
#include "game/world/interface_textures.h"
#include "tests/game/menus/menu_page_fixture.h"

#include "game/race/race_hud.h"
#include "game/world/watercraft.h"

namespace {

std::string Time(uint32_t elapsed, bool blank = false) {
  char text[kHudTimeTextSize];
  HudTimeFormat(text, elapsed, blank);
  return text;
}

TEST(RaceHud, TimeShowsMinutesSecondsAndSixtiethsOrTheBlankPattern) {
  EXPECT_EQ(Time(3725), "  1:02:05");
  EXPECT_EQ(Time(0), "  0:00:00");
  EXPECT_EQ(Time(3600 * 1000 - 1), " 999:59:59");
  EXPECT_EQ(Time(0xFFFFFFFFu), " 1193046:28:15");  // a clock far past any race still fits
  EXPECT_EQ(Time(3725, true), "   //://://");
}

TEST(RaceHud, PlaceCountsRacersAheadByLapsThenScoreAndSpotsATie) {
  Watercraft crafts[4]{};
  const int laps[4] = {2, 2, 3, 2}, scores[4] = {3, 5, 0, 3};
  for (int i = 0; i < 4; ++i) {
    crafts[i].laps = laps[i];
    crafts[i].score = scores[i];
    crafts[i].chainNext = i < 3 ? &crafts[i + 1] : nullptr;
  }
  gRacerChainHead = &crafts[0];
  bool tied = false;
  EXPECT_EQ(HudPlace(&crafts[0], &tied), 3);
  EXPECT_TRUE(tied);
  EXPECT_EQ(HudPlace(&crafts[2], &tied), 1);
  EXPECT_FALSE(tied);
  EXPECT_EQ(HudPlace(&crafts[1], nullptr), 2);
  gRacerChainHead = nullptr;
}

// ---- The display drawn by the software renderer over the menu scene's backdrop ----

class RaceHudDrawing : public MenuPageFixture {
 protected:
  void SetUp() override {
    MenuPageFixture::SetUp();
    gtheInterfaceMaterial = state.trueWhiteMaterial;
    RaceActiveSet(1);  // with the menu sheet
    InterfaceTexturesLoad(&view);
    RaceActiveSet(0);
    ASSERT_GE(gMenuSheetTexture, 0);
    ASSERT_GE(gInterfaceTexture, 0);
    ASSERT_GE(gQuitPauseTexture, 0);
    gFontLap = gFontSpeed = state.typeFont;
    object_.craft = &craft_;
    view.player = &object_;
    gGameMode = kModeRally;
    gPaused = gQuitPrompt = gCountdownActive = 0;
    gCompassArrow = nullptr;
  }
  void TearDown() override {
    view.player = nullptr;
    gFontLap = gFontSpeed = nullptr;
    RaceActiveSet(1);
    InterfaceTexturesUnload(&view);
    RaceActiveSet(0);
    gtheInterfaceMaterial = -1;
    gGameMode = 0;
    gPaused = gQuitPrompt = 0;
    gCompassArrow = nullptr;
    MenuPageFixture::TearDown();
  }
  // One frame of the backdrop with (or without) the display; HudDraw's result.
  int32_t Draw(bool hud) {
    int32_t result = 0;
    for (int i = 0; i < 2; ++i) {  // the second frame has a polygon buffer sized for the first
      wre_FrameBegin(view.camera, 1);
      wre_CameraRender(view.camera);
      if (hud) result = HudDraw(&view);
      wre_FrameFlush(view.camera);
      wre_FrameEnd(view.camera);
    }
    EXPECT_TRUE(plat_TestLastPresented(&frame));
    return result;
  }
  // Pixels of the box (left, top, right, bottom; a pixel inside each edge) changed from `base`.
  int Changed(const PlatFrame& base, int left, int top, int right, int bottom) const {
    int changed = 0;
    for (int y = top + 1; y < bottom - 1; ++y)
      for (int x = left + 1; x < right - 1; ++x)
        changed += frame.pixels[static_cast<size_t>(y) * 640 + x] != base.pixels[static_cast<size_t>(y) * 640 + x];
    return changed;
  }
  PlatFrame Baseline() {
    Draw(false);
    return frame;
  }

  Watercraft craft_{};
  GameObject object_{};
};

TEST_F(RaceHudDrawing, EachModeDrawsItsPanelsAtTheirRectanglesAndAllModesTheCommonOnes) {
  const PlatFrame base = Baseline();
  struct Box {
    int l, t, r, b;
  };
  const Box lap{500, 20, 543, 41}, place{300, 20, 360, 41}, left{40, 20, 129, 42};
  const Box common[] = {{610, 450, 640, 465}, {440, 420, 503, 441}, {20, 440, 69, 462}};
  auto drawn = [&](const Box& b) { return Changed(base, b.l, b.t, b.r, b.b) > (b.r - b.l - 2) * (b.b - b.t - 2) / 4; };
  PlatFrame derby;
  for (int32_t mode : {kModeRally, kModeDerby, kModeTreasureLinear, kModeTreasureRoam}) {
    SCOPED_TRACE(mode);
    gGameMode = mode;
    EXPECT_EQ(Draw(true), 0);
    EXPECT_EQ(drawn(lap), mode == kModeRally);
    EXPECT_EQ(drawn(place), mode == kModeRally);
    EXPECT_EQ(drawn(left), mode != kModeRally);
    for (const Box& b : common) EXPECT_TRUE(drawn(b)) << b.l;
    EXPECT_EQ(Changed(base, 200, 150, 456, 278), 0) << "no picture unless paused";
    if (mode == kModeDerby) derby = frame;
    // The score panel and the dollar panel are different parts of the sheet.
    if (mode == kModeTreasureRoam) {
      EXPECT_GT(Changed(derby, 40, 20, 129, 42), 100);
    }
  }
}

TEST_F(RaceHudDrawing, PauseAndQuitPicturesNeedTheirTextureAndChangeNothingElse) {
  const PlatFrame base = Baseline();
  gPaused = 1;
  EXPECT_EQ(Draw(true), 0);
  const PlatFrame paused = frame;
  EXPECT_GT(Changed(base, 200, 150, 456, 278), 256 * 128 / 2);
  gQuitPrompt = 1;
  EXPECT_EQ(Draw(true), 0);
  EXPECT_GT(Changed(paused, 200, 150, 456, 278), 256 * 128 / 8) << "the quit picture is the other half";
  gQuitPauseTexture = -1;
  EXPECT_EQ(Draw(true), 0);
  EXPECT_EQ(Changed(base, 200, 150, 456, 278), 0);
  EXPECT_EQ(Changed(paused, 0, 0, 640, 150), 0);
  EXPECT_EQ(Changed(paused, 0, 278, 640, 480), 0);
}

// With no room left in its polygon queue the first panel fails: its error comes back and nothing
// after it is drawn, though the queue of the panels after it has room (the score panel's picture
// is made colour-keyed for the frame, so that it alone goes to the full queue).
TEST_F(RaceHudDrawing, AFailedPanelReturnsItsErrorAndDrawsNothingAfterIt) {
  gGameMode = kModeDerby;
  craft_.score = 88;
  const PlatFrame base = Baseline();
  EXPECT_EQ(Draw(true), 0);
  EXPECT_GT(Changed(base, 163, 20, 260, 45), 0) << "the score text";
  EXPECT_GT(Changed(base, 90, 440, 300, 470), 0) << "the time text";
  Texture* picture = wre_TextureGet(gInterfaceTexture);
  ASSERT_NE(picture, nullptr);
  const uint8_t flags = picture->flags;
  picture->flags &= static_cast<uint8_t>(~kTextureTranslucent);
  ASSERT_EQ(wre_PolygonChooseQueue(gtheInterfaceMaterial, gInterfaceTexture), &gPolyQueueKeyed);
  ASSERT_NE(wre_PolygonChooseQueue(gtheInterfaceMaterial, gMenuSheetTexture), &gPolyQueueKeyed);
  wre_FrameBegin(view.camera, 1);
  wre_CameraRender(view.camera);
  const PolyQueue held = gPolyQueueKeyed;
  gPolyQueueKeyed.count = gPolyQueueCapacity - 1;
  const int32_t result = HudDraw(&view);
  gPolyQueueKeyed = held;
  picture->flags = flags;
  wre_FrameFlush(view.camera);
  wre_FrameEnd(view.camera);
  ASSERT_TRUE(plat_TestLastPresented(&frame));
  EXPECT_EQ(result, kWreQueueFull);
  EXPECT_EQ(Changed(base, 0, 0, 640, 480), 0);
}

TEST_F(RaceHudDrawing, TheCompassShowsInProportionToHowFarTheGateLiesOffTheHeading) {
  gCompassArrow = state.logoObject;
  GateRecord gate{};
  craft_.nextGate = &gate;
  const int32_t material = gCompassArrow->polygons[0].material;
  auto opacityFor = [&](float x, float z) {
    gate.centre = Point4{x, 430.0f, z, 1.0f};
    CompassSetup(&view);
    return gMaterialTable[material].colourA.alpha / gColourMax;
  };
  // The camera stands at z -500 looking along z; the compass 1300 ahead of it.
  EXPECT_FLOAT_EQ(opacityFor(0.0f, 20000.0f), 0.0f);
  EXPECT_FLOAT_EQ(opacityFor(1780.0f, 20000.0f), 0.0f);  // about 60 units off: still straight ahead
  EXPECT_FLOAT_EQ(opacityFor(20000.0f, 800.0f), 1.0f);    // a quarter turn
  EXPECT_NEAR(opacityFor(20000.0f, 20800.0f), 0.5f, 0.01f);  // an eighth
  EXPECT_NEAR(opacityFor(-20000.0f, 20800.0f), 0.5f, 0.01f);
  gGameMode = kModeDerby;
  EXPECT_NEAR(opacityFor(0.0f, 20000.0f), 0.5f, 0.01f) << "only in rally";
}

TEST_F(RaceHudDrawing, FontsLoadOnceAndUnloadOnce) {
  gFontLap = gFontSpeed = nullptr;
  EXPECT_EQ(HudFontsLoad(), 0);
  EXPECT_NE(gFontLap, nullptr);
  EXPECT_EQ(HudFontsLoad(), kHudFontsAlreadyLoaded);
  EXPECT_EQ(HudFontsUnload(), 0);
  EXPECT_EQ(gFontLap, nullptr);
  EXPECT_EQ(HudFontsUnload(), kHudFontsNotLoaded);
}

}  // namespace
