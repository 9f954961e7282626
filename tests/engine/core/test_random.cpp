#include <gtest/gtest.h>

#include <vector>

#include "engine/core/random.h"

namespace {

std::vector<uint32_t> Draw(uint32_t seed, int n) {
  wre_RandomSeed(seed);
  std::vector<uint32_t> out;
  for (int i = 0; i < n; ++i) out.push_back(wre_Random());
  return out;
}

TEST(Random, SeedZeroGivesTheLaggedSumsWorkedByHand) {
  // After the three discarded draws (state[18], [17], [16]) the lags walk down from 15 and 3;
  // the sixth draw reaches back to the first discarded one: 204 + 5145.
  EXPECT_EQ(Draw(0, 5), (std::vector<uint32_t>{1380, 852, 528, 324, 5349}));
}

TEST(Random, TheSeedWrapsAroundIn32Bits) {
  // Seed 2^32 - 1 plus each offset wraps: the words are the offsets less one.
  EXPECT_EQ(Draw(0xFFFFFFFFu, 2), (std::vector<uint32_t>{1376 + 2, 849 + 1}));
}

TEST(Random, TheSameSeedGivesTheSameSequence) {
  EXPECT_EQ(Draw(123456, 100), Draw(123456, 100));
  EXPECT_NE(Draw(123456, 100), Draw(123457, 100));
}

}  // namespace
