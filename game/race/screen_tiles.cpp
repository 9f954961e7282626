#include "game/race/screen_tiles.h"

#include "engine/core/fatal.h"
#include "engine/core/frame_tick.h"
#include "engine/core/input.h"
#include "engine/core/timer.h"
#include "engine/core/wre_types.h"
#include "engine/data/codex.h"
#include "engine/data/colour.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/data/texture_file.h"
#include "engine/render/camera.h"
#include "engine/render/font_draw.h"
#include "engine/render/frame.h"
#include "game/race/race_hud.h"
#include "game/state/view_components.h"
#include "platform/plat_window.h"

namespace {

constexpr float kTileRects[kScreenTileCount][4] = {
    {0, 0, 256, 256}, {256, 0, 512, 256}, {512, 0, 640, 256},
    {0, 256, 256, 512}, {256, 256, 512, 512}, {512, 256, 640, 512},
};
constexpr float kWholeBitmap[4] = {0, 0, 255, 255};
constexpr uint32_t kAnswerHoldTicks = 60;

ColourFloat UnitColour(float r, float g, float b, float a) {
  float c[4];
  wre_ColourSetUnit(c, r, g, b, a);
  return ColourFloat{c[0], c[1], c[2], c[3]};
}

}  // namespace

int32_t ScreenTilesLoad(ScreenTiles* tiles, const char* const files[kScreenTileCount], ViewComponents* view) {
  for (int32_t& texture : tiles->texture) texture = -1;
  return ScreenTilesLoadRange(tiles, files, 0, kScreenTileCount, view);
}

int32_t ScreenTilesLoadRange(ScreenTiles* tiles, const char* const files[kScreenTileCount], int from, int to,
                             ViewComponents* view) {
  for (int t = from; t < to; ++t) {
    int32_t handle = -1;
    const int32_t result = wre_TextureLoad(files[t], view->camera->context, &handle);
    if (result != 0) {
      ScreenTilesRelease(tiles);
      return result;
    }
    tiles->texture[t] = handle;
  }
  return 0;
}

void ScreenTilesRelease(ScreenTiles* tiles) {
  for (int32_t& texture : tiles->texture) {
    if (texture >= 0) wre_TextureRelease(texture);
    texture = -1;
  }
}

int32_t ScreenTilesSubmit(const int32_t texture[kScreenTileCount], int32_t material, float depth, Camera* camera) {
  for (int t = 0; t < kScreenTileCount; ++t) {
    if (texture[t] < 0) continue;
    const int32_t result = wre_CameraDrawRect2D(texture[t], material, kWholeBitmap, kTileRects[t], depth, camera, 0);
    if (result != 0) return result;
  }
  return 0;
}

int32_t ScreenTilesShow(const ScreenTiles& tiles, int32_t material, ViewComponents* view) {
  Camera* camera = view->camera;
  const ColourFloat black = UnitColour(0, 0, 0, 1);
  const float clear[4] = {black.red, black.green, black.blue, black.alpha};
  wre_CameraClear(camera, clear);
  RenderStepCheck(wre_FrameBegin(camera, 1), "Error during render start");
  RenderStepCheck(wre_CameraRender(camera), "Error rendering camera");
  ScreenTilesSubmit(tiles.texture, material, kScreenTileDepth, camera);
  RenderStepCheck(wre_FrameFlush(camera), "Error during render mid");
  const int32_t end = wre_FrameEnd(camera);
  RenderStepCheck(end, "Error during render end");
  gFrameTick = gEngineTick;
  return end == kWreQueueFull ? 0 : end;
}

int32_t ScreenWhiteMaterialDefine(bool blackSecond) {
  const int32_t handle = wre_MaterialFindFree();
  if (handle < 0) return -1;
  const ColourFloat white = UnitColour(1, 1, 1, 1);
  const ColourFloat second = blackSecond ? UnitColour(0, 0, 0, 1) : white;
  return wre_MaterialDefine(handle, &white, &second, kScreenWhiteMaterialName) == 0 ? handle : -1;
}

void ScreenAnswerWait() {
  const uint32_t start = wre_TimerTick();
  wre_InputFlush();
  for (;;) {
    wre_TimerTick();
    wre_MessagePump();
    if (plat_QuitRequested() || plat_QuitPosted()) break;
    if (gEngineTick <= start + kAnswerHoldTicks) continue;
    if (wre_KeyBufferGet(0) != 0 || wre_MouseButtonState()) break;
  }
  wre_InputFlush();
}
