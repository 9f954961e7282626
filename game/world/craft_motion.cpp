// The motion step of one craft: the dynamics give a trial move, which is lifted to the surface found
// under the craft, swept against the level, floating objects and other crafts with bounce and
// push-out, and then the marker rules, the capsize test, the tilt to the surface and a last probe
// against ramps and floating objects follow.
#include <algorithm>
#include <cmath>

#include "engine/core/collide.h"
#include "engine/core/object.h"
#include "engine/core/random.h"
#include "engine/core/transform.h"
#include "game/state/view_components.h"
#include "game/world/craft_dynamics.h"
#include "game/world/craft_models.h"
#include "game/world/craft_process.h"
#include "game/world/craft_spray.h"
#include "game/world/craft_vector.h"
#include "game/world/game_sounds.h"
#include "game/world/level_bounds.h"
#include "game/world/level_load.h"
#include "game/world/marker_rules.h"
#include "game/world/object_words.h"
#include "game/world/watercraft.h"

namespace {

// The racers' bodies: 0x200 shifted left by the racer slot.
constexpr uint32_t kGroupRacerCrafts = 0x7FE00;
constexpr uint32_t kSolidGroups = kGroupRamp | kGroupSolid | kGroupFloating;
constexpr uint32_t kProbeGroups = kGroupWater | kSolidGroups;
constexpr uint32_t kLastProbeGroups = kGroupRamp | kGroupFloating;
// Ground, floating objects and the racers' bodies and riders; never the water, ramps or markers.
constexpr uint32_t kMoveGroups = 0x1FFFFE48;

constexpr uint32_t kProbeFlags = kCollideTiledMeshes | kCollidePreCollected | kCollidePolygons;
constexpr uint32_t kMoveFlags = kCollidePreCollected | kCollideBoxCorners;
// Without a narrow test: being inside a water-surface object's bounds is the touch.
constexpr uint32_t kWaterObjectFlags = kCollidePreCollected | kCollideBoxCorners;

constexpr float kProbeAbove = 2500.0f;
constexpr float kBelowLevel = 20000.0f;
constexpr float kProbeRadius = 1.0f;
constexpr int kMovePasses = 6;
constexpr float kPushOut = 50.0f;
constexpr float kRideHeights[kCraftModelCount] = {100.0f, 80.0f, 80.0f, 100.0f, 110.0f};
// Closer than this on the water the two bodies of a craft bump give no direction to push along.
constexpr float kCoincident = 0.001f;

float RideHeight(int32_t model) {
  return model >= 0 && model < kCraftModelCount ? kRideHeights[model] : kRideHeights[0];
}

// How far the hull reaches below the body's origin: the magnitude of its lowest local y.
float HullDepth(const EngineObject* body) { return std::fabs(body->localBox[7].y); }

float HorizontalSpeed(const Point4& v) { return std::sqrt(v.x * v.x + v.z * v.z); }

uint32_t GroupOf(const CollisionResult& hit) { return hit.object ? hit.object->collisionGroup : 0; }

int32_t Trunc(float value) { return static_cast<int32_t>(value); }

void SetFlag(Watercraft* craft, uint8_t flag, bool on) {
  craft->flags = static_cast<uint8_t>(on ? craft->flags | flag : craft->flags & ~flag);
}

void SetBodyHeight(EngineObject* body, float y) {
  const Transform& t = body->transform;
  wre_ObjectSetTransform(body, t.angleX, t.angleY, t.angleZ, t.position[0], y, t.position[2]);
}

// A radius-1 sphere dropped from 2500 above the body to below the level.
int32_t ProbeDown(const Transform& at, float bodyY, World* world, uint32_t groups, CollisionResult* hit) {
  Transform from = at;
  Transform to = at;
  from.position[1] = bodyY + kProbeAbove;
  to.position[1] = gLevelBoundsMinY - kBelowLevel;
  return wre_CollideSphereMove(&from, &to, kProbeRadius, world, groups, kProbeFlags, hit, 1);
}

struct Motion {
  Watercraft* craft;
  EngineObject* body;
  ViewComponents* view;
  World* world;
  Transform start;
  Transform old;
  Transform next;
  float surface;  // the height the craft rides at, once step 7 has added the ride height
  float water;    // the height the probe found, the floor when it found nothing
  bool rampContact;
  bool overWater;
};

// The surface under the trial place: water, or the top of ground, a ramp or a floating object
// plus the hull's depth. A ramp lifts the craft with its speed, which launches it off the top.
void FindSurface(Motion& m) {
  CraftPhysics& p = m.craft->physics;
  CollisionResult hit{};
  const float bodyY = m.body->transform.position[1];
  if (!ProbeDown(m.next, bodyY, m.world, kProbeGroups, &hit)) {
    // No surface at all: nothing holds the craft up before the floor.
    m.surface = gLevelBoundsMinY - kBelowLevel;
    return;
  }
  const uint32_t group = GroupOf(hit);
  m.surface = m.water = hit.contact[1];
  SetFlag(m.craft, kCraftOnGround, group & kGroupSolid);
  if (!(group & kSolidGroups)) return;
  m.surface += HullDepth(m.body);
  m.overWater = false;
  const float hs = HorizontalSpeed(p.velocity);
  if (m.surface > bodyY) p.velocity.y += (m.surface - bodyY) * hs * 0.0001f;
  if (group & kGroupRamp) {
    m.rampContact = true;
    const float* at = m.body->transform.position;
    if (hs > 400.0f) SoundPlayRampJump(at[0], at[1], at[2], m.view);
  }
}

// Sinking below the ride height: small gaps close at once, large ones by 40 percent a call.
void RideOnSurface(Motion& m) {
  if (m.overWater && !(m.craft->flags & kCraftOnGround)) {
    m.craft->physics.depth = m.body->transform.position[1] - m.surface;
  }
  m.surface += RideHeight(m.craft->model);
  if (m.next.position[1] < m.surface) {
    float d = m.surface - m.next.position[1];
    if (d > 40.0f) d *= 0.4f;
    m.next.position[1] += d;
  }
}

void ReapplyBody(EngineObject* body, float dx, float dy, float dz) {
  const Transform& t = body->transform;
  wre_ObjectSetTransform(body, t.angleX, t.angleY, t.angleZ, t.position[0] + dx, t.position[1] + dy,
                         t.position[2] + dz);
  wre_ObjectUpdate(body, 1, 1);
}

Point4 PlaneNormal(const CollisionResult& hit) {
  Point4 plane{};
  if (hit.object && hit.polygon >= 0) wre_ObjectGetPolyPlane(&plane, hit.object, hit.polygon);
  return plane;
}

// Started inside what it hit: turn back and step out along the polygon's normal.
void StepOut(Motion& m, const CollisionResult& hit) {
  Point4& v = m.craft->physics.velocity;
  v.x = -v.x;
  v.z = -v.z;
  const Point4 n = PlaneNormal(hit);
  v.x += kPushOut * n.x;
  v.z += kPushOut * n.z;
  ReapplyBody(m.body, kPushOut * n.x, kPushOut * n.y, kPushOut * n.z);
}

// Both crafts gain the same share of their velocity difference along the line between them; the
// impact speed is this craft's new velocity along that line.
float CraftBump(Watercraft* craft, Watercraft* other) {
  Point4& va = craft->physics.velocity;
  const float dx = other->craftObject->transform.position[0] - craft->craftObject->transform.position[0];
  const float dz = other->craftObject->transform.position[2] - craft->craftObject->transform.position[2];
  const float d = std::sqrt(dx * dx + dz * dz);
  if (!(d > kCoincident)) return HorizontalSpeed(va);
  Point4& vb = other->physics.velocity;
  const float nx = std::fabs(dx) / d * 0.5f;
  const float nz = std::fabs(dz) / d * 0.5f;
  const float gx = nx * (va.x - vb.x);
  const float gz = nz * (va.z - vb.z);
  va.x += gx;
  va.z += gz;
  vb.x += gx;
  vb.z += gz;
  const float ix = nx * va.x;
  const float iz = nz * va.z;
  return std::sqrt(ix * ix + iz * iz);
}

void PlayImpact(uint32_t group, const CollisionResult& hit, ViewComponents* view) {
  const Point4 at{hit.contact[0], hit.contact[1], hit.contact[2], 0.0f};
  if (group & kGroupFloating) {
    SoundPlayBuoyBump(&at, view);
  } else if (group & kGroupSolid) {
    SoundPlayGroundHit(&at, view);
  } else {
    SoundPlayBumpSplash(&at, view);
  }
}

// Reflects the velocity off the polygon and damps it by how square the hit was; a hard, square
// hit on anything but a floating object throws the riders off. True when the rider is thrown.
bool Rebound(Motion& m, const CollisionResult& hit, uint32_t group, float impact, Watercraft* other) {
  CraftPhysics& p = m.craft->physics;
  Point4& v = p.velocity;
  const Point4 n = PlaneNormal(hit);
  if (!(m.craft->flags & kCraftInContact)) {
    SetFlag(m.craft, kCraftInContact, true);
    if (impact > 800.0f) PlayImpact(group, hit, m.view);
  }
  const float keptY = v.y;
  v.y = 0.00001f;
  const float speed = Vec3Length(&v);
  Point4 u = v;
  Vec3Normalize(&u);
  const float along = Vec3Dot(&u, &n);
  v.x = (u.x - 2.0f * along * n.x) * speed;
  v.y = (u.y - 2.0f * along * n.y) * speed;
  v.z = (u.z - 2.0f * along * n.z) * speed;
  v.y = keptY;
  const float k = std::clamp(0.99f - std::fabs(Vec3Dot(&n, &u)), 0.1f, 0.99f);
  Vec3Scale(&v, k);
  p.thrust *= k;
  p.throttle *= k;
  v.x += kPushOut * n.x;
  v.z += kPushOut * n.z;
  m.next.position[0] += kPushOut * n.x;
  m.next.position[1] += kPushOut * n.y;
  m.next.position[2] += kPushOut * n.z;
  ReapplyBody(m.body, 0.0f, 0.0f, 0.0f);
  if (k < 0.4f && impact > 1100.0f && !(group & kGroupFloating)) {
    SetFlag(m.craft, kCraftThrowPending, true);
    if (other) SetFlag(other, kCraftThrowPending, true);
    return true;
  }
  return false;
}

// One pass stopped by a hit: the craft is placed where it stopped, bounces, and the rest of its
// move becomes the next pass. False when the sweep ends here.
bool HitAndGoOn(Motion& m, const CollisionResult& hit, uint32_t group) {
  Point4& v = m.craft->physics.velocity;
  Watercraft* other = nullptr;
  if ((group & kGroupRacerCrafts) && hit.object) {
    other = static_cast<Watercraft*>(hit.object->gameWords[kGameWordOwner]);
    if (other && !other->craftObject) other = nullptr;
  }
  const float impact = other ? CraftBump(m.craft, other) : HorizontalSpeed(v);
  const float f = hit.moveFraction;
  wre_ObjectSetTransform(m.body, AngleBetween(m.old.angleX, m.next.angleX, f),
                         AngleBetween(m.old.angleY, m.next.angleY, f), AngleBetween(m.old.angleZ, m.next.angleZ, f),
                         hit.hit[0], hit.hit[1], hit.hit[2]);
  if (!hit.object || hit.polygon < 0) {
    v.x = -v.x;
    v.z = -v.z;
  } else if (Rebound(m, hit, group, impact, other)) {
    return false;
  }
  const float rest = 1.0f - f;
  m.old = m.body->transform;
  for (int i = 0; i < 3; ++i) m.next.position[i] = m.old.position[i];
  wre_TransformMove(&m.next, 0, 0, 0, v.x * rest, v.y * rest, v.z * rest);
  wre_ObjectUpdate(m.body, 1, 1);
  return true;
}

void SweepMove(Motion& m) {
  uint32_t own = m.body->collisionGroup;
  if (m.craft->riderObject) own |= m.craft->riderObject->collisionGroup;
  const uint32_t mask = kMoveGroups & ~own;
  for (int pass = 0; pass < kMovePasses; ++pass) {
    CollisionResult hit{};
    if (!wre_CollideObjectMove(m.body, m.world, &m.old, &m.next, mask, kMoveFlags, &hit, 1)) {
      wre_ObjectSetTransform(m.body, m.next.angleX, m.next.angleY, m.next.angleZ, m.next.position[0],
                             m.next.position[1], m.next.position[2]);
      SetFlag(m.craft, kCraftInContact, false);
      return;
    }
    const uint32_t group = GroupOf(hit);
    const uint8_t flags = m.craft->flags;
    if ((group & kGroupSolid) && !(flags & kCraftOnGround) && (flags & kCraftOnSurface)) {
      SetFlag(m.craft, kCraftCornerCheck, true);
    }
    if (group & kSolidGroups) SetFlag(m.craft, kCraftOnGround | kCraftOnSurface, true);
    if (hit.distance < 0.0f || hit.moveFraction < 0.0f) {
      StepOut(m, hit);
      return;
    }
    if (!HitAndGoOn(m, hit, group)) return;
  }
}

// Rapids: while the body is inside a water-surface object it is shaken about.
void Jitter(Motion& m) {
  CollisionResult hit{};
  if (!wre_CollideSphereMove(&m.body->transform, &m.start, m.body->radius, m.world, kGroupWaterSurface,
                             kWaterObjectFlags, &hit, 0)) {
    return;
  }
  CraftPhysics& p = m.craft->physics;
  const auto shake = [](uint32_t mask, int32_t centre) {
    return static_cast<float>(static_cast<int32_t>(wre_Random() & mask) - centre);
  };
  p.velocity.x += shake(0x2F, 23);
  p.velocity.y -= shake(0x2F, 0);
  p.velocity.z += shake(0x2F, 23);
  for (float& s : p.spin) s += shake(0x1F, 15);
}

float Slope(const Point4& high, const Point4& low) {
  const float dx = high.x - low.x, dy = high.y - low.y, dz = high.z - low.z;
  const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
  return length > 0.0f ? dy / length : 0.0f;
}

// Four hull probes give the surface's pitch and roll; on the water speed lifts the nose and
// steering leans the craft, and the body turns a fifth of the way toward the result.
void TiltToSurface(Motion& m) {
  EngineObject* body = m.body;
  CraftPhysics& p = m.craft->physics;
  const Transform& t = body->transform;
  const float r = body->radius;
  const float offsets[4][3] = {{0.0f, 0.0f, r}, {0.0f, 0.0f, -r}, {-0.75f * r, 0.0f, 0.0f}, {0.75f * r, 0.0f, 0.0f}};
  Transform froms[4];
  Transform tos[4];
  for (int i = 0; i < 4; ++i) {
    wre_TransformSet(&froms[i], t.angleX, t.angleY, t.angleZ, t.position[0], t.position[1] + r, t.position[2]);
    wre_TransformMoveLocal(&froms[i], offsets[i][0], offsets[i][1], offsets[i][2]);
    tos[i] = froms[i];
    tos[i].position[1] = m.water - 500.0f;
  }
  CollisionResult hits[4] = {};
  uint8_t hit[4] = {};
  wre_CollideSpheresMove(froms, tos, kProbeRadius, m.world, kProbeGroups, kProbeFlags, hits, 1, 4, hit);
  for (int i = 0; i < 4; ++i) {
    p.hullPoints[i] = hit[i] ? Point4{hits[i].contact[0], hits[i].contact[1], hits[i].contact[2], 0.0f}
                             : Point4{froms[i].position[0], m.water - 250.0f, froms[i].position[2], 0.0f};
  }
  float pitch = Slope(p.hullPoints[0], p.hullPoints[1]);
  float roll = Slope(p.hullPoints[2], p.hullPoints[3]);
  if (!m.rampContact && (m.craft->flags & kCraftOnSurface)) {
    const float hs = HorizontalSpeed(p.velocity);
    if (hs > 300.0f) {
      const float lean = p.steer * 0.25f;
      pitch += std::fabs(lean);
      roll += lean;
    }
    if (hs > 0.0f && hs < 1400.0f) pitch += p.throttle * 0.4f * (1.0f - hs / 1400.0f);
    pitch = std::min(pitch, 0.4f);
  }
  const int32_t pitchGap = Trunc(pitch * -850.0f) - wre_ObjectGetLevelPitch(body);
  const int32_t dx = std::clamp(Trunc(static_cast<float>(pitchGap) * 0.2f), -50, 50);
  const int32_t dz = Trunc(static_cast<float>(Trunc(roll * -700.0f) - t.angleZ) * 0.2f);
  wre_ObjectRotate(body, dx, 0, 0);
  wre_ObjectMove(body, 0, 0, dz, 0.0f, 0.0f, 0.0f);
}

// Never left inside a ramp or a floating object.
void LastProbe(Motion& m) {
  CollisionResult hit{};
  const Transform& t = m.body->transform;
  if (!ProbeDown(t, t.position[1], m.world, kLastProbeGroups, &hit)) return;
  const uint32_t group = GroupOf(hit);
  SetFlag(m.craft, kCraftOnGround, group & kGroupSolid);
  if (!(group & kSolidGroups)) return;
  const float h = hit.contact[1] + HullDepth(m.body);
  if (t.position[1] < h) SetBodyHeight(m.body, h);
}

void TrialMove(Motion& m) {
  const CraftPhysics& p = m.craft->physics;
  const Point4& v = p.velocity;
  if (m.craft->flags & kCraftOnSurface) {
    wre_TransformMove(&m.next, 0, 0, 0, v.x, v.y, v.z);
    wre_TransformRotate(&m.next, 0, Trunc(p.spin[1]), 0);
  } else {
    wre_TransformMove(&m.next, 0, 0, Trunc(p.spin[2]), v.x, v.y, v.z);
    wre_TransformRotate(&m.next, Trunc(p.spin[0]), Trunc(p.spin[1]), 0);
  }
}

}  // namespace

