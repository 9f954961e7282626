// Test hooks of the clock (platform/plat_time.h): a clock that only moves when a test moves it.
//
// Test-only: platform/test/plat_time.h holds what only tests use of platform/plat_time.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include "platform/plat_time.h"

void plat_TestClockReset();                       // counter 0, frequency 1e6, tick count 0, has counter
void plat_TestClockSetHasCounter(bool hasCounter);
void plat_TestClockSetFrequency(int64_t frequency);
void plat_TestClockSetCounter(int64_t count);
void plat_TestClockSetTickCount(uint32_t milliseconds);
// Moves the counter and the tick count together by the given number of microseconds.
void plat_TestClockAdvanceMicroseconds(int64_t microseconds);
