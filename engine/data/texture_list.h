// Texture lists ("texture.codx"): the lines of a texture list and the fields each one yields.
// One line names an image file and its options, an ident for the texture before it, or a setting
// of a procedural texture's drop-wavelet ripple.
#pragma once
#include <cstdint>

#include "engine/data/codex.h"

enum : int32_t {
  kTextureListErrNoTarget = 2010,     // an ident line before any texture of ids 1-7
  kTextureListErrModifier = 2020,     // a procedural line without the displacement-map modifier
  kTextureListErrEffect = 2021,       // a procedural line without the drop-wavelet effect
  kTextureListErrNoSuchIdent = 2030,  // an effect line naming an ident no texture carries
  kTextureListErrNotDropWavelet = 2041,
  kTextureListErrNoSimulation = 4,
};

// The ripple parameters a procedural line asks for.
enum : int32_t {
  kTextureModifierDisplacementMap = 100,
  kTextureEffectDropWavelet = 100,
};

// Reads the next field and checks it names the displacement-map modifier (100 into kind), or the
// drop-wavelet effect. 2020 / 2021 when it names something else, a field reader's code unchanged,
// 1 for a null argument.
int32_t wre_CodexReadModifierKind(const char** text, int32_t* remaining, int32_t* kind);
int32_t wre_CodexReadEffectKind(const char** text, int32_t* remaining, int32_t* kind);

// One line of a texture list as read. Fields a token does not carry stay zero.
struct TextureListLine {
  int32_t id;                          // token id 1-22, or the tokenizer's -1 .. -4
  char file[kCodexTextSize];           // ids 1-9: the image file; 10-12: the ident
  char opacityFile[kCodexTextSize];    // id 7
  int32_t red;                         // ids 2, 4, 6, 9: the key colour (id 4 reads and ignores it)
  int32_t green;
  int32_t blue;
  int32_t depth;                       // ids 5-9: 0, 16, 24 or 32
  int32_t modifierKind;                // ids 3, 4
  int32_t effectKind;
  float damping;                       // id 11
  int32_t dropX;                       // id 12: texture units 0-255
  int32_t dropY;
  int32_t dropStrength;
  int32_t dropInterval;                // ticks
};

// Reads one line in load mode, procedural and opacity lines with their extra fields, and leaves the
// cursor on the next line. Returns 0 or the first error: a missing field (2000, 2001, 3), 2020,
// 2021. A line that fails to read is an error of the list, not its end.
int32_t TextureListReadLine(const char** text, int32_t* remaining, TextureListLine* line);

// Reads one line in unload mode: only the file names of ids 1-9 matter, every line is skipped whole.
int32_t TextureListReadUnloadLine(const char** text, int32_t* remaining, TextureListLine* line);
