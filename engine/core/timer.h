// The tick clock: game time in ticks, 59.8 to the second.
#pragma once
#include <cstdint>

extern uint32_t gEngineTick;

// Picks the clock source (the performance counter when there is one, else the millisecond count)
// and takes the start value.
void wre_TimerInit();
// Reads the clock, updates gEngineTick and returns it.
uint32_t wre_TimerTick();
// gEngineTick as the last tick left it.
uint32_t wre_TimerGetTick();
