#include "game/world/scenery.h"

#include <initializer_list>

#include "engine/core/collide.h"
#include "engine/core/object.h"
#include "engine/core/polytree.h"
#include "engine/core/random.h"
#include "engine/core/transform.h"
#include "engine/core/wre_types.h"
#include "game/state/view_components.h"
#include "game/world/gate_list.h"
#include "game/world/level_bounds.h"
#include "game/world/object_words.h"

namespace {

constexpr int32_t kBobStartCounter = 50;
constexpr int32_t kBobCounterLimit = 100;
constexpr int32_t kBobDrift = 7;
constexpr uint32_t kBobJitterMask = 0x15;
constexpr int32_t kBobGateSteps = 10;
constexpr int32_t kSpinGateSteps = 16;
constexpr int32_t kSpinStep = 60;
constexpr uint32_t kSpinStopGroup = 0x80;
constexpr int32_t kFloatersPerTick = 10;
constexpr uint32_t kWaterGroupMask = 1;
constexpr uint32_t kProbeFlags = kCollideTiledMeshes | kCollideNoObjects | kCollidePolygons;
constexpr float kProbeRadius = 1.0f;
constexpr int32_t kPolyTreeDepth = 2;

// The y offset that takes the object halfway to the water under it; false when there is none.
bool EaseToWater(World* world, const EngineObject* object, float* dy) {
  Transform from{};
  Transform to{};
  wre_TransformReset(&from);
  wre_TransformReset(&to);
  const float x = object->transform.position[0];
  const float y = object->transform.position[1];
  const float z = object->transform.position[2];
  wre_TransformSet(&from, 0, 0, 0, x, gLevelBoundsMaxY, z);
  wre_TransformSet(&to, 0, 0, 0, x, gLevelBoundsMinY, z);
  CollisionResult result{};
  if (wre_CollideSphereMove(&from, &to, kProbeRadius, world, kWaterGroupMask, kProbeFlags, &result, 1) != 1) {
    return false;
  }
  *dy = (result.hit[1] - y) * 0.5f;
  return true;
}

EngineObject* FloatLink(const EngineObject* object, GameWord word) {
  return static_cast<EngineObject*>(object->gameWords[word]);
}

int32_t StartAtFirstGate(ViewComponents* view) {
  if (!view) return kWreErrNull;
  gScenery.cursor = GateListFirst(nullptr);
  return gScenery.cursor ? 0 : kWreErrRange;
}

}  // namespace

int32_t MarkerBobStart(ViewComponents* view) {
  const int32_t result = StartAtFirstGate(view);
  if (result != 0) return result;
  gScenery.bobCounter = kBobStartCounter;
  gScenery.bobDrift = kBobDrift;
  return 0;
}

void MarkerBobProcess(void* argument) {
  auto* view = static_cast<ViewComponents*>(argument);
  if (!view) return;
  const int32_t jitter = static_cast<int32_t>(wre_Random() & kBobJitterMask);
  if (++gScenery.bobCounter > kBobCounterLimit) {
    gScenery.bobCounter = 0;
    gScenery.bobDrift = -gScenery.bobDrift;
  }
  for (int32_t step = 0; step < kBobGateSteps && gScenery.cursor; ++step) {
    for (EngineObject* marker : {gScenery.cursor->markerA, gScenery.cursor->markerB}) {
      if (!marker || (marker->renderFlags & kRenderNeverDrawn)) continue;
      float dy = 0.0f;
      if (EaseToWater(view->world, marker, &dy)) wre_ObjectMove(marker, gScenery.bobDrift, jitter, 0, 0.0f, dy, 0.0f);
    }
    gScenery.cursor = GateListNext(gScenery.cursor, nullptr);
  }
}

int32_t MarkerSpinStart(ViewComponents* view) { return StartAtFirstGate(view); }

void MarkerSpinProcess() {
  for (int32_t step = 0; step < kSpinGateSteps && gScenery.cursor; ++step) {
    EngineObject* marker = gScenery.cursor->markerA;
    if (marker && !(marker->collisionGroup & kSpinStopGroup)) wre_ObjectMove(marker, 0, kSpinStep, 0, 0.0f, 0.0f, 0.0f);
    gScenery.cursor = GateListNext(gScenery.cursor, nullptr);
  }
}

int32_t FloaterListReset(ViewComponents* view) {
  if (!view) return kWreErrNull;
  gScenery.floatHead = nullptr;
  gScenery.floatCursor = nullptr;
  return 0;
}

int32_t FloaterListAdd(EngineObject* object) {
  if (!object) return kWreErrNull;
  wre_ObjectFreePolyTree(object);
  wre_ObjectSetRenderFlags(object, object->renderFlags | kRenderStatic);
  wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  wre_ObjectBuildPolyTree(object, kPolyTreeDepth);
  object->gameWords[kGameWordFloatPrev] = nullptr;
  object->gameWords[kGameWordFloatNext] = gScenery.floatHead;
  if (gScenery.floatHead) gScenery.floatHead->gameWords[kGameWordFloatPrev] = object;
  gScenery.floatHead = object;
  gScenery.floatCursor = object;
  return 0;
}

EngineObject* FloaterNext(const EngineObject* object) {
  return object ? FloatLink(object, kGameWordFloatNext) : nullptr;
}

void FloaterProcess(void* argument) {
  auto* view = static_cast<ViewComponents*>(argument);
  if (!view || !gScenery.floatHead) return;
  if (!gScenery.floatCursor) gScenery.floatCursor = gScenery.floatHead;
  const EngineObject* start = gScenery.floatCursor;
  for (int32_t step = 0; step < kFloatersPerTick; ++step) {
    if (step > 0 && gScenery.floatCursor == start) break;
    EngineObject* object = gScenery.floatCursor;
    float dy = 0.0f;
    if (EaseToWater(view->world, object, &dy)) {
      wre_ObjectMove(object, 0, 0, 0, 0.0f, dy, 0.0f);
      wre_ObjectUpdate(object, 0, 1);
    }
    EngineObject* next = FloatLink(object, kGameWordFloatNext);
    gScenery.floatCursor = next ? next : gScenery.floatHead;
  }
}
