// Reads arbitrary bytes as the settings file "prefs.qz": whatever it holds, the settings that come
// back stay within what the pages keep and the player's name is terminated.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/state/prefs.h"
#include "game/state/settings.h"

namespace {

bool Within(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }
bool Within(float value, float low, float high) { return std::isfinite(value) && value >= low && value <= high; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PrefsRead(data, size);
  const Settings& s = gSettings;
  bool sound = Within(s.opponentCount, 0, 5) && Within(s.playerModel, 0, 4) && Within(s.riderSex, 0, 1) &&
               Within(s.playerLivery, 0, 49) && Within(s.riderTexture, 0, 40) && Within(s.soundVolume, 0, 100) &&
               Within(s.musicVolume, 0, 100) && Within(s.viewDistance, 0, 100) && Within(s.detail, 0, 100) &&
               s.launchCount >= 0 && Within(s.mouseSensitivity, 0.0f, 10.01f) &&
               Within(s.mouseThreshold, -0.01f, 10.01f) && Within(s.joystickScale, 0.0f, 10.01f) &&
               Within(s.joystickDeadZone, -0.01f, 10.01f) && std::memchr(s.playerName, 0, sizeof(s.playerName));
  if (!sound) __builtin_trap();
  return 0;
}
