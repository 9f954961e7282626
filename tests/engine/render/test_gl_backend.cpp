// The OpenGL back end: its calls through a recording table, and its pixels on Mesa.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/render/gl_backend.h"
#include "gl_recorder.h"
#include "hw_fixture.h"
#include "platform/plat_gl.h"
#include "platform/test/plat_gl.h"

using namespace hw_test;

namespace {

std::string Call(const char* name, std::initializer_list<double> args) {
  std::string text = std::string(name) + "(";
  bool first = true;
  for (double a : args) {
    text += (first ? "" : ",") + gl_recorder::Number(a);
    first = false;
  }
  return text + ")";
}

// A call with one array argument, as the recorder prints it.
std::string ArrayCall(const char* name, std::initializer_list<double> values) {
  std::string text = std::string(name) + "(";
  bool first = true;
  for (double v : values) {
    text += (first ? "" : " ") + gl_recorder::Number(v);
    first = false;
  }
  return text + ")";
}

class GlBackendTest : public HwFixture {
 protected:
  void SetUp() override {
    HwFixture::SetUp();
    gColourMax = 1.0f;
    gColourMaxAlpha = 1.0f;
    SetMaterial(0, 1.0f, 0.5f, 0.25f, 1.0f);
    SetMaterial(1, 0.25f, 0.25f, 0.25f, 0.5f);
    gGlNames[5] = 15;
    gGlNames[6] = 16;
    camera_.width = 64.0f;
    camera_.height = 48.0f;
    camera_.background[0] = 0.0f;
    camera_.background[1] = 0.0f;
    camera_.background[2] = 1.0f;
    camera_.background[3] = 1.0f;
    context_.view = WreRect{8, 16, 72, 64};
    context_.display = WreRect{0, 0, 640, 480};
    context_.kind = kRendererOpenGL;
    gl_recorder::gCalls.clear();
    plat_GlSetFunctions(&gl_recorder::kTable);
  }
  void TearDown() override {
    plat_GlSetFunctions(nullptr);
    HwFixture::TearDown();
  }
  const std::vector<std::string>& Calls() const { return gl_recorder::gCalls; }

