// Races started from the front end: a single race from the new-game page, and the circuit of the
// selected slot (fifty rally races, five courses on each of the ten levels, against three computer
// riders), named anew or resumed, scored by finishing place, with the wait for the between-races
// page.
#pragma once
#include <cstdint>

struct CircuitRecord;
struct ViewComponents;

constexpr int32_t kCircuitOpponents = 3;

// Runs one race of the selected level in the current mode and course between the menus' release
// and reload; the race driver's result. A finished race that entered a score returns to the
// high-score screen on its mode's table.
int32_t RaceLaunchFromMenu();

// Starts a new circuit in the selected slot under the typed text, then runs it. 0 for an empty
// text; the slot reset's error; otherwise CircuitRun's result.
int32_t CircuitNameCommit(ViewComponents* view);

// Runs or resumes the circuit of the selected slot until it is complete, the between-races page is
// left, or a race or frame fails (that error is returned, else 0). A complete slot starts over
// only when the player confirms, keeping its name. Each finished race that was not quit is stored,
// scored and saved (circuit, scores and settings files); mode, opponent count and screen are
// restored on every exit.
int32_t CircuitRun(ViewComponents* view);

// Menu frames until the between-races page answers; the cancel flag is set when it answered
// leave, or when the program was asked to quit. The last frame's result (0 when none failed);
// -1000 when either argument is null.
int32_t FrontEndPageWait(uint8_t* cancel, ViewComponents* view);

// The points of a counted circuit race by its 0-based place: 5, 4, 3, then 1.
int32_t CircuitPointsForPlace(int32_t place);
// Enters a finished race of the slot's next level and course: its place and time, the points for
// the place (held at the top of the int range), the mean place of the races so far, and the slot
// moved on to its next race. Nothing for a slot outside 0..4 or one that is complete.
void CircuitRaceScore(CircuitRecord& circuit, int32_t slot, int32_t place, int32_t time);
