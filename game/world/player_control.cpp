#include "game/world/player_control.h"

#include <algorithm>
#include <cmath>

#include "engine/core/input.h"
#include "engine/core/timer.h"
#include "engine/core/wre_types.h"
#include "engine/render/camera.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/craft_physics.h"
#include "game/world/game_object.h"
#include "game/world/joystick.h"
#include "game/world/race_camera.h"
#include "game/world/watercraft.h"

namespace {

constexpr float kThrottleDecay = 0.2f;
constexpr float kSteerStep = 0.1f;
constexpr float kSteerReturn = 0.6f;
constexpr float kMouseBox = 300.0f;
constexpr float kMouseDeadZoneUnit = 100.0f;

bool KeyDown(int32_t settingKey) { return wre_KeyIsDown(settingKey & 0xff); }

// Tick comparisons survive the clock's wrap.
bool DebounceOver(uint32_t now, uint32_t last) { return now - last > kControlKeyDebounceTicks; }

void PauseBegin(uint32_t now) {
  // Only the change from running starts the pause clock, so no paused time counts as race time.
  if (!gPaused) gPauseStartTick = now;
  gPaused = 1;
}

void PauseEnd(uint32_t now) {
  gPaused = 0;
  gRaceStartTick += now - gPauseStartTick;
}

void PauseToggle(uint32_t now) {
  gPauseToggleTick = static_cast<int32_t>(now);
  if (gPaused && !gQuitPrompt)
    PauseEnd(now);
  else
    PauseBegin(now);
}

float FirstNonZero(float a, float b, float c) {
  if (a != 0.0f) return a;
  if (b != 0.0f) return b;
  return c;
}

// Holds a mouse coordinate within the box around the centre; true when it had to be pulled back.
bool HoldInBox(int32_t* value, float centre) {
  if (static_cast<float>(*value) > centre + kMouseBox) {
    *value = static_cast<int32_t>(centre + kMouseBox);
    return true;
  }
  if (static_cast<float>(*value) < centre - kMouseBox) {
    *value = static_cast<int32_t>(centre - kMouseBox);
    return true;
  }
  return false;
}

int32_t MouseOffset(int32_t position, float centre, float deadZone, bool invert) {
  auto offset = static_cast<int32_t>(static_cast<float>(position) - centre);
  if (std::fabs(static_cast<float>(offset)) < deadZone) offset = 0;
  if (offset != 0) offset = static_cast<int32_t>(static_cast<float>(offset) * gSettings.mouseSensitivity);
  return invert ? -offset : offset;
}

}  // namespace

void CraftControlApply(CraftPhysics* physics, float steerDemand, float throttleDemand) {
  if (throttleDemand > 0.0f)
    physics->throttle = throttleDemand;
  else
    physics->throttle -= kThrottleDecay;

  float& s = physics->steer;
  const float d = steerDemand;
  if (d != 0.0f) {
    if (std::fabs(d - s) <= kSteerStep)
      s = d;
    else
      s += d > s ? kSteerStep : -kSteerStep;
  } else if (s > 0.0f) {
    s = std::max(s - kSteerReturn, 0.0f);
  } else if (s < 0.0f) {
    s = std::min(s + kSteerReturn, 0.0f);
  }
  physics->throttle = std::clamp(physics->throttle, 0.0f, 1.0f);
  s = std::clamp(s, -1.0f, 1.0f);
}

void PlayerControlProcess(void* argument) {
  auto* view = static_cast<ViewComponents*>(argument);
  if (gCountdownActive || !view) return;
  const uint32_t now = gEngineTick;
  float keySteer = 0.0f, keyThrottle = 0.0f;
  float mouseSteer = 0.0f, mouseThrottle = 0.0f;
  float stickSteer = 0.0f, stickThrottle = 0.0f;
  bool pauseRequest = false, viewRequest = false;

  KeyboardControlRead(&keySteer, &keyThrottle, &pauseRequest, &viewRequest);
  if (gSettings.mouseOn) {
    bool button = false;
    MouseControlRead(&mouseSteer, &mouseThrottle, &button, view);
    if (button) mouseThrottle = 1.0f;
  }
  if (gSettings.joystickOn) JoystickControlRead(&stickSteer, &stickThrottle, &viewRequest, view);

  if (pauseRequest && DebounceOver(now, static_cast<uint32_t>(gPauseToggleTick))) PauseToggle(now);

  GameObject* player = view->player;
  if (!player) return;
  if (viewRequest && DebounceOver(now, gViewKeyTick)) {
    RaceCameraCycleView(view);
    gViewKeyTick = now;
  }
  Watercraft* craft = player->craft;
  // A finished craft (racing flag clear) keeps the throttle it finished with.
  if (gPaused || (player->controlKind & kControlComputer) || !craft || !(craft->flags & kCraftRacing)) return;
  CraftControlApply(&craft->physics, FirstNonZero(keySteer, stickSteer, mouseSteer),
                    FirstNonZero(keyThrottle, stickThrottle, mouseThrottle));
}

int32_t KeyboardControlRead(float* steer, float* throttle, bool* pauseRequest, bool* viewRequest) {
  wre_InputPoll();
  const uint32_t now = gEngineTick;
  if (gQuitPrompt) {
    const bool no = wre_KeyIsDown(kKeyNo);
    if (no || wre_KeyIsDown(kKeyYes)) {
      if (!no) gQuitRequested = 1;
      gQuitPrompt = 0;
      PauseEnd(now);
      return 0;
    }
  }
  if (wre_KeyIsDown(kKeyEscape)) {
    PauseBegin(now);
    gQuitPrompt = 1;
  }
  if (KeyDown(gSettings.keyPause)) *pauseRequest = true;
  if (KeyDown(gSettings.keyView)) *viewRequest = true;
  if (KeyDown(gSettings.keyThrottle)) *throttle = 1.0f;
  if (KeyDown(gSettings.keyLeft))
    *steer = -1.0f;
  else if (KeyDown(gSettings.keyRight))
    *steer = 1.0f;
  return 0;
}

int32_t MouseControlRead(float* steer, float* throttle, bool* button, ViewComponents* view) {
  if (!view || !view->camera) return kWreErrNull;
  const float cx = view->camera->halfWidth;
  const float cy = view->camera->halfHeight;
  int32_t position[2] = {0, 0};
  wre_MouseGetPos(position);
  const bool pulledX = HoldInBox(&position[0], cx);
  const bool pulledY = HoldInBox(&position[1], cy);
  if (pulledX || pulledY) wre_MouseSetPos(position[0], position[1]);
  const float deadZone = std::fabs(gSettings.mouseThreshold * kMouseDeadZoneUnit);
  const int32_t dx = MouseOffset(position[0], cx, deadZone, gSettings.mouseInvertX != 0);
  const int32_t dy = MouseOffset(position[1], cy, deadZone, gSettings.mouseInvertY != 0);
  *steer = std::clamp(static_cast<float>(dx) / kMouseBox, -1.0f, 1.0f);
  *throttle = std::clamp(static_cast<float>(-dy) / kMouseBox, 0.0f, 1.0f);
  *button = wre_MouseButtonDown();
  return 0;
}

int32_t MouseCursorCentre(ViewComponents* view) {
  if (!view || !view->camera) return kWreErrNull;
  wre_CursorSetPos(static_cast<int32_t>(view->camera->halfWidth), static_cast<int32_t>(view->camera->halfHeight));
  return 0;
}
