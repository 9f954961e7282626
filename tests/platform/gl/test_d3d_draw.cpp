// The 3D device's drawing: the recording log, and OpenGL doing what the render states ask.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_d3d.h"
#include "platform/plat_d3d_draw.h"
#include "platform/plat_display.h"
#include "platform/plat_gl.h"
#include "platform/test/plat_d3d.h"
#include "platform/test/plat_d3d_draw.h"
#include "platform/test/plat_display.h"
#include "platform/test/plat_gl.h"

namespace {

PlatD3DTLVertex Vertex(float x, float y, uint32_t diffuse, float u = 0, float v = 0, float z = 0.5f,
                       float rhw = 1.0f) {
  return PlatD3DTLVertex{x, y, z, rhw, diffuse, 0xFF000000u, u, v};
}

// Texture images by handle: 1 is 2 x 1 in 565 (red, green), 2 is 2 x 1 in 4444 (opaque red,
// transparent green).
const uint16_t kTexture1[2] = {0xF800, 0x07E0};
const uint16_t kTexture2[2] = {0xFF00, 0x00F0};
uint32_t gRevision = 1;
bool Source(const PlatD3DDevice*, uint32_t handle, PlatD3DTextureImage* image) {
  if (handle == 1) {
    *image = PlatD3DTextureImage{kTexture1, 2, 1, 4, PlatPixelFormat{kPlatPixelRgb, 16, 0xF800, 0x07E0, 0x001F, 0},
                                 gRevision, nullptr};
    return true;
  }
  if (handle == 2) {
    *image = PlatD3DTextureImage{
        kTexture2, 2, 1, 4, PlatPixelFormat{kPlatPixelRgb | kPlatPixelAlpha, 16, 0x0F00, 0x00F0, 0x000F, 0xF000},
        gRevision, nullptr};
    return true;
  }
  return false;
}

class D3DDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
    display_ = plat_DisplayCreate(nullptr);
    ASSERT_NE(display_, nullptr);
    ASSERT_EQ(plat_DisplaySetMode(display_, 640, 480, 16), 0);
    primary_ = plat_SurfaceCreate(display_, kPlatCapsPrimary | kPlatCapsFlip | kPlatCapsComplex | kPlatCaps3DDevice, 0,
                                  0, nullptr, 1);
    ASSERT_NE(primary_, nullptr);
    back_ = plat_SurfaceGetAttached(primary_, kPlatCapsBackBuffer);
    d3d_ = plat_D3DCreate(display_);
    PlatGuid guid{};
    ASSERT_EQ(plat_D3DFindHardwareDevice(d3d_, &guid, nullptr), 0);
    device_ = plat_D3DCreateDevice(d3d_, &guid, back_);
    ASSERT_NE(device_, nullptr);
    viewport_ = plat_D3DCreateViewport(d3d_);
    ASSERT_EQ(plat_D3DDeviceAddViewport(device_, viewport_), 0);
    const PlatD3DViewportData data{0, 0, 640, 480, 0, 0, 640, 480, 0, 1};
    ASSERT_EQ(plat_D3DViewportSet(viewport_, &data), 0);
    ASSERT_EQ(plat_D3DDeviceSetCurrentViewport(device_, viewport_), 0);
    plat_D3DSetTextureSource(Source);
    Set(kD3DStateCullMode, kD3DCullNone);
    Set(kD3DStateZFunc, kD3DCompareLessEqual);
    Set(kD3DStateSpecularEnable, 0);
  }
  void TearDown() override {
    plat_D3DSetTextureSource(nullptr);
    plat_D3DViewportRelease(viewport_);
    plat_D3DDeviceRelease(device_);
    plat_D3DRelease(d3d_);
    plat_SurfaceRelease(primary_);
    plat_DisplayRelease(display_);
    plat_TestD3DDrawWithGl(false);
    plat_TestGlSetAvailable(false);
    EXPECT_EQ(plat_TestD3DLiveObjects(), 0);
    plat_TestDisplayReset();
    plat_UseBackend(kPlatBackendReal);
  }
  void Set(uint32_t state, uint32_t value) { ASSERT_EQ(plat_D3DDeviceSetRenderState(device_, state, value), 0); }
  int32_t Draw(std::vector<PlatD3DTLVertex> v, uint32_t flags = 12) {
    return plat_D3DDeviceDrawPrimitive(device_, kD3DPrimitiveTriangleList, kD3DVertexFormatTL, v.data(),
                                       static_cast<int32_t>(v.size()), flags);
  }
  // A right triangle over the rectangle's upper-left half, and one over the whole rectangle.
  int32_t Quad(float l, float t, float r, float b, uint32_t colour, float u0 = 0, float u1 = 1) {
    return Draw({Vertex(l, t, colour, u0, 0), Vertex(r, t, colour, u1, 0), Vertex(l, b, colour, u0, 1),
                 Vertex(r, t, colour, u1, 0), Vertex(r, b, colour, u1, 1), Vertex(l, b, colour, u0, 1)});
  }

  PlatDisplay* display_ = nullptr;
  PlatSurface* primary_ = nullptr;
  PlatSurface* back_ = nullptr;
  PlatD3D* d3d_ = nullptr;
  PlatD3DDevice* device_ = nullptr;
  PlatD3DViewport* viewport_ = nullptr;
};

