#include <gtest/gtest.h>

#include "game/world/racer_chain.h"
#include "game/world/watercraft.h"

namespace {

TEST(RacerChain, NewestFirstAndUnlinkJoinsTheNeighbours) {
  Watercraft crafts[3]{};
  for (auto& craft : crafts) ASSERT_EQ(RacerChainLink(&craft), 0);
  EXPECT_EQ(gRacerChainHead, &crafts[2]);
  EXPECT_EQ(gRacerCount, 3);
  EXPECT_EQ(crafts[2].chainNext, &crafts[1]);

  ASSERT_EQ(RacerChainUnlink(&crafts[1]), 0);
  EXPECT_EQ(crafts[2].chainNext, &crafts[0]);
  EXPECT_EQ(crafts[0].chainPrev, &crafts[2]);
  ASSERT_EQ(RacerChainUnlink(&crafts[1]), 0);  // no longer linked: nothing changes
  EXPECT_EQ(gRacerCount, 2);
  RacerChainUnlink(&crafts[2]);
  EXPECT_EQ(gRacerChainHead, &crafts[0]);
  RacerChainUnlink(&crafts[0]);
  EXPECT_EQ(gRacerChainHead, nullptr);
  EXPECT_EQ(gRacerCount, 0);
  EXPECT_EQ(RacerChainLink(nullptr), kWreErrNull);
}

}  // namespace
