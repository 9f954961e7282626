// Derby and the treasure hunts: one marker (a waypoint pylon or a dollar) for every n-th waypoint
// of the course, each its own gate; a start near a random gate (derby, roam) or at the course's
// start facing the first dollar, with the finish model in place of the last one (linear).
#include <cstdint>
#include <string>

#include "engine/core/files.h"
#include "engine/core/object.h"
#include "engine/core/random.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/data/course.h"
#include "engine/data/model.h"
#include "engine/data/texture.h"
#include "game/race/game_modes.h"
#include "game/race/mode_setup.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/gate_list.h"
#include "game/world/object_words.h"

namespace {

enum : uint32_t {
  kCodexLoad = 0,
  kCodexUnload = 1,
  kGroupMarker = 0x10,
  kGroupLinearFinish = 0x90,
  kStartGateBit = 0x20,  // of a random value: the start gate is the first or 32 gates on
  kHeadingMask = 0xfff,
};

constexpr int32_t kDerbyFirstCourse = 10;
constexpr int32_t kTreasureFirstCourse = 5;
constexpr int32_t kModeCourses = 5;
constexpr int32_t kLaunchesBeforeSwap = 10;
constexpr float kStartShare = 0.4f;  // of the way from the start gate to the next
constexpr float kStartHeight = 5000.0f;
constexpr float kLinearFinishLift = 2000.0f;

// The course of the mode's five, chosen at random, read with the default start.
int32_t ModeCourseRead(int32_t firstCourse) {
  gCourse = firstCourse + static_cast<int32_t>(wre_Random() % kModeCourses);
  const int32_t result = RaceCourseRead();
  if (result != 0) return result;
  StartAtCourseStart(gCourseData);
  return 0;
}

// A marker on waypoint 0 and every n-th after it (n the course's step count, every one for n <= 1),
// each the only marker of its gate; the last gate is the finish.
int32_t MarkersPlace(ViewComponents* view, GameplayKind kind) {
  const int32_t step = gCourseData->waypointAddCount > 1 ? gCourseData->waypointAddCount : 1;
  GateRecord* gate = nullptr;
  int32_t index = 0;
  for (const CourseWaypoint* waypoint = gCourseData->waypoints; waypoint; waypoint = waypoint->next, ++index) {
    if (index % step != 0) continue;
    EngineObject* marker = GameplayObjectLoad(view, kGameplayMarker);
    if (!marker || MarkerDrop(view, marker, waypoint->position, kind) != 0) return -1;
    wre_ObjectSetCollisionGroup(marker, kGroupMarker);
    gate = GateRecordNew();
    if (!gate) return kWreErrNoMemory;
    if (GateListAppend(gate, &gGateListHead) != 0) return -1;
    gate->holder = -1;
    gate->markerA = marker;
    const float* p = marker->transform.position;
    gate->centre = Point4{p[0], p[1], p[2], 0.0f};
    marker->gameWords[kGameWordLink] = gate;
    ++gMarkersLeft;
  }
  if (gate) gate->flags |= kGateLast;
  return 0;
}

// The start gate is the first or the one 32 on around the ring; the player starts 40% of the way
// to the gate after it, above the water, facing anywhere.
void StartGateChoose() {
  const uint32_t steps = wre_Random() & kStartGateBit;
  GateRecord* gate = GateListFirst(nullptr);
  for (uint32_t i = 0; gate && i < steps; ++i) gate = GateListNext(gate, nullptr);
  gStartGate = gate;
  if (!gate) return;
  const Point4& from = gate->centre;
  const Point4& to = GateListNext(gate, nullptr)->centre;
  const auto heading = static_cast<int32_t>(wre_Random() & kHeadingMask);
  wre_TransformSet(&gStartTransform, 0, heading, 0, from.x + kStartShare * (to.x - from.x),
                   from.y + kStartShare * (to.y - from.y) + kStartHeight, from.z + kStartShare * (to.z - from.z));
}

// Every so many launches the two dollar pictures trade places.
void DollarTexturesSwap() {
  const int32_t a = wre_TextureFindByFile("dollar02.bmp");
  const int32_t b = wre_TextureFindByFile("dollar03.bmp");
  if (a < 0 || b < 0) return;
  const std::string nameA = wre_TextureGet(a)->file;
  const std::string nameB = wre_TextureGet(b)->file;
  wre_TextureSetFileName(a, nameB.c_str());
  wre_TextureSetFileName(b, nameA.c_str());
}

// The linear hunt ends at the finish model, which takes the last dollar's place.
void LinearFinishPlace(ViewComponents* view) {
  GateRecord* last = gGateListHead;
  while (last && last->next) last = last->next;
  if (last && last->markerA) {
    if (EngineObject* finish = GameplayObjectLoad(view, kGameplayFinish)) {
      const Transform& t = last->markerA->transform;
      wre_ObjectSetTransform(finish, t.angleX, t.angleY, t.angleZ, t.position[0], t.position[1] + kLinearFinishLift,
                             t.position[2]);
      if (last->prev && last->prev->markerA) {
        const float* p = last->prev->markerA->transform.position;
        ObjectFaceLevel(finish, p[0], p[2]);
      }
      finish->gameWords[kGameWordLink] = last;
      wre_ObjectSetCollidable(finish, 1);
      wre_ObjectSetCollisionGroup(finish, kGroupLinearFinish);
      wre_ModelDispose(&last->markerA, view->world);
      wre_WorldAddObject(finish, view->world);
      wre_ObjectUpdate(finish, 1, 1);
      last->markerA = finish;
    } else {
      wre_FileFailedClear();  // the last dollar serves as the finish: a later failure is not about it
    }
  }
  StartAtCourseStart(gCourseData);
  if (const GateRecord* first = gGateListHead) TransformFaceLevel(&gStartTransform, first->centre.x, first->centre.z);
}

// The exit shared by derby and the hunts, with the mode's folder and message.
int32_t MarkerModeExit(ViewComponents* view, GameplayKind kind, const char* fatal) {
  gStartGate = nullptr;
  GameplayTexturesRead(view, kind, kCodexUnload, fatal);
  GateListEmpty(view);
  CourseListFree(&gCourseData);
  return 0;
}

}  // namespace

