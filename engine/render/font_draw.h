// Drawing of fonts and 2D rectangles: each rectangle is two screen-space triangles submitted to the
// camera's polygon queues at a depth between its near and far planes.
#pragma once
#include <cstdint>

#include "engine/data/font.h"

struct Camera;

// Draws the string at the font's pen, moving the pen; 0, kFontErrNotStarted, or the first
// rectangle's failure.
int32_t wre_FontDrawString(Font* font, const char* text, Camera* camera, int32_t pass);
// One rectangle in screen space (left, top, right, bottom) with a texture (or -1 for a flat one).
// 0; kWreErrNull; kFontErrDepth when the depth lies outside the camera's clip planes; or the
// submission's failure.
int32_t wre_CameraDrawRect2D(int32_t texture, int32_t material, const float source[4], const float target[4],
                             float depth, Camera* camera, int32_t pass);
