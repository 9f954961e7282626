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

struct DrawingContext;
struct Texture;

// Reads a texture list by path and, by gCodexMode, loads (0) or unloads (1) what it names; any other
// mode reads the file and does nothing (0). The second argument is not used. The context is the one
// whose renderer receives the uploads. -1 when the file cannot be loaded, otherwise the loop's result.
// A failure notes the file it lies in (wre_FileNoteFailed): the picture that failed, else the list.
int32_t wre_CodexLoadTextures(const char* path, int32_t unused, DrawingContext* context);

// The load loop over text in memory: makes every texture the list names, gives idents and sets up
// ripples. 0, or the first failure: a line that fails to read (its reader's code), a loader's or the
// ripple's code, or one of this module's codes. Textures made before a failure stay loaded. -1 for
// null data or a size below 1.
int32_t wre_TextureCodexLoad(const char* data, int32_t size, DrawingContext* context);

// The unload loop: releases, by file name, the texture of every image line (ids 1-9). Stops at the
// first line that fails to read (the load stopped there too). -1 for null data or a size below 1,
// otherwise 0. The context is not used.
int32_t wre_TextureCodexUnload(const char* data, int32_t size, DrawingContext* context);

// The texture record of a slot, through the texture index map; null for a slot outside the table.
Texture* wre_TextureRecordOfSlot(int32_t slot);

// The effect lines: the ripple of the texture carrying the ident gets its damping, or a drop at
// (x, y) in 0-255 texture units. 1 for a null ident, 2030, 2041, 4, or the ripple's own code.
int32_t wre_CodexRippleSetDamping(const char* ident, float damping);
int32_t wre_CodexRippleAddDrop(const char* ident, int32_t x, int32_t y, int32_t strength, int32_t interval);
