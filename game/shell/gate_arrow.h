// The rally direction arrow over the player's next gate and the compass drawn with the head-up
// display. Both are loaded by the rally set-up and disposed by its exit.
#pragma once
#include <cstdint>

struct EngineObject;

// Null outside a rally race.
inline EngineObject* gArrowObject = nullptr;   // "arrow.c4d"
inline EngineObject* gCompassArrow = nullptr;  // "dir_arrow.c4d"

// One tick (every 2): the arrow's bob. The argument is the race's ViewComponents.
void ArrowBobProcess(void* view);
