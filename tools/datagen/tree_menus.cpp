// The menus: m_startup's sheets, fonts, pictures, cursor and models, one folder per screen, the
// text pages, and the full-screen result and loading pictures.
#include <array>
#include <cmath>

#include "tools/datagen/font_atlas.h"
#include "tools/datagen/model_writer.h"
#include "tools/datagen/raster.h"
#include "tools/datagen/texture_list_writer.h"
#include "tools/datagen/tree_models.h"
#include "tools/datagen/tree_output.h"

namespace {

constexpr uint32_t kNavy = 0x12306A, kDeepBlue = 0x0A1A40, kSea = 0x1C6FA8, kFoam = 0xE8F4FF;
constexpr uint32_t kGold = 0xFFC830, kOrange = 0xF07818, kWhite = 0xFFFFFF;

struct Region {
  int32_t left, top, right, bottom;
};

// A labelled button: bevelled face, the label centred, scale 2 when it fits, else 1.
void Button(Canvas& c, Region r, uint32_t face, const std::string& label, uint32_t ink) {
  CanvasBevel(c, r.left, r.top, r.right, r.bottom, face);
  const int32_t w = r.right - r.left, h = r.bottom - r.top;
  const int32_t scale = CanvasTextWidth(label, 2) + 6 <= w && h >= 18 ? 2 : 1;
  CanvasTextCentred(c, (r.left + r.right) / 2, (r.top + r.bottom) / 2 - 7 * scale / 2, label, scale, ink);
}

// An arrow button pointing left (-1) or right (+1).
void ArrowButton(Canvas& c, Region r, uint32_t face, int32_t direction) {
  CanvasBevel(c, r.left, r.top, r.right, r.bottom, face);
  const float cx = (r.left + r.right) * 0.5f, cy = (r.top + r.bottom) * 0.5f;
  const float s = static_cast<float>(std::min(r.right - r.left, r.bottom - r.top)) * 0.3f;
  for (int32_t y = static_cast<int32_t>(cy - s); y <= static_cast<int32_t>(cy + s); ++y) {
    const float tip = cx + direction * s, back = cx - direction * s * 0.6f;
    for (int32_t x = static_cast<int32_t>(std::min(tip, back)); x <= static_cast<int32_t>(std::max(tip, back)); ++x) {
      const float along = (static_cast<float>(x) - back) / (tip - back);  // 0 at the back, 1 at the tip
      if (std::fabs(static_cast<float>(y) - cy) <= s * (1.0f - along)) CanvasPut(c, x, y, kWhite);
    }
  }
}

// The options sheet: buttons, setting labels, key box and gauge tile at the places the pages draw.
Canvas OptionsSheet() {
  Canvas c = CanvasNew(256, 256, kKeyColour);
  Button(c, {51, 77, 254, 102}, kNavy, "SOUND VOLUME", kFoam);
  Button(c, {84, 8, 250, 32}, kNavy, "MUSIC VOLUME", kFoam);
  Button(c, {92, 42, 251, 67}, kNavy, "DETAIL", kFoam);
  Button(c, {8, 41, 82, 67}, 0x1E7A3C, "CONTINUE", kWhite);
  Button(c, {18, 7, 71, 33}, 0x8A1E1E, "QUIT", kWhite);
  // Decrease and increase buttons, highlighted forms in orange.
  ArrowButton(c, {187, 215, 244, 254}, kSea, -1);
  ArrowButton(c, {124, 215, 181, 253}, kOrange, -1);
  ArrowButton(c, {191, 173, 248, 211}, kSea, 1);
  ArrowButton(c, {125, 173, 183, 211}, kOrange, 1);
  // The third button doubles as the renderer switch: a little screen.
  for (const auto& [r, face] : {std::pair{Region{5, 72, 43, 132}, kSea}, std::pair{Region{5, 138, 43, 198}, kOrange}}) {
    CanvasBevel(c, r.left, r.top, r.right, r.bottom, face);
    CanvasFill(c, r.left + 8, r.top + 14, r.right - 7, r.top + 36, kDeepBlue);
    CanvasGradient(c, r.left + 10, r.top + 16, r.right - 9, r.top + 34, 0x60A0F0, 0x1C4C90);
    CanvasFill(c, (r.left + r.right) / 2 - 2, r.top + 36, (r.left + r.right) / 2 + 3, r.top + 44, kDeepBlue);
    CanvasFill(c, r.left + 12, r.top + 44, r.right - 11, r.top + 47, kDeepBlue);
  }
  // Drawn after the third button, whose highlighted form it overlaps: the options page shows the label.
  Button(c, {22, 141, 252, 168}, kNavy, "    VIEW DISTANCE", kFoam);
  // The key box: a dark keyboard key, so that the key's name in light letters reads on it.
  CanvasBevel(c, 51, 173, 121, 252, 0x3A4A6A);
  CanvasBevel(c, 58, 180, 114, 236, 0x22304C);
  // The gauge tile: a lit bar segment.
  CanvasGradient(c, 21, 209, 41, 251, 0x80FF80, 0x108030);
  CanvasFill(c, 21, 209, 23, 251, 0xC0FFC0);
  return c;
}

struct Tab {
  Region normal;
  Region lit;
  const char* label;
};

constexpr Tab kTabs[8] = {
    {{1, 131, 123, 155}, {1, 1, 129, 31}, "NEW GAME"},   {{64, 156, 153, 180}, {66, 33, 161, 63}, "CIRCUIT"},
    {{1, 206, 85, 229}, {163, 33, 255, 64}, "PLAYER"},   {{131, 130, 245, 154}, {133, 1, 254, 32}, "CONTROLS"},
    {{159, 156, 252, 180}, {1, 97, 102, 128}, "OPTIONS"}, {{1, 181, 149, 204}, {1, 65, 156, 96}, "HIGH SCORES"},
    {{156, 182, 248, 206}, {103, 98, 202, 129}, "CREDITS"}, {{89, 207, 141, 230}, {159, 65, 218, 96}, "QUIT"},
};

// The main-menu sheet: a normal and a highlighted form of every tab, and the circuit page's
// "new" and "continue" buttons.
Canvas MainMenuSheet() {
  Canvas c = CanvasNew(256, 256, kKeyColour);
  for (const Tab& t : kTabs) {
    Button(c, t.lit, kOrange, t.label, 0xFFF4C0);
    if (std::string(t.label) != "NEW GAME") Button(c, t.normal, kNavy, t.label, kFoam);
  }
  Button(c, {0, 156, 59, 180}, 0x1E7A3C, "CONTINUE", kWhite);
  // "NEW GAME" drawn from the left, so that the circuit page's "new" region (x below 53) shows "NEW".
  CanvasBevel(c, 0, 128, 123, 155, kNavy);
  CanvasText(c, 6, 135, "NEW", 2, kFoam);
  CanvasText(c, 58, 135, "GAME", 2, kFoam);
  return c;
}

// The menu frame in four quarters: a glassy blue panel over 512 x 512 with a bright rim; the lower
// quarters hold the frame's bottom band (rows 0-65) and a message box (rows 73-255).
void FramePictures(Canvas quarters[4]) {
  Canvas whole = CanvasNew(512, 512, kKeyColour);
  CanvasGradient(whole, 0, 0, 512, 66 + 256, 0x1A4C8C, 0x0C2450);
  CanvasNoise(whole, 6, 16, 9);
  for (int32_t i = 0; i < 4; ++i) {
    const uint32_t rim = CanvasMix(0x9AD8FF, 0x2A6CB0, static_cast<float>(i) / 4.0f);
    CanvasFill(whole, i, i, 512 - i, i + 1, rim);
    CanvasFill(whole, i, i, i + 1, 322 - i, rim);
    CanvasFill(whole, 511 - i, i, 512 - i, 322 - i, rim);
    CanvasFill(whole, i, 321 - i, 512 - i, 322 - i, rim);
  }
  CanvasFill(whole, 0, 322, 512, 329, kKeyColour);
  // The message box of the pair picture.
  CanvasGradient(whole, 0, 329, 512, 512, 0x2A5A9C, 0x102C5C);
  for (int32_t i = 0; i < 3; ++i) {
    CanvasFill(whole, i, 329 + i, 512 - i, 330 + i, kGold);
    CanvasFill(whole, i, 329 + i, i + 1, 512 - i, kGold);
    CanvasFill(whole, 511 - i, 329 + i, 512 - i, 512 - i, kGold);
    CanvasFill(whole, i, 511 - i, 512 - i, 512 - i, kGold);
  }
  for (int32_t q = 0; q < 4; ++q) {
    quarters[q] = CanvasNew(256, 256, kKeyColour);
    const int32_t ox = (q % 2) * 256, oy = (q / 2) * 256;
    for (int32_t y = 0; y < 256; ++y)
      for (int32_t x = 0; x < 256; ++x) CanvasPut(quarters[q], x, y, CanvasGet(whole, ox + x, oy + y));
  }
  // The bottom band is the frame's lower edge: the lower quarters' rows 0-65 are rows 256-321 above.
}

Canvas Cursor() {
  Canvas c = CanvasNew(32, 32, kKeyColour);
  for (int32_t y = 0; y < 22; ++y)
    for (int32_t x = 0; x <= y * 2 / 3; ++x) {
      const bool edge = x == 0 || x == y * 2 / 3 || y == 21;
      CanvasPut(c, x + 1, y + 1, edge ? kDeepBlue : CanvasMix(kGold, kOrange, static_cast<float>(y) / 21.0f));
    }
  CanvasLine(c, 8, 16, 14, 28, 3, kDeepBlue);
  CanvasLine(c, 8, 16, 14, 28, 1.5f, kGold);
  return c;
}

// The backdrop's water for the procedural ripple, seen from above: deep blue, lighter toward the
// top, with soft patches of light for the ripples to bend, dithered for the 16-bit frame.
Canvas RippleWater(uint32_t deep, uint32_t light, uint32_t seed) {
  constexpr int32_t kSide = 256;
  Canvas c = CanvasNew(kSide, kSide, deep);
  CanvasGradient(c, 0, 0, kSide, kSide, light, deep);
  CanvasClouds(c, 0, -12, kSide, kSide + 12, CanvasMix(light, kFoam, 0.35f), 0.35f, seed);
  CanvasDither555(c);
  return c;
}

// The game's logo on a plate: "HYDREL" in gold over a blue wave, keyed around.
Canvas LogoPicture() {
  Canvas c = CanvasNew(256, 128, kKeyColour);
  CanvasDisc(c, 128, 200, 150, 0x1A5CA8);
  CanvasDisc(c, 128, 210, 150, 0x0E3C78);
  CanvasFill(c, 0, 100, 256, 128, kKeyColour);
  for (int32_t x = 0; x < 256; ++x) {
    const int32_t y = 86 + static_cast<int32_t>(6.0 * std::sin(x * 0.08));
    CanvasFill(c, x, y, x + 1, y + 5, kFoam);
  }
  CanvasText(c, 30, 24, "HYDREL", 6, 0x0A1A40);
  CanvasText(c, 26, 20, "HYDREL", 6, kGold);
  CanvasTextCentred(c, 128, 4, "WATERCRAFT RACING", 1, kWhite);
  return c;
}

// A globe map: ocean with continents of value noise, a grid of latitude lines.
Canvas GlobeMap() {
  Canvas ocean = CanvasNew(256, 128, 0x808080);
  CanvasNoise(ocean, 110, 24, 77);
  CanvasNoise(ocean, 30, 6, 78);
  Canvas c = CanvasNew(256, 128, 0);
  for (int32_t y = 0; y < 128; ++y)
    for (int32_t x = 0; x < 256; ++x) {
      const int32_t v = static_cast<int32_t>(CanvasGet(ocean, x, y) & 0xFF);
      const float lat = std::fabs(static_cast<float>(y) - 63.5f) / 64.0f;
      uint32_t p;
      if (lat > 0.85f) p = 0xF0F4FF;
      else if (v > 150) p = CanvasMix(0x3C8C3C, 0x9C8450, static_cast<float>(v - 150) / 80.0f);
      else p = CanvasMix(0x0C3C8C, 0x1C6CC0, static_cast<float>(v) / 150.0f);
      CanvasPut(c, x, y, p);
    }
  for (int32_t y = 16; y < 128; y += 16) CanvasFill(c, 0, y, 256, y + 1, CanvasMix(0x1C6CC0, kWhite, 0.3f));
  return c;
}

Canvas JoystickPicture() {
  Canvas c = CanvasNew(64, 64, kKeyColour);
  CanvasBevel(c, 8, 44, 56, 60, 0x404850);
  CanvasLine(c, 32, 46, 28, 16, 6, 0x202428);
  CanvasDisc(c, 28, 14, 8, 0xC02020);
  CanvasDisc(c, 26, 12, 3, 0xFF8080);
  return c;
}

// A quad standing across z at distance z, facing the camera at the origin (-z).
ModelMesh FacingQuad(float width, float height) {
  ModelMesh mesh;
  const float w = width / 2, h = height / 2;
  MeshAddQuad(mesh, {{{-w, -h, 0}, {w, -h, 0}, {w, h, 0}, {-w, h, 0}}}, {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}}, {0, 0, -1});
  return mesh;
}

