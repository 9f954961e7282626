// The water grid's waves against values worked out by hand from the wave formulas, the random
// mode's phases from a fixed seed, the texture offsets and specular colours, the seam, the planar
// mode, pausing and the scrolling offset of the level's water objects.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/detail.h"
#include "engine/core/object.h"
#include "engine/core/random.h"
#include "engine/data/codex.h"
#include "engine/data/material.h"
#include "engine/data/texture_list.h"
#include "engine/render/frame.h"
#include "game/world/game_materials.h"
#include "game/world/water_surface.h"
#include "tests/game/harness/capture_png.h"
#include "tools/datagen/bmp_writer.h"
#include "world_fixture.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kColumns = 12;

double Sin4096(int64_t angle) { return std::sin(kTwoPi * static_cast<double>(angle & 0xfff) / 4096.0); }

class WaterSurface : public WorldFixture {
 public:
  // The markers' height range 1000 .. 3000 puts the grid at y = 2000.
  void Start(float cells = 0.0f, float cellSize = 0.0f) {
    gWaterBoundsMin[1] = 1000.0f;
    gWaterBoundsMax[1] = 3000.0f;
    ASSERT_EQ(WaterworksStart(&view, cells, cellSize, 0), 0);
    ASSERT_NE(gWaterGrid, nullptr);
  }
  static float Height(int r, int c) { return gWaterGrid->localPoints[r * WaterGridColumns() + c].y; }
  static void Steps(int n) {
    for (int i = 0; i < n; ++i) WaterworksUpdate(nullptr);
  }
  // Heights of every point off the seam after `ticks` steps from the given initial phase.
  template <typename Phase>
  void ExpectWaves(int ticks, float multiplier, float basis, int32_t add, Phase phase) {
    for (int r = 0; r < kColumns - 1; ++r) {
      for (int c = 0; c < kColumns - 1; ++c) {
        const double expected = Sin4096(phase(r, c) + static_cast<int64_t>(ticks) * add) * multiplier + basis;
        ASSERT_NEAR(Height(r, c), expected, 1e-3 * multiplier) << "row " << r << " column " << c;
      }
    }
  }
};

TEST_F(WaterSurface, DeterministicModesFollowTheirPhaseLayoutsAtFixedTicks) {
  struct Case {
    int32_t mode;
    int64_t (*phase)(int r, int c);
  };
  const Case cases[] = {
      {kWaterModeSingularSine, [](int, int c) -> int64_t { return 372 * c; }},
      {kWaterModeStaggeredDualSine, [](int r, int c) -> int64_t { return 512 + 372 * r + 372 * c; }},
      {kWaterModeStaggeredSine, [](int r, int c) -> int64_t { return 372 * (12 * r + 2 * c); }},
      {77, [](int r, int c) -> int64_t { return 512 + 372 * r + 372 * c; }},  // any other mode: as 102
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.mode);
    WaterworksReset(&view);
    WaterworksSetWaterMode(k.mode);
    WaterworksSetWaveHeightMultiplier(350.0f);
    WaterworksSetWaveAngleAdd(113);
    WaterworksSetBasisY(-20.0f);
    Start();
    EXPECT_EQ(gWaterSettings.phases[5 * kColumns + 7], k.phase(5, 7));
    Steps(1);
    if (k.mode == 77) {
      // Not a wave mode: the grid stays flat.
      EXPECT_EQ(Height(5, 7), 0.0f);
    } else {
      ExpectWaves(1, 350.0f, -20.0f, 113, k.phase);
      Steps(9);
      ExpectWaves(10, 350.0f, -20.0f, 113, k.phase);
    }
    ASSERT_EQ(WaterworksExit(&view), 0);
  }
}

