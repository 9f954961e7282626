// The hardware back ends find their textures in the texture table by default: a texture made for
// a Direct3D context is drawn from its own texture surface.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/data/material.h"
#include "engine/render/d3d_backend.h"
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

class HwTextureTableTest : public texture_test::TextureTest {
 protected:
  void SetUp() override {
    TextureTest::SetUp();
    plat_TestGlSetAvailable(true);
    plat_TestD3DDrawWithGl(true);
    UseKind(kRendererDirect3D);
    camera_ = GameCamera();
    ASSERT_NE(camera_, nullptr);
    ASSERT_EQ(wre_MaterialTableInit(4), 0);
    ASSERT_EQ(wre_PolyQueuesInit(8), 0);
    for (int32_t i = 0; i < gMaterialCount; ++i) gMaterialIndexMap[i] = i;
    Material& m = gMaterialTable[0];
    m.inUse = 1;
    m.colourA = m.lit = ColourFloat{255, 255, 255, 255};
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

  // Two triangles over (0, 0) - (100, 100), the whole texture across them.
  PolygonRecord a{};
  a.kind = 200;
  a.material = 0;
  a.texture = 0;
  PolygonRecord b = a;
  const float corners[4][2] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
  const int ia[3] = {0, 1, 2}, ib[3] = {0, 2, 3};
  for (int i = 0; i < 3; ++i) {
    a.v[i] = Point4{corners[ia[i]][0], corners[ia[i]][1], 0.5f, 1.0f};
    b.v[i] = Point4{corners[ib[i]][0], corners[ib[i]][1], 0.5f, 1.0f};
    a.uv[i][0] = corners[ia[i]][0] / 100.0f;
    a.uv[i][1] = corners[ia[i]][1] / 100.0f;
    b.uv[i][0] = corners[ib[i]][0] / 100.0f;
    b.uv[i][1] = corners[ib[i]][1] / 100.0f;
  }
  *gPolyQueueOpaque.write++ = a;
  *gPolyQueueOpaque.write++ = b;
  gPolyQueueOpaque.count = 2;
  PlatD3DDevice* device = camera_->context->device;
  ASSERT_EQ(plat_D3DDeviceBeginScene(device), 0);
  wre_D3DFrameBegin(camera_, 1, 1);
  ASSERT_EQ(wre_D3DPolygonsDraw(camera_), 0);
  ASSERT_EQ(plat_D3DDeviceEndScene(device), 0);
  void* pixels = nullptr;
  int32_t pitch = 0;
  ASSERT_EQ(plat_SurfaceLock(camera_->context->back, &pixels, &pitch), 0);
  auto pixel = [&](int x, int y) {
    uint16_t v = 0;
    std::memcpy(&v, static_cast<uint8_t*>(pixels) + y * pitch + x * 2, 2);
    return v;
  };
  const uint16_t topLeft = pixel(25, 25), bottomLeft = pixel(25, 75), bottomRight = pixel(75, 75);
  plat_SurfaceUnlock(camera_->context->back);
  if (topLeft == 0 && bottomLeft == 0) GTEST_SKIP() << "no OpenGL drawing";
  // The surface's rows top first, as the texture fill wrote them.
  EXPECT_EQ(topLeft, 0x001F);
  EXPECT_EQ(bottomLeft, 0xF800);
  EXPECT_EQ(bottomRight, 0x07E0);
}

}  // namespace
