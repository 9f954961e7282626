// The route ring and its file: the ring's accessors and linking by mode, the file's exact bytes and
// name, gate binding in list order on reading, and files that must not be taken for a route.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/stream.h"
#include "game/state/settings.h"
#include "game/world/course_route.h"
#include "game/world/level_bounds.h"
#include "game/world/route_file.h"
#include "platform/test/plat_files.h"
#include "support/temp_dir.h"
#include "tests/game/world/route_fixture.h"

namespace {

class CourseRoute : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    gSettings = Settings{};
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    // A level lifted as the level load lifts it.
    gLevelBoundsMinX = gLevelBoundsMinZ = -20000.0f;
    gLevelBoundsMaxX = gLevelBoundsMaxZ = 20000.0f;
    gLevelBoundsMinY = 97000.0f;
    gLevelBoundsMaxY = 103000.0f;
  }
  void TearDown() override {
    gLevelBoundsMinX = gLevelBoundsMinY = gLevelBoundsMinZ = 0.0f;
    gLevelBoundsMaxX = gLevelBoundsMaxY = gLevelBoundsMaxZ = 0.0f;
    RouteGatesFree();
    wre_FolderSet(nullptr);
    std::filesystem::current_path(previous_);
    gSettings = Settings{};
  }
  // A route of gate nodes (1) and clear points (0) at x = 1000 i, bound to the gates in order.
  static void Route(const std::vector<int>& flags) {
    GateRecord* gate = gGateListHead;
    for (size_t i = 0; i < flags.size(); ++i) {
      const Point4 p{1000.0f * static_cast<float>(i), 100000.0f, -50.5f, 0.25f};
      ASSERT_EQ(RouteNodeAppend(&p, static_cast<uint8_t>(flags[i]), flags[i] ? gate : nullptr), 0);
      if (flags[i]) gate = GateListNext(gate, nullptr);
    }
    gRouteLoaded = 1;
  }
  static std::string Image(int32_t magic, const std::vector<int>& flags, int32_t end = 0) {
    std::vector<uint8_t> bytes(8 + 24 * flags.size());
    uint8_t* cursor = bytes.data();
    wre_StreamPutInt32(&cursor, magic);
    for (size_t i = 0; i < flags.size(); ++i) {
      wre_StreamPutInt32(&cursor, 1);
      for (float f : {1000.0f * static_cast<float>(i), 100000.0f, -50.5f, 0.25f}) wre_StreamPutFloat(&cursor, f);
      wre_StreamPutInt32(&cursor, flags[i]);
    }
    wre_StreamPutInt32(&cursor, end);
    return std::string(bytes.begin(), bytes.end());
  }
  std::filesystem::path RouteFile(const char* word, const char* name) const {
    return dir_.path() / "data" / "courses" / word / name;
  }

  TempDir dir_;
  std::filesystem::path previous_;
};

TEST_F(CourseRoute, RingWrapsBothWaysAndLinkingClearsGateFlagsOutsideRally) {
  RouteGatesMake({{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}});
  Route({1, 0, 1, 0, 0, 1, 0});
  const std::vector<RouteNode*> nodes = RouteNodes();
  ASSERT_EQ(nodes.size(), 7u);
  gGameMode = kModeRally;
  ASSERT_EQ(RouteLink(), 0);
  EXPECT_EQ(RouteNodeNextWrap(nodes[6]), nodes[0]);
  EXPECT_EQ(RouteNodeNextWrap(nullptr), nodes[0]);
  EXPECT_EQ(RouteNodePrevWrap(nodes[0]), nodes[6]);
  EXPECT_EQ(RouteNodePrevWrap(nodes[3]), nodes[2]);
  EXPECT_EQ(RouteNodeNth(50), nodes[1]);
  EXPECT_EQ(RouteNodeNth(0xFFFFFFFFu), nodes[0xFFFFFFFFu % 7]);
  EXPECT_EQ(RouteNodeForObject(RouteGateAt(1)), nodes[2]);
  EXPECT_EQ(RouteNodeForObject(nullptr), nodes[0]);
  EXPECT_EQ(nodes[5]->hasGate, 1);

  gGameMode = kModeDerby;
  ASSERT_EQ(RouteLink(), 0);
  for (RouteNode* n : nodes) EXPECT_EQ(n->hasGate, 0);
  EXPECT_EQ(RouteNodeForObject(RouteGateAt(2)), nodes[5]);

  EXPECT_EQ(RouteTeardown(), 0);
  EXPECT_EQ(gRouteHead, nullptr);
  EXPECT_EQ(RouteFree(), kRouteErrNotLoaded);
  EXPECT_EQ(RouteNodeNth(3), nullptr);
}

