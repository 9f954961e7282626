#include "game/world/game_objects.h"

#include <cmath>

#include "engine/core/collide.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/process.h"
#include "engine/core/random.h"
#include "engine/core/transform.h"
#include "engine/core/wre_types.h"
#include "engine/render/camera.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/craft_process.h"
#include "game/world/level_bounds.h"
#include "game/world/watercraft.h"
#include "game/world/watercraft_build.h"

namespace {

// The animated water grid: what a craft is dropped onto.
constexpr uint32_t kWaterGroup = 1;
// A bare sphere swept against polygons, the water grid's tiles included. Polygons, not the mover's
// points: a bare sphere has no points, so a points sweep would test nothing, keep every water tile
// under the craft as met, and give the sweep's end for a height instead of the water's.
constexpr uint32_t kDropSweepFlags = kCollideTiledMeshes | kCollidePolygons;
constexpr float kDropRadius = 1.0f;
// The player always builds with its own choices in racer slot 0.
constexpr int32_t kPlayerSlot = 0;
constexpr uint32_t kRiderTextureCount = 41;
constexpr uint32_t kLiveryCount = 50;
constexpr int32_t kFemaleDraw = 16384;

// The engine calls a craft process without looking at a result.
void CraftProcessRun(ProcessNode* node) { CraftProcess(node); }

// The racer's craft process, with the racer and the view as its user data. The creation's code, else
// the argument setting's; a node made but not listed is still kept for the teardown.
int32_t CraftProcessInstall(GameObject* object, ViewComponents* view, int32_t* argsResult) {
  ProcessNode* node = nullptr;
  const int32_t created = wre_ProcessCreateWithSelf(CraftProcessRun, &node, kCraftProcessInterval);
  object->processNode = node;
  if (created != 0) return created;
  *argsResult = wre_ProcessSetArgs(node, object, view, nullptr, 0);
  return 0;
}

void PlaceAtStart(GameObject* object) {
  const Transform& start = gStartTransform;
  GameObjectPlace(object, start.angleX, start.angleY, start.angleZ, start.position[0], start.position[1],
                  start.position[2]);
}

// Where opponent i stands from the start, in the craft's own axes: odd slots to the left, even
// ones to the right, each pair one radius further back than the last.
void GridOffset(int32_t slot, float radius, float* across, float* along) {
  const float i = static_cast<float>(slot);
  if (slot % 2 == 1) {
    *across = -kGridSpacing * i;
    *along = i * radius;
  } else {
    *across = kGridSpacing * i;
    *along = (i - 1.0f) * radius;
  }
}

void DropAndShow(GameObject* object, ViewComponents* view) {
  CraftDropToSurface(object->craft->craftObject, kWaterGroup, view);
  GameObjectShow(object, view);
}

}  // namespace

int32_t GameObjectListStart() {
  if (gGameObjectListOpen) return kGameObjectErrListOpen;
  gGameObjectListHead = nullptr;
  gGameObjectListOpen = 1;
  return 0;
}

int32_t GameObjectListStop(ViewComponents* view) {
  if (!gGameObjectListOpen) return kGameObjectErrListClosed;
  const int32_t result = GameObjectsDestroyAll(view);
  if (result != 0) return result;
  gGameObjectListHead = nullptr;
  gGameObjectListOpen = 0;
  return 0;
}

int32_t GameObjectListAdd(GameObject* object) {
  if (!object) return kWreErrNull;
  if (!gGameObjectListOpen) return kGameObjectErrListClosed;
  if (object->flags & kGameObjectListed) return kGameObjectErrListed;
  wre_RecordListAppend(object, &gGameObjectListHead, &GameObject::prev, &GameObject::next);
  object->flags |= kGameObjectListed;
  return 0;
}

int32_t GameObjectListRemove(GameObject* object) {
  if (!object) return kWreErrNull;
  if (!gGameObjectListOpen) return kGameObjectErrListClosed;
  if (!(object->flags & kGameObjectListed)) return kGameObjectErrNotListed;
  if (gGameObjectListHead == object) gGameObjectListHead = object->next;
  if (object->prev) object->prev->next = object->next;
  if (object->next) object->next->prev = object->prev;
  object->prev = nullptr;
  object->next = nullptr;
  object->flags &= static_cast<uint8_t>(~kGameObjectListed);
  return 0;
}

GameObject* GameObjectCreate(ViewComponents* view, int32_t type, int32_t controlKind, int32_t model,
                             int32_t livery, int32_t riderSex, int32_t riderTexture, int32_t racerSlot) {
  if (type != kGameObjectEmpty && type != kGameObjectWatercraft) return nullptr;
  auto* object = wre_MemoryNewArray<GameObject>(1);
  if (!object) return nullptr;
  object->controlKind = controlKind;
  object->type = type;
  if (type == kGameObjectWatercraft &&
      WatercraftBuild(object, view, controlKind, model, livery, riderSex, riderTexture, racerSlot) != 0) {
    wre_MemoryDispose(object);
    return nullptr;
  }
  return object;
}

int32_t GameObjectFree(GameObject* object, ViewComponents* view) {
  if (!object || !view) return kWreErrNull;
  if (object->type == kGameObjectWatercraft) {
    // 1: a watercraft object without a craft has nothing more to release.
    const int32_t result = WatercraftDestroy(object, view);
    if (result != 0 && result != 1) return result;
  } else if (object->type != kGameObjectEmpty) {
    return kGameObjectErrFreeType;
  }
  wre_MemoryDispose(object);
  return 0;
}

