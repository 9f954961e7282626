// The room checks of a level's courses: a small level with room everywhere passes, and the same
// level with one rule broken gets that rule's failure alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "tools/datagen/tree_room_check.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr float kPi = 3.14159265f;
constexpr float kMiddle = 400000;  // the channel's middle line, z = kMiddle
constexpr float kFar = 1000000;    // the level's side

struct At {
  float x, z;
};

struct Gate {
  float x;
  float half = 9000;  // from its middle to either buoy
  float turn = 0;     // degrees its buoys are turned off square to the channel
};

// A channel down the middle of the level between two straight banks. The rally way (course 1) runs
// from a start through three gates down the channel; the markers (course 6) follow further along
// from their own start; a round lane crosses the way. Islands are small triangles whose tip, the
// point nearest the middle line, stands where given.
struct Layout {
  float bank = 120000;  // from the middle line to either bank
  float start = 100000;
  std::vector<Gate> gates{{250000}, {400000}, {550000}};
  float markerStart = 650000;
  std::vector<float> markers{750000, 850000, 950000};
  float roundLane = 80000;  // the radius of the round lane's middle, centred on the second gate
  std::vector<At> islands;
};

// A course pixel is 100 units: pixel (x, y) stands at (100 x, 1,000,000 - 100 y).
std::pair<int32_t, int32_t> Pixel(At at) {
  return {static_cast<int32_t>(std::lround(at.x / 100)), static_cast<int32_t>(10000 - std::lround(at.z / 100))};
}

void AddBox(TreeLevelFacts& l, float z0, float z1) {
  l.land.push_back({0, z0, kFar, z0, kFar, z1});
  l.land.push_back({0, z0, kFar, z1, 0, z1});
}

TreeLevelFacts Build(const Layout& layout) {
  TreeLevelFacts l;
  l.level = "small";
  l.unitsPerPixel = 100;
  l.imageWidth = l.imageHeight = 9999;
  l.minX = 50, l.maxX = 50 + 10000 * 100;
  l.minZ = 250, l.maxZ = 250 + 10000 * 100;
  AddBox(l, 0, kMiddle - layout.bank);
  AddBox(l, kMiddle + layout.bank, kFar);
  for (At tip : layout.islands) {
    const float away = tip.z > kMiddle ? 10000 : -10000;
    l.land.push_back({tip.x, tip.z, tip.x - 5000, tip.z + away, tip.x + 5000, tip.z + away});
  }

  TreeLane straight{{}, false, layout.bank};
  for (float x = 0; x <= kFar; x += 2000) straight.middle.push_back({x, kMiddle});
  TreeLane round{{}, true, 30000};
  for (int32_t i = 0; i < 256; ++i) {
    const float a = 2 * kPi * static_cast<float>(i) / 256;
    round.middle.push_back({400000 + layout.roundLane * std::cos(a), kMiddle + layout.roundLane * std::sin(a)});
  }
  l.lanes = {straight, round};

  l.courses.resize(2 * kTreeCoursesPerMode);
  TreeCoursePixels& rally = l.courses[0];
  std::tie(rally.startX, rally.startY) = Pixel({layout.start, kMiddle});
  for (const Gate& g : layout.gates) {
    const float a = g.turn * kPi / 180, dx = g.half * std::sin(a), dz = g.half * std::cos(a);
    rally.waypoints.push_back(Pixel({g.x - dx, kMiddle - dz}));
    rally.waypoints.push_back(Pixel({g.x + dx, kMiddle + dz}));
  }
  TreeCoursePixels& markers = l.courses[kTreeCoursesPerMode];
  std::tie(markers.startX, markers.startY) = Pixel({layout.markerStart, kMiddle});
  for (float x : layout.markers) markers.waypoints.push_back(Pixel({x, kMiddle}));
  return l;
}

TEST(RoomCheck, ALevelWithRoomEverywherePasses) { EXPECT_THAT(CheckRoom(Build(Layout{})), IsEmpty()); }

TEST(RoomCheck, EachBrokenRuleIsReportedAlone) {
  struct Case {
    const char* failure;
    void (*breakRule)(Layout&);
  };
  const Case cases[] = {
      {"course 1: the water is ", [](Layout& l) { l.bank = 50000; }},  // 100,000 across
      {"course 1: its lane bends on a radius of ", [](Layout& l) { l.roundLane = 50000; }},
      {"course 1: a leg passes ", [](Layout& l) { l.islands.push_back({325000, kMiddle + 20000}); }},
      // 35,000 from the leg, 26,000 from the gate's buoy on that side
      {"course 1: a buoy stands ", [](Layout& l) { l.islands.push_back({400000, kMiddle + 35000}); }},
      {"course 1: gates 2 and 3 stand 50000 apart", [](Layout& l) { l.gates[2].x = 450000; }},
      {"course 1: gate 2 is 11000 to either side, not 9000", [](Layout& l) { l.gates[1].half = 11000; }},
      {"course 1: the first gate stands 80000 from the start", [](Layout& l) { l.start = 170000; }},
      {"course 1: the first gate is crossed 25 degrees off", [](Layout& l) { l.gates[0].turn = 25; }},
      {"course 6: a marker stands ", [](Layout& l) { l.islands.push_back({750000, kMiddle + 15000}); }},
      {"course 6: a leg passes ", [](Layout& l) { l.islands.push_back({700000, kMiddle + 10000}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failure);
    Layout layout;
    c.breakRule(layout);
    EXPECT_THAT(CheckRoom(Build(layout)), ElementsAre(HasSubstr(c.failure)));
  }
}

}  // namespace
