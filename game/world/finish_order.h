// The finish order of a race: the crafts that completed it, in the order they finished, with
// their times; and each racer's standing, from that order in Rally or from the scores otherwise.
#pragma once
#include <cstdint>

#include "game/world/watercraft.h"

constexpr int32_t kFinishOrderFull = -1040;
constexpr int32_t kStandingNotFinished = -1020;
constexpr int32_t kStandingTimeLimit = 10800;  // ticks: the limit of the timed modes

inline Watercraft* gFinishOrder[kRacerSlots] = {};
inline int32_t gFinishTime[kRacerSlots] = {};  // ticks since the race clock started
inline int32_t gFinishCount = 0;

// Empties the order (entries beyond the count are never read again). 0.
int32_t FinishOrderReset();

// Appends the craft with the ticks since the race started. 0 (also for a craft already in the
// order, which keeps its first place and time); -1000 for a null craft; -1040 when full.
int32_t RaceFinishRecord(Watercraft* craft);

// The craft's 0-based place and time (either output may be null). Rally: its place and time in
// the finish order and 0, or place -1, time 0 and -1020 when it has not finished. Score modes:
// the number of racers with a strictly higher score and the race time capped at 10800 ticks,
// with -1020. -1 for a null craft.
int32_t RaceStandingGet(const Watercraft* craft, int32_t* place, int32_t* time);
