#include "game/world/watercraft_build.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/detail.h"
#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/particles.h"
#include "engine/core/polytree.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/core/wre_types.h"
#include "engine/data/model.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "game/state/prefs.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/craft_models.h"
#include "game/world/game_materials.h"
#include "game/world/game_object.h"
#include "game/world/game_sounds.h"
#include "game/world/gate_list.h"
#include "game/world/object_words.h"
#include "game/world/racer_chain.h"
#include "game/world/skin_textures.h"
#include "game/world/watercraft.h"

namespace {

constexpr int32_t kLiveryLast = 49;
constexpr int32_t kRiderTextureLast = 40;
constexpr int32_t kFullBody = 1;
constexpr int32_t kLastDetail = 5;
constexpr uint8_t kBodyAttributes = 2;
constexpr int32_t kBodyTreeDepth = 2;
// Vertex work flag bits the craft's body asks of the renderer.
constexpr uint32_t kBodyVertexWorkFlags = 0x18;
constexpr int32_t kCedarModel = 4;
constexpr const char* kSprayTextureIdent = "vqz_WaterSprayTextureIdent";
// Detail switching: the detail setting in percent scales this share of the camera's far distance.
constexpr float kDetailShare = 0.004f;
constexpr float kLowestDetail = 0.1f;

char gFailedFile[kFolderPathSize + 256] = "";

// Notes the file of the current folder whose load failed and passes the load's result on.
int32_t NoteFailedFile(const char* name, int32_t result) {
  wre_FilePathOf(name, gFailedFile, sizeof gFailedFile);
  return result;
}

bool ModelValid(int32_t model) { return model >= 0 && model < kCraftModelCount; }

// Loads one body file of the model's current folder: 1 the full model, 2..5 its levels of detail.
int32_t BodyFileLoad(int32_t number, EngineObject** object) {
  char file[32];
  std::snprintf(file, sizeof(file), "%s%1d%s", "hydrel_0", static_cast<int>(number), ".c4d");
  const int32_t result = wre_ModelLoad(file, object, 1, 1, 0, 1, 1, 1, 0);
  return result != 0 || !*object ? NoteFailedFile(file, result) : 0;
}

void AddStaticFlag(EngineObject* object) { wre_ObjectSetRenderFlags(object, object->renderFlags | kRenderStatic); }

void Recalc(EngineObject* object) { wre_ObjectRecalc(object, 0, 1, 1, 1, 1); }

// The levels of detail that exist, each sharing the body's livery; the first one missing or
// refused ends the series.
void DetailModelsLoad(EngineObject* body, int32_t texture) {
  for (int32_t number = kFullBody + 1; number <= kLastDetail; ++number) {
    EngineObject* detail = nullptr;
    if (BodyFileLoad(number, &detail) != 0 || !detail) return;
    AddStaticFlag(detail);
    Recalc(detail);
    AddStaticFlag(detail);
    wre_ObjectSetVisible(detail, 1);
    wre_ObjectSetAllPolyTexture(detail, texture);
    if (wre_ObjectDetailSetAdd(body, detail) != 0) {
      wre_ObjectDispose(detail);
      return;
    }
    wre_ObjectNewVertexWork(detail);
  }
}

float DetailSwitchDistance(const ViewComponents* view) {
  const float detail = gSettings.detail > 0 ? static_cast<float>(gSettings.detail) / 100.0f : kLowestDetail;
  const float farClip = view->camera ? view->camera->farClip : 0.0f;
  return detail * kDetailShare * farClip;
}

void SetOwner(EngineObject* object, Watercraft* craft) { object->gameWords[kGameWordOwner] = craft; }

// Takes the record apart in the reverse order of the build; every step copes with a part that was
// never made.
void WatercraftRelease(Watercraft* craft, ViewComponents* view) {
  RacerChainUnlink(craft);
  MotorSoundStop(craft);
  SprayEmittersFree(craft, view);
  if (craft->riderObject) RiderModelFree(craft, view);
  if (craft->craftObject) CraftModelFree(craft, view);
  if (craft->racerSlot >= 0 && craft->racerSlot < kRacerSlots && gCraftByIndex[craft->racerSlot] == craft) {
    gCraftByIndex[craft->racerSlot] = nullptr;
  }
  wre_MemoryDispose(craft);
}

using ModelsAction = int32_t (*)(EngineObject* object, World* world);

int32_t ForEachModel(GameObject* object, ViewComponents* view, ModelsAction action, bool shown) {
  if (!object || !view || !object->craft) return kWreErrNull;
  Watercraft* craft = object->craft;
  if (craft->craftObject) action(craft->craftObject, view->world);
  if (craft->riderObject) action(craft->riderObject, view->world);
  for (EngineObject* emitter : craft->sprayEmitters)
    if (emitter) action(emitter, view->world);
  if (shown)
    object->flags |= kGameObjectShown;
  else
    object->flags &= static_cast<uint8_t>(~kGameObjectShown);
  return 0;
}

}  // namespace

