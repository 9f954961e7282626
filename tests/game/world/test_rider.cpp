// The rider: its seat on each model, the throw and its end with the view restored, and the thrown
// rider's one splash into the water.
#include <gtest/gtest.h>

#include <array>

#include "engine/core/collide.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "game/state/view_components.h"
#include "game/world/game_object.h"
#include "game/world/game_sounds.h"
#include "game/world/object_words.h"
#include "game/world/rider.h"
#include "game/world/watercraft.h"

namespace {

class Rider : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    ASSERT_EQ(wre_MathTablesInit(), 0);
    gObjectServices = wre_ObjectCoreServices();
    owner_.controlKind = kControlHuman;
    craft_.craftObject = &body_;
    craft_.riderObject = &rider_;
    craft_.owner = &owner_;
    wre_ObjectSetTransform(&body_, 0, 0, 0, 0.0f, 0.0f, 0.0f);
    gEngineTick = 5000;
  }
  void TearDown() override { wre_MathTablesExit(); }

  EngineObject body_{};
  EngineObject rider_{};
  GameObject owner_{};
  Watercraft craft_{};
  ViewComponents view_{};
};

TEST_F(Rider, SitsOnTheSeatOfItsModelTurnedWithTheCraft) {
  // A quarter turn: the craft faces +x and its own x axis points to -z.
  wre_ObjectSetTransform(&body_, 0, 1024, 0, 100.0f, 20.0f, 200.0f);
  const float seats[6][3] = {{0, 150, -10}, {0, 140, -10}, {0, 160, -70}, {0, 170, -135}, {-10, 170, -280}, {0, 0, 0}};
  for (int model = 0; model < 6; ++model) {
    craft_.model = model == 5 ? 7 : model;
    ASSERT_EQ(RiderUpdate(&craft_, &view_), 0);
    EXPECT_NEAR(rider_.transform.position[0], 100.0f + seats[model][2], 0.01f) << model;
    EXPECT_NEAR(rider_.transform.position[1], 20.0f + seats[model][1], 0.01f) << model;
    EXPECT_NEAR(rider_.transform.position[2], 200.0f - seats[model][0], 0.01f) << model;
    EXPECT_EQ(rider_.transform.angleY, 1024);
  }
  EXPECT_EQ(RiderUpdate(nullptr, &view_), kWreErrNull);
}

TEST_F(Rider, ThrowCostsTheCraftItsSpeedAndEndsAfter180Ticks) {
  craft_.flags = kCraftThrowPending | kCraftOnSurface;
  craft_.physics.velocity = {100.0f, 40.0f, 200.0f, 0.0f};
  craft_.physics.spin[1] = 20.0f;
  craft_.physics.throttle = 1.0f;
  craft_.physics.thrust = 0.5f;
  view_.viewMode = kViewOverhead;
  ASSERT_EQ(RiderThrowStart(&craft_, &view_), 0);
  EXPECT_EQ(craft_.flags, kCraftRiderThrown | kCraftOnSurface);
  EXPECT_FLOAT_EQ(craft_.physics.velocity.z, 10.0f);
  EXPECT_FLOAT_EQ(craft_.physics.spin[1], 1.0f);
  EXPECT_EQ(craft_.physics.throttle, 0.0f);
  EXPECT_EQ(craft_.physics.thrust, 0.0f);
  // Backward off a craft facing +z, and a little up.
  EXPECT_FLOAT_EQ(craft_.physics.riderVelocity.z, -100.0f);
  EXPECT_FLOAT_EQ(craft_.physics.riderVelocity.y, 5.0f);
  EXPECT_EQ(craft_.physics.riderSpin[0], -85.25f);
  EXPECT_EQ(view_.viewMode, kViewChase);

  gEngineTick += kRiderThrowTicks;
  RiderThrowUpdate(&craft_, &view_);
  EXPECT_TRUE(craft_.flags & kCraftRiderThrown);
  EXPECT_FLOAT_EQ(craft_.physics.riderVelocity.y, 0.0f);
  // Thrown again at this moment: the chase view is what comes back, 180 ticks after the new throw.
  ASSERT_EQ(RiderThrowStart(&craft_, &view_), 0);
  gEngineTick += kRiderThrowTicks + 1;
  RiderThrowUpdate(&craft_, &view_);
  EXPECT_FALSE(craft_.flags & kCraftRiderThrown);
  EXPECT_EQ(view_.viewMode, kViewChase);

  // The first throw's view comes back when nothing interrupts it, also across the tick wrap.
  view_.viewMode = kViewOverhead;
  gEngineTick = 0xFFFFFFF0u;
  RiderThrowStart(&craft_, &view_);
  EXPECT_EQ(view_.viewMode, kViewChase);
  for (const uint32_t step : {10u, kRiderThrowTicks - 10}) {
    gEngineTick += step;
    RiderThrowUpdate(&craft_, &view_);
    EXPECT_TRUE(craft_.flags & kCraftRiderThrown) << gEngineTick;
  }
  gEngineTick += 1;
  RiderThrowUpdate(&craft_, &view_);
  EXPECT_FALSE(craft_.flags & kCraftRiderThrown);
  EXPECT_EQ(view_.viewMode, kViewOverhead);

  // A computer rider's throw leaves the player's view alone.
  owner_.controlKind = kControlComputer;
  RiderThrowStart(&craft_, &view_);
  EXPECT_EQ(view_.viewMode, kViewOverhead);
}

