#include "game/world/level_load.h"

#include <cstdio>

#include "engine/core/detail.h"
#include "engine/core/fatal.h"
#include "engine/core/files.h"
#include "engine/core/object.h"
#include "engine/core/polytree.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/core/wre_types.h"
#include "engine/data/codex.h"
#include "engine/data/model.h"
#include "engine/data/texture_list.h"
#include "engine/render/camera.h"
#include "game/state/level_names.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/course_map.h"
#include "game/world/environs.h"
#include "game/world/level_bounds.h"
#include "game/world/scenery.h"
#include "game/world/water_surface.h"

namespace {

constexpr float kBoundsReset = 1.8e38f;
constexpr int32_t kPolyTreeDepth = 2;
constexpr float kSkyScalePercent = 50.0f;
constexpr int32_t kSkyPolyKind = 200;
constexpr uint32_t kSkyPolyFlags = 0x10;
constexpr const char* kTextureList = "texture.codx";
constexpr const char* kSkyModel = "SkyDayN.c4d";
constexpr const char* kLevelModel = "level.brp";
constexpr const char* kTextureListFatal = "Error at parse texture file";

// Each level's own ids; kLevelIdNone marks an empty place. Not 0: a level object may well carry
// the user value 0 (a text value that is not a number reads as 0), and it is solid level geometry.
struct LevelRules {
  int32_t hidden[2];  // made non-collidable only
  int32_t waterSurface;
  int32_t floating;
};

constexpr LevelRules kLevelRules[kLevelCount] = {
    {{kLevelIdNone, kLevelIdNone}, kLevelIdAmazonWater, kLevelIdNone},
    {{kLevelIdBahamaHiddenA, kLevelIdHiddenShared}, kLevelIdNone, kLevelIdNone},
    {{kLevelIdBermudaHidden, kLevelIdHiddenShared}, kLevelIdBermudaWater, kLevelIdFloating},
    {{kLevelIdNone, kLevelIdNone}, kLevelIdNone, kLevelIdNone},
    {{kLevelIdNone, kLevelIdNone}, kLevelIdNone, kLevelIdHongkongFloater},
    {{kLevelIdNone, kLevelIdNone}, kLevelIdNone, kLevelIdNone},
    {{kLevelIdNone, kLevelIdNone}, kLevelIdNone, kLevelIdNone},
    {{kLevelIdPenguinHidden, kLevelIdNone}, kLevelIdNone, kLevelIdNone},
    {{kLevelIdNone, kLevelIdNone}, kLevelIdNone, kLevelIdNone},
    {{kLevelIdNone, kLevelIdNone}, kLevelIdNone, kLevelIdNone},
};

// Whether an object's id is the level's id of a kind; an object without an id never is.
bool IsLevelId(int32_t id, int32_t levelId) { return id != kLevelIdNone && id == levelId; }

DrawingContext* ContextOf(const ViewComponents* view) { return view->camera ? view->camera->context : nullptr; }

void ReadTextureList(const char* prefix, int32_t mode, const ViewComponents* view) {
  char folder[64];
  LevelFolderName(prefix, gLevel, folder, sizeof(folder));
  wre_FolderSet(folder);
  wre_CodexSetMode(static_cast<uint32_t>(mode));
  if (wre_CodexLoadTextures(kTextureList, 0, ContextOf(view)) != 0)
    wre_SystemFatalErrorFile(kTextureListFatal, wre_FileFailed());
}

void ResetBounds() {
  gLevelBoundsMinX = gLevelBoundsMinY = gLevelBoundsMinZ = kBoundsReset;
  gLevelBoundsMaxX = gLevelBoundsMaxY = gLevelBoundsMaxZ = -kBoundsReset;
}

void LiftAndMeasure(EngineObject* object) {
  wre_ObjectMove(object, 0, 0, 0, 0.0f, kLevelLift, 0.0f);
  wre_ObjectUpdateFrom(object, 1, 1, &object->transform);
  wre_ObjectExtendBounds(object, object->worldPoints, &gLevelBoundsMinX, &gLevelBoundsMaxX, &gLevelBoundsMinY,
                         &gLevelBoundsMaxY, &gLevelBoundsMinZ, &gLevelBoundsMaxZ);
}

void GroupWithTree(EngineObject* object, uint32_t group) {
  wre_ObjectSetCollisionGroup(object, group);
  wre_ObjectBuildPolyTree(object, kPolyTreeDepth);
}

// Every corner of every polygon scrolls with gWaterScrollUV.
void MakeWaterSurface(EngineObject* object) {
  wre_ObjectSetCollisionGroup(object, kGroupWaterSurface);
  wre_ObjectSetAllPolyFlags(object, kPolyVirtualTexturePoint);
  for (int32_t p = 0; p < object->polygonCount; ++p) {
    wre_ObjectSetPolyVirtualTexturePoint(object, p, gWaterScrollUV, gWaterScrollUV, gWaterScrollUV);
  }
  wre_ObjectBuildPolyTree(object, kPolyTreeDepth);
}

// Keeps the first failure of a water marker's measurement.
struct MarkerTally {
  int32_t markers = 0;
  int32_t failure = 0;
  void Add(EngineObject* object) {
    ++markers;
    wre_ObjectSetCollisionGroup(object, kGroupWater);
    const int32_t result = WaterBoundsAddObject(object);
    if (failure == 0) failure = result;
    wre_ObjectSetCollidable(object, 0);
  }
};

void TreatObject(EngineObject* object, int32_t id, const LevelRules& rules, MarkerTally& tally) {
  if (IsLevelId(id, rules.hidden[0]) || IsLevelId(id, rules.hidden[1])) {
    wre_ObjectSetCollidable(object, 0);
  } else if (id == kLevelIdWaterMarker) {
    tally.Add(object);
  } else if (id == kLevelIdRamp) {
    GroupWithTree(object, kGroupRamp);
  } else if (id == kLevelIdFloating) {
    GroupWithTree(object, kGroupFloating);
  } else if (IsLevelId(id, rules.waterSurface)) {
    MakeWaterSurface(object);
  } else if (id != kLevelIdNone) {
    GroupWithTree(object, kGroupSolid);
  }
}

}  // namespace

