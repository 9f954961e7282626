// The Direct3D back end on the 3D device stand-in: render-state sequences, vertices and draw calls
// from the recording device, and pixels drawn through OpenGL.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "engine/render/d3d_backend.h"
#include "hw_fixture.h"
#include "platform/plat_d3d_draw.h"
#include "platform/plat_gl.h"
#include "platform/test/plat_d3d.h"
#include "platform/test/plat_d3d_draw.h"
#include "platform/test/plat_display.h"
#include "platform/test/plat_gl.h"

using namespace hw_test;

namespace {

using States = std::vector<std::pair<uint32_t, uint32_t>>;

class D3DBackendTest : public HwFixture {
 protected:
  void SetUp() override {
    HwFixture::SetUp();
    UseKind(kRendererDirect3D);
    camera_ = GameCamera();
    ASSERT_NE(camera_, nullptr);
    device_ = camera_->context->device;
    ASSERT_NE(device_, nullptr);
    SetMaterial(0, 10.4f, 20.5f, 30.6f, 255.0f);
    SetMaterial(1, 200.0f, 100.0f, 50.0f, 255.0f);
    SetMaterial(2, 0.0f, 0.0f, 255.0f, 128.0f);
    gFlags[2] = kTextureHasAlpha;
    gFlags[3] = kTextureTranslucent;
    ASSERT_EQ(plat_D3DDeviceBeginScene(device_), 0);
  }
  void TearDown() override {
    plat_D3DDeviceEndScene(device_);
    plat_TestD3DDrawWithGl(false);
    plat_TestGlSetAvailable(false);
    plat_D3DSetTextureSource(nullptr);
    wre_CameraDispose(camera_, 1);
    HwFixture::TearDown();
  }
  // The render states set since the mark.
  States StatesSince(size_t mark) const {
    States out;
    const auto& log = plat_TestD3DStateLog(device_);
    for (size_t i = mark; i < log.size(); ++i) out.emplace_back(log[i].state, log[i].value);
    return out;
  }
  std::vector<PlatD3DDrawEvent> Triangles() const {
    std::vector<PlatD3DDrawEvent> out;
    for (const auto& e : plat_TestD3DDrawLog(device_)) {
      if (e.kind == kD3DEventTriangle) out.push_back(e);
    }
    return out;
  }
  size_t Mark() const { return plat_TestD3DStateLog(device_).size(); }

