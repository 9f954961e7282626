#include "game/state/level_names.h"

#include <cstdio>

namespace {

constexpr const char* kLevelWords[kLevelCount] = {"amazon",   "bahama", "bermuda", "colorado", "hongkong",
                                                  "lakeside", "nile",   "penguin", "venice",   "victoria"};

}  // namespace

bool LevelInRange(int32_t level) { return level >= 0 && level < kLevelCount; }

const char* LevelWord(int32_t level) { return LevelInRange(level) ? kLevelWords[level] : nullptr; }

bool LevelFolderName(const char* prefix, int32_t level, char* out, size_t size) {
  if (!out || size == 0) return false;
  out[0] = '\0';
  if (!prefix || !LevelInRange(level)) return false;
  const int written = std::snprintf(out, size, "%s%s", prefix, kLevelWords[level]);
  if (written < 0 || static_cast<size_t>(written) >= size) {
    out[0] = '\0';
    return false;
  }
  return true;
}
