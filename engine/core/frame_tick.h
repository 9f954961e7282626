// The game's copy of the tick for the frame being drawn.
#pragma once
#include <cstdint>

// Set by the game to gEngineTick once per rendered frame; it never runs backwards. The engine start
// and shut-down set it to 0; everything else in the engine only reads it (particle expiry, ripple
// drop timing).
extern uint32_t gFrameTick;
