// The picture checks, on bitmaps written to a folder of their own, and a broken picture failing
// the check of a whole written tree.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tools/datagen/bmp_writer.h"
#include "tools/datagen/game_tree.h"
#include "tools/datagen/tree_picture_check.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Picture(int32_t width, int32_t height) {
  const std::vector<uint8_t> indices(static_cast<size_t>(width * height), 0);
  const BmpPaletteEntry grey{128, 128, 128, 255};
  const std::vector<uint8_t> file = BmpWriteIndexed(width, height, indices.data(), &grey, 1);
  return std::string(file.begin(), file.end());
}
std::string Picture(int32_t side) { return Picture(side, side); }

TEST(PictureCheck, ATextureIsABitmapOfPowerOfTwoSidesUpTo256) {
  struct Case {
    const char* file;
    std::string bytes;
    bool good;
  };
  const Case cases[] = {
      {"tall.bmp", Picture(1, 256), true},
      {"wide.bmp", Picture(256, 2), true},
      {"text.bmp", "not a picture", false},
      {"unmarked.bmp", "XX" + Picture(64).substr(2), false},  // a bitmap's sizes, not its mark
      {"odd_width.bmp", Picture(100, 64), false},
      {"odd_height.bmp", Picture(64, 96), false},
      {"too_wide.bmp", Picture(512, 256), false},
      {"too_tall.bmp", Picture(128, 512), false},
  };
  TempDir dir;
  TreeOutput tree;
  tree.root = dir.str();
  for (const Case& c : cases) {
    dir.Write(std::string("data/textures/") + c.file, c.bytes);
    const std::string relative = std::string("textures/") + c.file;
    if (c.good)
      EXPECT_THAT(CheckPicture(tree, relative), IsEmpty()) << c.file;
    else
      EXPECT_THAT(CheckPicture(tree, relative), ElementsAre(relative + ": not a bitmap of power-of-two sides up to 256"));
  }
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

// The whole tree as the generator writes it, with one listed texture overwritten: the tree check
// fails on that picture alone, and says so, which makes the generator exit with failure.
TEST(PictureCheck, OneBrokenPictureFailsTheWholeTreeCheck) {
  TempDir dir;
  const TreeOutput tree = DatagenWriteTreeFiles(dir.str());
  ASSERT_TRUE(tree.ok);
  const auto menus = std::find_if(tree.lists.begin(), tree.lists.end(),
                                  [](const TreeTextureList& l) { return l.folder == "menu/m_startup"; });
  ASSERT_TRUE(menus != tree.lists.end() && !menus->files.empty());
  const std::string broken = menus->folder + "/" + menus->files.front();
  dir.Write("data/" + broken, Picture(100, 64));
  testing::internal::CaptureStderr();
  const bool passed = TreeCheck(tree);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "datagen check: " + broken + ": not a bitmap of power-of-two sides up to 256\n");
  EXPECT_FALSE(passed);
}

}  // namespace
