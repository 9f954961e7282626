// The computer rider: the steering map and throttle thresholds, the behaviour stack's limits, the
// first target and the walk round the ring, arrival by gate, by radius per mode and by passing, the
// corner check's waypoint and the detour that ends once the way is clear, roaming hop counts, and
// the guards against a node under the craft and endless re-running; and the rider's place in the
// craft process.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/process.h"
#include "engine/core/random.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "game/state/settings.h"
#include "game/world/course_route.h"
#include "game/world/craft_ai.h"
#include "game/world/craft_process.h"
#include "game/world/gate_list.h"
#include "game/world/object_words.h"
#include "game/world/watercraft.h"
#include "tests/game/world/craft_world.h"
#include "tests/game/world/route_fixture.h"

namespace {

constexpr float kRadius = 200.0f;

class CraftAi : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    ASSERT_EQ(wre_MathTablesInit(), 0);
    gSettings = Settings{};
    body_.radius = kRadius;
    body_.status = kStatusActive;
    craft_.craftObject = &body_;
    craft_.flags = kCraftRacing;
    craft_.racerSlot = 2;
    wre_ObjectSetTransform(&body_, 0, 0, 0, 0.0f, 0.0f, 0.0f);
    gEngineTick = 1000;
  }
  void TearDown() override {
    RouteGatesFree();
    wre_MathTablesExit();
    gSettings = Settings{};
  }
  // A linked, loaded ring through the points; gate nodes for gates (made in the same order).
  void Ring(const std::vector<Point4>& points, const std::vector<int>& gateFlags) {
    RouteGatesFree();
    std::vector<Point4> centres;
    for (size_t i = 0; i < points.size(); ++i)
      if (gateFlags[i]) centres.push_back(points[i]);
    RouteGatesMake(centres);
    GateRecord* gate = gGateListHead;
    for (size_t i = 0; i < points.size(); ++i) {
      ASSERT_EQ(RouteNodeAppend(&points[i], static_cast<uint8_t>(gateFlags[i]), gateFlags[i] ? gate : nullptr), 0);
      if (gateFlags[i]) gate = gate->next;
    }
    gRouteLoaded = 1;
    RouteLink();
    nodes_ = RouteNodes();
  }
  // A node far away at the given heading error from a craft facing +z.
  static Point4 AtHeading(int32_t angle) {
    return Point4{100000.0f * gSinTable[angle & 0xfff], 0.0f, 100000.0f * gCosTable[angle & 0xfff], 0.0f};
  }

  EngineObject body_{};
  Watercraft craft_{};
  std::vector<RouteNode*> nodes_;
};

TEST_F(CraftAi, SteeringMapAndThrottleThresholds) {
  EXPECT_EQ(AiSteerFromAngle(0), 0.0f);
  EXPECT_EQ(AiSteerFromAngle(1), 0.0f);
  EXPECT_EQ(AiSteerFromAngle(-1), 0.0f);
  EXPECT_FLOAT_EQ(AiSteerFromAngle(2), 2.0f / 341.0f);
  EXPECT_EQ(AiSteerFromAngle(341), 1.0f);
  EXPECT_EQ(AiSteerFromAngle(342), 1.0f);
  EXPECT_EQ(AiSteerFromAngle(-5000), -1.0f);

  Ring({AtHeading(700), AtHeading(683), AtHeading(-700)}, {0, 0, 0});
  craft_.behaviour = kAiFollowRouteNode;
  const float throttles[3] = {0.5f, 1.0f, 0.5f};
  const float steers[3] = {1.0f, 1.0f, -1.0f};
  for (int i = 0; i < 3; ++i) {
    craft_.routeCursor = nodes_[i];
    craft_.routePrev = nullptr;
    ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
    EXPECT_EQ(craft_.physics.throttle, throttles[i]) << i;
    EXPECT_EQ(craft_.physics.steer, steers[i]) << i;
  }
  // Far ahead, a small error is only slightly sharpened: 10 + trunc(70000 / 100000 x 30 x 10).
  Ring({AtHeading(10)}, {0});
  craft_.routeCursor = nodes_[0];
  ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
  EXPECT_NEAR(craft_.physics.steer, 220.0f / 341.0f, 2.5f / 341.0f);
}

