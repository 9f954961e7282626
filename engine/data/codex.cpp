#include "engine/data/codex.h"

#include <cmath>
#include <cstring>

#include "engine/core/colour_scale.h"
#include "engine/core/strings.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"

const char* const gCodexTokenNames[kCodexTokenCount] = {
    "kVKT_StartIgnore",
    "kVKT_Texture",
    "kVKT_BasicAlpha_Texture",
    "kVKT_ProceduralTexture",
    "kVKT_ProceduralAlphaTexture",
    "kVKT_RequestDepthTexture",
    "kVKT_RequestDepthAlphaTexture",
    "kVKT_OpacityRequestDepthTexture",
    "kVKT_MipDepthRequest_Texture",
    "kVKT_AlphaMipDepthRequest_Texture",
    "kVKT_SetTextureIdent",
    "kVKT_EffectMod_DropWavelet_SetDamping",
    "kVKT_EffectMod_DropWavelet_AddDrop",
    "kVKT_AmbientLightPercentage",
    "kVKT_AmbientLightColor",
    "kVKT_PointLightSource",
    "kVKT_DirectionalLightSource",
    "kVKT_ExternalRef",
    "kVKT_VirtualXZGridObject",
    "kVKT_CodexTokenID_VirtualReplicateRange",
    "kVKT_SetObjectIdent",
    "kVKT_UnsetObjectIdent",
    "kVKT_SetObjectPosition",
};

int32_t gCodexMode = 0;
int32_t gCodexWorldFlags = 0;

