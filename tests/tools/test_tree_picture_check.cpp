// The sky picture check, on bitmaps written to a folder of their own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tools/datagen/bmp_writer.h"
#include "tools/datagen/tree_picture_check.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Picture(int32_t side) {
  const std::vector<uint8_t> indices(static_cast<size_t>(side * side), 0);
  const BmpPaletteEntry grey{128, 128, 128, 255};
  const std::vector<uint8_t> file = BmpWriteIndexed(side, side, indices.data(), &grey, 1);
  return std::string(file.begin(), file.end());
}

// Only the sky's own model is held to 256 x 256; another model may name a smaller picture.
TEST(PictureCheck, SkyPicturesAreTheFull256) {
  TempDir dir;
  dir.Write("data/skybox/small/full.bmp", Picture(256));
  dir.Write("data/skybox/small/half.bmp", Picture(128));
  TreeOutput tree;
  tree.root = dir.str();
  tree.models.push_back({"skybox/small", "SkyDayN.c4d", {"full.bmp"}, 1});
  tree.models.push_back({"skybox/small", "logo01.c4d", {"half.bmp"}, 1});
  EXPECT_THAT(CheckSkyPictures(tree), IsEmpty());
  tree.models[0].textures.push_back("half.bmp");
  EXPECT_THAT(CheckSkyPictures(tree), ElementsAre("skybox/small/half.bmp: a sky picture of 128 x 128, not 256 x 256"));
}

}  // namespace
