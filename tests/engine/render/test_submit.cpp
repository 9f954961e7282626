#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "engine/core/detail.h"
#include "engine/core/particles.h"
#include "engine/render/submit.h"
#include "pipeline_fixture.h"

namespace {

using pipeline_test::PipelineFixture;

class Submission : public PipelineFixture {
 protected:
  void SetUp() override {
    PipelineFixture::SetUp();
    camera_ = Cam();
    camera_->world = NewWorld();
    camera_->inverse = camera_->transform;  // the camera stands at the origin
  }
  Camera* camera_ = nullptr;
};

TEST_F(Submission, FaceTestMarksThePlanesATriangleCrosses) {
  EngineObject* object = Mesh({0, 0, 5, 0, 1, 5, 1, 0, 5});
  const ObjectPolygon* polygon = &object->polygons[0];
  auto test = [&](Point4 a, Point4 b, Point4 c) {
    Point4 points[3] = {a, b, c};
    return wre_PolygonFaceTest(polygon, camera_, points);
  };
  EXPECT_EQ(test({0, 0, 5, 0}, {1, 0, 5, 0}, {0, 1, 5, 0}), 8);
  EXPECT_EQ(test({0, 0, 5, 0}, {1, 0, 5, 0}, {0, 1, 1500, 0}), 9);
  EXPECT_EQ(test({0, 0, 1500, 0}, {1, 0, 1500, 0}, {0, 1, 1500, 0}), 0);
  EXPECT_EQ(test({0, 0, 0.5f, 0}, {1, 0, 5, 0}, {0, 1, 5, 0}), 8 | 2);
  EXPECT_EQ(test({0, 0, 0.5f, 0}, {0.1f, 0, 0.5f, 0}, {0, 0.1f, 0.5f, 0}), 0);
  EXPECT_EQ(test({-100, 0, 5, 0}, {1, 0, 5, 0}, {0, 1, 5, 0}), 8 | 4);  // beyond the left plane
  EXPECT_EQ(test({100, 0, 5, 0}, {101, 0, 5, 0}, {100, 1, 5, 0}), 0);   // all beyond the right one
  EXPECT_EQ(test({0, 0, 0.5f, 0}, {-100, 0, 5, 0}, {0, 1, 1500, 0}), 8 | 1 | 2 | 4);
}

TEST_F(Submission, OnlyTrianglesFacingTheEyeAreQueuedUnlessTwoSided) {
  // Facing the eye, facing away, and edge-on (its plane passes through the eye).
  EngineObject* object = Mesh({0, 0, 10, 0, 3, 10, 3, 0, 10,   // towards the eye
                               0, 0, 20, 3, 0, 20, 0, 3, 20,   // away
                               0, 0, 5, 0, 1, 5, 0, 0, 6});    // edge-on
  object->cull = 1;
  object->radius = 1000.0f;
  ASSERT_EQ(wre_MeshDraw(object, camera_, 0), 0);
  EXPECT_EQ(gPolyQueueOpaque.count, 1);
  EXPECT_FLOAT_EQ(gPolyQueueOpaque.base[0].v[0].z, 10.0f);
  EXPECT_EQ(gPolyQueueOpaque.base[0].flags & kPolyFrameBits, kPolyVisible);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(object->polygons[i].flags & kPolyFrameBits, 0u) << i;
  wre_PolyQueuesReset();
  object->renderFlags |= kRenderTwoSided;
  ASSERT_EQ(wre_MeshDraw(object, camera_, 0), 0);
  EXPECT_EQ(gPolyQueueOpaque.count, 3);
}

TEST_F(Submission, ACrossingSphereWithTheBoxInsideQueuesWithoutClipBits) {
  EngineObject* object = Mesh({0, 0, 10, 0, 3, 10, 3, 0, 10});
  object->cull = 3;  // visible, crossing
  ASSERT_EQ(wre_MeshDraw(object, camera_, 0), 0);
  EXPECT_EQ(object->cull & 0xFF, 0u);  // the box test found every corner inside
  ASSERT_EQ(gPolyQueueOpaque.count, 1);
  EXPECT_EQ(gPolyQueueOpaque.base[0].flags & kPolyClipBits, 0u);
  // A box that really crosses keeps the clip bits and the face test runs.
  wre_PolyQueuesReset();
  EngineObject* crossing = Mesh({0, 0, 10, 0, 3, 10, 300, 0, 10});
  crossing->cull = 3;
  ASSERT_EQ(wre_MeshDraw(crossing, camera_, 0), 0);
  EXPECT_EQ(crossing->cull & 0xFF, 2u);
  EXPECT_EQ(gPolyQueueOpaque.count, 1);  // software: queued whole for its own clipper
  EXPECT_EQ(gPolyQueueOpaque.base[0].flags & kPolyFrameBits, kPolyVisible | kPolyClipEdge);
  // Too many points for the scratch array: nothing drawn.
  ASSERT_EQ(wre_VertexScratchInit(3), 0);
  EXPECT_EQ(wre_MeshDraw(crossing, camera_, 0), kSubmitErrScratch);
}

TEST_F(Submission, TheDetailLevelPicksAChildByDistance) {
  EngineObject* parent = Mesh({0, 0, 10, 0, 3, 10, 3, 0, 10});
  EngineObject* first = Mesh({0, 0, 10, 0, 3, 10, 3, 0, 10, 0, 0, 11, 0, 3, 11, 3, 0, 11});
  EngineObject* second = Mesh({0, 0, 10, 0, 3, 10, 3, 0, 10, 0, 0, 11, 0, 3, 11, 3, 0, 11, 0, 0, 12, 0, 3, 12, 3,
                               0, 12});
  for (EngineObject* member : {first, second}) {
    std::erase(objects_, member);  // the group owns its members
    member->status &= static_cast<uint8_t>(~kStatusActive);
    ASSERT_EQ(wre_ObjectDetailSetAdd(parent, member), 0);
  }
  ASSERT_EQ(wre_ObjectDetailSetDistance(parent, 10.0f), 0);
  parent->radius = 5.0f;
  parent->cull = 1;
  auto drawnTriangles = [&](float z) {
    wre_PolyQueuesReset();
    camera_->transform.position[2] = -z;  // the parent stands z away
    camera_->inverse.position[2] = z;
    EXPECT_EQ(wre_MeshDraw(parent, camera_, 0), 0);
    return gPolyQueueOpaque.count;
  };
  EXPECT_EQ(drawnTriangles(10.0f), 1);   // level 0: the parent itself
  EXPECT_EQ(drawnTriangles(20.0f), 2);   // level 1: the first child
  EXPECT_EQ(drawnTriangles(55.0f), 3);   // level 5, held at the count 2: the second child
}

TEST_F(Submission, ASpriteIsAlwaysTwoTrianglesFacingTheCamera) {
  EngineObject* sprite = wre_ObjectNew(kObjectSprite, 2, 7, 0, 0, 0);
  ASSERT_NE(sprite, nullptr);
  objects_.push_back(sprite);
  wre_ObjectAddPoint(sprite, 0, 0, 0, 0);
  sprite->sprite->x = 4.0f;
  sprite->sprite->y = 2.0f;
  wre_ObjectRecalc(sprite, 0, 0, 1, 1, 0);
  for (int32_t angle : {0, 700, 2048}) {
    wre_PolyQueuesReset();
    wre_ObjectSetTransform(sprite, angle, angle, 0, 1.0f, 2.0f, 50.0f);
    wre_ObjectUpdate(sprite, 0, 0);
    ASSERT_EQ(wre_SpriteDraw(sprite, camera_), 0);
    ASSERT_EQ(gPolyQueueOpaque.count, 2) << angle;
    const PolygonRecord& a = gPolyQueueOpaque.base[0];
    const PolygonRecord& b = gPolyQueueOpaque.base[1];
    EXPECT_EQ(a.kind, kPolyTextured);
    EXPECT_FLOAT_EQ(a.v[0].x, -1.0f);
    EXPECT_FLOAT_EQ(a.v[0].y, 1.0f);
    EXPECT_FLOAT_EQ(a.v[2].x, 3.0f);
    EXPECT_FLOAT_EQ(a.v[2].y, 3.0f);
    EXPECT_FLOAT_EQ(b.v[0].x, 3.0f);
    EXPECT_FLOAT_EQ(b.v[1].y, 1.0f);
    for (const Point4& v : a.v) EXPECT_FLOAT_EQ(v.z, 50.0f);
  }
  // The corners go to the polygons' own point indices (up to 6): a smaller scratch refuses.
  ASSERT_EQ(wre_VertexScratchInit(6), 0);
  EXPECT_EQ(wre_SpriteDraw(sprite, camera_), -1);
}

TEST_F(Submission, ParticlesAreTwoTrianglesEachAndStopAtTheFirstFailure) {
  EngineObject* object = nullptr;
  ASSERT_EQ(wre_ParticleObjectNew(&object, kParticlesServed, 8, 0, 5, 0), 0);
  objects_.push_back(object);
  ParticleSet* set = object->particles;
  object->particles = nullptr;
  EXPECT_EQ(wre_ParticlesDraw(object, camera_), kSubmitErrNoParticles);
  object->particles = set;
  const Point4 size{2, 4, 0, 0};
  for (float x : {0.0f, 5.0f, 10.0f}) {
    const Point4 at{x, 0, 10, 0};
    ASSERT_EQ(wre_ObjectAddParticle(object, &at, 0, 1000, &size, nullptr, nullptr, nullptr, nullptr), 0);
  }
  ASSERT_EQ(wre_ParticlesDraw(object, camera_), 0);
  ASSERT_EQ(gPolyQueueOpaque.count, 6);
  const PolygonRecord& a = gPolyQueueOpaque.base[2];  // particle 1, triangle A
  const PolygonRecord& b = gPolyQueueOpaque.base[3];
  EXPECT_EQ(a.kind, kPolyTexturedFlat);
  EXPECT_EQ(a.flags, 31u);
  EXPECT_EQ(a.texture, 5);
  EXPECT_FLOAT_EQ(a.colour[0][1], 20.0f);  // the material's colour B
  EXPECT_FLOAT_EQ(a.v[0].x, 4.0f);
  EXPECT_FLOAT_EQ(a.v[0].y, 2.0f);
  EXPECT_FLOAT_EQ(a.v[0].z, 10.0f);
  EXPECT_FLOAT_EQ(a.v[2].x, 6.0f);
  EXPECT_FLOAT_EQ(a.v[2].y, -2.0f);
  EXPECT_FLOAT_EQ(a.uv[0][1], 1.0f);
  EXPECT_FLOAT_EQ(a.uv[2][0], 1.0f);
  EXPECT_FLOAT_EQ(b.uv[1][0], 0.0f);
  EXPECT_FLOAT_EQ(b.uv[1][1], 0.0f);
  EXPECT_FLOAT_EQ(b.v[1].x, 4.0f);
  // A full queue ends the object's submission quietly.
  ASSERT_EQ(wre_PolyQueuesInit(4), 0);
  EXPECT_EQ(wre_ParticlesDraw(object, camera_), 0);
  EXPECT_EQ(gPolyQueueOpaque.count, 3);
  // A set of another kind, and more particles than the scratch holds.
  object->particles->kind = kParticlesFlat;
  EXPECT_EQ(wre_ParticlesDraw(object, camera_), kSubmitErrParticleKind);
  object->particles->kind = kParticlesServed;
  ASSERT_EQ(wre_VertexScratchInit(3), 0);
  EXPECT_EQ(wre_ParticlesDraw(object, camera_), kSubmitErrScratch);
}

TEST_F(Submission, GridTilesArePlacedUnderTheViewForPositiveAndNegativeBounds) {
  EngineObject* tile = wre_ObjectNew(kObjectStatic, 1, 3, 0, 0, 0);
  ASSERT_NE(tile, nullptr);
  objects_.push_back(tile);
  for (const auto& p : {std::array<float, 3>{-5, 0, -5}, {-5, 0, 5}, {5, 0, 5}}) {
    wre_ObjectAddPoint(tile, p[0], p[1], p[2], 0);
  }
  ASSERT_EQ(wre_ObjectAddPoly(tile, 0, -1, kPolyPlain, 0, 1, 2, nullptr, nullptr, nullptr, 0), 0);
  wre_ObjectRecalc(tile, 0, 1, 1, 1, 1);
  ASSERT_FLOAT_EQ(tile->gridExtent[0], 10.0f);
  tile->renderFlags |= kRenderTwoSided;
  tile->radius = 0.0f;
  // Every plane passes everything, so each tile drawn queues its triangle at the tile's place.
  for (Point4& plane : camera_->worldPlanes) plane = Point4{0, 0, 0, 1};
  const float view[6] = {12, 38, -100, 100, -38, -12};
  std::copy(view, view + 6, camera_->worldBounds);
  ASSERT_EQ(wre_GridMeshDraw(tile, camera_), 0);
  std::set<std::pair<float, float>> placed;
  for (int i = 0; i < gPolyQueueOpaque.count; ++i) {
    const Point4& corner = gPolyQueueOpaque.base[i].v[2];  // local (5, 0, 5)
    placed.insert({corner.x - 5.0f, corner.z - 5.0f});
  }
  // Three columns from 15, three rows from -25; the row at -5 ([-10, 0]) misses the view.
  const std::set<std::pair<float, float>> expected{{15, -25}, {25, -25}, {35, -25}, {15, -15}, {25, -15}, {35, -15}};
  EXPECT_EQ(placed, expected);
  EXPECT_EQ(gPolyQueueOpaque.count, 6);
  // A tile of no size is refused instead of looping for ever.
  tile->gridExtent[2] = 0.0f;
  EXPECT_EQ(wre_GridMeshDraw(tile, camera_), kWreErrRange);
}

}  // namespace
