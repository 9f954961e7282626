#include "game/menus/race_launch.h"

#include <algorithm>
#include <cstdint>

#include "engine/core/strings.h"
#include "engine/core/wre_types.h"
#include "game/menus/circuit_win_screen.h"
#include "game/menus/confirm_prompt.h"
#include "game/menus/menu_frame.h"
#include "game/menus/menu_shell.h"
#include "game/menus/test/race_launch.h"
#include "game/race/game_modes.h"
#include "game/race/race_driver.h"
#include "game/state/circuit_file.h"
#include "game/state/circuit_record.h"
#include "game/state/game_view.h"
#include "game/state/menu_state.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/scores.h"
#include "game/state/settings.h"
#include "platform/plat_window.h"

namespace {

constexpr int32_t kLastCircuitLevel = kCircuitLevels - 1;
constexpr int32_t kPageLeave = -1;
constexpr const char* kOverwriteQuestion = "This will overwrite the current circuit!";

RaceRunner gRunner;

int32_t RunRace(ViewComponents* view) { return gRunner ? gRunner(view) : RaceRun(view); }

bool SlotComplete(const CircuitRecord& circuit, int32_t slot) {
  return circuit.slotLevel[slot] > kLastCircuitLevel || circuit.slotLevel[slot] == -1;
}

// The mean of the 0-based places of the slot's races from the first up to and including the one
// at (level, course), in running order.
int32_t MeanPlace(const CircuitRecord& circuit, int32_t slot, int32_t level, int32_t course) {
  int64_t sum = 0;  // fifty places of any int32 cannot overflow it
  int32_t races = 0;
  for (int32_t l = 0; l <= level; ++l) {
    const int32_t lastCourse = l == level ? course : kCircuitCourses - 1;
    for (int32_t c = 0; c <= lastCourse; ++c, ++races) sum += circuit.slotPlace[slot][l][c];
  }
  return static_cast<int32_t>(sum / races);
}

// Stores, scores and saves the race just run at the slot's level and course, and moves the slot on.
void CircuitRaceCount(CircuitRecord& circuit, int32_t slot) {
  CircuitRaceScore(circuit, slot, gPlayerPlace, gPlayerTime);
  gLevel = circuit.slotLevel[slot];
  gCourse = circuit.slotCourse[slot];
  gCircuitRace = 1;
  ScoresInsertResult(gPlayerPlace, gPlayerTime, gPlayerScore);
  gCircuitRace = 0;
  // All three files saved after every counted race, not the settings alone with the rest left to
  // shut-down, so that a later fatal stop or kill loses none of the circuit's results.
  PrefsSave();
  CircuitSave();
  ScoresSave();
}

// The circuit's races from the slot's next one until it is complete, the page is left, or a page
// frame or a race fails.
int32_t CircuitRaces(CircuitRecord& circuit, int32_t slot, ViewComponents* view) {
  int32_t result = 0;
  uint8_t cancel = 0;
  while (result == 0 && !cancel && circuit.slotLevel[slot] <= kLastCircuitLevel) {
    CourseNamesRead(gMenuState->courseNames, gLevel);
    result = FrontEndPageWait(&cancel, view);
    if (cancel || result != 0 || circuit.slotLevel[slot] > kLastCircuitLevel) break;
    MenuResourcesUnload();
    RaceActiveSet(1);
    gQuitRequested = 0;
    gRaceFinished = 0;  // a race that fails before its end leaves nothing to count
    result = RunRace(gView);
    RaceActiveSet(0);
    if (gRaceFinished && !gQuitRequested) CircuitRaceCount(circuit, slot);
    MenuResourcesLoad();
  }
  return result;
}

}  // namespace

void RaceLaunchSetRunner(RaceRunner runner) { gRunner = std::move(runner); }

int32_t CircuitPointsForPlace(int32_t place) {
  switch (place) {
    case 0:
      return 5;
    case 1:
      return 4;
    case 2:
      return 3;
    default:
      return 1;
  }
}

