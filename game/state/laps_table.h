// Laps of each level's rally courses. Column 0 also classes the levels: 1 a one-lap level, 2 or
// more a lap-circuit level; the level selection keeps each game mode to its class.
#pragma once
#include <array>
#include <cstdint>

#include "game/state/level_names.h"

constexpr int kCoursesPerLevel = 15;
constexpr int kLapsColumns = 28;

constexpr std::array<std::array<int8_t, kLapsColumns>, kLevelCount> kLapsTable = [] {
  std::array<std::array<int8_t, kLapsColumns>, kLevelCount> table{};
  constexpr int8_t kLaps[kLevelCount] = {1, 1, 4, 1, 4, 4, 1, 1, 4, 4};
  for (int level = 0; level < kLevelCount; ++level)
    for (int course = 0; course < 5; ++course) table[level][course] = kLaps[level];
  return table;
}();