TEST_F(WaterSurface, RandomModeDrawsEachPhaseFromTheEngineRandomSource) {
  wre_RandomSeed(4321);
  std::vector<uint32_t> drawn;
  for (int i = 0; i < kColumns * kColumns; ++i) drawn.push_back(wre_Random());
  wre_RandomSeed(4321);
  WaterworksSetWaterMode(kWaterModeRandomPlop);
  WaterworksSetWaveHeightMultiplier(100.0f);
  WaterworksSetWaveAngleAdd(40);
  Start();
  for (int i = 0; i < kColumns * kColumns; ++i) ASSERT_EQ(static_cast<uint32_t>(gWaterSettings.phases[i]), drawn[i]);
  Steps(1);
  ExpectWaves(1, 100.0f, 0.0f, 40, [&](int r, int c) { return static_cast<int64_t>(drawn[r * kColumns + c]); });
}

TEST_F(WaterSurface, SpecularAndTextureOffsetsFollowTheSineOfEachPoint) {
  WaterworksSetWaterMode(kWaterModeSingularSine);
  WaterworksSetWaveAngleAdd(0);
  WaterworksSetHeightToSpecularRatio(0.4f);
  WaterworksSetMinHeightToSpecularThresh(0.1f);
  WaterworksSetHeightToTextureUVRatio(0.1f, 0.2f);
  WaterworksSetWaterUVPoint(1.0f, 2.0f);
  WaterworksSetWaterUVAddPoint(0.5f, 0.25f);
  WaterworksSetUVCyclicMultiplier(2.0f);
  WaterworksSetUVCyclicAngle(0);
  WaterworksSetUVCyclicAddAngle(1024);  // a quarter turn: the sway is 2 x sin(1024) = 2 after one step
  Start();
  Steps(1);
  for (int c : {1, 4, 8}) {  // sines 0.54, -0.99 and 0.28
    const double s = Sin4096(372 * c);
    const float* uv = &gWaterSettings.uvs[2 * (3 * kColumns + c)];
    EXPECT_NEAR(uv[0], s * 0.1 + 1.5 + 2.0, 1e-4);
    EXPECT_NEAR(uv[1], s * 0.2 + 2.25 + 2.0, 1e-4);
    const float red = gWaterGrid->pointAttachments[3 * kColumns + c].value[0];
    EXPECT_NEAR(red, s < 0.1 ? 0.0 : s * 0.4 * gColourMaxAlpha, 1e-3);
  }
  // The polygons' corners read the per-point offsets.
  const ObjectPolygon& polygon = gWaterGrid->polygons[0];
  EXPECT_EQ(polygon.virtualTexturePoint[0], &gWaterSettings.uvs[2 * polygon.points[0]]);
  EXPECT_TRUE(polygon.flags & kPolyVirtualTexturePoint);
}

TEST_F(WaterSurface, TheLastRowAndColumnRepeatTheFirstOnAnyGridSize) {
  WaterworksSetWaterMode(kWaterModeStaggeredSine);
  WaterworksSetWaveHeightMultiplier(50.0f);
  WaterworksSetWaveAngleAdd(7);
  WaterworksSetHeightToSpecularRatio(1.0f);
  Start(5.0f, 100.0f);  // 6 x 6 points
  ASSERT_EQ(WaterGridColumns(), 6);
  ASSERT_EQ(gWaterGrid->pointCount, 36);
  Steps(3);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Height(i, 5), Height(i, 0));
    EXPECT_EQ(Height(5, i), Height(0, i));
    EXPECT_EQ(gWaterGrid->pointAttachments[i * 6 + 5].value[1], gWaterGrid->pointAttachments[i * 6].value[1]);
  }
  EXPECT_NE(Height(2, 1), Height(2, 2));
}

