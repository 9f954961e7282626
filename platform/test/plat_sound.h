// Test hooks of sound output (platform/plat_sound.h): the test device opens no output; a test mixes frames
// when it wants them.
//
// Test-only: platform/test/plat_sound.h holds what only tests use of platform/plat_sound.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include <string>
#include <vector>

#include "platform/plat_sound.h"

// One call on a buffer as the test device saw it: event "play", "loop", "stop", "volume" (value:
// attenuation) or "frequency" (value: hertz), with the buffer's label.
struct PlatSoundLogEntry {
  std::string label;
  std::string event;
  int32_t value;
};

void plat_TestSoundReset();  // output rate 44100, device available, empty log
void plat_TestSoundSetOutputRate(int32_t rate);     // takes effect at the next open
void plat_TestSoundSetDeviceAvailable(bool available);
// Mixes the next frames into out (stereo, left first); false when the device is not open.
bool plat_TestSoundRender(int16_t* out, int32_t frames);
// Every play, stop, volume and frequency change since the reset or the last clear, in order.
const std::vector<PlatSoundLogEntry>& plat_TestSoundLog();
void plat_TestSoundLogClear();
