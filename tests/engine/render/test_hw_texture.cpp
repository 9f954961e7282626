// The hardware back ends find their textures in the texture table by default: a texture made for
// a Direct3D context is drawn from its own texture surface. Filtered keyed textures show no key
// colour at their edges on either hardware kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/data/material.h"
#include "engine/render/d3d_backend.h"
#include "engine/render/gl_backend.h"
#include "engine/render/hw_texture.h"
#include "engine/render/polygon.h"
#include "engine/render/pools.h"
#include "platform/plat_d3d_draw.h"
#include "platform/plat_gl.h"
#include "platform/test/plat_d3d_draw.h"
#include "platform/test/plat_gl.h"
#include "tests/engine/data/texture_test_support.h"

namespace {

using Px = std::vector<uint8_t>;

// A table of four materials and queues for eight polygons, material 0 in use and lit white on the
// device's colour scale (`full`).
void WhiteMaterialAndQueues(float full) {
  ASSERT_EQ(wre_MaterialTableInit(4), 0);
  ASSERT_EQ(wre_PolyQueuesInit(8), 0);
  for (int32_t i = 0; i < gMaterialCount; ++i) gMaterialIndexMap[i] = i;
  Material& m = gMaterialTable[0];
  m.inUse = 1;
  m.colourA = m.lit = ColourFloat{full, full, full, full};
}

// Two textured triangles over (0, 0) - (size, size), the whole texture across them.
void PushQuad(PolyQueue& queue, float size) {
  PolygonRecord a{};
  a.kind = 200;
  a.material = 0;
  a.texture = 0;
  PolygonRecord b = a;
  const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  const int ia[3] = {0, 1, 2}, ib[3] = {0, 2, 3};
  for (int i = 0; i < 3; ++i) {
    a.v[i] = Point4{corners[ia[i]][0] * size, corners[ia[i]][1] * size, 0.5f, 1.0f};
    b.v[i] = Point4{corners[ib[i]][0] * size, corners[ib[i]][1] * size, 0.5f, 1.0f};
    std::memcpy(a.uv[i], corners[ia[i]], 8);
    std::memcpy(b.uv[i], corners[ib[i]], 8);
  }
  *queue.write++ = a;
  *queue.write++ = b;
  queue.count += 2;
}

// An 8 x 8 keyed 1555 picture: a green 4 x 4 block in the middle, the key (magenta) around it.
constexpr int32_t kKeyedSize = 8;
Px KeyedTexel(int32_t x, int32_t y) {
  const bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
  return inside ? Px{0xE0, 0x83} : Px{0x1F, 0x7C};
}

// The keyed picture drawn 16 times its size with filtering over a blue background: what the
// edges of its (0, 0) - (128, 128) square show. pixel gives red, green, blue bytes.
struct EdgeColours {
  int maxRed = 0;
  int mixed = 0;  // pixels between green and blue
  Px centre;
};
EdgeColours Edges(const std::function<Px(int, int)>& pixel) {
  EdgeColours e;
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) {
      const Px p = pixel(x, y);
      e.maxRed = std::max<int>(e.maxRed, p[0]);
      e.mixed += p[1] > 8 && p[1] < 240 && p[2] > 8 && p[2] < 240;
    }
  }
  e.centre = pixel(64, 64);
  return e;
}

