#include "game/world/craft_ai.h"

#include <cmath>
#include <cstdlib>

#include "engine/core/collide.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/core/random.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "game/state/gate_record.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/course_route.h"
#include "game/world/object_words.h"
#include "game/world/watercraft.h"

namespace {

constexpr uint32_t kSolidGroup = 0x8;
constexpr float kArrivalRadii = 3.0f;        // a node is reached within 3 craft radii
constexpr float kHeldArrivalRadii = 3.5f;    // plus the marker's radius for a marker already taken
constexpr float kPassedReach = 14000.0f;     // half a fast craft's turning radius at full lock
constexpr float kDetourNearRadii = 4.0f;     // a detour waypoint is near within 4 craft radii
constexpr float kHoldMinOffset = 2500.0f;    // the line hold starts this far off the route line
constexpr float kHoldRampStart = 15000.0f;   // between these distances to the node the hold
constexpr float kHoldRampEnd = 50000.0f;     // grows with the distance
constexpr float kHoldFullOffset = 12000.0f;  // the hold is full at this offset
constexpr float kHoldMaxTurn = 85.25f;       // angle units, about 7.5 degrees
constexpr float kChaseGain = 70000.0f * 30.0f;
constexpr float kSlowThrottle = 0.5f;
constexpr float kDetourThrottle = 0.8f;
constexpr uint32_t kRoamHopDraw = 7;
constexpr uint32_t kRoamPick = 50;
constexpr int32_t kRoamTries = 8;

// Re-runs left in the running call; a behaviour called on its own gets the whole allowance.
int32_t gRerunsLeft = kAiRerunLimit;

Point4 Flat(const Point4& p) { return Point4{p.x, 0.0f, p.z, p.w}; }

Point4 CraftFlat(const Watercraft* craft) {
  const float* at = craft->craftObject->transform.position;
  return Point4{at[0], 0.0f, at[2], 0.0f};
}

int32_t CraftYaw(const Watercraft* craft) { return craft->craftObject->transform.angleY; }

float FlatDistance(const Point4& a, const Point4& b) {
  const float dx = b.x - a.x, dz = b.z - a.z;
  return std::sqrt(dx * dx + dz * dz);
}

// The heading error from the craft's yaw to the bearing of the point.
int32_t HeadingError(const Watercraft* craft, const Point4& target) {
  const Point4 from = CraftFlat(craft);
  Transform t{};
  wre_TransformSet(&t, 0, 0, 0, from.x, 0.0f, from.z);
  wre_TransformPointAt(&t, target.x, 0.0f, target.z);
  return wre_AngleDelta(CraftYaw(craft), t.angleY);
}

// The foot of the perpendicular from p onto the segment a -> b, p at distance e from it; a itself
// for a segment too short to have a direction.
Point4 SegmentFoot(const Point4& p, const Point4& a, const Point4& b, float e) {
  const float length = FlatDistance(a, b);
  if (!(length > 1e-3f)) return a;
  const float along = wre_MathSqrtDiffSquares(FlatDistance(a, p), e) / length;
  return Point4{a.x + along * (b.x - a.x), 0.0f, a.z + along * (b.z - a.z), a.w};
}

// True when a sphere of the craft's radius, both ends lowered by `lower`, meets no solid level
// geometry on the way from the craft to the point.
bool SightClear(const Watercraft* craft, ViewComponents* view, const Point4& to, float lower) {
  const float r = craft->craftObject->radius;
  const float* from = craft->craftObject->transform.position;
  Transform a{};
  Transform b{};
  wre_TransformSet(&a, 0, 0, 0, from[0], from[1] - lower, from[2]);
  wre_TransformSet(&b, 0, 0, 0, to.x, to.y - lower, to.z);
  CollisionResult hit{};
  return wre_CollideSphereMove(&a, &b, r, view ? view->world : nullptr, kSolidGroup, kCollidePolygons, &hit, 1) == 0;
}

void CursorSet(Watercraft* craft, RouteNode* cursor) {
  craft->routeCursor = cursor;
  craft->routeClosedOn = false;
  if (craft->routeDirection == 0) {
    craft->routePrev = RouteNodePrevWrap(cursor);
    craft->routeAhead = RouteNodeNextWrap(cursor);
  } else {
    craft->routeAhead = RouteNodePrevWrap(cursor);
    craft->routePrev = RouteNodeNextWrap(cursor);
  }
}

RouteNode* RoamStep(const Watercraft* craft, RouteNode* from) {
  return craft->routeDirection == 0 ? RouteNodeNextWrap(from) : RouteNodePrevWrap(from);
}

// The roaming choice: a few nodes on in the current direction, then a node drawn at random that
// the craft can see, or the next one when none of the draws can be seen.
void RoamChoose(Watercraft* craft, ViewComponents* view) {
  if (--craft->routeHops >= 0) {
    CursorSet(craft, RoamStep(craft, craft->routeCursor));
    return;
  }
  craft->routeHops = static_cast<int32_t>(wre_Random() % kRoamHopDraw) + 1;
  RouteNode* best = craft->routeCursor ? RoamStep(craft, craft->routeCursor) : nullptr;
  if (!best) best = RouteNodeForObject(gStartGate);
  for (int32_t i = 0; i < kRoamTries; ++i) {
    RouteNode* n = RouteNodeNth(wre_Random() % kRoamPick);
    if (n && n != best && SightClear(craft, view, n->point, 0.0f)) {
      best = n;
      break;
    }
  }
  craft->routeDirection = static_cast<int32_t>(wre_Random() & 1);
  CursorSet(craft, best);
}

// The arrival radius of a node that is not a gate to pass: larger for a derby waypoint this craft
// already holds or a dollar already taken, where only getting near counts.
float ArrivalRadius(const Watercraft* craft, const RouteNode* node) {
  const float r = craft->craftObject->radius;
  const GateRecord* gate = node->gate;
  if (gGameMode < kModeTreasureLinear || gGameMode > kModeDerby || !gate || !gate->markerA) return kArrivalRadii * r;
  const EngineObject* marker = gate->markerA;
  if (marker->gameWords[kGameWordLink] != gate) return kArrivalRadii * r;
  const bool held = gGameMode == kModeDerby ? gate->holder == craft->racerSlot : !(marker->status & kStatusActive);
  return held ? kHeldArrivalRadii * r + marker->radius : kArrivalRadii * r;
}

// Deliberately more than the arrival radius alone: a craft at speed turns on a circle of some 28,000
// units radius and slides well off its heading, so one that comes at a node slightly off line
// sweeps past it outside three radii and then circles it for the rest of the race. A node the
// craft has closed on within reach while making for it, and now moves away from, has been passed
// by and counts as reached. Only that: a node chosen behind the craft is still to be reached, and
// so is the linear hunt's finish, which ends the race only when touched, and after which the route
// goes back to the start.
bool NodePassedBy(Watercraft* craft, const RouteNode* node) {
  if (gGameMode == kModeTreasureLinear && node->gate && (node->gate->flags & kGateLast)) return false;
  const Point4 p = CraftFlat(craft);
  const Point4 b = Flat(node->point);
  if (!(FlatDistance(p, b) < kPassedReach)) return false;
  const Point4& v = craft->physics.velocity;
  const float closing = (b.x - p.x) * v.x + (b.z - p.z) * v.z;
  if (closing > 0.0f) craft->routeClosedOn = true;
  return closing < 0.0f && craft->routeClosedOn;
}

bool NodeReached(Watercraft* craft, const RouteNode* node) {
  if (node->hasGate) return craft->nextGate && node->gate == craft->nextGate->prev;
  return FlatDistance(CraftFlat(craft), Flat(node->point)) < ArrivalRadius(craft, node) || NodePassedBy(craft, node);
}

// The heading error turned toward the route line while the craft strays from it on a long way to
// the node, or sharpened as the node comes near.
int32_t SteeringAngle(const Watercraft* craft, int32_t a0) {
  const Point4 p = CraftFlat(craft);
  const Point4 b = Flat(craft->routeCursor->point);
  const float d = FlatDistance(p, b);
  if (craft->routePrev) {
    const Point4 a = Flat(craft->routePrev->point);
    float t = 0.0f;
    const float e = wre_MathPointSegmentDistance(&p, &a, &b, &t);
    t = std::fabs(t);
    if (e > kHoldMinOffset && e < d * 0.5f && e != d && std::abs(a0) < kAiSteerFullAngle && t > 0.0f && t < 1.0f) {
      const int32_t side = HeadingError(craft, SegmentFoot(p, a, b, e));
      float c = e;
      if (d > kHoldRampStart && d < kHoldRampEnd) c = e + (d - kHoldRampStart);
      if (c > kHoldFullOffset) c = kHoldFullOffset;
      const int32_t m = wre_MathTruncToInt(c / kHoldFullOffset * kHoldMaxTurn);
      return side > 0 ? a0 + m : side < 0 ? a0 - m : a0;
    }
  }
  // On the node itself there is no distance to sharpen by.
  if (!(d >= 1.0f)) return a0;
  const int64_t a = int64_t{a0} + wre_MathTruncToInt(kChaseGain / d * static_cast<float>(a0));
  return static_cast<int32_t>(a > INT32_MAX ? INT32_MAX : a < INT32_MIN ? INT32_MIN : a);
}

int32_t RunBehaviour(Watercraft* craft, ViewComponents* view) {
  if (gCountdownActive) return 0;
  if (craft->flags & kCraftCornerCheck) {
    const int32_t result = AiCornerCheck(craft, view);
    if (result != 0) return result;
  }
  switch (craft->behaviour) {
    case kAiChooseTarget: return AiChooseTarget(craft, view);
    case kAiFollowRouteNode: return AiFollowRouteNode(craft, view);
    case kAiDetourWaypoint: return AiDetourWaypoint(craft, view);
    default: return 0;
  }
}

// A behaviour that has just ended hands the call on to the one it returned to.
int32_t Rerun(Watercraft* craft, ViewComponents* view) {
  if (gRerunsLeft <= 0) return 0;
  --gRerunsLeft;
  return RunBehaviour(craft, view);
}

}  // namespace