TEST_F(D3DDrawTest, ScenesClearsAndTrianglesAreRecorded) {
  EXPECT_EQ(Quad(0, 0, 10, 10, 0xFFFFFFFF), -1);  // outside a scene
  ASSERT_EQ(plat_D3DDeviceBeginScene(device_), 0);
  EXPECT_EQ(plat_D3DDeviceBeginScene(device_), -1);
  const PlatEdgeRect rect{1, 2, 30, 40};
  EXPECT_EQ(plat_D3DViewportClear(viewport_, 1, &rect, kD3DClearTarget | kD3DClearZBuffer), 0);
  EXPECT_EQ(plat_D3DViewportClear(viewport_, 0, &rect, kD3DClearTarget), -1);
  Set(kD3DStateShadeMode, kD3DShadeFlat);
  ASSERT_EQ(Quad(0, 0, 10, 10, 0xFF123456), 0);
  PlatD3DTLVertex v[3] = {Vertex(0, 0, 1), Vertex(1, 0, 2), Vertex(0, 1, 3)};
  EXPECT_EQ(plat_D3DDeviceDrawPrimitive(device_, 5, kD3DVertexFormatTL, v, 3, 8), -1);
  EXPECT_EQ(plat_D3DDeviceDrawPrimitive(device_, kD3DPrimitiveTriangleList, 0x144, v, 3, 8), -1);
  plat_TestSurfaceSetLost(back_, true);
  EXPECT_EQ(plat_D3DDeviceDrawPrimitive(device_, kD3DPrimitiveTriangleList, kD3DVertexFormatTL, v, 3, 8),
            kPlatDisplaySurfaceLost);
  plat_TestSurfaceSetLost(back_, false);
  ASSERT_EQ(plat_D3DDeviceEndScene(device_), 0);
  EXPECT_EQ(plat_D3DDeviceEndScene(device_), -1);

  const auto& log = plat_TestD3DDrawLog(device_);
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].kind, kD3DEventBeginScene);
  EXPECT_EQ(log[1].kind, kD3DEventClear);
  EXPECT_EQ(log[1].flags, 3u);
  EXPECT_EQ(log[1].rect.right, 30);
  EXPECT_EQ(log[2].kind, kD3DEventTriangle);
  EXPECT_EQ(log[3].kind, kD3DEventTriangle);
  EXPECT_EQ(log[3].flags, 12u);
  EXPECT_EQ(log[3].vertices[1].x, 10.0f);
  EXPECT_EQ(log[3].vertices[2].diffuse, 0xFF123456u);
  // Each event knows how many render states had been set before it.
  EXPECT_EQ(log[1].stateLogSize + 1, log[2].stateLogSize);
  EXPECT_EQ(plat_TestD3DStateLog(device_)[log[2].stateLogSize - 1].state, uint32_t{kD3DStateShadeMode});
  EXPECT_EQ(log[4].kind, kD3DEventEndScene);
}

