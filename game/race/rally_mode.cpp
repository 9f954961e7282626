// Rally: gates of buoy pairs, the last one the finish under its arch, laps from the level's
// table, the direction arrow over the next gate and the head-up display's compass.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "engine/core/files.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/core/world.h"
#include "engine/data/course.h"
#include "engine/data/material.h"
#include "engine/data/model.h"
#include "game/race/game_modes.h"
#include "game/race/mode_setup.h"
#include "game/state/laps_table.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/game_materials.h"
#include "game/world/gate_arrow.h"
#include "game/world/gate_list.h"
#include "game/world/object_words.h"

namespace {

enum : uint32_t {
  kCodexLoad = 0,
  kCodexUnload = 1,
  kGroupBuoy = 0x40,
  kGroupFinishArch = 0x8,
  kModelC4dArrow = 0x12,
};

constexpr const char* kArrowModel = "arrow.c4d";
constexpr const char* kCompassModel = "dir_arrow.c4d";
constexpr const char* kPrivateMaterial = "thePrivateMaterial";
constexpr ColourFloat kPrivateColourA{0.7f, 0.0f, 0.0f, 1.0f};
constexpr ColourFloat kPrivateColourB{0.0f, 0.0f, 0.0f, 1.0f};
constexpr float kPassShare = 1.1f;     // of the gate width
constexpr float kArchLift = 0.9f;      // of the arch's depth below its origin

// Loads a model of the rally folder into the world the way the arrow and compass load.
int32_t LoadIntoWorld(ViewComponents* view, const char* file, EngineObject** object) {
  return wre_ModelLoadIntoWorld(file, object, view->world, 1, 1, 0, 1, 0, 1, kModelC4dArrow);
}

void AddRenderFlags(EngineObject* object, uint32_t flags) {
  wre_ObjectSetRenderFlags(object, object->renderFlags | flags);
}

// A buoy dropped at the waypoint, in the buoys' group, linked to its gate.
EngineObject* BuoyDrop(ViewComponents* view, const CourseWaypoint* waypoint) {
  EngineObject* buoy = GameplayObjectLoad(view, kGameplayMarker);
  if (!buoy || MarkerDrop(view, buoy, waypoint->position, kGameplayRally) != 0) return nullptr;
  wre_ObjectSetCollisionGroup(buoy, kGroupBuoy);
  return buoy;
}

void GateMeasure(GateRecord* gate) {
  const float* a = gate->markerA->transform.position;
  const float* b = gate->markerB->transform.position;
  const float dx = b[0] - a[0];
  const float dz = b[2] - a[2];
  const float width = std::sqrt(dx * dx + dz * dz);
  gate->halfWidth = 0.5f * width;
  gate->passThreshold = kPassShare * width;
  gate->centre = Point4{(a[0] + b[0]) * 0.5f, (a[1] + b[1]) * 0.5f, (a[2] + b[2]) * 0.5f, 0.0f};
}

// The finish gate's buoys hide under the arch, which crafts treat as solid and whose size makes
// the gate's width. Without the arch model the gate keeps its buoys' width.
void FinishGateMake(ViewComponents* view, GateRecord* gate) {
  for (EngineObject* buoy : {gate->markerA, gate->markerB}) {
    AddRenderFlags(buoy, kRenderNeverDrawn);
    wre_ObjectSetCollisionGroup(buoy, 0);
  }
  EngineObject* arch = GameplayObjectLoad(view, kGameplayFinish);
  if (!arch) {
    wre_FileFailedClear();  // the gate serves without it: a later failure is not about it
    return;
  }
  float bounds[6];
  wre_BoxBoundsOf8(arch->localBox, bounds);
  const Point4& c = gate->centre;
  wre_ObjectSetTransform(arch, 0, 0, 0, c.x, c.y + kArchLift * std::fabs(bounds[2]), c.z);
  if (gate->prev) ObjectFaceLevel(arch, gate->prev->centre.x, gate->prev->centre.z);
  wre_WorldAddObject(arch, view->world);
  wre_ObjectSetCollisionGroup(arch, kGroupFinishArch);
  wre_ObjectSetCollidable(arch, 1);
  wre_ObjectUpdate(arch, 1, 1);
  const float extent = std::max({bounds[1] - bounds[0], bounds[3] - bounds[2], bounds[5] - bounds[4]});
  gate->halfWidth = 0.5f * extent;
  gate->passThreshold = kPassShare * extent;
  gate->finishObject = arch;
}

// One gate for each pair of waypoints; the pair ending the course is the finish. An unpaired last
// waypoint would leave a gate without its second buoy, so it is left out.
int32_t GatesBuild(ViewComponents* view) {
  for (const CourseWaypoint* a = gCourseData->waypoints; a;) {
    const CourseWaypoint* b = a->next;
    if (!b) {
      std::fprintf(stderr, "Rally course %d of level %d has an odd number of waypoints; the last one is left out\n",
                   gCourse, gLevel);
      break;
    }
    EngineObject* first = BuoyDrop(view, a);
    if (!first) return -1;
    GateRecord* gate = GateRecordNew();
    if (!gate || GateListAppend(gate, &gGateListHead) != 0) {
      GateRecordFree(&gate);
      return -1;
    }
    gate->markerA = first;
    gate->holder = wre_ObjectGetUserValue(first);
    first->gameWords[kGameWordLink] = gate;
    EngineObject* second = BuoyDrop(view, b);
    if (!second) return -1;
    gate->markerB = second;
    second->gameWords[kGameWordLink] = gate;
    GateMeasure(gate);
    const bool last = !b->next || !b->next->next;
    if (last) FinishGateMake(view, gate);
    a = b->next;
  }
  return 0;
}

GateRecord* ListTail() {
  GateRecord* tail = gGateListHead;
  while (tail && tail->next) tail = tail->next;
  return tail;
}

// The compass wears a material of its own, whose opacity the head-up display changes.
int32_t CompassLoad(ViewComponents* view) {
  const int32_t material = wre_MaterialFindFree();
  const ColourFloat a = MaterialColourScaled(kPrivateColourA);
  const ColourFloat b = MaterialColourScaled(kPrivateColourB);
  if (material < 0 || wre_MaterialDefine(material, &a, &b, kPrivateMaterial) != 0) return 0;
  GameplayFolderEnter(kGameplayRally);
  const int32_t result = LoadIntoWorld(view, kCompassModel, &gCompassArrow);
  if (result != 0) return result;
  wre_ObjectSetAllPolyMaterialIndex(gCompassArrow, material);
  AddRenderFlags(gCompassArrow, kRenderStatic);
  wre_MaterialSetAmbientPercent(material, 0.0f);
  return 0;
}

}  // namespace