const char* WatercraftFailedFile() { return gFailedFile; }

int32_t WatercraftBuild(GameObject* object, ViewComponents* view, int32_t /*controlKind*/, int32_t model,
                        int32_t livery, int32_t riderSex, int32_t riderTexture, int32_t racerSlot) {
  gFailedFile[0] = '\0';
  if (!object || !view) return kWreErrNull;
  if (racerSlot < 0 || racerSlot >= kRacerSlots) return kBuildErrRacerSlot;
  if (!ModelValid(model)) return kWreErrRange;
  auto* craft = wre_MemoryNewArray<Watercraft>(1);
  if (!craft) return kWreErrNoMemory;
  // No slot or sound is held yet: the release path must not take anyone else's.
  craft->racerSlot = -1;
  craft->riderSlot = -1;
  craft->liverySlot = -1;
  std::fill(std::begin(craft->soundHandles), std::end(craft->soundHandles), int16_t{-1});

  const bool race = RaceActiveGet();
  int32_t result = CraftModelLoad(craft, view, model, livery);
  if (result == 0) result = RiderModelLoad(craft, view, riderSex, riderTexture, model);
  if (result == 0 && race) result = SprayEmittersCreate(craft, view);
  if (result != 0) {
    WatercraftRelease(craft, view);
    return result;
  }
  object->craft = craft;
  if (race) {
    craft->nextGate = gStartGate ? gStartGate : GateListFirst(object);
    MotorSoundStart(craft);
  }
  const CraftModel& constants = kCraftModelTable[model];
  craft->physics.power = constants.power;
  craft->physics.mass = constants.mass;
  craft->physics.rampRate = constants.rampRate;
  craft->physics.inverseMass = 1.0f / constants.mass;
  if (race) RacerChainLink(craft);
  craft->owner = object;
  craft->racerSlot = racerSlot;
  gCraftByIndex[racerSlot] = craft;
  wre_ObjectSetCollisionGroup(craft->craftObject, kCraftBodyGroup << racerSlot);
  wre_ObjectSetCollisionGroup(craft->riderObject, kCraftRiderGroup << racerSlot);
  craft->flags |= kCraftRacing;
  return 0;
}

int32_t WatercraftDestroy(GameObject* object, ViewComponents* view) {
  if (!object) return kWreErrNull;
  if (!object->craft) return 1;
  WatercraftRelease(object->craft, view);
  object->craft = nullptr;
  return 0;
}

int32_t CraftModelLoad(Watercraft* craft, ViewComponents* view, int32_t model, int32_t livery) {
  if (!craft || !view) return kWreErrNull;
  if (!ModelValid(model)) return kWreErrRange;
  livery = std::clamp(livery, 0, kLiveryLast);
  const int32_t texture = LiveryTextureAcquire(livery, model, view);
  craft->model = model;
  // A livery that could not be had leaves the body untextured and holds no slot.
  const auto letGo = [&] {
    if (texture >= 0) LiveryTextureRelease(livery, model);
  };

  char folder[64];
  std::snprintf(folder, sizeof(folder), "data:hydrels:%s", kCraftModelTable[model].folderWord);
  wre_FolderSet(folder);
  EngineObject* body = nullptr;
  int32_t result = BodyFileLoad(kFullBody, &body);
  if (result != 0 || !body) {
    letGo();
    return result != 0 ? result : kWreErrCreate;
  }
  wre_ObjectSetAllPolyTexture(body, texture);
  AddStaticFlag(body);
  Recalc(body);
  AddStaticFlag(body);
  wre_ObjectSetVisible(body, 1);
  result = wre_ObjectBuildPolyTree(body, kBodyTreeDepth);
  if (result != 0) {
    wre_ObjectDispose(body);
    letGo();
    return result;
  }
  craft->liverySlot = texture >= 0 ? livery : -1;
  craft->liveryModel = model;
  wre_ObjectSetAttrByte(body, kBodyAttributes);
  if (wre_ObjectNewVertexWork(body) == 0 && body->vertexWork) body->vertexWork->flags |= kBodyVertexWorkFlags;
  craft->craftObject = body;
  SetOwner(body, craft);

  if (RaceActiveGet()) {
    DetailModelsLoad(body, texture);
    wre_ObjectDetailSetDistance(body, DetailSwitchDistance(view));
  }
  return 0;
}

