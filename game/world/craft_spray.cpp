#include "game/world/craft_spray.h"

#include <algorithm>

#include "engine/core/collide.h"
#include "engine/core/object.h"
#include "engine/core/particles.h"
#include "engine/core/random.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "game/world/level_bounds.h"
#include "game/world/watercraft.h"

namespace {

constexpr uint32_t kCraftMeetsGroups = 0x1FFFFE7D;
constexpr float kBelowLevel = 20000.0f;
constexpr uint32_t kSprayInterval = 5;  // ticks that must pass before the next burst, exclusive
constexpr int32_t kSprayLifetime = 15;

}  // namespace

void CraftSweptBox(const Watercraft* craft, const Transform* from, const Transform* to, float box[6]) {
  const float r = craft->craftObject->radius;
  const Point4& v = craft->physics.velocity;
  const float velocity[3] = {v.x, v.y, v.z};
  for (int axis = 0; axis < 3; ++axis) {
    const float p = to->position[axis];
    const float d = to->position[axis] - from->position[axis];
    float& low = box[2 * axis];
    float& high = box[2 * axis + 1];
    low = std::min(p - r, p - r + d);
    high = std::max(p + r, p + r + d);
  }
  box[2] = gLevelBoundsMinY - kBelowLevel;
  box[3] = gLevelBoundsMaxY;
  for (int axis = 0; axis < 3; ++axis) {
    float& low = box[2 * axis];
    float& high = box[2 * axis + 1];
    low = std::min(low, low + velocity[axis]);
    low = std::min(low, low - velocity[axis]);
    high = std::max(high, high + velocity[axis]);
    high = std::max(high, high - velocity[axis]);
  }
  box[0] -= r;
  box[1] += r;
  box[4] -= r;
  box[5] += r;
}

uint32_t CraftSweptBoxMask(const Watercraft* craft) {
  uint32_t own = craft->craftObject ? craft->craftObject->collisionGroup : 0;
  if (craft->riderObject) own |= craft->riderObject->collisionGroup;
  return kCraftMeetsGroups & ~own;
}

int32_t CraftSweptBoxQuery(const Watercraft* craft, const Transform* from, const Transform* to, World* world) {
  if (!craft || !craft->craftObject || !from || !to) return 0;
  float box[6];
  CraftSweptBox(craft, from, to, box);
  return wre_GridQueryBox(world, box, CraftSweptBoxMask(craft), kCollideTiledMeshes, craft->craftObject);
}

namespace {

// One burst from the first emitter: more and bigger drops with more throttle, thrown out sideways
// and up from the hull and trailing the craft's move.
int32_t EmitSprayBurst(Watercraft* craft, EngineObject* emitter, const Point4& trail) {
  const Transform& body = craft->craftObject->transform;
  const float throttle = craft->physics.throttle;
  const int32_t count = std::max(1, static_cast<int32_t>(throttle * 12.0f));
  const float t = std::max(0.01f, throttle);
  const Point4 size{t * 9.0f + 8.0f, t * 9.0f + 8.0f, 0.0f, 0.0f};
  const Point4 fall{0.0f, -0.1f, 0.0f, 0.0f};
  const Point4 growth{t * 0.1f, t * 0.1f, 0.0f, 0.0f};
  int32_t result = 0;
  for (int32_t i = 0; i < count; ++i) {
    const float across = static_cast<float>(static_cast<int32_t>(wre_Random() & 0x3F) - 31);
    const float up = static_cast<float>(wre_Random() & 0x1F) + t;
    const Point4 velocity{body.axisX.x * across + body.axisY.x * up - trail.x * 0.01f,
                          body.axisX.y * across + body.axisY.y * up - trail.y * 0.01f,
                          body.axisX.z * across + body.axisY.z * up - trail.z * 0.01f, 0.0f};
    result = wre_ObjectAddParticle(emitter, nullptr, 0, kSprayLifetime, &size, &velocity, &fall, &growth, nullptr);
  }
  return result == kParticlesErrFull ? 0 : result;
}

// The emitters stand upright whatever the craft's attitude.
void StandUpright(EngineObject* emitter) {
  const float* p = emitter->transform.position;
  wre_ObjectSetTransform(emitter, 0, 0, 0, p[0], p[1], p[2]);
}

}  // namespace

int32_t CraftSprayUpdate(Watercraft* craft) {
  if (!craft || !craft->craftObject) return kWreErrNull;
  const Transform& body = craft->craftObject->transform;
  for (int i = 0; i < 4; ++i) {
    EngineObject* emitter = craft->sprayEmitters[i];
    if (!emitter) continue;
    const float oldY = emitter->transform.position[1];
    const Point4& mount = craft->sprayOffsets[i];
    wre_ObjectPlaceRelative(emitter, &body, mount.x, mount.y, mount.z);
    StandUpright(emitter);
    // Airborne drops follow the craft's rise and fall, but only so far.
    const float dy = std::clamp(oldY - emitter->transform.position[1], -10.0f, 10.0f);
    wre_ObjectMoveParticles(emitter, 0.0f, dy, 0.0f, 0.0f);
  }
  const Point4 trail{(body.position[0] - craft->previousPosition[0]) * 0.4f,
                     (body.position[1] - craft->previousPosition[1]) * 0.4f,
                     (body.position[2] - craft->previousPosition[2]) * 0.4f, 0.0f};

  int32_t result = 0;
  if (gEngineTick - craft->sprayTick > kSprayInterval) {
    craft->sprayTick = gEngineTick;
    const bool onWater = (craft->flags & kCraftOnSurface) && !(craft->flags & kCraftOnGround);
    if (onWater && craft->sprayEmitters[0]) result = EmitSprayBurst(craft, craft->sprayEmitters[0], trail);
  }
  if (result != 0) return result;
  for (EngineObject* emitter : craft->sprayEmitters) {
    if (!emitter) continue;
    result = wre_ObjectUpdateParticles(emitter);
    if (result != 0) break;
  }
  for (EngineObject* emitter : craft->sprayEmitters) {
    if (emitter) StandUpright(emitter);
  }
  return result;
}
