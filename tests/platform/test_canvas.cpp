#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/plat_canvas.h"
#include "support/temp_dir.h"

namespace {

// A 5 x 3 picture, stored bottom-up with 8-byte rows, and a table of 4 colours.
struct SmallPicture {
  std::vector<uint8_t> bits;
  std::vector<uint8_t> table;
  PlatBitmap8 bitmap;

  explicit SmallPicture(bool topDown) {
    const uint8_t rows[3][5] = {{0, 1, 2, 3, 0}, {1, 1, 2, 2, 3}, {3, 2, 1, 0, 9}};  // top first
    bits.assign(8 * 3, 0xEE);  // padding bytes must never be drawn
    for (int r = 0; r < 3; ++r) {
      int stored = topDown ? r : 2 - r;
      for (int c = 0; c < 5; ++c) bits[stored * 8 + c] = rows[r][c];
    }
    // Blue, green, red, reserved.
    table = {0x10, 0x20, 0x30, 0, 0x00, 0x00, 0xFF, 0, 0x00, 0xFF, 0x00, 0, 0xFF, 0x00, 0x00, 0};
    bitmap.width = 5;
    bitmap.height = topDown ? -3 : 3;
    bitmap.stride = plat_Bitmap8Stride(5);
    bitmap.bits = bits.data();
    bitmap.bitsSize = bits.size();
    bitmap.colourTable = table.data();
    bitmap.colourCount = 4;
  }
  uint32_t Expected(int row, int col) const {
    const uint8_t rows[3][5] = {{0, 1, 2, 3, 0}, {1, 1, 2, 2, 3}, {3, 2, 1, 0, 9}};
    uint8_t index = rows[row][col];
    if (index >= 4) return 0;  // past the table: black
    return plat_Rgb(table[4 * index + 2], table[4 * index + 1], table[4 * index]);
  }
};

TEST(PlatCanvas, EightBitPictureIsDrawnOneToOneThroughItsColourTable) {
  for (bool topDown : {false, true}) {
    SmallPicture pic(topDown);
    PlatCanvas canvas;
    const uint32_t background = plat_Rgb(1, 2, 3);
    plat_CanvasResize(&canvas, 10, 6, background);
    ASSERT_TRUE(plat_CanvasDrawBitmap8(&canvas, &pic.bitmap, 2, 1));
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 10; ++x) {
        bool inside = x >= 2 && x < 7 && y >= 1 && y < 4;
        uint32_t want = inside ? pic.Expected(y - 1, x - 2) : background;
        EXPECT_EQ(plat_CanvasPixel(&canvas, x, y), want) << "top-down " << topDown << " at " << x << "," << y;
      }
  }
}

TEST(PlatCanvas, PictureIsClippedToTheCanvas) {
  SmallPicture pic(false);
  PlatCanvas canvas;
  plat_CanvasResize(&canvas, 3, 2, 0x123456);
  ASSERT_TRUE(plat_CanvasDrawBitmap8(&canvas, &pic.bitmap, -2, -1));
  // Canvas 0,0 shows picture row 1, column 2.
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(plat_CanvasPixel(&canvas, x, y), pic.Expected(y + 1, x + 2));
  // Entirely outside: nothing changes, still a valid picture.
  PlatCanvas other;
  plat_CanvasResize(&other, 3, 2, 7);
  EXPECT_TRUE(plat_CanvasDrawBitmap8(&other, &pic.bitmap, 50, 50));
  for (uint32_t p : other.pixels) EXPECT_EQ(p, 7u);
}

TEST(PlatCanvas, InconsistentPictureRecordDrawsNothing) {
  SmallPicture pic(false);
  PlatCanvas canvas;
  plat_CanvasResize(&canvas, 8, 8, 5);
  PlatBitmap8 shortBits = pic.bitmap;
  shortBits.bitsSize = 8 * 3 - 1;  // one byte short of the last row's padding
  EXPECT_FALSE(plat_CanvasDrawBitmap8(&canvas, &shortBits, 0, 0));
  PlatBitmap8 narrowStride = pic.bitmap;
  narrowStride.stride = 4;
  EXPECT_FALSE(plat_CanvasDrawBitmap8(&canvas, &narrowStride, 0, 0));
  PlatBitmap8 noTable = pic.bitmap;
  noTable.colourTable = nullptr;
  EXPECT_FALSE(plat_CanvasDrawBitmap8(&canvas, &noTable, 0, 0));
  PlatBitmap8 zeroHeight = pic.bitmap;
  zeroHeight.height = 0;
  EXPECT_FALSE(plat_CanvasDrawBitmap8(&canvas, &zeroHeight, 0, 0));
  for (uint32_t p : canvas.pixels) EXPECT_EQ(p, 5u);
}

TEST(PlatCanvas, RectanglesClipAndEdgesStayInside) {
  PlatCanvas canvas;
  plat_CanvasResize(&canvas, 6, 5, 0);
  plat_CanvasFillRect(&canvas, PlatRect{-3, -3, 5, 5}, 9);  // covers 0..1 x 0..1
  EXPECT_EQ(plat_CanvasPixel(&canvas, 1, 1), 9u);
  EXPECT_EQ(plat_CanvasPixel(&canvas, 2, 1), 0u);
  plat_CanvasEdge(&canvas, PlatRect{1, 1, 4, 3}, 1, 2);
  EXPECT_EQ(plat_CanvasPixel(&canvas, 1, 1), 1u);   // top-left corner
  EXPECT_EQ(plat_CanvasPixel(&canvas, 4, 3), 2u);   // bottom-right corner
  EXPECT_EQ(plat_CanvasPixel(&canvas, 2, 2), 0u);   // inside untouched
  EXPECT_EQ(plat_CanvasPixel(&canvas, 5, 4), 0u);   // outside untouched
  EXPECT_TRUE(plat_RectEmpty(plat_RectIntersect(PlatRect{0, 0, 2, 2}, PlatRect{2, 0, 2, 2})));
  PlatRect far = plat_RectIntersect(PlatRect{2147483000, 0, 2000, 1}, PlatRect{0, 0, 2147483647, 1});
  EXPECT_EQ(far.x, 2147483000);
  EXPECT_EQ(far.w, 647);
}

TEST(PlatCanvas, SavesBinaryPpm) {
  PlatCanvas canvas;
  plat_CanvasResize(&canvas, 2, 1, plat_Rgb(10, 20, 30));
  plat_CanvasSetPixel(&canvas, 1, 0, plat_Rgb(200, 100, 50));
  TempDir dir;
  const std::string path = (dir.path() / "plat_canvas.ppm").string();
  ASSERT_TRUE(plat_CanvasSavePpm(&canvas, path.c_str()));
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char data[64];
  size_t n = std::fread(data, 1, sizeof data, f);
  std::fclose(f);
  std::string header = "P6\n2 1\n255\n";
  ASSERT_EQ(n, header.size() + 6);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), header.size()), header);
  const unsigned char px[6] = {10, 20, 30, 200, 100, 50};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(data[header.size() + i], px[i]);
}

}  // namespace
