// One top-level run of the game: the settings, the rendering engine chosen or asked for, the
// engine and the game's long-lived records started, the menu loop, and everything taken down
// again. Also the fatal callback that saves the settings before the process ends.
#pragma once
#include <cstdint>

struct World;
struct WindowRecord;

// The key codes of the left and right Alt keys: held at start, they force the renderer dialog.
constexpr int32_t kKeyLeftAlt = 152;
constexpr int32_t kKeyRightAlt = 153;

// The result of GameEngineShutdown; PrefsLoad's non-zero result; -1 when the renderer dialog was
// cancelled (nothing was started).
int32_t TopLevelRun(WindowRecord* window);

// 0, or the texture slots' -5000; every other failure is fatal.
int32_t GameEngineStartup(WindowRecord* window, int32_t rendererKind);
int32_t GameEngineShutdown();

// Marks the renderer as to be asked, saves the settings when they were loaded, and ends the
// process through the engine's final exit.
void FatalErrorCallback(const char* message);

// The game's cell-grid world: 256 x 256 cells of 51200, white ambient light at 60 percent.
World* GameWorldCreate();
void GameWorldFree(World* world);