// A device, its viewports and a background material may go in any order: none keeps the one gone.
TEST_F(D3DDrawTest, WhatIsReleasedLeavesNoViewportOrDevicePointingAtIt) {
  PlatD3DMaterial* material = plat_D3DCreateMaterial(d3d_);
  uint32_t handle = 0;
  ASSERT_EQ(plat_D3DMaterialGetHandle(material, device_, &handle), 0);
  ASSERT_EQ(plat_D3DViewportSetBackground(viewport_, handle), 0);
  plat_D3DMaterialRelease(material);
  EXPECT_EQ(plat_D3DViewportBackground(viewport_), 0u);
  plat_D3DViewportRelease(viewport_);
  viewport_ = nullptr;
  EXPECT_EQ(plat_D3DDeviceCurrentViewport(device_), nullptr);

  PlatD3DViewport* outliving = plat_D3DCreateViewport(d3d_);
  ASSERT_EQ(plat_D3DDeviceAddViewport(device_, outliving), 0);
  plat_D3DDeviceRelease(device_);
  device_ = nullptr;
  EXPECT_EQ(plat_D3DViewportDevice(outliving), nullptr);
  const PlatEdgeRect rect{0, 0, 10, 10};
  EXPECT_EQ(plat_D3DViewportClear(outliving, 1, &rect, kD3DClearTarget), -1);
  plat_D3DViewportRelease(outliving);
}

class D3DDrawGlTest : public D3DDrawTest {
 protected:
  void SetUp() override {
    plat_TestGlSetAvailable(true);
    plat_TestD3DDrawWithGl(true);
    D3DDrawTest::SetUp();
    float blue[4] = {0, 0, 1, 1};
    material_ = plat_D3DCreateMaterial(d3d_);
    plat_D3DMaterialSet(material_, blue, 16);
    uint32_t handle = 0;
    plat_D3DMaterialGetHandle(material_, device_, &handle);
    plat_D3DViewportSetBackground(viewport_, handle);
  }
  void TearDown() override {
    plat_D3DMaterialRelease(material_);
    D3DDrawTest::TearDown();
  }
  // Begins a scene cleared to blue; false when OpenGL cannot draw here.
  bool Begin() {
    plat_D3DDeviceBeginScene(device_);
    const PlatEdgeRect all{0, 0, 640, 480};
    plat_D3DViewportClear(viewport_, 1, &all, kD3DClearTarget | kD3DClearZBuffer);
    return true;
  }
  bool End() {
    plat_D3DDeviceEndScene(device_);
    void* pixels = nullptr;
    int32_t pitch = 0;
    if (plat_SurfaceLock(back_, &pixels, &pitch) != 0) return false;
    frame_.assign(640 * 480, 0);
    for (int y = 0; y < 480; ++y) std::memcpy(&frame_[y * 640], static_cast<uint8_t*>(pixels) + y * pitch, 1280);
    plat_SurfaceUnlock(back_);
    return frame_[479 * 640 + 639] == 0x001F;
  }
  uint16_t Pixel(int x, int y) const { return frame_[static_cast<size_t>(y) * 640 + x]; }
  static int Red(uint16_t p) { return p >> 11; }
  static int Green(uint16_t p) { return (p >> 5) & 0x3F; }
  static int Blue(uint16_t p) { return p & 0x1F; }

  PlatD3DMaterial* material_ = nullptr;
  std::vector<uint16_t> frame_;
};

TEST_F(D3DDrawGlTest, ShadingBlendingAndDepth) {
  Begin();
  // Flat: the first vertex's colour over the whole triangle.
  Set(kD3DStateShadeMode, kD3DShadeFlat);
  Draw({Vertex(10.5f, 10.5f, 0xFFFF0000), Vertex(100.5f, 10.5f, 0xFF00FF00), Vertex(10.5f, 100.5f, 0xFF0000FF)});
  // Gouraud: the colours blend.
  Set(kD3DStateShadeMode, kD3DShadeGouraud);
  Draw({Vertex(200.5f, 10.5f, 0xFFFF0000), Vertex(300.5f, 10.5f, 0xFF00FF00), Vertex(200.5f, 100.5f, 0xFF0000FF)});
  // Blended half-opaque white over blue.
  Set(kD3DStateAlphaBlendEnable, 1);
  Set(kD3DStateSrcBlend, kD3DBlendSrcAlpha);
  Set(kD3DStateDestBlend, kD3DBlendInvSrcAlpha);
  Quad(400, 10, 500, 100, 0x80FFFFFF);
  Set(kD3DStateAlphaBlendEnable, 0);
  // Depth: the nearer red first, then a farther green is hidden behind it.
  Draw({Vertex(10, 200, 0xFFFF0000, 0, 0, 0.2f), Vertex(100, 200, 0xFFFF0000, 0, 0, 0.2f),
        Vertex(10, 300, 0xFFFF0000, 0, 0, 0.2f)});
  Draw({Vertex(10, 200, 0xFF00FF00, 0, 0, 0.8f), Vertex(100, 200, 0xFF00FF00, 0, 0, 0.8f),
        Vertex(10, 300, 0xFF00FF00, 0, 0, 0.8f)});
  // Alpha test with reference 143, greater: alpha 143 is dropped, 144 drawn.
  Set(kD3DStateAlphaTestEnable, 1);
  Set(kD3DStateAlphaRef, 143);
  Set(kD3DStateAlphaFunc, kD3DCompareGreater);
  Quad(200, 200, 250, 250, 0x8FFFFFFF);
  Quad(300, 200, 350, 250, 0x90FFFFFF);
  Set(kD3DStateAlphaTestEnable, 0);
  if (!End()) GTEST_SKIP() << "no OpenGL drawing";
  EXPECT_EQ(Pixel(60, 20), 0xF800);
  const uint16_t g = Pixel(230, 30);
  EXPECT_GT(Red(g), 10);
  EXPECT_GT(Green(g), 5);
  EXPECT_GT(Blue(g), 3);
  const uint16_t half = Pixel(450, 50);
  EXPECT_NEAR(Red(half), 16, 1);
  EXPECT_EQ(Blue(half), 31);
  EXPECT_EQ(Pixel(20, 210), 0xF800);
  EXPECT_EQ(Pixel(220, 220), 0x001F);
  EXPECT_EQ(Pixel(320, 220), 0xFFFF);
}