void WriteStartup(TreeOutput& tree) {
  const std::string f = "menu/m_startup";
  TreeListBuilder list = TreeListStart(f, "menu sheets, pictures, fonts and backdrop");
  TreePutPicture(tree, f + "/mnu_options.bmp", OptionsSheet(), true);
  TreeListAddKeyed(list, "mnu_options.bmp");
  TreeListIdent(list, "vqz_OptionsTextureIdent0");
  TreePutPicture(tree, f + "/mnu_tabs.bmp", MainMenuSheet(), true);
  TreeListAddKeyed(list, "mnu_tabs.bmp");
  TreeListIdent(list, "vqz_MainMenuTextureIdent0");
  Canvas quarters[4];
  FramePictures(quarters);
  const char* const corners[4] = {"newgame_tl.bmp", "newgame_tr.bmp", "newgame_bl.bmp", "newgame_br.bmp"};
  for (int32_t q = 0; q < 4; ++q) {
    TreePutPicture(tree, f + "/" + corners[q], quarters[q], true);
    TreeListAddKeyed(list, corners[q]);
  }
  TreePutPicture(tree, f + "/mnu_cursor.bmp", Cursor());
  TreeListAddKeyed(list, "mnu_cursor.bmp");
  TreeListIdent(list, "vqz_CursorTexture");
  const struct {
    const char* font;
    const char* atlas;
    FontStyle style;
  } fonts[4] = {
      {"font_globe.codx", "fnt_globe.bmp", {0xFFFFFF, 0xB0E0FF, 0x0A2A60}},
      {"font_type.codx", "fnt_type.bmp", {0xFFFFF0, 0xE0D8C0, 0x202020}},
      {"font_blue.codx", "fnt_blue.bmp", {0xA0E0FF, 0x2880E0, 0x081830}},
      {"font_level.codx", "fnt_level.bmp", {0xFFF0A0, 0xF09010, 0x402000}},
  };
  for (const auto& font : fonts) {
    TreePutPicture(tree, f + "/" + font.atlas, FontAtlasCanvas(font.style, kFontLetterWidthNarrow), true);
    TreeListAddKeyed(list, font.atlas);
    TreePutText(tree, f + "/" + font.font, FontDefinitionText(font.atlas, kFontLetterWidthNarrow));
  }
  // The backdrop's water ripples on its own, fed by drops.
  TreePut(tree, f + "/mnu_water.bmp", CanvasBmp8(RippleWater(0x0C3262, 0x4A9AD8, 3)));
  TreeListAddProcedural(list, "mnu_water.bmp");
  TreeListIdent(list, "vqz_MenuWaterIdent");
  TextureListSetDamping(list.writer, "vqz_MenuWaterIdent", 0.97f);
  TextureListAddDrop(list.writer, "vqz_MenuWaterIdent", 64, 64, 40, 25);
  TextureListAddDrop(list.writer, "vqz_MenuWaterIdent", 190, 150, 30, 37);
  TreePutPicture(tree, f + "/mnu_logo.bmp", LogoPicture(), true);
  TreeListAddKeyed(list, "mnu_logo.bmp");
  TreeListFinish(tree, list);

  C4DSceneDef backdrop;
  backdrop.materials.push_back(TreeMaterial("water", "mnu_water.bmp"));
  C4DNodeDef sea = TreeNode("backdrop", FacingQuad(26000, 20000), 1);
  sea.position = {0, 0, 9000};
  backdrop.nodes.push_back(sea);
  TreePutC4D(tree, f, "background.c4d", backdrop);

  C4DSceneDef logo;
  logo.materials.push_back(TreeMaterial("logo", "mnu_logo.bmp"));
  ModelMesh plate = FacingQuad(1800, 900);
  ModelMesh back;
  MeshAddQuad(back, {{{900, -450, 0}, {-900, -450, 0}, {-900, 450, 0}, {900, 450, 0}}},
              {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}}, {0, 0, 1});
  MeshAppend(plate, back);
  logo.nodes.push_back(TreeNode("logo", plate, 1));
  TreePutC4D(tree, f, "logo01.c4d", logo);
}

