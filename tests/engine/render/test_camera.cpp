#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/object.h"
#include "engine/render/camera.h"
#include "render_fixture.h"

namespace {

class Cameras : public RenderFixture {};

float Side(const Point4& plane, float x, float y, float z) { return plane.x * x + plane.y * y + plane.z * z + plane.w; }

bool InsideWorld(const Camera* camera, float x, float y, float z) {
  for (const Point4& plane : camera->worldPlanes) {
    if (Side(plane, x, y, z) < 0) return false;
  }
  return true;
}

TEST_F(Cameras, TheGamesFrustumHasTheCornersWorkedByHand) {
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  // k = 1 / 512: half of 640 and 480 over 512 at the near distance 1.
  EXPECT_FLOAT_EQ(camera->corners[0].x, 0.625f);
  EXPECT_FLOAT_EQ(camera->corners[0].y, 0.46875f);
  EXPECT_FLOAT_EQ(camera->corners[0].z, 1.0f);
  EXPECT_FLOAT_EQ(camera->corners[6].x, -625.0f);
  EXPECT_FLOAT_EQ(camera->corners[6].y, -468.75f);
  EXPECT_FLOAT_EQ(camera->corners[6].z, 1000.0f);
  EXPECT_EQ(camera->scanLimits.right, 640);
  EXPECT_EQ(camera->scanLimits.bottom, 480);
  // Camera and world planes agree while the camera stands at the origin; normals point inward.
  for (int p = 0; p < 6; ++p) {
    EXPECT_NEAR(camera->planes[p].x, camera->worldPlanes[p].x, 1e-5f) << p;
    EXPECT_NEAR(camera->planes[p].w, camera->worldPlanes[p].w, 1e-3f) << p;
  }
  EXPECT_GT(Side(camera->planes[0], 0, 0, 500), 0);
  EXPECT_TRUE(InsideWorld(camera, 0, 0, 500));
  EXPECT_TRUE(InsideWorld(camera, 0, 0, 1.0f));  // on the near plane counts as inside
  EXPECT_FALSE(InsideWorld(camera, 0, 0, 0.99f));
  EXPECT_FALSE(InsideWorld(camera, 0, 0, 1000.5f));
  EXPECT_TRUE(InsideWorld(camera, 0.62f * 100, 0, 100));
  EXPECT_FALSE(InsideWorld(camera, 0.63f * 100, 0, 100));
  EXPECT_FALSE(InsideWorld(camera, -0.63f * 100, 0, 100));
  EXPECT_TRUE(InsideWorld(camera, 0, 0.46f * 100, 100));
  EXPECT_FALSE(InsideWorld(camera, 0, 0.47f * 100, 100));
  EXPECT_FALSE(InsideWorld(camera, 0, -0.47f * 100, 100));
  EXPECT_FLOAT_EQ(camera->worldBounds[4], 1.0f);
  EXPECT_FLOAT_EQ(camera->worldBounds[5], 1000.0f);
  EXPECT_FLOAT_EQ(camera->worldBounds[0], -625.0f);
  wre_CameraDispose(camera, 1);
}

TEST_F(Cameras, ClipFactorsMapNearToZeroAndFarToOne) {
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  camera->transform.changed = 0;
  wre_CameraSetClip(camera, 100.0f, 2.0f);
  EXPECT_EQ(camera->transform.changed, 1);
  EXPECT_FLOAT_EQ(camera->depthRange, 98.0f);
  auto depth = [&](float z) { return (z * camera->depthScale + camera->depthOffset) / z; };
  EXPECT_NEAR(depth(2.0f), 0.0f, 1e-6f);
  EXPECT_NEAR(depth(100.0f), 1.0f, 1e-6f);
  EXPECT_FLOAT_EQ(camera->corners[4].z, 100.0f);
  wre_CameraSetFieldOfView(camera, 5120);
  EXPECT_EQ(camera->fieldOfView, 1024);
  wre_CameraDispose(camera, 1);
}

TEST_F(Cameras, MovingWithoutMarkingKeepsTheOldWorldFrustum) {
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  camera->transform.changed = 0;
  wre_TransformSet(&camera->transform, 0, 0, 0, 0, 0, 5000);
  camera->transform.changed = 0;
  EXPECT_TRUE(InsideWorld(camera, 0, 0, 500));  // still the frustum at the origin
  EXPECT_FALSE(InsideWorld(camera, 0, 0, 5500));
  wre_CameraMarkChanged(camera);
  wre_CameraUpdateFrustum(camera);
  EXPECT_EQ(camera->transform.changed, 0);
  EXPECT_FALSE(InsideWorld(camera, 0, 0, 500));
  EXPECT_TRUE(InsideWorld(camera, 0, 0, 5500));
  // Turned half a turn about y, the camera looks down -z.
  wre_CameraSetPlacement(camera, 0, 2048, 0, 0, 0, 0);
  wre_CameraUpdateFrustum(camera);
  EXPECT_TRUE(InsideWorld(camera, 0, 0, -500));
  EXPECT_FALSE(InsideWorld(camera, 0, 0, 500));
  wre_CameraDispose(camera, 1);
}

TEST_F(Cameras, AttachedObjectsFormAListWithTheNewestFirst) {
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  EngineObject a{}, b{}, c{}, stranger{};
  EXPECT_EQ(wre_CameraAddObject(camera, &a), nullptr);
  EXPECT_EQ(wre_CameraAddObject(camera, &b), &a);
  EXPECT_EQ(wre_CameraAddObject(camera, &c), &b);
  EXPECT_EQ(camera->attached, &c);
  EXPECT_EQ(wre_CameraRemoveObject(camera, &stranger), nullptr);
  EXPECT_EQ(camera->attached, &c);
  EXPECT_EQ(wre_CameraRemoveObject(camera, &b), &b);  // middle
  EXPECT_EQ(c.next, &a);
  EXPECT_EQ(a.prev, &c);
  EXPECT_EQ(wre_CameraRemoveObject(camera, &c), &c);  // head
  EXPECT_EQ(camera->attached, &a);
  EXPECT_EQ(a.prev, nullptr);
  EXPECT_EQ(wre_CameraRemoveObject(camera, &a), &a);
  EXPECT_EQ(camera->attached, nullptr);
  wre_CameraDispose(camera, 1);
}

TEST_F(Cameras, BackgroundsOfTheSoftwareRendererAreOnlyStored) {
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->background[1], 20.0f);
  EXPECT_EQ(wre_CameraSetBackgroundRGBA(camera, 1, 2, 3, 4), 0);
  EXPECT_EQ(camera->background[3], 4.0f);
  EXPECT_EQ(camera->d3dBackgroundHandle, 0u);
  EXPECT_EQ(wre_CameraSetBackground(camera, nullptr), -1);
  EXPECT_EQ(wre_CameraSetWorld(camera, nullptr), -1);
  EXPECT_EQ(camera->bits & kCameraDepthTest, kCameraDepthTest);
  wre_CameraDispose(camera, 1);
}