TEST_F(D3DDrawGlTest, TexturesModulateWrapAndClamp) {
  Begin();
  Set(kD3DStateTextureHandle, 1);
  Set(kD3DStateTextureMapBlend, kD3DTextureBlendModulate);
  // u from 0 to 2: wrapped, the two texels come twice.
  Quad(0, 0, 80, 20, 0xFFFFFFFF, 0, 2);
  Set(kD3DStateTextureAddress, kD3DAddressClamp);
  Quad(0, 40, 80, 60, 0xFFFFFFFF, 0, 2);
  // Modulate: the texture times the vertex colour.
  Set(kD3DStateTextureAddress, kD3DAddressWrap);
  Quad(100, 0, 120, 20, 0xFF808080);
  // A texture with alpha: modulate takes its alpha, so the transparent green texel blends away.
  Set(kD3DStateTextureHandle, 2);
  Set(kD3DStateAlphaBlendEnable, 1);
  Set(kD3DStateSrcBlend, kD3DBlendSrcAlpha);
  Set(kD3DStateDestBlend, kD3DBlendInvSrcAlpha);
  Quad(200, 0, 240, 20, 0x00FFFFFF);  // the vertex alpha does not count
  // Modulate-alpha multiplies the two alphas.
  Set(kD3DStateTextureMapBlend, kD3DTextureBlendModulateAlpha);
  Quad(300, 0, 340, 20, 0x00FFFFFF);
  // Without alpha in the texture, modulate takes the vertex's.
  Set(kD3DStateTextureHandle, 1);
  Set(kD3DStateTextureMapBlend, kD3DTextureBlendModulate);
  Quad(400, 0, 440, 20, 0x00FFFFFF);
  const PlatD3DGlSends sends = plat_TestD3DGlSends(device_);
  if (!End()) GTEST_SKIP() << "no OpenGL drawing";
  EXPECT_EQ(Pixel(5, 10), 0xF800);
  EXPECT_EQ(Pixel(25, 10), 0x07E0);
  EXPECT_EQ(Pixel(45, 10), 0xF800);
  EXPECT_EQ(Pixel(65, 10), 0x07E0);
  EXPECT_EQ(Pixel(5, 50), 0xF800);
  EXPECT_EQ(Pixel(25, 50), 0x07E0);
  EXPECT_EQ(Pixel(45, 50), 0x07E0);  // clamped: the edge texel repeats
  EXPECT_EQ(Pixel(65, 50), 0x07E0);
  EXPECT_EQ(Red(Pixel(105, 10)), 16);
  EXPECT_EQ(Pixel(205, 10), 0xF800);
  EXPECT_EQ(Pixel(235, 10), 0x001F);
  EXPECT_EQ(Pixel(305, 10), 0x001F);
  EXPECT_EQ(Pixel(405, 10), 0x001F);
  // Handle 1, handle 2, handle 1 again: three binds (the first two with their upload).
  EXPECT_EQ(sends.texture, 3);
}