TEST_F(CraftAi, StackHolds63EntriesAndRestoresWhatItSaved) {
  for (int i = 0; i < kBehaviourDepth; ++i) {
    craft_.behaviour = i % 3;
    craft_.behaviourParams.x = static_cast<float>(i);
    ASSERT_EQ(AiBehaviourPush(&craft_), 0) << i;
    EXPECT_EQ(craft_.behaviour, kAiChooseTarget);
    EXPECT_EQ(craft_.behaviourParams.x, 0.0f);
  }
  EXPECT_EQ(AiBehaviourPush(&craft_), kAiErrStackFull);
  gEngineTick = 9000;
  for (int i = kBehaviourDepth - 1; i >= 0; --i) {
    ASSERT_EQ(AiBehaviourPop(&craft_), 0);
    EXPECT_EQ(craft_.behaviour, i % 3);
    EXPECT_EQ(craft_.behaviourParams.x, static_cast<float>(i));
  }
  EXPECT_EQ(craft_.behaviourStartTick, 9000u);
  EXPECT_EQ(AiBehaviourPop(&craft_), kAiErrStackEmpty);
}

TEST_F(CraftAi, RallyRiderStartsAtTheHeadPassesGatesInTurnAndStopsAfterTheFinish) {
  gGameMode = kModeRally;
  Ring({{0, 0, 5000, 0}, {0, 0, 10000, 0}, {0, 0, 20000, 0}}, {1, 0, 1});
  gCountdownActive = 1;
  ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
  EXPECT_EQ(craft_.routeCursor, nullptr) << "nothing happens during the countdown";
  gCountdownActive = 0;
  craft_.nextGate = RouteGateAt(0);
  ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
  EXPECT_EQ(craft_.routeCursor, nodes_[0]);
  EXPECT_EQ(craft_.routePrev, nodes_[2]);
  EXPECT_EQ(craft_.routeAhead, nodes_[1]);
  EXPECT_EQ(craft_.behaviour, kAiFollowRouteNode);
  EXPECT_EQ(craft_.behaviourDepth, 1);

  // A gate node is reached by passing its gate, however far the craft is from its centre.
  craft_.nextGate = RouteGateAt(1);
  ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
  EXPECT_EQ(craft_.routeCursor, nodes_[1]);
  // A clear point is reached within three radii.
  wre_ObjectSetTransform(&body_, 0, 0, 0, 0.0f, 0.0f, 10000.0f - 3.0f * kRadius + 1.0f);
  ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
  EXPECT_EQ(craft_.routeCursor, nodes_[2]);
  EXPECT_EQ(craft_.behaviourDepth, 1);

  craft_.flags = 0;
  craft_.behaviour = kAiChooseTarget;
  craft_.behaviourDepth = 0;
  ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
  EXPECT_EQ(craft_.physics.throttle, 0.0f);
  EXPECT_EQ(craft_.behaviourDepth, 0);
}

TEST_F(CraftAi, ArrivalRadiusGrowsForAMarkerAlreadyTaken) {
  Ring({{0, 0, 1000, 0}}, {1});
  GateRecord* gate = RouteGateAt(0);
  EngineObject marker{};
  marker.radius = 300.0f;
  marker.status = kStatusActive;
  marker.gameWords[kGameWordLink] = gate;
  gate->markerA = &marker;
  craft_.routeCursor = nodes_[0];
  const float larger = 3.5f * kRadius + marker.radius;  // 1000: the node is just inside it
  struct Case {
    int32_t mode;
    int32_t holder;
    bool taken;
    bool linked;  // the marker points back to its gate
    bool reached;
  } cases[] = {
      {kModeDerby, 2, false, true, true},         {kModeDerby, 1, false, true, false},
      {kModeTreasureRoam, -1, true, true, true},  {kModeTreasureLinear, -1, true, true, true},
      {kModeTreasureRoam, -1, false, true, false}, {kModeRally, 2, true, true, false},
      {kModeDerby, 2, false, false, false},
  };
  wre_ObjectSetTransform(&body_, 0, 0, 0, 0.0f, 0.0f, 1000.0f - larger + 1.0f);
  for (const Case& c : cases) {
    gGameMode = c.mode;
    nodes_[0]->hasGate = 0;
    gate->holder = c.holder;
    marker.status = c.taken ? 0 : kStatusActive;
    marker.gameWords[kGameWordLink] = c.linked ? gate : nullptr;
    craft_.behaviour = kAiFollowRouteNode;
    craft_.behaviourDepth = 0;
    AiBehaviourPush(&craft_);
    craft_.behaviour = kAiFollowRouteNode;
    ASSERT_EQ(AiFollowRouteNode(&craft_, nullptr), 0);
    EXPECT_EQ(craft_.behaviourDepth == 0, c.reached) << "mode " << c.mode << " holder " << c.holder;
  }
}

