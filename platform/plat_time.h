// Platform layer: clocks.
#pragma once
#include <cstdint>

// Performance counter: true with the current count (monotonic), false when there is none.
bool plat_QueryPerformanceCounter(int64_t* count);
// Counts per second of the performance counter: true when there is a counter.
bool plat_QueryPerformanceFrequency(int64_t* frequency);
// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t plat_GetTickCount();
