// Scenery animators on the race's process list: rally buoys bob on the waves, treasure markers
// spin, and the level's floating objects ride the water. Heights come from a downward sweep onto
// the water grid over the level's height range.
#pragma once
#include <cstdint>

struct EngineObject;
struct ViewComponents;

// Where the bob and spin steps stand on the gate ring, and the bob's rocking state (test view).
struct SceneryState {
  struct GateRecord* cursor;
  int32_t bobCounter;
  int32_t bobDrift;
  EngineObject* floatHead;
  EngineObject* floatCursor;
};
inline SceneryState gScenery{};

// Cursor at the first gate, counter 50, drift +7. 0; -1000 for a null view, -1010 without gates.
int32_t MarkerBobStart(ViewComponents* view);
// One tick: ten gate steps easing, rocking and turning each gate's buoys; the argument is the view.
void MarkerBobProcess(void* view);
// Cursor at the first gate. 0; -1000 for a null view, -1010 without gates.
int32_t MarkerSpinStart(ViewComponents* view);
// One tick: sixteen gate steps turning each gate's first marker.
void MarkerSpinProcess();

// Empties the floating list. 0; -1000 for a null view.
int32_t FloaterListReset(ViewComponents* view);
// Makes the object static with a fresh polygon tree and puts it at the head of the floating list.
// 0; -1000 for a null object.
int32_t FloaterListAdd(EngineObject* object);
// One tick: up to ten floating objects, round-robin, eased toward the water; the argument is the view.
void FloaterProcess(void* view);

// The next object of the floating list after the given one (null at the end).
EngineObject* FloaterNext(const EngineObject* object);
