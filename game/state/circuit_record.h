// The circuit record: five named circuit slots, each fifty rally races (ten levels by five
// courses) with the place and time of every race run so far. The file reader and writer live in
// circuit_file.h.
#pragma once
#include <cstdint>

constexpr int kCircuitSlots = 5;
constexpr int kCircuitLevels = 10;
constexpr int kCircuitCourses = 5;
constexpr int32_t kCircuitRacePointsMax = 5;  // for a win
constexpr int32_t kCircuitPointsMax = kCircuitLevels * kCircuitCourses * kCircuitRacePointsMax;

struct CircuitRecord {
  int32_t version;
  char slotName[kCircuitSlots][32];  // empty: an unused slot; " " right after a reset
  int32_t slotMeanPlace[kCircuitSlots];
  int32_t slotPoints[kCircuitSlots];
  int32_t slotLevel[kCircuitSlots];   // level of the next race; above 9 the circuit is complete
  int32_t slotCourse[kCircuitSlots];  // rally course 0..4 of the next race
  int32_t slotPlace[kCircuitSlots][kCircuitLevels][kCircuitCourses];
  int32_t slotTime[kCircuitSlots][kCircuitLevels][kCircuitCourses];
};

// Null while no record is loaded.
inline CircuitRecord* gCircuit = nullptr;
