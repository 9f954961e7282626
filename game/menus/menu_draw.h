// Drawing of the front-end menus' sprites: buttons of the options sheet, any sheet region, the key
// box, the framed picture and its lower band, the setting gauges, and the tab column of the main-
// menu sheet. Positions are pixels of the 640 x 480 view; every draw takes a depth between the
// camera's near and far planes and a material. A sheet or picture that is not loaded (texture -1)
// is left out: its draw gives 0 and draws nothing.
#pragma once
#include <cstdint>

struct ViewComponents;

// Draws item 100..102 of the options sheet at (x, y), its rectangle as MenuItemRectGet gives it.
// The draw's result.
int32_t MenuItemSpriteDraw(int32_t x, int32_t y, float depth, float sx, float sy, int32_t material, int32_t id,
                           bool highlighted, ViewComponents* view);

// Draws a region (0..255 units) of a texture at (x, y): its size is the region's times the
// texture's width and height / 256 times the scales, each edge truncated. The draw's result.
int32_t MenuTextureRegionDraw(int32_t x, int32_t y, float depth, float sx, float sy, int32_t material,
                              int32_t texture, float left, float top, float right, float bottom,
                              ViewComponents* view);

// Draws the key box of the options sheet at (x, y). The draw's result.
int32_t MenuFixedSpriteDraw(int32_t x, int32_t y, float depth, int32_t material, float sx, float sy,
                            ViewComponents* view);

// Draws the framed picture from its four quarters, the lower two cut to the frame's bottom edge,
// with (x, y) its top left corner. Always 0.
int32_t MenuQuadPictureDraw(int32_t x, int32_t y, float depth, int32_t material, float sx, float sy,
                            ViewComponents* view);

// Draws the lower band of the two bottom quarters side by side (the message box). Always 0.
int32_t MenuPairPictureDraw(int32_t x, int32_t y, float depth, int32_t material, float sx, float sy,
                            ViewComponents* view);

// Draws a row of gauge tiles, one for each (max - min) div count of the value, from (x, y)
// rightwards. The last tile's result, 0 when no tile is drawn (also for a count that leaves a
// tile worth nothing).
int32_t MenuGaugeDraw(int32_t min, int32_t max, int32_t count, int32_t value, int32_t x, int32_t y, float depth,
                      float sx, float sy, int32_t material, ViewComponents* view);

// Draws the column of the eight tabs on a tab screen, the current one in its highlighted form and
// size. 0, also off the tab screens where nothing is drawn; or the first failing draw's result,
// which leaves the remaining tabs out.
int32_t MenuTabColumnDraw(ViewComponents* view);
