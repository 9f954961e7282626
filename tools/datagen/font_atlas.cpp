#include "tools/datagen/font_atlas.h"

#include "tools/datagen/codex_writer.h"

namespace {

constexpr int32_t kCell = 16;
// The engine maps a glyph's rectangle onto the sheet in 255ths of its size, so it reaches a texel
// past the rectangle's bottom edge; blank rows between the letters' rows keep the next letter's
// outline from showing under a letter (and under the blank space).
constexpr int32_t kRowPitch = 20;
constexpr int32_t kGlyphHeight = 16;
constexpr int32_t kLetterHeight = 14;  // the 7 rows doubled

// Letters redrawn for the narrow menu letters on four columns of two texels each. There the five
// columns of the 5 x 7 set share the eight texels unevenly, and at the pages' smaller sizes, where
// the renderer samples only some texels of a letter, 0, 8 and B, ( and <, ) and > and H and N came
// out alike. Rows top first, bit 3 the leftmost column.
struct NarrowLetter {
  unsigned char letter;
  uint8_t rows[7];
};
constexpr NarrowLetter kNarrowLetters[] = {
    {'0', {0x6, 0x9, 0xB, 0x9, 0xD, 0x9, 0x6}}, {'8', {0x6, 0x9, 0x9, 0x6, 0x9, 0x9, 0x6}},
    {'B', {0xE, 0x9, 0x9, 0xE, 0x9, 0x9, 0xE}}, {'(', {0x2, 0x4, 0x8, 0x8, 0x8, 0x4, 0x2}},
    {'<', {0x1, 0x2, 0x4, 0x8, 0x4, 0x2, 0x1}}, {')', {0x4, 0x2, 0x1, 0x1, 0x1, 0x2, 0x4}},
    {'>', {0x8, 0x4, 0x2, 0x1, 0x2, 0x4, 0x8}}, {'H', {0x9, 0x9, 0x9, 0xF, 0x9, 0x9, 0x9}},
    {'N', {0x9, 0xD, 0xD, 0xB, 0xB, 0x9, 0x9}},
};

// x, y in the letter's box (width by 14): the 5 columns spread over the width, rounded so that the
// outer and middle ones, where the strokes stand, keep the wider share; the rows doubled. In a
// letter narrower than two texels a column, a stroke in a one-texel column (the second or fourth)
// also takes the inner texel of an empty outer column beside it, so that no upright stroke is a
// single texel wide: at the menus' smaller scales such a stroke drops out ('#' would read as '=').
bool Lit(unsigned char letter, int32_t x, int32_t y, int32_t width) {
  if (x < 0 || y < 0 || x >= width || y >= kLetterHeight) return false;
  if (width == kFontLetterWidthNarrow)
    for (const NarrowLetter& n : kNarrowLetters)
      if (n.letter == letter) return (n.rows[y / 2] & (0x8 >> (x / 2))) != 0;
  const uint8_t row = CanvasGlyphRow(letter, y / 2);
  auto column = [&](int32_t at) { return (at * 5 + 2) / width; };
  auto on = [&](int32_t c) { return (row & (0x10 >> c)) != 0; };
  const int32_t c = column(x);
  if (on(c)) return true;
  if (width >= 10) return false;
  if (c == 0 && column(x + 1) == 1) return on(1);
  if (c == 4 && column(x - 1) == 3) return on(3);
  return false;
}

}  // namespace

Canvas FontAtlasCanvas(const FontStyle& style, int32_t letterWidth) {
  const int32_t glyphWidth = letterWidth + 2;
  Canvas c = CanvasNew(256, 256, kKeyColour);
  for (int32_t letter = 33; letter < 127; ++letter) {
    const int32_t cellX = (letter - 32) % 16 * kCell, cellY = (letter - 32) / 16 * kRowPitch;
    const auto ch = static_cast<unsigned char>(letter);
    for (int32_t y = 0; y < kGlyphHeight; ++y)
      for (int32_t x = 0; x < glyphWidth; ++x) {
        const int32_t gx = x - 1, gy = y - 1, w = letterWidth;
        const float down = static_cast<float>(gy) / static_cast<float>(kLetterHeight - 1);
        if (Lit(ch, gx, gy, w)) {
          CanvasPut(c, cellX + x, cellY + y, CanvasMix(style.top, style.bottom, down));
        } else if (Lit(ch, gx - 1, gy, w) || Lit(ch, gx + 1, gy, w) || Lit(ch, gx, gy - 1, w) ||
                   Lit(ch, gx, gy + 1, w)) {
          CanvasPut(c, cellX + x, cellY + y, style.outline);
        }
      }
  }
  return c;
}

std::string FontDefinitionText(const std::string& atlasFile, int32_t letterWidth) {
  CodexWriter w;
  CodexWriteComment(w, "letters 32-126, 16 to a row of the atlas");
  for (int32_t letter = 32; letter < 127; ++letter) {
    const int32_t left = (letter - 32) % 16 * kCell, top = (letter - 32) / 16 * kRowPitch;
    CodexWriteLine(w, "kVKT_FontCharacterDef",
                   {std::string(1, static_cast<char>(letter)), atlasFile, CodexInt(left), CodexInt(top),
                    CodexInt(left + letterWidth + 2), CodexInt(top + kGlyphHeight)});
  }
  return CodexFinish(w);
}
