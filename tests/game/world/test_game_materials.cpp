#include <gtest/gtest.h>

#include "engine/core/colour_scale.h"
#include "engine/core/wre_types.h"
#include "engine/data/material.h"
#include "engine/render/camera.h"
#include "game/state/game_view.h"
#include "game/world/game_materials.h"
#include "game/world/race_camera.h"
#include "tests/game/harness/game_engine_fixture.h"

namespace {

class GameMaterials : public GameEngineFixture {
 protected:
  void TearDown() override {
    GameCameraFree(camera);
    GameViewDispose(gView);
    gView = nullptr;
    GameEngineFixture::TearDown();
  }
  void StartWithCamera(int32_t kind) {
    ASSERT_EQ(Start(kind), 0);
    gView = GameViewNew();
    camera = GameCameraCreate(0, 0, 640, 480, 512.0f, 0x125);
    ASSERT_NE(camera, nullptr);
    gView->camera = camera;
  }
  static const Material& M(int32_t index) { return gMaterialTable[gMaterialIndexMap[index]]; }
  Camera* camera = nullptr;
};

TEST_F(GameMaterials, SoftwareScalesBy255AndDrawsTheWaterOpaque) {
  StartWithCamera(kRendererSoftware);
  ASSERT_TRUE(MaterialsCreate());
  EXPECT_FLOAT_EQ(M(gtheWhiteMaterial).colourA.red, 255.0f);
  EXPECT_FLOAT_EQ(M(gtheOrangeMaterial).colourA.green, 0.533f * 255.0f);
  EXPECT_FLOAT_EQ(M(gtheWaterSplashMaterial).colourB.alpha, 0.6f * 255.0f);
  EXPECT_FLOAT_EQ(M(gtheWaterMaterial).colourA.alpha, 255.0f);
  EXPECT_STREQ(M(gtheRallyDerbyMaterial).name, "gtheRallyDerbyMaterial");
  for (int32_t unlit : {gtheInterfaceMaterial, gtheWaterParticleMaterial,
                        gtheTreasureHuntDollarMaterial, gtheRallyDerbyMaterial})
    EXPECT_FLOAT_EQ(M(unlit).ambientResponse, 0.0f);
  EXPECT_FLOAT_EQ(M(gtheAlphaInterfaceMaterial).ambientResponse, 1.0f);
  EXPECT_EQ(MaterialsFree(), 0);
  EXPECT_EQ(M(gtheWhiteMaterial).inUse, 0);
}

TEST_F(GameMaterials, HardwareKeepsTheWaterTranslucentAndAUnitRangeStoresTheFactors) {
  StartWithCamera(kRendererDirect3D);
  ASSERT_TRUE(MaterialsCreate());
  EXPECT_FLOAT_EQ(M(gtheWaterMaterial).colourA.alpha, 0.8f * 255.0f);
  MaterialsFree();
  // The OpenGL range: colours equal their factors.
  gColourMax = gColourMaxAlpha = 1.0f;
  ASSERT_TRUE(MaterialsCreate());
  EXPECT_FLOAT_EQ(M(gtheIndigoMaterial).colourA.red, 0.5f);
  EXPECT_FLOAT_EQ(M(gtheLightBlueMaterial).colourB.blue, 1.0f);
  EXPECT_FLOAT_EQ(M(gtheWaterMaterial).colourA.alpha, 0.8f);
  MaterialsFree();
}

TEST_F(GameMaterials, AFullTableFailsAtTheFirstMaterialThatFindsNoRoom) {
  ASSERT_EQ(Start(kRendererSoftware), 0);
  const ColourFloat grey{1, 1, 1, 1};
  for (int i = 0; i < 128 - 5; ++i) wre_MaterialDefine(wre_MaterialFindFree(), &grey, &grey, "filler");
  EXPECT_FALSE(MaterialsCreate());
  EXPECT_NE(gtheWhiteTranspMaterial, -1);  // the fourth and fifth still fitted
  EXPECT_EQ(gtheDarkGreyMaterial, -1);     // the sixth found no room
}

TEST_F(GameMaterials, TheCameraIsCentredAndTheViewCycles) {
  ASSERT_EQ(Start(kRendererSoftware), 0);
  camera = GameCameraCreate(0, 0, 640, 480, 512.0f, 0x125);
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->viewport.left, 0);
  EXPECT_EQ(camera->viewport.right, 640);
  EXPECT_EQ(camera->viewport.bottom, 480);
  EXPECT_FLOAT_EQ(camera->nearClip, 500.0f);
  EXPECT_FLOAT_EQ(camera->farClip, 554400.0f);
  Camera* small = GameCameraCreate(0, 0, 320, 240, 512.0f, 0x125);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->viewport.left, 160);
  EXPECT_EQ(small->viewport.top, 120);
  EXPECT_EQ(small->viewport.right, 480);
  EXPECT_EQ(small->viewport.bottom, 360);
  GameCameraFree(small);

  ViewComponents view{};
  view.viewMode = kViewNone;
  gCameraYaw = 900;
  RaceCameraCycleView(&view);
  EXPECT_EQ(view.viewMode, kViewChase);
  EXPECT_EQ(gCameraYaw, 0);
  RaceCameraCycleView(&view);
  RaceCameraCycleView(&view);
  EXPECT_EQ(view.viewMode, kViewOverhead);
  RaceCameraCycleView(&view);
  EXPECT_EQ(view.viewMode, kViewChase);
}

}  // namespace
