// The extent of the loaded level, measured by the level load over every object of the world.
#pragma once

inline float gLevelBoundsMinX = 0.0f;
inline float gLevelBoundsMinY = 0.0f;
inline float gLevelBoundsMinZ = 0.0f;
inline float gLevelBoundsMaxX = 0.0f;
inline float gLevelBoundsMaxY = 0.0f;
inline float gLevelBoundsMaxZ = 0.0f;