int32_t AiBehaviourPush(Watercraft* craft) {
  if (craft->behaviourDepth >= kBehaviourDepth) return kAiErrStackFull;
  const int32_t i = craft->behaviourDepth;
  craft->behaviourStack[i] = craft->behaviour;
  craft->behaviourTickStack[i] = craft->behaviourTick;
  craft->behaviourParamStack[i] = craft->behaviourParams;
  craft->behaviour = kAiChooseTarget;
  craft->behaviourStartTick = craft->behaviourTick = gEngineTick;
  craft->behaviourParams = Point4{};
  craft->behaviourDepth = i + 1;
  return 0;
}

int32_t AiBehaviourPop(Watercraft* craft) {
  if (craft->behaviourDepth < 1) return kAiErrStackEmpty;
  const int32_t i = --craft->behaviourDepth;
  craft->behaviour = craft->behaviourStack[i];
  craft->behaviourTick = craft->behaviourTickStack[i];
  craft->behaviourParams = craft->behaviourParamStack[i];
  craft->behaviourStartTick = gEngineTick;
  return 0;
}

float AiSteerFromAngle(int32_t angle) {
  if (angle > kAiSteerFullAngle) return 1.0f;
  if (angle < -kAiSteerFullAngle) return -1.0f;
  if (angle >= -1 && angle <= 1) return 0.0f;
  return static_cast<float>(angle) / static_cast<float>(kAiSteerFullAngle);
}

