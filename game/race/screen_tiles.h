// Full-screen pictures outside the race frame: six bitmaps that tile the 640 x 480 screen in two
// rows (256, 256 and 128 pixels wide, 256 high, the lower row running past the bottom edge), drawn
// through the game camera over black; the white material they are drawn in; and the wait for the
// player's answer to such a picture.
#pragma once
#include <cstdint>

struct Camera;
struct ViewComponents;

constexpr int kScreenTileCount = 6;
constexpr float kScreenTileDepth = 500.001f;
inline constexpr const char* kScreenWhiteMaterialName = "theWhiteMaterial";

// Texture handles in the order top-left, top-middle, top-right, bottom-left, bottom-middle,
// bottom-right; -1 where none is loaded.
struct ScreenTiles {
  int32_t texture[kScreenTileCount];
};

// Loads the six files, in that order, from the current data folder for the camera's drawing
// context. 0, or the first failing load's error, with the tiles loaded before it released again.
int32_t ScreenTilesLoad(ScreenTiles* tiles, const char* const files[kScreenTileCount], ViewComponents* view);
// Loads files [from, to) into those tiles, the others kept. 0, or the first failing load's error,
// with every tile of the record released.
int32_t ScreenTilesLoadRange(ScreenTiles* tiles, const char* const files[kScreenTileCount], int from, int to,
                             ViewComponents* view);
// Releases the loaded tiles and marks them unloaded.
void ScreenTilesRelease(ScreenTiles* tiles);

// Queues the six tiles, each with its whole bitmap, into their screen rectangles at the depth;
// a tile of handle -1 is skipped. 0, or the first failing rectangle's error.
int32_t ScreenTilesSubmit(const int32_t texture[kScreenTileCount], int32_t material, float depth, Camera* camera);

// The camera cleared to black, then one frame of its world with the tiles on top in the material.
// The frame end's result; any other failing step ends the program with its message.
int32_t ScreenTilesShow(const ScreenTiles& tiles, int32_t material, ViewComponents* view);

// Defines "theWhiteMaterial" in the first free slot: the first colour white, the second white too
// or, with blackSecond, black (opaque). Its handle, or -1 when no slot is free or the definition
// fails.
int32_t ScreenWhiteMaterialDefine(bool blackSecond);

// Holds the picture for more than 60 ticks, then until a key is typed or the mouse button goes
// down, pumping the window's messages: input given before the wait is dropped, a key typed during
// the first 60 ticks ends it once they have passed. A quit request of the program, or its posted
// quit, ends the wait at once. The input is emptied afterwards.
void ScreenAnswerWait();
