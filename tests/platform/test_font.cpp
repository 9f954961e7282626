#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/plat_font.h"

namespace {

// Every byte is 10 pixels wide.
int FixedMeasure(const char*, size_t length, void*) { return static_cast<int>(length) * 10; }

std::vector<std::string> Wrap(const std::string& text, int width) {
  std::vector<PlatTextLine> lines;
  plat_WrapText(text.data(), text.size(), width, FixedMeasure, nullptr, &lines);
  std::vector<std::string> out;
  for (const PlatTextLine& line : lines) out.push_back(text.substr(line.start, line.length));
  return out;
}

using Lines = std::vector<std::string>;

TEST(PlatTextWrap, BreaksGreedilyBetweenWordsAndDropsTheBlanksAtBreaks) {
  EXPECT_EQ(Wrap("aaa bbb ccc", 70), (Lines{"aaa bbb", "ccc"}));
  EXPECT_EQ(Wrap("aaa bbb ccc", 110), (Lines{"aaa bbb ccc"}));
  EXPECT_EQ(Wrap("aaa   bbb", 50), (Lines{"aaa", "bbb"}));
  EXPECT_EQ(Wrap("a b c d", 30), (Lines{"a b", "c d"}));
}

TEST(PlatTextWrap, OverlongWordStandsAloneUnsplit) {
  EXPECT_EQ(Wrap("ab abcdefghij cd", 50), (Lines{"ab", "abcdefghij", "cd"}));
  EXPECT_EQ(Wrap("abcdefghij", 10), (Lines{"abcdefghij"}));
  EXPECT_EQ(Wrap("abc def", 0), (Lines{"abc", "def"}));
}

TEST(PlatTextWrap, LineEndsOfEveryStyleBreakLines) {
  EXPECT_EQ(Wrap("one\r\ntwo\nthree\rfour", 1000), (Lines{"one", "two", "three", "four"}));
  EXPECT_EQ(Wrap("one\r\n\r\ntwo", 1000), (Lines{"one", "", "two"}));
  // Blanks after a hard break are the text's own and stay.
  EXPECT_EQ(Wrap("a\n  b", 1000), (Lines{"a", "  b"}));
  EXPECT_EQ(Wrap("", 100), Lines{});
}

TEST(PlatTextDisplay, KeepsUtf8AndDecodesOtherBytesAsWindows1252) {
  EXPECT_EQ(plat_TextForDisplay("caf\xC3\xA9", 5), "caf\xC3\xA9");
  EXPECT_EQ(plat_TextForDisplay("(\xA9) 2026", 8), "(\xC2\xA9) 2026");
  EXPECT_EQ(plat_TextForDisplay("\x80", 1), "\xE2\x82\xAC");
  EXPECT_EQ(plat_TextForDisplay("\x81", 1), "\xEF\xBF\xBD");
  // A lead byte whose sequence is cut off is a Windows-1252 character, not a swallowed tail.
  EXPECT_EQ(plat_TextForDisplay("\xC3(", 2), "\xC3\x83(");
  // Surrogates and overlong forms are not valid UTF-8.
  EXPECT_EQ(plat_TextForDisplay("\xED\xA0\x80", 3), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
  EXPECT_EQ(plat_TextForDisplay("a\tb\x01\r\n", 6), "a b \r\n");
}

TEST(PlatFont, StandInFaceOpensAndMeasures) {
  PlatFont* font = plat_FontCreate("MS Sans Serif", -11, 400);
  ASSERT_NE(font, nullptr);
  EXPECT_NE(plat_FontFile(font).find("DejaVu"), std::string::npos) << plat_FontFile(font);
  EXPECT_GE(plat_FontHeight(font), 11);
  EXPECT_LE(plat_FontHeight(font), 16);
  int wide = plat_FontTextWidth(font, "WWWW", 4);
  int narrow = plat_FontTextWidth(font, "iiii", 4);
  EXPECT_GT(wide, narrow);
  EXPECT_GT(narrow, 0);
  plat_FontDestroy(font);
  // A cell height is an upper bound on the line step; absurd heights are held to the range.
  PlatFont* cell = plat_FontCreate("DejaVu Sans", 20, 400);
  ASSERT_NE(cell, nullptr);
  EXPECT_LE(plat_FontHeight(cell), 20);
  EXPECT_GE(plat_FontHeight(cell), 17);
  plat_FontDestroy(cell);
  PlatFont* huge = plat_FontCreate("DejaVu Sans", -2147483647 - 1, 400);
  ASSERT_NE(huge, nullptr);
  EXPECT_LE(plat_FontHeight(huge), 260);
  plat_FontDestroy(huge);
}

TEST(PlatFont, WrappedTextStaysInsideItsRectangle) {
  PlatFont* font = plat_FontCreate("DejaVu Sans", 16, 400);
  ASSERT_NE(font, nullptr);
  PlatCanvas canvas;
  const uint32_t background = plat_Rgb(0, 0, 64);
  plat_CanvasResize(&canvas, 200, 100, background);
  const PlatRect rect{20, 10, 90, 40};
  const char* text = "Welcome aboard, install a product with its button on the right side";
  int height = plat_DrawTextWrapped(&canvas, font, text, strlen(text), rect, plat_Rgb(255, 255, 0));
  EXPECT_GT(height, rect.h);  // more lines than fit: the rest is clipped
  int inkedRows[100] = {};
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      uint32_t p = plat_CanvasPixel(&canvas, x, y);
      if (p == background) continue;
      EXPECT_TRUE(plat_RectContains(rect, x, y)) << "ink outside at " << x << "," << y;
      ++inkedRows[y];
      // Text colour blended over the background: red and green rise together, blue falls.
      EXPECT_EQ(plat_RgbRed(p), plat_RgbGreen(p));
    }
  // Ink on both the first and the second line.
  const int step = plat_FontHeight(font);
  int first = 0, second = 0;
  for (int y = rect.y; y < rect.y + step; ++y) first += inkedRows[y];
  for (int y = rect.y + step; y < rect.y + 2 * step && y < rect.y + rect.h; ++y) second += inkedRows[y];
  EXPECT_GT(first, 0);
  EXPECT_GT(second, 0);
  plat_FontDestroy(font);
}

TEST(PlatFont, NoFontDrawsNothing) {
  PlatCanvas canvas;
  plat_CanvasResize(&canvas, 10, 10, 3);
  EXPECT_EQ(plat_DrawTextWrapped(&canvas, nullptr, "x", 1, PlatRect{0, 0, 10, 10}, 0), 0);
  EXPECT_EQ(plat_FontTextWidth(nullptr, "x", 1), 0);
  for (uint32_t p : canvas.pixels) EXPECT_EQ(p, 3u);
}

}  // namespace
