// The race water as the player sees it, through the harness: water never drawn over the player's
// hull from the chase view, and a surface whose light does not flash over the whole view.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/core/object.h"
#include "engine/core/world.h"
#include "engine/render/camera.h"
#include "game/race/game_modes.h"
#include "game/state/game_view.h"
#include "game/state/gate_record.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/world/game_object.h"
#include "game/world/level_load.h"
#include "game/world/water_surface.h"
#include "game/world/watercraft.h"
#include "platform/test/plat_display.h"
#include "tests/game/harness/capture_png.h"
#include "tests/game/harness/game_harness.h"

namespace {

constexpr int32_t kBermuda = 2;
constexpr int kTicksPerFrame = 2;
constexpr int kWavePeriodFrames = 60;  // longer than the slowest wave of any settings file

EngineObject* PlayerHull() {
  if (!gView || !gView->player || !gView->player->craft) return nullptr;
  return gView->player->craft->craftObject;
}

// The race water: the grid and the level's own water-surface objects.
void WaterShow(bool shown) {
  wre_ObjectSetVisible(gWaterGrid, shown);
  for (EngineObject* o = gView->world->objects; o; o = o->next)
    if (o->collisionGroup == kGroupWaterSurface) wre_ObjectSetVisible(o, shown);
}

// Everything of the world hidden but the water and the player's craft and rider, so that nothing
// else that moves (a bobbing buoy) passes for the hull.
void ShowOnlyWaterAndPlayer() {
  const Watercraft* craft = gView->player->craft;
  for (EngineObject* o = gView->world->objects; o; o = o->next)
    if (o != craft->craftObject && o != craft->riderObject && o != gWaterGrid && o->collisionGroup != kGroupWaterSurface)
      wre_ObjectSetVisible(o, 0);
}

// Where water lies over the course: the middle of a level water-surface object, else of the
// course's first leg.
bool WaterSpot(float* x, float* z) {
  for (EngineObject* o = gView->world->objects; o; o = o->next) {
    if (o->collisionGroup != kGroupWaterSurface) continue;
    *x = 0.5f * (o->worldBounds[0] + o->worldBounds[1]);
    *z = 0.5f * (o->worldBounds[4] + o->worldBounds[5]);
    return true;
  }
  if (!gGateListHead || !gGateListHead->next) return false;
  *x = 0.5f * (gGateListHead->centre.x + gGateListHead->next->centre.x);
  *z = 0.5f * (gGateListHead->centre.z + gGateListHead->next->centre.z);
  return true;
}

double MeanBrightness(const PlatFrame& f) {
  double sum = 0.0;
  for (const uint16_t p : f.pixels) sum += (p >> 11) / 31.0 + ((p >> 5) & 63) / 63.0 + (p & 31) / 31.0;
  return f.pixels.empty() ? 0.0 : sum / (3.0 * static_cast<double>(f.pixels.size()));
}

void SelectBermudaRally() {
  gGameMode = kModeRally;
  gLevel = kBermuda;
  gCourse = 0;
  gSettings.opponentCount = 0;
}

// The player's craft, held still on the water, sinks furthest into a wave's trough; there the frame
// with the water is compared with the frame without it, and the hull's own pixels (those that the
// hull's hiding changes) must be alike in both.
TEST(RaceWater, TheWaterIsNeverDrawnOverTheHullFromTheChaseView) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  harness.TicksPerFrame(kTicksPerFrame);
  enum Stage { kSettle, kWaitTrough, kShown, kHidden, kHullHidden, kDone };
  Stage stage = kSettle;
  int frames = 0;
  float spotX = 0.0f, spotZ = 0.0f, lowest = 1e30f;
  PlatFrame shown, hidden, noHull;
  harness.EachFrame([&](int) {
    EngineObject* hull = PlayerHull();
    if (!RaceActiveGet() || !hull || stage == kDone) return;
    Transform& t = hull->transform;
    switch (stage) {
      case kSettle:
        if (frames == 0 && !WaterSpot(&spotX, &spotZ)) {
          stage = kDone;
          return;
        }
        wre_ObjectSetTransform(hull, t.angleX, t.angleY, t.angleZ, spotX, t.position[1], spotZ);
        gView->player->craft->physics.velocity = Point4{};
        if (frames > kWavePeriodFrames) lowest = std::min(lowest, t.position[1]);
        if (++frames == 2 * kWavePeriodFrames) stage = kWaitTrough;
        return;
      case kWaitTrough:
        wre_ObjectSetTransform(hull, t.angleX, t.angleY, t.angleZ, spotX, t.position[1], spotZ);
        gView->player->craft->physics.velocity = Point4{};
        if (t.position[1] <= lowest + 2.0f || ++frames > 4 * kWavePeriodFrames) {
          gPaused = 1;  // craft, camera and waves stand still from the next frame on
          ShowOnlyWaterAndPlayer();
          stage = kShown;
        }
        return;
      case kShown:
        harness.Captured(&shown);
        WaterShow(false);
        stage = kHidden;
        return;
      case kHidden:
        harness.Captured(&hidden);
        wre_ObjectSetVisible(hull, 0);
        stage = kHullHidden;
        return;
      case kHullHidden:
        harness.Captured(&noHull);
        wre_ObjectSetVisible(hull, 1);
        WaterShow(true);
        gPaused = 0;
        gQuitRequested = 1;
        stage = kDone;
        return;
      case kDone: return;
    }
  });
  harness.RunRace(SelectBermudaRally);
  ASSERT_EQ(stage, kDone);
  ASSERT_FALSE(noHull.pixels.empty()) << "the craft never reached the water";
  CapturePngKeep(shown, "race_water_trough_shown");
  CapturePngKeep(hidden, "race_water_trough_hidden");
  // The hull rides in the water: its waterline may go under (in a trough, up the bow's corners), the
  // upper rows of its outline never.
  const auto isHull = [&](size_t i) { return hidden.pixels[i] != noHull.pixels[i]; };
  const int width = hidden.width;
  int top = hidden.height, bottom = -1, hullPixels = 0;
  for (size_t i = 0; i < hidden.pixels.size(); ++i) {
    if (!isHull(i)) continue;
    ++hullPixels;
    top = std::min(top, static_cast<int>(i) / width);
    bottom = std::max(bottom, static_cast<int>(i) / width);
  }
  int upper = 0, covered = 0;
  for (size_t i = 0; i < static_cast<size_t>((top + (bottom - top) * 2 / 5) * width); ++i) {
    if (!isHull(i)) continue;
    ++upper;
    covered += shown.pixels[i] != hidden.pixels[i];
  }
  EXPECT_GT(hullPixels, 500);
  EXPECT_EQ(covered, 0) << "of the " << upper << " pixels of the hull's upper rows";
}

// With the craft standing still through the countdown, the view's mean brightness holds steady.
TEST(RaceWater, AStillViewOfTheWaterKeepsItsBrightnessOverTwoSeconds) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  harness.TicksPerFrame(kTicksPerFrame);
  constexpr int kTwoSecondsOfFrames = 120 / kTicksPerFrame;
  constexpr int kLoadingFrames = 4;
  int raceFrames = 0;
  std::vector<double> means;
  harness.EachFrame([&](int) {
    // The first race frames still show the loading picture.
    if (!RaceActiveGet() || !PlayerHull() || ++raceFrames <= kLoadingFrames || means.size() == kTwoSecondsOfFrames)
      return;
    PlatFrame frame;
    if (harness.Captured(&frame)) means.push_back(MeanBrightness(frame));
    if (means.size() == kTwoSecondsOfFrames) gQuitRequested = 1;
  });
  harness.RunRace(SelectBermudaRally);
  ASSERT_EQ(means.size(), static_cast<size_t>(kTwoSecondsOfFrames));
  const auto [low, high] = std::minmax_element(means.begin(), means.end());
  EXPECT_LT(*high - *low, 0.1) << "from " << *low << " to " << *high;
}

}  // namespace