TEST_F(WaterSurface, PlanarModeSwingsTheWholeGridAboutItsStartHeight) {
  WaterworksSetWaterMode(kWaterModePlanar);
  WaterworksSetWaveHeightMultiplier(5.0f);  // overridden
  WaterworksSetWaveAngleAdd(3);
  WaterworksSetSingularTexUV(0.7f, 0.7f);
  WaterworksSetWaterUVPoint(0.25f, 0.5f);
  Start();
  EXPECT_EQ(gWaterGrid->transform.position[1], 2000.0f);
  EXPECT_EQ(gWaterGrid->polygons[3].virtualTexturePoint[2], gWaterSettings.singularTexUV);
  Steps(4);
  EXPECT_NEAR(gWaterGrid->transform.position[1], 1000.0 * Sin4096(4 * 85) + 2000.0, 0.05);
  EXPECT_EQ(Height(3, 3), 0.0f);
  EXPECT_FLOAT_EQ(gWaterSettings.singularTexUV[0], 0.25f);
  EXPECT_FLOAT_EQ(gWaterSettings.singularTexUV[1], 0.5f);
}

TEST_F(WaterSurface, PauseFreezesTheWavesWhileTheLevelWaterStillScrolls) {
  WaterworksSetWaterMode(kWaterModeSingularSine);
  WaterworksSetWaveHeightMultiplier(100.0f);
  WaterworksSetWaveAngleAdd(50);
  WaterworksSetWaterUVAddPoint(0.5f, 0.0f);
  Start();
  Steps(1);
  const float height = Height(2, 2);
  const float u = gWaterSettings.waterUVPoint[0];
  gPaused = 1;
  Steps(5);
  EXPECT_EQ(Height(2, 2), height);
  EXPECT_EQ(gWaterSettings.waterUVPoint[0], u);
  for (int i = 0; i < 11; ++i) WaterScrollProcess();
  EXPECT_NEAR(gWaterScrollUV[1], 0.1f, 1e-5);  // 1.1 wrapped once
  EXPECT_EQ(gWaterScrollUV[0], 0.0f);
  gPaused = 0;
  Steps(1);
  EXPECT_NE(Height(2, 2), height);
  EXPECT_FLOAT_EQ(gWaterSettings.waterUVPoint[0], 1.0f);
}

TEST_F(WaterSurface, SettersSetTheirFlagBitsAndResetClearsThem) {
  WaterworksSetTextureTileFactor(2.0f);
  WaterworksSetBasisY(3.0f);
  WaterworksSetSingularTexUV(1.0f, 1.0f);
  EXPECT_EQ(gWaterSettings.flags, 0);
  WaterworksSetMinHeightToSpecularThresh(0.2f);
  EXPECT_EQ(gWaterSettings.flags, kWaterSpecular);
  WaterworksSetHeightToTextureUVRatio(1.0f, 1.0f);
  WaterworksSetWaterUVAddPoint(1.0f, 1.0f);
  WaterworksSetUVCyclicAddAngle(5);
  EXPECT_EQ(gWaterSettings.flags, kWaterSpecular | kWaterHeightToUV | kWaterUVPoint | kWaterCyclicUV);
  WaterworksSetHeightToSpecularRatio(0.5f);
  EXPECT_EQ(gWaterSettings.heightToSpecularRatio, 0.5f * gColourMaxAlpha);
  WaterworksReset(&view);
  EXPECT_EQ(gWaterSettings.flags, 0);
  EXPECT_EQ(gWaterSettings.textureTileFactor, 1.0f);
  EXPECT_EQ(gWaterSettings.heightToSpecularRatio, gColourMaxAlpha);
  EXPECT_EQ(gWaterBoundsMin[1], 1.8e38f);
}

TEST_F(WaterSurface, StartPlacesTheGridWithItsFarPlaneAndExitTakesItAway) {
  WaterworksSetWaterMode(kWaterModeSingularSine);
  gWaterBoundsMin[1] = 1000.0f;
  gWaterBoundsMax[1] = 3000.0f;
  ASSERT_EQ(WaterworksStart(&view, 0.0f, 0.0f, 1), 0);
  EXPECT_EQ(gWaterGrid->pointCount, 144);
  EXPECT_EQ(gWaterGrid->collisionGroup, 1u);
  EXPECT_EQ(gWaterGrid->world, view.world);
  ASSERT_NE(gWaterGrid->detailGroup, nullptr);
  EXPECT_EQ(gWaterGrid->detailGroup->count, 1);
  EXPECT_NE(gWaterGrid->polyTree, nullptr);
  EXPECT_EQ(gWaterGrid->polygons[0].kind, kPolyTextured);  // the software renderer's kind
  EXPECT_EQ(WaterworksExit(&view), 0);
  EXPECT_EQ(gWaterGrid, nullptr);
  EXPECT_EQ(gWaterSettings.phases, nullptr);
  EXPECT_EQ(view.world->gridMeshes, nullptr);
}

}  // namespace

