#include "platform/plat_joystick.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/plat_internal.h"
#include "platform/test/plat_joystick.h"

namespace {

struct JoystickOps {
  bool (*open)();
  bool (*read)(PlatJoystickState* state);
  void (*close)();
};

int32_t AxisClamp(int32_t value) { return std::clamp(value, -kPlatJoystickAxisMax, kPlatJoystickAxisMax); }

uint8_t ButtonByte(bool held) { return held ? kPlatJoystickButtonHeld : 0; }

// The real back end: SDL's joystick and game-controller subsystems, opened only while a device is.
struct SdlPad {
  SDL_GameController* controller = nullptr;
  SDL_Joystick* joystick = nullptr;  // a plain joystick when it is not a game controller
};
SdlPad gSdlPad;

bool SdlOpen() {
  if (gSdlPad.controller || gSdlPad.joystick) return true;
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
  if (SDL_NumJoysticks() > 0) {
    if (SDL_IsGameController(0))
      gSdlPad.controller = SDL_GameControllerOpen(0);
    else
      gSdlPad.joystick = SDL_JoystickOpen(0);
  }
  if (gSdlPad.controller || gSdlPad.joystick) return true;
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  return false;
}

bool SdlRead(PlatJoystickState* state) {
  if (SDL_GameController* pad = gSdlPad.controller) {
    SDL_GameControllerUpdate();
    if (!SDL_GameControllerGetAttached(pad)) return false;
    state->axes[0] = AxisClamp(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX));
    state->axes[1] = AxisClamp(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
    state->buttons[0] = ButtonByte(SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_A) != 0);
    state->buttons[1] = ButtonByte(SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_B) != 0);
    return true;
  }
  SDL_Joystick* stick = gSdlPad.joystick;
  if (!stick) return false;
  SDL_JoystickUpdate();
  if (!SDL_JoystickGetAttached(stick)) return false;
  const int axes = std::min(SDL_JoystickNumAxes(stick), kPlatJoystickAxes);
  for (int i = 0; i < axes; ++i) state->axes[i] = AxisClamp(SDL_JoystickGetAxis(stick, i));
  const int buttons = std::min(SDL_JoystickNumButtons(stick), kPlatJoystickButtons);
  for (int i = 0; i < buttons; ++i) state->buttons[i] = ButtonByte(SDL_JoystickGetButton(stick, i) != 0);
  return true;
}

void SdlClose() {
  if (!gSdlPad.controller && !gSdlPad.joystick) return;
  if (gSdlPad.controller) SDL_GameControllerClose(gSdlPad.controller);
  if (gSdlPad.joystick) SDL_JoystickClose(gSdlPad.joystick);
  gSdlPad = SdlPad{};
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

constexpr JoystickOps kSdlOps{SdlOpen, SdlRead, SdlClose};

// The test back end: one scripted pad.
struct TestPad {
  bool plugged = false;
  bool open = false;
  bool pulledWhileOpen = false;
  int32_t opens = 0;
  PlatJoystickState state{};
};
TestPad gTestPad;

bool TestOpen() {
  if (gTestPad.open) return true;
  if (!gTestPad.plugged) return false;
  gTestPad.open = true;
  gTestPad.pulledWhileOpen = false;
  ++gTestPad.opens;
  return true;
}

bool TestRead(PlatJoystickState* state) {
  if (!gTestPad.open || gTestPad.pulledWhileOpen) return false;
  *state = gTestPad.state;
  return true;
}

void TestClose() {
  gTestPad.open = false;
  gTestPad.pulledWhileOpen = false;
}

constexpr JoystickOps kTestOps{TestOpen, TestRead, TestClose};

const JoystickOps* gOps = &kSdlOps;

}  // namespace

void plat_JoystickSelectBackend(PlatBackend backend) {
  gOps = backend == kPlatBackendTest ? &kTestOps : &kSdlOps;
}

bool plat_JoystickOpen() { return gOps->open(); }

bool plat_JoystickRead(PlatJoystickState* state) {
  if (!state) return false;
  std::memset(state, 0, sizeof(*state));
  if (gOps->read(state)) return true;
  std::memset(state, 0, sizeof(*state));
  return false;
}

void plat_JoystickClose() { gOps->close(); }

void plat_TestJoystickReset() { gTestPad = TestPad{}; }

void plat_TestJoystickPlug(bool plugged) {
  gTestPad.plugged = plugged;
  if (!plugged && gTestPad.open) gTestPad.pulledWhileOpen = true;
}

void plat_TestJoystickSetAxis(int axis, int32_t value) {
  if (axis >= 0 && axis < kPlatJoystickAxes) gTestPad.state.axes[axis] = AxisClamp(value);
}

void plat_TestJoystickSetButton(int button, bool held) {
  if (button >= 0 && button < kPlatJoystickButtons) gTestPad.state.buttons[button] = ButtonByte(held);
}

bool plat_TestJoystickIsOpen() { return gTestPad.open; }
int32_t plat_TestJoystickOpenCount() { return gTestPad.opens; }