int32_t DerbyModeInit(ViewComponents* view) {
  if (!view) return kWreErrNull;
  GameplayTexturesRead(view, kGameplayDerby, kCodexLoad, "Error at parse texture file - init derby mode");
  gMarkersLeft = 0;
  int32_t result = ModeCourseRead(kDerbyFirstCourse);
  if (result == 0) result = MarkersPlace(view, kGameplayDerby);
  if (result != 0) return result;
  StartGateChoose();
  return GateListRelink(gGateListHead);
}

int32_t TreasureModeInit(ViewComponents* view) {
  if (!view) return kWreErrNull;
  GameplayTexturesRead(view, kGameplayTreasure, kCodexLoad, "Error at parse texture file - init treasure hunt mode");
  if (gSettings.launchCount > kLaunchesBeforeSwap) {
    gSettings.launchCount = 0;
    DollarTexturesSwap();
  }
  gMarkersLeft = 0;
  int32_t result = ModeCourseRead(kTreasureFirstCourse);
  if (result == 0) result = MarkersPlace(view, kGameplayTreasure);
  if (result != 0) return result;
  if (gGameMode == kModeTreasureRoam) StartGateChoose();
  if (gGameMode == kModeTreasureLinear) LinearFinishPlace(view);
  return GateListRelink(gGateListHead);
}

int32_t DerbyModeExit(ViewComponents* view) {
  return MarkerModeExit(view, kGameplayDerby, "Error at parse texture file - exit derby mode");
}

int32_t TreasureModeExit(ViewComponents* view) {
  return MarkerModeExit(view, kGameplayTreasure, "Error at parse texture file - exit treasure hunt mode");
}
