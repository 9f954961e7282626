#include "game/race/race_screens.h"

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
#include "game/race/race_hud.h"
#include "game/race/screen_tiles.h"
#include "game/state/view_components.h"
#include "game/world/game_materials.h"
#include "game/world/game_sounds.h"
#include "platform/plat_window.h"

namespace {

using TileFiles = const char* const[kScreenTileCount];

constexpr TileFiles kLoadingTiles = {"load_tl.bmp", "load_tm.bmp", "load_tr.bmp",
                                     "load_bl.bmp", "load_bm.bmp", "load_br.bmp"};
constexpr TileFiles kLoseTiles = {"lose_tl.bmp", "lose_tm.bmp", "lose_tr.bmp",
                                  "lose_bl.bmp", "lose_bm.bmp", "lose_br.bmp"};
constexpr const char* kWinTopLeft[3] = {"win_1st_tl.bmp", "win_2nd_tl.bmp", "win_3rd_tl.bmp"};

void VoiceFree(int32_t* voice) {
  if (*voice < 0) return;
  wre_SoundStop(*voice);
  wre_SoundFree(*voice);
  *voice = -1;
}

}  // namespace

int32_t LoadingScreenShow(ViewComponents* view) {
  wre_FolderPush();
  wre_FolderSet("data:loading");
  ScreenTiles tiles;
  int32_t r = ScreenTilesLoad(&tiles, kLoadingTiles, view);
  if (r == 0) {
    r = ScreenTilesShow(tiles, gtheWhiteMaterial, view);
    ScreenTilesRelease(&tiles);
    wre_InputFlush();
  }
  wre_FolderPop();
  return r;
}

int32_t WinLoseScreenShow(ViewComponents* view, int32_t place, int32_t) {
  wre_FolderPush();
  wre_FolderSet("data:winlose");
  const bool won = place >= 0 && place < 3;
  ScreenTiles tiles;
  int32_t voice = -1;
  int32_t r;
  if (won) {
    // The winner's voice starts with the first picture, loaded or not.
    const TileFiles winTiles = {kWinTopLeft[place], "win_tm.bmp", "win_tr.bmp",
                                "win_bl.bmp",       "win_bm.bmp", "win_br.bmp"};
    tiles = ScreenTiles{{-1, -1, -1, -1, -1, -1}};
    r = ScreenTilesLoadRange(&tiles, winTiles, 0, 1, view);
    voice = SoundPlayRaceResult(place == 0);
    if (r == 0) r = ScreenTilesLoadRange(&tiles, winTiles, 1, kScreenTileCount, view);
  } else {
    r = ScreenTilesLoad(&tiles, kLoseTiles, view);
    if (r == 0) voice = SoundPlayRaceResult(false);
  }
  if (r == 0) {
    r = ScreenTilesShow(tiles, gtheWhiteMaterial, view);
    ScreenAnswerWait();
  }
  wre_FolderPop();
  VoiceFree(&voice);
  return r;
}