class HwTextureTableTest : public texture_test::TextureTest {
 protected:
  void SetUp() override {
    TextureTest::SetUp();
    plat_TestGlSetAvailable(true);
    plat_TestD3DDrawWithGl(true);
    UseKind(kRendererDirect3D);
    camera_ = GameCamera();
    ASSERT_NE(camera_, nullptr);
    ASSERT_NO_FATAL_FAILURE(WhiteMaterialAndQueues(255));
  }
  void TearDown() override {
    wre_TextureReleaseAll();
    wre_PolyQueuesFree();
    wre_MaterialTableFree();
    wre_CameraDispose(camera_, 1);
    plat_TestD3DDrawWithGl(false);
    plat_TestGlSetAvailable(false);
    TextureTest::TearDown();
  }
  // Draws the queues through the Direct3D kind and returns the back surface's 16-bit pixels by
  // (x, y), read while it is locked.
  std::function<uint16_t(int, int)> DrawAndLock() {
    PlatD3DDevice* device = camera_->context->device;
    EXPECT_EQ(plat_D3DDeviceBeginScene(device), 0);
    wre_D3DFrameBegin(camera_, 1, 1);
    EXPECT_EQ(wre_D3DPolygonsDraw(camera_), 0);
    EXPECT_EQ(plat_D3DDeviceEndScene(device), 0);
    void* pixels = nullptr;
    int32_t pitch = 0;
    EXPECT_EQ(plat_SurfaceLock(camera_->context->back, &pixels, &pitch), 0);
    return [pixels, pitch](int x, int y) {
      uint16_t v = 0;
      if (pixels) std::memcpy(&v, static_cast<uint8_t*>(pixels) + y * pitch + x * 2, 2);
      return v;
    };
  }
  Camera* camera_ = nullptr;
};

TEST_F(HwTextureTableTest, TableAnswersAndTheDeviceDrawsTheTextureSurface) {
  Offscreen* rgb = Image(24, 0, 2, 2, [](int32_t x, int32_t y) {
    const Px px[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {8, 16, 24}};
    return px[x + 2 * y];
  });
  ASSERT_EQ(wre_TextureCreate(rgb, camera_->context, 0, "rgb"), 0);
  const Texture& t = gTextureTable[0];
  EXPECT_EQ(wre_HwTextureD3DHandle(0), t.d3dHandle);
  EXPECT_NE(wre_HwTextureD3DHandle(0), 0u);
  EXPECT_EQ(wre_HwTextureFlags(0), t.flags);
  EXPECT_EQ(wre_HwTextureGLName(0), t.glName);
  EXPECT_EQ(wre_HwTextureD3DHandle(8), 0u);  // outside the table
  EXPECT_EQ(wre_HwTextureD3DHandle(-1), 0u);
  EXPECT_FALSE(wre_HwTextureSurfaceLost(0));

  PushQuad(gPolyQueueOpaque, 100);
  const auto pixel = DrawAndLock();
  const uint16_t topLeft = pixel(25, 25), bottomLeft = pixel(25, 75), bottomRight = pixel(75, 75);
  plat_SurfaceUnlock(camera_->context->back);
  if (topLeft == 0 && bottomLeft == 0) GTEST_SKIP() << "no OpenGL drawing";
  // The surface's rows top first, as the texture fill wrote them.
  EXPECT_EQ(topLeft, 0x001F);
  EXPECT_EQ(bottomLeft, 0xF800);
  EXPECT_EQ(bottomRight, 0x07E0);
}

TEST_F(HwTextureTableTest, AFilteredKeyedTextureShowsNoKeyColourAtItsEdges) {
  wre_CameraDispose(camera_, 1);
  camera_ = GameCamera(16, 1 | kContextLinearFilter);
  ASSERT_NE(camera_, nullptr);
  camera_->background[0] = camera_->background[1] = 0;
  camera_->background[2] = 255;
  ASSERT_EQ(wre_CameraMakeD3DBackground(camera_), 0);
  Offscreen* keyed = Image(16, kOffscreen555 | kOffscreenAlpha, kKeyedSize, kKeyedSize, KeyedTexel);
  ASSERT_EQ(wre_TextureCreate(keyed, camera_->context, 0, "keyed"), 0);
  PushQuad(gPolyQueueKeyed, 128);
  const auto pixel = DrawAndLock();
  const EdgeColours edges = Edges([&](int x, int y) {
    const uint16_t v = pixel(x, y);
    return Px{static_cast<uint8_t>((v >> 11) << 3), static_cast<uint8_t>((v >> 5 & 63) << 2),
              static_cast<uint8_t>((v & 31) << 3)};
  });
  plat_SurfaceUnlock(camera_->context->back);
  if (edges.centre == Px{0, 0, 0}) GTEST_SKIP() << "no OpenGL drawing";
  EXPECT_TRUE(edges.centre[0] == 0 && edges.centre[1] > 200 && edges.centre[2] == 0);
  EXPECT_GT(edges.mixed, 100);  // filtered: the edges blend into the background
  EXPECT_EQ(edges.maxRed, 0);
}

