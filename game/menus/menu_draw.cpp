#include "game/menus/menu_draw.h"

#include "engine/core/wre_types.h"
#include "engine/data/texture.h"
#include "engine/render/font_draw.h"
#include "game/menus/menu_layout.h"
#include "game/menus/menu_select.h"
#include "game/state/menu_state.h"
#include "game/state/view_components.h"

namespace {

// The picture quarters in the menu state's page textures.
enum PictureQuarter : int32_t { kQuarterTopLeft = 0, kQuarterTopRight, kQuarterBottomLeft, kQuarterBottomRight };

constexpr MenuRegion kWholePicture = {0, 0, 255, 255};
constexpr MenuRegion kFrameBottomEdge = {0, 0, 255, 65};  // of the bottom quarters
constexpr MenuRegion kLowerBand = {0, 73, 255, 255};      // of the bottom quarters
constexpr float kTabDepth = 100.1f;

// The texture's record, or null when the index names no loaded texture.
const Texture* Loaded(int32_t texture) {
  if (texture < 0) return nullptr;
  const Texture* record = wre_TextureGet(texture);
  return record && (record->flags & kTextureInUse) ? record : nullptr;
}

int32_t DrawRegion(int32_t texture, int32_t material, const MenuRegion& region, const MenuRect& rect, float depth,
                   ViewComponents* view) {
  if (!Loaded(texture)) return 0;
  if (!view) return kWreErrNull;
  const float source[4] = {region.left, region.top, region.right, region.bottom};
  const float target[4] = {static_cast<float>(rect.left), static_cast<float>(rect.top),
                           static_cast<float>(rect.right), static_cast<float>(rect.bottom)};
  return wre_CameraDrawRect2D(texture, material, source, target, depth, view->camera, 0);
}

int32_t PageTexture(int32_t quarter) { return gMenuState ? gMenuState->pageTextures[quarter] : -1; }

int32_t OptionsTexture() { return gMenuState ? gMenuState->optionsTexture : -1; }

int32_t RegionDraw(int32_t x, int32_t y, float depth, float sx, float sy, int32_t material, int32_t texture,
                   const MenuRegion& r, ViewComponents* view) {
  return MenuTextureRegionDraw(x, y, depth, sx, sy, material, texture, r.left, r.top, r.right, r.bottom, view);
}

}  // namespace

int32_t MenuItemSpriteDraw(int32_t x, int32_t y, float depth, float sx, float sy, int32_t material, int32_t id,
                           bool highlighted, ViewComponents* view) {
  MenuRegion region;
  MenuRect rect;
  MenuItemUvGet(&region, id, highlighted);
  MenuItemRectGet(&rect, id, highlighted, x, y, sx, sy);
  return DrawRegion(OptionsTexture(), material, region, rect, depth, view);
}

int32_t MenuTextureRegionDraw(int32_t x, int32_t y, float depth, float sx, float sy, int32_t material,
                              int32_t texture, float left, float top, float right, float bottom,
                              ViewComponents* view) {
  const Texture* record = Loaded(texture);
  if (!record) return 0;
  const float unitsX = static_cast<float>(record->width) / 256.0f;
  const float unitsY = static_cast<float>(record->height) / 256.0f;
  const MenuRect rect{x, y, x + static_cast<int32_t>((right - left) * unitsX * sx),
                      y + static_cast<int32_t>((bottom - top) * unitsY * sy)};
  return DrawRegion(texture, material, MenuRegion{left, top, right, bottom}, rect, depth, view);
}

int32_t MenuFixedSpriteDraw(int32_t x, int32_t y, float depth, int32_t material, float sx, float sy,
                            ViewComponents* view) {
  return RegionDraw(x, y, depth, sx, sy, material, OptionsTexture(), kMenuKeyBoxRegion, view);
}

