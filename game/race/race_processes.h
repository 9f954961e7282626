// The race's per-tick work on the engine's process list: the fixed set of race processes, the end
// rule of each game mode and the start countdown that holds the race for three seconds.
#pragma once
#include <cstdint>

struct ProcessNode;
struct ViewComponents;

constexpr uint32_t kRaceTimeLimit = 10800;   // ticks: the timed modes' limit
constexpr uint32_t kCountdownTicks = 60;     // one countdown second

// Appends the race processes after the craft processes, in their fixed order, then restarts the
// race clock and every process's interval from now. 0, or the first failing creation or marker
// start (the later processes are not installed). A failing interval reset is fatal.
int32_t RaceProcessesInstall(ViewComponents* view);

// Process callback (the race's ViewComponents): ends the race, setting gRaceOver and
// gRaceFinished, when the running mode's rule is met.
void EndOfRaceCheck(void* view);

// Activates the countdown from the second before its first and installs its process. The
// creation's result.
int32_t CountdownStart();
// Process callback on its own node: voices each new second and, past the third, ends the
// countdown, restarts the race clock, plays the go voice and disposes its own node.
void CountdownProcess(ProcessNode* node);
