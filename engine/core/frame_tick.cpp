#include "engine/core/frame_tick.h"

uint32_t gFrameTick = 0;
