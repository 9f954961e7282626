// The material index of the water grid's polygons, set by the game's material set-up (0 until then).
#pragma once
#include <cstdint>

inline int32_t gtheWaterMaterial = 0;
