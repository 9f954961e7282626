#include <gtest/gtest.h>

#include "engine/core/memory.h"
#include "game/world/texture_slots.h"

namespace {

TEST(TextureSlots, TablesAreMadeEmptyForgottenByResetAndFreed) {
  wre_MemoryInit();
  ASSERT_EQ(TextureSlotsAlloc(), 0);
  ASSERT_NE(gRiderSlots, nullptr);
  for (TextureSlot* table : gLiverySlots) {
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table[kLiverySlots - 1].count, 0);
    EXPECT_EQ(table[kLiverySlots - 1].texture, -1);
  }
  gRiderSlots[40] = TextureSlot{2, 7};
  gLiverySlots[4][49] = TextureSlot{1, 9};
  TextureSlotsReset();
  EXPECT_EQ(gRiderSlots[40].count, 0);
  EXPECT_EQ(gRiderSlots[40].texture, -1);
  EXPECT_EQ(gLiverySlots[4][49].texture, -1);
  EXPECT_EQ(TextureSlotsFree(), 0);
  EXPECT_EQ(gRiderSlots, nullptr);
  EXPECT_EQ(gLiverySlots[2], nullptr);
  TextureSlotsReset();  // nothing to clear
}

}  // namespace
