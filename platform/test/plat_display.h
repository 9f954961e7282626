// Test hooks of the display (platform/plat_display.h): drivers, lost surfaces, busy blits and the frames the
// presenter was handed.
//
// Test-only: platform/test/plat_display.h holds what only tests use of platform/plat_display.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include "platform/plat_display.h"

void plat_TestDisplayReset();  // one primary driver with a full hardware device, 565, loaded library
void plat_TestDisplaySetLibraryLoaded(bool loaded);
void plat_TestDisplaySetDrivers(const PlatDisplayDriver* drivers, int32_t count);
PlatDisplayDriver plat_TestDisplayDefaultDriver();
void plat_TestSurfaceSetLost(PlatSurface* surface, bool lost);
void plat_TestDisplaySetBusyBlits(int32_t count);  // the next count fast blits report busy
void plat_TestDisplayFailNextSurface(int32_t count);  // the next count surface creations fail
bool plat_TestDisplayFullScreen();  // true while an exclusive mode is set
int32_t plat_TestPresentCount();
bool plat_TestLastPresented(PlatFrame* frame);
// Called after each presented frame (null removes it); the display reset keeps it.
void plat_TestSetPresentHook(void (*hook)(void* user), void* user);
