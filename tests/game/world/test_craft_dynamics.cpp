// Craft dynamics: the speed curve, spooling, the thrust cap, buoyancy, turning, grip, drag and the
// landing loss. Expected values marked "worked" were computed apart from this code: by hand, or
// by replaying the formulas in single precision one operation at a time.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/object.h"
#include "game/world/craft_dynamics.h"
#include "game/world/craft_models.h"
#include "game/world/watercraft.h"

namespace {

constexpr uint8_t kOnWater = kCraftWasOnSurface | kCraftOnSurface;

class CraftDynamics : public ::testing::Test {
 protected:
  // A craft of the model at rest on the water, heading along +z, full throttle.
  void Make(int model, Point4 forward = {0.0f, 0.0f, 1.0f, 0.0f}) {
    body_ = EngineObject{};
    body_.transform.axisX = {forward.z, 0.0f, -forward.x, 0.0f};
    body_.transform.axisY = {0.0f, 1.0f, 0.0f, 0.0f};
    body_.transform.axisZ = forward;
    craft_ = Watercraft{};
    craft_.craftObject = &body_;
    craft_.flags = kOnWater;
    CraftPhysics& p = craft_.physics;
    p.mass = kCraftModelTable[model].mass;
    p.inverseMass = 1.0f / p.mass;
    p.power = kCraftModelTable[model].power;
    p.rampRate = kCraftModelTable[model].rampRate;
    p.throttle = 1.0f;
  }
  void Step() { CraftDynamicsStep(&craft_, &craft_.physics); }
  float HorizontalSpeed() const {
    const Point4& v = craft_.physics.velocity;
    return std::sqrt(v.x * v.x + v.z * v.z);
  }