// The disclaimer's lines start 60 pixels in and are drawn in the type font, about 18 pixels a
// letter, so a line holds no more than 28 letters.
const char kDisclaimer[] =
    "HYDREL WATERCRAFT RACING\n"
    "\n"
    "This is a game. Real\n"
    "watercraft are not toys:\n"
    "wear a life jacket, keep\n"
    "clear of swimmers and of\n"
    "other boats, and never\n"
    "ride after dark.\n"
    "\n"
    "All places, riders and\n"
    "craft in this game are\n"
    "made up.\n"
    "\n"
    "Press any key to go on.\n";

const char kCredits[] =
    "HYDREL\n"
    "\n"
    "Game design\n"
    "The Hydrel team\n"
    "\n"
    "Engine and tools\n"
    "The Hydrel team\n"
    "\n"
    "Courses, craft and riders\n"
    "Made by the data generator\n"
    "\n"
    "Sound and music\n"
    "Synthesised, note by note\n"
    "\n"
    "Thank you for playing!\n";

void WriteScreens(TreeOutput& tree) {
  const char* const plain[] = {"m_disclaimer", "m_circuit", "m_player", "m_options", "m_highscores", "m_credits", "m_quit"};
  for (const char* s : plain) {
    TreeListBuilder list = TreeListStart(std::string("menu/") + s, "this screen draws with the start-up sheets");
    TreeListFinish(tree, list);
  }
  TreePutText(tree, "menu/m_disclaimer/disclaimer.txt", TreeCrLf(kDisclaimer));
  TreePutText(tree, "menu/m_credits/credits.txt", TreeCrLf(kCredits));

  TreeListBuilder controls = TreeListStart("menu/m_controls", "controls screen");
  TreePutPicture(tree, "menu/m_controls/joytex.bmp", JoystickPicture());
  TreeListAddKeyed(controls, "joytex.bmp");
  TreeListFinish(tree, controls);

  TreeListBuilder newgame = TreeListStart("menu/m_newgame", "the globe");
  TreePutPicture(tree, "menu/m_newgame/globe.bmp", GlobeMap());
  TreeListAdd(newgame, "globe.bmp");
  Canvas ring = CanvasNew(32, 32, kGold);
  CanvasNoise(ring, 20, 4, 5);
  TreePutPicture(tree, "menu/m_newgame/globe_ring.bmp", ring);
  TreeListAdd(newgame, "globe_ring.bmp");
  TreeListFinish(tree, newgame);
  // One top-level node; the ring below it is merged into it.
  C4DSceneDef globe;
  globe.materials.push_back(TreeMaterial("earth", "globe.bmp"));
  globe.materials.push_back(TreeMaterial("ring", "globe_ring.bmp"));
  globe.nodes.push_back(TreeNode("globe", MeshSphere(220, 12, 24), 1));
  C4DNodeDef ringNode = TreeNode("marker ring", MeshCylinder(250, 12, 32), 2);
  ringNode.level = 1;
  MeshTranslate(ringNode.mesh, 0, -6, 0);
  globe.nodes.push_back(ringNode);
  TreePutC4D(tree, "menu/m_newgame", "m_chooseglobe.c4d", globe);
}

