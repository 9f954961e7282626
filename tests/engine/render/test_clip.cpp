#include <gtest/gtest.h>

#include <cmath>

#include "engine/render/clip.h"
#include "pipeline_fixture.h"

namespace {

using pipeline_test::PipelineFixture;
using pipeline_test::Triangle;

class Clipping : public PipelineFixture {
 protected:
  // A hardware-kind camera whose callbacks leave corners where they are, so the queued pieces can
  // be read in camera space.
  Camera* Unprojected() {
    Camera* camera = Cam(kRendererOpenGL);
    camera->projectTriangle = wre_ProjectTriSoft;
    camera->projectQuad = wre_ProjectQuadSoft;
    camera->projectPolygon = wre_ProjectPolySoft;
    return camera;
  }
  static void Colour(PolygonRecord* r, int corner, float red, float u) {
    r->colour[corner][0] = red;
    r->colour[corner][3] = 255.0f;
    r->uv[corner][0] = u;
    r->uv[corner][1] = 1.0f - u;
  }
  static float Area(const PolygonRecord& r) {
    const Point4 &a = r.v[0], &b = r.v[1], &c = r.v[2];
    return std::fabs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) * 0.5f;
  }
};

TEST_F(Clipping, OneCornerBeyondFarGivesTwoPiecesWithCornersOnThePlane) {
  Camera* camera = Unprojected();
  PolygonRecord r = Triangle(0, 0, 500, 10, 0, 500, 0, 10, 1500, kPolyVisible | kPolyClipFar, 0, 3);
  Colour(&r, 0, 0, 0);
  Colour(&r, 1, 50, 0.5f);
  Colour(&r, 2, 100, 1);
  ASSERT_EQ(wre_PolygonSubmit(camera, &r, 0), 0);
  ASSERT_EQ(gPolyQueueOpaque.count, 2);
  const float plane = camera->farClip - kClipInset;
  const PolygonRecord& first = gPolyQueueOpaque.base[0];   // (A, P, Q)
  const PolygonRecord& second = gPolyQueueOpaque.base[1];  // (B, A, Q)
  EXPECT_EQ(first.v[0].z, plane);
  EXPECT_EQ(second.v[0].z, plane);
  EXPECT_EQ(second.v[1].z, plane);
  EXPECT_FLOAT_EQ(first.v[1].x, 0.0f);   // P = corner 0
  EXPECT_FLOAT_EQ(first.v[2].x, 10.0f);  // Q = corner 1
  // A lies on the edge corner 2 - corner 0 at t = (999.8 - 500) / 1000.
  const float t = (plane - 500.0f) / 1000.0f;
  EXPECT_NEAR(first.v[0].y, 10.0f * t, 1e-4f);
  EXPECT_NEAR(first.colour[0][0], 100.0f * t, 1e-3f);
  EXPECT_NEAR(first.uv[0][0], t, 1e-5f);
  EXPECT_NEAR(first.uv[0][1], 1.0f - t, 1e-5f);
  EXPECT_FLOAT_EQ(first.colour[0][3], 255.0f);
  // B on corner 2 - corner 1 at the same t.
  EXPECT_NEAR(second.colour[0][0], 100.0f * t + 50.0f * (1 - t), 1e-3f);
  EXPECT_EQ(first.flags, r.flags);
  EXPECT_EQ(first.texture, 3);
}

TEST_F(Clipping, TwoCornersBeyondNearGiveOnePieceFromTheLowerOutsideCorner) {
  Camera* camera = Unprojected();
  PolygonRecord r = Triangle(0, 0, 0.5f, 4, 4, 5.0f, 8, 0, 0.5f, kPolyVisible | kPolyClipNear);
  ASSERT_EQ(wre_PolygonSubmit(camera, &r, 0), 0);
  ASSERT_EQ(gPolyQueueOpaque.count, 1);
  const PolygonRecord& piece = gPolyQueueOpaque.base[0];
  const float plane = camera->nearClip + kClipInset;
  EXPECT_EQ(piece.v[0].z, plane);
  EXPECT_EQ(piece.v[1].z, plane);
  EXPECT_EQ(piece.v[2].z, 5.0f);  // K, the inside corner, last
  EXPECT_LT(piece.v[0].x, piece.v[1].x);  // A from corner 0, B from corner 2
  // All three beyond: nothing, and no failure.
  PolygonRecord gone = Triangle(0, 0, 0.5f, 4, 4, 0.5f, 8, 0, 0.5f, kPolyVisible | kPolyClipNear);
  EXPECT_EQ(wre_PolygonSubmit(camera, &gone, 0), 0);
  EXPECT_EQ(gPolyQueueOpaque.count, 1);
}

