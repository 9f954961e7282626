// Codex text: the engine's line-oriented token text files, and the reader that walks them.
//
// A file is read whole and walked with a cursor: a text pointer and a signed count of the bytes
// left, both held by the caller and passed by reference. Lines end in CR or LF (a CR LF pair is two
// line ends). A token line's first non-blank text begins with "kVKT" (any case), a comment line's
// with "//"; every other line is passed over. Token names match as case-insensitive prefixes.
// Fields are separated by runs of blanks and commas and are bare or quoted.
#pragma once
#include <cstdint>

// The reading position over one loaded file. The readers take its two members by reference.
struct CodexCursor {
  const char* text;   // the next character to read
  int32_t remaining;  // bytes left from text to the end of the data
};

// Token ids of gCodexTokenNames; a name's position in the table is its id.
enum : int32_t {
  kCodexStartIgnore = 0,
  kCodexTexture = 1,
  kCodexBasicAlphaTexture = 2,
  kCodexProceduralTexture = 3,
  kCodexProceduralAlphaTexture = 4,
  kCodexRequestDepthTexture = 5,
  kCodexRequestDepthAlphaTexture = 6,
  kCodexOpacityRequestDepthTexture = 7,
  kCodexMipDepthRequestTexture = 8,
  kCodexAlphaMipDepthRequestTexture = 9,
  kCodexSetTextureIdent = 10,
  kCodexSetDamping = 11,
  kCodexAddDrop = 12,
  kCodexAmbientLightPercentage = 13,
  kCodexAmbientLightColor = 14,
  kCodexPointLightSource = 15,
  kCodexDirectionalLightSource = 16,
  kCodexExternalRef = 17,
  kCodexGridObject = 18,
  kCodexReplicateRange = 19,
  kCodexSetObjectIdent = 20,
  kCodexUnsetObjectIdent = 21,
  kCodexSetObjectPosition = 22,
  kCodexTokenCount = 23,
};

// What the id output carries besides a token id.
enum : int32_t {
  kCodexEnd = -1,        // end of the data
  kCodexUnknown = -2,    // an unknown "kVKT" word, "kVKT_StartIgnore", a field error, or a copied word
  kCodexNotToken = -3,   // not a token line (empty lines and the LF of a CR LF pair included)
  kCodexComment = -4,    // a comment line
};

// Result codes of the reader (positive, like the file layer's).
enum : int32_t {
  kCodexErrNull = 1,         // a null argument
  kCodexErrNothing = 3,      // nothing left to scan
  kCodexErrLineEnded = 2000, // the line ended before the expected field
  kCodexErrDataEnded = 2001, // the data ended before the expected field
};

constexpr int32_t kCodexTextSize = 2048;  // the caller's text buffer for wre_CodexReadToken
constexpr int32_t kCodexWordSize = 256;   // the word buffer for wre_CodexReadTokenWord

extern const char* const gCodexTokenNames[kCodexTokenCount];

// 0 load the textures a texture list names, 1 unload them.
extern int32_t gCodexMode;
enum : uint32_t { kCodexModeLoad = 0, kCodexModeUnload = 1 };
// Bit 0: the world reader's light tokens remove the named light. Bit 1: the world reader passes
// over its ambient, grid-object, ident and position tokens.
extern int32_t gCodexWorldFlags;
enum : int32_t { kCodexWorldRemoveLights = 1, kCodexWorldSkipValues = 2 };

int32_t wre_CodexFlagsReset();
int32_t wre_CodexShutdown();
int32_t wre_CodexSetMode(uint32_t mode);
int32_t wre_CodexSetWorldFlags(int32_t flags);

// Where the grid-object token's idents are looked up (slot index, -1 when no slot carries it). A
// null finder stands for the table's own ident search (wre_MaterialFindByIdent,
// wre_TextureFindByIdent).
using CodexIdentFinder = int32_t (*)(const char* ident);
void wre_CodexSetIdentFinders(CodexIdentFinder material, CodexIdentFinder texture);

// Reads one line. text, when given, must hold kCodexTextSize characters; every output but id may
// be null. Returns 0 or the first field error (then *id is -2).
int32_t wre_CodexReadToken(const char** text, int32_t* remaining, int32_t* id, char* textOut, int32_t* i1,
                           int32_t* i2, int32_t* i3, int32_t* i4, float* f1, float* f2, float* f3,
                           uint8_t skipRest);

// Reads the first word of a line for readers with token names of their own. word must hold
// kCodexWordSize characters. *id is -1, -3, -4, or -2 with the word copied. Always 0 (1 for a null
// argument). The line is not skipped.
int32_t wre_CodexReadTokenWord(const char** text, int32_t* remaining, int32_t* id, char* word);

// Moves past the rest of the line and one line-end character.
int32_t wre_CodexSkipLine(const char** text, int32_t* remaining);

// Locates the next field without moving: *start is its first character, *length its length, *end
// the character after it (null when the data ended inside it).
int32_t wre_CodexScanField(const char* text, const char** start, const char** end, int32_t* length,
                           int32_t remaining);
int32_t wre_CodexReadString(const char** text, int32_t* remaining, char* buffer, int32_t size);
int32_t wre_CodexReadInt(const char** text, int32_t* remaining, int32_t* value);
int32_t wre_CodexReadFloat(const char** text, int32_t* remaining, float* value);
int32_t wre_CodexReadBool(const char** text, int32_t* remaining, uint8_t* value);

// A colour here is four floats r, g, b, a.
int32_t wre_ColourSetUnit(float* colour, float r, float g, float b, float a);
int32_t wre_ColourClampRange(float* colour);
