// Test hooks of the media presenter (platform/plat_present.h): the capture back end keeps the last screen.
//
// Test-only: platform/test/plat_present.h holds what only tests use of platform/plat_present.h (the
// test back end's controls and records). The module's own sources and the tests include it; engine,
// game and launcher code never do.
#pragma once
#include "platform/plat_present.h"

void plat_TestPresentReset();                    // black screen, no images shown
int32_t plat_TestPresentImageCount();                 // images shown since the reset
PlatEdgeRect plat_TestPresentLastRect();             // where the last image went (before clipping)
uint32_t plat_TestPresentPixel(int32_t x, int32_t y);  // 0x00RRGGBB of the screen, 0 outside
