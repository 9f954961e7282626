#include "game/menus/front_end_pages.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/core/files.h"
#include "engine/core/input.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/core/strings.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "engine/data/font.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/font_draw.h"
#include "game/menus/menu_draw.h"
#include "game/menus/menu_layout.h"
#include "game/menus/menu_select.h"
#include "game/state/circuit_record.h"
#include "game/state/menu_state.h"
#include "game/state/scores_record.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/craft_models.h"
#include "game/world/game_objects.h"
#include "game/world/rider.h"
#include "game/world/watercraft.h"

namespace {

constexpr const char* kModelDisplayNames[kCraftModelCount] = {"Alder GT", "Dogwood ST", "Elm Racer", "Birch XR",
                                                              "Cedar Pro"};
constexpr const char* kModeNames[] = {"Rally", "Treasure Hunt Linear", "Treasure Hunt Roam", "Derby"};

constexpr int32_t kTextSize = 256;
constexpr uint8_t kBlinkBit = 0x01;
constexpr uint32_t kBlinkTicks = 30;
constexpr uint32_t kStepTicks = 2;  // the turntable and the disclaimer move after more than this
constexpr float kCentredOffset = 80.0f;

// Where the view is: its camera and the centre of its viewport.
struct Screen {
  ViewComponents* view;
  Camera* camera;
  float centreX;
  float centreY;
};

// A font set up for a run of texts: its scale, average width and depth.
struct Pen {
  Font* font;
  int32_t average;
  float depth;
  Camera* camera;
};

Pen PenStart(Font* font, float sx, float sy, float depth, const Screen& screen) {
  Pen pen{font, 0, depth, screen.camera};
  if (!font) return pen;
  wre_FontSetScale(font, sx, sy);
  int32_t height = 0;
  wre_FontGetCharSize(font, &pen.average, &height);
  return pen;
}

void PenDraw(const Pen& pen, float x, float y, const char* text) {
  if (!pen.font) return;
  pen.font->penX = x;
  pen.font->penY = y;
  pen.font->depth = pen.depth;
  wre_FontDrawString(pen.font, text, pen.camera, 0);
}

__attribute__((format(printf, 4, 5))) void TextAt(const Pen& pen, float x, float y, const char* format, ...) {
  char text[kTextSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  PenDraw(pen, x, y, text);
}

// Centred on the view, as the menus centre: half the length in whole characters left of the
// centre, then 80 pixels right.
__attribute__((format(printf, 4, 5))) void TextCentred(const Pen& pen, const Screen& screen, float y,
                                                       const char* format, ...) {
  char text[kTextSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  const int32_t length = static_cast<int32_t>(std::strlen(text));
  PenDraw(pen, screen.centreX - static_cast<float>((length / 2) * pen.average) + kCentredOffset, y, text);
}

// A saved name field that may lack its terminator, as a string.
struct Name {
  char text[33];
};
Name NameOf(const char (&field)[32]) {
  Name name{};
  std::memcpy(name.text, field, sizeof(field));
  return name;
}

void BlinkStep(MenuState& m) {
  if (m.blinkTick + kBlinkTicks < gEngineTick) {
    m.stateFlags ^= kBlinkBit;
    m.blinkTick = gEngineTick;
  }
}

bool Blinking(const MenuState& m) { return (m.stateFlags & kBlinkBit) != 0; }

void Item(int32_t id, int32_t x, int32_t y, float depth, float scale, int32_t material, const Screen& screen,
          bool highlighted = false) {
  MenuItemSpriteDraw(x, y, depth, scale, scale, material, id, highlighted, screen.view);
}

// A decrease and an increase button on one row.
void ItemPair(int32_t leftX, int32_t rightX, int32_t y, float depth, float scale, int32_t material,
              const Screen& screen) {
  Item(kItemDecrease, leftX, y, depth, scale, material, screen);
  Item(kItemIncrease, rightX, y, depth, scale, material, screen);
}

const char* CourseName(const MenuState& m, int32_t course) {
  return course >= 0 && course < 15 ? m.courseNames[course] : "";
}

// ---- 100: new game ----

// The globe's orientation over each level, in the order of the object's three angles.
constexpr int32_t kGlobeTargets[10][3] = {
    {-4186, -2762, 460}, {0, -2932, 130},   {-4236, 1584, 130}, {-4116, -3372, -50}, {-3936, -534, -150},
    {-40, -3072, -130},  {-4236, 2508, -140}, {-1458, -2048, 0}, {100, -1898, 10},    {-4556, -1918, 0},
};

// A tenth of the turn left, the sum truncated toward zero.
int32_t GlobeEase(int32_t current, int32_t target) {
  return static_cast<int32_t>(static_cast<float>(current) + 0.1f * static_cast<float>(wre_AngleDelta(current, target)));
}

void GlobeTurn(EngineObject* globe, int32_t level) {
  if (!globe || level < 0 || level >= 10) return;
  const Transform& t = globe->transform;
  const int32_t* target = kGlobeTargets[level];
  wre_ObjectSetTransform(globe, GlobeEase(t.angleX, target[0]), GlobeEase(t.angleY, target[1]),
                         GlobeEase(t.angleZ, target[2]), t.position[0], t.position[1], t.position[2]);
}

void NewGamePage(MenuState& m, const Screen& s) {
  MenuQuadPictureDraw(175, -5, 1000.0f, m.trueWhiteMaterial, 1.2f, 1.15f, s.view);
  MenuPairPictureDraw(185, 375, 1000.0f, m.trueWhiteMaterial, 1.15f, 0.7f, s.view);
  GlobeTurn(m.pageObjects[0], m.selectedLevel);
  LevelNameFormat(m.selectedLevel);
  TextCentred(PenStart(m.levelFont, 0.7f, 0.7f, 110.0f, s), s, 25.0f, "%s", m.typedText);
  const bool rally = gGameMode == kModeRally || gGameMode == kModeRallyVariant;
  TextCentred(PenStart(m.blueFont, 1.0f, 1.0f, 110.0f, s), s, 440.0f, "%s", rally ? CourseName(m, gCourse) : "-");
  ItemPair(210, 565, 270, 105.0f, 0.7f, m.trueWhiteMaterial, s);
  ItemPair(210, 565, 435, 105.0f, 0.7f, m.trueWhiteMaterial, s);
  const char* mode = gGameMode >= 0 && gGameMode < 4 ? kModeNames[gGameMode] : kModeNames[kModeRally];
  TextCentred(PenStart(m.typeFont, 1.0f, 1.0f, 100.1f, s), s, 390.0f, "%s", mode);
  ItemPair(210, 565, 390, 105.0f, 0.7f, m.trueWhiteMaterial, s);
  TextAt(PenStart(m.blueFont, 0.8f, 0.8f, 105.0f, s), 262.0f, 320.0f, "click the globe to race");
}

// ---- 101: circuit ----

void CircuitRow(const MenuState& m, const Pen& pen, int32_t slot) {
  const float y = static_cast<float>(80 + 50 * slot);
  const bool selected = slot == m.slotIndex;
  const Name stored = NameOf(gCircuit->slotName[slot]);
  const char* shown = selected ? m.typedText : stored.text;
  const bool caret = Blinking(m) && selected;
  const bool storedEmpty = stored.text[0] == '\0';
  bool columns = false;
  if (shown[0] == '\0') {
    if (caret) TextAt(pen, 260.0f, y, "#%2d     %s_", slot + 1, shown);
    else TextAt(pen, 260.0f, y, "#%2d     %s", slot + 1, "-empty-");
  } else if (gCircuit->slotLevel[slot] > 9) {
    TextAt(pen, 260.0f, y, "#%1d     %s", slot + 1, shown);
    columns = true;
    TextAt(pen, 580.0f, y, "Completed");
  } else if (caret) {
    if (storedEmpty) {
      TextAt(pen, 260.0f, y, "#%2d     %s_", slot + 1, shown);
    } else {
      TextAt(pen, 260.0f, y, "#%1d     %s_", slot + 1, shown);
      columns = true;
    }
  } else if (storedEmpty) {
    TextAt(pen, 260.0f, y, "#%2d     %s ", slot + 1, shown);
  } else {
    TextAt(pen, 260.0f, y, "#%1d     %s", slot + 1, shown);
    columns = true;
  }
  if (!columns) return;
  // Widened: a value read from the file may stand at the top of the int range.
  TextAt(pen, 440.0f, y, "%4lld", static_cast<long long>(gCircuit->slotMeanPlace[slot]) + 1);
  TextAt(pen, 510.0f, y, "%4d", gCircuit->slotPoints[slot]);
}

void CircuitPage(MenuState& m, const Screen& s) {
  TextAt(PenStart(m.typeFont, 1.0f, 1.0f, 200.0f, s), 300.0f, 15.0f, "Load Circuit");
  const Pen pen = PenStart(m.typeFont, 0.7f, 0.7f, 200.0f, s);
  TextAt(pen, 440.0f, 55.0f, "Rank");
  TextAt(pen, 510.0f, 55.0f, "Score");
  BlinkStep(m);
  for (int32_t slot = 0; slot < kCircuitSlots && gCircuit; ++slot) {
    if (slot == m.slotIndex) Item(kItemIncrease, 220, 85 + 50 * slot, 200.0f, 0.6f, m.whiteMaterial, s, true);
    CircuitRow(m, pen, slot);
  }
  ItemPair(410, 450, 350, 200.0f, 0.7f, m.whiteMaterial, s);
  MenuTextureRegionDraw(250, 350, 200.0f, 1.0f, 1.0f, m.whiteMaterial, m.mainMenuTexture, 0, 128, 53, 154, s.view);
  MenuTextureRegionDraw(320, 350, 200.0f, 1.0f, 1.0f, m.whiteMaterial, m.mainMenuTexture, 0, 156, 59, 180, s.view);
}

// ---- 102: player ----

void PlayerPage(MenuState& m, const Screen& s) {
  GameObject* racer = m.previewRacer;
  if (!racer) return;
  MenuQuadPictureDraw(190, 0, 3100.0f, m.trueWhiteMaterial, 1.2f, 1.5f, s.view);
  if (m.screenTick + kStepTicks < gEngineTick) {
    m.previewYaw += 32;
    GameObjectPlace(racer, 0, m.previewYaw, 0, 500.0f, -100.0f, 1600.0f);
    RiderUpdate(racer->craft, s.view);
    m.screenTick = gEngineTick;
  }
  BlinkStep(m);
  const Pen pen = PenStart(m.typeFont, 0.8f, 0.8f, 100.1f, s);
  const Settings& g = gSettings;
  const Name name = NameOf(g.playerName);
  if (Blinking(m)) TextAt(pen, 350.0f, 35.0f, "Name: %s_", name.text);
  else TextAt(pen, 350.0f, 35.0f, "Name: %s", name.text);
  TextAt(pen, 350.0f, 70.0f, "Gender: %s", g.riderSex == 0 ? "Male" : "Female");
  TextAt(pen, 350.0f, 105.0f, "Rider texture #%2d", g.riderTexture + 1);
  const int32_t model = racer->craft ? racer->craft->model : 0;
  TextAt(pen, 350.0f, 350.0f, "Model: %s", kModelDisplayNames[model >= 0 && model < kCraftModelCount ? model : 0]);
  TextAt(pen, 350.0f, 385.0f, "Hydrel texture #%d", g.playerLivery + 1);
  if (g.opponentCount == 0) TextAt(pen, 350.0f, 415.0f, "Warm-up!");
  else TextAt(pen, 350.0f, 415.0f, "%s %2d", "Player Count: ", g.opponentCount);
  for (int32_t y : {70, 105, 350, 385, 415}) ItemPair(285, 315, y, 105.0f, 0.5f, m.whiteMaterial, s);
}

// ---- 103: controls ----

struct KeyBox {
  const char* label;
  int32_t Settings::*key;
  int32_t boxX, boxY;
  float textX, textY;
};

constexpr KeyBox kKeyBoxes[] = {
    {"Steer Left:  ", &Settings::keyLeft, 290, 96, 194, 100},
    {"Steer Right:  ", &Settings::keyRight, 503, 96, 395, 100},
    {"Accelerate:  ", &Settings::keyThrottle, 400, 46, 305, 50},
    {"Pause:  ", &Settings::keyPause, 303, 146, 250, 150},
    {"View Change:  ", &Settings::keyView, 511, 146, 404, 150},
};

// A setting row with a decrease button (when it has one) and an increase button.
struct SettingRow {
  float y;
  const char* label;
  float Settings::*value;  // null for a switch
  int32_t Settings::*flag;
  int32_t decreaseX;       // 0: no decrease button
  int32_t increaseX;
};

constexpr SettingRow kSettingRows[] = {
    {200, "Use Mouse: ", nullptr, &Settings::mouseOn, 0, 350},
    {230, "Mouse sensitivity: ", &Settings::mouseSensitivity, nullptr, 410, 440},
    {260, "Mouse threshold: ", &Settings::mouseThreshold, nullptr, 410, 440},
    {300, "Use Joystick: ", nullptr, &Settings::joystickOn, 0, 370},
    {330, "Joystick sensitivity: ", &Settings::joystickScale, nullptr, 430, 460},
    {360, "Joystick threshold: ", &Settings::joystickDeadZone, nullptr, 430, 460},
};

void ControlsPage(MenuState& m, const Screen& s) {
  if (m.captureWaiting) {
    MenuPairPictureDraw(210, 150, 7100.0f, m.whiteMaterial, 1.0f, 1.0f, s.view);
    TextAt(PenStart(m.typeFont, 1.0f, 1.0f, 200.0f, s), 250.0f, 205.0f, "- Hit a key or ESC to cancel -");
    return;
  }
  const Pen pen = PenStart(m.typeFont, 0.8f, 0.8f, 2100.0f, s);
  for (const KeyBox& box : kKeyBoxes) {
    MenuFixedSpriteDraw(box.boxX, box.boxY, 7100.0f, m.whiteMaterial, 1.4f, 0.35f, s.view);
    TextAt(pen, box.textX, box.textY, "%s %s", box.label, wre_KeyName(wre_KeyToVirtualKey(gSettings.*box.key)));
  }
  for (const SettingRow& row : kSettingRows) {
    if (row.value) TextAt(pen, 200.0f, row.y, "%s %2.1f", row.label, static_cast<double>(gSettings.*row.value));
    else TextAt(pen, 200.0f, row.y, "%s %s", row.label, wre_BoolToString(gSettings.*row.flag != 0));
    const int32_t y = static_cast<int32_t>(row.y) + 5;
    if (row.decreaseX) Item(kItemDecrease, row.decreaseX, y, 2100.0f, 0.45f, m.whiteMaterial, s);
    Item(kItemIncrease, row.increaseX, y, 2100.0f, 0.45f, m.whiteMaterial, s);
  }
}

// ---- 104: options ----

struct OptionRow {
  MenuRegion label;
  int32_t labelX, labelY;
  int32_t Settings::*value;
  int32_t gaugeY;
};

constexpr OptionRow kOptionRows[] = {
    {{51, 77, 254, 102}, 320, 25, &Settings::soundVolume, 64},
    {{84, 8, 250, 32}, 337, 110, &Settings::musicVolume, 149},
    {{22, 141, 252, 168}, 310, 195, &Settings::viewDistance, 234},
    {{92, 42, 251, 67}, 337, 280, &Settings::detail, 319},
};
constexpr MenuRegion kRendererButton = {11, 81, 42, 125};

void OptionsPage(MenuState& m, const Screen& s) {
  MenuQuadPictureDraw(190, -5, 3100.1f, m.whiteMaterial, 1.2f, 1.5f, s.view);
  const int32_t white = m.trueWhiteMaterial;
  for (const OptionRow& row : kOptionRows) {
    const MenuRegion& r = row.label;
    MenuTextureRegionDraw(row.labelX, row.labelY, 100.1f, 1.0f, 1.0f, white, m.optionsTexture, r.left, r.top, r.right,
                          r.bottom, s.view);
    ItemPair(245, 540, row.labelY, 100.1f, 1.0f, white, s);
    MenuGaugeDraw(0, 100, 20, gSettings.*row.value, 270, row.gaugeY, 100.1f, 0.8f, 0.8f, white, s.view);
  }
  TextAt(PenStart(m.levelFont, 0.94f, 0.94f, 100.1f, s), 275.0f, 375.0f, "Change Renderer");
  const MenuRegion& b = kRendererButton;
  MenuTextureRegionDraw(405, 405, 100.1f, 1.0f, 1.0f, white, m.optionsTexture, b.left, b.top, b.right, b.bottom,
                        s.view);
}

// ---- 105: high scores ----

enum ScoreTable : int32_t {
  kTableRally = 0,
  kTableTreasureLinear = 1,
  kTableTreasureRoam = 2,
  kTableDerby = 3,
  kTableCircuit = 4,
};

void TimeAt(const Pen& pen, float x, float y, int32_t time) {
  const uint32_t t = static_cast<uint32_t>(time);
  TextAt(pen, x, y, "%3d:%2.2d:%2.2d", t / 3600, (t % 3600) / 60, t % 60);
}

// The level's name at x (through the menu text buffer).
void LevelAt(const MenuState& m, const Pen& pen, float x, float y, int32_t level) {
  LevelNameFormat(level);
  TextAt(pen, x, y, "%s", m.typedText);
}

void RallyEntry(const MenuState& m, const Pen& pen, int32_t e, float y) {
  const ScoresRecord& r = *gScores;
  if (r.rallyLevel[e] == -1) {
    TextAt(pen, 170.0f, y, "#%1d    %s", e + 1, "-empty-");
    return;
  }
  TextAt(pen, 170.0f, y, "#%1d      %s", e + 1, NameOf(r.rallyName[e]).text);
  char place[kTextSize];
  PlaceNameFormat(r.rallyPlace[e], place, sizeof(place));
  TextAt(pen, 280.0f, y, "%s", place);
  TimeAt(pen, 315.0f, y, r.rallyTime[e]);
  LevelAt(m, pen, 390.0f, y, r.rallyLevel[e]);
  TextAt(pen, 610.0f, y, "%1lld", static_cast<long long>(r.rallyCourse[e]) + 1);
}

void TreasureEntry(const MenuState& m, const Pen& pen, int32_t e, float y, bool roam) {
  const ScoresRecord& r = *gScores;
  const int32_t level = roam ? r.roamLevel[e] : r.linearLevel[e];
  if (level == -1) {
    TextAt(pen, 170.0f, y, "#%1d        %s", e + 1, "-empty-");
    return;
  }
  TextAt(pen, 170.0f, y, "#%1d       %s", e + 1, NameOf(roam ? r.roamName[e] : r.linearName[e]).text);
  TextAt(pen, 290.0f, y, "%5d", roam ? r.roamScore[e] : r.linearScore[e]);
  TimeAt(pen, 350.0f, y, roam ? r.roamTime[e] : r.linearTime[e]);
  LevelAt(m, pen, 430.0f, y, level);
}

void DerbyEntry(const MenuState& m, const Pen& pen, int32_t e, float y) {
  const ScoresRecord& r = *gScores;
  if (r.derbyLevel[e] == -1) {
    TextAt(pen, 170.0f, y, "#%1d        %s", e + 1, "-empty-");
    return;
  }
  TextAt(pen, 170.0f, y, "#%1d      %s", e + 1, NameOf(r.derbyName[e]).text);
  TextAt(pen, 270.0f, y, "%5d", r.derbyScore[e]);
  LevelAt(m, pen, 335.0f, y, r.derbyLevel[e]);
}

void CircuitEntry(const Pen& pen, int32_t e, float y) {
  const ScoresRecord& r = *gScores;
  if (r.circuitPoints[e] == -1) {
    TextAt(pen, 170.0f, y, "#%1d        %s", e + 1, "-empty-");
    return;
  }
  TextAt(pen, 170.0f, y, "#%1d      %s", e + 1, NameOf(r.circuitName[e]).text);
  TextAt(pen, 325.0f, y, "%5d", r.circuitPoints[e]);
}

void HighScoresPage(MenuState& m, const Screen& s) {
  static constexpr const char* kTitles[] = {"Rally", "Treasure Hunt Linear", "Treasure Hunt Roam", "Derby",
                                            "Circuit"};
  static constexpr const char* kHeaders[] = {
      "Rank:  Name:      Place:  Time:       Level:                                      Course:",
      "Rank:  Name:          Score:    Time:         Level:",
      "Rank:  Name:          Score:    Time:         Level:",
      "Rank:  Name:      Score:    Level:",
      "Rank:  Name:              Final Score:",
  };
  const int32_t table = m.slotIndex >= kTableRally && m.slotIndex <= kTableCircuit ? m.slotIndex : kTableRally;
  TextAt(PenStart(m.typeFont, 1.0f, 1.0f, 110.0f, s), 340.0f, 20.0f, "%s", kTitles[table]);
  const Pen pen = PenStart(m.typeFont, 0.6f, 0.6f, 110.0f, s);
  TextAt(pen, 170.0f, 100.0f, "%s", kHeaders[table]);
  for (int32_t e = 0; e < kScoreEntries && gScores; ++e) {
    const float y = static_cast<float>(140 + 50 * e);
    switch (table) {
      case kTableRally: RallyEntry(m, pen, e, y); break;
      case kTableTreasureLinear: TreasureEntry(m, pen, e, y, false); break;
      case kTableTreasureRoam: TreasureEntry(m, pen, e, y, true); break;
      case kTableDerby: DerbyEntry(m, pen, e, y); break;
      default: CircuitEntry(pen, e, y); break;
    }
  }
  ItemPair(360, 440, 400, 110.0f, 0.7f, m.trueWhiteMaterial, s);
}

// ---- 106 and 10: scrolling text ----

constexpr float kCreditsRestart = 500.0f;

// Draws the text from its scroll position down to the bottom of the view; the y below its last
// line. Credits lines are centred, disclaimer lines start at x 60.
int32_t ScrollingText(const MenuState& m, const Screen& s, bool credits) {
  const FileRecord* file = m.textFile;
  Pen pen{m.typeFont, 0, 100.1f, s.camera};
  int32_t height = 0;
  if (pen.font) wre_FontGetCharSize(pen.font, &pen.average, &height);
  int32_t y = static_cast<int32_t>(m.textScroll);
  const char* cursor = reinterpret_cast<const char*>(file->data);
  int32_t remaining = file->size;
  const int32_t bottom = s.camera->viewport.bottom;
  char line[kTextSize];
  int32_t read = 0;
  while (y <= bottom && remaining > 0 && read == 0) {
    std::strcpy(line, " ");
    read = wre_BufferReadLine(&cursor, &remaining, line, sizeof(line));
    if (line[0] != '\0') {
      const int32_t length = static_cast<int32_t>(std::strlen(line));
      const int32_t x = credits ? static_cast<int32_t>(s.centreX - static_cast<float>((length / 2) * pen.average)) + 100
                                : 60;
      PenDraw(pen, static_cast<float>(x), static_cast<float>(y), line);
    }
    y += credits ? 22 : 30;
  }
  return y;
}

void CreditsPage(MenuState& m, const Screen& s) {
  if (ScrollingText(m, s, true) < s.camera->viewport.top) m.textScroll = kCreditsRestart;
  m.textScroll -= 1.0f;
  m.screenTick = gEngineTick;
}

void DisclaimerPage(MenuState& m, const Screen& s) {
  if (ScrollingText(m, s, false) < s.camera->viewport.top) gMenuPendingScreen = kScreenNewGame;
  if (m.screenTick + kStepTicks < gEngineTick) {
    m.textScroll -= 1.0f;
    m.screenTick = gEngineTick;
  }
}

// ---- 11: circuit race status ----

void CircuitRacePage(MenuState& m, const Screen& s) {
  const Pen pen = PenStart(m.typeFont, 0.8f, 0.8f, 200.0f, s);
  LevelNameFormat(gLevel);
  TextAt(pen, 270.0f, 100.0f, "Current Level: %s", m.typedText);
  TextAt(pen, 270.0f, 150.0f, "Current Course: %s", CourseName(m, gCourse));
  MenuTextureRegionDraw(310, 370, 200.0f, 1.0f, 1.0f, m.whiteMaterial, m.optionsTexture, 8, 41, 82, 67, s.view);
  MenuTextureRegionDraw(400, 370, 200.0f, 1.0f, 1.0f, m.whiteMaterial, m.optionsTexture, 18, 7, 71, 33, s.view);
}

// ---- every page ----

constexpr float kCursorDepth = 100.05f;
constexpr int32_t kLogoSpin = 45;

int32_t Clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : (v > high ? high : v); }

// The software cursor follows the mouse's motion: the system cursor goes back to the centre every
// frame, so the offset from the centre is the motion since the last frame.
void CursorStep(MenuState& m, const Screen& s) {
  const Texture* texture = m.cursorTexture >= 0 ? wre_TextureGet(m.cursorTexture) : nullptr;
  if (!MenuScreenIsTabOrCircuit() || !texture || !(texture->flags & kTextureInUse)) return;
  int32_t mouse[2];
  wre_MouseGetPos(mouse);
  wre_CursorSetPos(static_cast<int32_t>(s.centreX), static_cast<int32_t>(s.centreY));
  m.cursorX = static_cast<int32_t>(static_cast<float>(mouse[0]) - s.centreX + static_cast<float>(m.cursorX));
  m.cursorY = static_cast<int32_t>(static_cast<float>(mouse[1]) - s.centreY + static_cast<float>(m.cursorY));
  const WreRect& v = s.camera->viewport;
  m.cursorX = Clamp(m.cursorX, v.left, v.right);
  m.cursorY = Clamp(m.cursorY, v.top, v.bottom);
  const float target[4] = {static_cast<float>(m.cursorX + m.cursorSize[0]), static_cast<float>(m.cursorY + m.cursorSize[1]),
                           static_cast<float>(m.cursorX + m.cursorSize[2]), static_cast<float>(m.cursorY + m.cursorSize[3])};
  wre_CameraDrawRect2D(m.cursorTexture, m.trueWhiteMaterial, m.cursorUv, target, kCursorDepth, s.camera, 0);
}

}  // namespace

int32_t FrontEndPageDraw(ViewComponents* view) {
  if (!gMenuState || !view || !view->camera) return 0;
  MenuState& m = *gMenuState;
  const WreRect& v = view->camera->viewport;
  const Screen s{view, view->camera, static_cast<float>(v.left + v.right) * 0.5f,
                 static_cast<float>(v.top + v.bottom) * 0.5f};
  switch (gMenuScreen) {
    case kScreenNewGame: NewGamePage(m, s); break;
    case kScreenCircuit: CircuitPage(m, s); break;
    case kScreenPlayer: PlayerPage(m, s); break;
    case kScreenControls: ControlsPage(m, s); break;
    case kScreenOptions: OptionsPage(m, s); break;
    case kScreenHighScores: HighScoresPage(m, s); break;
    case kScreenCircuitRace: CircuitRacePage(m, s); break;
    case kScreenCredits:
    case kScreenDisclaimer:
      // Without its text the page draws nothing, cursor and logo included.
      if (!m.textFile) return 0;
      if (gMenuScreen == kScreenCredits) CreditsPage(m, s);
      else DisclaimerPage(m, s);
      break;
    default: break;
  }
  CursorStep(m, s);
  if (m.logoObject) wre_ObjectMove(m.logoObject, 0, kLogoSpin, 0, 0.0f, 0.0f, 0.0f);
  return 0;
}
