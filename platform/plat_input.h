// Platform layer: keyboard state and the system-key lock.
//
// Keys are numbered by virtual key (0-255): letters 'A'-'Z' and digits '0'-'9' are their own
// numbers, Shift, Ctrl and Alt are 16, 17, 18 (either side) and 160-165 (left and right), the left
// mouse button is 1.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/plat_window.h"

enum : int {
  kPlatVkLButton = 1,
  kPlatVkRButton = 2,
  kPlatVkMButton = 4,
  kPlatVkBack = 8,
  kPlatVkTab = 9,
  kPlatVkClear = 12,
  kPlatVkReturn = 13,
  kPlatVkShift = 16,
  kPlatVkControl = 17,
  kPlatVkMenu = 18,  // Alt
  kPlatVkPause = 19,
  kPlatVkCapital = 20,
  kPlatVkEscape = 27,
  kPlatVkSpace = 32,
  kPlatVkLeft = 37,
  kPlatVkUp = 38,
  kPlatVkRight = 39,
  kPlatVkDown = 40,
  kPlatVkSnapshot = 44,
  kPlatVkDelete = 46,
  kPlatVkLWin = 91,
  kPlatVkRWin = 92,
  kPlatVkF4 = 115,
  kPlatVkF10 = 121,
  kPlatVkLShift = 160,
  kPlatVkRShift = 161,
  kPlatVkLControl = 162,
  kPlatVkRControl = 163,
  kPlatVkLMenu = 164,
  kPlatVkRMenu = 165,
};

// True while the key is held now. The state is read fresh from the system (waiting system events
// are taken into the key state, not into the message queue). Generic 16, 17, 18 are held when
// either side is.
bool plat_AsyncKeyDown(int vk);

// The system-key lock. The filter sees every key event before it becomes a message (specific
// left/right virtual keys, whether Alt is held) and returns true to drop it; that is all the lock
// blocks. The keyboard is not grabbed (a grab would take every key), so the desktop's own
// shortcuts, its close key among them, act as they always do. While locked the screen saver stays
// off. Nothing outside the program's own windows is changed.
using PlatKeyFilter = bool (*)(int vk, bool down, bool altHeld);
bool plat_SystemKeysLock(PlatKeyFilter filter);
void plat_SystemKeysUnlock();