TEST_F(Clipping, FarThenNearClipsBothPiecesInCameraSpace) {
  Camera* camera = Unprojected();
  // Corner 0 beyond far, corner 1 in front of near.
  PolygonRecord r = Triangle(0, 0, 1500, 10, 0, 0.5f, 0, 10, 500, kPolyVisible | kPolyClipFar | kPolyClipNear);
  ASSERT_EQ(wre_PolygonSubmit(camera, &r, 0), 0);
  ASSERT_GE(gPolyQueueOpaque.count, 3);
  for (int i = 0; i < gPolyQueueOpaque.count; ++i) {
    for (const Point4& v : gPolyQueueOpaque.base[i].v) {
      EXPECT_LE(v.z, camera->farClip - kClipInset);
      EXPECT_GE(v.z, camera->nearClip + kClipInset);
    }
  }
}

TEST_F(Clipping, DepthMapsNearAndFarPerRenderer) {
  Camera* camera = Cam(kRendererDirect3D);
  ClipVertex a{0, 0, camera->nearClip, 0, 0, 0, 0, 0, 0, 0};
  ClipVertex b{0, 0, camera->farClip, 0, 0, 0, 0, 0, 0, 0};
  ClipVertex c{10, 10, 10, 0, 0, 0, 0, 0, 0, 0};
  ClipVertex a2 = a, b2 = b, c2 = c;
  wre_ProjectTriD3D(camera, nullptr, &a, &b, &c);
  EXPECT_NEAR(a.z, 0.0f, 1e-6f);
  EXPECT_NEAR(b.z, 1.0f, 1e-6f);
  EXPECT_FLOAT_EQ(c.x, camera->halfWidth + 10 * camera->projectionScale / 10);
  EXPECT_FLOAT_EQ(c.y, camera->halfHeight - 10 * camera->projectionScale / 10);
  EXPECT_FLOAT_EQ(c.w, 0.1f);
  wre_ProjectTriGL(camera, nullptr, &a2, &b2, &c2);
  EXPECT_NEAR(a2.z, -1.0f, 1e-6f);
  EXPECT_NEAR(b2.z, 1.0f, 1e-6f);
  EXPECT_FLOAT_EQ(c2.x, c.x);
  // The polygon callback of OpenGL leaves records alone on other contexts.
  PolygonRecord r = Triangle(1, 1, 10, 2, 1, 10, 1, 2, 10);
  wre_ProjectPolyGL(camera, &r);
  EXPECT_FLOAT_EQ(r.v[0].z, 10.0f);
  wre_ProjectPolyD3D(camera, &r);
  EXPECT_FLOAT_EQ(r.v[0].w, 0.1f);
}

TEST_F(Clipping, AlternativeDirect3DScalesRhwUnlessNearClipped) {
  Camera* camera = Cam(kRendererDirect3D);
  camera->context->displayBits |= kDisplay3dfx;
  wre_CameraBindProjection(camera);
  EXPECT_EQ(camera->projectTriangle, wre_ProjectTriD3DAlt);
  PolygonRecord r = Triangle(1, 1, 10, 2, 1, 10, 1, 2, 10);
  PolygonRecord clipped = r;
  clipped.flags = kPolyClipNear;
  ClipVertex a{0, 0, 4, 0, 0, 0, 0, 0, 0, 0}, b = a, c = a;
  wre_ProjectTriD3DAlt(camera, &r, &a, &b, &c);
  EXPECT_FLOAT_EQ(a.w, 0.25f * 65535.0f);
  a = b = c = ClipVertex{0, 0, 4, 0, 0, 0, 0, 0, 0, 0};
  wre_ProjectTriD3DAlt(camera, &clipped, &a, &b, &c);
  EXPECT_FLOAT_EQ(a.w, 0.25f);
  wre_ProjectPolyD3DAlt(camera, &r);
  EXPECT_FLOAT_EQ(r.v[0].w, 0.1f * 65535.0f);
  camera->context->displayBits = 0;
}

