// Font atlases and their definition files: the letters 32-126 in 16 x 16 cells of a 256 x 256
// keyed sheet, each the 5 x 7 letter doubled with a one-pixel outline (12 x 16 units).
#pragma once
#include <cstdint>
#include <string>

#include "tools/datagen/raster.h"

struct FontStyle {
  uint32_t top;      // fill colour at the letter's top
  uint32_t bottom;   // and at its bottom
  uint32_t outline;
};

Canvas FontAtlasCanvas(const FontStyle& style);
// The "kVKT_FontCharacterDef" lines of every letter, naming atlasFile.
std::string FontDefinitionText(const std::string& atlasFile);
