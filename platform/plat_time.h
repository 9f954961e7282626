// Platform layer: clocks.
#pragma once
#include <cstdint>

// Performance counter: true with the current count (monotonic), false when there is none.
bool plat_QueryPerformanceCounter(int64_t* count);
// Counts per second of the performance counter: true when there is a counter.
bool plat_QueryPerformanceFrequency(int64_t* frequency);
// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t plat_GetTickCount();

// Test back end: a clock that only moves when a test moves it.
void plat_TestClockReset();                       // counter 0, frequency 1e6, tick count 0, has counter
void plat_TestClockSetHasCounter(bool hasCounter);
void plat_TestClockSetFrequency(int64_t frequency);
void plat_TestClockSetCounter(int64_t count);
void plat_TestClockSetTickCount(uint32_t milliseconds);
// Moves the counter and the tick count together by the given number of microseconds.
void plat_TestClockAdvanceMicroseconds(int64_t microseconds);
