// Test hooks of windows and input (platform/plat_input.h): scripted input. Events go to the window created
// last that is still alive.
//
// Test-only: platform/test/plat_input.h holds what only tests use of platform/plat_input.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include "platform/plat_input.h"

void plat_TestInputReset();  // no windows, empty queue, no quit, nothing held, cursor count 0 at (0, 0)
void plat_TestSetKeyHeld(int vk, bool held);  // the asynchronous state only, no message
// A key going down or up: the held state changes and the key event passes the filter and becomes a
// key message (Alt is taken from the held state).
void plat_TestKeyEvent(int vk, bool down);
// Typed text: one character message per character 32-126 (others are dropped).
void plat_TestTypeText(const char* text);
void plat_TestMouseMove(int clientX, int clientY);
void plat_TestMouseButton(bool down);
void plat_TestCloseRequest();
// Called whenever the queue is asked for what the system has (every peek): a test acts from here
// as the user would between two pump points.
void plat_TestSetPumpHook(void (*hook)(void* user), void* user);
void plat_TestSetScreenSize(int width, int height);
// Queue inspection: the number of waiting messages and one of them (0 = next), without taking it.
size_t plat_TestQueueLength();
bool plat_TestQueueAt(size_t index, PlatMessage* msg);
// The windows the window table keeps a record of.
size_t plat_TestWindowRecords();
bool plat_TestSystemKeysLocked();
bool plat_TestCaptureReleased();  // true once plat_ReleaseCapture ran since the reset