TEST_F(D3DDrawGlTest, StatesAreSentOnlyWhenTheyChangeAndClearsStayInTheirRectangle) {
  Begin();
  Set(kD3DStateSrcBlend, kD3DBlendOne);
  for (int i = 0; i < 4; ++i) Quad(0, 0, 10, 10, 0xFFFFFFFF);
  PlatD3DGlSends first = plat_TestD3DGlSends(device_);
  EXPECT_EQ(first.blend, 1);
  EXPECT_EQ(first.shade, 1);
  EXPECT_EQ(first.depth, 1);
  Set(kD3DStateSrcBlend, kD3DBlendOne);  // the same value again
  Set(kD3DStateShadeMode, kD3DShadeFlat);
  Quad(0, 0, 10, 10, 0xFFFFFFFF);
  Set(kD3DStateAlphaBlendEnable, 1);
  Quad(0, 0, 10, 10, 0xFFFFFFFF);
  Set(kD3DStateSrcBlend, kD3DBlendSrcAlpha);
  Quad(0, 0, 10, 10, 0xFFFFFFFF);
  PlatD3DGlSends later = plat_TestD3DGlSends(device_);
  EXPECT_EQ(later.shade, 2);
  EXPECT_EQ(later.blend, 3);
  EXPECT_EQ(later.depth, 1);
  // A clear of a rectangle in the middle, in render-target rows counted from the top.
  float red[4] = {1, 0, 0, 1};
  PlatD3DMaterial* material = plat_D3DCreateMaterial(d3d_);
  plat_D3DMaterialSet(material, red, 16);
  uint32_t handle = 0;
  plat_D3DMaterialGetHandle(material, device_, &handle);
  plat_D3DViewportSetBackground(viewport_, handle);
  const PlatEdgeRect rect{100, 300, 200, 350};
  plat_D3DViewportClear(viewport_, 1, &rect, kD3DClearTarget);
  plat_D3DMaterialRelease(material);
  if (!End()) GTEST_SKIP() << "no OpenGL drawing";
  EXPECT_EQ(Pixel(100, 300), 0xF800);
  EXPECT_EQ(Pixel(199, 349), 0xF800);
  EXPECT_EQ(Pixel(99, 300), 0x001F);
  EXPECT_EQ(Pixel(100, 299), 0x001F);
  EXPECT_EQ(Pixel(200, 349), 0x001F);
  EXPECT_EQ(Pixel(199, 350), 0x001F);
}

TEST_F(D3DDrawGlTest, ColoursInterpolateWithPerspective) {
  Begin();
  Set(kD3DStateShadeMode, kD3DShadeGouraud);
  // The left edge is four times nearer (rhw 4) than the right: halfway across the screen the
  // colour is a fifth of the way from black to white, not half.
  Draw({Vertex(0, 0, 0xFF000000, 0, 0, 0.5f, 4.0f), Vertex(400, 0, 0xFFFFFFFF, 0, 0, 0.5f, 1.0f),
        Vertex(0, 100, 0xFF000000, 0, 0, 0.5f, 4.0f), Vertex(400, 0, 0xFFFFFFFF, 0, 0, 0.5f, 1.0f),
        Vertex(400, 100, 0xFFFFFFFF, 0, 0, 0.5f, 1.0f), Vertex(0, 100, 0xFF000000, 0, 0, 0.5f, 4.0f)});
  if (!End()) GTEST_SKIP() << "no OpenGL drawing";
  EXPECT_NEAR(Green(Pixel(200, 50)), 63 / 5, 1);
}

// A 4 x 4 texture of one 565 colour, from the device's own texture surfaces.
PlatD3DTexture* SolidTexture(PlatDisplay* display, uint16_t colour) {
  const PlatSurfaceDesc desc{kPlatSurfaceDescCaps | kPlatSurfaceDescWidth | kPlatSurfaceDescHeight |
                                 kPlatSurfaceDescPixelFormat,
                             4, 4, kPlatCapsTexture, 0, PlatPixelFormat{kPlatPixelRgb, 16, 0xF800, 0x07E0, 0x001F, 0}};
  PlatD3DTexture* texture = plat_D3DTextureCreate(display, &desc);
  void* pixels = nullptr;
  int32_t pitch = 0;
  if (!texture || plat_D3DTextureLock(texture, &pixels, &pitch) != 0) return texture;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) std::memcpy(static_cast<uint8_t*>(pixels) + y * pitch + x * 2, &colour, 2);
  }
  plat_D3DTextureUnlock(texture);
  return texture;
}

