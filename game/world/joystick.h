// The joystick as a third way to steer: opened once at game start-up (the first pad the system
// finds), read every control call during a race, and let go at shut-down. Without a pad, or once
// the pad has been pulled out, it proposes nothing.
#pragma once
#include <cstdint>

struct ViewComponents;

// A pad was opened at start-up.
inline uint8_t gJoystickEnabled = 0;
// The last recorded acquire state: 1 after opening, 0 once released.
inline uint8_t gJoystickAcquired = 0;

// Stick values are scaled by this; the dead zone setting counts in units of this share of a full
// deflection.
constexpr float kJoystickAxisScale = 1.0f / 32767.0f;
constexpr float kJoystickDeadZoneUnit = 0.02f;

// Forgets any earlier pad, stamps the view key's tick and opens the pad. 0 always.
int32_t JoystickOpen(ViewComponents* view);
// Centres the cursor on the view and opens the first pad; a failure leaves the joystick disabled.
// 0 always.
int32_t JoystickDeviceOpen(ViewComponents* view);
// Lets go of the pad and clears both states. 0.
int32_t JoystickClose(ViewComponents* view);
// Records the acquire state 0 and lets go of an opened pad. 0.
int32_t JoystickDeviceRelease(ViewComponents* view);
// Records a changed acquire state while the joystick is enabled. 0.
int32_t JoystickAcquireStateSet(int32_t state);
// The controls page's calibration request: the system calibrates pads itself. 0.
int32_t JoystickCalibrate();

// The stick's proposals: steer from its sideways axis, throttle from buttons 0 and 1 (full) or from
// pushing it forward, each outside the dead zone and scaled by the joystick settings. Both 0
// without an enabled pad or when it cannot be read. The view request is left alone. 0.
int32_t JoystickControlRead(float* steer, float* throttle, bool* viewRequest, ViewComponents* view);
