// The full-screen pictures around a race: the loading screen drawn while a race is set up and the
// result screen after a race with opponents that ended by its rule. Each is six bitmaps tiling the
// 640 x 480 screen (the right column 128 wide, the bottom row running past the screen's foot),
// drawn once through the game camera; the tile steps serve every such screen.
#pragma once
#include <cstdint>

struct ViewComponents;

constexpr int kScreenTiles = 6;

// The six tile bitmaps of a screen, top row then bottom row, each left to right.
using ScreenTileFiles = const char* const[kScreenTiles];

// Loads the six bitmaps from the current data folder into `textures`. 0, or the first loader
// error, with the tiles loaded before it released and every entry -1.
int32_t ScreenTilesLoad(ViewComponents* view, ScreenTileFiles files, int32_t textures[kScreenTiles]);
// Releases the loaded tiles and sets every entry to -1.
void ScreenTilesRelease(int32_t textures[kScreenTiles]);
// Clears to black and draws one frame (begin flag 1) of the camera's world under the six tiles in
// the material. A failing frame step is fatal (a full polygon queue is not a failure). The frame
// end's result.
int32_t ScreenTilesShow(ViewComponents* view, const int32_t textures[kScreenTiles], int32_t material);
// Holds until the player answers: input typed before the call is dropped, nothing ends the wait
// within its first 60 ticks, then the first typed key or mouse button does (or the program's quit
// request). Window messages are pumped while waiting.
void ScreenWaitForPlayer();

// Draws the loading picture once and lets its textures go. The frame's result, or the loader's
// error with nothing drawn.
int32_t LoadingScreenShow(ViewComponents* view);
// The result picture for the 0-based place (winner's pictures for places 0 to 2, the loser's
// otherwise) with its voice, held until the player answers. The tiles stay loaded until the race
// teardown releases every texture; the voice is freed. The frame's result, or the loader's error
// with nothing drawn and nothing left loaded or playing. `time` is not shown.
int32_t WinLoseScreenShow(ViewComponents* view, int32_t place, int32_t time);