// A 640 x 512 picture cut into the six tiles the full-screen pictures are drawn from.
void PutTiles(TreeOutput& tree, const std::string& folder, const std::string& prefix, const Canvas& whole,
              const std::vector<std::string>& names, bool rgb) {
  static constexpr int32_t kX[6] = {0, 256, 512, 0, 256, 512}, kY[6] = {0, 0, 0, 256, 256, 256};
  for (size_t t = 0; t < names.size() && t < 6; ++t) {
    if (names[t].empty()) continue;
    const int32_t w = kX[t] == 512 ? 128 : 256;
    Canvas tile = CanvasNew(w, 256, 0);
    for (int32_t y = 0; y < 256; ++y)
      for (int32_t x = 0; x < w; ++x) CanvasPut(tile, x, y, CanvasGet(whole, kX[t] + x, kY[t] + y));
    TreePut(tree, folder + "/" + prefix + names[t], rgb ? CanvasBmp24(tile) : CanvasBmp8(tile, true));
  }
}

// A sunny sea scene under the screens' words: a sky with soft clouds down to the horizon, the sun
// low over it, the sea with streaks of foam below; dithered once the words are on.
Canvas ScreenScene(uint32_t skyTop, uint32_t skyLow, uint32_t seaTop, uint32_t seaLow, uint32_t seed,
                   int32_t horizon = 300) {
  Canvas c = CanvasNew(640, 512, 0);
  CanvasGradient(c, 0, 0, 640, horizon, skyTop, skyLow);
  CanvasClouds(c, 0, 10, 640, horizon - 20, CanvasMix(skyLow, kWhite, 0.7f), 0.4f, seed);
  CanvasDisc(c, 560, static_cast<float>(horizon) - 38, 34, CanvasMix(skyLow, 0xFFFFE0, 0.8f));
  CanvasGradient(c, 0, horizon, 640, 512, seaTop, seaLow);
  DataRandom random{seed};
  const float depth = static_cast<float>(512 - horizon);
  for (int32_t i = 0; i < 140; ++i) {
    const float y = static_cast<float>(horizon) + 4 + random.Unit() * (depth - 30), x = random.Unit() * 640;
    const float near = (y - static_cast<float>(horizon)) / depth, len = 6 + random.Unit() * 40 * near;
    CanvasLine(c, x, y, x + len, y, 1 + near * 1.5f, CanvasMix(seaTop, kFoam, 0.35f + 0.2f * near));
  }
  return c;
}

