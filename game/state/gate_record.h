// One gate of the running course: a pair of rally buoys, a derby waypoint or a treasure dollar,
// on the course's gate list. The list operations live in gate_list.h.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

struct EngineObject;

enum GateFlags : uint8_t {
  kGateLast = 0x01,  // the finish gate in Rally, the finish marker in Treasure Hunt Linear
};

struct GateRecord {
  int32_t holder;  // derby and treasure: racer slot of the last claim, -1 unclaimed; rally: buoy value
  EngineObject* markerA;
  EngineObject* markerB;  // rally only
  EngineObject* finishObject;
  GateRecord* prev;  // after relinking, the head's prev is the tail
  GateRecord* next;  // null at the tail
  float halfWidth;
  float passThreshold;
  Point4 centre;
  uint8_t flags;  // GateFlags
};

// The running course's list; null between races.
inline GateRecord* gGateListHead = nullptr;
// Where the player starts in Derby and Treasure Hunt Roam; null otherwise.
inline GateRecord* gStartGate = nullptr;
