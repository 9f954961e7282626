// The sample data tree's largest level, which the benchmarks load to measure the worst case.
#pragma once
#include <cstdint>
#include <filesystem>

#include "game/state/level_names.h"

// The level whose model file under root's "data/levels" is the largest (the first of equals).
inline int32_t LargestLevel(const std::filesystem::path& root) {
  int32_t largest = 0;
  std::uintmax_t size = 0;
  for (int32_t level = 0; level < kLevelCount; ++level) {
    const auto file = root / "data/levels" / LevelWord(level) / "level.brp";
    if (std::filesystem::file_size(file) > size) {
      size = std::filesystem::file_size(file);
      largest = level;
    }
  }
  return largest;
}
