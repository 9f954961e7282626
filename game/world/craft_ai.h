// The computer rider: each call of the craft process it writes the craft's throttle and steer from
// a stack of behaviours kept in the Watercraft: choose the next route node, follow it while
// holding near the route line, or detour to a waypoint on the route line after running into the
// level. A behaviour that needs a sub-task pushes itself and starts another; the sub-task pops.
#pragma once
#include <cstdint>

struct ViewComponents;
struct Watercraft;

enum AiBehaviour : int32_t {
  kAiChooseTarget = 0,
  kAiFollowRouteNode = 1,
  kAiDetourWaypoint = 2,
};

enum AiResult : int32_t {
  kAiErrStackFull = 350210,
  kAiErrStackEmpty = 350211,
};

// Heading errors, in 4096ths of a turn, that shape the steering.
constexpr int32_t kAiSteerFullAngle = 341;  // about 30 degrees: full lock beyond it
constexpr int32_t kAiSlowAngle = 683;       // about 60 degrees: half throttle beyond it
// A behaviour that ends may run the rider again at once, at most this often in one call.
constexpr int32_t kAiRerunLimit = 2;

// Saves the running behaviour, its tick and its waypoint on the stack and starts behaviour 0 now.
// 0; 350210 when the stack already holds 63 entries.
int32_t AiBehaviourPush(Watercraft* craft);
// Restores the behaviour on top of the stack, started now. 0; 350211 when the stack is empty.
int32_t AiBehaviourPop(Watercraft* craft);
// The steer for a heading error: 0 up to 1 unit, a / 341 up to 341, then full lock.
float AiSteerFromAngle(int32_t angle);

// Runs the craft's behaviour once: nothing during the countdown, the corner check first when the
// motion step asked for it. 0, or a stack error.
int32_t CraftAIRun(Watercraft* craft, ViewComponents* view);
// Starts a detour to the route line after a wall hit on the water; nothing while detouring or
// without a route segment. 0, or 350210.
int32_t AiCornerCheck(Watercraft* craft, ViewComponents* view);
// Behaviour 0: moves the route cursor to the next target (the next node in the rally modes, a
// roaming choice in treasure hunt roam and derby) and starts behaviour 1. 0, or 350210.
int32_t AiChooseTarget(Watercraft* craft, ViewComponents* view);
// Behaviour 1: steers for the cursor node until it is reached, then pops and runs again. 0, or a
// stack error.
int32_t AiFollowRouteNode(Watercraft* craft, ViewComponents* view);
// Behaviour 2: drives for the detour waypoint until the way to the cursor node is clear or the
// waypoint is near, then pops. 0, or a stack error.
int32_t AiDetourWaypoint(Watercraft* craft, ViewComponents* view);
