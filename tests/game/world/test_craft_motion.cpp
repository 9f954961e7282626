// The motion step in a small world: riding on the water, bouncing off walls and other crafts,
// jumping a ramp, tilting to the surface, falling to the floor, the rapids' shake and the craft
// process around the step.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/process.h"
#include "engine/core/random.h"
#include "engine/render/camera.h"
#include "game/world/rider.h"
#include "tests/game/world/craft_world.h"

namespace {

using CraftMotion = CraftWorld;

TEST_F(CraftMotion, RidesAtItsModelsHeightLandsWithOneSplashAndRisesByTheSinkingRule) {
  const float rides[5] = {100, 80, 80, 100, 110};
  for (int model = 0; model < 5; ++model) {
    Watercraft* craft = NewCraft(model, 4000.0f * static_cast<float>(model), rides[model], 0, model);
    Step(craft, 40);
    EXPECT_FLOAT_EQ(Y(craft), rides[model]) << model;
    EXPECT_EQ(craft->flags & (kCraftOnSurface | kCraftOnGround), kCraftOnSurface) << model;
  }
  // Dropped from high up it splashes once, in the call after it came down, and settles where the
  // water's pull on the hull (0.14 of the height, kept 0.7 x 0.97 a call: v = -0.2961 y) balances
  // the lift of 0.4 of the gap (100 - y = -1.5 v): y = 100 / 1.4442.
  Watercraft* dropped = NewCraft(5, -8000, 3000, 0);
  dropped->flags = kCraftRacing;
  int splashes = 0;
  for (int call = 0; call < 60; ++call) {
    Unhear(kOneShotJumpSplash);
    Step(dropped);
    splashes += Heard(kOneShotJumpSplash) ? 1 : 0;
  }
  EXPECT_EQ(splashes, 1);
  EXPECT_NEAR(Y(dropped), 69.243f, 0.01f);

  // The dynamics leave the trial move still (v.y + 2 falls by 2 on the surface): 100 below the ride
  // height the craft rises 40, 30 below it the whole 30.
  Watercraft* craft = NewCraft(5, -20000, 0, 0);
  craft->physics.velocity.y = 2.0f;
  Step(craft);
  EXPECT_FLOAT_EQ(Y(craft), 40.0f);
  wre_ObjectSetTransform(craft->craftObject, 0, 0, 0, -20000, 70, 0);
  craft->physics.velocity.y = 2.0f;
  craft->physics.depth = 0.0f;
  Step(craft);
  EXPECT_FLOAT_EQ(Y(craft), 100.0f);
}

TEST_F(CraftMotion, WallBouncesAndThrowsOnlyOnAHardSquareHitOnSolidGround) {
  // Head on at about 1450 a call: reflected, damped to a tenth, pushed out 50 and thrown.
  Watercraft* fast = NewCraft(0, 0, 100, 7400);
  fast->physics.velocity.z = 1500.0f;
  fast->physics.throttle = 1.0f;
  Step(fast);
  EXPECT_NEAR(Z(fast), 7749.5f, 0.01f);  // the front 0.5 short of the wall
  EXPECT_NEAR(fast->physics.velocity.z, -0.1f * 1500.0f * 0.97f * 0.999f - 50.0f, 0.5f);
  EXPECT_FLOAT_EQ(fast->physics.throttle, 0.1f);
  EXPECT_EQ(fast->flags & (kCraftThrowPending | kCraftInContact | kCraftOnGround),
            kCraftThrowPending | kCraftInContact | kCraftOnGround);
  EXPECT_FLOAT_EQ(gRaceSounds.emitters[kOneShotGroundHit].z, 8000.0f);

  // Below 1100 it backs off for the rest of the move, whose clear pass ends the contact.
  Watercraft* slow = NewCraft(1, -4000, 100, 7400);
  slow->physics.velocity.z = 1000.0f;
  Step(slow);
  EXPECT_EQ(slow->flags & (kCraftThrowPending | kCraftInContact), 0);
  EXPECT_LT(Z(slow), 7700.0f);

  // A floating object never throws.
  wall->collisionGroup = 0x40;
  Watercraft* buoyed = NewCraft(2, 4000, 100, 7400);
  buoyed->physics.velocity.z = 1500.0f;
  Step(buoyed);
  EXPECT_FALSE(buoyed->flags & kCraftThrowPending);
  EXPECT_FLOAT_EQ(gRaceSounds.emitters[kOneShotBuoyBump].z, 8000.0f);
}

TEST_F(CraftMotion, CraftsBumpBothWaysAndAHardBumpThrowsBothRiders) {
  Watercraft* a = NewCraft(0, 0, 100, 0);
  Watercraft* b = NewCraft(1, 0, 100, 1000);
  a->physics.velocity.z = 2000.0f;
  Step(a);
  // Straight ahead the line between them is z: both gain half of A's speed.
  const float v = 2000.0f * 0.97f * 0.999f;
  EXPECT_NEAR(b->physics.velocity.z, 0.5f * v, 1.0f);
  EXPECT_TRUE(a->flags & kCraftThrowPending);
  EXPECT_TRUE(b->flags & kCraftThrowPending);

  // One rising into another right above it: no line between them, and no division by zero.
  Watercraft* c = NewCraft(2, 5000, 1000, 0);
  Watercraft* d = NewCraft(3, 5000, 2000, 0);
  c->flags = d->flags = kCraftRacing;
  c->physics.velocity = {0, 1200, 0, 0};
  Step(c);
  EXPECT_TRUE(std::isfinite(c->physics.velocity.x) && std::isfinite(c->physics.velocity.y));
  EXPECT_EQ(d->physics.velocity.y, 0.0f);
  EXPECT_LT(Y(c), 2000.0f - 120.0f);
}

TEST_F(CraftMotion, RampLaunchesTheCraftNoseUpIntoTheAirAndItComesBackDown) {
  Watercraft* craft = NewCraft(0, 20000, 100, -1000);
  craft->physics.velocity.z = 900.0f;
  bool airborne = false;
  int32_t steepest = 0;
  for (int call = 0; call < 20; ++call) {
    const int32_t pitch = craft->craftObject->transform.angleX;
    Step(craft);
    EXPECT_GE(craft->craftObject->transform.angleX - pitch, -50) << call;
    steepest = std::min(steepest, craft->craftObject->transform.angleX);
    airborne = airborne || (!(craft->flags & kCraftOnSurface) && Y(craft) > 500.0f);
  }
  EXPECT_TRUE(Heard(kOneShotRampJump));
  EXPECT_TRUE(airborne);
  EXPECT_EQ(steepest, -100);  // climbing at the most of 50 a call
  EXPECT_TRUE(craft->flags & kCraftOnSurface);
  EXPECT_LT(Y(craft), 100.0f);
  EXPECT_GT(Z(craft), 7000.0f);
}

TEST_F(CraftMotion, TiltsTowardTheSurfaceAndLeansIntoTurnsAtSpeed) {
  // Flat water at about 970 a call, steering fully right: pitch 0.25 and roll 0.25, so a fifth of
  // the way to -212 and -175.
  Watercraft* craft = NewCraft(0, 0, 100, 0);
  craft->physics.velocity.z = 1000.0f;
  craft->physics.steer = 1.0f;
  Step(craft);
  EXPECT_NEAR(craft->craftObject->transform.angleX, -42, 1);
  EXPECT_EQ(craft->craftObject->transform.angleZ, -35);
  for (const Point4& hull : craft->physics.hullPoints) EXPECT_NEAR(hull.y, 0.0f, 1e-3f);
}

TEST_F(CraftMotion, WithoutASurfaceItFallsToTheFloorAndACapsizedLandingThrows) {
  wre_ObjectSetCollidable(sea, 0);
  Watercraft* craft = NewCraft(0, 0, 100, 0);
  Step(craft, 30);
  EXPECT_FLOAT_EQ(Y(craft), gLevelBoundsMinY);
  EXPECT_FALSE(craft->flags & kCraftOnSurface);
  // The surface a miss gives is the negative of the level's mid-height: with the level below 0 it
  // stands above the craft, which rises toward it by the sinking rule.
  gLevelBoundsMinY = -10000.0f;
  gLevelBoundsMaxY = -2000.0f;
  Watercraft* lifted = NewCraft(2, -6000, 0, 0);
  Step(lifted);
  EXPECT_NEAR(Y(lifted), (6000.0f + 100.0f) * 0.4f, 5.0f);
  EXPECT_TRUE(lifted->flags & kCraftOnSurface);
  gLevelBoundsMinY = -5000.0f;
  gLevelBoundsMaxY = 20000.0f;

  wre_ObjectSetCollidable(sea, 1);
  Watercraft* over = NewCraft(1, 5000, 100, 0);
  wre_ObjectSetTransform(over->craftObject, 0, 0, 2048, 5000, 100, 0);
  over->flags = kCraftRacing;
  Step(over);
  EXPECT_TRUE(over->flags & kCraftThrowPending);
}

TEST_F(CraftMotion, RapidsShakeACraftInsideTheirBoundsWithoutTouchingTheirPolygons) {
  // A water-surface object whose polygons lie far below the craft but whose box holds it.
  EngineObject* rapids = Place(object_test::NewBoxMesh(kObjectMesh, -3000, 3000, -3000, 3000, -3000, 3000), 0x20,
                               0, 0, 0);
  wre_RandomSeed(7);
  Watercraft* craft = NewCraft(0, 0, 100, 0);
  craft->physics.velocity.z = 200.0f;
  Step(craft);
  EXPECT_NE(craft->physics.spin[1], 0.0f);  // only the shake turns a craft without steering
  // Outside the bounds nothing shakes.
  wre_ObjectSetTransform(rapids, 0, 0, 0, 0, 0, 20000);
  wre_ObjectUpdate(rapids, 1, 1);
  Watercraft* calm = NewCraft(1, 0, 100, 0);
  calm->physics.velocity.z = 200.0f;
  Step(calm);
  EXPECT_EQ(calm->physics.spin[1], 0.0f);
}

TEST_F(CraftMotion, ProcessMovesSeatsStoresFollowsAndThrowsInTurn) {
  Watercraft* craft = NewCraft(0, 0, 100, 5400);
  craft->physics.velocity.z = 1500.0f;
  Camera camera{};
  EngineObject rider{};
  view = ViewComponents{&camera, view.world, kViewOnBoard, craft->owner, {}, 0};
  craft->owner->flags = kGameObjectCameraFollows;
  craft->riderObject = &rider;
  ProcessNode node{};
  node.user1 = craft->owner;
  node.user2 = &view;

  gPaused = 1;
  EXPECT_EQ(CraftProcess(&node), 0);
  EXPECT_EQ(Z(craft), 5400.0f);
  gPaused = 0;
  EXPECT_EQ(CraftProcess(&node), 0);
  EXPECT_EQ(craft->previousPosition[2], 5400.0f);
  EXPECT_EQ(craft->currentPosition.z, Z(craft));
  EXPECT_NEAR(rider.transform.position[1], Y(craft) + 150.0f, 5.0f);
  EXPECT_NEAR(camera.transform.position[1], Y(craft) + 350.0f, 5.0f);

  // Into the wall: the throw starts in the same call, and the player's view becomes the chase.
  EXPECT_EQ(CraftProcess(&node), 0);
  EXPECT_EQ(craft->flags & (kCraftThrowPending | kCraftRiderThrown), kCraftRiderThrown);
  EXPECT_EQ(craft->physics.throwTick, gEngineTick);
  EXPECT_EQ(view.viewMode, kViewChase);
}

}  // namespace
