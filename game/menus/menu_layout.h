// Layout of the front-end menus: the fixed regions of the menu sprite sheets, the screen
// rectangles and mouse hit tests derived from them, and the level and finishing-place names.
#pragma once
#include <cstddef>
#include <cstdint>

// A texture region on the 0..255 scale of the sheet, top down, as the 2D rectangle draw takes it.
struct MenuRegion {
  float left;
  float top;
  float right;
  float bottom;
};

// A screen rectangle in pixels; both edges belong to it.
struct MenuRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

struct MenuRegionPair {
  MenuRegion normal;
  MenuRegion highlighted;
};

// Items of the options sheet.
enum MenuItem : int32_t {
  kItemDecrease = 100,
  kItemIncrease = 101,  // also marks the selected row
  kItemThird = 102,
};
constexpr int32_t kMenuItemFirst = kItemDecrease;
constexpr int32_t kMenuItemCount = 3;

constexpr MenuRegionPair kMenuItemRegions[kMenuItemCount] = {
    {{187, 215, 244, 254}, {124, 215, 181, 253}},
    {{191, 173, 248, 211}, {125, 173, 183, 211}},
    {{5, 72, 43, 132}, {5, 138, 43, 198}},
};

// Tabs of the main-menu sheet, one per tab screen 100..107, in a column at x 10 from y 90.
constexpr int32_t kMenuTabFirst = 100;
constexpr int32_t kMenuTabCount = 8;
constexpr int32_t kMenuTabLeft = 10;
constexpr int32_t kMenuTabTop = 90;
constexpr int32_t kMenuTabStep = 35;

// The order in which the tabs are hit-tested and their bounds gathered.
constexpr int32_t kMenuTabHitOrder[kMenuTabCount] = {100, 106, 107, 101, 102, 103, 104, 105};

constexpr MenuRegionPair kMenuTabRegions[kMenuTabCount] = {
    {{1, 131, 123, 155}, {1, 1, 129, 31}},      {{64, 156, 153, 180}, {66, 33, 161, 63}},
    {{1, 206, 85, 229}, {163, 33, 255, 64}},    {{131, 130, 245, 154}, {133, 1, 254, 32}},
    {{159, 156, 252, 180}, {1, 97, 102, 128}},  {{1, 181, 149, 204}, {1, 65, 156, 96}},
    {{156, 182, 248, 206}, {103, 98, 202, 129}}, {{89, 207, 141, 230}, {159, 65, 218, 96}},
};

// The key box and the gauge tile of the options sheet.
constexpr MenuRegion kMenuKeyBoxRegion = {51, 173, 121, 252};  // 70 by 79
constexpr MenuRegion kMenuGaugeTileRegion = {21, 209, 40, 250};  // 19 by 41

// Writes the screen rectangle of tab 100..107 at its normal region's size (also while it is drawn
// highlighted); (0, 0, 0, 0) for any other id. Returns out.
MenuRect* MenuTabRectGet(MenuRect* out, int32_t id);

// Writes the item's region, normal or highlighted; (0, 0, 0, 0) for an id other than 100..102.
// Returns out.
MenuRegion* MenuItemUvGet(MenuRegion* out, int32_t id, bool highlighted);

// Writes the item's screen rectangle at (x, y): its region's size times the scales, each edge
// truncated toward zero. Returns out.
MenuRect* MenuItemRectGet(MenuRect* out, int32_t id, bool highlighted, int32_t x, int32_t y, float sx, float sy);

// True when the point lies in the item's rectangle, edges included.
bool MenuItemHitTest(int32_t px, int32_t py, int32_t id, bool highlighted, int32_t x, int32_t y, float sx, float sy);

// True when the point lies in the rectangle, edges included.
bool MenuPointInRect(int32_t px, int32_t py, const MenuRect& rect);

// True when the point lies in the key box drawn at (x, y) with the scales, edges included.
bool MenuRectHitTest(int32_t px, int32_t py, int32_t x, int32_t y, float sx, float sy);

// Writes the level's name into the menu text buffer (the menu state's typed text); levels other
// than 0..9 give "Amazon Straits". Nothing without a menu state.
void LevelNameFormat(int32_t level);

// Writes the word of the 0-based place ("First" .. "Eleventh") into the buffer of the given size;
// any other place gives "First".
void PlaceNameFormat(int32_t place, char* buffer, size_t size);
