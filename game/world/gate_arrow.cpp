#include "game/world/gate_arrow.h"

#include <cstdint>

#include "engine/core/object.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "game/state/gate_record.h"
#include "game/state/view_components.h"
#include "game/world/game_materials.h"
#include "game/world/game_object.h"
#include "game/world/object_words.h"
#include "game/world/watercraft.h"

namespace {

constexpr float kArrowHeight = 5000.0f;
constexpr uint32_t kFlashTicks = 5;

intptr_t Word(const EngineObject* object, GameWord word) { return reinterpret_cast<intptr_t>(object->gameWords[word]); }
void SetWord(EngineObject* object, GameWord word, intptr_t value) {
  object->gameWords[word] = reinterpret_cast<void*>(value);
}

// Writes the transform back through the object so that its axes and changed flags follow.
void Apply(EngineObject* object) {
  const Transform& t = object->transform;
  wre_ObjectSetTransform(object, t.angleX, t.angleY, t.angleZ, t.position[0], t.position[1], t.position[2]);
}

const EngineObject* PlayerCraftObject(const ViewComponents* view) {
  if (!view || !view->player || !view->player->craft) return nullptr;
  return view->player->craft->craftObject;
}

}  // namespace

void ArrowPlaceAtGate(const GateRecord* gate) {
  if (!gArrowObject || !gate) return;
  Point4 at = gate->centre;
  if (gate->markerA && gate->markerB) {
    const float* a = gate->markerA->transform.position;
    const float* b = gate->markerB->transform.position;
    at = Point4{(a[0] + b[0]) * 0.5f, (a[1] + b[1]) * 0.5f, (a[2] + b[2]) * 0.5f, 0.0f};
  }
  wre_ObjectSetTransform(gArrowObject, 0, 0, 0, at.x, at.y + kArrowHeight, at.z);
  gArrowBobCount = 0;
  gArrowBobOffset = kArrowBobStep;
}

void ArrowBobProcess(void* argument) {
  EngineObject* arrow = gArrowObject;
  if (!arrow) return;
  Transform& t = arrow->transform;
  if (const EngineObject* craft = PlayerCraftObject(static_cast<ViewComponents*>(argument))) {
    const float* p = craft->transform.position;
    wre_TransformPointAt(&t, p[0], p[1], p[2]);
  }
  t.position[1] += gArrowBobOffset;
  ++gArrowBobCount;
  Apply(arrow);
  if (gArrowBobCount >= kArrowBobCalls) {
    gArrowBobCount = 0;
    gArrowBobOffset = gArrowBobOffset > 0.0f ? -kArrowBobStep : kArrowBobStep;
  }
  // Unsigned difference: the toggle keeps its pace across the tick counter's wrap.
  const uint32_t last = static_cast<uint32_t>(Word(arrow, kGameWordArrowToggleTick));
  if (gEngineTick - last > kFlashTicks) {
    const bool white = Word(arrow, kGameWordArrowFlash) == 1;
    const int32_t material = white ? gtheWhiteMaterial : static_cast<int32_t>(Word(arrow, kGameWordArrowMaterial));
    wre_ObjectSetAllPolyMaterialIndex(arrow, material);
    SetWord(arrow, kGameWordArrowFlash, white ? 0 : 1);
    SetWord(arrow, kGameWordArrowToggleTick, static_cast<intptr_t>(gEngineTick));
  }
  Apply(arrow);
}
