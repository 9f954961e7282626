#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files.h"
#include "engine/data/texture.h"
#include "engine/data/texture_file.h"
#include "platform/test/plat_gl.h"
#include "tests/engine/data/texture_test_support.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/bmp_writer.h"

namespace {

using texture_test::gGl;
using texture_test::TextureTest;
using texture_test::Word;

class TextureFiles : public TextureTest {
 protected:
  void SetUp() override {
    TextureTest::SetUp();
    ASSERT_EQ(wre_FolderSet(dir_.str().c_str()), 0);
    // img.bmp: 4 x 4 indices x + 4 y; index 0 is magenta, 1 red, the rest greys of their index.
    std::vector<BmpPaletteEntry> palette(16);
    for (int i = 0; i < 16; ++i) {
      auto g = static_cast<uint8_t>(i * 16);
      palette[static_cast<size_t>(i)] = BmpPaletteEntry{g, g, g, 255};
    }
    palette[0] = BmpPaletteEntry{255, 0, 255, 255};
    palette[1] = BmpPaletteEntry{255, 0, 0, 255};
    palette_ = palette;
    WriteIndexed("img.bmp", 4, 4);
    // rgb.bmp: 4 x 4, pixel (x, y) = (16 x, 16 y, 0), (255, 0, 255) at (1, 1).
    std::vector<uint8_t> rgb(4 * 4 * 3);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        uint8_t* p = &rgb[static_cast<size_t>((y * 4 + x) * 3)];
        p[0] = static_cast<uint8_t>(x * 16);
        p[1] = static_cast<uint8_t>(y * 16);
        p[2] = 0;
      }
    }
    rgb[15] = 255, rgb[16] = 0, rgb[17] = 255;
    Write("rgb.bmp", BmpWriteRgb(4, 4, rgb.data()));
    // img_opacity.bmp: 4 x 4, pixel (x, y) = (10 x, 20 x, 31 x).
    std::vector<uint8_t> opacity(4 * 4 * 3);
    for (int i = 0; i < 16; ++i) {
      int x = i % 4;
      opacity[static_cast<size_t>(i * 3)] = static_cast<uint8_t>(10 * x);
      opacity[static_cast<size_t>(i * 3 + 1)] = static_cast<uint8_t>(20 * x);
      opacity[static_cast<size_t>(i * 3 + 2)] = static_cast<uint8_t>(31 * x);
    }
    Write("img_opacity.bmp", BmpWriteRgb(4, 4, opacity.data()));
    Write("small_opacity.bmp", BmpWriteRgb(2, 2, opacity.data()));
  }
  void TearDown() override {
    wre_FolderSet(nullptr);
    TextureTest::TearDown();
  }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(dir_.path() / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void WriteIndexed(const std::string& name, int32_t width, int32_t height) {
    std::vector<uint8_t> indices(static_cast<size_t>(width * height));
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i % 16);
    Write(name, BmpWriteIndexed(width, height, indices.data(), palette_.data(), 16));
  }
  int32_t Load(const char* file, DrawingContext* context, int32_t depth, bool keyed = false,
               const char* opacity = nullptr, int32_t mipFlag = 0, const ColourRecord* key = nullptr) {
    handle_ = -7;
    return wre_TextureLoadFile(file, keyed ? 1 : 0, key, 0, 0, context, &handle_, 0, 0, 0, 0, 0, depth, opacity,
                               mipFlag);
  }

  TempDir dir_;
  std::vector<BmpPaletteEntry> palette_;
  int32_t handle_ = -7;
};

TEST_F(TextureFiles, DepthRequestsPickTheImageFormat) {
  UseKind(kRendererDirect3D);
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  DrawingContext* d3d = camera->context;
  struct Case {
    const char* file;
    int32_t depth;
    bool keyed;
    const char* opacity;
    int32_t pixelClass;
  } cases[] = {
      {"img.bmp", 0, false, nullptr, kTexturePixel8},
      {"img.bmp", 16, false, nullptr, kTexturePixel555},
      {"img.bmp", 16, false, "img_opacity.bmp", kTexturePixel4444},
      {"img.bmp", 24, false, nullptr, kTexturePixel24},
      {"img.bmp", 24, true, nullptr, kTexturePixel32Alpha},
      {"img.bmp", 24, false, "img_opacity.bmp", kTexturePixel32Alpha},
      {"img.bmp", 32, false, nullptr, kTexturePixel32},
      {"img.bmp", 0, true, nullptr, kTexturePixel1555},  // keyed 8-bit goes to 555 first
      {"rgb.bmp", 0, false, nullptr, kTexturePixel24},
      {"rgb.bmp", 0, true, nullptr, kTexturePixel32Alpha},
      {"rgb.bmp", 16, true, nullptr, kTexturePixel1555},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Load(c.file, d3d, c.depth, c.keyed, c.opacity), 0) << c.file << " " << c.depth;
    EXPECT_EQ(handle_, 0);
    EXPECT_EQ(gTextureTable[0].pixelClass, c.pixelClass) << c.file << " " << c.depth;
    EXPECT_EQ(wre_TextureRelease(0), 0);
  }
  // A depth the loader does not know fails before a slot is taken.
  EXPECT_EQ(Load("img.bmp", d3d, 8), kTextureFileErrDepth);
  EXPECT_EQ(handle_, -7);
  // An opacity image needs a target with room for alpha: an 8-bit image kept at its depth has none.
  EXPECT_EQ(Load("img.bmp", d3d, 0, false, "img_opacity.bmp"), kOffscreenErrOpacityTarget);
  EXPECT_FALSE(wre_TextureInUse(0));
  wre_TextureReleaseAll();
  wre_CameraDispose(camera, 1);
}