TEST_F(CourseRoute, FileRoundTripsByteExactUnderItsBlankPaddedName) {
  char name[32];
  ASSERT_TRUE(RouteFileName(3, name, sizeof(name)));
  EXPECT_STREQ(name, "qz_route_ 3.qz");
  ASSERT_TRUE(RouteFileName(14, name, sizeof(name)));
  EXPECT_STREQ(name, "qz_route_14.qz");

  std::filesystem::create_directories(dir_.path() / "data/courses/nile");
  gLevel = 6;
  gCourse = 3;
  RouteGatesMake({{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 0, 0}});
  Route({1, 0, 1, 1, 0, 1});
  ASSERT_EQ(RouteFileWrite(nullptr), 0);
  const std::string bytes = TempDir::Read(RouteFile("nile", "qz_route_ 3.qz"));
  EXPECT_EQ(bytes.size(), 152u);
  EXPECT_EQ(bytes, Image(170, {1, 0, 1, 1, 0, 1}));
  EXPECT_EQ(bytes.substr(0, 4), std::string("\0\0\0\xAA", 4));

  // Read back: the same points, gate nodes bound to the gates in list order.
  RouteNodesFree();
  gRouteLoaded = 0;
  ASSERT_EQ(RouteFileRead(nullptr), 0);
  EXPECT_EQ(gRouteLoaded, 1);
  const std::vector<RouteNode*> nodes = RouteNodes();
  ASSERT_EQ(nodes.size(), 6u);
  const int gateOf[6] = {0, -1, 1, 2, -1, 3};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(nodes[i]->point.x, 1000.0f * static_cast<float>(i));
    EXPECT_EQ(nodes[i]->point.z, -50.5f);
    EXPECT_EQ(nodes[i]->point.w, 0.25f);
    EXPECT_EQ(nodes[i]->gate, gateOf[i] < 0 ? nullptr : RouteGateAt(gateOf[i])) << i;
  }
  EXPECT_EQ(RouteFileRead(nullptr), kRouteErrLoaded);
  EXPECT_EQ(RouteNodeCount(), 6) << "a second read must not add to the route";

  // A write that cannot be made is reported, and the old file stays whole.
  plat_TestFailNextSave();
  EXPECT_EQ(RouteFileWrite(nullptr), kFileErrCreate);
  EXPECT_EQ(TempDir::Read(RouteFile("nile", "qz_route_ 3.qz")), bytes);
}

TEST_F(CourseRoute, OnlyTheExactLayoutOfThisCourseIsTakenForARoute) {
  RouteGatesMake({{0, 0, 0, 0}, {1, 0, 0, 0}});
  const std::string good = Image(170, {1, 0, 1});
  std::string nan = good;
  nan[8 + 24] = '\x7F';
  nan[9 + 24] = '\xC0';  // the second point's x becomes a NaN
  std::string far = good;
  far[8 + 24] = '\x7D';  // the second point's x becomes about 1e37: finite, but off any level
  std::string marker = good;
  marker[4 + 24 + 3] = 2;
  std::string flag = good;
  flag[24 + 3] = 2;
  const struct {
    const char* what;
    std::string bytes;
  } bad[] = {
      {"empty", ""},
      {"magic 171", Image(171, {1, 0, 1})},
      {"no records", Image(170, {})},
      {"short", good.substr(0, good.size() - 2)},
      {"no end marker", good.substr(0, good.size() - 4)},
      {"end marker 1", Image(170, {1, 0, 1}, 1)},
      {"trailing bytes", good + std::string(24, '\0')},
      {"marker 2", marker},
      {"flag 2", flag},
      {"NaN point", nan},
      {"point far off the level", far},
      {"too few gates", Image(170, {1, 0, 0})},
      {"too many gates", Image(170, {1, 1, 1})},
  };
  for (const auto& b : bad) {
    EXPECT_EQ(RouteParse(reinterpret_cast<const uint8_t*>(b.bytes.data()), b.bytes.size()), kRouteErrBadFile)
        << b.what;
    EXPECT_EQ(gRouteLoaded, 0) << b.what;
    EXPECT_EQ(gRouteHead, nullptr) << b.what;
  }
  EXPECT_EQ(RouteParse(reinterpret_cast<const uint8_t*>(good.data()), good.size()), 0);
  EXPECT_EQ(RouteNodeCount(), 3);
  RouteTeardown();
  EXPECT_EQ(RouteFileRead(nullptr), kFileErrOpenRead);

  // The set-up takes a readable file as it stands and closes the ring.
  gLevel = 9;
  gCourse = 0;
  gGameMode = kModeTreasureRoam;
  dir_.Write("data/courses/victoria/qz_route_ 0.qz", good);
  ASSERT_EQ(RouteSetup(nullptr), 0);
  EXPECT_EQ(gRouteHead->prev, gRouteTail);
  EXPECT_EQ(gRouteHead->next->next, gRouteTail);
  EXPECT_EQ(gRouteTail->hasGate, 0);
  EXPECT_EQ(RouteNodeForObject(RouteGateAt(1)), gRouteTail);
}

}  // namespace