  EngineObject body_{};
  Watercraft craft_{};
};

TEST_F(CraftDynamics, SpeedCurveAtFullThrottleFromRest) {
  // Horizontal speed after every 10th of 200 calls, model 0.
  static const float kGolden[20] = {
      76.7399063f, 345.80838f,  797.685791f, 1194.93933f, 1484.98682f, 1696.75354f, 1851.3656f,
      1961.0155f,  1970.04004f, 1970.07983f, 1970.07983f, 1970.07983f, 1970.07983f, 1970.07983f,
      1970.07983f, 1970.07983f, 1970.07983f, 1970.07983f, 1970.07983f, 1970.07983f,
  };
  Make(0);
  Step();
  // Worked: thrust 0.02, force (0.02 x 851)^2 / 678 = 0.427257, less 3% drag.
  EXPECT_FLOAT_EQ(HorizontalSpeed(), 0.4144396f);
  Step();
  EXPECT_FLOAT_EQ(HorizontalSpeed(), 1.89896214f);  // worked
  for (int call = 3; call <= 200; ++call) {
    Step();
    if (call % 10 == 0) {
      EXPECT_FLOAT_EQ(HorizontalSpeed(), kGolden[call / 10 - 1]) << "call " << call;
    }
    if (call == 50) {
      // Fifty steps of 0.02 in single precision fall just short of 1: the ramp takes 51 calls.
      EXPECT_LT(craft_.physics.thrust, 1.0f);
      EXPECT_FLOAT_EQ(HorizontalSpeed(), 1484.98682f);  // worked
    }
    if (call == 51) {
      EXPECT_EQ(craft_.physics.thrust, 1.0f);
      EXPECT_FLOAT_EQ(HorizontalSpeed(), 1509.28442f);  // worked: past 1500 the linear law
    }
  }
  EXPECT_FLOAT_EQ(HorizontalSpeed(), 1970.07983f);  // worked: the top speed
  EXPECT_EQ(craft_.physics.velocity.x, 0.0f);
}

TEST_F(CraftDynamics, ThrustCapBuoyancyGroundAndAir) {
  Make(0);
  craft_.physics.thrust = 1.0f;
  Step();
  // Worked: min(851^2 / 678, 120 - 0.07 x 678 = 72.54), less 3% drag; y is (0 - 2) x 0.7, less 3%.
  EXPECT_FLOAT_EQ(craft_.physics.velocity.z, 70.3638f);
  EXPECT_FLOAT_EQ(craft_.physics.velocity.y, -1.358f);
  // Released from full thrust: five steps of 0.2 in single precision leave 2.98e-8 (worked), so
  // the thrust is gone at the sixth call.
  craft_.physics.throttle = 0.0f;
  for (int call = 1; call <= 5; ++call) Step();
  EXPECT_FLOAT_EQ(craft_.physics.thrust, 2.98023224e-8f);
  Step();
  EXPECT_EQ(craft_.physics.thrust, 0.0f);

  Make(0);
  craft_.physics.thrust = 1.0f;
  craft_.flags |= kCraftOnGround;
  Step();
  EXPECT_FLOAT_EQ(craft_.physics.velocity.z, 25.9024696f);  // worked: 5% of 1068.1, halved drag

  Make(3);
  craft_.physics.throttle = 0.0f;
  craft_.physics.depth = 10.0f;
  Step();
  EXPECT_FLOAT_EQ(craft_.physics.velocity.y, -0.98f * 0.97f);

  // In the air only gravity and spooling act: spin and horizontal speed are kept.
  Make(3);
  craft_.flags = kCraftWasOnSurface;
  craft_.physics.velocity = {30.0f, 5.0f, 40.0f, 0.0f};
  craft_.physics.spin[1] = 7.0f;
  craft_.physics.steer = 1.0f;
  Step();
  EXPECT_EQ(craft_.physics.velocity.x, 30.0f);
  EXPECT_EQ(craft_.physics.velocity.y, -15.0f);
  EXPECT_EQ(craft_.physics.velocity.z, 40.0f);
  EXPECT_EQ(craft_.physics.spin[1], 7.0f);
  EXPECT_FLOAT_EQ(craft_.physics.thrust, 0.02f);
}

TEST_F(CraftDynamics, TurningNeedsThrottleWhileBankingDoesNot) {
  Make(1);
  craft_.physics.thrust = 1.0f;
  craft_.physics.steer = -0.5f;
  craft_.physics.velocity.z = 500.0f;
  Step();
  // Worked: torque 732 x 6 x 0.9 x -0.5 / 613, bank -0.004 x 500 x -0.5, nose lift, 10% damping.
  EXPECT_FLOAT_EQ(craft_.physics.spin[0], -1.09070003f);
  EXPECT_FLOAT_EQ(craft_.physics.spin[1], -2.90172911f);
  EXPECT_FLOAT_EQ(craft_.physics.spin[2], 1.03876185f);

  Make(1);
  craft_.physics.throttle = 0.0f;
  craft_.physics.steer = 1.0f;
  craft_.physics.velocity.z = 500.0f;
  Step();
  EXPECT_EQ(craft_.physics.spin[1], 0.0f);
  EXPECT_FLOAT_EQ(craft_.physics.spin[2], -1.8f);
  EXPECT_FLOAT_EQ(craft_.physics.spin[0], -1.845f);
}

TEST_F(CraftDynamics, GripTurnsTheVelocityTowardTheHeadingAtTheSameSpeed) {
  Make(0, {0.6f, 0.0f, 0.8f, 0.0f});
  craft_.physics.throttle = 0.0f;
  craft_.physics.velocity.x = 300.0f;
  Step();
  // Worked: 1% of the way toward the heading, then 3% and 0.1% of drag.
  EXPECT_FLOAT_EQ(craft_.physics.velocity.x, 290.696503f);
  EXPECT_FLOAT_EQ(craft_.physics.velocity.z, 2.33491158f);
  EXPECT_FLOAT_EQ(HorizontalSpeed(), 290.705872f);
}

TEST_F(CraftDynamics, ThrownRiderAndLanding) {
  Make(4);
  craft_.flags |= kCraftRiderThrown;
  craft_.physics.thrust = 0.7f;
  craft_.physics.steer = 1.0f;
  Step();
  EXPECT_EQ(craft_.physics.throttle, 0.0f);
  EXPECT_EQ(craft_.physics.thrust, 0.0f);
  EXPECT_EQ(craft_.physics.steer, 0.0f);
  EXPECT_EQ(craft_.physics.velocity.z, 0.0f);

  // Just come down: a quarter of speed and thrust is lost.
  Make(0);
  craft_.flags = kCraftOnSurface;
  craft_.physics.throttle = 0.0f;
  craft_.physics.thrust = 0.8f;
  craft_.physics.velocity = {0.0f, -50.0f, 400.0f, 0.0f};
  Step();
  EXPECT_FLOAT_EQ(craft_.physics.velocity.y, -26.480999f);
  EXPECT_FLOAT_EQ(craft_.physics.velocity.z, 342.414703f);
  EXPECT_FLOAT_EQ(craft_.physics.thrust, 0.45f);
}

}  // namespace
