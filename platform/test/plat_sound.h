// Test hooks of sound output (platform/plat_sound.h): the test device opens no output; a test mixes frames
// when it wants them.
//
// Test-only: platform/test/plat_sound.h holds what only tests use of platform/plat_sound.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include "platform/plat_sound.h"

void plat_TestSoundReset();                         // output rate 44100, device available
void plat_TestSoundSetOutputRate(int32_t rate);     // takes effect at the next open
void plat_TestSoundSetDeviceAvailable(bool available);
// Mixes the next frames into out (stereo, left first); false when the device is not open.
bool plat_TestSoundRender(int16_t* out, int32_t frames);
