// Test hooks of the compact-disc player and mixer lines (platform/plat_cdaudio.h): every call is counted,
// failures can be scripted, and the lines can be shaped.
//
// Test-only: platform/test/plat_cdaudio.h holds what only tests use of platform/plat_cdaudio.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include "platform/plat_cdaudio.h"

struct PlatCdTestLog {
  int32_t opens, closes, timeFormats, plays, stops;
  int32_t auxSets, mixerOpens, mixerSets, mixerCloses;
  uint32_t lastAuxId, lastAuxVolume;
  uint32_t lastMixerControl, lastMixerValue;
  uintptr_t lastMixerCallback;
  uint32_t lastPlayFirst, lastPlayLast;
};
void plat_TestCdReset();  // log cleared, one aux line of CD technology, mixer range 0..65535, no failures
const PlatCdTestLog* plat_TestCdLog();
void plat_TestCdSetAuxPresent(bool present);
void plat_TestCdSetMixerRange(uint32_t minimum, uint32_t maximum);
void plat_TestCdFailOpen(int32_t code);                       // 0: opening works
void plat_TestCdFailTimeFormat(int32_t callNumber, int32_t code);  // the n-th call (1-based) fails
