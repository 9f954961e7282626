// The player's control of the race craft: keyboard, mouse and joystick read every 2 ticks into the
// player craft's throttle and steer, with the pause, quit-prompt and view keys.
#pragma once
#include <cstdint>

struct ViewComponents;

// The mouse cursor to the middle of the view. 0; -1000 on a null view.
int32_t MouseCursorCentre(ViewComponents* view);
// The process callback; its argument is the race's ViewComponents.
void PlayerControlProcess(void* view);