  Camera camera_{};
  DrawingContext context_{};
};

TEST_F(GlBackendTest, FrameBeginClearsAndMapsPixelsToTheViewport) {
  ASSERT_EQ(wre_GLFrameBegin(&camera_, &context_, 1), 0);
  const std::vector<std::string> expected = {
      Call("ClearColor", {0, 0, 1, 1}), Call("Clear", {0x4100}),
      Call("MatrixMode", {kGlTexture}), Call("LoadIdentity", {}), Call("Scalef", {1, -1, 1}),
      Call("Translatef", {0, -1, 0}),
      Call("MatrixMode", {kGlProjection}), Call("LoadIdentity", {}),
      Call("MatrixMode", {kGlModelview}), Call("LoadIdentity", {}), Call("Scalef", {2.0f / 64, -2.0f / 48, 1}),
      Call("Translatef", {-32, -24, 0}),
      // OpenGL counts rows from the bottom: 480 - 64.
      Call("Viewport", {8, 416, 64, 48})};
  EXPECT_EQ(Calls(), expected);
  gl_recorder::gCalls.clear();
  ASSERT_EQ(wre_GLFrameBegin(&camera_, &context_, 0), 0);
  EXPECT_EQ(Calls().front(), Call("Clear", {0x100}));
  EXPECT_EQ(gl_recorder::Count("ClearColor"), 0);
  gl_recorder::gCalls.clear();
  wre_GLDepthTestSet(&camera_, &context_, 0);
  wre_GLDepthTestSet(&camera_, &context_, 1);
  EXPECT_EQ(Calls(), (std::vector<std::string>{Call("Disable", {kGlDepthTest}), Call("Enable", {kGlDepthTest})}));
}

TEST_F(GlBackendTest, TexturesAreBoundOnceAndUntexturedRecordsTurnTexturingOff) {
  Push(gPolyQueueOpaque, Triangle(200, 0, 5, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueOpaque, Triangle(200, 0, 5, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueOpaque, Triangle(100, 0, -1, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueOpaque, Triangle(100, 0, -1, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueOpaque, Triangle(200, 0, 6, 0, 0, 10, 0, 0, 10));
  ASSERT_EQ(wre_GLPolygonsDraw(&camera_, &context_), 0);
  EXPECT_EQ(gl_recorder::Count("BindTexture("), 2);
  EXPECT_EQ(gl_recorder::Count(Call("BindTexture", {kGlTexture2D, 15})), 1);
  EXPECT_EQ(gl_recorder::Count(Call("BindTexture", {kGlTexture2D, 16})), 1);
  // Texturing off once in the fixed state and once for the first untextured record.
  EXPECT_EQ(gl_recorder::Count(Call("Disable", {kGlTexture2D})), 2);
  // Material colour with the alpha left at 1; untextured polygons send no texture pairs.
  EXPECT_EQ(gl_recorder::Count(ArrayCall("Color3fv", {1, 0.5, 0.25})), 5);
  EXPECT_EQ(gl_recorder::Count("TexCoord3f"), 9);
}

TEST_F(GlBackendTest, LightPassForEveryKindButTheUnlitOnes) {
  for (uint8_t kind : {100, 101, 102, 200, 201, 202}) {
    wre_PolyQueuesReset();
    gl_recorder::gCalls.clear();
    const int16_t texture = kind >= 200 ? 5 : -1;
    PolygonRecord r = Triangle(kind, 0, texture, 0, 0, 10, 0, 0, 10, 0.5f);
    r.colour[1][1] = 0.75f;
    Push(gPolyQueueOpaque, r);
    ASSERT_EQ(wre_GLPolygonsDraw(&camera_, &context_), 0);
    const bool light = kind != 100 && kind != 200;
    EXPECT_EQ(gl_recorder::Count("Begin("), light ? 2 : 1) << int(kind);
    if (!light) continue;
    const int begin = gl_recorder::Find("Begin(", gl_recorder::Find("End(") + 1);
    const int smooth = gl_recorder::Find(Call("ShadeModel", {kGlSmooth}));
    EXPECT_TRUE(smooth != -1 && smooth < begin);
    EXPECT_NE(gl_recorder::Find(Call("BlendFunc", {kGlOne, kGlOneMinusSrcColor})), -1);
    // Texturing is off for the light pass.
    if (texture != -1) {
      EXPECT_EQ(Calls()[begin - 1], Call("Disable", {kGlTexture2D}));
    }
    EXPECT_EQ(Calls()[begin + 3], Call("Color3f", {0, 0.75f, 0}));
    EXPECT_EQ(Calls()[begin + 4], Call("Vertex3f", {10, 0, 0.5f - 0.0001f}));
    // Afterwards: blending off, flat again, and a texture bound again.
    const int after = gl_recorder::Find("End(", begin);
    EXPECT_EQ(Calls()[after + 1], Call("Disable", {kGlBlend}));
    EXPECT_EQ(Calls()[after + 2], Call("ShadeModel", {kGlFlat}));
    if (texture != -1) {
      EXPECT_EQ(Calls()[after + 3], Call("BindTexture", {kGlTexture2D, 15}));
    }
  }
}

TEST_F(GlBackendTest, WrapModeIsSetPerTextureOutsideBeginEnd) {
  PolygonRecord a = Triangle(200, 0, 5, 0, 0, 10, 0, 0, 10);
  PolygonRecord b = Triangle(200, 0, 6, 0, 0, 10, 0, 0, 10);
  a.flags = b.flags = 0x10;
  Push(gPolyQueueOpaque, a);
  Push(gPolyQueueOpaque, b);  // another texture object: clamped as well
  a.flags = 0;
  Push(gPolyQueueOpaque, a);
  Push(gPolyQueueOpaque, a);
  ASSERT_EQ(wre_GLPolygonsDraw(&camera_, &context_), 0);
  std::vector<std::string> wraps;
  bool inside = false;
  for (const std::string& call : Calls()) {
    if (call.rfind("Begin(", 0) == 0) inside = true;
    if (call.rfind("End(", 0) == 0) inside = false;
    if (call.rfind("TexParameteri(", 0) == 0) {
      EXPECT_FALSE(inside) << call;
      wraps.push_back(call);
    }
  }
  const std::string clampS = Call("TexParameteri", {kGlTexture2D, kGlTextureWrapS, kGlClamp});
  const std::string repeatS = Call("TexParameteri", {kGlTexture2D, kGlTextureWrapS, kGlRepeat});
  // Fixed state (S, T), texture 15 clamped (S, T), texture 16 clamped, texture 15 back to repeat.
  ASSERT_EQ(wraps.size(), 8u);
  EXPECT_EQ(wraps[0], repeatS);
  EXPECT_EQ(wraps[2], clampS);
  EXPECT_EQ(wraps[4], clampS);
  EXPECT_EQ(wraps[6], repeatS);
}

TEST_F(GlBackendTest, BlendedQueuesTestAlphaAndKeepBlendingOn) {
  Push(gPolyQueueKeyed, Triangle(201, 1, 5, 0, 0, 10, 0, 0, 10));
  Push(gPolyQueueTranslucent, Triangle(101, 0, -1, 0, 0, 10, 0, 0, 10));
  ASSERT_EQ(wre_GLPolygonsDraw(&camera_, &context_), 0);
  const int alpha = gl_recorder::Find(Call("AlphaFunc", {kGlGreater, 0.001f}));
  ASSERT_NE(alpha, -1);
  EXPECT_EQ(Calls()[alpha - 1], Call("Enable", {kGlAlphaTest}));
  // Each polygon with all four material components; the light pass only switches the function.
  EXPECT_EQ(gl_recorder::Count(ArrayCall("Color4fv", {0.25, 0.25, 0.25, 0.5})), 1);
  EXPECT_EQ(gl_recorder::Count(ArrayCall("Color4fv", {1, 0.5, 0.25, 1})), 1);
  EXPECT_EQ(gl_recorder::Count(Call("Disable", {kGlBlend})), 2);  // fixed state and the end
  EXPECT_EQ(Calls().back(), Call("Disable", {kGlBlend}));
  EXPECT_EQ(gl_recorder::Count(Call("BlendFunc", {kGlSrcAlpha, kGlOneMinusSrcAlpha})), 3);
}

// Pixels on Mesa.

class GlPixelTest : public GlBackendTest {
 protected:
  void SetUp() override {
    GlBackendTest::SetUp();
    plat_GlSetFunctions(nullptr);
    plat_TestGlSetAvailable(true);
    context_.glContext = plat_GlContextCreate(nullptr, nullptr);
    if (!context_.glContext) GTEST_SKIP() << "no OpenGL context";
    gl_ = plat_Gl();
    context_.view = WreRect{0, 0, 64, 48};
    gl_->Enable(kGlDepthTest);
    // Texture 5: 2 x 2, rows bottom first as the texture module uploads them: red, then blue.
    const uint8_t texels[16] = {255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255};
    gl_->GenTextures(1, &gGlNames[5]);
    gl_->BindTexture(kGlTexture2D, gGlNames[5]);
    gl_->PixelStorei(kGlUnpackAlignment, 1);
    gl_->TexParameteri(kGlTexture2D, kGlTextureMinFilter, static_cast<int32_t>(kGlNearest));
    gl_->TexParameteri(kGlTexture2D, kGlTextureMagFilter, static_cast<int32_t>(kGlNearest));
    gl_->TexImage2D(kGlTexture2D, 0, static_cast<int32_t>(kGlRgba), 2, 2, 0, kGlRgba, kGlUnsignedByte, texels);
  }
  void TearDown() override {
    if (context_.glContext) {
      gl_->DeleteTextures(1, &gGlNames[5]);
      plat_GlContextDelete(context_.glContext);
    }
    plat_TestGlSetAvailable(false);
    GlBackendTest::TearDown();
  }
  void Frame() {
    wre_GLFrameBegin(&camera_, &context_, 1);
    wre_GLPolygonsDraw(&camera_, &context_);
    // The viewport is the top 48 rows of the 480-row window; rows come back bottom first.
    std::vector<uint8_t> rows(64 * 48 * 4);
    gl_->ReadPixels(0, 480 - 48, 64, 48, kGlRgba, kGlUnsignedByte, rows.data());
    frame_.assign(64 * 48, 0);
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 64; ++x) {
        const uint8_t* p = &rows[((47 - y) * 64 + x) * 4];
        frame_[y * 64 + x] = uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
      }
    }
  }
  uint32_t Pixel(int x, int y) const { return frame_[y * 64 + x]; }
  static int Channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

  const PlatGlFunctions* gl_ = nullptr;
  std::vector<uint32_t> frame_;
};

TEST_F(GlPixelTest, TriangleCoversThePixelsWhoseCentresLieInside) {
  SetMaterial(0, 0.0f, 1.0f, 0.0f, 1.0f);
  // Pixel centres sit at halves here; none lies on an edge of this triangle.
  Push(gPolyQueueOpaque, Triangle(100, 0, -1, 8, 8, 40, 8, 8, 41, 0.0f));
  Frame();
  int wrong = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const double cx = x + 0.5, cy = y + 0.5;
      const bool inside = cx > 8 && cy > 8 && (cx - 40) * 33.0 < -32.0 * (cy - 8);
      wrong += Pixel(x, y) == (inside ? 0x00FF00u : 0x0000FFu) ? 0 : 1;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(GlPixelTest, MaterialColourModulatesTheTextureWithVDownwards) {
  SetMaterial(0, 1.0f, 1.0f, 0.5f, 1.0f);
  const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (uint32_t flags : {0u, 0x10u}) {
    wre_PolyQueuesReset();
    PolygonRecord a = Triangle(200, 0, 5, 0, 0, 64, 0, 64, 48, 0.0f);
    PolygonRecord b = Triangle(200, 0, 5, 0, 0, 64, 48, 0, 48, 0.0f);
    a.flags = b.flags = flags;
    std::memcpy(a.uv[0], uv[0], 8);
    std::memcpy(a.uv[1], uv[1], 8);
    std::memcpy(a.uv[2], uv[2], 8);
    std::memcpy(b.uv[0], uv[0], 8);
    std::memcpy(b.uv[1], uv[2], 8);
    std::memcpy(b.uv[2], uv[3], 8);
    Push(gPolyQueueOpaque, a);
    Push(gPolyQueueOpaque, b);
    Frame();
    // The image's top row (uploaded last) at the top, wrapped or clamped alike.
    EXPECT_EQ(Channel(Pixel(20, 5), 16), 0) << flags;
    EXPECT_NEAR(Channel(Pixel(20, 5), 0), 128, 1) << flags;
    EXPECT_EQ(Pixel(40, 42), 0xFF0000u) << flags;
  }
  SetMaterial(0, 0.5f, 0.25f, 1.0f, 1.0f);
  wre_PolyQueuesReset();
  Push(gPolyQueueOpaque, Triangle(100, 0, -1, 0, 0, 64, 0, 0, 48, 0.0f));
  Frame();
  EXPECT_NEAR(Channel(Pixel(5, 5), 16), 128, 1);
  EXPECT_NEAR(Channel(Pixel(5, 5), 8), 64, 1);
  EXPECT_EQ(Channel(Pixel(5, 5), 0), 255);
}

TEST_F(GlPixelTest, LightPassAddsVertexColoursForLitKindsOnly) {
  SetMaterial(0, 0.25f, 0.25f, 0.25f, 1.0f);
  for (uint8_t kind : {100, 101, 102, 200, 201, 202}) {
    wre_PolyQueuesReset();
    PolygonRecord r = Triangle(kind, 0, kind >= 200 ? 5 : -1, 0, 0, 64, 0, 0, 48, 0.0f);
    for (int i = 0; i < 3; ++i) {
      r.colour[i][0] = 0.5f;
      r.uv[i][1] = 0.9f;  // the texture's bottom row: red
    }
    Push(gPolyQueueOpaque, r);
    Frame();
    const uint32_t p = Pixel(8, 8);
    const bool light = kind != 100 && kind != 200;
    // Red: a quarter of the red texel or of white; with the light pass d (1 - s) + s, 0.25 x 0.5 + 0.5.
    EXPECT_NEAR(Channel(p, 16), light ? 159 : 64, 2) << int(kind);
    EXPECT_NEAR(Channel(p, 8), (kind >= 200) ? 0 : 63, 2) << int(kind);
  }
}

TEST_F(GlPixelTest, KeyedPolygonsOfNoOpacityLeaveNoPixels) {
  SetMaterial(1, 1.0f, 1.0f, 1.0f, 0.001f);
  SetMaterial(2, 1.0f, 1.0f, 1.0f, 0.5f);
  Push(gPolyQueueKeyed, Triangle(200, 1, 5, 0, 0, 32, 0, 0, 48, 0.0f));
  PolygonRecord half = Triangle(100, 2, -1, 40, 0, 64, 0, 40, 48, 0.0f);
  Push(gPolyQueueTranslucent, half);
  Frame();
  EXPECT_EQ(Pixel(4, 4), 0x0000FFu);
  const uint32_t p = Pixel(44, 4);
  EXPECT_NEAR(Channel(p, 16), 128, 2);
  EXPECT_NEAR(Channel(p, 0), 255, 1);
}

}  // namespace
