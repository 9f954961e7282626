// Test hooks of video playback (platform/plat_video.h): waiting moves the test clock instead of sleeping.
//
// Test-only: platform/test/plat_video.h holds what only tests use of platform/plat_video.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include "platform/plat_video.h"

void plat_TestVideoReset();
// Escape goes down (a key event of the window test back end) once the test clock's tick count
// reaches the given milliseconds.
void plat_TestVideoScriptKey(uint32_t atTickCount);
void plat_TestVideoFailCreate(bool fail);
