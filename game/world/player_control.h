// The player's controls during a race: keyboard, mouse and joystick read into separate steer and
// throttle proposals, the pause, quit-prompt and view keys, and one control law that moves the
// player craft's throttle and steer toward the first proposal made.
#pragma once
#include <cstdint>

#include "engine/core/input.h"

struct CraftPhysics;
struct ViewComponents;

// When the current pause began, and when the view last changed.
inline uint32_t gPauseStartTick = 0;
inline uint32_t gViewKeyTick = 0;

// The pause and view keys act at most once in this many ticks.
constexpr uint32_t kControlKeyDebounceTicks = 30;
// Escape (kKeyEscape) puts the quit prompt up; 'Y' and 'N' answer it.
constexpr int32_t kKeyYes = 'Y';
constexpr int32_t kKeyNo = 'N';

// The process callback, every 2 ticks with the race's ViewComponents as its argument.
void PlayerControlProcess(void* view);

// The control law: a positive throttle demand is taken at once, otherwise the throttle falls by
// 0.2; the steer steps by 0.1 toward a demand (taken exactly when within 0.1) and returns toward
// centre by 0.6 without one; both clamped to their ranges.
void CraftControlApply(CraftPhysics* physics, float steerDemand, float throttleDemand);

// The keys: quit-prompt answers (which end the read), Escape, pause, view, throttle and steering.
// 0.
int32_t KeyboardControlRead(float* steer, float* throttle, bool* pauseRequest, bool* viewRequest);
// The mouse's offset from the view centre (held within 300 pixels, the cursor pulled back when it
// strays) past the dead zone: right steers right, up the screen opens the throttle. 0.
int32_t MouseControlRead(float* steer, float* throttle, bool* button, ViewComponents* view);
// Moves the cursor to the middle of the view. 0; -1000 for a view without camera.
int32_t MouseCursorCentre(ViewComponents* view);