int32_t LevelLoad(ViewComponents* view) {
  ResetBounds();
  gSkyObject = nullptr;
  gLevelModelList = nullptr;
  int32_t result = FloaterListReset(view);
  if (result == 0) result = CourseMapLoad(view);
  if (result != 0) return result;
  if (!LevelInRange(gLevel)) return -1;

  ReadTextureList("data:skybox:", 0, view);
  EngineObject* sky = nullptr;
  result = wre_ModelLoad(kSkyModel, &sky, 1, 1, 0, 1, 0, 1, 0);
  if (result != 0) return result;
  if (sky) {
    wre_ObjectSetRenderFlags(sky, sky->renderFlags & ~kRenderNeverDrawn);
    wre_ObjectScale(sky, kSkyScalePercent);
    wre_ObjectSetAllPolyKinds(sky, kSkyPolyKind);
    wre_ObjectSetAllPolyFlags(sky, kSkyPolyFlags);
    wre_CameraAddObject(view->camera, sky);
    gSkyObject = sky;
  }

  ReadTextureList("data:levels:", 0, view);
  if (wre_ModelListLoadIntoWorld(kLevelModel, &gLevelModelList, view->world, 0, 0, 0, 1, 1, 0, 0) != 0) return -1;

  const int32_t environs = EnvironsLoad(view);
  if (environs != 0) {
    std::fprintf(stderr, "The water settings of level %d course %d could not be read (error %d); going on\n",
                 gLevel, gCourse, environs);
  }

  const LevelRules& rules = kLevelRules[gLevel];
  MarkerTally tally;
  for (EngineObject* object = view->world->objects; object; object = object->next) {
    const int32_t id = wre_ObjectGetUserValue(object);
    LiftAndMeasure(object);
    TreatObject(object, id, rules, tally);
    if (object->status & kStatusActive) wre_ObjectNewVertexWork(object);
    if (IsLevelId(id, rules.floating)) FloaterListAdd(object);
  }
  for (EngineObject* object = view->world->gridMeshes; object; object = object->next) {
    const int32_t id = wre_ObjectGetUserValue(object);
    LiftAndMeasure(object);
    if (id == kLevelIdWaterMarker) {
      tally.Add(object);
    } else if (id != kLevelIdNone) {
      wre_ObjectSetCollisionGroup(object, kGroupSolid);
    }
  }
  // Refused, though the load could go on: without a water marker the water grid would stand at the
  // marker bounds' reset height, 0, far below the lifted level, where no craft could reach it.
  if (tally.markers == 0) {
    wre_FileNoteFailed(kLevelModel);  // the level folder is current still
    return -1;
  }
  return tally.failure;
}

int32_t LevelUnload(ViewComponents* view) {
  CourseMapRelease(view);
  const int32_t released = EnvironsRelease(view);
  if (released != 0) return released;
  if (!view) return kWreErrNull;
  if (!LevelInRange(gLevel)) return -1;
  ReadTextureList("data:levels:", 1, view);
  ReadTextureList("data:skybox:", 1, view);
  if (gSkyObject) {
    wre_CameraRemoveObject(view->camera, gSkyObject);
    wre_ObjectDispose(gSkyObject);
    gSkyObject = nullptr;
  }
  if (gLevelModelList) wre_ModelListDispose(&gLevelModelList, view->world);
  wre_WorldDisposeObjects(view->world);
  return 0;
}