void CircuitRaceScore(CircuitRecord& circuit, int32_t slot, int32_t place, int32_t time) {
  if (slot < 0 || slot >= kCircuitSlots) return;
  const int32_t level = circuit.slotLevel[slot];
  const int32_t course = circuit.slotCourse[slot];
  if (level < 0 || level > kLastCircuitLevel || course < 0 || course >= kCircuitCourses) return;
  circuit.slotPlace[slot][level][course] = place;
  circuit.slotTime[slot][level][course] = time;
  // Held at the top of the range rather than wrapping to a negative total.
  const int64_t points = int64_t{circuit.slotPoints[slot]} + CircuitPointsForPlace(place);
  circuit.slotPoints[slot] = static_cast<int32_t>(std::min<int64_t>(points, INT32_MAX));
  circuit.slotMeanPlace[slot] = MeanPlace(circuit, slot, level, course);
  if (++circuit.slotCourse[slot] >= kCircuitCourses) {
    circuit.slotCourse[slot] = 0;
    ++circuit.slotLevel[slot];
  }
}

int32_t RaceLaunchFromMenu() {
  MenuResourcesUnload();
  gLevel = gMenuState->selectedLevel;
  gHighScoreEntered = 0;
  RaceActiveSet(1);
  const int32_t result = RunRace(gView);
  RaceActiveSet(0);
  if (gRaceFinished && gHighScoreEntered) {
    gMenuScreen = kScreenHighScores;  // entered at the next frame update
    gMenuState->slotIndex = gGameMode;
  }
  MenuResourcesLoad();
  return result;
}

int32_t CircuitNameCommit(ViewComponents* view) {
  if (!gMenuState || !gCircuit) return kWreErrNull;
  if (gMenuState->typedText[0] == '\0') return 0;
  const int32_t slot = gMenuState->slotIndex;
  if (const int32_t reset = CircuitSlotReset(slot); reset != 0) return reset;
  wre_StringCopyN(gMenuState->typedText, gCircuit->slotName[slot], sizeof gCircuit->slotName[slot], 1);
  return CircuitRun(view);
}

int32_t CircuitRun(ViewComponents* view) {
  if (!gMenuState || !gCircuit) return kWreErrNull;
  CircuitRecord& circuit = *gCircuit;
  const int32_t slot = gMenuState->slotIndex;
  if (slot < 0 || slot >= kCircuitSlots) return kWreErrRange;
  if (circuit.slotName[slot][0] == '\0') return 0;
  if (SlotComplete(circuit, slot)) {
    if (!ConfirmPromptShow(kOverwriteQuestion, view)) return 0;
    // The whole slot starts again, not only its level and course: its old points and places would
    // otherwise count in the new circuit.
    if (const int32_t reset = CircuitSlotRestart(slot); reset != 0) return reset;
  }

  const int32_t keptMode = gGameMode;
  const int32_t keptScreen = gMenuScreen;
  const int32_t keptOpponents = gSettings.opponentCount;
  gCircuitSlot = slot;
  gLevel = circuit.slotLevel[slot];
  gCourse = circuit.slotCourse[slot];
  gGameMode = kModeRally;
  gSettings.opponentCount = kCircuitOpponents;
  gPlayerOpponentCount = keptOpponents;
  MenuScreenSwitch(view, kScreenCircuitRace, true);

  const int32_t result = CircuitRaces(circuit, slot, view);
  if (circuit.slotLevel[slot] > kLastCircuitLevel) CircuitWinScreenShow(view);

  MenuScreenSwitch(view, keptScreen, true);
  gGameMode = keptMode;
  gSettings.opponentCount = keptOpponents;
  gPlayerOpponentCount = -1;
  return result;
}

int32_t FrontEndPageWait(uint8_t* cancel, ViewComponents* view) {
  if (!cancel || !view || !gMenuState) return kWreErrNull;
  *cancel = 0;
  gMenuState->pageResult = 0;
  int32_t result = 0;
  while (gMenuState->pageResult == 0) {
    // The page cannot be answered once the program is winding down.
    if (gMenuQuit || plat_QuitRequested()) {
      *cancel = 1;
      return result;
    }
    result = MenuFrameRender();
    if (result != 0) break;
  }
  if (gMenuState->pageResult == kPageLeave) *cancel = 1;
  return result;
}
