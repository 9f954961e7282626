#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/core/detail.h"
#include "engine/core/memory.h"
#include "engine/render/clip.h"
#include "pipeline_fixture.h"

namespace {

using pipeline_test::PipelineFixture;
using pipeline_test::Triangle;

class PolygonQueues : public PipelineFixture {};

TEST_F(PolygonQueues, QueueChoiceFollowsOpacityAndTextureFlagsAtTheirBoundaries) {
  gMaterialTable[1] = gMaterialTable[0];
  gMaterialTable[1].colourA.alpha = 254.0f;  // one below full
  SetTextureFlags(1, kTextureHasAlpha);
  SetTextureFlags(2, kTextureTranslucent);
  SetTextureFlags(3, kTextureHasAlpha | kTextureTranslucent);
  SetTextureFlags(4, kTextureFlag0 | kTextureVideoMemory | kTextureAnimated);
  EXPECT_EQ(wre_PolygonChooseQueue(0, -1), &gPolyQueueOpaque);  // opacity exactly gColourMax
  EXPECT_EQ(wre_PolygonChooseQueue(1, -1), &gPolyQueueTranslucent);
  EXPECT_EQ(wre_PolygonChooseQueue(0, 1), &gPolyQueueKeyed);
  EXPECT_EQ(wre_PolygonChooseQueue(0, 2), &gPolyQueueTranslucent);
  EXPECT_EQ(wre_PolygonChooseQueue(0, 3), &gPolyQueueTranslucent);  // both bits: translucent wins
  EXPECT_EQ(wre_PolygonChooseQueue(1, 1), &gPolyQueueTranslucent);
  EXPECT_EQ(wre_PolygonChooseQueue(0, 4), &gPolyQueueOpaque);  // other flag bits do not count
}

TEST_F(PolygonQueues, AFullQueueRefusesWhileTheOthersStillAccept) {
  ASSERT_EQ(wre_PolyQueuesInit(4), 0);
  Camera* camera = Cam();
  SetTextureFlags(1, kTextureHasAlpha);
  PolygonRecord opaque = Triangle(0, 0, 5, 1, 0, 5, 0, 1, 5);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(wre_PolygonSubmit(camera, &opaque, 0), 0) << i;
  EXPECT_EQ(wre_PolygonSubmit(camera, &opaque, 0), kWreQueueFull);
  EXPECT_EQ(gPolyQueueOpaque.count, 3);
  EXPECT_EQ(gPolyQueueOpaque.write, gPolyQueueOpaque.base + 3);
  PolygonRecord keyed = Triangle(0, 0, 5, 1, 0, 5, 0, 1, 5, 0, 0, 1);
  EXPECT_EQ(wre_PolygonSubmit(camera, &keyed, 0), 0);
  EXPECT_EQ(gPolyQueueKeyed.count, 1);
  // A clipped record meets the same full queue on its way in.
  EXPECT_EQ(wre_PolygonSubmit(camera, &opaque, 1), kWreQueueFull);
  wre_PolyQueuesReset();
  EXPECT_EQ(gPolyQueueOpaque.count, 0);
  EXPECT_EQ(gPolyQueueOpaque.write, gPolyQueueOpaque.base);
  EXPECT_EQ(wre_PolygonSubmit(camera, &opaque, 0), 0);
}

TEST_F(PolygonQueues, ScreenSpaceRecordsGoBackToCameraSpaceOnTheSoftwareRenderer) {
  Camera* camera = Cam();
  const float hw = camera->halfWidth, hh = camera->halfHeight, ps = camera->projectionScale;
  PolygonRecord r = Triangle(hw, hh, ps, hw + ps, hh, ps, hw, hh - 2 * ps, 2 * ps, 0x14);
  ASSERT_EQ(wre_PolygonSubmit(camera, &r, 1), 0);
  ASSERT_EQ(gPolyQueueOpaque.count, 1);
  const PolygonRecord& q = gPolyQueueOpaque.base[0];
  EXPECT_FLOAT_EQ(q.v[0].x, 0.0f);
  EXPECT_FLOAT_EQ(q.v[0].y, 0.0f);
  EXPECT_FLOAT_EQ(q.v[0].z, ps);
  EXPECT_FLOAT_EQ(q.v[1].x, ps);
  EXPECT_FLOAT_EQ(q.v[2].y, 4 * ps);  // k = 2: y = -(2 x -2ps)
  EXPECT_EQ(q.flags, 0x14u);
}

TEST_F(PolygonQueues, SetupColoursByModeAndKindWithTheCentroidWeight) {
  Camera* camera = Cam();
  World* world = NewWorld();
  camera->world = world;
  // A triangle facing -z (towards the eye) lit head-on by a full directional light.
  EngineObject* object = Mesh({0, 0, 10, 0, 3, 10, 3, 0, 10});
  ASSERT_LT(object->planes[0].z, -0.99f);
  DirectionalLight(world, 0, 0, -1, 50.0f);
  PolygonRecord r{};
  ObjectPolygon* polygon = &object->polygons[0];
  polygon->flags |= kPolyFrameBits;
  wre_PolygonSetup(&r, polygon, object->worldPoints, object->worldPoints, object->planes, object->pointNormals,
                   object->textureCoords, camera, nullptr, 0);
  EXPECT_EQ(polygon->flags & kPolyFrameBits, 0u);
  EXPECT_EQ(r.flags & kPolyFrameBits, kPolyFrameBits);  // the record keeps what the face test set
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(r.colour[i][0], 127.5f) << i;
  EXPECT_EQ(r.texture, -1);

  // A point light 0.3333 x 9 away: its distance is measured from the weighted centroid.
  gMaterialTable[0].colourA.alpha = 255.0f;
  wre_LightSetOn(lights_[0], 0);
  PointLight(world, 0.3333f * 3, 0.3333f * 3, 0.0f, 100.0f);
  wre_PolygonSetup(&r, polygon, object->worldPoints, object->worldPoints, object->planes, object->pointNormals,
                   object->textureCoords, camera, nullptr, 0);
  // The centroid is (1, 1, 10) x 0.9999, so the light stands 9.999 away, not 10.
  EXPECT_NEAR(r.colour[0][0], 255.0f / 9.999f, 2e-4f);

  // Per-point colours when the mode asks for them.
  ASSERT_EQ(wre_ObjectAllocPointAttachments(object), 0);
  for (int p = 0; p < 3; ++p) object->pointAttachments[p] = PointAttachment{{1.0f * p, 2, 3, 4}};
  wre_PolygonSetup(&r, polygon, object->worldPoints, object->worldPoints, object->planes, object->pointNormals,
                   object->textureCoords, camera, object->pointAttachments, kRenderPointColours);
  EXPECT_FLOAT_EQ(r.colour[2][0], 2.0f);
  EXPECT_FLOAT_EQ(r.colour[2][3], 4.0f);
}

TEST_F(PolygonQueues, VirtualTexturePointsOffsetTheCoordinates) {
  Camera* camera = Cam();
  camera->world = NewWorld();
  EngineObject* object = Mesh({0, 0, 10, 0, 3, 10, 3, 0, 10}, kPolyTextured, 2);
  ObjectPolygon* polygon = &object->polygons[0];
  const float scroll[2] = {0.25f, -0.5f};
  polygon->virtualTexturePoint[0] = polygon->virtualTexturePoint[1] = polygon->virtualTexturePoint[2] = scroll;
  PolygonRecord r{};
  wre_PolygonSetup(&r, polygon, object->worldPoints, object->worldPoints, object->planes, nullptr,
                   object->textureCoords, camera, nullptr, 0);
  EXPECT_FLOAT_EQ(r.uv[1][0], 1.0f);
  EXPECT_FLOAT_EQ(r.uv[1][1], 0.0f);
  EXPECT_EQ(r.texture, 2);
  polygon->flags |= kPolyVirtualTexturePoint;
  wre_PolygonSetup(&r, polygon, object->worldPoints, object->worldPoints, object->planes, nullptr,
                   object->textureCoords, camera, nullptr, 0);
  EXPECT_FLOAT_EQ(r.uv[1][0], 1.25f);
  EXPECT_FLOAT_EQ(r.uv[1][1], -0.5f);
  EXPECT_FLOAT_EQ(r.uv[2][1], 0.5f);
}

TEST_F(PolygonQueues, ListVariantsClearTheFrameBitsAndStopAtAFullQueue) {
  ASSERT_EQ(wre_PolyQueuesInit(3), 0);  // two records a queue
  Camera* camera = Cam(kRendererOpenGL);
  camera->world = NewWorld();
  EngineObject* object = Mesh({0, 0, 10, 0, 3, 10, 3, 0, 10, 0, 0, 11, 0, 3, 11, 3, 0, 11, 0, 0, 12, 0, 3, 12, 3, 0, 12});
  for (int i = 0; i < 3; ++i) {
    object->polygons[i].flags |= kPolyVisible;
    gPolyPointerList.entries[i] = &object->polygons[i];
  }
  gPolyPointerList.count = 3;
  EXPECT_EQ(wre_PolygonQueueList(object, object->worldPoints, object->pointNormals, camera), kWreQueueFull);
  EXPECT_EQ(gPolyQueueOpaque.count, 2);
  EXPECT_EQ(object->polygons[0].flags & kPolyFrameBits, 0u);
  EXPECT_EQ(object->polygons[1].flags & kPolyFrameBits, 0u);
  // Queued records were projected (OpenGL): depth runs -1 .. 1.
  EXPECT_GT(gPolyQueueOpaque.base[0].v[0].z, -1.0f);
  EXPECT_LT(gPolyQueueOpaque.base[0].v[0].z, 1.0f);
  EXPECT_FLOAT_EQ(gPolyQueueOpaque.base[0].v[0].x, camera->halfWidth);

  // The vertex-work variants take colours from the buffer and stop the same way.
  wre_PolyQueuesReset();
  gPolyPointerList.count = 3;
  object->polygons[0].texture = 0;  // a vertex work record needs a textured first polygon
  object->polygons[0].kind = kPolyTextured;
  ASSERT_EQ(wre_ObjectNewVertexWork(object), 0);
  for (int p = 0; p < 9; ++p) object->vertexWork->buffer[p] = PointAttachment{{7, 8, 9, 1}};
  EXPECT_EQ(wre_PolygonQueueListLit(object, object->worldPoints, camera), kWreQueueFull);
  EXPECT_EQ(gPolyQueueOpaque.count, 2);
  EXPECT_FLOAT_EQ(gPolyQueueOpaque.base[1].colour[2][1], 8.0f);
  wre_ObjectDisposeVertexWork(object);
}

TEST_F(PolygonQueues, PoolsRefuseBadSizesAndReleaseWhatAFailedStartHeld) {
  wre_PolyQueuesFree();
  EXPECT_EQ(wre_PolyQueuesInit(0), -1);
  EXPECT_EQ(gPolyQueueOpaque.base, nullptr);
  EXPECT_EQ(wre_PolyQueuesFree(), -1);
  EXPECT_EQ(wre_VertexScratchInit(-1), -1);
  EXPECT_EQ(wre_VertexScratchInit(0x7FFFFFFF), -1);  // 16 bytes an entry would overflow
  EXPECT_EQ(wre_VisibleListInit(0), -1);

  // The third block (translucent queue) fails: -5000, and the two obtained are freed by Free.
  static int calls;
  calls = 0;
  wre_MemorySetHeap([](size_t size) -> void* { return ++calls == 3 ? nullptr : std::malloc(size); });
  EXPECT_EQ(wre_PolyQueuesInit(8), kWreErrNoMemory);
  wre_MemorySetHeap(nullptr);
  EXPECT_NE(gPolyQueueOpaque.base, nullptr);
  EXPECT_NE(gPolyQueueKeyed.base, nullptr);
  EXPECT_EQ(gPolyQueueTranslucent.base, nullptr);
  EXPECT_EQ(wre_PolyQueuesFree(), 0);
  EXPECT_EQ(gPolyQueueOpaque.base, nullptr);
  EXPECT_EQ(gPolyQueueCapacity, 0);
  // The second block failing gives -1.
  calls = 0;
  wre_MemorySetHeap([](size_t size) -> void* { return ++calls == 2 ? nullptr : std::malloc(size); });
  EXPECT_EQ(wre_PolyQueuesInit(8), -1);
  wre_MemorySetHeap(nullptr);
  EXPECT_EQ(wre_PolyQueuesFree(), 0);
  ASSERT_EQ(wre_PolyQueuesInit(16), 0);
}

}  // namespace