namespace {

constexpr int32_t kLocalSize = 256;
// 4096ths of a turn per degree, as a 32-bit float (a little above 4096/360).
constexpr float kDegreesToAngle = 11.37778f;

CodexIdentFinder gMaterialFinder = wre_MaterialFindByIdent;
CodexIdentFinder gTextureFinder = wre_TextureFindByIdent;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether the n bytes at p begin with name, ignoring case; never reads past the n bytes.
bool BeginsWith(const char* p, int32_t n, const char* name) {
  int32_t length = static_cast<int32_t>(std::strlen(name));
  if (n < length) return false;
  for (int32_t i = 0; i < length; ++i) {
    if (Fold(p[i]) != Fold(name[i])) return false;
  }
  return true;
}

// The end of the data: nothing left, or fewer than 10 bytes that hold no complete line. A short
// last line that ends in a line end is still read.
bool AtEnd(const char* p, int32_t n) {
  if (n < 1) return true;
  if (n >= 10) return false;
  for (int32_t i = 0; i < n; ++i) {
    if (IsLineEnd(p[i])) return false;
  }
  return true;
}

void SkipBlanks(const char** text, int32_t* remaining) {
  while (*remaining > 0 && IsBlank(**text)) {
    ++*text;
    --*remaining;
  }
}

// A float converted to an integer toward zero, held to the int range (NaN gives 0).
int32_t TruncateSaturated(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0f) return INT32_MAX;
  if (value <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(value);
}

bool IsFirstId(const char* word) { return wre_StringMatch("kVKT_FirstID", word, 0, 0) == 1; }

// How each token's fields are read and where they go.
enum FieldKind : uint8_t { kText, kInt, kFloat, kMaterialIdent, kTextureIdent, kAngle };
enum Slot : uint8_t { kT, kI1, kI2, kI3, kI4, kF1, kF2, kF3 };

struct Field {
  FieldKind kind;
  Slot slot;
};

struct TokenFields {
  uint8_t count;
  bool restLeft;  // the rest of the line is left to the caller
  Field fields[7];
};

const TokenFields kTokenFields[kCodexTokenCount] = {
    /* 0 */ {0, false, {}},
    /* 1 */ {1, false, {{kText, kT}}},
    /* 2 */ {4, false, {{kText, kT}, {kInt, kI1}, {kInt, kI2}, {kInt, kI3}}},
    /* 3 */ {1, true, {{kText, kT}}},
    /* 4 */ {4, true, {{kText, kT}, {kInt, kI1}, {kInt, kI2}, {kInt, kI3}}},
    /* 5 */ {2, false, {{kText, kT}, {kInt, kI4}}},
    /* 6 */ {5, false, {{kText, kT}, {kInt, kI4}, {kInt, kI1}, {kInt, kI2}, {kInt, kI3}}},
    /* 7 */ {2, true, {{kText, kT}, {kInt, kI4}}},
    /* 8 */ {2, false, {{kText, kT}, {kInt, kI4}}},
    /* 9 */ {5, false, {{kText, kT}, {kInt, kI1}, {kInt, kI2}, {kInt, kI3}, {kInt, kI4}}},
    /* 10 */ {1, false, {{kText, kT}}},
    /* 11 */ {2, false, {{kText, kT}, {kFloat, kF1}}},
    /* 12 */ {5, false, {{kText, kT}, {kInt, kI1}, {kInt, kI2}, {kInt, kI3}, {kInt, kI4}}},
    /* 13 */ {1, false, {{kFloat, kF1}}},
    /* 14 */ {3, false, {{kInt, kI1}, {kInt, kI2}, {kInt, kI3}}},
    /* 15 */ {0, true, {}},
    /* 16 */ {0, true, {}},
    /* 17 */ {0, true, {}},
    /* 18 */
    {6, false,
     {{kInt, kI1}, {kInt, kI2}, {kFloat, kF1}, {kMaterialIdent, kI3}, {kTextureIdent, kI4}, {kFloat, kF2}}},
    /* 19 */ {1, false, {{kFloat, kF1}}},
    /* 20 */ {1, false, {{kText, kT}}},
    /* 21 */ {1, false, {{kText, kT}}},
    /* 22 */
    {7, false,
     {{kText, kT}, {kAngle, kI1}, {kAngle, kI2}, {kAngle, kI3}, {kFloat, kF1}, {kFloat, kF2}, {kFloat, kF3}}},
};

struct Outputs {
  char* text;
  int32_t* ints[4];
  float* floats[3];
};

void StoreInt(const Outputs& out, Slot slot, int32_t value) {
  int32_t* target = out.ints[slot - kI1];
  if (target) *target = value;
}

void StoreFloat(const Outputs& out, Slot slot, float value) {
  float* target = out.floats[slot - kF1];
  if (target) *target = value;
}

int32_t ReadIdent(const char** text, int32_t* remaining, CodexIdentFinder finder, int32_t* index) {
  char word[kLocalSize];
  int32_t result = wre_CodexReadString(text, remaining, word, sizeof(word));
  if (result != 0) return result;
  if (IsFirstId(word)) {
    *index = 0;
  } else {
    *index = finder ? finder(word) : -1;
  }
  return 0;
}

// Reads one field of a token line into its output; the field is consumed even when the output is
// null.
int32_t ReadField(const char** text, int32_t* remaining, Field field, const Outputs& out) {
  switch (field.kind) {
    case kText: {
      if (out.text) return wre_CodexReadString(text, remaining, out.text, kCodexTextSize);
      char dropped[kLocalSize];
      return wre_CodexReadString(text, remaining, dropped, sizeof(dropped));
    }
    case kInt: {
      int32_t value = 0;
      int32_t result = wre_CodexReadInt(text, remaining, &value);
      if (result == 0) StoreInt(out, field.slot, value);
      return result;
    }
    case kFloat: {
      float value = 0.0f;
      int32_t result = wre_CodexReadFloat(text, remaining, &value);
      if (result == 0) StoreFloat(out, field.slot, value);
      return result;
    }
    case kMaterialIdent:
    case kTextureIdent: {
      int32_t index = -1;
      int32_t result =
          ReadIdent(text, remaining, field.kind == kMaterialIdent ? gMaterialFinder : gTextureFinder, &index);
      if (result == 0) StoreInt(out, field.slot, index);
      return result;
    }
    case kAngle: {
      float degrees = 0.0f;
      int32_t result = wre_CodexReadFloat(text, remaining, &degrees);
      if (result == 0) StoreInt(out, field.slot, TruncateSaturated(degrees * kDegreesToAngle));
      return result;
    }
  }
  return 0;
}

// Reads one field and stores what convert makes of it; a null value fails before the text moves.
template <typename Value, typename Convert>
int32_t ReadWord(const char** text, int32_t* remaining, Value* value, Convert convert) {
  if (!value) return kCodexErrNull;
  char word[kLocalSize];
  int32_t result = wre_CodexReadString(text, remaining, word, sizeof(word));
  if (result != 0) return result;
  *value = convert(word);
  return 0;
}

}  // namespace