// A craft that has closed on a node within reach while making for it, and now moves away from it
// outside the arrival radius, has swept past it; a node it has only moved away from (chosen behind
// it), one it closed on from too far off, one too far off now, and the linear hunt's finish have
// not. A new cursor starts with no approach: the next node, lying behind, is not passed at once.
TEST_F(CraftAi, ANodeSweptPastCountsAsReachedOnlyAfterTheCraftClosedOnItButTheLinearFinish) {
  Ring({{0, 0, 0, 0}}, {1});
  GateRecord* gate = RouteGateAt(0);
  struct Step {
    float x, vz;  // the craft beside the node at z = -100, moving along z
  };
  struct Case {
    int32_t mode;
    bool finish;
    std::vector<Step> steps;
    bool reached;  // at the last step; never before it
  } cases[] = {
      {kModeTreasureLinear, false, {{8000, -1500}}, false},
      {kModeTreasureRoam, false, {{8000, -1500}, {8000, -1500}}, false},
      {kModeTreasureLinear, false, {{8000, 1500}}, false},
      {kModeTreasureLinear, false, {{8000, 1500}, {8000, -1500}}, true},
      {kModeTreasureRoam, false, {{13000, 1500}, {13000, -1500}}, true},
      {kModeDerby, false, {{15000, 1500}, {13000, -1500}}, false},
      {kModeDerby, false, {{13000, 1500}, {15000, -1500}}, false},
      {kModeTreasureLinear, true, {{8000, 1500}, {8000, -1500}}, false},
      {kModeTreasureRoam, true, {{8000, 1500}, {8000, -1500}}, true},
  };
  for (const Case& c : cases) {
    gGameMode = c.mode;
    nodes_[0]->hasGate = 0;
    gate->flags = c.finish ? kGateLast : 0;
    craft_.routeCursor = nodes_[0];
    craft_.routeClosedOn = false;
    craft_.behaviour = kAiFollowRouteNode;
    craft_.behaviourDepth = 0;
    AiBehaviourPush(&craft_);
    craft_.behaviour = kAiFollowRouteNode;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      wre_ObjectSetTransform(&body_, 0, 0, 0, c.steps[i].x, 0.0f, -100.0f);
      craft_.physics.velocity = Point4{0.0f, 0.0f, c.steps[i].vz, 0.0f};
      ASSERT_EQ(AiFollowRouteNode(&craft_, nullptr), 0);
      const bool last = i + 1 == c.steps.size();
      EXPECT_EQ(craft_.behaviourDepth == 0, last && c.reached) << "mode " << c.mode << " step " << i;
    }
  }

  // Passing a node moves the cursor on, by the rally walk or by a roaming hop, to a node behind.
  Ring({{0, 0, 0, 0}, {0, 0, 2000, 0}}, {0, 0});
  for (int32_t mode : {kModeRally, kModeDerby}) {
    gGameMode = mode;
    craft_.routeCursor = nodes_[1];
    craft_.routeClosedOn = false;
    craft_.routeDirection = 0;
    craft_.routeHops = 3;
    craft_.behaviour = kAiChooseTarget;
    craft_.behaviourDepth = 0;
    wre_ObjectSetTransform(&body_, 0, 0, 0, 8000.0f, 0.0f, -100.0f);
    craft_.physics.velocity = Point4{0.0f, 0.0f, 1500.0f, 0.0f};
    ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
    ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
    ASSERT_EQ(craft_.routeCursor, nodes_[0]) << "mode " << mode;
    craft_.physics.velocity.z = -1500.0f;
    ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
    ASSERT_EQ(craft_.routeCursor, nodes_[1]) << "mode " << mode << ": the first node swept past";
    ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
    EXPECT_EQ(craft_.routeCursor, nodes_[1]) << "mode " << mode << ": the node behind is still to be reached";
    EXPECT_EQ(craft_.behaviour, kAiFollowRouteNode);
  }
}

