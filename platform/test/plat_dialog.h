// Test hooks of the dialog toolkit (platform/plat_dialog.h): events pushed into the test queue, and a hook
// that acts inside modal loops.
//
// Test-only: platform/test/plat_dialog.h holds what only tests use of platform/plat_dialog.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include "platform/plat_dialog.h"

// Events go to `target`, or with null to the topmost dialog when they are handled.
// Coordinates are client pixels.
void plat_TestPushMouseDown(PlatDialog* target, int x, int y);
void plat_TestPushMouseMove(PlatDialog* target, int x, int y);
void plat_TestPushMouseUp(PlatDialog* target, int x, int y);
void plat_TestPushClick(PlatDialog* target, int x, int y);  // down and up
void plat_TestPushWheel(PlatDialog* target, int x, int y, int notches);  // positive: away (up)
void plat_TestPushKey(PlatDialog* target, PlatKey key);
void plat_TestPushClose(PlatDialog* target);
// Input on a program window as the real back end passes it on while dialogs run: a click (press and
// release at a client position), Enter, or the window manager's focus.
enum PlatTestWindowInput : int { kPlatTestWindowClick, kPlatTestWindowEnter, kPlatTestWindowFocus };
void plat_TestPushWindowInput(PlatWindow window, PlatTestWindowInput input, int x = 0, int y = 0);
// How often a dialog was raised and given the keyboard since every dialog last went, and which was
// the last.
int plat_TestDialogActivations();
PlatDialog* plat_TestLastActivatedDialog();
// The dialog that input without a target goes to (the innermost modal one), or null.
PlatDialog* plat_TestTopDialog();
int plat_TestQueuedEvents();
// Called when a wait with a timeout finds the test queue empty (tests act inside modal loops
// from here); it is not called again from inside itself.
using PlatIdleHook = void (*)(void* user);
void plat_TestSetIdleHook(PlatIdleHook hook, void* user);
