// One frame of the front end: the frame drawn, the page's input looked at every few ticks, and
// the left button as the window procedure hands it on.
#pragma once
#include <cstdint>

// One menu frame; every failure is fatal, so 0.
int32_t MenuFrameRender();
// Hands a typed key, a held key or a pressed button to the front-end page (while the menus are
// loaded).
void MenuIdleInputCheck();
// The left button as the window procedure gets it. While the menus are loaded, a click released
// before MenuIdleInputCheck has looked at it stays pressed until that look.
void MenuMouseButton(bool down);
