// Platform layer: showing a finished image on the 640 x 480 screen.
//
// A small presenter for full-screen media such as videos: the image goes onto a screen buffer at
// the given place (clipped to the screen) and the screen is shown. The real back end copies the
// screen into the program's window when it has one; the capture back end keeps the last screen so
// tests can read its pixels. The real back end shows the screen through the display's presenter.
#pragma once
#include <cstdint>

#include "platform/plat_display.h"

enum PlatImageFormat : int32_t {
  kPlatImage555 = 0,    // 16-bit x1r5g5b5
  kPlatImage565 = 1,    // 16-bit r5g6b5
  kPlatImageBgr24 = 2,  // three bytes: blue, green, red
};

constexpr int32_t kPlatScreenWidth = 640;
constexpr int32_t kPlatScreenHeight = 480;

// The screen rectangle images are placed in.
void plat_PresentScreenRect(PlatEdgeRect* rect);
// Places the image (rows top first) with its top-left corner at (left, top) and shows the screen.
void plat_PresentImage(const void* pixels, int32_t width, int32_t height, int32_t rowBytes, PlatImageFormat format,
                       int32_t left, int32_t top);
// Clears the screen to black (not shown until the next image).
void plat_PresentClear();