int32_t wre_CodexFlagsReset() {
  gCodexMode = 0;
  gCodexWorldFlags = 0;
  return 0;
}

int32_t wre_CodexShutdown() { return 0; }

int32_t wre_CodexSetMode(uint32_t mode) {
  if (mode > 1) return -1;
  gCodexMode = static_cast<int32_t>(mode);
  return 0;
}

int32_t wre_CodexSetWorldFlags(int32_t flags) {
  gCodexWorldFlags = flags;
  return 0;
}

void wre_CodexSetIdentFinders(CodexIdentFinder material, CodexIdentFinder texture) {
  gMaterialFinder = material ? material : wre_MaterialFindByIdent;
  gTextureFinder = texture ? texture : wre_TextureFindByIdent;
}

int32_t wre_CodexScanField(const char* text, const char** start, const char** end, int32_t* length,
                           int32_t remaining) {
  if (start) *start = nullptr;
  if (end) *end = nullptr;
  if (length) *length = 0;
  if (!text) return kCodexErrNull;
  if (remaining < 1) return kCodexErrNothing;
  const char* p = text;
  int32_t n = remaining;
  bool quoted = false;
  for (;;) {
    if (n <= 0) return kCodexErrDataEnded;
    char c = *p;
    if (IsBlank(c) || c == ',') {
      ++p;
      --n;
      continue;
    }
    if (IsLineEnd(c)) return kCodexErrLineEnded;
    if (c == '"') {
      ++p;
      --n;
      quoted = true;
    }
    break;
  }
  const char* first = p;
  const char* last = nullptr;
  int32_t count = 0;
  if (!quoted) {
    while (n > 0) {
      char c = *p;
      if (IsLineEnd(c) || IsBlank(c) || c == ',' || c == '"') {
        last = p;
        break;
      }
      ++p;
      --n;
      ++count;
    }
  } else if (n > 0) {
    // The character right after the opening quote belongs to the field whatever it is.
    ++p;
    --n;
    ++count;
    while (n > 0) {
      char c = *p;
      if (c == '"' || IsLineEnd(c)) {
        last = p + 1;  // the closing character is consumed
        break;
      }
      ++p;
      --n;
      ++count;
    }
  }
  if (start) *start = first;
  if (end) *end = last;
  if (length) *length = count;
  return 0;
}

int32_t wre_CodexReadString(const char** text, int32_t* remaining, char* buffer, int32_t size) {
  if (!text || !*text || !remaining || !buffer || size < 1) return kCodexErrNull;
  const char* start = nullptr;
  const char* end = nullptr;
  int32_t length = 0;
  int32_t result = wre_CodexScanField(*text, &start, &end, &length, *remaining);
  if (result != 0) return result;
  int32_t copy = length < size - 1 ? length : size - 1;
  if (copy > 0) std::memcpy(buffer, start, static_cast<size_t>(copy));
  buffer[copy] = '\0';
  // Past the whole field, also when it was cut; a field cut by the end of the data ends there.
  int32_t advance = end ? static_cast<int32_t>(end - *text) : *remaining;
  if (advance > *remaining) advance = *remaining;
  *text += advance;
  *remaining -= advance;
  return 0;
}

int32_t wre_CodexReadInt(const char** text, int32_t* remaining, int32_t* value) {
  return ReadWord(text, remaining, value, [](const char* word) { return wre_StringToInt(word); });
}

int32_t wre_CodexReadFloat(const char** text, int32_t* remaining, float* value) {
  return ReadWord(text, remaining, value, [](const char* word) { return wre_StringToFloat(word); });
}

int32_t wre_CodexReadBool(const char** text, int32_t* remaining, uint8_t* value) {
  return ReadWord(text, remaining, value, [](const char* word) -> uint8_t {
    if (wre_StringMatch("kVKT_True", word, 0, 0) == 1 || wre_StringMatch("true", word, 0, 0) == 1) return 1;
    if (wre_StringMatch("kVKT_False", word, 0, 0) == 1 || wre_StringMatch("false", word, 0, 0) == 1) return 0;
    return wre_StringToInt(word) != 0 ? 1 : 0;
  });
}

