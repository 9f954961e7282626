// Sprite and picture drawing of the front-end menus over the camera's scene.
#pragma once
#include <cstdint>

struct ViewComponents;

// The framed picture of the menu pages from its four quarter textures, its top-left at (x, y),
// scaled by (sx, sy) at the depth with the material. 0.
int32_t MenuQuadPictureDraw(int32_t x, int32_t y, float depth, int32_t material, float sx, float sy,
                            ViewComponents* view);