int32_t CraftMotionStep(Watercraft* craft, ViewComponents* view) {
  if (!craft || !craft->craftObject) return kWreErrNull;
  EngineObject* body = craft->craftObject;
  Motion m{craft, body, view, view ? view->world : nullptr, body->transform, body->transform, body->transform,
           0.0f, gLevelBoundsMinY, false, true};
  CraftPhysics& p = craft->physics;

  CraftDynamicsStep(craft, &p);
  // The call after the one that came down onto the surface.
  if ((craft->flags & kCraftOnSurface) && !(craft->flags & kCraftWasOnSurface) && p.velocity.y < -100.0f) {
    const float* at = body->transform.position;
    SoundPlayJumpSplash(at[0], at[1], at[2], view);
  }
  SetFlag(craft, kCraftWasOnSurface, craft->flags & kCraftOnSurface);

  TrialMove(m);
  // The query gives the number of candidates it collected, which is no failure.
  const int32_t collected = CraftSweptBoxQuery(craft, &m.old, &m.next, m.world);
  if (collected < 0) return collected;

  FindSurface(m);
  RideOnSurface(m);
  SweepMove(m);
  SetFlag(craft, kCraftOnSurface, body->transform.position[1] - HullDepth(body) <= m.surface);
  Jitter(m);
  MarkerRulesApply(craft, &m.start, view);

  // Landed on the water on its side or upside down.
  if (!(craft->flags & kCraftWasOnSurface) && (craft->flags & kCraftOnSurface) && !(craft->flags & kCraftOnGround) &&
      body->transform.axisY.y < 0.1f) {
    SetFlag(craft, kCraftThrowPending, true);
  }
  if (body->transform.position[1] < gLevelBoundsMinY) SetBodyHeight(body, gLevelBoundsMinY);
  if (craft->flags & (kCraftOnSurface | kCraftOnGround)) TiltToSurface(m);
  LastProbe(m);
  wre_ObjectUpdate(body, 1, 1);
  return 0;
}