TEST_F(Clipping, LeftEdgeIsCutOnOpenGLAndLeftToTheDeviceOnDirect3D) {
  Camera* gl = Cam(kRendererOpenGL);
  PolygonRecord r = Triangle(-10, 100, 0.5f, 100, 100, 0.5f, 100, 210, 0.5f, kPolyVisible | kPolyClipEdge);
  ASSERT_EQ(wre_PolygonSubmit(gl, &r, 1), 0);
  ASSERT_EQ(gPolyQueueOpaque.count, 2);
  float area = 0.0f;
  int onEdge = 0;
  for (int i = 0; i < 2; ++i) {
    area += Area(gPolyQueueOpaque.base[i]);
    for (const Point4& v : gPolyQueueOpaque.base[i].v) {
      EXPECT_GE(v.x, kClipInset);
      onEdge += v.x == kClipInset ? 1 : 0;
    }
  }
  EXPECT_EQ(onEdge, 3);  // A, B and A again
  // 110 x 110 / 2 less the 10.2 x 10.2 / 2 corner left of x = 0.2.
  EXPECT_NEAR(area, 6050.0f - 52.02f, 0.01f);

  wre_PolyQueuesReset();
  Camera* d3d = Cam(kRendererDirect3D);
  ASSERT_EQ(wre_PolygonSubmit(d3d, &r, 1), 0);
  ASSERT_EQ(gPolyQueueOpaque.count, 1);
  EXPECT_FLOAT_EQ(gPolyQueueOpaque.base[0].v[0].x, -10.0f);
}

TEST_F(Clipping, PiecesCoverTheClippedAreaAcrossSeveralEdges) {
  Camera* gl = Cam(kRendererOpenGL);
  // Crosses the left and top edges; the part inside is the triangle's area within x, y >= 0.2.
  PolygonRecord r = Triangle(-50, -50, 0.5f, 150, -50, 0.5f, -50, 150, 0.5f, kPolyVisible | kPolyClipEdge);
  ASSERT_EQ(wre_PolygonSubmit(gl, &r, 1), 0);
  float area = 0.0f;
  for (int i = 0; i < gPolyQueueOpaque.count; ++i) area += Area(gPolyQueueOpaque.base[i]);
  // x + y <= 100 with x, y >= 0.2: a right triangle with legs 99.6.
  EXPECT_NEAR(area, 99.6f * 99.6f * 0.5f, 0.05f);
}

TEST_F(Clipping, BeyondAnEdgeNothingIsQueuedAndAFullQueueIsReported) {
  Camera* gl = Cam(kRendererOpenGL);
  PolygonRecord outside = Triangle(700, 10, 0.5f, 800, 10, 0.5f, 700, 90, 0.5f, kPolyVisible | kPolyClipEdge);
  EXPECT_EQ(wre_PolygonSubmit(gl, &outside, 1), 0);
  EXPECT_EQ(gPolyQueueOpaque.count, 0);
  ASSERT_EQ(wre_PolyQueuesInit(2), 0);  // one record a queue
  PolygonRecord r = Triangle(-10, 100, 0.5f, 100, 100, 0.5f, 100, 210, 0.5f, kPolyVisible | kPolyClipEdge);
  EXPECT_EQ(wre_PolygonSubmit(gl, &r, 1), kWreQueueFull);
  EXPECT_EQ(gPolyQueueOpaque.count, 1);
}

TEST_F(Clipping, InterpolationWeighsTheFirstCornerByT) {
  ClipVertex a{10, 20, 30, 40, 1, 2, 100, 200, 50, 255};
  ClipVertex b{0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  ClipVertex out{};
  wre_ClipInterpolate(&a, &b, &out, 0.25f, 1);
  EXPECT_FLOAT_EQ(out.x, 2.5f);
  EXPECT_FLOAT_EQ(out.w, 10.0f);
  EXPECT_FLOAT_EQ(out.u, 0.25f);
  EXPECT_FLOAT_EQ(out.g, 50.0f);
  EXPECT_FLOAT_EQ(out.a, 63.75f);
  wre_ClipInterpolate(&a, &b, &out, 0.25f, 0);
  EXPECT_FLOAT_EQ(out.u, 0.0f);
}

}  // namespace