  Camera* camera_ = nullptr;
  PlatD3DDevice* device_ = nullptr;
};

TEST_F(D3DBackendTest, EachPassSetsItsStates) {
  Push(gPolyQueueOpaque, Triangle(101, 0, -1, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueKeyed, Triangle(201, 0, 2, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueTranslucent, Triangle(202, 2, 3, 0, 0, 10, 0, 0, 10));
  size_t mark = Mark();
  ASSERT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  const States expected = {
      {kD3DStateTextureHandle, 0}, {kD3DStateTextureAddress, 1},
      // opaque, untextured flat-lit
      {kD3DStateAlphaBlendEnable, 0}, {kD3DStateSrcBlend, 2}, {kD3DStateDestBlend, 1}, {kD3DStateShadeMode, 1},
      {kD3DStateAlphaBlendEnable, 1},
      // colour-keyed, textured
      {kD3DStateTextureHandle, 102}, {kD3DStateShadeMode, 2}, {kD3DStateSrcBlend, 5}, {kD3DStateDestBlend, 6},
      {kD3DStateTextureMapBlend, 4}, {kD3DStateAlphaRef, 143}, {kD3DStateAlphaTestEnable, 1},
      {kD3DStateAlphaFunc, 5},
      // translucent, textured: the texture-map blend is already modulate-alpha
      {kD3DStateTextureHandle, 103}, {kD3DStateShadeMode, 2}, {kD3DStateSrcBlend, 5}, {kD3DStateDestBlend, 6},
      {kD3DStateAlphaRef, 1}, {kD3DStateAlphaTestEnable, 1}, {kD3DStateAlphaFunc, 5},
      {kD3DStateAlphaTestEnable, 0}};
  EXPECT_EQ(StatesSince(mark), expected);
  EXPECT_EQ(Triangles().size(), 3u);

  // An opaque textured record with a colour-keyed texture blends and tests alpha; a plain one not.
  wre_PolyQueuesReset();
  Push(gPolyQueueOpaque, Triangle(202, 0, 2, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueOpaque, Triangle(202, 0, 4, 0, 0, 10, 0, 0, 10));
  mark = Mark();
  ASSERT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  const States opaque = {
      {kD3DStateTextureHandle, 0}, {kD3DStateTextureAddress, 1},
      {kD3DStateTextureHandle, 102}, {kD3DStateShadeMode, 2}, {kD3DStateAlphaBlendEnable, 1},
      {kD3DStateSrcBlend, 5}, {kD3DStateDestBlend, 6}, {kD3DStateTextureMapBlend, 2}, {kD3DStateAlphaTestEnable, 1},
      {kD3DStateTextureHandle, 104}, {kD3DStateShadeMode, 2}, {kD3DStateAlphaBlendEnable, 0},
      {kD3DStateSrcBlend, 2}, {kD3DStateDestBlend, 1}, {kD3DStateAlphaTestEnable, 0},
      {kD3DStateAlphaBlendEnable, 1}, {kD3DStateAlphaTestEnable, 0}};
  EXPECT_EQ(StatesSince(mark), opaque);
}

TEST_F(D3DBackendTest, EmptyQueuesStillEndWithAlphaTestOff) {
  const size_t mark = Mark();
  ASSERT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  const States expected = {{kD3DStateTextureHandle, 0},
                           {kD3DStateTextureAddress, 1},
                           {kD3DStateAlphaBlendEnable, 1},
                           {kD3DStateAlphaTestEnable, 0}};
  EXPECT_EQ(StatesSince(mark), expected);
  EXPECT_TRUE(Triangles().empty());
}

TEST_F(D3DBackendTest, UntexturedTranslucentRecordsTakeTheTranslucentAlphaReference) {
  Push(gPolyQueueKeyed, Triangle(201, 0, 2, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueTranslucent, Triangle(101, 2, -1, 0, 0, 10, 0, 0, 10));
  const size_t mark = Mark();
  ASSERT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  std::vector<uint32_t> references;
  for (const auto& [state, value] : StatesSince(mark)) {
    if (state == kD3DStateAlphaRef) references.push_back(value);
  }
  EXPECT_EQ(references, (std::vector<uint32_t>{143, 1}));
}

TEST_F(D3DBackendTest, TextureHandleAndAddressModeAreSentOnlyOnChange) {
  PolygonRecord plain = Triangle(201, 0, 5, 0, 0, 10, 0, 0, 10);
  PolygonRecord clamped = plain;
  clamped.flags = 0x10;
  for (const PolygonRecord& r : {plain, plain, clamped, clamped, plain}) Push(gPolyQueueOpaque, r);
  Push(gPolyQueueOpaque, Triangle(101, 0, -1, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueOpaque, plain);
  const size_t mark = Mark();
  ASSERT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  std::vector<uint32_t> handles, addresses, blends;
  for (const auto& [state, value] : StatesSince(mark)) {
    if (state == kD3DStateTextureHandle) handles.push_back(value);
    if (state == kD3DStateTextureAddress) addresses.push_back(value);
    if (state == kD3DStateTextureMapBlend) blends.push_back(value);
  }
  // Initial 0; texture 5 once for four records; 0 for the untextured record; 5 again after it.
  EXPECT_EQ(handles, (std::vector<uint32_t>{0, 105, 0, 105}));
  EXPECT_EQ(addresses, (std::vector<uint32_t>{1, 3, 1}));
  EXPECT_EQ(blends, (std::vector<uint32_t>{2}));
}

TEST_F(D3DBackendTest, SpritesAreFlatUnlessDepthCueIsOn) {
  Push(gPolyQueueOpaque, Triangle(200, 0, 5, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueOpaque, Triangle(102, 0, -1, 0, 0, 10, 0, 0, 10));
  auto shades = [&] {
    const size_t mark = Mark();
    EXPECT_EQ(wre_D3DPolygonsDraw(camera_), 0);
    std::vector<uint32_t> out;
    for (const auto& [state, value] : StatesSince(mark)) {
      if (state == kD3DStateShadeMode) out.push_back(value);
    }
    return out;
  };
  EXPECT_EQ(shades(), (std::vector<uint32_t>{1, 2}));
  camera_->bits |= kCameraDepthCueOn;
  EXPECT_EQ(shades(), (std::vector<uint32_t>{2, 2}));
}

TEST_F(D3DBackendTest, VerticesCarryPositionMaterialColourVertexColourAndTexturePair) {
  PolygonRecord r = Triangle(202, 0, 5, 1.5f, 2.5f, 30.0f, 4.0f, 5.0f, 40.0f, 0.25f, 0.125f);
  for (int i = 0; i < 3; ++i) {
    r.uv[i][0] = 0.1f * static_cast<float>(i + 1);
    r.uv[i][1] = 0.2f * static_cast<float>(i + 1);
  }
  r.colour[0][0] = 1.5f;    // rounds to 2
  r.colour[0][1] = 254.5f;  // ties to even: 254
  r.colour[0][2] = 300.0f;  // clamped to 255
  r.colour[1][0] = -20.0f;  // clamped to 0
  Push(gPolyQueueOpaque, r);
  PolygonRecord u = Triangle(101, 1, -1, 0, 0, 10, 0, 0, 10);
  u.uv[0][0] = 0.7f;  // an untextured record sends no texture pair
  Push(gPolyQueueOpaque, u);
  SetMaterial(2, -3.0f, 300.0f, 128.0f, 255.0f);
  Push(gPolyQueueOpaque, Triangle(101, 2, -1, 0, 0, 10, 0, 0, 10));
  ASSERT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  const auto tris = Triangles();
  ASSERT_EQ(tris.size(), 3u);
  const PlatD3DTLVertex* v = tris[0].vertices;
  EXPECT_EQ(v[0].x, 1.5f);
  EXPECT_EQ(v[0].y, 2.5f);
  EXPECT_EQ(v[0].z, 0.25f);
  EXPECT_EQ(v[0].rhw, 0.125f);
  EXPECT_EQ(v[2].x, 5.0f);
  EXPECT_EQ(v[2].y, 40.0f);
  EXPECT_EQ(v[0].diffuse, 0xFF0A141Fu);  // 10.4, 20.5, 30.6 rounded
  EXPECT_EQ(v[0].specular, 0xFF02FEFFu);
  EXPECT_EQ(v[1].specular, 0xFF000000u);
  EXPECT_EQ(v[1].u, 0.2f);
  EXPECT_EQ(v[2].v, 0.2f * 3.0f);
  EXPECT_EQ(tris[1].vertices[0].diffuse, 0xFFC86432u);
  EXPECT_EQ(tris[1].vertices[0].u, 0.0f);
  EXPECT_EQ(tris[2].vertices[0].diffuse, 0xFF00FF80u);  // each channel clamped to 0..255
}

TEST_F(D3DBackendTest, DepthCueMixesTowardsTheCueColourInTheOpaquePass) {
  camera_->bits |= kCameraDepthCueOn;
  const uint32_t cue[4] = {200, 100, 50, 0};
  std::memcpy(camera_->depthCueColour, cue, sizeof(cue));
  camera_->depthCueStart = 10.0f;
  camera_->depthCueEnd = 100.0f;
  auto depth = [&](float d) { return (d * camera_->depthScale + camera_->depthOffset) / d; };
  const float near = depth(5.0f), far = depth(500.0f), mid = 0.5f * (depth(10.0f) + depth(100.0f));
  PolygonRecord r = Triangle(101, 0, -1, 0, 0, 10, 0, 0, 10);
  r.v[0].z = near;
  r.v[1].z = mid;
  r.v[2].z = far;
  for (int i = 0; i < 3; ++i) r.colour[i][0] = 100.0f;
  Push(gPolyQueueOpaque, r);
  PolygonRecord keyed = r;
  keyed.kind = 201;
  keyed.texture = 2;
  Push(gPolyQueueKeyed, keyed);  // textured records of the blended passes keep their vertex colour
  ASSERT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  const auto tris = Triangles();
  ASSERT_EQ(tris.size(), 2u);
  EXPECT_EQ(tris[0].vertices[0].specular, 0xFF640000u);
  EXPECT_EQ(tris[0].vertices[2].specular, 0xFFC86432u);
  const uint32_t m = tris[0].vertices[1].specular;
  EXPECT_NEAR(static_cast<int>(m >> 24), 128, 1);
  EXPECT_NEAR(static_cast<int>((m >> 16) & 0xFF), 150, 1);
  EXPECT_NEAR(static_cast<int>((m >> 8) & 0xFF), 50, 1);
  EXPECT_NEAR(static_cast<int>(m & 0xFF), 25, 1);
  EXPECT_EQ(tris[1].vertices[2].specular, 0xFF640000u);
}

TEST_F(D3DBackendTest, DrawFlagsFollowTheEdgeClipBitAndUnknownKindsAreSkipped) {
  PolygonRecord clipped = Triangle(101, 0, -1, 0, 0, 10, 0, 0, 10);
  clipped.flags = 0x04;
  Push(gPolyQueueOpaque, clipped);
  Push(gPolyQueueOpaque, Triangle(150, 0, -1, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueOpaque, Triangle(101, 0, -1, 0, 0, 10, 0, 0, 10));
  const size_t mark = Mark();
  ASSERT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  const auto tris = Triangles();
  ASSERT_EQ(tris.size(), 2u);
  EXPECT_EQ(tris[0].flags, 8u);
  EXPECT_EQ(tris[1].flags, 12u);
  // The skipped record set nothing: two records' worth of four states plus the frame's four.
  EXPECT_EQ(StatesSince(mark).size(), 12u);
}

TEST_F(D3DBackendTest, FailuresEndTheDraw) {
  Push(gPolyQueueOpaque, Triangle(101, 0, -1, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueOpaque, Triangle(101, 0, -1, 0, 0, 10, 0, 0, 10));
  plat_TestD3DFailState(kD3DStateSrcBlend, 1);
  EXPECT_EQ(wre_D3DPolygonsDraw(camera_), -1);
  EXPECT_TRUE(Triangles().empty());

  // Errors of the address, texture-map blend, alpha reference and alpha-test states are passed over.
  plat_TestD3DDrawLogClear(device_);
  for (uint32_t state : {kD3DStateTextureMapBlend, kD3DStateAlphaRef, kD3DStateAlphaTestEnable}) {
    plat_TestD3DFailState(state, 10);
  }
  Push(gPolyQueueKeyed, Triangle(201, 0, 2, 0, 0, 10, 0, 0, 10));
  EXPECT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  EXPECT_EQ(Triangles().size(), 3u);
  for (uint32_t state : {kD3DStateTextureMapBlend, kD3DStateAlphaRef, kD3DStateAlphaTestEnable}) {
    plat_TestD3DFailState(state, 0);
  }

  // In the translucent pass the loop stops, and alpha testing is still switched off.
  wre_PolyQueuesReset();
  plat_TestD3DDrawLogClear(device_);
  Push(gPolyQueueTranslucent, Triangle(202, 2, 3, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueTranslucent, Triangle(202, 2, 3, 0, 0, 10, 0, 0, 10));
  plat_TestD3DFailState(kD3DStateAlphaFunc, 1);
  const size_t mark = Mark();
  EXPECT_EQ(wre_D3DPolygonsDraw(camera_), -1);
  EXPECT_TRUE(Triangles().empty());
  ASSERT_FALSE(StatesSince(mark).empty());
  EXPECT_EQ(StatesSince(mark).back(), std::make_pair(uint32_t{kD3DStateAlphaTestEnable}, 0u));

  // A draw call outside a scene fails the draw.
  plat_D3DDeviceEndScene(device_);
  EXPECT_EQ(wre_D3DPolygonsDraw(camera_), -1);
  plat_D3DDeviceBeginScene(device_);
}

TEST_F(D3DBackendTest, LostTextureSurfaceIsRestoredBeforeUse) {
  Push(gPolyQueueOpaque, Triangle(201, 0, 5, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueOpaque, Triangle(201, 0, 6, 0, 0, 10, 0, 0, 10));
  gLost[5] = true;
  EXPECT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  EXPECT_EQ(gRestores, 1);
  EXPECT_FALSE(gLost[5]);
  EXPECT_EQ(Triangles().size(), 2u);

  // A surface that cannot be restored stops the draw; the next frame tries again.
  plat_TestD3DDrawLogClear(device_);
  gLost[6] = true;
  gRestoreResult = -1;
  EXPECT_EQ(wre_D3DPolygonsDraw(camera_), -1);
  EXPECT_EQ(Triangles().size(), 1u);
  gRestoreResult = 0;
  plat_TestD3DDrawLogClear(device_);
  EXPECT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  EXPECT_EQ(Triangles().size(), 2u);
}

TEST_F(D3DBackendTest, FrameBeginRestoresSurfacesAndClearsTheViewportRectangle) {
  DrawingContext* context = camera_->context;
  for (PlatSurface* s : {context->zbuffer, context->primary, context->back}) {
    ASSERT_NE(s, nullptr);
    plat_TestSurfaceSetLost(s, true);
  }
  ASSERT_EQ(wre_CameraMakeD3DBackground(camera_), 0);
  plat_TestD3DDrawLogClear(device_);
  const WreRect view{40, 30, 600, 450};
  wre_CameraSetViewport(camera_, &view);
  EXPECT_EQ(wre_D3DFrameBegin(camera_, 1, 1), 0);
  for (PlatSurface* s : {context->zbuffer, context->primary, context->back}) EXPECT_FALSE(plat_SurfaceIsLost(s));
  EXPECT_EQ(plat_D3DViewportBackground(context->viewport), camera_->d3dBackgroundHandle);
  EXPECT_EQ(wre_D3DFrameBegin(camera_, 0, 0), 0);
  EXPECT_EQ(wre_D3DDepthClear(camera_), 0);
  std::vector<PlatD3DDrawEvent> clears;
  for (const auto& e : plat_TestD3DDrawLog(device_)) {
    if (e.kind == kD3DEventClear) clears.push_back(e);
  }
  ASSERT_EQ(clears.size(), 3u);
  EXPECT_EQ(clears[0].flags, 7u);
  EXPECT_EQ(clears[1].flags, 2u);
  EXPECT_EQ(clears[2].flags, 2u);
  // The viewport words are edges, not sizes.
  EXPECT_EQ(clears[0].rect.left, 40);
  EXPECT_EQ(clears[0].rect.top, 30);
  EXPECT_EQ(clears[0].rect.right, 600);
  EXPECT_EQ(clears[0].rect.bottom, 450);
  EXPECT_EQ(wre_D3DDepthClear(nullptr), kWreErrNull);

  // Without a z-buffer only the primary surface and the back buffer are looked at.
  PlatSurface* zbuffer = context->zbuffer;
  context->zbuffer = nullptr;
  plat_TestSurfaceSetLost(context->back, true);
  EXPECT_EQ(wre_D3DFrameBegin(camera_, 1, 1), 0);
  EXPECT_FALSE(plat_SurfaceIsLost(context->back));
  context->zbuffer = zbuffer;
}

TEST_F(D3DBackendTest, NoOpStepsOfKind104) {
  EXPECT_EQ(wre_DepthClearNoOp(camera_), 0);
  EXPECT_EQ(wre_BackgroundClearNoOp(camera_), 0);
}

// Pixels through OpenGL (Mesa).

// A 2 x 1 texture in 1555: left texel transparent white, right texel opaque red.
uint16_t gTexels[2] = {0x7FFF, 0xFC00};
bool TextureSource(const PlatD3DDevice*, uint32_t handle, PlatD3DTextureImage* image) {
  if (handle != 102 && handle != 105) return false;
  *image = PlatD3DTextureImage{gTexels, 2, 1, 4, PlatPixelFormat{kPlatPixelRgb | kPlatPixelAlpha, 16, 0x7c00, 0x03e0,
                                                                  0x001f, 0x8000},
                               1, nullptr};
  return true;
}

class D3DPixelTest : public D3DBackendTest {
 protected:
  void SetUp() override {
    plat_TestGlSetAvailable(true);
    plat_TestD3DDrawWithGl(true);
    D3DBackendTest::SetUp();
    plat_D3DDeviceEndScene(device_);
    plat_D3DSetTextureSource(TextureSource);
    camera_->background[0] = 0;
    camera_->background[1] = 0;
    camera_->background[2] = 255;
    ASSERT_EQ(wre_CameraMakeD3DBackground(camera_), 0);
  }
  // Draws the queues as one frame; false when OpenGL could not draw.
  bool Frame() {
    plat_D3DDeviceBeginScene(device_);
    wre_D3DFrameBegin(camera_, 1, 1);
    EXPECT_EQ(wre_D3DPolygonsDraw(camera_), 0);
    plat_D3DDeviceEndScene(device_);
    plat_D3DDeviceBeginScene(device_);  // for the fixture's end
    void* pixels = nullptr;
    int32_t pitch = 0;
    if (plat_SurfaceLock(camera_->context->back, &pixels, &pitch) != 0) return false;
    frame_.assign(640 * 480, 0);
    for (int y = 0; y < 480; ++y) std::memcpy(&frame_[y * 640], static_cast<uint8_t*>(pixels) + y * pitch, 640 * 2);
    plat_SurfaceUnlock(camera_->context->back);
    return Pixel(0, 0) == 0x001F;  // the background reached the surface
  }
  uint16_t Pixel(int x, int y) const { return frame_[static_cast<size_t>(y) * 640 + x]; }
  std::vector<uint16_t> frame_;
};

TEST_F(D3DPixelTest, TriangleCoversThePixelsWhoseCentresLieInside) {
  // Pixel centres sit on whole numbers; no centre lies on an edge of this triangle.
  Push(gPolyQueueOpaque, Triangle(101, 1, -1, 8.25f, 8.25f, 40.25f, 8.25f, 8.25f, 41.25f));
  SetMaterial(1, 0, 255, 0, 255);
  if (!Frame()) GTEST_SKIP() << "no OpenGL drawing";
  int wrong = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 60; ++x) {
      const double fx = x, fy = y;
      const bool inside = fx > 8.25 && fy > 8.25 && (fx - 40.25) * 33.0 < -32.0 * (fy - 8.25);
      wrong += (Pixel(x, y) == (inside ? 0x07E0 : 0x001F)) ? 0 : 1;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(D3DPixelTest, MaterialColourPlusVertexColourAndKeyedTexels) {
  SetMaterial(1, 128, 0, 0, 255);
  PolygonRecord lit = Triangle(102, 1, -1, 0, 0, 100, 0, 0, 100);
  for (int i = 0; i < 3; ++i) lit.colour[i][1] = 255.0f;  // specular green on top of the diffuse red
  Push(gPolyQueueOpaque, lit);
  // Colour-keyed pass, texture 2: its transparent left half leaves the background.
  SetMaterial(0, 255, 255, 255, 255);
  PolygonRecord keyed = Triangle(201, 0, 2, 200, 100, 400, 100, 200, 300);
  keyed.v[2] = Point4{400, 300, 0.5f, 1};
  PolygonRecord keyed2 = keyed;
  keyed2.v[1] = Point4{200, 300, 0.5f, 1};
  const float uv1[3][2] = {{0, 0}, {1, 0}, {1, 1}};
  const float uv2[3][2] = {{0, 0}, {0, 1}, {1, 1}};
  std::memcpy(keyed.uv, uv1, sizeof(uv1));
  std::memcpy(keyed2.uv, uv2, sizeof(uv2));
  Push(gPolyQueueKeyed, keyed);
  Push(gPolyQueueKeyed, keyed2);
  // Translucent pass: half-opaque white over the background blue.
  SetMaterial(2, 255, 255, 255, 128);
  Push(gPolyQueueTranslucent, Triangle(101, 2, -1, 500, 10, 600, 10, 500, 110));
  if (!Frame()) GTEST_SKIP() << "no OpenGL drawing";
  const uint16_t litPixel = Pixel(10, 10);
  EXPECT_EQ(litPixel >> 11, 16);            // 128 of 255 in five bits
  EXPECT_EQ((litPixel >> 5) & 0x3F, 63);    // the vertex colour added
  EXPECT_EQ(Pixel(250, 200), 0x001F);       // keyed texel: background
  EXPECT_EQ(Pixel(350, 200), 0xF800);       // opaque red texel times white
  const uint16_t t = Pixel(520, 30);
  EXPECT_NEAR(t >> 11, 16, 1);
  EXPECT_NEAR((t >> 5) & 0x3F, 32, 1);
  EXPECT_EQ(t & 0x1F, 31);
}

}  // namespace
