#include "game/world/joystick.h"

#include <algorithm>
#include <cmath>

#include "engine/core/timer.h"
#include "game/state/settings.h"
#include "game/world/player_control.h"
#include "platform/plat_joystick.h"

namespace {

constexpr int kAxisX = 0;
constexpr int kAxisY = 1;

bool Held(const PlatJoystickState& state, int button) {
  return (state.buttons[button] & kPlatJoystickButtonHeld) != 0;
}

// Zero inside the dead zone, else scaled and held to [low, 1].
float Shaped(float value, float deadZone, float low) {
  if (std::fabs(value) < deadZone) return 0.0f;
  return std::clamp(value * gSettings.joystickScale, low, 1.0f);
}

}  // namespace

int32_t JoystickOpen(ViewComponents* view) {
  gJoystickEnabled = 0;
  gJoystickAcquired = 0;
  gViewKeyTick = gEngineTick;
  return JoystickDeviceOpen(view);
}

int32_t JoystickDeviceOpen(ViewComponents* view) {
  MouseCursorCentre(view);
  if (!plat_JoystickOpen()) return 0;
  gJoystickEnabled = 1;
  JoystickAcquireStateSet(1);
  return 0;
}

int32_t JoystickClose(ViewComponents* view) {
  const int32_t result = JoystickDeviceRelease(view);
  if (result == 0) {
    gJoystickEnabled = 0;
    gJoystickAcquired = 0;
  }
  return result;
}

int32_t JoystickDeviceRelease(ViewComponents* /*view*/) {
  JoystickAcquireStateSet(0);
  if (gJoystickEnabled) {
    plat_JoystickClose();
    gJoystickEnabled = 0;
  }
  return 0;
}

int32_t JoystickAcquireStateSet(int32_t state) {
  if (gJoystickEnabled && state != gJoystickAcquired) gJoystickAcquired = static_cast<uint8_t>(state);
  return 0;
}

int32_t JoystickCalibrate() { return 0; }

int32_t JoystickControlRead(float* steer, float* throttle, bool* /*viewRequest*/, ViewComponents* /*view*/) {
  *steer = 0.0f;
  *throttle = 0.0f;
  if (!gJoystickEnabled) return 0;
  PlatJoystickState state{};
  if (!plat_JoystickRead(&state)) return 0;
  const float deadZone = std::fabs(gSettings.joystickDeadZone * kJoystickDeadZoneUnit);
  const float sideways = static_cast<float>(state.axes[kAxisX]) * kJoystickAxisScale;
  const float forward = (Held(state, 0) || Held(state, 1)) ? 1.0f
                                                           : -static_cast<float>(state.axes[kAxisY]) * kJoystickAxisScale;
  *steer = Shaped(sideways, deadZone, -1.0f);
  *throttle = Shaped(forward, deadZone, 0.0f);
  return 0;
}
