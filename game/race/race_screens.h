// The full-screen pictures around a race: the loading screen drawn while a race is set up and the
// result screen after a race with opponents that ended by its rule. Each is six bitmaps tiling the
// 640 x 480 screen (the right column 128 wide, the bottom row running past the screen's foot),
// drawn once through the game camera.
#pragma once
#include <cstdint>

struct ViewComponents;

// Draws the loading picture once and lets its textures go. The frame's result, or the loader's
// error with nothing drawn.
int32_t LoadingScreenShow(ViewComponents* view);
// The result picture for the 0-based place (winner's pictures for places 0 to 2, the loser's
// otherwise) with its voice, held until the player answers. The tiles stay loaded until the race
// teardown releases every texture; the voice is freed. The frame's result, or the loader's error
// with nothing drawn and nothing left loaded or playing. `time` is not shown.
int32_t WinLoseScreenShow(ViewComponents* view, int32_t place, int32_t time);
