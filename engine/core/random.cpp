#include "engine/core/random.h"

namespace {

constexpr uint32_t kSeedOffsets[19] = {1,   1,   2,   3,   4,    8,    13,   21,   54,  75,
                                       129, 204, 323, 527, 850, 1377, 2227, 4243, 5132};
uint32_t gRandomState[19];
int8_t gLagI = 19;
int8_t gLagJ = 7;

}  // namespace

void wre_RandomSeed(uint32_t seed) {
  for (int k = 0; k < 19; ++k) gRandomState[k] = seed + kSeedOffsets[k];
  gLagI = 19;
  gLagJ = 7;
  for (int k = 0; k < 3; ++k) wre_Random();
}

uint32_t wre_Random() {
  if (--gLagI < 0) gLagI = 18;
  if (--gLagJ < 0) gLagJ = 18;
  gRandomState[gLagI] += gRandomState[gLagJ];
  return gRandomState[gLagI];
}
