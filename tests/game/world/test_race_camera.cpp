// The race camera's placement in each view mode, for a craft in a small world of water and a wall.
#include <gtest/gtest.h>

#include "engine/render/camera.h"
#include "game/world/race_camera.h"
#include "tests/game/world/craft_world.h"

namespace {

class RaceCamera : public CraftWorld {
 protected:
  void SetUp() override {
    CraftWorld::SetUp();
    craft = NewCraft(0, 1000, 100, 2000);
    view.camera = &camera;
    view.player = craft->owner;
    view.viewMode = kViewNone;
  }
  void Turn(float x, float z, int32_t yaw) { wre_ObjectSetTransform(craft->craftObject, 0, yaw, 0, x, 100, z); }
  void ExpectAt(float x, float y, float z, float tolerance = 0.05f) {
    EXPECT_NEAR(camera.transform.position[0], x, tolerance);
    EXPECT_NEAR(camera.transform.position[1], y, tolerance);
    EXPECT_NEAR(camera.transform.position[2], z, tolerance);
    EXPECT_EQ(view.cameraPosition.z, camera.transform.position[2]);
  }

  Camera camera{};
  Watercraft* craft = nullptr;
};

TEST_F(RaceCamera, ChaseSnapsBehindThenOrbitsSmoothlyAndStaysAboveTheWater) {
  RaceCameraCycleView(&view);
  ExpectAt(1000, 600, 2000 - 2900);
  EXPECT_EQ(camera.transform.angleY, 0);

  // The craft turns to face +x; the eye starts under water. The orbit closes 15 percent of its gap
  // (trunc 153.6), the look 70 percent (trunc 716.8); the eye height a fifth of its gap to 600,
  // which is still under the water, so it is lifted to 500 above it.
  Turn(1000, 2000, 1024);
  wre_CameraSetTransform(&camera, 0, 0, 0, 1000, -1000, -900);
  RaceCameraPlace(&view, false);
  EXPECT_EQ(gCameraYaw, 153);
  EXPECT_EQ(camera.transform.angleY, 716);
  ExpectAt(325.604f, 500, -820.495f);
}

TEST_F(RaceCamera, ChaseIsPulledInFrontOfScenery) {
  // Facing -z 2000 before the wall: the eye would stand beyond it at z 8900; the sweep of radius
  // 1000 stops 1000.5 short of where the line to the eye crosses the wall's face.
  Turn(0, 6000, 2048);
  RaceCameraCycleView(&view);
  ExpectAt(0, 274.836f, 7014.047f);
}

TEST_F(RaceCamera, OnBoardRidesTheCraftAndOverheadOnlyTurnsToFollow) {
  Turn(1000, 2000, 1024);
  view.viewMode = kViewChase;
  RaceCameraCycleView(&view);
  ExpectAt(1050, 450, 2000);
  EXPECT_EQ(camera.transform.angleY, 1024);

  RaceCameraCycleView(&view);
  ExpectAt(1000, 2100, 2000);
  EXPECT_NEAR(camera.transform.angleX, 1024, 1);  // straight down
  Turn(1000, 5000, 0);
  RaceCameraPlace(&view, false);
  ExpectAt(1000, 2100, 2000);
  EXPECT_EQ(camera.transform.angleY, 0);
  EXPECT_GT(camera.transform.angleX, 0);
  EXPECT_LT(camera.transform.angleX, 1024);

  view.player = nullptr;
  RaceCameraCycleView(&view);
  ExpectAt(1000, 2100, 2000);
}

}  // namespace
