// Races started from the front end: a single race from the new-game page, and the circuit of the
// selected slot, named anew or resumed.
#pragma once
#include <cstdint>

struct ViewComponents;

// Runs one race of the selected level, course and mode; the race driver's result.
int32_t RaceLaunchFromMenu();
// Starts a new circuit in the selected slot under the typed name, then runs it; CircuitRun's
// result.
int32_t CircuitNameCommit(ViewComponents* view);
// Runs or resumes the circuit of the selected slot; 0, or the first failing race's result.
int32_t CircuitRun(ViewComponents* view);
