// Font atlases and their definition files: the letters 32-126 in 16-wide cells, rows 20 apart, of a
// 256 x 256 keyed sheet, each the 5 x 7 letter with its rows doubled, its columns spread over the letter
// width (10 doubles them), and a one-pixel outline: (letter width + 2) x 16 units.
#pragma once
#include <cstdint>
#include <string>

#include "tools/datagen/raster.h"

struct FontStyle {
  uint32_t top;      // fill colour at the letter's top
  uint32_t bottom;   // and at its bottom
  uint32_t outline;
};

constexpr int32_t kFontLetterWidth = 10;
// The menus' narrower letters, so that their pages' columns hold their texts.
constexpr int32_t kFontLetterWidthNarrow = 8;

Canvas FontAtlasCanvas(const FontStyle& style, int32_t letterWidth = kFontLetterWidth);
// The "kVKT_FontCharacterDef" lines of every letter, naming atlasFile.
std::string FontDefinitionText(const std::string& atlasFile, int32_t letterWidth = kFontLetterWidth);