int32_t CraftModelFree(Watercraft* craft, ViewComponents* /*view*/) {
  if (!craft || !craft->craftObject) return kWreErrNull;
  wre_ObjectDispose(craft->craftObject);
  craft->craftObject = nullptr;
  if (craft->liverySlot >= 0) LiveryTextureRelease(craft->liverySlot, craft->liveryModel);
  craft->liverySlot = -1;
  return 0;
}

int32_t RiderModelLoad(Watercraft* craft, ViewComponents* view, int32_t riderSex, int32_t riderTexture,
                       int32_t model) {
  if (!craft || !view) return kWreErrNull;
  riderTexture = std::clamp(riderTexture, 0, kRiderTextureLast);
  const int32_t texture = RiderTextureAcquire(riderTexture, view);
  wre_FolderSet(model == kCedarModel ? "data:riders:cedar" : "data:riders:common");
  EngineObject* rider = nullptr;
  const char* file = riderSex == 0 ? "male.c4d" : "female.c4d";
  const int32_t result = wre_ModelLoad(file, &rider, 0, 0, 0, 1, 1, 1, 0);
  if (result != 0 || !rider) {
    NoteFailedFile(file, result);
    if (texture >= 0) RiderTextureRelease(riderTexture);
    return result != 0 ? result : kWreErrCreate;
  }
  wre_ObjectSetAllPolyTexture(rider, texture);
  craft->riderSlot = texture >= 0 ? riderTexture : -1;
  AddStaticFlag(rider);
  Recalc(rider);
  wre_ObjectNewVertexWork(rider);
  craft->riderObject = rider;
  SetOwner(rider, craft);
  return 0;
}

int32_t RiderModelFree(Watercraft* craft, ViewComponents* /*view*/) {
  if (!craft || !craft->riderObject) return kWreErrNull;
  wre_ObjectDispose(craft->riderObject);
  craft->riderObject = nullptr;
  if (craft->riderSlot >= 0) RiderTextureRelease(craft->riderSlot);
  craft->riderSlot = -1;
  return 0;
}

int32_t SprayEmittersCreate(Watercraft* craft, ViewComponents* view) {
  if (!craft || !view) return kWreErrNull;
  const int32_t texture = wre_TextureFindByIdent(kSprayTextureIdent);
  int32_t result = 0;
  for (EngineObject*& emitter : craft->sprayEmitters) {
    EngineObject* made = nullptr;
    result = wre_ParticleObjectNew(&made, kSprayParticleKind, kSprayParticles, gtheWaterParticleMaterial, texture, 0);
    if (result != 0) break;
    Recalc(made);
    wre_ObjectSetCollidable(made, 1);
    emitter = made;
  }
  const float radius = craft->craftObject ? craft->craftObject->radius : 0.0f;
  craft->sprayOffsets[0] = Point4{0.0f, -200.0f, -radius, 0.0f};
  craft->sprayOffsets[1] = Point4{-220.0f, -100.0f, -200.0f, 0.0f};
  craft->sprayOffsets[2] = Point4{220.0f, -100.0f, -200.0f, 0.0f};
  craft->sprayOffsets[3] = Point4{0.0f, -200.0f, radius, 0.0f};
  return result;
}

int32_t SprayEmittersFree(Watercraft* craft, ViewComponents* /*view*/) {
  if (!craft) return kWreErrNull;
  for (EngineObject*& emitter : craft->sprayEmitters) {
    if (emitter) wre_ObjectDispose(emitter);
    emitter = nullptr;
  }
  return 0;
}

int32_t CraftPlace(GameObject* object, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y, float z) {
  if (!object || !object->craft || !object->craft->craftObject) return kWreErrNull;
  wre_ObjectSetTransform(object->craft->craftObject, angleX, angleY, angleZ, x, y, z);
  return 0;
}

int32_t CraftModelsShow(GameObject* object, ViewComponents* view) {
  return ForEachModel(
      object, view, [](EngineObject* model, World* world) { return wre_WorldAddObject(model, world); }, true);
}

int32_t CraftModelsHide(GameObject* object, ViewComponents* view) {
  return ForEachModel(
      object, view, [](EngineObject* model, World* world) { return wre_WorldRemoveObject(model, world); }, false);
}
