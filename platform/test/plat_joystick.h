// Test hooks of the joystick (platform/plat_joystick.h): a scripted pad that can be plugged in,
// pulled out and moved.
//
// Test-only: platform/test/plat_joystick.h holds what only tests use of platform/plat_joystick.h
// (the test back end's controls and records). The module's own sources and the tests include it;
// engine, game and launcher code never do.
#pragma once
#include "platform/plat_joystick.h"

void plat_TestJoystickReset();  // no pad plugged in, nothing open, centred and released, count 0
// Plugs the scripted pad in or pulls it out; an open pad that is pulled out reads as failed until
// it is closed and opened again.
void plat_TestJoystickPlug(bool plugged);
void plat_TestJoystickSetAxis(int axis, int32_t value);  // clamped to the device range
void plat_TestJoystickSetButton(int button, bool held);
bool plat_TestJoystickIsOpen();
int32_t plat_TestJoystickOpenCount();  // opens that found the pad since the reset