TEST_F(TextureFiles, KeyWithoutColourIsMagenta) {
  ASSERT_EQ(Load("img.bmp", &software_, 0, true), 0);
  const uint8_t* texels = gTextureTable[handle_].pixels;
  EXPECT_EQ(Word(texels) & 0x8000, 0);         // magenta
  EXPECT_EQ(Word(texels + 2) & 0x8000, 0x8000);  // red
  EXPECT_EQ(Word(texels + 4) & 0x8000, 0x8000);

  ColourRecord red{};
  wre_ColourSet(&red, 255, 0, 0, 255);
  ASSERT_EQ(Load("img.bmp", &software_, 0, true, nullptr, 0, &red), 0);
  texels = gTextureTable[handle_].pixels;
  EXPECT_EQ(Word(texels) & 0x8000, 0x8000);
  EXPECT_EQ(Word(texels + 2) & 0x8000, 0);

  // A 24-bit image is keyed at 32 bits; under the software renderer only the key texel is clear.
  ASSERT_EQ(Load("rgb.bmp", &software_, 0, true), 0);
  const Texture& t = gTextureTable[handle_];
  EXPECT_EQ(t.flags & (kTextureHasAlpha | kTextureTranslucent), kTextureHasAlpha | kTextureTranslucent);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      uint16_t w = Word(t.pixels + y * t.offscreen->rowBytes + x * 2);
      EXPECT_EQ(w & 0x8000, (x == 1 && y == 1) ? 0 : 0x8000) << x << "," << y;
    }
  }
}

TEST_F(TextureFiles, OpacityImageBrightnessBecomesAlpha) {
  plat_GlSetFunctions(&recorder_);
  ASSERT_EQ(Load("rgb.bmp", &opengl_, 24, false, "img_opacity.bmp"), 0);
  ASSERT_EQ(gGl.images.size(), 1u);
  const std::vector<uint8_t>& rgba = gGl.images[0];
  for (int x = 0; x < 4; ++x) {
    int expected = (10 * x + 20 * x + 31 * x) / 3;  // 0, 20, 40, 61
    EXPECT_EQ(rgba[static_cast<size_t>(x * 4 + 3)], expected) << x;
    // The clear column takes its neighbours' mean colour: columns 1 and, wrapping, 3 of rows 3, 0
    // and 1, the magenta (1, 1) among them.
    EXPECT_EQ(rgba[static_cast<size_t>(x * 4)], x == 0 ? (2 * 16 + 255 + 3 * 48 + 3) / 6 : x * 16);
  }
  // An opacity image of another size is refused and the slot stays free.
  EXPECT_EQ(Load("rgb.bmp", &opengl_, 24, false, "small_opacity.bmp"), kOffscreenErrOpacitySize);
  EXPECT_FALSE(wre_TextureInUse(1));
  EXPECT_EQ(wre_TextureFindByFile("rgb.bmp"), 0);
}

