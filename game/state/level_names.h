// The ten levels' words, which name their data folders ("data:levels:amazon", ...), and the range
// check every loader makes before it uses gLevel.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int32_t kLevelCount = 10;

// True for a level 0..9.
bool LevelInRange(int32_t level);
// The level's word; null outside 0..9.
const char* LevelWord(int32_t level);
// "<prefix><word>" into out (size bytes); false, with out empty, outside 0..9 or when it does not fit.
bool LevelFolderName(const char* prefix, int32_t level, char* out, size_t size);