// A flat sheet of water at height 0 in group 1, its triangles wound both ways so that it faces up.
EngineObject* WaterSheet() {
  EngineObject* water = wre_ObjectNew(kObjectMesh, 4, 4, 1, 0, 0);
  const float h = 50000.0f;
  wre_ObjectAddPoint(water, -h, 0.0f, -h, 0);
  wre_ObjectAddPoint(water, h, 0.0f, -h, 0);
  wre_ObjectAddPoint(water, h, 0.0f, h, 0);
  wre_ObjectAddPoint(water, -h, 0.0f, h, 0);
  for (const auto& t : {std::array<int, 3>{0, 1, 2}, {0, 2, 3}, {2, 1, 0}, {3, 2, 0}}) {
    wre_ObjectAddPoly(water, 0, -1, kPolyPlain, t[0], t[1], t[2], nullptr, nullptr, nullptr, 0);
  }
  wre_ObjectRecalc(water, 0, 1, 1, 1, 1);
  wre_ObjectUpdate(water, 1, 1);
  wre_ObjectSetCollidable(water, 1);
  return water;
}

TEST_F(Rider, ThrownRiderSplashesIntoTheWaterOnce) {
  ASSERT_EQ(wre_CollideInit(64, 64), 0);
  const Point4 origin{0, 0, 0, 0};
  const float ambient[4] = {1, 1, 1, 1};
  view_.world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, &origin, ambient, 100.0f, 0);
  EngineObject* water = WaterSheet();
  ASSERT_EQ(wre_WorldAddObject(water, view_.world), 0);
  const float everywhere[6] = {-1e5f, 1e5f, -1e5f, 1e5f, -1e5f, 1e5f};
  gRaceSounds.emitters[kOneShotRiderSplash] = Point4{};

  craft_.flags = kCraftThrowPending | kCraftOnSurface;
  wre_ObjectSetTransform(&rider_, 0, 0, 0, 0.0f, 300.0f, 0.0f);
  RiderThrowStart(&craft_, &view_);
  ASSERT_EQ(wre_GridQueryBox(view_.world, everywhere, 1, kCollideTiledMeshes, nullptr), 1);
  ASSERT_EQ(RiderUpdate(&craft_, &view_), 0);  // flies back and up: no water yet
  EXPECT_FLOAT_EQ(rider_.transform.position[1], 305.0f);
  EXPECT_FLOAT_EQ(rider_.transform.position[2], -100.0f);
  EXPECT_EQ(rider_.gameWords[kGameWordLink], nullptr);

  craft_.physics.riderVelocity.y = -400.0f;
  wre_GridQueryBox(view_.world, everywhere, 1, kCollideTiledMeshes, nullptr);
  ASSERT_EQ(RiderUpdate(&craft_, &view_), 0);
  // Met the water: the sphere of radius 1 stops half a unit short of touching it.
  EXPECT_NEAR(rider_.transform.position[1], 1.5f, 0.01f);
  EXPECT_NE(rider_.gameWords[kGameWordLink], nullptr);
  EXPECT_FLOAT_EQ(craft_.physics.riderVelocity.y, -280.0f);
  const Point4 splash = gRaceSounds.emitters[kOneShotRiderSplash];
  EXPECT_FLOAT_EQ(splash.y, rider_.transform.position[1]);
  EXPECT_FLOAT_EQ(splash.z, rider_.transform.position[2]);

  wre_GridQueryBox(view_.world, everywhere, 1, kCollideTiledMeshes, nullptr);
  RiderUpdate(&craft_, &view_);
  // Sinking: the negative radius holds the body about 160 under the surface, its pitch relaxing.
  for (int i = 0; i < 4; ++i) {
    wre_GridQueryBox(view_.world, everywhere, 1, kCollideTiledMeshes, nullptr);
    RiderThrowUpdate(&craft_, &view_);
    RiderUpdate(&craft_, &view_);
  }
  EXPECT_NEAR(rider_.transform.position[1], -159.5f, 0.01f);
  EXPECT_GT(rider_.transform.angleX, -170);
  EXPECT_EQ(gRaceSounds.emitters[kOneShotRiderSplash].z, splash.z);  // no second splash

  wre_WorldDisposeObjects(view_.world);
  wre_WorldDispose(view_.world);
  wre_CollideExit();
}

}  // namespace