int32_t CraftAIRun(Watercraft* craft, ViewComponents* view) {
  if (!craft || !craft->craftObject) return kWreErrNull;
  gRerunsLeft = kAiRerunLimit;
  const int32_t result = RunBehaviour(craft, view);
  gRerunsLeft = kAiRerunLimit;
  return result;
}

int32_t AiCornerCheck(Watercraft* craft, [[maybe_unused]] ViewComponents* view) {
  craft->flags &= static_cast<uint8_t>(~kCraftCornerCheck);
  if (craft->behaviour == kAiDetourWaypoint || !craft->routePrev || !craft->routeCursor) return 0;
  const Point4 p = CraftFlat(craft);
  const Point4 a = Flat(craft->routePrev->point);
  const Point4 b = Flat(craft->routeCursor->point);
  float t = 0.0f;
  const float e = wre_MathPointSegmentDistance(&p, &a, &b, &t);
  t = std::fabs(t);
  const Point4 waypoint = t > 0.0f && t < 1.0f ? SegmentFoot(p, a, b, e) : craft->routePrev->point;
  const int32_t result = AiBehaviourPush(craft);
  if (result != 0) return result;
  craft->behaviour = kAiDetourWaypoint;
  craft->behaviourParams = waypoint;
  // The node is not the target while the craft detours, so its approach starts afresh after.
  craft->routeClosedOn = false;
  return 0;
}

