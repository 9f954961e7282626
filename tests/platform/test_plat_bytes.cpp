#include <gtest/gtest.h>

#include "platform/plat_bytes.h"
#include "platform/plat_pixels.h"

namespace {

// 1.0f is 0x3F800000.
const uint8_t kBytes[] = {0x01, 0x02, 0x03, 0x84, 0x3F, 0x80, 0x00, 0x00};

TEST(PlatBytes, ValuesTakeTheirByteOrder) {
  EXPECT_EQ(plat_Le16(kBytes), 0x0201u);
  EXPECT_EQ(plat_Be16(kBytes), 0x0102u);
  EXPECT_EQ(plat_Le32(kBytes), 0x84030201u);
  EXPECT_EQ(plat_Be32(kBytes), 0x01020384u);
  EXPECT_EQ(plat_LeInt32(kBytes), static_cast<int32_t>(0x84030201u));
  EXPECT_EQ(plat_BeFloat(kBytes + 4), 1.0f);
  uint8_t written[4];
  plat_PutBe32(written, plat_BitsFromFloat(1.0f));
  EXPECT_EQ(plat_BeFloat(written), 1.0f);
}

TEST(PlatByteCursor, AShortReadTakesNothingAndEveryLaterReadFails) {
  PlatByteCursor c = plat_CursorOver(kBytes, 5);
  EXPECT_EQ(plat_CursorLe16(&c), 0x0201u);
  EXPECT_FALSE(c.overrun);
  EXPECT_EQ(plat_CursorBe32(&c), 0u);  // three bytes left
  EXPECT_TRUE(c.overrun);
  EXPECT_EQ(plat_CursorLeft(&c), 3u);
  EXPECT_EQ(plat_CursorU8(&c), 0u);  // it would fit, but the cursor has overrun

  PlatByteCursor none = plat_CursorOver(nullptr, 16);
  EXPECT_EQ(plat_CursorLeft(&none), 0u);
  EXPECT_EQ(plat_CursorU8(&none), 0u);
  EXPECT_TRUE(none.overrun);
}

TEST(PlatByteCursor, AnInnerChunkEndsWhereItsLengthSays) {
  PlatByteCursor outer = plat_CursorOver(kBytes, sizeof(kBytes));
  PlatByteCursor inner = plat_CursorSplit(&outer, 3);
  EXPECT_EQ(plat_CursorLeft(&outer), 5u);
  EXPECT_EQ(plat_CursorLe16(&inner), 0x0201u);
  EXPECT_EQ(plat_CursorLe16(&inner), 0u);  // the outer bytes are not the inner chunk's
  EXPECT_TRUE(inner.overrun);
  EXPECT_EQ(plat_CursorU8(&outer), 0x84u);

  PlatByteCursor tooLong = plat_CursorSplit(&outer, 5);
  EXPECT_TRUE(outer.overrun);
  EXPECT_TRUE(tooLong.overrun);
  EXPECT_EQ(plat_CursorLeft(&tooLong), 0u);
}

TEST(PlatByteCursor, ACopyPastTheEndKeepsWhatIsThereAndZerosTheRest) {
  PlatByteCursor c = plat_CursorOver(kBytes, 3);
  uint8_t out[5] = {9, 9, 9, 9, 9};
  plat_CursorCopy(&c, out, sizeof(out));
  EXPECT_TRUE(c.overrun);
  EXPECT_EQ(plat_CursorLeft(&c), 0u);
  const uint8_t expected[5] = {0x01, 0x02, 0x03, 0, 0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(out[i], expected[i]) << i;
}

TEST(PlatPixels, ChannelsKeepTheirTopBitsInTheirPlaces) {
  EXPECT_EQ(plat_Pack555(0xF8, 0, 0), 0x7C00);
  EXPECT_EQ(plat_Pack555(0, 0xFF, 0), 0x03E0);
  EXPECT_EQ(plat_Pack555(0x07, 0x07, 0x07), 0);
  EXPECT_EQ(plat_Pack565(0, 0x04, 0), 0x0020);  // green's sixth bit
  EXPECT_EQ(plat_Pack565(0xFF, 0, 0xFF), 0xF81F);
  EXPECT_EQ(plat_Pack4444(0xF0, 0x10, 0x20, 0x30), 0xF123);
  EXPECT_EQ(plat_Convert555To565(0x7FFF), 0xFFFF);  // white stays white
  EXPECT_EQ(plat_Convert555To565(0x8000 | 0x0020), 0x0060);  // bit 15 dropped, low green repeated
}

}  // namespace
