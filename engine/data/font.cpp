#include "engine/data/font.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <strings.h>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/data/codex.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"

namespace {

Font* gFontList = nullptr;
uint8_t gFontReady = 0;

constexpr char kFontCharacterDef[] = "kVKT_FontCharacterDef";
constexpr int32_t kFieldSize = 256;

// Truncated toward zero, held inside the int32 range (sizes come from definition files).
int32_t TruncatedSize(float value) {
  if (!(value > -2147483520.0f)) return value != value ? 0 : INT32_MIN;
  if (!(value < 2147483520.0f)) return INT32_MAX;
  return static_cast<int32_t>(value);
}

bool Listed(const Font* font) {
  for (const Font* f = gFontList; f; f = f->next) {
    if (f == font) return true;
  }
  return false;
}

bool MaterialInUse(int32_t material) {
  return gMaterialModuleStarted && gMaterialTable && material >= 0 && material < gMaterialCount &&
         gMaterialTable[material].inUse;
}

int32_t ReadGlyphLine(Font* font, const char** text, int32_t* remaining, int32_t material) {
  char field[kFieldSize];
  int32_t result = wre_CodexReadString(text, remaining, field, kFieldSize);
  if (result != 0) return result;
  const auto character = static_cast<uint8_t>(field[0]);
  result = wre_CodexReadString(text, remaining, field, kFieldSize);
  if (result != 0) return result;
  const int32_t texture = wre_TextureFindByFile(field);
  if (texture < 0) return kFontErrNoTexture;
  float rect[4];
  for (float& value : rect) {
    result = wre_CodexReadFloat(text, remaining, &value);
    if (result != 0) return result;
  }
  return wre_FontSetGlyph(font, texture, material, character, rect);
}

}  // namespace

bool wre_FontStarted() { return gFontReady != 0; }

int32_t wre_FontInit() {
  gFontList = nullptr;
  gFontReady = 1;
  return 0;
}

int32_t wre_FontTerm() {
  if (!gFontReady) return kFontErrNotStarted;
  while (gFontList) wre_FontDispose(gFontList);
  gFontReady = 0;
  return 0;
}

int32_t wre_FontNew(Font** out) {
  if (!gFontReady) return kFontErrNotStarted;
  if (!out) return kWreErrNull;
  *out = nullptr;
  auto* font = static_cast<Font*>(wre_MemoryNew(static_cast<int32_t>(sizeof(Font))));
  if (!font) return kWreErrNoMemory;
  std::memset(font, 0, sizeof(*font));
  font->scaleX = font->scaleY = 1.0f;
  font->spacing = 1.0f;
  font->scaledSpacing = 1.0f;
  Font** tail = &gFontList;
  Font* last = nullptr;
  while (*tail) {
    last = *tail;
    tail = &(*tail)->next;
  }
  font->prev = last;
  *tail = font;
  *out = font;
  return 0;
}

int32_t wre_FontDispose(Font* font) {
  if (!gFontReady) return kFontErrNotStarted;
  if (!font) return kWreErrNull;
  if (!Listed(font)) return kFontErrNotListed;
  if (font->prev) {
    font->prev->next = font->next;
  } else {
    gFontList = font->next;
  }
  if (font->next) font->next->prev = font->prev;
  wre_MemoryDispose(font);
  return 0;
}

int32_t wre_FontSetGlyph(Font* font, int32_t texture, int32_t material, uint8_t character, const float rect[4]) {
  if (!gFontReady) return kFontErrNotStarted;
  if (!font || !rect) return kWreErrNull;
  FontGlyph& glyph = font->glyphs[character];
  glyph.left = rect[0];
  glyph.top = rect[1];
  glyph.right = rect[2];
  glyph.bottom = rect[3];
  glyph.width = std::fabs(rect[2] - rect[0]);
  glyph.height = std::fabs(rect[3] - rect[1]);
  glyph.texture = texture;
  if (!MaterialInUse(material)) return kFontErrMaterial;
  glyph.material = material;
  glyph.flags |= kGlyphDefined;
  return 0;
}

int32_t wre_FontSetScale(Font* font, float scaleX, float scaleY) {
  if (!gFontReady) return kFontErrNotStarted;
  if (!font) return kWreErrNull;
  font->scaleX = scaleX;
  font->scaleY = scaleY;
  font->scaledSpacing = scaleX * font->spacing;
  return 0;
}

int32_t wre_FontSetSpacing(Font* font, float spacing) {
  if (!gFontReady) return kFontErrNotStarted;
  if (!font) return kWreErrNull;
  font->spacing = spacing;
  font->scaledSpacing = spacing * font->scaleX;
  return 0;
}

int32_t wre_FontGetCharSize(Font* font, int32_t* width, int32_t* height) {
  if (!gFontReady) return kFontErrNotStarted;
  if (!font) return kWreErrNull;
  float sumW = 0.0f, sumH = 0.0f;
  int32_t found = 0;
  for (int32_t c = '0'; c <= 255 && found < kFontAverageGlyphs; ++c) {
    const FontGlyph& glyph = font->glyphs[c];
    if (!(glyph.flags & kGlyphDefined)) continue;
    sumW += glyph.width * font->scaleX;
    sumH += glyph.height * font->scaleY;
    ++found;
  }
  // A font without such glyphs has no average size.
  font->averageWidth = found > 0 ? sumW / static_cast<float>(found) : 0.0f;
  font->averageHeight = found > 0 ? sumH / static_cast<float>(found) : 0.0f;
  if (width) *width = TruncatedSize(font->averageWidth);
  if (height) *height = TruncatedSize(font->averageHeight);
  return 0;
}

int32_t wre_FontLoadDefinition(Font** out, const char* fileName, int32_t material) {
  if (!out || !fileName) return kFontErrArgument;
  int32_t result = wre_FontNew(out);
  if (result != 0) return result;
  FileRecord* file = wre_FileLoad(fileName, 0);
  if (!file) {
    wre_FileNoteFailed(fileName);
    return kFontErrNoFile;
  }
  const char* text = reinterpret_cast<const char*>(file->data);
  int32_t remaining = file->size;
  char word[kCodexWordSize];
  while (result == 0) {
    int32_t id = kCodexNotToken;
    result = wre_CodexReadTokenWord(&text, &remaining, &id, word);
    if (result != 0 || id == kCodexEnd) break;
    if (id == kCodexUnknown && strncasecmp(word, kFontCharacterDef, sizeof(kFontCharacterDef) - 1) == 0) {
      result = ReadGlyphLine(*out, &text, &remaining, material);
      if (result != 0) break;
    }
    if (remaining <= 0) break;
    result = wre_CodexSkipLine(&text, &remaining);
  }
  wre_FileDispose(file);
  if (result != 0) wre_FileNoteFailed(fileName);
  return result;
}
