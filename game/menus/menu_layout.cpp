#include "game/menus/menu_layout.h"

#include <cstdio>
#include <iterator>

#include "engine/core/strings.h"
#include "game/state/menu_state.h"

namespace {

constexpr const char* kLevelNames[] = {
    "Amazon Straits", "Bahama Sunrise", "Bermuda Depths", "Colorado River Rapids", "Hong Kong Docks",
    "Lakeside Park",  "Nile River Run", "Penguin Bay",    "Venice",                "Lake Victoria",
};

constexpr const char* kPlaceNames[] = {
    "First", "Second", "Third", "Fourth", "Fifth", "Sixth", "Seventh", "Eight", "Ninth", "Tenth", "Eleventh",
};

template <class Table>
const char* NameOr(const Table& names, int32_t index) {
  return index >= 0 && static_cast<size_t>(index) < std::size(names) ? names[index] : names[0];
}

// The region's size times the scales, each edge truncated toward zero, placed at (x, y).
MenuRect ScaledRect(const MenuRegion& r, int32_t x, int32_t y, float sx, float sy) {
  return MenuRect{x, y, x + static_cast<int32_t>((r.right - r.left) * sx),
                  y + static_cast<int32_t>((r.bottom - r.top) * sy)};
}

}  // namespace

MenuRect* MenuTabRectGet(MenuRect* out, int32_t id) {
  int32_t tab = id - kMenuTabFirst;
  if (tab < 0 || tab >= kMenuTabCount) {
    *out = MenuRect{};
    return out;
  }
  const MenuRegion& r = kMenuTabRegions[tab].normal;
  int32_t top = kMenuTabTop + kMenuTabStep * tab;
  *out = MenuRect{kMenuTabLeft, top, kMenuTabLeft + static_cast<int32_t>(r.right - r.left),
                  top + static_cast<int32_t>(r.bottom - r.top)};
  return out;
}

MenuRegion* MenuItemUvGet(MenuRegion* out, int32_t id, bool highlighted) {
  int32_t item = id - kMenuItemFirst;
  if (item < 0 || item >= kMenuItemCount) {
    *out = MenuRegion{};
    return out;
  }
  *out = highlighted ? kMenuItemRegions[item].highlighted : kMenuItemRegions[item].normal;
  return out;
}

MenuRect* MenuItemRectGet(MenuRect* out, int32_t id, bool highlighted, int32_t x, int32_t y, float sx, float sy) {
  MenuRegion r;
  *out = ScaledRect(*MenuItemUvGet(&r, id, highlighted), x, y, sx, sy);
  return out;
}

bool MenuItemHitTest(int32_t px, int32_t py, int32_t id, bool highlighted, int32_t x, int32_t y, float sx, float sy) {
  MenuRect r;
  return MenuPointInRect(px, py, *MenuItemRectGet(&r, id, highlighted, x, y, sx, sy));
}

bool MenuPointInRect(int32_t px, int32_t py, const MenuRect& r) {
  return px >= r.left && px <= r.right && py >= r.top && py <= r.bottom;
}

bool MenuRectHitTest(int32_t px, int32_t py, int32_t x, int32_t y, float sx, float sy) {
  return MenuPointInRect(px, py, ScaledRect(kMenuKeyBoxRegion, x, y, sx, sy));
}

void LevelNameFormat(int32_t level) {
  if (!gMenuState) return;
  wre_StringCopyN(NameOr(kLevelNames, level), gMenuState->typedText, sizeof(gMenuState->typedText), 1);
}

void PlaceNameFormat(int32_t place, char* buffer, size_t size) {
  if (!buffer || size == 0) return;
  std::snprintf(buffer, size, "%s", NameOr(kPlaceNames, place));
}
