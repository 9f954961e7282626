#include "game/menus/front_end_input.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/core/input.h"
#include "engine/data/cdaudio.h"
#include "engine/data/sound.h"
#include "engine/render/camera.h"
#include "game/menus/confirm_prompt.h"
#include "game/menus/menu_layout.h"
#include "game/menus/menu_select.h"
#include "game/menus/menu_shell.h"
#include "game/menus/race_launch.h"
#include "game/race/game_modes.h"
#include "game/state/circuit_file.h"
#include "game/state/circuit_record.h"
#include "game/state/menu_state.h"
#include "game/state/prefs.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/game_sounds.h"
#include "game/world/joystick.h"

namespace {

constexpr int32_t kLastLevel = 9;
constexpr int32_t kLastSlot = kCircuitSlots - 1;
constexpr int32_t kLastMenuMode = kModeDerby;  // the second rally mode is never offered here
constexpr int32_t kLastModel = 4;
constexpr int32_t kLastRiderTexture = 40;
constexpr int32_t kLastLivery = 49;
constexpr int32_t kLastOpponents = 5;
constexpr int32_t kPercentStep = 5;
constexpr float kControlStep = 0.1f;
constexpr float kControlMax = 10.0f;
constexpr float kScaleMin = 0.1f;  // mouse sensitivity and joystick scale
constexpr float kZoneMin = 0.0f;   // mouse threshold and joystick dead zone

// One event on its way through the stages.
struct Event {
  int32_t typed;
  int32_t held;
  ViewComponents* view;
  MenuState* menu;
  int32_t result = 0;
  bool consumed = false;
};

template <class T>
T Wrap(T value, T low, T high) {
  if (value < low) return high;
  if (value > high) return low;
  return value;
}

bool Printable(int32_t key) { return key >= kNameCharFirst && key <= kNameCharLast; }

// BackSpace and Delete take the last character off; a printable key is added while the text is
// shorter than the limit.
void NameEdit(char* text, int32_t key, int32_t limit) {
  const size_t length = std::strlen(text);
  if (key == kKeyBackSpace || key == kKeyDelete) {
    if (length > 0) text[length - 1] = '\0';
  } else if (Printable(key) && length < static_cast<size_t>(limit)) {
    text[length] = static_cast<char>(key);
    text[length + 1] = '\0';
  }
}

bool ItemHit(const Event& e, int32_t item, int32_t x, int32_t y, float scale) {
  return MenuItemHitTest(e.menu->cursorX, e.menu->cursorY, item, false, x, y, scale, scale);
}

bool RectHit(const Event& e, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return MenuPointInRect(e.menu->cursorX, e.menu->cursorY, MenuRect{left, top, right, bottom});
}

void CourseNamesReload(MenuState* menu) { CourseNamesRead(menu->courseNames, menu->selectedLevel); }

bool SlotValid(int32_t slot) { return gCircuit && slot >= 0 && slot < kCircuitSlots; }

bool SlotHasProgress(int32_t slot) {
  return SlotValid(slot) && (gCircuit->slotLevel[slot] != 0 || gCircuit->slotCourse[slot] != 0);
}

// Asked before a slot with progress is overwritten; yes starts its circuit again under its name,
// so no points or results of the old circuit count in the new one.
bool SlotOverwriteConfirmed(const Event& e, int32_t slot) {
  if (!ConfirmPromptShow(kCircuitOverwriteQuestion, e.view)) return false;
  CircuitSlotRestart(slot);
  return true;
}

void SlotNameToTypedText(MenuState* menu) {
  if (SlotValid(menu->slotIndex))
    std::snprintf(menu->typedText, sizeof(menu->typedText), "%s", gCircuit->slotName[menu->slotIndex]);
}

// ---- stage 1: the typed key -----------------------------------------------------------------

void NewGameLevelStep(MenuState* menu, int32_t step) {
  menu->selectedLevel = Wrap(menu->selectedLevel + step, 0, kLastLevel);
  gCourse = 0;
  CourseSelectClamp();
  LevelSelectWrap(step < 0 ? kLevelStepBack : kLevelStepForward);
}

void CircuitTyping(Event& e) {
  const int32_t key = e.typed;
  const bool stepping =
      key == kKeyLeft || key == kKeyUp || key == kKeyRight || key == kKeyDown || key == kKeyReturn;
  if (!stepping && SlotHasProgress(e.menu->slotIndex) && !SlotOverwriteConfirmed(e, e.menu->slotIndex)) return;
  NameEdit(e.menu->typedText, key, kCircuitNameLimit);
}

void CaptureAssign(MenuState* menu, int32_t held) {
  if (held != kKeyEscape && menu->captureTarget) {
    int32_t code = held;
    if (code >= 'a' && code <= 'z') code -= 'a' - 'A';
    *menu->captureTarget = code;
  }
  menu->captureTarget = nullptr;
  menu->captureWaiting = 0;
}

void HighScoreTableStep(MenuState* menu, int32_t step) {
  menu->slotIndex += step;
  wre_SoundPlay(menu->flipSound, 0);
  menu->slotIndex = Wrap(menu->slotIndex, 0, kLastSlot);
}

void TypedKeyStage(Event& e) {
  MenuState* menu = e.menu;
  const int32_t key = e.typed;
  switch (gMenuScreen) {
    case kScreenNewGame:
      if (key == kKeyLeft || key == kKeyRight) {
        NewGameLevelStep(menu, key == kKeyLeft ? -1 : 1);
        CourseNamesReload(menu);
        e.consumed = true;
      } else if (key == kKeyReturn) {
        e.result = RaceLaunchFromMenu();
        e.consumed = true;
      }
      break;
    case kScreenCircuit:
      if (key != 0) CircuitTyping(e);
      break;
    case kScreenPlayer:
      NameEdit(gSettings.playerName, key, kPlayerNameLimit);
      break;
    case kScreenControls:
      if (menu->captureWaiting && e.held != 0) {
        CaptureAssign(menu, e.held);
        e.consumed = true;
      } else if (key == 'c' || key == 'C') {
        JoystickCalibrate();
      }
      break;
    case kScreenHighScores:
      if (key == kKeyLeft || key == kKeyRight) {
        HighScoreTableStep(menu, key == kKeyLeft ? -1 : 1);
        e.consumed = true;
      }
      break;
    case kScreenQuit:
      if (key == kKeyReturn) gMenuQuit = 1;
      break;
    case kScreenDisclaimer:
      if (key != 0 || wre_MouseButtonState()) {
        e.result = MenuScreenSwitch(e.view, kScreenNewGame, false);
        wre_InputFlush();
        e.consumed = true;
      }
      break;
    default:
      break;
  }
}

// ---- stage 3: page stepping -----------------------------------------------------------------

void PageStep(Event& e) {
  int32_t next = e.typed == kKeyUp ? gMenuScreen - 1 : gMenuScreen + 1;
  if (next < kScreenNewGame) next = kScreenQuit;
  if (next > kScreenQuit) next = kScreenNewGame;
  e.result = MenuScreenSwitch(e.view, next, false);
  e.consumed = true;
  CourseSelectClamp();
  LevelSelectWrap(kLevelStepForward);
}

// ---- stage 4: the mouse ---------------------------------------------------------------------

bool TabColumnClick(Event& e) {
  const int32_t* b = e.menu->tabBounds;
  if (!MenuScreenIsTab() || !RectHit(e, b[0], b[1], b[2], b[3])) return false;
  for (int32_t id : kMenuTabHitOrder) {
    MenuRect r;
    if (!MenuPointInRect(e.menu->cursorX, e.menu->cursorY, *MenuTabRectGet(&r, id))) continue;
    if (id == kScreenQuit) gMenuQuit = 1;
    e.result = MenuScreenSwitch(e.view, id, false);
    break;
  }
  return true;
}

bool NewGameClick(Event& e) {
  MenuState* menu = e.menu;
  const int32_t before = menu->selectedLevel;
  bool levelOrCourse = true;
  if (ItemHit(e, kItemDecrease, 210, 270, 0.7f)) {
    NewGameLevelStep(menu, -1);
  } else if (ItemHit(e, kItemIncrease, 565, 270, 0.7f)) {
    NewGameLevelStep(menu, 1);
  } else if (ItemHit(e, kItemDecrease, 210, 435, 1.0f)) {
    --gCourse;
  } else if (ItemHit(e, kItemIncrease, 565, 435, 1.0f)) {
    ++gCourse;
  } else if (ItemHit(e, kItemDecrease, 210, 390, 0.7f) || ItemHit(e, kItemIncrease, 565, 390, 0.7f)) {
    levelOrCourse = false;
    gGameMode = Wrap(gGameMode + (ItemHit(e, kItemDecrease, 210, 390, 0.7f) ? -1 : 1), 0, kLastMenuMode);
    gCourse = 0;
    menu->selectedLevel = 0;
    LevelSelectWrap(kLevelStepForward);
    CourseSelectClamp();
  } else if (RectHit(e, 248, 101, 483, 255)) {
    e.result = RaceLaunchFromMenu();
    return true;
  } else {
    return false;
  }
  if (levelOrCourse) {
    menu->selectedLevel = Wrap(menu->selectedLevel, 0, kLastLevel);
    CourseSelectClamp();
  }
  if (menu->selectedLevel != before) CourseNamesReload(menu);
  return true;
}

bool CircuitSlotAct(Event& e) {
  MenuState* menu = e.menu;
  const int32_t slot = menu->slotIndex;
  if (ItemHit(e, kItemDecrease, 410, 350, 0.7f)) {
    menu->slotIndex = Wrap(slot - 1, 0, kLastSlot);
    return true;
  }
  if (ItemHit(e, kItemIncrease, 450, 350, 0.7f)) {
    menu->slotIndex = Wrap(slot + 1, 0, kLastSlot);
    return true;
  }
  // A completed slot cannot be continued; the click goes on to the later controls.
  if (RectHit(e, 320, 350, 379, 374) && SlotValid(slot) && gCircuit->slotLevel[slot] <= kLastLevel) {
    e.result = CircuitRun(e.view);
    return true;
  }
  if (RectHit(e, 250, 350, 303, 376)) {
    if (!SlotHasProgress(slot) || SlotOverwriteConfirmed(e, slot)) e.result = CircuitNameCommit(e.view);
    return true;
  }
  const int32_t right = e.view && e.view->camera ? e.view->camera->viewport.right : 0;
  for (int32_t s = 0; s < kCircuitSlots; ++s) {
    if (RectHit(e, 260, 80 + 50 * s, right, 130 + 50 * s)) {
      menu->slotIndex = s;
      return true;
    }
  }
  return false;
}

bool CircuitClick(Event& e) {
  const int32_t before = e.menu->slotIndex;
  const bool acted = CircuitSlotAct(e);
  if (e.menu->slotIndex != before) SlotNameToTypedText(e.menu);
  return acted;
}

struct PlayerRow {
  int32_t y;
  int32_t Settings::*field;
  int32_t last;  // the range is 0..last
};

constexpr PlayerRow kPlayerRows[] = {
    {70, &Settings::riderSex, 1},         {350, &Settings::playerModel, kLastModel},
    {385, &Settings::playerLivery, kLastLivery}, {105, &Settings::riderTexture, kLastRiderTexture},
    {415, &Settings::opponentCount, kLastOpponents},
};

bool PlayerClick(Event& e) {
  for (const PlayerRow& row : kPlayerRows) {
    const bool back = ItemHit(e, kItemDecrease, 285, row.y, 0.5f);
    if (!back && !ItemHit(e, kItemIncrease, 315, row.y, 0.5f)) continue;
    int32_t& value = gSettings.*row.field;
    if (row.field == &Settings::riderSex) {
      value = value == 0 ? 1 : 0;
    } else {
      value = Wrap(value + (back ? -1 : 1), 0, row.last);
    }
    // The opponents do not show on the turntable; everything else rebuilds its racer.
    if (row.field != &Settings::opponentCount && PreviewRacerBuild(e.view) != 0) e.result = -1;
    return true;
  }
  return false;
}

struct KeyBox {
  int32_t x, y;
  int32_t Settings::*field;
};

constexpr KeyBox kKeyBoxes[] = {
    {290, 96, &Settings::keyLeft},   {503, 96, &Settings::keyRight}, {400, 46, &Settings::keyThrottle},
    {303, 146, &Settings::keyPause}, {511, 146, &Settings::keyView},
};

struct StepRow {
  int32_t backX, onX, y;
  float Settings::*field;
  float low;
};

constexpr StepRow kControlRows[] = {
    {410, 440, 235, &Settings::mouseSensitivity, kScaleMin},
    {410, 440, 265, &Settings::mouseThreshold, kZoneMin},
    {430, 460, 335, &Settings::joystickScale, kScaleMin},
    {430, 460, 365, &Settings::joystickDeadZone, kZoneMin},
};

constexpr float kControlScale = 0.45f;

bool ControlsClick(Event& e) {
  MenuState* menu = e.menu;
  for (const KeyBox& box : kKeyBoxes) {
    if (MenuRectHitTest(menu->cursorX, menu->cursorY, box.x, box.y, 1.4f, 0.35f)) {
      menu->captureWaiting = 1;
      menu->captureTarget = &(gSettings.*box.field);
      return true;
    }
  }
  if (ItemHit(e, kItemIncrease, 350, 205, kControlScale)) {
    gSettings.mouseOn = gSettings.mouseOn == 0 ? 1 : 0;
    return true;
  }
  if (ItemHit(e, kItemIncrease, 370, 305, kControlScale)) {
    gSettings.joystickOn = gSettings.joystickOn == 0 ? 1 : 0;
    return true;
  }
  for (const StepRow& row : kControlRows) {
    const bool back = ItemHit(e, kItemDecrease, row.backX, row.y, kControlScale);
    if (!back && !ItemHit(e, kItemIncrease, row.onX, row.y, kControlScale)) continue;
    float& value = gSettings.*row.field;
    value = Wrap(value + (back ? -kControlStep : kControlStep), row.low, kControlMax);
    return true;
  }
  return false;
}

struct PercentRow {
  int32_t y;
  int32_t Settings::*field;
};

constexpr PercentRow kOptionRows[] = {
    {25, &Settings::soundVolume},
    {110, &Settings::musicVolume},
    {195, &Settings::viewDistance},
    {280, &Settings::detail},
};

void VolumeApply(int32_t Settings::*field) {
  if (field == &Settings::soundVolume) {
    wre_SoundSetMasterVolume(PrefsEffectsVolume(gSettings.soundVolume));
  } else if (field == &Settings::musicVolume) {
    CdAudioSetVolume(PrefsMusicVolume(gSettings.musicVolume));
    MusicVolumeApply();
  }
}

bool OptionsClick(Event& e) {
  for (const PercentRow& row : kOptionRows) {
    int32_t step = 0;
    if (ItemHit(e, kItemDecrease, 245, row.y, 1.0f)) step -= kPercentStep;
    if (ItemHit(e, kItemIncrease, 540, row.y, 1.0f)) step += kPercentStep;
    int32_t& value = gSettings.*row.field;
    const int32_t changed = std::clamp(value + step, 0, 100);
    if (changed == value) continue;
    value = changed;
    VolumeApply(row.field);
    return true;
  }
  if (RectHit(e, 405, 405, 565, 428)) {
    gMenuQuit = 1;
    gRestartRequested = 1;
    gSettings.rendererKind = -1;
    return true;
  }
  return false;
}

bool HighScoresClick(Event& e) {
  if (ItemHit(e, kItemDecrease, 360, 400, 0.7f)) {
    HighScoreTableStep(e.menu, -1);
    return true;
  }
  if (ItemHit(e, kItemIncrease, 440, 400, 0.7f)) {
    HighScoreTableStep(e.menu, 1);
    return true;
  }
  return false;
}

bool CircuitRaceClick(Event& e) {
  if (RectHit(e, 310, 370, 384, 396)) {
    e.menu->pageResult = 1;
    return true;
  }
  if (RectHit(e, 400, 370, 453, 396)) {
    e.menu->pageResult = -1;
    return true;
  }
  return false;
}

bool PageClick(Event& e) {
  switch (gMenuScreen) {
    case kScreenNewGame: return NewGameClick(e);
    case kScreenCircuit: return CircuitClick(e);
    case kScreenPlayer: return PlayerClick(e);
    case kScreenControls: return ControlsClick(e);
    case kScreenOptions: return OptionsClick(e);
    case kScreenHighScores: return HighScoresClick(e);
    case kScreenCircuitRace: return CircuitRaceClick(e);
    default: return false;
  }
}

}  // namespace

int32_t FrontEndPageInput(int32_t typed, int32_t held, ViewComponents* view) {
  MenuState* menu = gMenuState;
  if (!menu) return 0;
  Event e{typed, held, view, menu};
  TypedKeyStage(e);
  // While the controls page waits for a key to assign, nothing else acts.
  if (menu->captureWaiting) {
    wre_InputFlush();
    return 0;
  }
  // Only the tab screens step; the circuit race page is left through its own two buttons.
  if (!e.consumed && MenuScreenIsTab() && (typed == kKeyUp || typed == kKeyDown)) PageStep(e);
  if (wre_MouseButtonState()) {
    if (TabColumnClick(e) || PageClick(e)) e.consumed = true;
  }
  if (e.consumed) wre_InputFlush();
  return e.result;
}
