#include "tools/datagen/font_atlas.h"

#include "tools/datagen/codex_writer.h"

namespace {

constexpr int32_t kCell = 16;
constexpr int32_t kGlyphWidth = 12;
constexpr int32_t kGlyphHeight = 16;

bool Lit(unsigned char letter, int32_t x, int32_t y) {
  // x, y in the doubled letter (10 x 14).
  if (x < 0 || y < 0 || x >= 10 || y >= 14) return false;
  return (CanvasGlyphRow(letter, y / 2) & (0x10 >> (x / 2))) != 0;
}

}  // namespace

Canvas FontAtlasCanvas(const FontStyle& style) {
  Canvas c = CanvasNew(256, 256, kKeyColour);
  for (int32_t letter = 33; letter < 127; ++letter) {
    const int32_t cellX = (letter - 32) % 16 * kCell, cellY = (letter - 32) / 16 * kCell;
    const auto ch = static_cast<unsigned char>(letter);
    for (int32_t y = 0; y < kGlyphHeight; ++y)
      for (int32_t x = 0; x < kGlyphWidth; ++x) {
        const int32_t gx = x - 1, gy = y - 1;
        if (Lit(ch, gx, gy)) {
          CanvasPut(c, cellX + x, cellY + y, CanvasMix(style.top, style.bottom, static_cast<float>(gy) / 13.0f));
        } else if (Lit(ch, gx - 1, gy) || Lit(ch, gx + 1, gy) || Lit(ch, gx, gy - 1) || Lit(ch, gx, gy + 1)) {
          CanvasPut(c, cellX + x, cellY + y, style.outline);
        }
      }
  }
  return c;
}

std::string FontDefinitionText(const std::string& atlasFile) {
  CodexWriter w;
  CodexWriteComment(w, "letters 32-126, 16 to a row of the atlas");
  for (int32_t letter = 32; letter < 127; ++letter) {
    const int32_t left = (letter - 32) % 16 * kCell, top = (letter - 32) / 16 * kCell;
    CodexWriteLine(w, "kVKT_FontCharacterDef",
                   {std::string(1, static_cast<char>(letter)), atlasFile, CodexInt(left), CodexInt(top),
                    CodexInt(left + kGlyphWidth), CodexInt(top + kGlyphHeight)});
  }
  return CodexFinish(w);
}
