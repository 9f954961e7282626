#include "game/world/craft_dynamics.h"

#include <algorithm>
#include <cmath>

#include "engine/core/object.h"
#include "game/world/craft_vector.h"
#include "game/world/watercraft.h"

namespace {

float HorizontalSpeed(const Point4& v) { return std::sqrt(v.x * v.x + v.z * v.z); }

// Thrust along the heading: a squared law below 1500, less a speed drag, cut by steering and on
// solid ground, capped by mass.
void ApplyThrust(CraftPhysics* p, const Point4& forward, bool onGround) {
  const float hs = HorizontalSpeed(p->velocity);
  float force = p->thrust * p->power;
  if (hs < 1500.0f) force = force * force * p->inverseMass;
  force = force - hs * 0.4f;
  if (p->steer != 0.0f) force = force - std::fabs(p->steer) * 0.9f * force;
  if (onGround) force = force * 0.05f;
  force = std::min(force, 120.0f - p->mass * 0.07f);
  if (force > 0.0f) {
    const Point4 heading{forward.x, 0.0f, forward.z, forward.w};
    Point4 push{};
    Vec4SetScaled(&push, &heading, force);
    Vec4Add(&p->velocity, &push);
  }
}

// Turns the horizontal velocity toward the heading, keeping its speed: by at least 1% a call,
// more with thrust.
void ApplyGrip(CraftPhysics* p, const Point4& forward) {
  Point4& v = p->velocity;
  const float hs = HorizontalSpeed(v);
  if (hs == 0.0f) return;
  Point4 along{v.x, 0.000001f, v.z, 0.0f};
  Vec3Normalize(&along);
  const Point4 facing{forward.x, 0.000001f, forward.z, 0.0f};
  const float grip = std::clamp(p->thrust * p->power * p->inverseMass * 0.01f, 0.0f, 0.99f) + 0.01f;
  Point4 turned{along.x + grip * (facing.x - along.x), along.y + grip * (facing.y - along.y),
                along.z + grip * (facing.z - along.z), 0.0f};
  Vec3Normalize(&turned);
  v.x = turned.x * hs;
  v.z = turned.z * hs;
}

void ApplyDrag(CraftPhysics* p, bool onGround) {
  Point4& v = p->velocity;
  Vec3Scale(&v, 0.97f);
  if (onGround) Vec3Scale(&v, 0.5f);
  const float hs = HorizontalSpeed(v);
  if (hs > 100.0f) {
    // The whole vector takes the shortened horizontal length; the vertical speed is then restored.
    const float vy = v.y;
    Vec3Normalize(&v);
    Vec3Scale(&v, hs * 0.999f);
    v.y = vy;
  }
  for (float& s : p->spin) s *= 0.9f;
}

}  // namespace

void CraftDynamicsStep(const Watercraft* craft, CraftPhysics* p) {
  if (!craft || !p || !craft->craftObject) return;
  const Transform& body = craft->craftObject->transform;
  const bool onSurface = (craft->flags & kCraftOnSurface) != 0;
  const bool onGround = (craft->flags & kCraftOnGround) != 0;
  Point4& v = p->velocity;

  if (craft->flags & kCraftRiderThrown) {
    p->throttle = 0.0f;
    p->thrust = 0.0f;
    p->steer = 0.0f;
  }

  if (onSurface) {
    // A spring toward the surface from above, a steady pull when at or below it, then damping.
    v.y += p->depth > 0.0f ? p->depth * -0.14f : -2.0f;
    v.y *= 0.7f;
  } else {
    v.y += -20.0f;
  }

  if (p->throttle > 0.0f) {
    p->thrust = std::min(1.0f, p->thrust + p->rampRate * p->throttle);
  } else if (p->thrust != 0.0f) {
    p->thrust = std::max(0.0f, p->thrust + -0.2f);
  }

  if (!onSurface) return;

  if (p->thrust > 0.0f) ApplyThrust(p, body.axisZ, onGround);

  if (p->steer != 0.0f && p->throttle > 0.0f) {
    const float torque = p->power * 6.0f * p->throttle * p->inverseMass * 0.9f * p->steer;
    p->spin[0] += body.axisY.x * torque;
    p->spin[1] += body.axisY.y * torque;
    p->spin[2] += body.axisY.z * torque;
  }

  ApplyGrip(p, body.axisZ);

  // Banking rolls into the turn and lifts the nose with speed.
  const float bank = HorizontalSpeed(v) * -0.004f * p->steer;
  p->spin[2] += bank;
  p->spin[0] -= std::fabs(bank);
  const float hs = HorizontalSpeed(v);
  if (hs > 0.0f) p->spin[0] += hs * -0.0001f;

  ApplyDrag(p, onGround);

  if (!(craft->flags & kCraftWasOnSurface)) {
    // Just come down: the landing costs a quarter of the speed and of the thrust.
    Vec3Scale(&v, 0.75f);
    p->thrust *= 0.75f;
  }
}
