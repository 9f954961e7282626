// The input layer: key codes, the typed-key ring, held keys, mouse, cursor, the message pump, the
// system-key lock and the game window's record.
#pragma once
#include <cstdint>

#include "platform/plat_window.h"

// Key codes: 32 space, '0'-'9' and 'A'-'Z' those keys, other 33-126 typed characters ('a'-'z' test
// the same key as 'A'-'Z'), 129-187 the special keys, 0 no key.
using KeyCode = uint8_t;
// Codes of the special keys that editing and menu stepping use.
enum : KeyCode {
  kKeyBackSpace = 144,
  kKeyEscape = 145,
  kKeyReturn = 147,
  kKeyUp = 171,
  kKeyLeft = 172,
  kKeyRight = 173,
  kKeyDown = 174,
  kKeyDelete = 180,
};

extern const uint8_t gVKToKeyCode[256];
extern uint16_t gKeyCodeToVK[256];

// The typed-key ring, filled by the game's window procedure and emptied here. Empty when the two
// indices are equal; it holds at most 255 unread keys.
extern KeyCode gKeyRing[256];
extern int32_t gKeyRingWrite;
extern int32_t gKeyRingRead;

// Mouse state kept by the game's window procedure: screen position and the left button.
extern int32_t gMouseX;
extern int32_t gMouseY;
extern uint8_t gMouseLeftButton;

void wre_InputInit();
void wre_KeyTableBuild();
int32_t wre_KeyCodeToVK(int32_t code);
KeyCode wre_KeyFromVirtualKey(int32_t vk);
int32_t wre_KeyToVirtualKey(int32_t code);
// The name of a virtual key's code; a one-character name lives in a buffer valid until the next call.
const char* wre_KeyName(int32_t vk);
bool wre_KeyIsDown(int32_t code);
// The code of the first held key with a code (virtual keys without one, such as the generic
// Shift and the mouse button, are passed over); 0 when none is held.
KeyCode wre_KeyFirstDown();
void wre_InputPoll();

// The window procedure's side of the ring. A key-down adds the key's code (0 included) except for
// Space and virtual keys 48-90, which come as characters; a character message adds characters
// 32-126. So each press enters the ring once. When 255 keys are unread the new key is dropped.
void wre_KeyRingKeyDown(int32_t vk);
void wre_KeyRingChar(int32_t character);
void wre_KeyRingPut(KeyCode code);

bool wre_KeyBufferPending();
// The next key, or 0 when the ring is empty and wait is 0. With wait, messages are pumped until a
// key arrives; 0 once the program has been asked to quit.
KeyCode wre_KeyBufferGet(uint8_t wait);
void wre_KeyBufferClear();
// Pumps ten messages and then on while any still wait; clears the mouse button and the key ring.
void wre_InputFlush();

uint8_t wre_MouseButtonState();
bool wre_MouseButtonDown();
void wre_MouseGetPos(int32_t* position);  // position[0] = x, position[1] = y
void wre_MouseSetPos(int32_t x, int32_t y);
void wre_CursorSetPos(int32_t x, int32_t y);
void wre_CursorHide();
void wre_CursorShow();

void wre_IdleHook();
intptr_t wre_MessagePump();

int32_t wre_SystemKeysLock();
int32_t wre_SystemKeysUnlock();
void wre_SystemKeysRelease();
// The lock's filter: true for Ctrl+Escape, Alt+Tab, Alt+Escape and the left and right Win keys.
bool wre_SystemKeyFilter(int vk, bool down, bool altHeld);

struct WindowRecord {
  int16_t x;
  int16_t y;
  int16_t width;
  int16_t height;
  int32_t userB;
  int32_t userA;
  PlatWindow window;
};

WindowRecord* wre_WindowCreate(int32_t x, int32_t y, int32_t width, int32_t height, int32_t userA, int32_t userB,
                               const char* className, const char* title, uint32_t style, PlatWindow parent,
                               void* menu, void* instance, void* param);
void wre_WindowDestroy(WindowRecord* record);
