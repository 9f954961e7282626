// The rally direction arrow hovering over the player's next gate, bobbing up and down, turned
// toward the player and flashing between white and its own material; and the compass drawn with
// the head-up display. Both are loaded by the rally set-up and disposed by its exit.
#pragma once
#include <cstdint>

struct EngineObject;
struct GateRecord;

// Null outside a rally race.
inline EngineObject* gArrowObject = nullptr;   // "arrow.c4d"
inline EngineObject* gCompassArrow = nullptr;  // "dir_arrow.c4d"

constexpr float kArrowBobStep = 500.0f;
constexpr int32_t kArrowBobCalls = 5;  // calls between two flips of the bob direction

inline int32_t gArrowBobCount = 0;  // calls since the last flip
inline float gArrowBobOffset = kArrowBobStep;

// Puts the arrow, unturned, 5000 above the middle of the gate's two buoys and restarts its bob
// going up. Nothing without an arrow or a gate.
void ArrowPlaceAtGate(const GateRecord* gate);
// One tick (every 2): the arrow faces the player's craft, climbs or falls by the bob offset and
// flashes every 6 ticks. The argument is the race's ViewComponents.
void ArrowBobProcess(void* view);