// The winners' podium in the result picture's top-left tile, which each place has its own of: three
// numbered steps on a pontoon, the player's step in its medal colour with the cup on it.
void Podium(Canvas& c, int32_t place) {
  constexpr int32_t kBottom = 244;
  static constexpr struct {
    int32_t left, right, top;
    uint32_t medal;
    const char* number;
  } kSteps[3] = {{92, 164, 150, 0xFFC830, "1"}, {22, 92, 176, 0xC8D0DC, "2"}, {164, 234, 196, 0xD08848, "3"}};
  CanvasBevel(c, 12, kBottom, 244, kBottom + 9, 0x505860);  // the pontoon
  for (int32_t x = 10; x < 247; x += 3) CanvasFill(c, x, kBottom + 10, x + 2, kBottom + 12, CanvasMix(kFoam, kSea, 0.4f));
  for (int32_t s = 0; s < 3; ++s) {
    const auto& step = kSteps[s];
    const bool mine = s == place;
    CanvasBevel(c, step.left, step.top, step.right - 1, kBottom - 1, mine ? step.medal : 0xE8ECF0);
    CanvasTextCentred(c, (step.left + step.right) / 2, step.top + 14, step.number, 4, mine ? kWhite : step.medal);
  }
  // The cup: bowl, handles, stem and foot, standing on the player's step.
  const auto& step = kSteps[place];
  const float cx = static_cast<float>(step.left + step.right) / 2, base = static_cast<float>(step.top);
  const uint32_t gold = 0xFFD040, shade = 0xB07810;
  CanvasRing(c, cx - 15, base - 34, 7, 3, shade);
  CanvasRing(c, cx + 15, base - 34, 7, 3, shade);
  CanvasDisc(c, cx, base - 38, 15, shade);
  CanvasGradient(c, static_cast<int32_t>(cx) - 15, static_cast<int32_t>(base) - 54, static_cast<int32_t>(cx) + 16,
                 static_cast<int32_t>(base) - 38, 0xFFF0A0, gold);
  CanvasDisc(c, cx, base - 38, 13, gold);
  CanvasFill(c, static_cast<int32_t>(cx) - 2, static_cast<int32_t>(base) - 26, static_cast<int32_t>(cx) + 3,
             static_cast<int32_t>(base) - 8, shade);
  CanvasBevel(c, static_cast<int32_t>(cx) - 10, static_cast<int32_t>(base) - 9, static_cast<int32_t>(cx) + 10,
              static_cast<int32_t>(base) - 2, gold);
  CanvasFill(c, static_cast<int32_t>(cx) - 9, static_cast<int32_t>(base) - 51, static_cast<int32_t>(cx) - 5,
             static_cast<int32_t>(base) - 36, 0xFFFAE0);  // the shine
}

