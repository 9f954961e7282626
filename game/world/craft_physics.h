// The dynamics block of a watercraft: the controls, the per-model constants and the motion state
// that the craft dynamics integrate and the thrown rider uses.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

struct CraftPhysics {
  float mass;
  float inverseMass;
  float throttle;  // 0..1
  float rampRate;  // thrust gained per call per unit of throttle
  float steer;     // -1..1
  float power;
  float thrust;  // 0..1, the throttle accumulator
  float depth;   // height above the surface found by the probe
  uint32_t throwTick;
  Point4 hullPoints[4];  // front, back, -X side, +X side
  Point4 riderVelocity;
  Point4 velocity;  // world units per call
  float riderSpin[3];
  float spin[3];  // X, Y and Z angle rates per call
};
