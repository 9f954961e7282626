// Shared set-up for the texture, texture file and ripple tests: the headless renderer, a texture
// table of eight slots, plain drawing contexts of each renderer kind and memory images.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/frame_tick.h"
#include "engine/data/ripple.h"
#include "engine/data/texture.h"
#include "platform/plat_gl.h"
#include "platform/test/plat_d3d.h"
#include "platform/test/plat_gl.h"
#include "tests/engine/render/render_fixture.h"

namespace texture_test {

// Every OpenGL texture call, and the pixels handed to glTexImage2D.
struct GlRecord {
  std::vector<std::string> calls;
  std::vector<std::vector<uint8_t>> images;
};
inline GlRecord gGl;

inline void RecBind(uint32_t target, uint32_t name) {
  gGl.calls.push_back("bind " + std::to_string(target) + " " + std::to_string(name));
}
inline void RecPixelStore(uint32_t name, int32_t value) {
  gGl.calls.push_back("store " + std::to_string(name) + " " + std::to_string(value));
}
inline void RecParameter(uint32_t target, uint32_t name, int32_t value) {
  gGl.calls.push_back("param " + std::to_string(target) + " " + std::to_string(name) + " " + std::to_string(value));
}
inline void RecImage(uint32_t target, int32_t level, int32_t internalFormat, int32_t width, int32_t height,
                     int32_t border, uint32_t format, uint32_t type, const void* pixels) {
  gGl.calls.push_back("image " + std::to_string(target) + " " + std::to_string(level) + " " +
                      std::to_string(internalFormat) + " " + std::to_string(width) + "x" + std::to_string(height) +
                      " " + std::to_string(border) + " " + std::to_string(format) + " " + std::to_string(type));
  const auto* p = static_cast<const uint8_t*>(pixels);
  gGl.images.emplace_back(p, p + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
}

inline PlatGlFunctions RecordingGl() {
  PlatGlFunctions table{};
  table.BindTexture = RecBind;
  table.PixelStorei = RecPixelStore;
  table.TexParameteri = RecParameter;
  table.TexImage2D = RecImage;
  return table;
}

class TextureTest : public RenderFixture {
 protected:
  void SetUp() override {
    RenderFixture::SetUp();
    gColourMax = 255.0f;
    gColourMaxAlpha = 255.0f;
    gColourToByte = 1.0f;
    gFrameTick = 0;
    plat_TestD3DSetTextureFormats(nullptr, 0);
    plat_TestD3DFailTextures(false, false, false);
    ASSERT_EQ(wre_TextureTableInit(8), 0);
    software_.kind = kRendererSoftware;
    opengl_.kind = kRendererOpenGL;
    none_.kind = kRenderer3dfx;
    gGl = GlRecord{};
    recorder_ = RecordingGl();
  }
  void TearDown() override {
    wre_TextureTableFree();
    for (Offscreen* o : made_) wre_OffscreenDispose(o);
    made_.clear();
    plat_GlSetFunctions(nullptr);
    plat_TestD3DSetTextureFormats(nullptr, 0);
    plat_TestD3DFailTextures(false, false, false);
    gFrameTick = 0;
    RenderFixture::TearDown();
  }

  // A memory image; pixel (x, y) gets the bytes fill(x, y) returns (depth / 8 of them).
  template <typename Fill>
  Offscreen* Image(int32_t depth, int32_t flags, int32_t width, int32_t height, Fill fill) {
    WreRect rect{0, 0, width, height};
    Offscreen* o = wre_OffscreenNew(kOffscreenMemory, &rect, flags, depth, depth == 8 ? 256 : 0, nullptr, nullptr);
    EXPECT_NE(o, nullptr);
    if (!o) return nullptr;
    o->flags = flags;
    int32_t bytes = depth / 8;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        std::vector<uint8_t> px = fill(x, y);
        std::memcpy(o->pixels + y * o->rowBytes + x * bytes, px.data(), static_cast<size_t>(bytes));
      }
    }
    made_.push_back(o);
    return o;
  }
  Offscreen* Plain(int32_t depth, int32_t width, int32_t height) {
    return Image(depth, depth == 16 ? kOffscreen555 : 0, width, height,
                 [depth](int32_t, int32_t) { return std::vector<uint8_t>(static_cast<size_t>(depth / 8), 0x11); });
  }
  // An 8-bit image of index x + width * y (mod 256), palette entry i = (alpha 255, i, 255 - i, i / 2).
  Offscreen* Indexed(int32_t width, int32_t height) {
    Offscreen* o = Image(8, 0, width, height, [width](int32_t x, int32_t y) {
      return std::vector<uint8_t>{static_cast<uint8_t>(x + width * y)};
    });
    for (int i = 0; i < 256; ++i) {
      uint8_t entry[4] = {255, static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2)};
      std::memcpy(o->paletteB[i], entry, 4);
    }
    return o;
  }
  // Forget an image the test hands to something that disposes it.
  void Forget(Offscreen* o) { std::erase(made_, o); }

  DrawingContext software_{};
  DrawingContext opengl_{};
  DrawingContext none_{};
  PlatGlFunctions recorder_{};
  std::vector<Offscreen*> made_;
};

inline uint16_t Word(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

}  // namespace texture_test
