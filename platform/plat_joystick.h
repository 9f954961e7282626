// Platform layer: the joystick. The first joystick or game controller the system finds is opened
// and kept until it is closed; its state is read by polling. A game controller reads its left stick
// and its A and B buttons in the places of a joystick's first two axes and buttons, so that every
// pad lays out the same. Input keeps flowing while the program's window lacks the focus.
#pragma once
#include <cstdint>

constexpr int kPlatJoystickAxes = 3;  // X, Y, Z
constexpr int kPlatJoystickButtons = 32;
constexpr int32_t kPlatJoystickAxisMax = 32767;
constexpr uint8_t kPlatJoystickButtonHeld = 0x80;

struct PlatJoystickState {
  int32_t axes[kPlatJoystickAxes];  // -32767..32767; Y grows toward the player (pulled back)
  uint8_t buttons[kPlatJoystickButtons];  // kPlatJoystickButtonHeld while held
};

// Opens the first device found. True when one is open (also when it was open already).
bool plat_JoystickOpen();
// Polls the open device and reads its state. False, with the state zeroed, when nothing is open or
// the device has been pulled out since it was opened.
bool plat_JoystickRead(PlatJoystickState* state);
// Lets go of the device; nothing when none is open.
void plat_JoystickClose();
