#include "game/world/rider.h"

#include <cstdint>

#include "engine/core/collide.h"
#include "engine/core/object.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "game/state/view_components.h"
#include "game/world/craft_models.h"
#include "game/world/craft_vector.h"
#include "game/world/game_object.h"
#include "game/world/game_sounds.h"
#include "game/world/object_words.h"
#include "game/world/race_camera.h"
#include "game/world/watercraft.h"

namespace {

constexpr Point4 kRiderSeatOffsets[kCraftModelCount] = {
    {0.0f, 150.0f, -10.0f, 0.0f},  {0.0f, 140.0f, -10.0f, 0.0f},   {0.0f, 160.0f, -70.0f, 0.0f},
    {0.0f, 170.0f, -135.0f, 0.0f}, {-10.0f, 170.0f, -280.0f, 0.0f},
};

// The sweep starts this far above the rider, so that a sinking rider still meets the one-sided water
// surface from above.
constexpr float kSweepAbove = 20000.0f;
// After the splash the sweep's negative radius holds the rider's origin this far below the water.
constexpr float kSunkRadius = -160.0f;
constexpr uint32_t kWaterGroup = 1;
constexpr uint32_t kRiderSweepFlags = kCollideTiledMeshes | kCollidePreCollected | kCollidePolygons;

// A model outside the table seats the rider at the craft's origin.
Point4 RiderSeat(int32_t model) {
  if (model < 0 || model >= kCraftModelCount) return Point4{0.0f, 0.0f, 0.0f, 0.0f};
  return kRiderSeatOffsets[model];
}

bool Splashed(const EngineObject* rider) { return rider->gameWords[kGameWordLink] != nullptr; }
void SetSplashed(EngineObject* rider, bool splashed) {
  rider->gameWords[kGameWordLink] = splashed ? reinterpret_cast<void*>(uintptr_t{1}) : nullptr;
}

bool Human(const Watercraft* craft) { return craft->owner && (craft->owner->controlKind & kControlHuman); }

void MoveThrownRider(Watercraft* craft, ViewComponents* view) {
  EngineObject* rider = craft->riderObject;
  CraftPhysics& p = craft->physics;
  Transform current = rider->transform;
  float radius = 1.0f;
  if (Splashed(rider)) {
    // Sinking: the body slowly rights itself.
    wre_TransformSet(&current, static_cast<int32_t>(static_cast<float>(current.angleX) * 0.8f), current.angleY,
                     current.angleZ, current.position[0], current.position[1], current.position[2]);
    radius = kSunkRadius;
  }
  Transform from = current;
  from.position[1] += kSweepAbove;
  Transform to = current;
  wre_TransformMove(&to, static_cast<int32_t>(p.riderSpin[0]), static_cast<int32_t>(p.riderSpin[1]),
                    static_cast<int32_t>(p.riderSpin[2]), p.riderVelocity.x, p.riderVelocity.y, p.riderVelocity.z);
  CollisionResult hit{};
  if (!wre_CollideSphereMove(&from, &to, radius, view ? view->world : nullptr, kWaterGroup, kRiderSweepFlags, &hit,
                             1)) {
    wre_ObjectSetTransform(rider, to.angleX, to.angleY, to.angleZ, to.position[0], to.position[1], to.position[2]);
    return;
  }
  const float f = hit.moveFraction;
  wre_ObjectSetTransform(rider, AngleBetween(from.angleX, to.angleX, f), AngleBetween(from.angleY, to.angleY, f),
                         AngleBetween(from.angleZ, to.angleZ, f), hit.hit[0], hit.hit[1], hit.hit[2]);
  for (float& s : p.riderSpin) s *= 0.7f;
  Vec3Scale(&p.riderVelocity, 0.7f);
  if (!Splashed(rider)) {
    const Point4 at{hit.hit[0], hit.hit[1], hit.hit[2], 0.0f};
    SoundPlayRiderSplash(&at, view);
    SetSplashed(rider, true);
  }
}

}  // namespace

int32_t RiderUpdate(Watercraft* craft, ViewComponents* view) {
  if (!craft || !craft->craftObject || !craft->riderObject) return kWreErrNull;
  if (craft->flags & kCraftRiderThrown) {
    MoveThrownRider(craft, view);
    return 0;
  }
  const Point4 seat = RiderSeat(craft->model);
  wre_ObjectPlaceRelative(craft->riderObject, &craft->craftObject->transform, seat.x, seat.y, seat.z);
  return 0;
}

int32_t RiderThrowStart(Watercraft* craft, ViewComponents* view) {
  if (!craft) return kWreErrNull;
  CraftPhysics& p = craft->physics;
  craft->flags = static_cast<uint8_t>((craft->flags & ~kCraftThrowPending) | kCraftRiderThrown);
  Vec3Scale(&p.velocity, 0.05f);
  for (float& s : p.spin) s *= 0.05f;
  p.throttle = 0.0f;
  p.thrust = 0.0f;
  if (craft->riderObject) SetSplashed(craft->riderObject, false);
  p.riderVelocity = Point4{};
  if (craft->craftObject) Vec4SetScaled(&p.riderVelocity, &craft->craftObject->transform.axisZ, -100.0f);
  p.riderVelocity.y += 5.0f;
  p.riderSpin[0] = -85.25f;
  p.riderSpin[1] = 0.0f;
  p.riderSpin[2] = 0.0f;
  p.throwTick = gEngineTick;
  if (Human(craft) && view) {
    view->savedViewMode = view->viewMode;
    if (view->viewMode != kViewChase) {
      view->viewMode = kViewNone;
      RaceCameraCycleView(view);
    }
  }
  return 0;
}

int32_t RiderThrowUpdate(Watercraft* craft, ViewComponents* view) {
  if (!craft) return kWreErrNull;
  if (gEngineTick - craft->physics.throwTick > kRiderThrowTicks) {
    if (Human(craft) && view) {
      view->viewMode = view->savedViewMode - 1;
      RaceCameraCycleView(view);
    }
    craft->flags = static_cast<uint8_t>(craft->flags & ~kCraftRiderThrown);
    return 0;
  }
  craft->physics.riderVelocity.y += -5.0f;
  return 0;
}