int32_t AiChooseTarget(Watercraft* craft, ViewComponents* view) {
  if (!(craft->flags & kCraftRacing)) {
    craft->physics.throttle = 0.0f;
    return 0;
  }
  switch (gGameMode) {
    case kModeRally:
    case kModeTreasureLinear:
    case kModeRallyVariant: {
      const int32_t result = AiBehaviourPush(craft);
      if (result != 0) return result;
      craft->behaviour = kAiFollowRouteNode;
      RouteNode* cursor = RouteNodeNextWrap(craft->routeCursor);
      craft->routeCursor = cursor;
      craft->routeClosedOn = false;
      craft->routePrev = RouteNodePrevWrap(cursor);
      craft->routeAhead = RouteNodeNextWrap(cursor);
      return 0;
    }
    case kModeTreasureRoam:
    case kModeDerby: {
      RoamChoose(craft, view);
      const int32_t result = AiBehaviourPush(craft);
      if (result != 0) return result;
      craft->behaviour = kAiFollowRouteNode;
      return 0;
    }
    default: return 0;
  }
}

int32_t AiFollowRouteNode(Watercraft* craft, ViewComponents* view) {
  CraftPhysics& physics = craft->physics;
  if (craft->routeCursor && NodeReached(craft, craft->routeCursor)) {
    if (craft->behaviourDepth > 0) AiBehaviourPop(craft);
    return Rerun(craft, view);
  }
  if (!craft->routeCursor) {
    physics.steer = 0.0f;
    physics.throttle = 1.0f;
    return 0;
  }
  const int32_t a0 = HeadingError(craft, craft->routeCursor->point);
  physics.steer = AiSteerFromAngle(SteeringAngle(craft, a0));
  physics.throttle = std::abs(a0) > kAiSlowAngle ? kSlowThrottle : 1.0f;
  return 0;
}

int32_t AiDetourWaypoint(Watercraft* craft, ViewComponents* view) {
  // Without a node to make for there is nothing to detour around.
  if (!craft->routeCursor ||
      SightClear(craft, view, craft->routeCursor->point, craft->craftObject->radius)) {
    craft->flags &= static_cast<uint8_t>(~kCraftCornerCheck);
    return AiBehaviourPop(craft);
  }
  const Point4 waypoint{craft->behaviourParams.x, 0.0f, craft->behaviourParams.z, 0.0f};
  if (FlatDistance(CraftFlat(craft), waypoint) < kDetourNearRadii * craft->craftObject->radius) {
    const int32_t result = AiBehaviourPop(craft);
    if (result != 0) return result;
    return Rerun(craft, view);
  }
  craft->physics.steer = AiSteerFromAngle(HeadingError(craft, waypoint));
  craft->physics.throttle = kDetourThrottle;
  return 0;
}