// A rippling texture is uploaded again at every step, a new texture surface each time: the device
// holds as many OpenGL textures after the two hundredth scene as after the first.
TEST_F(HwTextureTableTest, ARippleUploadedEveryStepHoldsNoMoreOnTheDevice) {
  int32_t handle = -1;
  ASSERT_EQ(wre_TextureFindFree(&handle), 0);
  ASSERT_EQ(wre_TextureDefine(handle, Indexed(8, 8), camera_->context, kTextureCreateRipple, "water.bmp", nullptr,
                              kRippleKind, kRippleKind, 0, 0, 0, nullptr),
            0);
  PushQuad(gPolyQueueOpaque, 100);
  int32_t first = 0;
  for (int step = 0; step < 200; ++step) {
    const uint32_t before = gTextureTable[handle].d3dHandle;
    ASSERT_EQ(wre_TextureAnimateAll(0), 0);
    ASSERT_NE(gTextureTable[handle].d3dHandle, before) << "the step uploaded nothing";
    DrawAndLock();
    plat_SurfaceUnlock(camera_->context->back);
    const int32_t alive = plat_TestD3DGlTexturesAlive();
    if (step == 0) {
      first = alive;
      ASSERT_GE(first, 1) << "the scene drew no texture";
    }
    ASSERT_EQ(alive, first) << "step " << step;
  }
}

// The OpenGL kind, on the machine's OpenGL.
class GlKeyedTextureTest : public texture_test::TextureTest {
 protected:
  void SetUp() override {
    TextureTest::SetUp();
    plat_TestGlSetAvailable(true);
    opengl_.glContext = plat_GlContextCreate(nullptr, nullptr);
    if (!opengl_.glContext) GTEST_SKIP() << "no OpenGL context";
    opengl_.flags = kContextLinearFilter;
    opengl_.view = WreRect{0, 0, 128, 128};
    opengl_.display = WreRect{0, 0, 640, 480};
    ASSERT_NO_FATAL_FAILURE(WhiteMaterialAndQueues(1));
  }
  void TearDown() override {
    if (opengl_.glContext) {
      wre_TextureReleaseAll();
      wre_PolyQueuesFree();
      wre_MaterialTableFree();
      plat_GlContextDelete(opengl_.glContext);
      opengl_.glContext = nullptr;
    }
    plat_TestGlSetAvailable(false);
    TextureTest::TearDown();
  }
};

TEST_F(GlKeyedTextureTest, AFilteredKeyedTextureShowsNoKeyColourAtItsEdges) {
  Offscreen* keyed = Image(16, kOffscreen555 | kOffscreenAlpha, kKeyedSize, kKeyedSize, KeyedTexel);
  ASSERT_EQ(wre_TextureCreate(keyed, &opengl_, 0, "keyed"), 0);
  PushQuad(gPolyQueueKeyed, 128);
  Camera camera{};
  camera.width = camera.height = 128;
  camera.background[2] = camera.background[3] = 1;
  wre_GLFrameBegin(&camera, &opengl_, 1);
  wre_GLPolygonsDraw(&camera, &opengl_);
  // The viewport is the top 128 rows of the 480-row window; rows come back bottom first.
  Px rows(128 * 128 * 4);
  plat_Gl()->ReadPixels(0, 480 - 128, 128, 128, kGlRgba, kGlUnsignedByte, rows.data());
  const EdgeColours edges = Edges([&](int x, int y) {
    const uint8_t* p = &rows[static_cast<size_t>((127 - y) * 128 + x) * 4];
    return Px{p[0], p[1], p[2]};
  });
  EXPECT_TRUE(edges.centre[0] == 0 && edges.centre[1] > 200 && edges.centre[2] == 0);
  EXPECT_GT(edges.mixed, 100);
  EXPECT_EQ(edges.maxRed, 0);
}

}  // namespace
