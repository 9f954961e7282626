// The game's one window, created by the program's entry; the sound, CD audio, joystick and
// renderer set-ups hand it to the engine.
#pragma once
#include "platform/plat_window.h"

inline PlatWindow gMainWindow = nullptr;