int32_t MenuQuadPictureDraw(int32_t x, int32_t y, float depth, int32_t material, float sx, float sy,
                            ViewComponents* view) {
  const int32_t topLeft = PageTexture(kQuarterTopLeft), bottomLeft = PageTexture(kQuarterBottomLeft);
  const Texture* tl = Loaded(topLeft);
  const Texture* bl = Loaded(bottomLeft);
  // The other quarters are placed by the size of the left ones: without those they are left out.
  if (!tl) return 0;
  const int32_t right = x + static_cast<int32_t>(static_cast<float>(tl->width - 1) * sx);
  const int32_t lower = y + static_cast<int32_t>(static_cast<float>(tl->height - 1) * sy);
  RegionDraw(x, y, depth, sx, sy, material, topLeft, kWholePicture, view);
  RegionDraw(right, y, depth, sx, sy, material, PageTexture(kQuarterTopRight), kWholePicture, view);
  if (!bl) return 0;
  RegionDraw(x, lower, depth, sx, sy, material, bottomLeft, kFrameBottomEdge, view);
  const int32_t lowerRight = x + static_cast<int32_t>(static_cast<float>(bl->width - 1) * sx);
  RegionDraw(lowerRight, lower, depth, sx, sy, material, PageTexture(kQuarterBottomRight), kFrameBottomEdge, view);
  return 0;
}

int32_t MenuPairPictureDraw(int32_t x, int32_t y, float depth, int32_t material, float sx, float sy,
                            ViewComponents* view) {
  const int32_t bottomLeft = PageTexture(kQuarterBottomLeft);
  const Texture* bl = Loaded(bottomLeft);
  if (!bl) return 0;
  RegionDraw(x, y, depth, sx, sy, material, bottomLeft, kLowerBand, view);
  const int32_t right = x + static_cast<int32_t>(static_cast<float>(bl->width - 1) * sx);
  RegionDraw(right, y, depth, sx, sy, material, PageTexture(kQuarterBottomRight), kLowerBand, view);
  return 0;
}

int32_t MenuGaugeDraw(int32_t min, int32_t max, int32_t count, int32_t value, int32_t x, int32_t y, float depth,
                      float sx, float sy, int32_t material, ViewComponents* view) {
  const int32_t tileValue = count > 0 ? (max - min) / count : 0;
  if (tileValue <= 0) return 0;  // a tile worth nothing would divide by zero
  const int32_t tiles = static_cast<int32_t>(static_cast<float>(value) / static_cast<float>(tileValue));
  const MenuRegion& tile = kMenuGaugeTileRegion;
  const int32_t width = static_cast<int32_t>((tile.right - tile.left) * sx);
  const int32_t height = static_cast<int32_t>((tile.bottom - tile.top) * sy);
  int32_t result = 0;
  for (int32_t i = 0; i < tiles; ++i) {
    const int32_t left = x + i * width;
    result = DrawRegion(OptionsTexture(), material, tile, MenuRect{left, y, left + width, y + height}, depth, view);
  }
  return result;
}

int32_t MenuTabColumnDraw(ViewComponents* view) {
  if (!MenuScreenIsTab() || !gMenuState) return 0;
  for (int32_t tab = 0; tab < kMenuTabCount; ++tab) {
    const bool current = gMenuScreen == kMenuTabFirst + tab;
    const MenuRegion& r = current ? kMenuTabRegions[tab].highlighted : kMenuTabRegions[tab].normal;
    const int32_t left = static_cast<int32_t>(r.left), top = static_cast<int32_t>(r.top);
    const int32_t right = static_cast<int32_t>(r.right), bottom = static_cast<int32_t>(r.bottom);
    const int32_t y = kMenuTabTop + kMenuTabStep * tab;
    const MenuRect rect{kMenuTabLeft, y, kMenuTabLeft + right - left, y + bottom - top};
    const MenuRegion whole{static_cast<float>(left), static_cast<float>(top), static_cast<float>(right),
                           static_cast<float>(bottom)};
    const int32_t result =
        DrawRegion(gMenuState->mainMenuTexture, gMenuState->whiteMaterial, whole, rect, kTabDepth, view);
    if (result != 0) return result;
  }
  return 0;
}