TEST_F(Cameras, DepthCueDistancesAreNormalisedByTheClipAtTheTime) {
  WreRect view{0, 0, 640, 480};
  uint32_t colour[4] = {1, 2, 3, 4};
  Camera* camera = wre_CameraNew(&view, 16, nullptr, nullptr, 0, 10.0f, 110.0f, 320.0f, 1024, nullptr, 1, colour,
                                 35.0f, 60.0f, 7, 0, 0, 0, 0, &view);
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->bits & (kCameraDepthCueOn | kCameraDepthCueSet), kCameraDepthCueOn | kCameraDepthCueSet);
  EXPECT_FLOAT_EQ(camera->depthCueStartNorm, 0.25f);
  EXPECT_FLOAT_EQ(camera->depthCueEndNorm, 0.5f);
  EXPECT_EQ(camera->depthCueMode, 7);
  EXPECT_EQ(camera->bits & kCameraDepthTest, 0);
  EXPECT_EQ(wre_CameraNew(&view, 16, nullptr, nullptr, 0, 1, 2, 1, 1024, nullptr, 0, nullptr, 0, 0, 0, 0, 0, 0, 0,
                          nullptr),
            nullptr);
  wre_CameraDispose(camera, 1);
}

}  // namespace

namespace {

class CameraAttachments : public RenderFixture {};

TEST_F(CameraAttachments, DisposingAnAttachedObjectTakesItOffTheCamera) {
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  EngineObject* sky = wre_ObjectNew(kObjectMesh, 4, 4, 0, 0, 0);
  EngineObject* other = wre_ObjectNew(kObjectMesh, 4, 4, 0, 0, 0);
  ASSERT_TRUE(sky && other);
  wre_CameraAddObject(camera, other);
  wre_CameraAddObject(camera, sky);
  EXPECT_EQ(sky->camera, camera);
  EXPECT_EQ(wre_ObjectDispose(sky), 0);
  EXPECT_EQ(camera->attached, other);
  EXPECT_EQ(other->prev, nullptr);
  EXPECT_EQ(wre_CameraRemoveObject(camera, other), other);
  EXPECT_EQ(other->camera, nullptr);
  wre_ObjectDispose(other);
  wre_CameraDispose(camera, 1);
}

}  // namespace

namespace {

TEST_F(CameraAttachments, AnObjectInAWorldOrAlreadyAttachedIsNotAttached) {
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  EngineObject inWorld{};
  inWorld.status = kStatusInWorld;
  EngineObject twice{};
  EXPECT_EQ(wre_CameraAddObject(camera, &inWorld), nullptr);
  EXPECT_EQ(camera->attached, nullptr);
  wre_CameraAddObject(camera, &twice);
  EXPECT_EQ(wre_CameraAddObject(camera, &twice), nullptr);
  EXPECT_EQ(camera->attached, &twice);
  EXPECT_EQ(twice.next, nullptr);
  wre_CameraRemoveObject(camera, &twice);
  wre_CameraDispose(camera, 1);
}

}  // namespace
