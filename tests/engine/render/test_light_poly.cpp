#include <gtest/gtest.h>

#include "engine/core/detail.h"
#include "engine/core/maths.h"
#include "engine/render/light_poly.h"
#include "engine/render/submit.h"
#include "pipeline_fixture.h"

namespace {

using pipeline_test::PipelineFixture;

class Lighting : public PipelineFixture {
 protected:
  void SetUp() override {
    PipelineFixture::SetUp();
    world_ = NewWorld();
  }
  void TearDown() override {
    gAttachedPass = 0;
    PipelineFixture::TearDown();
  }
  float Flat(const Point4& normal, const Point4& at) {
    float colour[4] = {-1, -1, -1, 42};
    wre_LightPolygonFlat(&normal, &at, world_, colour);
    EXPECT_FLOAT_EQ(colour[3], 42.0f);  // alpha untouched
    EXPECT_FLOAT_EQ(colour[0], colour[1]);
    return colour[0];
  }
  World* world_ = nullptr;
  const Point4 up_{0, 1, 0, 0};
  const Point4 origin_{0, 0, 0, 0};
};

TEST_F(Lighting, UnlitAndBackLitSurfacesStayBlack) {
  EXPECT_FLOAT_EQ(Flat(up_, origin_), 0.0f);
  DirectionalLight(world_, 0, -1, 0, 100.0f);  // shining from below
  PointLight(world_, 0, -3, 0, 100.0f);
  EXPECT_FLOAT_EQ(Flat(up_, origin_), 0.0f);
  // Edge-on adds nothing either.
  DirectionalLight(world_, 1, 0, 0, 100.0f);
  EXPECT_FLOAT_EQ(Flat(up_, origin_), 0.0f);
}

TEST_F(Lighting, TwoFullLightsClampAtTheColourMaximum) {
  DirectionalLight(world_, 0, 1, 0, 100.0f);
  EXPECT_FLOAT_EQ(Flat(up_, origin_), 255.0f);
  DirectionalLight(world_, 0, 1, 0, 100.0f);
  EXPECT_FLOAT_EQ(Flat(up_, origin_), 255.0f);
  // Smooth corners clamp the same way, each by its own normal.
  float colours[3][4] = {};
  const Point4 side{1, 0, 0, 0};
  wre_LightPolygonSmooth(&up_, &up_, &side, &origin_, &origin_, &origin_, world_->lights, colours);
  EXPECT_FLOAT_EQ(colours[0][2], 255.0f);
  EXPECT_FLOAT_EQ(colours[2][2], 0.0f);
}

TEST_F(Lighting, APointLightTwoAwayOnOneAxisGivesHalfOfAHeadOnDirectional) {
  Light* directional = DirectionalLight(world_, 0, 1, 0, 50.0f);
  const float headOn = Flat(up_, origin_);
  EXPECT_FLOAT_EQ(headOn, 127.5f);
  wre_LightSetOn(directional, 0);
  PointLight(world_, 0, 2, 0, 50.0f);
  EXPECT_FLOAT_EQ(Flat(up_, origin_), headOn * 0.5f);
  // Off the axis the distance is the approximate one: 2 + 0.25 x 2 for (2, 2, 0), facing 1/sqrt(2).
  wre_LightSetPosition(lights_.back(), 2, 2, 0, 0, 0, 0);
  EXPECT_NEAR(Flat(up_, origin_), 127.5f / 2.5f * 0.70710678f, 1e-3f);
}

TEST_F(Lighting, APointLightOnThePointItselfIsPassedOver) {
  PointLight(world_, 0, 0, 0, 100.0f);
  EXPECT_FLOAT_EQ(Flat(up_, origin_), 0.0f);
  float colours[3][4] = {};
  wre_LightPolygonSmooth(&up_, &up_, &up_, &origin_, &origin_, &origin_, world_->lights, colours);
  EXPECT_FLOAT_EQ(colours[1][0], 0.0f);
}

TEST_F(Lighting, TheSkyPassIgnoresPointLights) {
  PointLight(world_, 0, 2, 0, 100.0f);
  gAttachedPass = 1;
  EXPECT_FLOAT_EQ(Flat(up_, origin_), 0.0f);
  DirectionalLight(world_, 0, 1, 0, 20.0f);
  EXPECT_FLOAT_EQ(Flat(up_, origin_), 51.0f);
  gAttachedPass = 0;
  EXPECT_FLOAT_EQ(Flat(up_, origin_), 51.0f + 127.5f);
}

TEST_F(Lighting, VertexWorkIsRelitOnlyWhenTheWorldCounterChanges) {
  Camera* camera = Cam();
  camera->world = world_;
  // One triangle facing the eye at the origin, textured so it can carry vertex work.
  EngineObject* object = Mesh({0, 0, 10, 0, 3, 10, 3, 0, 10}, kPolyTextured, 0);
  object->radius = 100.0f;
  ASSERT_EQ(wre_ObjectNewVertexWork(object), 0);
  object->vertexWork->lastTick = -1;
  EXPECT_EQ(wre_LightObjectPoints(object, camera), 0);  // no lights: nothing happens
  EXPECT_EQ(object->vertexWork->lastTick, -1);
  DirectionalLight(world_, 0, 0, -1, 40.0f);
  ASSERT_EQ(wre_LightObjectPoints(object, camera), 0);
  EXPECT_FLOAT_EQ(object->vertexWork->buffer[1].value[0], 102.0f);
  EXPECT_EQ(object->vertexWork->lastTick, world_->changeCounter);

  // The stamp matches: a draw keeps the buffer as it is.
  object->vertexWork->buffer[1].value[0] = 7.0f;
  object->cull = 1;
  camera->inverse = camera->transform;
  ASSERT_EQ(wre_MeshDraw(object, camera, 0), 0);
  EXPECT_FLOAT_EQ(object->vertexWork->buffer[1].value[0], 7.0f);
  EXPECT_EQ(gPolyQueueOpaque.count, 1);
  EXPECT_FLOAT_EQ(gPolyQueueOpaque.base[0].colour[1][0], 7.0f);
  // The world's lighting changes: the next draw relights.
  wre_WorldBumpCounter(world_);
  ASSERT_EQ(wre_MeshDraw(object, camera, 0), 0);
  EXPECT_FLOAT_EQ(object->vertexWork->buffer[1].value[0], 102.0f);

  // Colours given by the creator are never relit; no vertex work is a range error.
  object->renderFlags |= kRenderPointColours;
  object->vertexWork->buffer[1].value[0] = 7.0f;
  EXPECT_EQ(wre_LightObjectPoints(object, camera), 0);
  EXPECT_FLOAT_EQ(object->vertexWork->buffer[1].value[0], 7.0f);
  wre_ObjectDisposeVertexWork(object);
  EXPECT_EQ(wre_LightObjectPoints(object, camera), kWreErrRange);
}

TEST_F(Lighting, LightsGoIntoAStaticObjectsFrameAndBack) {
  Camera* camera = Cam();
  camera->world = world_;
  EngineObject* object = Mesh({0, 0, 1, 0, 1, 1, 1, 0, 1});
  wre_ObjectSetTransform(object, 100, 1024, 300, 10.0f, -4.0f, 2.0f);
  Light* point = PointLight(world_, 3, 5, 7, 100.0f);
  Light* directional = DirectionalLight(world_, 0, 0, 1, 100.0f);
  Light* off = PointLight(world_, 1, 1, 1, 100.0f);
  wre_LightSetOn(off, 0);
  ASSERT_EQ(wre_LightsToObjectFrame(camera, object, 1), 0);
  // Back out of the object's frame: rotate by its angles, then move by its position.
  const Transform& t = object->transform;
  Point4 v{point->transformCopy.position[0], point->transformCopy.position[1], point->transformCopy.position[2], 0};
  wre_PointsRotate(t.angleX, t.angleY, t.angleZ, 1, &v, &v);
  EXPECT_NEAR(v.x + t.position[0], 3.0f, 1e-4f);
  EXPECT_NEAR(v.y + t.position[1], 5.0f, 1e-4f);
  EXPECT_NEAR(v.z + t.position[2], 7.0f, 1e-4f);
  Point4 d{directional->transformCopy.position[0], directional->transformCopy.position[1],
           directional->transformCopy.position[2], 0};
  wre_PointsRotate(t.angleX, t.angleY, t.angleZ, 1, &d, &d);
  EXPECT_NEAR(d.z, 1.0f, 1e-5f);  // rotated only, never moved
  EXPECT_FLOAT_EQ(off->transformCopy.position[0], 1.0f);  // inactive lights stay
  ASSERT_EQ(wre_LightsToObjectFrame(camera, object, 0), 0);
  EXPECT_FLOAT_EQ(point->transformCopy.position[2], 7.0f);
  EXPECT_FLOAT_EQ(directional->transformCopy.position[2], 1.0f);
}

}  // namespace
