#include "game/world/marker_rules.h"

#include <cmath>

#include "engine/core/collide.h"
#include "engine/core/fatal.h"
#include "engine/core/object.h"
#include "game/state/laps_table.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/finish_order.h"
#include "game/world/game_materials.h"
#include "game/world/game_object.h"
#include "game/world/game_sounds.h"
#include "game/world/gate_list.h"
#include "game/world/level_load.h"
#include "game/world/object_words.h"
#include "game/world/watercraft.h"

namespace {

constexpr uint32_t kMarkerSweepFlags = kCollidePreCollected | kCollideSpheres;
// A derby waypoint is a tall pylon met by a thin sphere; dollars by one a little wider than the craft.
constexpr float kDerbyTouchScale = 0.1f;
constexpr float kTreasureTouchScale = 1.1f;

bool Human(const Watercraft* craft) { return craft->owner && (craft->owner->controlKind & kControlHuman); }

int32_t LapsToFinish() {
  if (gLevel < 0 || gLevel >= kLevelCount || gCourse < 0 || gCourse >= kLapsColumns) return 1;
  return kLapsTable[static_cast<size_t>(gLevel)][static_cast<size_t>(gCourse)];
}

// The craft stops racing and enters the finish order. Recorded once only, a mend: a craft that
// passes the finish again (another lap, another touch of the linear finish) would otherwise enter
// the finish order a second time and take two places.
void Finish(Watercraft* craft, bool markOwner) {
  if (!(craft->flags & kCraftRacing)) return;
  craft->flags = static_cast<uint8_t>(craft->flags & ~kCraftRacing);
  RaceFinishRecord(craft);
  if (markOwner && Human(craft)) craft->owner->controlKind |= kControlFinished;
}

float FlatDistance(const EngineObject* marker, const float* p) {
  const float dx = marker->transform.position[0] - p[0];
  const float dz = marker->transform.position[2] - p[2];
  return std::sqrt(dx * dx + dz * dz);
}

// Gates count only in order: the sum of the distances to the two buoys must fall below the gate's
// threshold.
void RallyGate(Watercraft* craft) {
  GateRecord* gate = craft->nextGate;
  if (!gate || !gate->markerA || !gate->markerB) return;
  const float* p = craft->craftObject->transform.position;
  if (!(FlatDistance(gate->markerA, p) + FlatDistance(gate->markerB, p) < gate->passThreshold)) return;
  if (gate->flags & kGateLast) {
    craft->laps += 1;
    craft->score = 0;
    if (craft->laps >= LapsToFinish()) Finish(craft, true);
  } else {
    craft->score += 1;
  }
  craft->nextGate = GateListNext(gate, craft->owner);
  if (Human(craft)) SoundPlayPickup();
}

void Treasure(Watercraft* craft, GateRecord* marker) {
  // Every marker of the treasure modes should carry its gate; one without is passed over.
  if (!marker) return;
  if (marker->holder == -1) {
    craft->score += 1;
    gMarkersLeft -= 1;
    marker->holder = craft->racerSlot;
  }
  if ((marker->flags & kGateLast) && gGameMode == kModeTreasureLinear) {
    Finish(craft, false);
  } else if (marker->markerA) {
    wre_ObjectSetCollidable(marker->markerA, 0);
  }
  if (craft->racerSlot == 0) SoundPlayPickup();
}

int32_t DerbyMaterial(int32_t slot) {
  switch (slot) {
    case 1: return gtheBlueMaterial;
    case 2: return gtheYellowMaterial;
    case 3: return gtheVioletMaterial;
    case 4: return gtheOrangeMaterial;
    case 5: return gtheIndigoMaterial;
    default: return gtheRedMaterial;
  }
}

// A waypoint taken from another racer moves one point from them to the taker.
void Derby(Watercraft* craft, GateRecord* waypoint) {
  if (!waypoint) wre_SystemFatalError("Bad derby link at hydrel process");
  const int32_t slot = craft->racerSlot;
  if (waypoint->holder == slot) return;
  if (waypoint->markerA) wre_ObjectSetAllPolyMaterialIndex(waypoint->markerA, DerbyMaterial(slot));
  if (slot == 0) SoundPlayPickup();
  const int32_t holder = waypoint->holder;
  if (holder >= 0 && holder < kRacerSlots && gCraftByIndex[holder]) gCraftByIndex[holder]->score -= 1;
  craft->score += 1;
  waypoint->holder = slot;
}

}  // namespace

void MarkerRulesApply(Watercraft* craft, const Transform* start, ViewComponents* view) {
  if (!craft || !craft->craftObject || !start) return;
  if (gGameMode == kModeRally) {
    RallyGate(craft);
    return;
  }
  if (gGameMode != kModeTreasureLinear && gGameMode != kModeTreasureRoam && gGameMode != kModeDerby) return;
  EngineObject* body = craft->craftObject;
  const float scale = gGameMode == kModeDerby ? kDerbyTouchScale : kTreasureTouchScale;
  CollisionResult hit{};
  if (!wre_CollideSphereMove(&body->transform, start, body->radius * scale, view ? view->world : nullptr,
                             kGroupMarker, kMarkerSweepFlags, &hit, 0)) {
    return;
  }
  auto* marker = hit.object ? static_cast<GateRecord*>(hit.object->gameWords[kGameWordLink]) : nullptr;
  if (gGameMode == kModeDerby) {
    Derby(craft, marker);
  } else {
    Treasure(craft, marker);
  }
}
