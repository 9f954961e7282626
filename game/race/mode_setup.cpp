#include "game/race/mode_setup.h"

#include <cstdio>

#include "engine/core/collide.h"
#include "engine/core/fatal.h"
#include "engine/core/files.h"
#include "engine/core/random.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/data/course.h"
#include "engine/data/model.h"
#include "engine/data/texture_list.h"
#include "engine/render/camera.h"
#include "game/race/game_modes.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/gate_list.h"
#include "game/world/level_bounds.h"

namespace {

struct KindRules {
  const char* folder;
  float dropOffset;      // above the water
  uint32_t headingMask;  // of the random heading
};

constexpr KindRules kKindRules[] = {
    {"data:gameplay:rally", -600.0f, 0xffffffffu},
    {"data:gameplay:treasure", 1200.0f, 0xfffu},
    {"data:gameplay:derby", 2700.0f, 0xfffu},
};

constexpr const char* kCourseFile = "course.dat";
constexpr const char* kTextureList = "texture.codx";
constexpr float kDropReach = 200000.0f;  // beyond the level's height range, both ways
constexpr float kDropRadius = 1.0f;
constexpr uint32_t kDropGroups = 0x1;  // the water
constexpr uint32_t kDropFlags = kCollideTiledMeshes | kCollidePolygons;
constexpr float kStartHeight = 5000.0f;

void DisposeFromWorld(EngineObject** object, World* world) {
  if (*object) wre_ModelDispose(object, world);
  *object = nullptr;
}

}  // namespace

GameplayKind GameplayKindOf(int32_t mode) {
  switch (mode) {
    case kModeRally: return kGameplayRally;
    case kModeTreasureLinear:
    case kModeTreasureRoam: return kGameplayTreasure;
    case kModeDerby: return kGameplayDerby;
    default: return kGameplayNoMode;
  }
}

void GameplayFolderEnter(GameplayKind kind) {
  if (kind >= kGameplayRally && kind < kGameplayNoMode) wre_FolderSet(kKindRules[kind].folder);
}

void GameplayTexturesRead(const ViewComponents* view, GameplayKind kind, uint32_t codexMode, const char* fatal) {
  GameplayFolderEnter(kind);
  wre_CodexSetMode(codexMode);
  DrawingContext* context = view && view->camera ? view->camera->context : nullptr;
  if (wre_CodexLoadTextures(kTextureList, 0, context) != 0) wre_SystemFatalErrorFile(fatal, wre_FileFailed());
}

int32_t RaceCourseRead() {
  const int32_t result = CourseFolderSelect(-1);
  if (result != 0) return result;
  const int32_t loaded =
      CourseLoadCapped(kCourseFile, gCourse, &gCourseData, gLevelBoundsMinX, gLevelBoundsMaxX, gLevelBoundsMinY,
                       gLevelBoundsMaxY, gLevelBoundsMinZ, gLevelBoundsMaxZ, 1, 0, 0, kCourseWaypointLimit);
  if (loaded == 0) return 0;
  wre_FileNoteFailed(kCourseFile);
  if (loaded == kCourseErrWaypointCap) {
    std::fprintf(stderr, "Course %d of level %d in %s has more than %d waypoints, the most allowed\n", gCourse + 1,
                 gLevel, wre_FileFailed(), kCourseWaypointLimit);
  }
  return loaded;
}

int32_t MarkerDrop(ViewComponents* view, EngineObject* marker, const Point4& at, GameplayKind kind) {
  World* world = view ? view->world : nullptr;
  Transform from{};
  Transform to{};
  wre_TransformSet(&from, 0, 0, 0, at.x, gLevelBoundsMaxY + kDropReach, at.z);
  wre_TransformSet(&to, 0, 0, 0, at.x, gLevelBoundsMinY - kDropReach, at.z);
  CollisionResult hit{};
  if (!marker || kind >= kGameplayNoMode ||
      wre_CollideSphereMove(&from, &to, kDropRadius, world, kDropGroups, kDropFlags, &hit, 1) != 1) {
    DisposeFromWorld(&marker, nullptr);
    return -1;
  }
  const KindRules& rules = kKindRules[kind];
  const auto heading = static_cast<int32_t>(wre_Random() & rules.headingMask);
  wre_ObjectSetTransform(marker, 0, heading, 0, at.x, hit.hit[1] + rules.dropOffset, at.z);
  wre_WorldAddObject(marker, world);
  wre_ObjectSetCollidable(marker, 1);
  // Placed now, so that sweeps see it before its first frame.
  wre_ObjectUpdate(marker, 1, 1);
  return 0;
}

void StartAtCourseStart(const Course* course) {
  const Point4 start = course ? course->startGatePosition : Point4{};
  wre_TransformSet(&gStartTransform, 0, 0, 0, start.x, gLevelBoundsMaxY + kStartHeight, start.z);
}

void TransformFaceLevel(Transform* transform, float x, float z) {
  if (!transform) return;
  const float* p = transform->position;
  wre_TransformPointAt(transform, x, p[1], z);
  wre_TransformSet(transform, 0, transform->angleY, 0, p[0], p[1], p[2]);
}

void ObjectFaceLevel(EngineObject* object, float x, float z) {
  if (!object) return;
  Transform& t = object->transform;
  TransformFaceLevel(&t, x, z);
  wre_ObjectSetTransform(object, 0, t.angleY, 0, t.position[0], t.position[1], t.position[2]);
}

void GateListEmpty(ViewComponents* view) {
  World* world = view ? view->world : nullptr;
  while (GateRecord* gate = gGateListHead) {
    DisposeFromWorld(&gate->markerA, world);
    DisposeFromWorld(&gate->markerB, world);
    DisposeFromWorld(&gate->finishObject, world);
    GateListUnlink(gate, &gGateListHead);
    GateRecordFree(&gate);
  }
}
