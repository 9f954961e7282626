#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/render/submit.h"
#include "pipeline_fixture.h"

namespace {

using pipeline_test::PipelineFixture;
using Calls = std::vector<std::string>;

class Frames : public PipelineFixture {
 protected:
  Camera* WithWorld(int32_t kind, int32_t worldType = kWorldObjectList) {
    Camera* camera = Cam(kind);
    camera->world = NewWorld(worldType);
    calls_.clear();
    return camera;
  }
  // A one-triangle mesh facing the eye at the origin, placed at (x, y, z).
  EngineObject* Placed(float x, float y, float z, World* world) {
    EngineObject* object = Mesh({0, 0, 0, 0, 3, 0, 3, 0, 0});
    wre_ObjectSetTransform(object, 0, 0, 0, x, y, z);
    wre_ObjectUpdate(object, 1, 1);
    if (world) {
      EXPECT_EQ(wre_WorldAddObject(object, world), 0);
    }
    return object;
  }
};

TEST_F(Frames, BeginRenderFlushAndEndFollowTheFrameState) {
  Camera* camera = WithWorld(kRendererSoftware);
  EXPECT_EQ(wre_CameraRender(camera), -1);
  EXPECT_EQ(wre_FrameFlush(camera), -1);
  EXPECT_EQ(wre_FrameEnd(camera), -1);
  gLightingDirty = 1;
  ASSERT_EQ(wre_FrameBegin(camera, 1), 0);
  EXPECT_EQ(gLightingDirty, 0);  // the lit colours were recomputed
  EXPECT_EQ(wre_FrameBegin(camera, 0), -1);
  EXPECT_EQ(wre_CameraRender(camera), 0);
  EXPECT_EQ(wre_FrameFlush(camera), 0);
  EXPECT_EQ(wre_FrameEnd(camera), 0);
  EXPECT_EQ(calls_, (Calls{"100:begin+clear", "100:draw", "100:present"}));

  // Without a world the frame stays open: the next begin is refused until the end.
  camera->world = nullptr;
  EXPECT_EQ(wre_FrameBegin(camera, 0), kFrameErrNoWorld);
  EXPECT_EQ(wre_FrameBegin(camera, 0), -1);
  EXPECT_EQ(wre_FrameEnd(camera), 0);
  camera->world = worlds_.back();
  EXPECT_EQ(wre_FrameBegin(camera, 0), 0);
  EXPECT_EQ(wre_FrameEnd(camera), 0);
}

TEST_F(Frames, BackEndFailuresSurfaceByKind) {
  Camera* gl = WithWorld(kRendererOpenGL);
  pipeline_test::gFailName = "begin";
  pipeline_test::gFailStep = 7;
  EXPECT_EQ(wre_FrameBegin(gl, 0), -1);
  pipeline_test::gFailName = "draw";
  EXPECT_EQ(wre_FrameFlush(gl), 7);  // the drawing result itself
  pipeline_test::gFailName = "present";
  EXPECT_EQ(wre_FrameEnd(gl), -1);
  EXPECT_EQ(wre_FrameBegin(gl, 0), 0);  // the failed end closed the frame even so
  pipeline_test::gFailName.clear();
  wre_FrameEnd(gl);

  Camera* d3d = WithWorld(kRendererDirect3D);
  ASSERT_EQ(wre_FrameBegin(d3d, 1), 0);
  EXPECT_EQ(calls_, (Calls{"103:scene", "103:d3dbegin"}));
  pipeline_test::gFailName = "sceneend";
  EXPECT_EQ(wre_FrameEnd(d3d), -1);
  pipeline_test::gFailName.clear();

  // Kind 104 has no back end of its own; 102 draws nothing and fails.
  Camera* none = WithWorld(kRenderer3dfx);
  EXPECT_EQ(wre_FrameBegin(none, 0), 0);
  EXPECT_EQ(wre_FrameFlush(none), 0);
  EXPECT_EQ(wre_FrameEnd(none), 0);
  none->context->kind = kRendererNone;
  EXPECT_EQ(wre_FrameBegin(none, 0), -1);
  EXPECT_EQ(wre_CameraDrawQueues(none), -1);
}

TEST_F(Frames, TheSphereTestCountsTouchingAsVisibleAndCrossing) {
  Camera* camera = WithWorld(kRendererSoftware);
  EngineObject* object = Placed(0, 0, 0, nullptr);
  object->radius = 2.0f;
  // The near plane is z = 1 with its normal along +z: a centre at z = -1 is exactly -r from it.
  object->transform.position[2] = -1.0f;
  EXPECT_EQ(wre_CullSphereTest(object, camera), 3);
  object->transform.position[2] = -1.001f;
  EXPECT_EQ(wre_CullSphereTest(object, camera), 0);
  object->transform.position[2] = 500.0f;
  EXPECT_EQ(wre_CullSphereTest(object, camera), 1);
}

TEST_F(Frames, ObjectListCullingHonoursTheFlagsAndTheCapacity) {
  ASSERT_EQ(wre_VisibleListInit(3), 0);  // two objects at most
  Camera* camera = WithWorld(kRendererSoftware);
  World* world = camera->world;
  ASSERT_EQ(world->cullCallback, wre_CullObjectList);
  EngineObject* hidden = Placed(0, 0, 50, world);
  EngineObject* shownAgain = Placed(0, 0, 50, world);
  ASSERT_EQ(wre_ObjectSetVisible(hidden, 0), 0);
  wre_ObjectSetVisible(shownAgain, 0);
  wre_ObjectSetVisible(shownAgain, 1);
  EngineObject* inactive = Placed(0, 0, 50, world);
  inactive->status &= static_cast<uint8_t>(~kStatusActive);
  EngineObject* behind = Placed(0, 0, -500, world);
  EngineObject* a = Placed(0, 0, 50, world);
  EngineObject* b = Placed(1, 0, 60, world);
  EngineObject* c = Placed(2, 0, 70, world);
  ASSERT_EQ(wre_FrameBegin(camera, 0), 0);
  ASSERT_EQ(wre_CameraRender(camera), 0);
  ASSERT_EQ(gVisibleObjects.count, 2);
  EXPECT_EQ(gVisibleObjects.entries[0], shownAgain);
  EXPECT_EQ(gVisibleObjects.entries[1], a);
  EXPECT_EQ(b->cull & 0xFF, 1u);  // marked even though the array was full
  EXPECT_EQ(c->cull & 0xFF, 1u);
  EXPECT_EQ(hidden->cull & 0xFF, 0u);
  EXPECT_EQ(inactive->cull & 0xFF, 0u);
  EXPECT_EQ(behind->cull & 0xFF, 0u);
  EXPECT_EQ(gPolyQueueOpaque.count, 2);  // two drawn
  wre_FrameEnd(camera);
}

TEST_F(Frames, GridCellCullingClampsTheCellRangeAndFiltersByBox) {
  Camera* camera = WithWorld(kRendererSoftware, kWorldCellGrid);
  World* world = camera->world;
  ASSERT_EQ(world->cullCallback, wre_CullGridCells);
  EngineObject* inCorner = Placed(50, 0, 50, world);      // cell (0, 0)
  EngineObject* farCell = Placed(350, 0, 50, world);      // cell (3, 0): outside the range in x
  EngineObject* high = Placed(150, 500, 150, world);      // cell (1, 1): in range, box above the view
  EngineObject* edge = Placed(150, 0, 350, world);        // cell (1, 3): reached only by clamping
  world->largestRadius = 1.0f;
  for (Point4& plane : camera->worldPlanes) plane = Point4{0, 0, 0, 1};
  const float view[6] = {-900, 160, -10, 10, -900, 9000};
  std::copy(view, view + 6, camera->worldBounds);
  ASSERT_EQ(wre_CullGridCells(world, camera), 0);
  std::vector<EngineObject*> seen(gVisibleObjects.entries, gVisibleObjects.entries + gVisibleObjects.count);
  EXPECT_EQ(seen, (std::vector<EngineObject*>{inCorner, edge}));
  EXPECT_EQ(farCell->cull & 0xFF, 0u);
  EXPECT_EQ(high->cull & 0xFF, 0u);
  EXPECT_EQ(edge->cull & 1u, 1u);
}

TEST_F(Frames, TheSkyPassIsOffsetByTheCameraForItsPassOnly) {
  for (int32_t kind : {kRendererSoftware, kRendererOpenGL}) {
    Camera* camera = WithWorld(kind);
    EngineObject* sky = Placed(0, 0, 0, nullptr);
    sky->localPoints[0].z = sky->localPoints[1].z = sky->localPoints[2].z = 10.0f;
    sky->transform.changed = 1;
    wre_ObjectUpdate(sky, 1, 1);
    wre_CameraAddObject(camera, sky);
    wre_CameraSetPlacement(camera, 0, 0, 0, 500.0f, 20.0f, 300.0f);
    wre_CameraMarkChanged(camera);
    ASSERT_EQ(wre_FrameBegin(camera, 0), 0);
    ASSERT_EQ(wre_CameraRender(camera), 0);
    // Drawn where the eye is: in camera space the sky keeps its own coordinates.
    ASSERT_EQ(pipeline_test::gSeenCount, 1) << kind;
    if (kind == kRendererSoftware) {
      EXPECT_FLOAT_EQ(pipeline_test::gSeenFirst.v[0].z, 10.0f);
    }
    EXPECT_FLOAT_EQ(sky->transform.position[0], 0.0f);
    EXPECT_FLOAT_EQ(sky->transform.position[2], 0.0f);
    EXPECT_EQ(gAttachedPass, 0);
    EXPECT_EQ(gPolyQueueOpaque.count, 0);  // the queues were reset after the pass
    if (kind == kRendererSoftware) {
      EXPECT_EQ(calls_, (Calls{"100:begin", "100:sort"}));
    } else {
      EXPECT_EQ(calls_, (Calls{"101:begin", "101:depth off", "101:draw", "101:depth on", "101:depthclear"}));
      EXPECT_FLOAT_EQ(pipeline_test::gSeenFirst.v[0].x, camera->halfWidth);  // projected
    }
    wre_FrameEnd(camera);
    wre_CameraRemoveObject(camera, sky);
  }
}

TEST_F(Frames, ClearingOpensAndClosesAFrameOfItsOwn) {
  Camera* camera = WithWorld(kRendererSoftware);
  EXPECT_EQ(wre_CameraClear(camera, nullptr), 0);
  EXPECT_EQ(calls_, (Calls{"100:begin+clear", "100:present"}));
  EXPECT_EQ(camera->bits & kCameraFrameOpen, 0);
  calls_.clear();
  const float colour[4] = {1, 2, 3, 4};
  ASSERT_EQ(wre_FrameBegin(camera, 0), 0);
  EXPECT_EQ(wre_CameraClear(camera, colour), 0);
  EXPECT_EQ(calls_, (Calls{"100:begin", "100:clear"}));
  EXPECT_NE(camera->bits & kCameraFrameOpen, 0);
  wre_FrameEnd(camera);
  EXPECT_EQ(wre_CameraClear(nullptr, colour), -1);

  World odd{};
  odd.type = 102;
  EXPECT_EQ(wre_WorldBindCull(&odd), kFrameErrWorldType);
  EXPECT_EQ(odd.cullCallback, nullptr);
}

TEST_F(Frames, DepthTestingRestartsTheDepthBufferWhenSwitchedOn) {
  Camera* d3d = WithWorld(kRendererDirect3D);
  wre_CameraSetDepthTest(d3d, 0);
  EXPECT_EQ(d3d->bits & kCameraDepthTest, 0);
  wre_CameraSetDepthTest(d3d, 1);
  EXPECT_EQ(d3d->bits & kCameraDepthTest, kCameraDepthTest);
  EXPECT_EQ(calls_, (Calls{"103:zclear"}));
  EXPECT_EQ(wre_CameraDepthClear(d3d), 0);
  EXPECT_EQ(wre_CameraDepthClear(nullptr), kWreErrNull);
  Camera* soft = WithWorld(kRendererSoftware);
  EXPECT_EQ(wre_CameraDepthClear(soft), 0);
  EXPECT_EQ(calls_, (Calls{"100:sort"}));
}

TEST_F(Frames, FlushKeepsSoftwarePolygonsUntilTheEndAndResetsOthers) {
  for (int32_t kind : {kRendererSoftware, kRendererOpenGL}) {
    Camera* camera = WithWorld(kind);
    Placed(0, 0, 50, camera->world);
    ASSERT_EQ(wre_FrameBegin(camera, 0), 0);
    ASSERT_EQ(wre_CameraRender(camera), 0);
    ASSERT_EQ(wre_FrameFlush(camera), 0);
    EXPECT_EQ(gPolyQueueOpaque.count, kind == kRendererSoftware ? 1 : 0) << kind;
    wre_FrameEnd(camera);
  }
}

TEST_F(Frames, TheRenderResultIsTheLastObjectsResult) {
  Camera* camera = WithWorld(kRendererSoftware);
  Placed(0, 0, 50, camera->world);
  EngineObject* particles = Placed(0, 0, 60, camera->world);
  particles->kind = kObjectParticles;  // no particle set
  ASSERT_EQ(wre_FrameBegin(camera, 0), 0);
  EXPECT_EQ(wre_CameraRender(camera), kSubmitErrNoParticles);
  EXPECT_EQ(gPolyQueueOpaque.count, 1);  // the mesh before it was drawn all the same
  wre_FrameEnd(camera);
  particles->kind = kObjectMesh;
}

}  // namespace
