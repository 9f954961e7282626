// The head-up display's rules: the race-time text and the place with its tie marker.
#include <gtest/gtest.h>

#include <string>

#include "game/race/race_hud.h"
#include "game/world/watercraft.h"

namespace {

std::string Time(uint32_t elapsed, bool blank = false) {
  char text[kHudTimeTextSize];
  HudTimeFormat(text, elapsed, blank);
  return text;
}

TEST(RaceHud, TimeShowsMinutesSecondsAndSixtiethsOrTheBlankPattern) {
  EXPECT_EQ(Time(3725), "  1:02:05");
  EXPECT_EQ(Time(0), "  0:00:00");
  EXPECT_EQ(Time(3600 * 1000 - 1), " 999:59:59");
  EXPECT_EQ(Time(0xFFFFFFFFu), " 1193046:28:15");  // a clock far past any race still fits
  EXPECT_EQ(Time(3725, true), "   //://://");
}

TEST(RaceHud, PlaceCountsRacersAheadByLapsThenScoreAndSpotsATie) {
  Watercraft crafts[4]{};
  const int laps[4] = {2, 2, 3, 2}, scores[4] = {3, 5, 0, 3};
  for (int i = 0; i < 4; ++i) {
    crafts[i].laps = laps[i];
    crafts[i].score = scores[i];
    crafts[i].chainNext = i < 3 ? &crafts[i + 1] : nullptr;
  }
  gRacerChainHead = &crafts[0];
  bool tied = false;
  EXPECT_EQ(HudPlace(&crafts[0], &tied), 3);
  EXPECT_TRUE(tied);
  EXPECT_EQ(HudPlace(&crafts[2], &tied), 1);
  EXPECT_FALSE(tied);
  EXPECT_EQ(HudPlace(&crafts[1], nullptr), 2);
  gRacerChainHead = nullptr;
}

}  // namespace