// Textures made, drawn and released scene after scene, as a rippling texture is: the drawing keeps
// an OpenGL texture only while its handle lives, and draws each new one afresh.
TEST_F(D3DDrawGlTest, AReleasedTextureTakesItsOpenGLTextureAlong) {
  plat_D3DSetTextureSource(nullptr);
  for (int i = 0; i < 200; ++i) {
    const uint16_t colour = i % 2 ? 0x07E0 : 0xF800;
    PlatD3DTexture* texture = SolidTexture(display_, colour);
    uint32_t handle = 0;
    ASSERT_EQ(plat_D3DTextureGetHandle(texture, device_, &handle), 0);
    Begin();
    Set(kD3DStateTextureHandle, handle);
    Quad(0, 0, 64, 64, 0xFFFFFFFF);
    ASSERT_TRUE(End()) << "no OpenGL drawing";
    ASSERT_EQ(Pixel(10, 10), colour) << "scene " << i;
    ASSERT_LE(plat_TestD3DGlTexturesAlive(), 1) << "scene " << i;
    plat_D3DTextureRelease(texture);  // while the device's state still names it
  }
  EXPECT_EQ(plat_TestD3DGlTexturesAlive(), 0);
}

// Released between two draws of a scene, its own device's texture or another's: the scene goes on
// in its own context, the next draw untextured. A handle given for another device, and the device
// going, take the OpenGL textures along too.
TEST_F(D3DDrawGlTest, TexturesReleasedInAScene) {
  plat_D3DSetTextureSource(nullptr);
  PlatGuid guid{};
  ASSERT_EQ(plat_D3DFindHardwareDevice(d3d_, &guid, nullptr), 0);
  PlatD3DDevice* other = plat_D3DCreateDevice(d3d_, &guid, back_);
  PlatD3DTexture* theirs = SolidTexture(display_, 0x07E0);
  uint32_t handle = 0;
  ASSERT_EQ(plat_D3DTextureGetHandle(theirs, other, &handle), 0);
  ASSERT_EQ(plat_D3DDeviceBeginScene(other), 0);
  ASSERT_EQ(plat_D3DDeviceSetRenderState(other, kD3DStateTextureHandle, handle), 0);
  const PlatD3DTLVertex v[3] = {Vertex(0, 0, 0xFFFFFFFF), Vertex(9, 0, 0xFFFFFFFF), Vertex(0, 9, 0xFFFFFFFF)};
  ASSERT_EQ(plat_D3DDeviceDrawPrimitive(other, kD3DPrimitiveTriangleList, kD3DVertexFormatTL, v, 3, 12), 0);
  ASSERT_EQ(plat_D3DDeviceEndScene(other), 0);
  ASSERT_EQ(plat_TestD3DGlTexturesAlive(), 1) << "no OpenGL drawing";

  PlatD3DTexture* ours = SolidTexture(display_, 0xF800);
  ASSERT_EQ(plat_D3DTextureGetHandle(ours, device_, &handle), 0);
  Begin();
  Set(kD3DStateTextureHandle, handle);
  Quad(0, 0, 64, 64, 0xFFFFFFFF);
  plat_D3DTextureRelease(ours);
  plat_D3DTextureRelease(theirs);
  EXPECT_EQ(plat_TestD3DGlTexturesAlive(), 0);
  Quad(100, 0, 164, 64, 0xFFFFFFFF);
  ASSERT_TRUE(End());
  EXPECT_EQ(Pixel(10, 10), 0xF800);
  EXPECT_EQ(Pixel(110, 10), 0xFFFF);

  PlatD3DTexture* texture = SolidTexture(display_, 0xF800);
  for (PlatD3DDevice* device : {other, device_}) {
    ASSERT_EQ(plat_D3DTextureGetHandle(texture, device_, &handle), 0);
    Begin();
    Set(kD3DStateTextureHandle, handle);
    Quad(0, 0, 64, 64, 0xFFFFFFFF);
    ASSERT_TRUE(End());
    ASSERT_EQ(plat_TestD3DGlTexturesAlive(), 1);
    if (device == other) {
      ASSERT_EQ(plat_D3DTextureGetHandle(texture, other, &handle), 0);
    } else {
      plat_D3DDeviceRelease(device_);
      device_ = nullptr;
    }
    EXPECT_EQ(plat_TestD3DGlTexturesAlive(), 0);
  }
  plat_D3DDeviceRelease(other);
  plat_D3DTextureRelease(texture);
}

}  // namespace