int32_t GameObjectSetControlKind(GameObject* object, int32_t value) {
  if (!object) return kWreErrNull;
  object->controlKind = value;
  return 0;
}

int32_t GameObjectSetType(GameObject* object, int32_t value) {
  if (!object) return kWreErrNull;
  object->type = value;
  return 0;
}

int32_t GameObjectPlace(GameObject* object, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y,
                        float z) {
  if (!object) return kWreErrNull;
  if (object->type == kGameObjectWatercraft) CraftPlace(object, angleX, angleY, angleZ, x, y, z);
  return 0;
}

int32_t GameObjectShow(GameObject* object, ViewComponents* view) {
  if (!object || !view) return kWreErrNull;
  if (object->flags & kGameObjectShown) return kGameObjectErrShown;
  if (object->type != kGameObjectWatercraft) return kGameObjectErrShowType;
  CraftModelsShow(object, view);
  object->flags |= kGameObjectShown;
  return 0;
}

int32_t GameObjectHide(GameObject* object, ViewComponents* view) {
  if (!object || !view) return kWreErrNull;
  if (!(object->flags & kGameObjectShown)) return kGameObjectErrNotShown;
  if (object->type != kGameObjectWatercraft) return kGameObjectErrHideType;
  CraftModelsHide(object, view);
  object->flags &= static_cast<uint8_t>(~kGameObjectShown);
  return 0;
}

int32_t GameObjectsDestroyAll(ViewComponents* view) {
  if (!gGameObjectListOpen) return kGameObjectErrListClosed;
  while (GameObject* object = gGameObjectListHead) {
    if (const int32_t removed = GameObjectListRemove(object); removed != 0) return removed;
    if (object->processNode) {
      wre_ProcessListRemove(object->processNode);
      wre_ProcessDispose(object->processNode);
      object->processNode = nullptr;
    }
    GameObjectHide(object, view);
    if (view && view->player == object) view->player = nullptr;
    if (const int32_t freed = GameObjectFree(object, view); freed != 0) return freed;
  }
  return 0;
}

int32_t RacersCreate(ViewComponents* view) {
  if (!view || !view->world || !view->camera) return 0;
  const int32_t opponents = gSettings.opponentCount;
  const int32_t playerKind = (gDemoMode || opponents < 0) ? (kControlHuman | kControlComputer) : kControlHuman;
  GameObject* player = GameObjectCreate(view, kGameObjectWatercraft, playerKind, gSettings.playerModel,
                                        gSettings.playerLivery, gSettings.riderSex, gSettings.riderTexture, kPlayerSlot);
  if (!player) return -1;
  GameObjectListAdd(player);
  int32_t result = 0;
  if (const int32_t installed = CraftProcessInstall(player, view, &result); installed != 0) return installed;
  view->player = player;
  player->flags |= kGameObjectCameraFollows;
  PlaceAtStart(player);
  DropAndShow(player, view);

  for (int32_t slot = 1; slot <= opponents; ++slot) {
    wre_Random();  // drawn and not used, so that the field is the same for the same seed
    const int32_t sex = static_cast<int32_t>(wre_Random()) <= kFemaleDraw ? 1 : 0;
    const auto riderTexture = static_cast<int32_t>(wre_Random() % kRiderTextureCount);
    const auto livery = static_cast<int32_t>(wre_Random() % kLiveryCount);
    GameObject* opponent = GameObjectCreate(view, kGameObjectWatercraft, kControlComputer, gSettings.playerModel,
                                            livery, sex, riderTexture, slot);
    if (!opponent) return -1;
    GameObjectListAdd(opponent);
    if (const int32_t installed = CraftProcessInstall(opponent, view, &result); installed != 0) return installed;
    opponent->flags &= static_cast<uint8_t>(~kGameObjectCameraFollows);
    PlaceAtStart(opponent);
    EngineObject* body = opponent->craft->craftObject;
    float across = 0.0f;
    float along = 0.0f;
    GridOffset(slot, body->radius, &across, &along);
    wre_ObjectMoveLocal(body, across, 0.0f, along);
    DropAndShow(opponent, view);
  }
  return result;
}

int32_t RacersDestroy(ViewComponents* view) {
  if (!view) return kWreErrNull;
  if (Camera* camera = view->camera) {
    while (camera->attached && wre_CameraRemoveObject(camera, camera->attached)) {
    }
  }
  return GameObjectsDestroyAll(view);
}

int32_t CraftDropToSurface(EngineObject* object, uint32_t groupMask, ViewComponents* view) {
  if (!object || !groupMask || !view) return kWreErrNull;
  Transform from = object->transform;
  Transform to = object->transform;
  from.position[1] = gLevelBoundsMaxY;
  to.position[1] = gLevelBoundsMinY;
  CollisionResult hit{};
  Transform& t = object->transform;
  if (!wre_CollideSphereMove(&from, &to, kDropRadius, view->world, groupMask, kDropSweepFlags, &hit, 0)) {
    // Nothing below: the middle of the level's height range, written into the transform only; the
    // craft's first motion step moves it from there.
    t.position[1] = std::fabs(gLevelBoundsMaxY - gLevelBoundsMinY) * 0.5f + gLevelBoundsMinY;
    return 0;
  }
  wre_ObjectSetTransform(object, t.angleX, t.angleY, t.angleZ, t.position[0], hit.hit[1], t.position[2]);
  return 0;
}
