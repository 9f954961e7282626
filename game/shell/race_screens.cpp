#include "game/shell/race_screens.h"

#include <algorithm>

#include "engine/core/files.h"
#include "engine/core/input.h"
#include "engine/core/timer.h"
#include "engine/core/wre_types.h"
#include "engine/data/sound.h"
#include "engine/data/texture.h"
#include "engine/data/texture_file.h"
#include "engine/render/camera.h"
#include "engine/render/font_draw.h"
#include "engine/render/frame.h"
#include "game/shell/game_materials.h"
#include "game/shell/game_sounds.h"
#include "game/shell/race_hud.h"
#include "game/shell/view_components.h"
#include "platform/plat_window.h"

namespace {

constexpr float kTileRects[kScreenTiles][4] = {
    {0, 0, 256, 256},   {256, 0, 512, 256},   {512, 0, 640, 256},
    {0, 256, 256, 512}, {256, 256, 512, 512}, {512, 256, 640, 512},
};
constexpr float kWholeBitmap[4] = {0, 0, 255, 255};
constexpr uint32_t kMinimumWait = 60;

constexpr ScreenTileFiles kLoadingTiles = {"load_tl.bmp", "load_tm.bmp", "load_tr.bmp",
                                           "load_bl.bmp", "load_bm.bmp", "load_br.bmp"};
constexpr ScreenTileFiles kLoseTiles = {"lose_tl.bmp", "lose_tm.bmp", "lose_tr.bmp",
                                        "lose_bl.bmp", "lose_bm.bmp", "lose_br.bmp"};
constexpr const char* kWinTopLeft[3] = {"win_1st_tl.bmp", "win_2nd_tl.bmp", "win_3rd_tl.bmp"};

void VoiceFree(int32_t* voice) {
  if (*voice < 0) return;
  wre_SoundStop(*voice);
  wre_SoundFree(*voice);
  *voice = -1;
}

// Tiles [from, to) into their entries; the first loader error, with that entry left -1.
int32_t LoadTiles(ViewComponents* view, ScreenTileFiles files, int32_t textures[kScreenTiles], int from, int to) {
  for (int i = from; i < to; ++i) {
    if (const int32_t r = wre_TextureLoad(files[i], view->camera->context, &textures[i]); r != 0) {
      textures[i] = -1;
      return r;
    }
  }
  return 0;
}

}  // namespace

int32_t ScreenTilesLoad(ViewComponents* view, ScreenTileFiles files, int32_t textures[kScreenTiles]) {
  std::fill(textures, textures + kScreenTiles, -1);
  const int32_t r = LoadTiles(view, files, textures, 0, kScreenTiles);
  if (r != 0) ScreenTilesRelease(textures);
  return r;
}

void ScreenTilesRelease(int32_t textures[kScreenTiles]) {
  for (int i = 0; i < kScreenTiles; ++i) {
    if (textures[i] != -1) wre_TextureRelease(textures[i]);
    textures[i] = -1;
  }
}

int32_t ScreenTilesShow(ViewComponents* view, const int32_t textures[kScreenTiles], int32_t material) {
  Camera* camera = view->camera;
  const ColourFloat scaled = MaterialColourScaled(ColourFloat{0.0f, 0.0f, 0.0f, 1.0f});
  const float black[4] = {scaled.red, scaled.green, scaled.blue, scaled.alpha};
  wre_CameraClear(camera, black);
  RenderStepCheck(wre_FrameBegin(camera, 1), "Error during render start");
  RenderStepCheck(wre_CameraRender(camera), "Error rendering camera");
  for (int i = 0; i < kScreenTiles; ++i)
    wre_CameraDrawRect2D(textures[i], material, kWholeBitmap, kTileRects[i], kHudDepth, camera, 0);
  RenderStepCheck(wre_FrameFlush(camera), "Error during render mid");
  const int32_t end = wre_FrameEnd(camera);
  RenderStepCheck(end, "Error during render end");
  return end;
}

void ScreenWaitForPlayer() {
  const uint32_t start = wre_TimerTick();
  wre_InputFlush();
  for (;;) {
    const uint32_t now = wre_TimerTick();
    wre_MessagePump();
    if (plat_QuitPosted() || plat_QuitRequested()) break;
    if (now - start > kMinimumWait && (wre_KeyBufferGet(0) != 0 || wre_MouseButtonState())) break;
  }
  wre_InputFlush();
}

int32_t LoadingScreenShow(ViewComponents* view) {
  wre_FolderPush();
  wre_FolderSet("data:loading");
  int32_t tiles[kScreenTiles];
  int32_t r = ScreenTilesLoad(view, kLoadingTiles, tiles);
  if (r == 0) {
    r = ScreenTilesShow(view, tiles, gtheWhiteMaterial);
    ScreenTilesRelease(tiles);
    wre_InputFlush();
  }
  wre_FolderPop();
  return r;
}

int32_t WinLoseScreenShow(ViewComponents* view, int32_t place, int32_t) {
  wre_FolderPush();
  wre_FolderSet("data:winlose");
  const bool won = place >= 0 && place < 3;
  ScreenTileFiles winTiles = {won ? kWinTopLeft[place] : "", "win_tm.bmp", "win_tr.bmp",
                              "win_bl.bmp", "win_bm.bmp", "win_br.bmp"};
  int32_t tiles[kScreenTiles];
  int32_t voice = -1;
  int32_t r;
  if (won) {
    // The winner's voice starts with the first picture, loaded or not.
    std::fill(tiles, tiles + kScreenTiles, -1);
    r = LoadTiles(view, winTiles, tiles, 0, 1);
    voice = SoundPlayRaceResult(place == 0);
    if (r == 0) r = LoadTiles(view, winTiles, tiles, 1, kScreenTiles);
    if (r != 0) ScreenTilesRelease(tiles);
  } else {
    r = ScreenTilesLoad(view, kLoseTiles, tiles);
    if (r == 0) voice = SoundPlayRaceResult(false);
  }
  if (r == 0) {
    r = ScreenTilesShow(view, tiles, gtheWhiteMaterial);
    ScreenWaitForPlayer();
  }
  wre_FolderPop();
  VoiceFree(&voice);
  return r;
}
