#include "game/menus/circuit_win_screen.h"

#include "engine/core/files.h"
#include "engine/core/input.h"
#include "engine/data/material.h"
#include "engine/data/sound.h"
#include "game/race/screen_tiles.h"
#include "game/world/game_sounds.h"

namespace {

constexpr const char* kCircuitFolder = "data:circuit";
constexpr const char* kCircuitFiles[kScreenTileCount] = {
    "circuit_win_tl.bmp", "circuit_win_tm.bmp", "circuit_win_tr.bmp",
    "circuit_win_bl.bmp", "circuit_win_bm.bmp", "circuit_win_br.bmp",
};

void VoiceFree(int32_t voice) {
  if (voice < 0) return;
  wre_SoundStop(voice);
  wre_SoundFree(voice);
}

}  // namespace

int32_t CircuitWinScreenShow(ViewComponents* view) {
  wre_FolderPush();
  wre_FolderSet(kCircuitFolder);
  ScreenTiles tiles;
  if (const int32_t loaded = ScreenTilesLoad(&tiles, kCircuitFiles, view); loaded != 0) {
    wre_FolderPop();
    return loaded;
  }
  const int32_t voice = SoundPlayRaceResult(true);
  const int32_t material = ScreenWhiteMaterialDefine(false);
  int32_t result = 0;
  if (material >= 0) {
    result = ScreenTilesShow(tiles, material, view);
    ScreenAnswerWait();
    wre_MaterialRelease(material);
  }
  ScreenTilesRelease(&tiles);
  VoiceFree(voice);
  wre_InputFlush();
  wre_FolderPop();
  return result;
}