namespace {

// The software renderer looking over the waves: two frames ten ticks apart must differ. Both are
// kept to be looked at (water_tick1.png, water_tick11.png) when a capture folder is named.
class WaterFrames : public WaterSurface {
 public:
  std::vector<uint8_t> Frame(const char* name) {
    EXPECT_EQ(wre_FrameBegin(view.camera, 1), 0);
    EXPECT_EQ(wre_CameraRender(view.camera), 0);
    EXPECT_EQ(wre_FrameFlush(view.camera), 0);
    EXPECT_EQ(wre_FrameEnd(view.camera), 0);
    PlatFrame frame;
    EXPECT_TRUE(plat_TestLastPresented(&frame));
    std::vector<uint8_t> rgb;
    for (int32_t y = 0; y < 120; ++y) {
      for (int32_t x = 0; x < 160; ++x) {
        const uint16_t p = frame.pixels[static_cast<size_t>(y) * frame.width + x];
        rgb.insert(rgb.end(), {static_cast<uint8_t>((p >> 11) << 3), static_cast<uint8_t>(((p >> 5) & 63) << 2),
                               static_cast<uint8_t>((p & 31) << 3)});
      }
    }
    CapturePngKeep(frame, name);
    return rgb;
  }
};

TEST_F(WaterFrames, TheRenderedWavesMoveBetweenTicks) {
  gtheWaterMaterial = wre_MaterialCreate(40.0f, 90.0f, 200.0f, 255.0f, 0.0f, 0.0f, 0.0f, 255.0f, "water");
  ASSERT_GE(gtheWaterMaterial, 0);
  WaterworksSetWaterMode(kWaterModeStaggeredDualSine);
  WaterworksSetWaveHeightMultiplier(2500.0f);
  WaterworksSetWaveAngleAdd(60);
  // A checker texture under the water ident, so the waves show in its squares.
  std::vector<uint8_t> checker;
  for (int i = 0; i < 32 * 32; ++i) {
    const bool light = ((i % 32) / 8 + (i / 32) / 8) % 2 == 0;
    checker.insert(checker.end(), {static_cast<uint8_t>(light ? 120 : 20), static_cast<uint8_t>(light ? 170 : 60),
                                   static_cast<uint8_t>(light ? 230 : 120)});
  }
  level_fixture::WriteBytes(dir, "water.bmp", BmpWriteRgb(32, 32, checker.data()));
  dir.Write("texture.codx", level_fixture::TextureList("water.bmp", "vqz_WaterworksTexIdent0"));
  wre_FolderSet(dir.str().c_str());
  wre_CodexSetMode(0);
  ASSERT_EQ(wre_CodexLoadTextures("texture.codx", 0, view.camera->context), 0);
  Start();
  ASSERT_GE(gWaterTextureIndex, 0);
  wre_CameraSetTransform(view.camera, 300, 0, 0, 0.0f, 12000.0f, -40000.0f);
  Steps(1);
  const std::vector<uint8_t> first = Frame("water_tick1");
  Steps(10);
  const std::vector<uint8_t> later = Frame("water_tick11");
  size_t differing = 0;
  for (size_t i = 0; i < first.size(); ++i) differing += first[i] != later[i] ? 1 : 0;
  EXPECT_GT(differing, first.size() / 20);
  gtheWaterMaterial = 0;
}

}  // namespace
