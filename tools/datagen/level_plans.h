// The ten sample levels as places: each one's water (its lanes and islands), the ways its rally
// courses take, the way its linear hunts run, and the height of its shore.
#pragma once
#include <array>
#include <cstdint>

#include "tools/datagen/level_water.h"

namespace levelgen {

struct LevelPlan {
  Waters waters;
  std::array<Path, 5> rally;  // closed loops on four-lap levels, open ways on one-lap ones
  Path tour;                  // the linear hunts' way on a one-lap level without a spiral
  bool spiral = false;        // a one-lap level whose linear hunts spiral round its middle
  float tourSpacing = K(40);  // how far apart the linear hunts' dollars stand along the way
  float tourSwing = K(40);    // and how far to either side they may weave
  float landTop = 2500;       // the height of the shore above the water
};

// The plan of level 0-9, its shore measured.
LevelPlan LevelPlanOf(int32_t level);

}  // namespace levelgen
