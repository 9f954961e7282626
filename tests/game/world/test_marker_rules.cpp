// The markers of each game mode as crafts pass them: rally gates and laps, treasure dollars and the
// linear hunt's finish, derby waypoints changing hands.
#include <gtest/gtest.h>

#include "game/world/finish_order.h"
#include "game/world/game_materials.h"
#include "game/world/gate_list.h"
#include "game/world/marker_rules.h"
#include "tests/game/world/craft_world.h"

namespace {

class MarkerRules : public CraftWorld {
 protected:
  void SetUp() override {
    CraftWorld::SetUp();
    FinishOrderReset();
  }
  void TearDown() override {
    gGateListHead = nullptr;
    CraftWorld::TearDown();
  }
  // A marker of the mode in group 0x10 (a box of the given half sizes), linked to a new gate.
  GateRecord* Marker(float x, float z, float half, float height, uint8_t flags = 0) {
    GateRecord& gate = gates_.emplace_back();
    gate.holder = -1;
    gate.flags = flags;
    gate.markerA = Place(object_test::NewBoxMesh(kObjectMesh, -half, half, -height, height, -half, half), 0x10, x,
                         0, z);
    gate.markerA->gameWords[kGameWordLink] = &gate;
    return &gate;
  }
  void MoveTo(Watercraft* craft, float z) {
    wre_ObjectSetTransform(craft->craftObject, 0, 0, 0, 0, 100, z);
    MarkerRulesApply(craft, &craft->craftObject->transform, &view);
  }

  std::deque<GateRecord> gates_;
};

TEST_F(MarkerRules, RallyGatesCountInOrderWithALapAtTheLastAndTheFinishRecordedOnce) {
  gGameMode = kModeRally;
  gLevel = 2;  // four laps
  EngineObject buoys[6] = {};
  for (int i = 0; i < 3; ++i) {
    GateRecord& gate = gates_.emplace_back();
    gate.markerA = &buoys[2 * i];
    gate.markerB = &buoys[2 * i + 1];
    wre_ObjectSetTransform(gate.markerA, 0, 0, 0, -500, 0, 2000.0f * static_cast<float>(i + 1));
    wre_ObjectSetTransform(gate.markerB, 0, 0, 0, 500, 0, 2000.0f * static_cast<float>(i + 1));
    gate.passThreshold = 1100.0f;
    GateListAppend(&gate, &gGateListHead);
  }
  gates_.back().flags = kGateLast;
  GateListRelink(gGateListHead);
  Watercraft* craft = NewCraft(0, 0, 100, 0);
  craft->nextGate = gGateListHead;
  craft->physics.throttle = 1.0f;

  MoveTo(craft, 4000);  // the second gate first: not yet
  EXPECT_EQ(craft->score, 0);
  MoveTo(craft, 2200);  // inside the first gate's threshold (2 x sqrt(500^2 + 200^2) < 1100)
  MoveTo(craft, 4000);
  EXPECT_EQ(craft->score, 2);
  for (int lap = 1; lap <= 4; ++lap) {
    MoveTo(craft, 6000);
    EXPECT_EQ(craft->laps, lap);
    EXPECT_EQ(craft->score, 0);
    EXPECT_EQ(gFinishCount, lap == 4 ? 1 : 0);
    for (float z : {2000.0f, 4000.0f}) MoveTo(craft, z);
  }
  EXPECT_FALSE(craft->flags & kCraftRacing);
  EXPECT_EQ(craft->owner->controlKind, kControlHuman | kControlFinished);
  EXPECT_EQ(craft->physics.throttle, 1.0f);  // kept: the control step no longer changes it
  MoveTo(craft, 6000);  // laps go on counting; the finish stays recorded once
  EXPECT_EQ(craft->laps, 5);
  EXPECT_EQ(gFinishCount, 1);

  // In the rally variant no gate is passed.
  gGameMode = kModeRallyVariant;
  MoveTo(craft, 2000);
  EXPECT_EQ(craft->score, 0);
}

TEST_F(MarkerRules, DollarsAreClaimedOnceAndTheLinearFinishRecordsEachRacerOnce) {
  gGameMode = kModeTreasureLinear;
  gMarkersLeft = 2;
  GateRecord* dollar = Marker(0, 1500, 200, 200);
  GateRecord* finish = Marker(0, 4000, 200, 200, kGateLast);
  Marker(4000, 1500, 200, 200)->markerA->gameWords[kGameWordLink] = nullptr;
  Watercraft* player = NewCraft(0, 0, 100, 0);
  Watercraft* rival = NewCraft(1, 4000, 100, 0);
  for (Watercraft* craft : {player, rival}) craft->physics.velocity.z = 600.0f;
  Step(player, 8);
  Step(rival, 8);  // through the marker without a link: nothing
  EXPECT_EQ(rival->score, 0);
  EXPECT_EQ(player->score, 2);
  EXPECT_EQ(gMarkersLeft, 0);
  EXPECT_EQ(dollar->holder, 0);
  EXPECT_FALSE(dollar->markerA->status & kStatusActive);
  EXPECT_TRUE(finish->markerA->status & kStatusActive);
  EXPECT_FALSE(player->flags & kCraftRacing);
  EXPECT_EQ(gFinishCount, 1);

  // The rival in the player's lane (the player parked aside): the dollar is gone, and the finish
  // scores for its first toucher only but records the rival too, once however often it is touched.
  wre_ObjectSetTransform(player->craftObject, 0, 0, 0, -4000, 100, 0);
  player->physics.velocity = {};
  wre_ObjectSetTransform(rival->craftObject, 0, 0, 0, 0, 100, 0);
  rival->physics.velocity = {0, 0, 600, 0};
  Step(rival, 8);
  wre_ObjectSetTransform(rival->craftObject, 0, 0, 0, 0, 100, 3000);
  rival->physics.velocity = {0, 0, 600, 0};
  Step(rival, 3);
  EXPECT_EQ(rival->score, 0);
  EXPECT_EQ(gFinishCount, 2);
  EXPECT_EQ(gFinishOrder[1], rival);
}

TEST_F(MarkerRules, DerbyWaypointsChangeHandsWithAPointAndTheTakersColour) {
  gGameMode = kModeDerby;
  gtheRedMaterial = 7;
  GateRecord* waypoint = Marker(0, 3000, 200, 3000);
  waypoint->holder = 3;
  Watercraft* holder = NewCraft(3, -6000, 100, 0);
  holder->score = 1;
  Watercraft* player = NewCraft(0, 0, 100, 0);
  player->physics.velocity.z = 600.0f;
  Step(player, 6);
  EXPECT_EQ(waypoint->holder, 0);
  EXPECT_EQ(player->score, 1);
  EXPECT_EQ(holder->score, 0);
  EXPECT_EQ(waypoint->markerA->polygons[0].material, 7);
  EXPECT_EQ(waypoint->markerA->polygons[11].material, 7);
  waypoint->markerA->gameWords[kGameWordLink] = nullptr;
  wre_ObjectSetTransform(player->craftObject, 0, 0, 0, 0, 100, 2500);
  EXPECT_DEATH(Step(player, 2), "Bad derby link at hydrel process");
  gtheRedMaterial = -1;
}

}  // namespace
