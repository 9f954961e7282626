// The swept box of a craft's move and its spray emitters.
#include <gtest/gtest.h>

#include "engine/core/frame_tick.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/particles.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "game/world/craft_spray.h"
#include "game/world/level_bounds.h"
#include "game/world/watercraft.h"

namespace {

class CraftSpray : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    ASSERT_EQ(wre_MathTablesInit(), 0);
    gObjectServices = wre_ObjectCoreServices();
    wre_ParticlesSetTextureCheck(nullptr);
    body_.radius = 100.0f;
    body_.collisionGroup = 0x1000;
    rider_.collisionGroup = 0x400000;
    craft_.craftObject = &body_;
    craft_.riderObject = &rider_;
    craft_.flags = kCraftOnSurface;
    gFrameTick = 0;  // the particles outlive the test
    gEngineTick = 1000;
  }
  void TearDown() override {
    for (EngineObject* emitter : craft_.sprayEmitters) wre_ObjectDispose(emitter);
    wre_MathTablesExit();
  }
  void MakeEmitters() {
    const Point4 mounts[4] = {{0, -200, -100, 0}, {-220, -100, -200, 0}, {220, -100, -200, 0}, {0, -200, 100, 0}};
    for (int i = 0; i < 4; ++i) {
      ASSERT_EQ(wre_ParticleObjectNew(&craft_.sprayEmitters[i], kParticlesServed, 32, -1, 0, 0), 0);
      craft_.sprayOffsets[i] = mounts[i];
    }
  }
  int32_t Sprayed() const { return craft_.sprayEmitters[0]->particles->count; }

  EngineObject body_{};
  EngineObject rider_{};
  Watercraft craft_{};
};

TEST_F(CraftSpray, SweptBoxCoversTheMoveTheVelocityAndTheLevelHeight) {
  gLevelBoundsMinY = -500.0f;
  gLevelBoundsMaxY = 3000.0f;
  Transform from{};
  Transform to{};
  wre_TransformSet(&from, 0, 0, 0, 0.0f, 0.0f, 0.0f);
  wre_TransformSet(&to, 0, 0, 0, 50.0f, -10.0f, -30.0f);
  craft_.physics.velocity = {20.0f, 5.0f, -40.0f, 0.0f};
  float box[6];
  CraftSweptBox(&craft_, &from, &to, box);
  const float expected[6] = {-170.0f, 320.0f, -20505.0f, 3005.0f, -300.0f, 210.0f};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(box[i], expected[i]) << i;

  // At rest the box reaches twice the radius across: the radius is added at both ends of the move.
  craft_.physics.velocity = {};
  CraftSweptBox(&craft_, &to, &to, box);
  EXPECT_EQ(box[0], 50.0f - 200.0f);
  EXPECT_EQ(box[5], -30.0f + 200.0f);

  EXPECT_EQ(CraftSweptBoxMask(&craft_), 0x1FFFFE7Du & ~0x401000u);
  gLevelBoundsMinY = gLevelBoundsMaxY = 0.0f;
}

TEST_F(CraftSpray, EmittersFollowTheirMountsUpright) {
  MakeEmitters();
  wre_ObjectSetTransform(&body_, 0, 1024, 0, 1000.0f, 50.0f, 2000.0f);  // a quarter turn: forward is +x
  ASSERT_EQ(CraftSprayUpdate(&craft_), 0);
  const EngineObject* right = craft_.sprayEmitters[2];
  EXPECT_NEAR(right->transform.position[0], 1000.0f - 200.0f, 0.01f);
  EXPECT_NEAR(right->transform.position[1], 50.0f - 100.0f, 0.01f);
  EXPECT_NEAR(right->transform.position[2], 2000.0f - 220.0f, 0.01f);
  EXPECT_EQ(right->transform.angleY, 0);
}

TEST_F(CraftSpray, BurstsEverySixTicksSizedByThrottleOnlyOnTheWater) {
  MakeEmitters();
  // Every 2 ticks, as the craft process runs: a burst at 1000, 1006 and 1012.
  for (int call = 0; call < 7; ++call, gEngineTick += 2) ASSERT_EQ(CraftSprayUpdate(&craft_), 0);
  EXPECT_EQ(Sprayed(), 3);  // one drop a burst at idle

  craft_.physics.throttle = 1.0f;
  for (int call = 0; call < 9; ++call, gEngineTick += 2) ASSERT_EQ(CraftSprayUpdate(&craft_), 0);
  EXPECT_EQ(Sprayed(), 32);  // 12 a burst until the set is full, which is no failure
  for (int i = 1; i < 4; ++i) EXPECT_EQ(craft_.sprayEmitters[i]->particles->count, 0);

  wre_ObjectRemoveParticle(craft_.sprayEmitters[0]->particles, 0);
  for (uint8_t flags : {uint8_t{0}, uint8_t{kCraftOnSurface | kCraftOnGround}}) {
    craft_.flags = flags;
    for (int call = 0; call < 6; ++call, gEngineTick += 2) ASSERT_EQ(CraftSprayUpdate(&craft_), 0);
    EXPECT_EQ(Sprayed(), 31) << int{flags};
  }
}

}  // namespace
