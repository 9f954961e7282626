// The high-score record: five tables of five entries (rally, derby, the two treasure hunts and
// completed circuits), entry 0 the best. Its field order is the order of the file "scores.qz";
// the file reader and writer and the insertion live in scores.h.
#pragma once
#include <cstdint>

constexpr int kScoreEntries = 5;

struct ScoresRecord {
  int32_t version;
  char rallyName[kScoreEntries][32];
  int32_t rallyPlace[kScoreEntries];  // 0-based finishing place
  int32_t rallyTime[kScoreEntries];   // ticks, compared unsigned
  int32_t rallyLevel[kScoreEntries];  // -1 marks an empty entry
  int32_t rallyCourse[kScoreEntries];
  char derbyName[kScoreEntries][32];
  int32_t derbyScore[kScoreEntries];
  int32_t derbyLevel[kScoreEntries];
  char roamName[kScoreEntries][32];
  int32_t roamScore[kScoreEntries];
  int32_t roamTime[kScoreEntries];
  int32_t roamLevel[kScoreEntries];
  char linearName[kScoreEntries][32];
  int32_t linearScore[kScoreEntries];
  int32_t linearTime[kScoreEntries];
  int32_t linearLevel[kScoreEntries];
  char circuitName[kScoreEntries][32];
  int32_t circuitPoints[kScoreEntries];  // -1 marks an empty entry
};

// Null while no record is loaded.
inline ScoresRecord* gScores = nullptr;
