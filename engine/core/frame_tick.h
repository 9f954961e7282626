// The game's copy of the tick for the frame being drawn: the game sets it to gEngineTick once per
// rendered frame and it never runs backwards; the engine start-up and shut-down set it to 0, and
// the engine only reads it elsewhere (particle expiry, ripple drops).
#pragma once
#include <cstdint>

extern uint32_t gFrameTick;
