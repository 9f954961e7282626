#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/core/detail.h"
#include "engine/core/object.h"
#include "engine/core/polytree.h"
#include "object_test_support.h"
#include "platform/test/plat_system.h"

namespace {

using object_test::BlockWatch;
using object_test::EngineTest;
using object_test::ExpectPoint;
using object_test::NewBoxMesh;

class ObjectTest : public EngineTest {};

float Length(const Point4& p) { return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z); }

TEST_F(ObjectTest, CreationChecksKindAndCapacities) {
  BlockWatch watch;
  EXPECT_EQ(wre_ObjectNew(99, 1, 1, 0, 0, 0), nullptr);
  EXPECT_EQ(wre_ObjectNew(104, 1, 1, 0, 0, 0), nullptr);
  EXPECT_EQ(wre_ObjectNew(kObjectMesh, 0, 3, 0, 0, 0), nullptr);
  EXPECT_EQ(wre_ObjectNew(kObjectMesh, 3, 0, 0, 0, 0), nullptr);

  EngineObject* mesh = wre_ObjectNew(kObjectMesh, 4, 6, 0x30, 0, kObjectPointAttachments);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->kind, kObjectMesh);
  EXPECT_EQ(mesh->collisionGroup, 0x30u);
  EXPECT_EQ(mesh->polygonCapacity, 4);
  EXPECT_EQ(mesh->pointCapacity, 6);
  EXPECT_EQ(mesh->pointCount, 0);
  EXPECT_EQ(mesh->transform.changed, 1);
  EXPECT_NE(mesh->pointAttachments, nullptr);
  EXPECT_NE(mesh->pointNormals, nullptr);
  EXPECT_EQ(mesh->givenNormals, nullptr);
  EXPECT_EQ(mesh->renderFlags & kRenderTwoSided, 0u);
  EXPECT_EQ(mesh->creationFlags & kObjectSoftware, 0u);
  EXPECT_STREQ(mesh->name, "");
  EXPECT_EQ(wre_ObjectDispose(mesh), 0);

  EngineObject* given = wre_ObjectNew(kObjectStatic, 1, 3, 0, 0, kObjectGivenNormals);
  ASSERT_NE(given, nullptr);
  EXPECT_EQ(given->pointNormals, nullptr);
  EXPECT_NE(given->givenNormals, nullptr);
  wre_ObjectDispose(given);

  // A sprite always holds two polygons over seven points.
  EngineObject* sprite = wre_ObjectNew(kObjectSprite, 50, 50, 0, 0, 0);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->polygonCapacity, 2);
  EXPECT_EQ(sprite->pointCapacity, 7);
  ASSERT_NE(sprite->sprite, nullptr);
  wre_ObjectDispose(sprite);
  EXPECT_EQ(wre_ObjectDispose(nullptr), kWreErrNull);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(ObjectTest, SoftwareRendererMarksObjectsAndMapsPolygonKinds) {
  UseSoftwareRenderer();
  EngineObject* object = wre_ObjectNew(kObjectMesh, 4, 6, 0, 0, 0);
  ASSERT_NE(object, nullptr);
  EXPECT_NE(object->creationFlags & kObjectSoftware, 0u);
  EXPECT_NE(object->renderFlags & kRenderNoNormals, 0u);
  for (int i = 0; i < 3; ++i) wre_ObjectAddPoint(object, static_cast<float>(i), 0, 0, 0);
  ASSERT_EQ(wre_ObjectAddPoly(object, 0, 1, kPolyTexturedSmooth, 0, 1, 2, nullptr, nullptr, nullptr, 0), 0);
  ASSERT_EQ(wre_ObjectAddPoly(object, 0, -1, kPolyPlainSmooth, 0, 1, 2, nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(object->polygons[0].kind, kPolyTexturedFlat);
  EXPECT_EQ(object->polygons[1].kind, kPolyPlain);
  EXPECT_EQ(object->polygons[1].texture, kNoTexture);
  wre_ObjectSetPolyKind(object, 0, kPolyPlainSmooth);
  EXPECT_EQ(object->polygons[0].kind, kPolyPlain);
  wre_ObjectDispose(object);
}

TEST_F(ObjectTest, PointsMergeAndStopAtTheCapacity) {
  EngineObject* object = wre_ObjectNew(kObjectMesh, 2, 3, 0, 0, 0);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(wre_ObjectAddPoint(object, 1, 2, 3, 1), 0);
  EXPECT_EQ(wre_ObjectAddPoint(object, 1, 2, 3, 1), 0);
  EXPECT_EQ(object->pointCount, 1);
  EXPECT_EQ(wre_ObjectAddPoint(object, 1, 2, 3, 0), 1);
  EXPECT_EQ(wre_ObjectAddPoint(object, 4, 5, 6, 1), 2);
  EXPECT_EQ(wre_ObjectAddPoint(object, 7, 8, 9, 1), -1);
  EXPECT_EQ(object->pointCount, 3);
  EXPECT_EQ(object->localPoints[2].w, 0.0f);
  EXPECT_EQ(wre_ObjectFindPoint(object, 4, 5, 6), 2);
  EXPECT_EQ(wre_ObjectFindPoint(object, 4, 5, 6.0001f), -1);
  EXPECT_EQ(wre_ObjectFindPoint(nullptr, 0, 0, 0), -1);
  wre_ObjectDispose(object);
}

TEST_F(ObjectTest, PolygonIndicesOutsideThePointsAreRefused) {
  EngineObject* object = wre_ObjectNew(kObjectMesh, 3, 4, 0, 0, 0);
  ASSERT_NE(object, nullptr);
  for (int i = 0; i < 3; ++i) wre_ObjectAddPoint(object, static_cast<float>(i), 1, 0, 0);
  EXPECT_EQ(wre_ObjectAddPoly(object, 0, -1, kPolyPlain, -1, 1, 2, nullptr, nullptr, nullptr, 0), kWreErrRange);
  EXPECT_EQ(wre_ObjectAddPoly(object, 0, -1, kPolyPlain, 0, 4, 2, nullptr, nullptr, nullptr, 0), kWreErrRange);
  EXPECT_EQ(wre_ObjectAddPoly(object, 0x10000, -1, kPolyPlain, 0, 1, 2, nullptr, nullptr, nullptr, 0), kWreErrRange);
  EXPECT_EQ(wre_ObjectAddPoly(object, 0, 0x10000, kPolyPlain, 0, 1, 2, nullptr, nullptr, nullptr, 0), kWreErrRange);
  EXPECT_EQ(object->polygonCount, 0);

  const float uv0[2] = {0, 255}, uv1[2] = {51, 0}, uv2[2] = {255, 127.5f};
  ASSERT_EQ(wre_ObjectAddPoly(object, 7, 3, kPolyTextured, 0, 1, 2, uv0, uv1, uv2, 1), 0);
  const ObjectPolygon& p = object->polygons[0];
  EXPECT_EQ(p.kind, kPolyTextured);
  EXPECT_EQ(p.material, 7);
  EXPECT_EQ(p.texture, 3);
  EXPECT_EQ(p.index, 0);
  EXPECT_EQ(p.points[1], 1);
  EXPECT_FLOAT_EQ(object->textureCoords[1], 1.0f);
  EXPECT_FLOAT_EQ(object->textureCoords[2], 0.2f);
  EXPECT_FLOAT_EQ(object->textureCoords[5], 0.5f);
  // Untextured kinds take no coordinates.
  ASSERT_EQ(wre_ObjectAddPoly(object, 0, -1, kPolyPlain, 0, 1, 2, uv0, uv1, uv2, 1), 0);
  EXPECT_EQ(object->textureCoords[6], 0.0f);
  ASSERT_EQ(wre_ObjectAddPoly(object, 0, -1, kPolyPlain, 2, 1, 0, nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(wre_ObjectAddPoly(object, 0, -1, kPolyPlain, 0, 1, 2, nullptr, nullptr, nullptr, 0), -1);
  EXPECT_EQ(object->polygonCount, 3);
  wre_ObjectDispose(object);

  // Indices beyond 16 bits are never cut down to another point.
  EngineObject* big = wre_ObjectNew(kObjectMesh, 1, 70000, 0, 0, 0);
  ASSERT_NE(big, nullptr);
  for (int i = 0; i < 65540; ++i) wre_ObjectAddPoint(big, static_cast<float>(i), 0, 0, 0);
  EXPECT_EQ(wre_ObjectAddPoly(big, 0, -1, kPolyPlain, 0, 1, 65536, nullptr, nullptr, nullptr, 0), kWreErrRange);
  EXPECT_EQ(wre_ObjectAddPoly(big, 0, -1, kPolyPlain, 0, 1, 65535, nullptr, nullptr, nullptr, 0), 0);
  wre_ObjectDispose(big);
}

TEST_F(ObjectTest, TrianglesAreAddedWholeOrNotAtAll) {
  EngineObject* object = wre_ObjectNew(kObjectMesh, 3, 4, 0, 0, 0);
  ASSERT_NE(object, nullptr);
  const float a[3] = {0, 0, 0}, b[3] = {1, 0, 0}, c[3] = {0, 0, 1}, d[3] = {1, 0, 1}, e[3] = {2, 0, 2};
  const float uv[2] = {255, 0};
  ASSERT_EQ(wre_ObjectAddTriangle(object, 1, 2, kPolyTextured, a, b, c, uv, uv, uv), 0);
  EXPECT_EQ(object->pointCount, 3);
  EXPECT_FLOAT_EQ(object->textureCoords[0], 1.0f);
  // Shares two points, adds one.
  ASSERT_EQ(wre_ObjectAddTriangle(object, 1, 2, kPolyTextured, b, d, c, uv, uv, uv), 0);
  EXPECT_EQ(object->pointCount, 4);
  EXPECT_EQ(object->polygons[1].points[0], 1);
  EXPECT_EQ(object->polygons[1].points[1], 3);
  // Would need a fifth point: nothing is added, not even the point that fits.
  EXPECT_EQ(wre_ObjectAddTriangle(object, 1, 2, kPolyTextured, e, a, e, uv, uv, uv), -1);
  EXPECT_EQ(object->pointCount, 4);
  EXPECT_EQ(object->polygonCount, 2);
  ASSERT_EQ(wre_ObjectAddTriangle(object, 1, 2, kPolyTextured, d, a, d, uv, uv, uv), 0);
  EXPECT_EQ(wre_ObjectAddTriangle(object, 1, 2, kPolyTextured, a, b, c, uv, uv, uv), -1);
  EXPECT_EQ(object->polygonCount, 3);
  wre_ObjectDispose(object);
}

TEST_F(ObjectTest, GivenNormalsAndPolygonSettersStayInRange) {
  EngineObject* object = wre_ObjectNew(kObjectMesh, 2, 3, 0, 0, kObjectGivenNormals);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(wre_ObjectSetPointNormal(object, 2, 0, 1, 0, 0), 0);
  EXPECT_EQ(object->givenNormals[2].y, 1.0f);
  EXPECT_EQ(wre_ObjectSetPointNormal(object, 3, 0, 1, 0, 0), -1);
  EXPECT_EQ(wre_ObjectSetPointNormal(object, -2, 0, 1, 0, 0), -1);
  EXPECT_EQ(wre_ObjectSetPointNormal(object, -1, 0, 1, 0, 0), -1);
  for (int i = 0; i < 3; ++i) wre_ObjectAddPoint(object, static_cast<float>(i), 0, static_cast<float>(i * i), 0);
  wre_ObjectAddPoly(object, 1, 1, kPolyTextured, 0, 1, 2, nullptr, nullptr, nullptr, 0);

  EXPECT_EQ(wre_ObjectSetPolyTexture(object, 1, 5), kWreErrRange);
  EXPECT_EQ(wre_ObjectSetPolyTexture(object, 0, -1), kWreErrRange);
  EXPECT_EQ(wre_ObjectSetPolyTexture(object, 0, 5), 0);
  EXPECT_EQ(object->polygons[0].texture, 5);
  EXPECT_EQ(wre_ObjectSetPolyMaterialIndex(object, 1, 4), kWreErrRange);
  EXPECT_EQ(wre_ObjectSetPolyMaterialIndex(object, 0, -4), kWreErrRange);
  EXPECT_EQ(wre_ObjectSetPolyFlags(object, 1, 0x80), kWreErrRange);
  EXPECT_EQ(wre_ObjectSetPolyKind(object, 2, kPolyPlain), kWreErrRange);
  const float offset[2] = {0.5f, 0.25f};
  EXPECT_EQ(wre_ObjectSetPolyVirtualTexturePoint(object, 1, offset, offset, offset), kWreErrRange);
  EXPECT_EQ(object->polygons[1].flags, 0u);
  EXPECT_EQ(wre_ObjectSetPolyVirtualTexturePoint(object, 0, offset, offset, offset), 0);
  EXPECT_EQ(object->polygons[0].flags, kPolyVirtualTexturePoint);
  EXPECT_EQ(object->polygons[0].virtualTexturePoint[2], offset);
  wre_ObjectSetAllPolyFlags(object, 0x3);
  EXPECT_EQ(object->polygons[0].flags, 0x3u);
  wre_ObjectSetAllPolyMaterialIndex(object, 9);
  wre_ObjectSetAllPolyTexture(object, 8);
  wre_ObjectSetAllPolyKinds(object, kPolyTexturedSmooth);
  EXPECT_EQ(object->polygons[0].material, 9);
  EXPECT_EQ(object->polygons[0].texture, 8);
  EXPECT_EQ(object->polygons[0].kind, kPolyTexturedSmooth);
  wre_ObjectDispose(object);
}

TEST_F(ObjectTest, RecalcComputesPlanesNormalsRadiusAndBox) {
  EngineObject* box = NewBoxMesh(kObjectMesh, -1, 3, -2, 2, -4, 0);
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(box->polygonCount, 12);
  ASSERT_EQ(wre_ObjectRecalc(box, 0, 1, 1, 1, 1), 0);
  // Every face plane has unit length and holds its three points.
  for (int i = 0; i < 12; ++i) {
    const Point4& plane = box->planes[i];
    EXPECT_NEAR(Length(plane), 1.0f, 1e-6f) << i;
    for (uint16_t index : box->polygons[i].points) {
      const Point4& p = box->worldPoints[index];
      EXPECT_NEAR(plane.x * p.x + plane.y * p.y + plane.z * p.z + plane.w, 0.0f, 1e-5f);
    }
    // The centre (1, 0, -2) lies behind every face.
    EXPECT_LT(plane.x * 1 + plane.y * 0 + plane.z * -2 + plane.w, 0.0f) << i;
  }
  // Each corner normal averages its faces' normals and points away from the centre.
  for (int i = 0; i < 8; ++i) {
    const Point4& n = box->pointNormals[i];
    const Point4& p = box->worldPoints[i];
    EXPECT_GT(n.x * (p.x - 1) + n.y * p.y + n.z * (p.z + 2), 0.0f) << i;
    EXPECT_NEAR(n.w, -(n.x * p.x + n.y * p.y + n.z * p.z), 1e-5f);
  }
  EXPECT_FLOAT_EQ(box->radius, std::sqrt(9.0f + 4.0f + 16.0f));
  ExpectPoint(box->localBox[0], -1, 2, 0, 0);
  ExpectPoint(box->localBox[6], 3, -2, -4, 0);
  // Box triangle 0 is the top face.
  ExpectPoint(box->boxPlanes[0], 0, 1, 0, 1e-6f);
  EXPECT_FLOAT_EQ(box->boxPlanes[0].w, -2.0f);
  EXPECT_EQ(box->transform.changed, 1);
  EXPECT_EQ(box->renderFlags & kRenderStatic, 0u);
  wre_ObjectDispose(box);

  // A grid mesh becomes static and gets its grid extents.
  EngineObject* grid = NewBoxMesh(kObjectStatic, 0, 8, 0, 0, -2, 2);
  ASSERT_NE(grid, nullptr);
  wre_ObjectRecalc(grid, 0, 1, 1, 1, 1);
  EXPECT_NE(grid->renderFlags & kRenderStatic, 0u);
  EXPECT_EQ(grid->gridExtent[0], 8.0f);
  EXPECT_EQ(grid->gridExtent[1], 0.0f);
  EXPECT_EQ(grid->gridHalfExtent[2], 2.0f);
  EXPECT_EQ(grid->gridReciprocal[0], 0.125f);
  EXPECT_EQ(grid->gridReciprocal[1], 1.0f);
  // Its flattened faces are degenerate: planes of zero, not NaN.
  for (int i = 0; i < grid->polygonCount; ++i) EXPECT_FALSE(std::isnan(grid->planes[i].x));
  wre_ObjectDispose(grid);
}

TEST_F(ObjectTest, UnusedPointsGetAZeroNormal) {
  EngineObject* object = wre_ObjectNew(kObjectMesh, 1, 4, 0, 0, 0);
  ASSERT_NE(object, nullptr);
  wre_ObjectAddPoint(object, 0, 0, 0, 0);
  wre_ObjectAddPoint(object, 0, 0, 1, 0);
  wre_ObjectAddPoint(object, 1, 0, 0, 0);
  wre_ObjectAddPoint(object, 5, 5, 5, 0);
  wre_ObjectAddPoly(object, 0, -1, kPolyPlain, 0, 1, 2, nullptr, nullptr, nullptr, 0);
  wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  // n = (p0 - p1) x (p0 - p2) = (0, 0, -1) x (-1, 0, 0) = (0, 1, 0).
  ExpectPoint(object->planes[0], 0, 1, 0, 0);
  ExpectPoint(object->pointNormals[1], 0, 1, 0, 0);
  ExpectPoint(object->pointNormals[3], 0, 0, 0, 0);
  EXPECT_EQ(object->pointNormals[3].w, 0.0f);
  wre_ObjectDispose(object);

  EngineObject* empty = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  EXPECT_EQ(wre_ObjectCalcPlanes(empty), -1);
  wre_ObjectDispose(empty);
}

TEST_F(ObjectTest, UpdateFollowsTheTransformOnlyWhenChanged) {
  EngineObject* box = NewBoxMesh(kObjectMesh, -1, 1, -1, 1, -1, 1);
  ASSERT_NE(box, nullptr);
  wre_ObjectRecalc(box, 0, 1, 1, 1, 1);
  wre_ObjectSetTransform(box, 0, 1024, 0, 10, 0, 0);
  ASSERT_EQ(wre_ObjectUpdate(box, 1, 1), 0);
  EXPECT_EQ(box->transform.changed, 0);
  // Yaw of a quarter turn takes local z to world x.
  for (int i = 0; i < 8; ++i) {
    const Point4& l = box->localPoints[i];
    ExpectPoint(box->worldPoints[i], 10 + l.z, l.y, -l.x);
  }
  EXPECT_NEAR(box->worldBounds[0], 9.0f, 1e-5f);
  EXPECT_NEAR(box->worldBounds[1], 11.0f, 1e-5f);
  // Planes follow: the top face still faces up, the +x face now faces -z.
  ExpectPoint(box->planes[0], 0, 1, 0);
  ExpectPoint(box->planes[4], 0, 0, -1);

  // Unchanged: nothing is recomputed.
  box->worldPoints[0].x = 123.0f;
  wre_ObjectUpdate(box, 1, 1);
  EXPECT_EQ(box->worldPoints[0].x, 123.0f);
  // A given transform always applies.
  Transform t;
  wre_TransformSet(&t, 0, 0, 0, 0, 5, 0);
  wre_ObjectUpdateFrom(box, 1, 1, &t);
  ExpectPoint(box->worldPoints[0], box->localPoints[0].x, box->localPoints[0].y + 5, box->localPoints[0].z);
  wre_ObjectDispose(box);

  // A static object's world points are never rewritten by an update.
  EngineObject* fixed = NewBoxMesh(kObjectStatic, -1, 1, -1, 1, -1, 1);
  wre_ObjectRecalc(fixed, 0, 1, 1, 1, 1);
  fixed->worldPoints[3].y = 77.0f;
  wre_ObjectSetTransform(fixed, 0, 0, 0, 50, 0, 0);
  wre_ObjectUpdate(fixed, 1, 1);
  EXPECT_EQ(fixed->worldPoints[3].y, 77.0f);
  EXPECT_NEAR(fixed->worldBounds[0], 49.0f, 1e-5f);
  wre_ObjectDispose(fixed);
}

TEST_F(ObjectTest, StaticPlanesArePlacedByTheTransform) {
  // A floor triangle at local y = 0, static, lifted to y = 10 and turned.
  EngineObject* fixed = wre_ObjectNew(kObjectStatic, 1, 3, 0, 0, 0);
  EngineObject* moving = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  for (EngineObject* o : {fixed, moving}) {
    ASSERT_NE(o, nullptr);
    wre_ObjectAddPoint(o, 0, 0, 0, 0);
    wre_ObjectAddPoint(o, 0, 0, 4, 0);
    wre_ObjectAddPoint(o, 4, 1, 0, 0);
    wre_ObjectAddPoly(o, 0, -1, kPolyPlain, 0, 1, 2, nullptr, nullptr, nullptr, 0);
    wre_ObjectSetTransform(o, 100, 700, -50, 3, 10, -2);
    wre_ObjectRecalc(o, 0, 1, 1, 1, 1);
    wre_ObjectUpdate(o, 1, 1);
  }
  Point4 a, b;
  ASSERT_EQ(wre_ObjectCopyPolyPlane(fixed, 0, &a), 0);
  ASSERT_EQ(wre_ObjectCopyPolyPlane(moving, 0, &b), 0);
  ExpectPoint(a, b.x, b.y, b.z, 1e-5f);
  EXPECT_NEAR(a.w, b.w, 1e-4f);
  Point4* out = wre_ObjectGetPolyPlane(&a, fixed, 5);
  EXPECT_EQ(out, &a);
  ExpectPoint(a, 0, 0, 0, 0);
  EXPECT_EQ(wre_ObjectCopyPolyPlane(fixed, -1, &a), kWreErrRange);
  wre_ObjectDispose(fixed);
  wre_ObjectDispose(moving);
}

TEST_F(ObjectTest, SpriteAndParticleObjects) {
  EngineObject* sprite = wre_ObjectNew(kObjectSprite, 2, 7, 0, 0, 0);
  ASSERT_NE(sprite, nullptr);
  sprite->sprite->x = 3.0f;
  sprite->sprite->y = 4.0f;
  wre_ObjectRecalc(sprite, 0, 0, 1, 0, 0);
  EXPECT_EQ(sprite->radius, 5.0f);
  EXPECT_EQ(sprite->pointCount, 1);
  EXPECT_EQ(sprite->polygonCount, 2);
  EXPECT_EQ(sprite->polygons[0].points[0], 1);
  EXPECT_EQ(sprite->polygons[1].points[2], 6);
  const float expected[12] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(sprite->textureCoords[i], expected[i]) << i;
  wre_ObjectSetTransform(sprite, 0, 0, 0, 1, 2, 3);
  sprite->localPoints[0] = Point4{1, 1, 1, 0};
  wre_ObjectUpdate(sprite, 0, 0);
  ExpectPoint(sprite->worldPoints[0], 2, 3, 4, 0);
  // Mesh-only operations end the program on other kinds.
  EXPECT_EXIT(
      {
        plat_SetTerminateHook(nullptr);
        wre_ObjectSetPolyFlags(sprite, 0, 1);
      },
      ::testing::ExitedWithCode(3), "No support for this object type - wre_ObjectSetPolyFlags");
  EXPECT_EXIT(
      {
        plat_SetTerminateHook(nullptr);
        wre_ObjectScale(sprite, 50);
      },
      ::testing::ExitedWithCode(3), "Unrecognized object type - scale object by factor");
  wre_ObjectDispose(sprite);
}

struct ParticleLog {
  int created = 0;
  int disposed = 0;
  int kind = 0;
  int capacity = 0;
  int32_t result = 0;
};
ParticleLog gParticles;
int32_t FakeParticlesNew(EngineObject* object, int32_t kind, int32_t capacity, int32_t material, int32_t texture) {
  ++gParticles.created;
  gParticles.kind = kind;
  gParticles.capacity = capacity;
  EXPECT_EQ(material, 0);
  EXPECT_EQ(texture, 0);
  if (gParticles.result == 0) object->particles = reinterpret_cast<ParticleSet*>(object);
  return gParticles.result;
}
int32_t FakeParticlesDispose(EngineObject* object) {
  ++gParticles.disposed;
  object->particles = nullptr;
  return 0;
}
float FakeParticlesExtent(const EngineObject*) { return 2.5f; }

TEST_F(ObjectTest, ParticleObjectsTakeTheirSetFromTheParticleModule) {
  gParticles = ParticleLog{};
  gObjectServices.particlesNew = &FakeParticlesNew;
  gObjectServices.particlesDispose = &FakeParticlesDispose;
  gObjectServices.particlesExtent = &FakeParticlesExtent;
  EngineObject* object = wre_ObjectNew(kObjectParticles, 0, 40, 0, 101, 0);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(gParticles.kind, 101);
  EXPECT_EQ(gParticles.capacity, 40);
  EXPECT_EQ(object->polygons, nullptr);
  EXPECT_EQ(object->pointNormals, nullptr);
  wre_ObjectCalcRadius(object);
  EXPECT_EQ(object->radius, 2.5f);
  EXPECT_EQ(wre_ObjectDispose(object), 0);
  EXPECT_EQ(gParticles.disposed, 1);

  gParticles.result = -26001;
  EXPECT_EQ(wre_ObjectNew(kObjectParticles, 0, 40, 0, 7, 0), nullptr);
}

TEST_F(ObjectTest, PropertySetters) {
  EngineObject* object = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  ASSERT_NE(object, nullptr);
  wre_ObjectSetName(object, "0123456789012345678901234567890123456789");
  EXPECT_EQ(std::string(object->name), "0123456789012345678901234567890");
  wre_ObjectSetName(object, nullptr);
  EXPECT_STREQ(object->name, " ");
  wre_ObjectSetName(object, "boat");
  EXPECT_STREQ(object->name, "boat");

  EXPECT_EQ(wre_ObjectSetAttrByte(object, 0xFF), 0);
  EXPECT_EQ(object->attributes, 0xFE);
  object->renderFlags |= kRenderStatic;
  wre_ObjectSetAttrByte(object, 0xFF);
  EXPECT_EQ(object->attributes, 0xFF);
  EXPECT_EQ(wre_ObjectSetAttrByte(nullptr, 1), -1);

  EXPECT_EQ(wre_ObjectSetDrawDistance(object, 0.0f), kWreErrRange);
  EXPECT_EQ(wre_ObjectSetDrawDistance(object, NAN), kWreErrRange);
  EXPECT_EQ(wre_ObjectSetDrawDistance(object, 500.0f), 0);
  EXPECT_EQ(object->drawDistance, 500.0f);

  wre_ObjectSetCollidable(object, 1);
  EXPECT_NE(object->status & kStatusActive, 0);
  wre_ObjectSetCollidable(object, 0);
  EXPECT_EQ(object->status & kStatusActive, 0);
  wre_ObjectSetBackfaceCull(object, 0);
  EXPECT_NE(object->renderFlags & kRenderTwoSided, 0u);
  wre_ObjectSetBackfaceCull(object, 2);
  EXPECT_EQ(object->renderFlags & kRenderTwoSided, 0u);
  wre_ObjectSetModeFlags(object, 0x55, 1.5f);
  EXPECT_EQ(object->modeWord, 0x55u);
  EXPECT_EQ(object->modeValue, 1.5f);

  EXPECT_EQ(wre_ObjectAllocPointAttachments(object), 0);
  EXPECT_NE(object->pointAttachments, nullptr);
  EXPECT_EQ(wre_ObjectAllocPointAttachments(object), 0);
  EXPECT_EQ(wre_ObjectFreePointAttachments(object), 0);
  EXPECT_EQ(object->pointAttachments, nullptr);
  wre_ObjectDispose(object);
}

TEST_F(ObjectTest, ScaleCentreAndBake) {
  EngineObject* box = NewBoxMesh(kObjectMesh, 2, 6, 0, 2, -1, 1);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(wre_ObjectScale(box, 0), kWreErrRange);
  ASSERT_EQ(wre_ObjectScale(box, 50), 0);
  ExpectPoint(box->localBox[1], 3, 1, 0.5f, 0);
  EXPECT_FLOAT_EQ(box->radius, std::sqrt(9.0f + 1.0f + 0.25f));

  ASSERT_EQ(wre_ObjectCentre(box, 1), 0);
  // The middle (2, 0.5, 0) left the points and went into the position.
  float bounds[6] = {1e30f, -1e30f, 1e30f, -1e30f, 1e30f, -1e30f};
  wre_ObjectExtendBounds(box, box->localPoints, &bounds[0], &bounds[1], &bounds[2], &bounds[3], &bounds[4],
                         &bounds[5]);
  EXPECT_EQ(bounds[0], -1.0f);
  EXPECT_EQ(bounds[1], 1.0f);
  EXPECT_EQ(bounds[3], 0.5f);
  EXPECT_EQ(box->transform.position[0], 2.0f);
  EXPECT_EQ(box->transform.position[1], 0.5f);
  ExpectPoint(box->worldPoints[1], box->localPoints[1].x + 2, box->localPoints[1].y + 0.5f, box->localPoints[1].z);

  wre_ObjectSetTransform(box, 0, 1024, 0, 2, 0.5f, 0);
  const Point4 before = box->localPoints[1];
  ASSERT_EQ(wre_ObjectBakeRotation(box), 0);
  EXPECT_EQ(box->transform.angleY, 0);
  EXPECT_EQ(box->transform.position[0], 2.0f);
  ExpectPoint(box->localPoints[1], before.z, before.y, -before.x);
  wre_ObjectDispose(box);
}

int gUserDataFreed = 0;
void CountUserDataFree(EngineObject* object) {
  ++gUserDataFreed;
  object->userData = nullptr;
}
int gWorldRemoved = 0;
int32_t FakeWorldRemove(EngineObject* object) {
  ++gWorldRemoved;
  object->status &= static_cast<uint8_t>(~kStatusInWorld);
  return 0;
}

TEST_F(ObjectTest, RebuildKeepsTheSourceCoordinatesAndOwnership) {
  BlockWatch watch;
  gObjectServices.userDataDisposeAll = &CountUserDataFree;
  gUserDataFreed = 0;
  EngineObject* source = wre_ObjectNew(kObjectMesh, 4, 8, 3, 0, kObjectGivenNormals);
  ASSERT_NE(source, nullptr);
  // Two points at the same place: the rebuild merges them.
  wre_ObjectAddPoint(source, 0, 0, 0, 0);
  wre_ObjectAddPoint(source, 1, 0, 0, 0);
  wre_ObjectAddPoint(source, 0, 0, 1, 0);
  wre_ObjectAddPoint(source, 0, 0, 0, 0);
  const float uv0[2] = {0, 0}, uv1[2] = {255, 0}, uv2[2] = {0, 51};
  wre_ObjectAddPoly(source, 2, 6, kPolyTextured, 0, 1, 2, uv0, uv1, uv2, 1);
  wre_ObjectAddPoly(source, 2, 6, kPolyTextured, 3, 2, 1, uv0, uv1, uv2, 1);
  wre_ObjectSetPointNormal(source, 3, 0, -1, 0, 0);
  wre_ObjectSetPolyFlags(source, 1, 0x100);
  wre_ObjectSetTransform(source, 0, 0, 0, 4, 5, 6);
  source->gameWords[0] = source;
  source->attributes = 9;
  source->userData = reinterpret_cast<UserData*>(source);  // a stand-in list head

  EngineObject* copy = wre_ObjectRebuildEx(source, 0, 0);
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy, source);
  EXPECT_EQ(copy->pointCount, 3);
  EXPECT_EQ(copy->polygonCount, 2);
  EXPECT_EQ(copy->polygons[1].points[0], 0);
  EXPECT_EQ(copy->polygons[1].flags, 0x100u);
  EXPECT_EQ(copy->givenNormals[0].y, -1.0f);
  EXPECT_FLOAT_EQ(copy->textureCoords[3], 0.0f);
  EXPECT_FLOAT_EQ(copy->textureCoords[2], 1.0f);
  EXPECT_FLOAT_EQ(copy->textureCoords[5], 0.2f);
  // The kept source still holds its own coordinates.
  EXPECT_FLOAT_EQ(source->textureCoords[2], 1.0f);
  EXPECT_FLOAT_EQ(source->textureCoords[5], 0.2f);
  EXPECT_EQ(copy->gameWords[0], source);
  EXPECT_EQ(copy->attributes, 9);
  EXPECT_EQ(copy->collisionGroup, 3u);
  EXPECT_EQ(copy->transform.position[1], 5.0f);
  EXPECT_EQ(copy->userData, source->userData);
  EXPECT_NE(copy->creationFlags & kObjectUserDataShared, 0u);
  // Only the owner frees the list.
  wre_ObjectDispose(copy);
  EXPECT_EQ(gUserDataFreed, 0);

  // A source in a world is not replaced behind the world's back.
  source->status |= kStatusInWorld;
  EXPECT_EQ(wre_ObjectRebuild(source, 0), source);
  source->status = 0;

  EngineObject* rebuilt = wre_ObjectRebuild(source, kObjectBuildTree);
  ASSERT_NE(rebuilt, nullptr);
  EXPECT_NE(rebuilt->polyTree, nullptr);
  EXPECT_EQ(rebuilt->creationFlags & kObjectUserDataShared, 0u);
  EXPECT_EQ(gUserDataFreed, 0);
  wre_ObjectDispose(rebuilt);
  EXPECT_EQ(gUserDataFreed, 1);

  // Locked objects, sprites and particle objects come back as they are.
  EngineObject* locked = NewBoxMesh(kObjectMesh, 0, 1, 0, 1, 0, 1);
  locked->rebuildLock = 1;
  EXPECT_EQ(wre_ObjectRebuild(locked, 0), locked);
  wre_ObjectDispose(locked);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(ObjectTest, DisposeLeavesTheWorldFirst) {
  gObjectServices.worldRemove = &FakeWorldRemove;
  gWorldRemoved = 0;
  EngineObject* object = NewBoxMesh(kObjectMesh, 0, 1, 0, 1, 0, 1);
  object->status |= kStatusInWorld;
  EXPECT_EQ(wre_ObjectDispose(object), 0);
  EXPECT_EQ(gWorldRemoved, 1);
}

TEST_F(ObjectTest, ListsThroughListAndCellLinks) {
  EngineObject* a = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  EngineObject* b = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  EngineObject* c = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  EngineObject* head = nullptr;
  wre_ObjectListAppend(&head, a);
  wre_ObjectListAppend(&head, b);
  wre_ObjectListPrepend(&head, c);
  EXPECT_EQ(head, c);
  EXPECT_EQ(c->next, a);
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(b->prev, a);
  EXPECT_EQ(wre_ObjectListRemove(&head, a), 0);
  EXPECT_EQ(c->next, b);
  EXPECT_EQ(a->next, nullptr);
  EXPECT_EQ(wre_ObjectListRemove(&head, a), kWreErrNotInList);
  EXPECT_EQ(wre_ObjectListRemove(&head, c), 0);
  EXPECT_EQ(head, b);
  EXPECT_EQ(wre_ObjectListRemove(nullptr, b), kWreErrNull);

  EngineObject* cell = nullptr;
  wre_ObjectCellAppend(&cell, a);
  wre_ObjectCellPrepend(&cell, c);
  EXPECT_EQ(a->cellHead, &cell);
  EXPECT_EQ(cell, c);
  EXPECT_EQ(wre_ObjectCellRemove(c), 0);
  EXPECT_EQ(cell, a);
  EXPECT_EQ(c->cellHead, nullptr);
  EXPECT_EQ(wre_ObjectCellRemove(c), kWreErrNotInList);
  EXPECT_EQ(wre_ObjectCellRemove(a), 0);
  EXPECT_EQ(cell, nullptr);
  for (EngineObject* o : {a, b, c}) wre_ObjectDispose(o);
}

int gAllocationsLeft = 0;
void* CountedAlloc(size_t size) {
  if (gAllocationsLeft <= 0) return nullptr;
  --gAllocationsLeft;
  return object_test::WatchedAlloc(size);
}

TEST_F(ObjectTest, RunningOutOfMemoryLeavesNoObjectAndNoLeak) {
  BlockWatch watch;
  for (int allowed = 0; allowed < 12; ++allowed) {
    gAllocationsLeft = allowed;
    wre_MemorySetHeap(&CountedAlloc);
    EngineObject* object = wre_ObjectNew(kObjectMesh, 4, 4, 0, 0, kObjectPointAttachments);
    wre_MemorySetHeap(nullptr);
    if (object) {
      EXPECT_GE(allowed, 8);
      wre_ObjectDispose(object);
    }
  }
  EXPECT_EQ(watch.Left(), 0);
}

}  // namespace
