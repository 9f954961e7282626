// The sample texture images (opacity companions and numbered mip levels), read back through the
// engine's decoder and its texture loader.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/data/bmp.h"
#include "engine/data/texture.h"
#include "engine/startup/hooks.h"
#include "engine/data/texture_file.h"
#include "engine/render/context.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/texture_images.h"

namespace {

Offscreen* Decode(const TempDir& dir, const std::string& name) {
  std::string bytes = TempDir::Read(dir.path() / name);
  return wre_OffscreenLoadBMPMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int32_t>(bytes.size()));
}

class TextureImages : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    wre_EngineInstallHooks();
    gColourToByte = 1.0f;
    ASSERT_EQ(wre_TextureTableInit(4), 0);
    ASSERT_EQ(wre_FolderSet(dir_.str().c_str()), 0);
  }
  void TearDown() override {
    wre_TextureTableFree();
    wre_FolderSet(nullptr);
  }
  TempDir dir_;
};

TEST_F(TextureImages, LevelsAndCompanionsDecodeToTheirPixels) {
  TextureImageSpec spec;
  spec.file = "water.bmp";
  spec.width = 16;
  spec.height = 8;
  spec.mipLevels = 4;
  spec.opacityFile = "water_opacity.bmp";
  ASSERT_TRUE(TextureImagesWrite(dir_.str(), spec));
  EXPECT_EQ(TextureMipFileName("water.bmp", 3), "water.bmp_03");
  EXPECT_EQ(TextureMipFileName("water.bmp", 12), "water.bmp_12");
  const std::vector<BmpPaletteEntry> palette = TextureImagePalette();
  for (int32_t level = 0; level <= 4; ++level) {
    std::string name = level == 0 ? spec.file : TextureMipFileName(spec.file, level);
    std::string opacityName = level == 0 ? spec.opacityFile : TextureMipFileName(spec.opacityFile, level);
    Offscreen* image = Decode(dir_, name);
    Offscreen* opacity = Decode(dir_, opacityName);
    ASSERT_NE(image, nullptr) << name;
    ASSERT_NE(opacity, nullptr) << opacityName;
    int32_t w = TextureMipSide(16, level);
    int32_t h = TextureMipSide(8, level);
    EXPECT_EQ(image->width, w);
    EXPECT_EQ(image->height, h);
    EXPECT_EQ(opacity->width, w);
    EXPECT_EQ(opacity->height, h);
    std::vector<uint8_t> indices = TextureImageIndices(spec, level);
    std::vector<uint8_t> ramp = TextureOpacityIndices(spec, level);
    for (int32_t y = 0; y < h; ++y) {
      EXPECT_EQ(std::memcmp(image->pixels + y * image->rowBytes, &indices[static_cast<size_t>(y * w)],
                            static_cast<size_t>(w)),
                0);
      EXPECT_EQ(std::memcmp(opacity->pixels + y * opacity->rowBytes, &ramp[static_cast<size_t>(y * w)],
                            static_cast<size_t>(w)),
                0);
    }
    // Palette entries arrive as alpha, red, green, blue.
    EXPECT_EQ(image->paletteB[200][1], palette[200].red);
    EXPECT_EQ(image->paletteB[200][3], palette[200].blue);
    EXPECT_EQ(image->paletteB[200][0], 255);
    wre_OffscreenDispose(image);
    wre_OffscreenDispose(opacity);
  }
  // Level 5 of an 8-high image would be the sixth: not written.
  EXPECT_EQ(Decode(dir_, "water.bmp_05"), nullptr);
}

TEST_F(TextureImages, TheLoaderTakesEveryLevelWithItsOpacity) {
  TextureImageSpec spec;
  spec.file = "ripple.bmp";
  spec.width = 32;
  spec.height = 32;
  spec.mipLevels = 5;
  spec.opacityFile = "ripple_opacity.bmp";
  ASSERT_TRUE(TextureImagesWrite(dir_.str(), spec));
  DrawingContext opengl{};
  opengl.kind = kRenderer3dfx;  // keeps no renderer copy: the loader's own checks are what is tested
  int32_t handle = -1;
  ASSERT_EQ(wre_TextureLoadFile("ripple.bmp", 0, nullptr, 0, 0, &opengl, &handle, 0, 0, 0, 0, 0, 24,
                                "ripple_opacity.bmp", 1),
            0);
  EXPECT_EQ(gTextureTable[handle].width, 32);
  EXPECT_TRUE(gTextureTable[handle].flags & kTextureTranslucent);  // alpha from the opacity ramp
  EXPECT_EQ(wre_TextureUnloadByFile("RIPPLE.BMP"), 0);
}

}  // namespace
