// World files: the lines of a world file and the values each one yields (ambient light, lights,
// grid objects, object idents and placements, and the game's own lines behind "kVKT_ExternalRef").
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"
#include "engine/data/codex.h"

constexpr int32_t kWorldLightNameSize = 32;
// Light colour integers 0-255 to the unit range (1/255 as a 32-bit float).
constexpr float kWorldByteToUnit = 0.003921569f;

// The caller's handler of "kVKT_ExternalRef" lines: reads what it wants of the line from the
// reader's own cursor; 0 goes on, anything else ends the read with that code.
using CodexExternalRefHandler = int32_t (*)(const char** text, int32_t* remaining);

// One line of a world file as read. Fields a token does not carry stay zero.
struct WorldFileLine {
  int32_t id;                        // token id 1-22, or the tokenizer's -1 .. -4
  char name[kCodexTextSize];         // 15, 16: the light name (31 characters kept); 20-22: object name
  float ambientLevel;                // 13: percent
  float colour[4];                   // 14: ambient colour; 15, 16: light colour (both in the colour range)
  Point4 position;                   // 15, 16: light position; 22: object position (w = 0)
  float intensity;                   // 15, 16: percent
  int32_t angles[3];                 // 22: 4096ths of a turn
  int32_t cellsX;                    // 18
  int32_t cellsZ;
  float cellSize;
  int32_t materialIndex;             // slot of the material ident, 0 for "kVKT_FirstID", -1 if none
  int32_t textureIndex;
  float textureStep;                 // 0-255 texture units; 255 repeats the texture once per cell
  float drawDistance;                // 19
};

// Reads one line. With removeLights set, a light line yields only its name. A "kVKT_ExternalRef"
// line (17) is left on the character after its token word for the handler; the caller skips the
// rest of it. Every other line is read whole, texture-list lines included. Returns 0 or the first field error (2000, 2001, 3).
int32_t WorldFileReadLine(const char** text, int32_t* remaining, uint8_t removeLights, WorldFileLine* line);

struct World;

// Reads a world file by path into the world (null: every line is read and nothing changes; the
// handler is still called). The second argument is not used. Returns 0, the first non-zero code of
// a line (a field error, a failing engine call, the handler's result), or the file layer's last
// error when the file cannot be loaded.
int32_t wre_CodexLoadWorld(const char* path, int32_t unused, World* world, CodexExternalRefHandler handler);

// The same over text already in memory (what wre_CodexLoadWorld runs on the loaded file).
int32_t WorldFileLoadData(const char* data, int32_t size, World* world, CodexExternalRefHandler handler);
