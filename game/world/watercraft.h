// One racer's craft: body and rider models, spray emitters, physics, race state, the computer
// rider's behaviour stack and route cursor, and its links to its game object and the racer chain.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"
#include "game/state/race_state.h"
#include "game/world/craft_physics.h"

struct EngineObject;
struct GameObject;
struct GateRecord;
struct RouteNode;

constexpr int kBehaviourDepth = 63;

enum CraftFlags : uint8_t {
  kCraftWasOnSurface = 0x01,
  kCraftOnSurface = 0x02,
  kCraftOnGround = 0x04,
  kCraftThrowPending = 0x08,
  kCraftRiderThrown = 0x10,
  kCraftInContact = 0x20,
  kCraftRacing = 0x40,
  kCraftCornerCheck = 0x80,
};

struct Watercraft {
  EngineObject* craftObject;
  EngineObject* riderObject;
  int32_t riderSlot;  // -1 after release
  int32_t liverySlot;
  int32_t liveryModel;
  int32_t model;
  uint32_t sprayTick;
  EngineObject* sprayEmitters[4];
  Point4 sprayOffsets[4];
  CraftPhysics physics;
  float previousPosition[3];
  float motorPitchFactor;
  Point4 currentPosition;  // the motor sound's emitter position
  int16_t soundHandles[4];  // the first is the motor sound
  int32_t motorPitchTick;
  int32_t racerSlot;  // 0 is the player
  int32_t score;
  int32_t laps;
  GateRecord* nextGate;
  int32_t behaviour;
  int32_t behaviourStack[kBehaviourDepth];
  int32_t behaviourDepth;
  uint32_t behaviourStartTick;
  uint32_t behaviourTick;
  uint32_t behaviourTickStack[kBehaviourDepth];
  Point4 behaviourParams;
  Point4 behaviourParamStack[kBehaviourDepth];
  RouteNode* routeCursor;
  RouteNode* routePrev;
  RouteNode* routeAhead;
  int32_t routeDirection;  // 0 forward, 1 backward
  int32_t routeHops;
  bool routeClosedOn;  // the craft has closed on the cursor node within passing reach
  GameObject* owner;
  Watercraft* chainPrev;
  Watercraft* chainNext;
  uint8_t flags;  // CraftFlags
};

inline Watercraft* gCraftByIndex[kRacerSlots] = {};
inline Watercraft* gRacerChainHead = nullptr;
inline int32_t gRacerCount = 0;