void WriteScreenPictures(TreeOutput& tree) {
  const char* const places[3] = {"1ST", "2ND", "3RD"};
  const char* const placeFiles[3] = {"win_1st_tl.bmp", "win_2nd_tl.bmp", "win_3rd_tl.bmp"};
  for (int32_t p = 0; p < 3; ++p) {
    Canvas win = ScreenScene(0x1060C0, 0x90D0F4, 0x1C7AB0, 0x0A3460, 3, 212);
    CanvasTextCentred(win, 320, 28, std::string(places[p]) + " PLACE!", 9, kGold);
    CanvasTextCentred(win, 448, 128, "WELL RIDDEN", 4, kWhite);
    Podium(win, p);
    CanvasDither555(win);
    Canvas tl = CanvasNew(256, 256, 0);
    for (int32_t y = 0; y < 256; ++y)
      for (int32_t x = 0; x < 256; ++x) CanvasPut(tl, x, y, CanvasGet(win, x, y));
    TreePut(tree, std::string("winlose/") + placeFiles[p], CanvasBmp8(tl, true));
    if (p == 0) PutTiles(tree, "winlose", "win_", win, {"", "tm.bmp", "tr.bmp", "bl.bmp", "bm.bmp", "br.bmp"}, false);
  }
  Canvas lose = ScreenScene(0x303850, 0x7888A0, 0x284860, 0x101C30, 4);
  CanvasTextCentred(lose, 320, 60, "NICE TRY", 9, 0xC8D8F0);
  CanvasTextCentred(lose, 320, 160, "YOU LOSE - RACE AGAIN!", 3, kWhite);
  CanvasDither555(lose);
  PutTiles(tree, "winlose", "lose_", lose, {"tl.bmp", "tm.bmp", "tr.bmp", "bl.bmp", "bm.bmp", "br.bmp"}, false);

  Canvas loading = ScreenScene(0x0A2050, 0x4890D0, 0x145890, 0x06203C, 5);
  CanvasTextCentred(loading, 320, 200, "LOADING...", 8, kWhite);
  CanvasFill(loading, 170, 290, 470, 306, 0x0A1A30);
  CanvasGradient(loading, 172, 292, 468, 304, kGold, kOrange);
  CanvasDither555(loading);
  PutTiles(tree, "loading", "load_", loading, {"tl.bmp", "tm.bmp", "tr.bmp", "bl.bmp", "bm.bmp", "br.bmp"}, false);

  Canvas circuit = ScreenScene(0x401070, 0xE08040, 0x2C5890, 0x0C1C40, 6);
  CanvasTextCentred(circuit, 320, 60, "CIRCUIT", 9, kGold);
  CanvasTextCentred(circuit, 320, 150, "CHAMPION!", 7, kWhite);
  for (int32_t i = 0; i < 5; ++i) CanvasDisc(circuit, 200 + i * 60, 330, 20, CanvasMix(kGold, kOrange, i / 4.0f));
  CanvasDither555(circuit);
  PutTiles(tree, "circuit", "circuit_win_", circuit, {"tl.bmp", "tm.bmp", "tr.bmp", "bl.bmp", "bm.bmp", "br.bmp"},
           false);
}

}  // namespace

void TreeWriteMenus(TreeOutput& tree) {
  WriteStartup(tree);
  WriteScreens(tree);
  WriteScreenPictures(tree);
}
