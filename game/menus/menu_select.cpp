#include "game/menus/menu_select.h"

#include "game/state/laps_table.h"
#include "game/state/menu_state.h"
#include "game/state/settings.h"

namespace {

bool IsTab(int32_t screen) { return screen >= kScreenNewGame && screen <= kScreenQuit; }

int32_t Wrap(int32_t level) {
  if (level < 0) return kLevelCount - 1;
  if (level >= kLevelCount) return 0;
  return level;
}

// Whether the mode may use the level; column 0 of the laps table classes the levels.
bool LevelSuitsMode(int32_t level, int32_t mode) {
  int8_t laps = kLapsTable[level][0];
  if (mode == kModeTreasureLinear) return laps <= 1;
  if (mode == kModeTreasureRoam || mode == kModeDerby) return laps >= 2;
  return true;
}

}  // namespace

bool MenuScreenIsTab() { return IsTab(gMenuScreen); }

bool MenuScreenIsTabOrCircuit() { return IsTab(gMenuScreen) || gMenuScreen == kScreenCircuitRace; }

void LevelSelectWrap(int32_t direction) {
  if (!gMenuState) return;
  int32_t step = direction == kLevelStepBack ? -1 : 1;
  int32_t level = Wrap(gMenuState->selectedLevel);
  // Each class holds five levels, so the walk always ends.
  while (!LevelSuitsMode(level, gGameMode)) {
    level = Wrap(level + step);
    gCourse = 0;
  }
  gMenuState->selectedLevel = level;
}

void CourseSelectClamp() {
  int32_t first;
  switch (gGameMode) {
    case kModeRally:
    case kModeRallyVariant:
      first = 0;
      break;
    case kModeTreasureLinear:
    case kModeTreasureRoam:
      first = 5;
      break;
    case kModeDerby:
      first = 10;
      break;
    default:
      return;
  }
  int32_t last = first + 4;
  if (gCourse < first) gCourse = last;
  else if (gCourse > last) gCourse = first;
}