TEST_F(TextureFiles, MipLevelsAreNamedAfterTheFullNameAndStopAtAGap) {
  char name[64];
  wre_TextureMipName("ground.bmp", 1, name, sizeof(name));
  EXPECT_STREQ(name, "ground.bmp_01");
  wre_TextureMipName("ground.bmp", 9, name, sizeof(name));
  EXPECT_STREQ(name, "ground.bmp_09");
  wre_TextureMipName("ground.bmp", 16, name, sizeof(name));
  EXPECT_STREQ(name, "ground.bmp_16");

  UseKind(kRendererDirect3D);
  Camera* camera = GameCamera();
  ASSERT_NE(camera, nullptr);
  DrawingContext* d3d = camera->context;
  WriteIndexed("ground.bmp", 4, 4);
  WriteIndexed("ground.bmp_01", 2, 2);
  WriteIndexed("ground.bmp_02", 1, 1);
  WriteIndexed("ground.bmp_04", 1, 1);  // after the gap: not read
  auto levels = [](const Texture& t) {
    int n = 0;
    for (PlatD3DTexture* s = plat_D3DTextureGetAttached(t.surface, 0x401000); s;
         s = plat_D3DTextureGetAttached(s, 0x401000)) {
      ++n;
    }
    return n;
  };
  ASSERT_EQ(Load("ground.bmp", d3d, 0, false, nullptr, 1), 0);
  EXPECT_EQ(gTextureTable[handle_].surfaceDesc.mipCount, 3);
  EXPECT_EQ(levels(gTextureTable[handle_]), 2);
  // Without the flag, or with no level present, there are no levels.
  ASSERT_EQ(Load("ground.bmp", d3d, 0), 0);
  EXPECT_EQ(levels(gTextureTable[handle_]), 0);
  ASSERT_EQ(Load("img.bmp", d3d, 0, false, nullptr, 1), 0);
  EXPECT_EQ(levels(gTextureTable[handle_]), 0);

  // A level that is not half the one above fails the load.
  WriteIndexed("ground.bmp_02", 2, 2);
  EXPECT_EQ(Load("ground.bmp", d3d, 0, false, nullptr, 1), kTextureErrSize);
  EXPECT_FALSE(wre_TextureInUse(handle_));

  // Opacity levels are required for every level present.
  std::vector<uint8_t> grey(4 * 4 * 3, 200);
  Write("ground_opacity.bmp", BmpWriteRgb(4, 4, grey.data()));
  Write("ground_opacity.bmp_01", BmpWriteRgb(2, 2, grey.data()));
  WriteIndexed("ground.bmp_02", 1, 1);
  EXPECT_EQ(Load("ground.bmp", d3d, 16, false, "ground_opacity.bmp", 1), kFileErrOpenRead);
  Write("ground_opacity.bmp_02", BmpWriteRgb(1, 1, grey.data()));
  ASSERT_EQ(Load("ground.bmp", d3d, 16, false, "ground_opacity.bmp", 1), 0);
  EXPECT_EQ(levels(gTextureTable[handle_]), 2);
  EXPECT_EQ(gTextureTable[handle_].pixelClass, kTexturePixel4444);
  wre_TextureReleaseAll();
  wre_CameraDispose(camera, 1);
}

TEST_F(TextureFiles, FailuresAndUnloadByFileName) {
  EXPECT_EQ(Load("img.bmp", nullptr, 0), -1);
  EXPECT_EQ(wre_TextureLoadFile("img.bmp", 0, nullptr, 0, 0, &software_, nullptr, 0, 0, 0, 0, 0, 0, nullptr, 0),
            kWreErrNull);
  EXPECT_EQ(Load("missing.bmp", &software_, 0), kFileErrOpenRead);
  EXPECT_EQ(Load("img.bmp", &software_, 0, false, "missing_opacity.bmp"), kFileErrOpenRead);
  Write("junk.bmp", {'B', 'M', 1, 2, 3});
  EXPECT_EQ(Load("junk.bmp", &software_, 0), -1);
  EXPECT_EQ(Load("img.bmp", &software_, 0, false, "junk.bmp"), -1);
  EXPECT_FALSE(wre_TextureInUse(0));

  // The shorter entry points.
  int32_t handle = -1;
  ASSERT_EQ(wre_TextureLoad("IMG.BMP", &software_, &handle), 0);
  EXPECT_EQ(handle, 0);
  EXPECT_STREQ(gTextureTable[0].file, "IMG.BMP");
  ASSERT_EQ(wre_TextureLoadKeyed("img.bmp", 1, nullptr, 0, 0, &software_, &handle), 0);
  EXPECT_EQ(gTextureTable[1].pixelClass, kTexturePixel1555);
  ASSERT_EQ(wre_TextureLoadWithOpacity("rgb.bmp", &software_, &handle, 16, "img_opacity.bmp"), 0);
  EXPECT_EQ(handle, 2);
  ASSERT_EQ(wre_TextureLoadEffect("img.bmp", 0, nullptr, 0, 0, &software_, &handle, kTextureCreateRipple,
                                  kRippleKind, kRippleKind, 0, 0),
            0);
  EXPECT_NE(gTextureTable[3].ripple, nullptr);

  EXPECT_EQ(wre_TextureUnloadByFile("Img.Bmp"), 0);  // the lowest of the two img.bmp textures
  EXPECT_FALSE(wre_TextureInUse(0));
  EXPECT_TRUE(wre_TextureInUse(1));
  EXPECT_EQ(wre_TextureUnloadByFile("img.bmp"), 0);
  EXPECT_EQ(wre_TextureUnloadByFile("IMG.bmp"), 0);
  EXPECT_EQ(gAnimatedTextures, nullptr);
  EXPECT_EQ(wre_TextureUnloadByFile("img.bmp"), -1);
  EXPECT_EQ(wre_TextureUnloadByFile("sky.bmp"), -1);
}

}  // namespace
