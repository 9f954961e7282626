// Race-wide globals: how the last race ended and the player's result, the lap count, where the
// racers start and the circuit flag that the high-score insertion reads.
#pragma once
#include <cstdint>

#include "engine/core/transform.h"

constexpr int kRacerSlots = 6;  // the player and up to five computer riders; places run 0..5

inline uint8_t gRaceOver = 0;          // ends the race loop
inline uint8_t gRaceFinished = 0;      // the race ended by its rule, not by quitting
inline uint8_t gQuitRequested = 0;     // the player quit from the pause prompt
inline uint8_t gHighScoreEntered = 0;  // the result entered a high-score table
inline int32_t gPlayerPlace = 0;       // 0-based
inline int32_t gPlayerTime = 0;        // ticks
inline int32_t gPlayerScore = 0;

inline int32_t gLapCount = 0;     // laps to finish the running rally course
// The course's start, facing the first gate: the racers' grid stands about it.
inline Transform gStartTransform{};
inline uint8_t gCircuitRace = 0;  // set only around the circuit loop's own score insertion
