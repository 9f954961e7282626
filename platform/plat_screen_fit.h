// Platform layer: where the 640x480 virtual screen lies in the program's window, whatever the
// window's size: scaled to fit, aspect kept, centred. The picture is drawn through this fit, and
// the pointer's positions are taken in and sent out through the same one, so a position on the
// screen is the same place for the eye and for the mouse.
#pragma once
#include <cstdint>

struct PlatScreenFit {
  double scale;  // window pixels per screen pixel
  int32_t left;  // the screen's edges in the window, from its left and its top (or bottom)
  int32_t top;
};

// The fit in a window of this size; a window without a size gets the screen unscaled.
PlatScreenFit plat_ScreenFitIn(int32_t windowWidth, int32_t windowHeight);
// A window position as a screen position, kept on the screen.
void plat_ScreenFitToScreen(const PlatScreenFit& fit, int32_t windowX, int32_t windowY, int32_t* x, int32_t* y);
// A screen position as the window position at the middle of that screen pixel.
void plat_ScreenFitToWindow(const PlatScreenFit& fit, int32_t x, int32_t y, int32_t* windowX, int32_t* windowY);
