// The game modes' marker and finish models: a marker's frames form one detail group whose member
// the renderer picks by distance.
#include <cstdio>

#include "engine/core/detail.h"
#include "engine/core/files.h"
#include "engine/core/object.h"
#include "engine/core/polytree.h"
#include "engine/data/model.h"
#include "engine/render/camera.h"
#include "game/race/game_modes.h"
#include "game/race/mode_setup.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/game_materials.h"

namespace {

struct MarkerModel {
  const char* stem;
  int32_t frames;
  float switchShare;  // of the far clip at full detail; 0: a fixed switch distance
  uint32_t c4dFlags;
};

constexpr MarkerModel kMarkers[] = {
    {"bouy0", 5, 0.03f, 0},   // rally
    {"sdolr0", 4, 0.07f, 0},  // treasure
    {"wypnt0", 4, 0.0f, 8},   // derby
};

constexpr const char* kFinishModel = "finish_line.c4d";
constexpr uint32_t kFinishC4dFlags = 2;
constexpr float kDerbySwitchDistance = 30000.0f;
constexpr float kLowestDetailShare = 0.1f;
constexpr int32_t kPolyTreeDepth = 2;

EngineObject* LoadModel(const char* file, uint8_t collidable, uint8_t numericUserData, uint32_t c4dFlags) {
  EngineObject* object = nullptr;
  if (wre_ModelLoad(file, &object, 1, 1, 0, collidable, numericUserData, 1, c4dFlags) != 0) return nullptr;
  // Centring and baking move the points but leave the box as it was measured before them; the
  // finish's lift and width and the collision boxes are taken from it.
  wre_ObjectCalcBox(object);
  return object;
}

EngineObject* LoadFrame(const MarkerModel& model, int32_t frame, uint8_t collidable, uint8_t numericUserData) {
  char file[32];
  std::snprintf(file, sizeof(file), "%s%d%s", model.stem, frame, ".c4d");
  return LoadModel(file, collidable, numericUserData, model.c4dFlags);
}

EngineObject* FinishLoad() {
  EngineObject* finish = LoadModel(kFinishModel, 0, 0, kFinishC4dFlags);
  if (!finish) return nullptr;
  wre_ObjectBuildPolyTree(finish, kPolyTreeDepth);
  wre_ObjectNewVertexWork(finish);
  return finish;
}

float SwitchDistance(GameplayKind kind, const MarkerModel& model, const ViewComponents* view) {
  if (kind == kGameplayDerby) return kDerbySwitchDistance;
  const float detail = gSettings.detail > 0 ? static_cast<float>(gSettings.detail) / 100.0f : kLowestDetailShare;
  const float farClip = view && view->camera ? view->camera->farClip : 0.0f;
  return detail * model.switchShare * farClip;
}

}  // namespace

EngineObject* GameplayObjectLoad(ViewComponents* view, int32_t which) {
  const GameplayKind kind = GameplayKindOf(gGameMode);
  if (kind == kGameplayNoMode) return nullptr;
  GameplayFolderEnter(kind);
  if (which == kGameplayFinish && kind != kGameplayDerby) return FinishLoad();

  const MarkerModel& model = kMarkers[kind];
  const bool rally = kind == kGameplayRally;
  EngineObject* base = LoadFrame(model, 1, rally ? 1 : 0, 0);
  if (!base) return nullptr;
  if (kind == kGameplayDerby) wre_ObjectSetAllPolyMaterialIndex(base, gtheBlackMaterial);
  bool complete = true;
  for (int32_t frame = 2; frame <= model.frames; ++frame) {
    EngineObject* member = LoadFrame(model, frame, 0, rally ? 1 : 0);
    if (!member) {
      // The marker serves with the frames it has: a later failure is not about the missing one.
      wre_FileFailedClear();
      complete = false;
      break;
    }
    if (wre_ObjectDetailSetAdd(base, member) != 0) {
      wre_ObjectDispose(member);
      complete = false;
      break;
    }
    wre_ObjectNewVertexWork(member);
    if (kind == kGameplayDerby) {
      wre_ObjectSetAllPolyMaterialIndex(member, gtheBlackMaterial);
    } else {
      wre_ObjectSetRenderFlags(member, base->renderFlags | kRenderStatic);
    }
  }
  if (complete) wre_ObjectDetailSetDistance(base, SwitchDistance(kind, model, view));
  if (kind != kGameplayDerby) wre_ObjectSetRenderFlags(base, base->renderFlags | kRenderStatic);
  if (rally) wre_ObjectBuildPolyTree(base, kPolyTreeDepth);
  wre_ObjectNewVertexWork(base);
  return base;
}
