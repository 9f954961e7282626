// The scenery animators over a flat water grid at y = 1000: the buoys' rocking schedule, gate
// steps wrapping round short gate lists, the exemptions of hidden buoys and stopped treasure
// markers, and the floating list served round-robin.
#include <gtest/gtest.h>

#include <vector>

#include "engine/core/grid_mesh.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "game/world/gate_list.h"
#include "game/world/level_bounds.h"
#include "game/world/scenery.h"
#include "world_fixture.h"

namespace {

class Scenery : public WorldFixture {
 public:
  void SetUp() override {
    WorldFixture::SetUp();
    gLevelBoundsMaxY = 5000.0f;
    gLevelBoundsMinY = -5000.0f;
    gScenery = SceneryState{};
  }
  void TearDown() override {
    while (gGateListHead) {
      GateRecord* gate = gGateListHead;
      GateListUnlink(gate, &gGateListHead);
      GateRecordFree(&gate);
    }
    for (EngineObject* o : made_) wre_ObjectDispose(o);
    WorldFixture::TearDown();
  }
  void Water() {
    gWaterBoundsMin[1] = gWaterBoundsMax[1] = 1000.0f;
    ASSERT_EQ(WaterworksStart(&view, 0.0f, 0.0f, 0), 0);
  }
  // A small object at height 3000 over the water.
  EngineObject* Marker(float x) {
    EngineObject* o = nullptr;
    EXPECT_EQ(wre_ObjectNewGrid(1, 1, 10.0f, 0, -1, kObjectMesh, &o, 0, 255.0f), 0);
    wre_ObjectSetTransform(o, 0, 0, 0, x, 3000.0f, 500.0f);
    made_.push_back(o);
    return o;
  }
  void Gates(int count) {
    for (int i = 0; i < count; ++i) {
      GateRecord* gate = GateRecordNew();
      gate->markerA = Marker(100.0f * i);
      gate->markerB = Marker(100.0f * i + 50.0f);
      GateListAppend(gate, &gGateListHead);
    }
    GateListRelink(gGateListHead);
  }
  static GateRecord* Gate(int n) {
    GateRecord* gate = gGateListHead;
    for (int i = 0; i < n; ++i) gate = gate->next;
    return gate;
  }
  static float Y(const EngineObject* o) { return o->transform.position[1]; }

 private:
  std::vector<EngineObject*> made_;
};

TEST_F(Scenery, BuoysRockPlusSevenForFiftyTicksThenFlipEveryHundredAndOne) {
  Water();
  Gates(1);
  EXPECT_EQ(MarkerBobStart(nullptr), -1000);
  ASSERT_EQ(MarkerBobStart(&view), 0);
  std::vector<int32_t> drift;
  for (int tick = 0; tick < 260; ++tick) {
    MarkerBobProcess(&view);
    drift.push_back(gScenery.bobDrift);
  }
  EXPECT_EQ(drift[49], 7);
  EXPECT_EQ(drift[50], -7);
  EXPECT_EQ(drift[150], -7);
  EXPECT_EQ(drift[151], 7);
  EXPECT_EQ(drift[252], -7);
  // Ten steps a tick on one gate: its buoys were eased and rocked ten times in the first tick.
  EXPECT_EQ(Gate(0)->markerA->transform.angleX, 7 * 10 * 50 - 7 * 10 * 101 + 7 * 10 * 101 - 7 * 10 * 8);
  EXPECT_NEAR(Y(Gate(0)->markerB), 1000.0f, 2.0f);
}

TEST_F(Scenery, GateStepsWrapRoundAShortListAndSkipHiddenBuoys) {
  Water();
  Gates(3);
  Gate(1)->markerB->renderFlags |= kRenderNeverDrawn;
  ASSERT_EQ(MarkerBobStart(&view), 0);
  MarkerBobProcess(&view);
  EXPECT_EQ(Gate(0)->markerA->transform.angleX, 4 * 7);  // steps 0, 3, 6 and 9
  EXPECT_EQ(Gate(1)->markerA->transform.angleX, 3 * 7);
  EXPECT_EQ(Gate(2)->markerB->transform.angleX, 3 * 7);
  EXPECT_EQ(Gate(1)->markerB->transform.angleX, 0);
  EXPECT_EQ(Y(Gate(1)->markerB), 3000.0f);
  EXPECT_NEAR(Y(Gate(1)->markerA), 1250.0f, 2.0f);  // three halvings of the 2000 above the water
  EXPECT_EQ(gScenery.cursor, Gate(1));  // the next tick goes on from step 10
}

TEST_F(Scenery, TreasureMarkersSpinUnlessTheirGroupStopsThem) {
  EXPECT_EQ(MarkerSpinStart(&view), -1010);
  Gates(3);
  Gate(2)->markerA->collisionGroup = 0x90;
  Gate(1)->markerA = nullptr;
  ASSERT_EQ(MarkerSpinStart(&view), 0);
  MarkerSpinProcess();
  EXPECT_EQ(Gate(0)->markerA->transform.angleY, 6 * 60);  // sixteen steps: 0, 3, .., 15
  EXPECT_EQ(Gate(2)->markerA->transform.angleY, 0);
  EXPECT_EQ(Gate(0)->markerB->transform.angleY, 0);
}

TEST_F(Scenery, FloatersAreServedTenATickRoundRobin) {
  Water();
  ASSERT_EQ(FloaterListReset(&view), 0);
  EngineObject* lone = Marker(0.0f);
  ASSERT_EQ(FloaterListAdd(lone), 0);
  EXPECT_TRUE(lone->renderFlags & kRenderStatic);
  FloaterProcess(&view);
  EXPECT_NEAR(Y(lone), 2000.0f, 1.0f);  // once: halfway down

  ASSERT_EQ(FloaterListReset(&view), 0);
  std::vector<EngineObject*> many;
  for (int i = 0; i < 15; ++i) {
    many.push_back(Marker(10.0f * i));
    ASSERT_EQ(FloaterListAdd(many.back()), 0);
  }
  const auto eased = [&] {
    int count = 0;
    for (EngineObject* o : many) count += Y(o) < 2999.0f ? 1 : 0;
    return count;
  };
  FloaterProcess(&view);
  EXPECT_EQ(eased(), 10);
  FloaterProcess(&view);
  EXPECT_EQ(eased(), 15);
  // The head (the last added) was served in both ticks, the first added once.
  EXPECT_NEAR(Y(many[14]), 1500.0f, 2.0f);
  EXPECT_NEAR(Y(many[0]), 2000.0f, 2.0f);
}

TEST_F(Scenery, WithoutWaterUnderThemObjectsKeepTheirPlace) {
  Gates(1);
  ASSERT_EQ(MarkerBobStart(&view), 0);
  MarkerBobProcess(&view);
  EXPECT_EQ(Y(Gate(0)->markerA), 3000.0f);
  EXPECT_EQ(Gate(0)->markerA->transform.angleX, 0);
  ASSERT_EQ(FloaterListAdd(Gate(0)->markerB), 0);
  FloaterProcess(&view);
  EXPECT_EQ(Y(Gate(0)->markerB), 3000.0f);
  ASSERT_EQ(FloaterListReset(&view), 0);
}

}  // namespace