int32_t RallyModeInit(ViewComponents* view) {
  if (!view) return kWreErrNull;
  int32_t result = RaceCourseRead();
  if (result != 0) return result;
  GameplayTexturesRead(view, kGameplayRally, kCodexLoad, "Error at parse texture file - init rally mode");

  result = LoadIntoWorld(view, kArrowModel, &gArrowObject);
  if (result != 0) return result;
  AddRenderFlags(gArrowObject, kRenderStatic);
  const intptr_t own = gArrowObject->polygonCount > 0 ? gArrowObject->polygons[0].material : 0;
  gArrowObject->gameWords[kGameWordArrowMaterial] = reinterpret_cast<void*>(own);

  result = GatesBuild(view);
  if (result != 0) return result;
  if (GateRecord* tail = ListTail()) tail->flags |= kGateLast;

  const bool inTable = gLevel >= 0 && gLevel < kLevelCount && gCourse >= 0 && gCourse < kLapsColumns;
  gLapCount = inTable ? kLapsTable[gLevel][gCourse] : 0;

  StartAtCourseStart(gCourseData);
  if (const GateRecord* first = gGateListHead) TransformFaceLevel(&gStartTransform, first->centre.x, first->centre.z);
  // Relinked with or without the arch: walking back from the head must always reach the tail.
  GateListRelink(gGateListHead);
  return CompassLoad(view);
}

int32_t RallyModeExit(ViewComponents* view) {
  GameplayTexturesRead(view, kGameplayRally, kCodexUnload, "Error at parse texture file - exit rally mode");
  World* world = view ? view->world : nullptr;
  if (gArrowObject) wre_ModelDispose(&gArrowObject, world);
  if (gCompassArrow) wre_ModelDispose(&gCompassArrow, world);
  gArrowObject = nullptr;
  gCompassArrow = nullptr;
  GateListEmpty(view);
  CourseListFree(&gCourseData);
  return 0;
}