TEST_F(CraftAi, CornerCheckDetoursToTheRouteLineAndTheDetourEndsWhenTheWayIsClear) {
  gGameMode = kModeRally;
  Ring({{0, 0, 0, 0}, {0, 0, 20000, 7}}, {0, 0});
  craft_.routePrev = nodes_[0];
  craft_.routeCursor = nodes_[1];
  craft_.behaviour = kAiFollowRouteNode;
  // Beside the segment: the foot of the perpendicular.
  wre_ObjectSetTransform(&body_, 0, 0, 0, 3000.0f, 50.0f, 8000.0f);
  craft_.flags = kCraftRacing | kCraftCornerCheck;
  craft_.routeClosedOn = true;
  ASSERT_EQ(AiCornerCheck(&craft_, nullptr), 0);
  EXPECT_EQ(craft_.flags, kCraftRacing);
  EXPECT_EQ(craft_.behaviour, kAiDetourWaypoint);
  EXPECT_FALSE(craft_.routeClosedOn) << "the node's approach starts afresh after a detour";
  EXPECT_NEAR(craft_.behaviourParams.x, 0.0f, 0.01f);
  EXPECT_NEAR(craft_.behaviourParams.z, 8000.0f, 0.5f);
  EXPECT_EQ(AiCornerCheck(&craft_, nullptr), 0);
  EXPECT_EQ(craft_.behaviourDepth, 1) << "no second detour while detouring";
  // With nothing in the way the detour ends at the next call, back to following.
  ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
  EXPECT_EQ(craft_.behaviour, kAiFollowRouteNode);
  EXPECT_EQ(craft_.behaviourDepth, 0);

  // Behind the segment's start: the previous node itself.
  wre_ObjectSetTransform(&body_, 0, 0, 0, 3000.0f, 50.0f, -8000.0f);
  ASSERT_EQ(AiCornerCheck(&craft_, nullptr), 0);
  EXPECT_EQ(craft_.behaviourParams.z, 0.0f);
  AiBehaviourPop(&craft_);
  // A rider without a route segment yet only clears the request.
  craft_.routePrev = nullptr;
  craft_.flags = kCraftCornerCheck;
  ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
  EXPECT_EQ(craft_.flags, 0);
  EXPECT_EQ(craft_.behaviourDepth, 0);
}

TEST_F(CraftAi, NodeUnderTheCraftAndAnEmptyStackAreSafe) {
  Ring({{0, 0, 0, 0}, {0, 0, 9000, 0}}, {1, 0});
  craft_.nextGate = RouteGateAt(0);  // its previous gate is itself: already passed
  craft_.behaviour = kAiFollowRouteNode;
  craft_.routeCursor = nodes_[1];
  wre_ObjectSetTransform(&body_, 0, 0, 0, 0.0f, 0.0f, 9000.0f);
  // Reached with nothing to pop: re-running stops after a bounded number of turns.
  ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
  EXPECT_EQ(craft_.behaviour, kAiFollowRouteNode);
  // A gate node straight under the craft, not yet passed: no distance to divide by.
  GateRecord* other = GateRecordNew();
  GateListAppend(other, &gGateListHead);
  GateListRelink(gGateListHead);
  craft_.nextGate = RouteGateAt(0);  // its previous gate is now the other one
  nodes_[1]->hasGate = 1;
  nodes_[1]->gate = RouteGateAt(0);
  craft_.routePrev = nodes_[0];
  ASSERT_EQ(CraftAIRun(&craft_, nullptr), 0);
  EXPECT_TRUE(std::isfinite(craft_.physics.steer));
  EXPECT_LE(std::fabs(craft_.physics.steer), 1.0f);
  EXPECT_EQ(craft_.physics.throttle, 1.0f);
}