int32_t wre_CodexSkipLine(const char** text, int32_t* remaining) {
  if (!text || !*text || !remaining) return kCodexErrNull;
  while (*remaining > 0 && !IsLineEnd(**text)) {
    ++*text;
    --*remaining;
  }
  if (*remaining > 0) {
    ++*text;
    --*remaining;
  }
  return 0;
}

int32_t wre_CodexReadToken(const char** text, int32_t* remaining, int32_t* id, char* textOut, int32_t* i1,
                           int32_t* i2, int32_t* i3, int32_t* i4, float* f1, float* f2, float* f3,
                           uint8_t skipRest) {
  if (!id) return kCodexErrNull;
  *id = kCodexUnknown;
  if (!text || !*text || !remaining) return kCodexErrNull;
  if (AtEnd(*text, *remaining)) {
    *remaining = 0;
    *id = kCodexEnd;
    return 0;
  }
  SkipBlanks(text, remaining);
  if (!BeginsWith(*text, *remaining, "kVKT")) {
    *id = BeginsWith(*text, *remaining, "//") ? kCodexComment : kCodexNotToken;
    wre_CodexSkipLine(text, remaining);
    return 0;
  }
  int32_t token = kCodexUnknown;
  for (int32_t i = 0; i < kCodexTokenCount; ++i) {
    if (BeginsWith(*text, *remaining, gCodexTokenNames[i])) {
      token = i;
      break;
    }
  }
  char word[kLocalSize];
  int32_t result = wre_CodexReadString(text, remaining, word, sizeof(word));
  bool restLeft = false;
  if (token >= 1 && token < kCodexTokenCount) {
    const TokenFields& layout = kTokenFields[token];
    Outputs out{textOut, {i1, i2, i3, i4}, {f1, f2, f3}};
    for (int32_t f = 0; f < layout.count && result == 0; ++f) result = ReadField(text, remaining, layout.fields[f], out);
    restLeft = layout.restLeft;
  } else {
    token = kCodexUnknown;
  }
  // A failed line is always skipped whole, so the next read starts on the next line.
  if (!restLeft || skipRest || result != 0) wre_CodexSkipLine(text, remaining);
  *id = result != 0 ? kCodexUnknown : token;
  return result;
}

int32_t wre_CodexReadTokenWord(const char** text, int32_t* remaining, int32_t* id, char* word) {
  if (!id) return kCodexErrNull;
  *id = kCodexNotToken;
  if (!word) return kCodexErrNull;
  word[0] = '\r';
  if (!text || !*text || !remaining) return kCodexErrNull;
  if (AtEnd(*text, *remaining)) {
    *remaining = 0;
    *id = kCodexEnd;
    return 0;
  }
  SkipBlanks(text, remaining);
  if (!BeginsWith(*text, *remaining, "kVKT")) {
    if (BeginsWith(*text, *remaining, "//")) *id = kCodexComment;
    return 0;
  }
  *id = kCodexUnknown;
  // The word is cut to the buffer; the cursor still moves past all of it.
  int32_t stored = 0;
  while (*remaining > 0) {
    char c = **text;
    if (IsBlank(c) || IsLineEnd(c)) break;
    if (stored < kCodexWordSize - 1) word[stored++] = c;
    ++*text;
    --*remaining;
  }
  word[stored] = '\0';
  return 0;
}

int32_t wre_ColourClampRange(float* colour) {
  if (!colour) return kCodexErrNull;
  for (int i = 0; i < 4; ++i) {
    if (!(colour[i] >= 0.0f)) {  // below 0, or not a number
      colour[i] = 0.0f;
    } else if (colour[i] > gColourMaxAlpha) {
      colour[i] = gColourMaxAlpha;
    }
  }
  return 0;
}

int32_t wre_ColourSetUnit(float* colour, float r, float g, float b, float a) {
  if (!colour) return kCodexErrNull;
  colour[0] = r * gColourMax;
  colour[1] = g * gColourMax;
  colour[2] = b * gColourMax;
  colour[3] = a * gColourMax;
  return wre_ColourClampRange(colour);
}
