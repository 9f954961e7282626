// 555 -> 565 conversion of the software frame, in place.
#include <gtest/gtest.h>

#include <vector>

#include "engine/render/frame_convert.h"

namespace {

uint16_t To565(uint16_t p) {
  const uint32_t r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
  return static_cast<uint16_t>((r << 11) | (((g << 1) | (g & 1)) << 5) | b);
}

TEST(FrameConvert, Examples) {
  struct Row {
    uint16_t from, to;
  };
  const Row rows[] = {{0x7FFF, 0xFFFF}, {0x0000, 0x0000}, {0x7C00, 0xF800}, {0x03E0, 0x07E0},
                      {0x001F, 0x001F}, {0x0020, 0x0060}, {0x03C0, 0x0780}, {0x8000, 0x0000}};
  for (const Row& row : rows) {
    uint16_t pair[2] = {row.from, row.from};
    wre_SoftFrameConvert565(pair, 2, 1, 4);
    EXPECT_EQ(pair[0], row.to) << std::hex << row.from;
    EXPECT_EQ(pair[1], row.to) << std::hex << row.from;
  }
}

TEST(FrameConvert, EveryPixelValueInBothHalves) {
  std::vector<uint16_t> pixels(65536);
  for (uint32_t i = 0; i < 65536; ++i) pixels[i] = static_cast<uint16_t>(i * 40503u);  // every value, shuffled
  std::vector<uint16_t> expected(pixels.size());
  for (size_t i = 0; i < pixels.size(); ++i) expected[i] = To565(pixels[i]);
  wre_SoftFrameConvert565(pixels.data(), 65536, 1, 131072);
  EXPECT_EQ(pixels, expected);
}

TEST(FrameConvert, RowsByPitchOddWidthsAndGaps) {
  for (int width : {2, 3, 15, 16, 17, 33, 641}) {
    const int rowPixels = width + 5, height = 4;
    std::vector<uint16_t> frame(static_cast<size_t>(rowPixels) * height);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint16_t>(i * 2654435761u >> 7);
    const std::vector<uint16_t> before = frame;
    wre_SoftFrameConvert565(frame.data(), width, height, rowPixels * 2);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < rowPixels; ++x) {
        const size_t i = static_cast<size_t>(y) * rowPixels + x;
        const bool converted = x < (width & ~1);  // an odd last pixel stays 555, the gap is untouched
        ASSERT_EQ(frame[i], converted ? To565(before[i]) : before[i]) << width << ": " << x << "," << y;
      }
    }
  }
}

TEST(FrameConvert, NothingBelowTwoPixelsOrOneRow) {
  std::vector<uint16_t> frame(64, 0x7FFF);
  wre_SoftFrameConvert565(frame.data(), 1, 8, 16);
  wre_SoftFrameConvert565(frame.data(), 0, 8, 16);
  wre_SoftFrameConvert565(frame.data(), 8, 0, 16);
  wre_SoftFrameConvert565(frame.data(), -4, -1, 16);
  for (uint16_t p : frame) EXPECT_EQ(p, 0x7FFF);
}

TEST(FrameConvert, BottomUpRowsWithANegativePitch) {
  std::vector<uint16_t> frame(3 * 4, 0x03E0);
  wre_SoftFrameConvert565(frame.data() + 8, 2, 2, -8);  // rows 2 and 1
  EXPECT_EQ(frame[0], 0x03E0);
  EXPECT_EQ(frame[4], 0x07E0);
  EXPECT_EQ(frame[8], 0x07E0);
  EXPECT_EQ(frame[10], 0x03E0);
}

}  // namespace