TEST_F(CraftAi, RoamingKeepsItsDirectionForTheHopsItDrew) {
  gGameMode = kModeTreasureRoam;
  std::vector<Point4> points;
  for (int i = 0; i < 12; ++i) points.push_back(Point4{1000.0f * static_cast<float>(i), 0, 50000, 0});
  Ring(points, std::vector<int>(12, 0));
  wre_RandomSeed(1234);
  int draws = 0;
  for (int call = 0; call < 60; ++call) {
    RouteNode* before = craft_.routeCursor;
    const int32_t direction = craft_.routeDirection, hops = craft_.routeHops;
    ASSERT_EQ(AiChooseTarget(&craft_, nullptr), 0);
    ASSERT_EQ(AiBehaviourPop(&craft_), 0);
    if (hops >= 1) {
      EXPECT_EQ(craft_.routeCursor, direction == 0 ? RouteNodeNextWrap(before) : RouteNodePrevWrap(before));
      EXPECT_EQ(craft_.routeHops, hops - 1);
    } else {
      ++draws;
      EXPECT_TRUE(craft_.routeHops >= 1 && craft_.routeHops <= 7) << craft_.routeHops;
    }
  }
  EXPECT_GE(draws, 60 / 8);
}

}  // namespace

namespace {

// The rider inside the craft process, in a small world: only racing computer crafts run it, and a
// failing rider skips the rest of the call.
class CraftAiProcess : public CraftWorld {
 protected:
  void TearDown() override {
    RouteGatesFree();
    CraftWorld::TearDown();
  }
  int32_t Process(Watercraft* craft) {
    ProcessNode node{};
    node.user1 = craft->owner;
    node.user2 = &view;
    return CraftProcess(&node);
  }
};

TEST_F(CraftAiProcess, ComputerCraftsFollowTheRouteAfterTheirMove) {
  gGameMode = kModeRally;
  const Point4 node{-6000.0f, 100.0f, 4000.0f, 0.0f};
  ASSERT_TRUE(RouteGatesMake({node}));
  ASSERT_EQ(RouteNodeAppend(&node, 1, gGateListHead), 0);
  gRouteLoaded = 1;
  RouteLink();
  Watercraft* human = NewCraft(0, -4000, 100, -4000);
  Watercraft* computer = NewCraft(1, 0, 100, -4000);
  Watercraft* finished = NewCraft(2, 4000, 100, -4000);
  finished->owner->controlKind |= kControlFinished;
  for (Watercraft* craft : {human, computer, finished}) {
    ASSERT_EQ(Process(craft), 0);
    ASSERT_EQ(Process(craft), 0);
  }
  EXPECT_EQ(computer->routeCursor, gRouteHead);
  EXPECT_EQ(computer->physics.throttle, 1.0f);
  EXPECT_EQ(computer->physics.steer, -1.0f) << "the node lies well to the left";
  for (Watercraft* craft : {human, finished}) {
    EXPECT_EQ(craft->routeCursor, nullptr);
    EXPECT_EQ(craft->behaviourDepth, 0);
  }

  // A full behaviour stack fails the rider, and the call ends before the position is stored.
  Watercraft* stuck = NewCraft(3, 8000, 100, -4000);
  stuck->behaviourDepth = kBehaviourDepth;
  stuck->physics.velocity.z = 100.0f;
  EXPECT_EQ(Process(stuck), kAiErrStackFull);
  EXPECT_EQ(stuck->currentPosition.z, 0.0f);
}

TEST_F(CraftAiProcess, RoamingKeepsTheBaseNodeWhenTheWallHidesEveryDraw) {
  gGameMode = kModeDerby;
  std::vector<Point4> behind;
  for (float x : {-4000.0f, 0.0f, 4000.0f}) behind.push_back(Point4{x, 100.0f, 16000.0f, 0.0f});
  ASSERT_TRUE(RouteGatesMake(behind));
  for (const Point4& p : behind) ASSERT_EQ(RouteNodeAppend(&p, 0, nullptr), 0);
  gRouteLoaded = 1;
  RouteLink();
  Watercraft* craft = NewCraft(1, 0, 100, 0);
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    wre_RandomSeed(seed);
    craft->routeCursor = gRouteHead;
    craft->routeDirection = 0;
    craft->routeHops = 0;
    ASSERT_EQ(AiChooseTarget(craft, &view), 0);
    ASSERT_EQ(AiBehaviourPop(craft), 0);
    EXPECT_EQ(craft->routeCursor, gRouteHead->next) << "seed " << seed;
  }
}

}  // namespace
