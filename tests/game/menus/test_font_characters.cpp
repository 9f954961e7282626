// Every character the front-end pages print has a glyph in its font's sheet that keeps a shape of
// its own at the smallest size the pages draw that font. The texts are recorded as the game draws
// them (through the string drawing's test hook), so the formats and names are the game's.
#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/core/files.h"
#include "engine/data/bmp.h"
#include "engine/data/offscreen.h"
#include "engine/data/texture.h"
#include "engine/render/font_draw.h"
#include "engine/render/test/font_draw.h"
#include "game/state/circuit_record.h"
#include "game/state/prefs.h"
#include "game/state/scores_record.h"
#include "menu_page_fixture.h"

namespace {

struct Use {
  std::set<unsigned char> characters;
  float scale = 1e9f;  // the smallest, of width and height
};
std::map<const Font*, Use> gUses;

void Record(const Font* font, const char* text) {
  Use& use = gUses[font];
  for (const char* c = text; *c; ++c)  // line ends left by the line reader print nothing
    if (static_cast<unsigned char>(*c) >= ' ') use.characters.insert(static_cast<unsigned char>(*c));
  use.scale = std::min({use.scale, font->scaleX, font->scaleY});
}

using FontCharacters = MenuPageFixture;

// The glyph's fill (its light letter, not the dark outline or the key) as the renderer samples it
// at the scale: one flag per screen pixel, row by row.
std::vector<bool> Shape(const Offscreen& sheet, const FontGlyph& g, float scale) {
  const int w = static_cast<int>(g.width * scale), h = static_cast<int>(g.height * scale);
  std::vector<bool> shape;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int u = static_cast<int>(g.left + (x + 0.5f) * g.width / w) * sheet.width / 256;
      const int v = static_cast<int>(g.top + (y + 0.5f) * g.height / h) * sheet.height / 256;
      const uint8_t* p = sheet.paletteA[sheet.pixels[static_cast<size_t>(v) * sheet.rowBytes + u]];
      const bool key = p[0] == 255 && p[1] == 0 && p[2] == 255;
      shape.push_back(!key && p[0] * 3 + p[1] * 6 + p[2] > 700);
    }
  return shape;
}

Offscreen* SheetOf(const FontGlyph& g) {
  std::ifstream in(std::string("data/menu/m_startup/") + wre_TextureGet(g.texture)->file, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return wre_OffscreenLoadBMPMemory(bytes.data(), static_cast<int32_t>(bytes.size()));
}

TEST_F(FontCharacters, EveryPrintedCharacterHasAGlyphThatKeepsItsShapeAtThePagesSizes) {
  LoadGlobe();
  PrefsDefaults();
  wre_TestWatchFontStrings(Record);
  ScoresRecord scores{};
  CircuitRecord circuit{};
  gScores = &scores;
  gCircuit = &circuit;
  // Every page in each of its states, every level, mode, place and key name the game has.
  for (int32_t level = 0; level < 10; ++level)
    for (int32_t mode = 0; mode < 4; ++mode) {
      state.selectedLevel = level;
      gGameMode = mode;
      Render(100, nullptr, 1);
    }
  for (const char* name : {"", "Summer"})
    for (int32_t slotLevel : {4, 10})
      for (uint8_t blink : {0, 1}) {
        for (int s = 0; s < 5; ++s) {
          std::strcpy(circuit.slotName[s], name);
          circuit.slotLevel[s] = slotLevel;
        }
        state.stateFlags = blink;
        Render(101, nullptr, 1);
        Render(11, nullptr, 1);
      }
  for (int32_t key = 0; key < 256; key += 5) {
    gSettings.keyLeft = key, gSettings.keyRight = key + 1, gSettings.keyThrottle = key + 2;
    gSettings.keyPause = key + 3, gSettings.keyView = key + 4;
    Render(103, nullptr, 1);
  }
  state.captureWaiting = 1;
  Render(103, nullptr, 1);
  state.captureWaiting = 0;
  Render(104, nullptr, 1);
  for (int filled = 0; filled < 2; ++filled)
    for (int32_t place = 0; place < 12; ++place) {
      for (int e = 0; e < kScoreEntries; ++e) {
        const int32_t level = filled ? place % 10 : -1;
        scores.rallyLevel[e] = scores.derbyLevel[e] = scores.roamLevel[e] = scores.linearLevel[e] = level;
        scores.circuitPoints[e] = filled ? 120 : -1;
        scores.rallyPlace[e] = place;
      }
      for (state.slotIndex = 0; state.slotIndex < 5; ++state.slotIndex) Render(105, nullptr, 1);
    }
  for (const auto& [folder, page, screen] : {std::tuple{"data:menu:m_credits", "credits.txt", 106},
                                             std::tuple{"data:menu:m_disclaimer", "disclaimer.txt", 10}}) {
    wre_FolderPush();
    wre_FolderSet(folder);
    FileRecord* file = wre_FileLoad(page, 0);
    wre_FolderPop();
    ASSERT_NE(file, nullptr) << page;
    state.textFile = file;
    state.textScroll = 0;
    Render(screen, nullptr, 1);
    state.textFile = nullptr;
    wre_FileDispose(file);
  }
  wre_TestWatchFontStrings(nullptr);

  ASSERT_EQ(gUses.size(), 3u);  // the type, blue and level fonts
  for (const auto& [font, use] : gUses) {
    const FontGlyph& any = font->glyphs['A'];
    Offscreen* sheet = SheetOf(any);
    ASSERT_NE(sheet, nullptr);
    std::map<std::vector<bool>, std::string> shapes;  // the sheet's letters that share each shape
    for (int c = 33; c < 127; ++c)
      if (font->glyphs[c].flags & kGlyphDefined) shapes[Shape(*sheet, font->glyphs[c], use.scale)] += static_cast<char>(c);
    for (unsigned char c : use.characters) {
      const FontGlyph& g = font->glyphs[c];
      ASSERT_TRUE(g.flags & kGlyphDefined) << "'" << c << "' at scale " << use.scale;
      if (c == ' ') continue;
      const std::vector<bool> shape = Shape(*sheet, g, use.scale);
      EXPECT_GT(std::count(shape.begin(), shape.end(), true), 2) << "'" << c << "' at scale " << use.scale;
      EXPECT_EQ(shapes[shape], std::string(1, static_cast<char>(c))) << "at scale " << use.scale;
    }
    wre_OffscreenDispose(sheet);
  }
}

}  // namespace
