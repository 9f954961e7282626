// Bitmap fonts: each character is a rectangle of some texture, drawn as a screen-space quad (the
// drawing is engine/render/font_draw.h). A font's definition file names, for every character, the
// texture file and the rectangle in it (0-255 units of the texture, v from the top). Every font
// stands on one list so that the engine's shut-down frees them.
#pragma once
#include <cstdint>

enum : int32_t {
  kFontErrNotStarted = -4501,
  kFontErrNotListed = -4505,
  kFontErrMaterial = -4600,
  kFontErrDepth = -25010,       // the depth lies outside the camera's near and far planes
  kFontErrNoTexture = 6020,     // a definition names a texture that is not loaded
  kFontErrNoFile = 5000,        // the definition file is missing
  kFontErrArgument = 1,         // a null argument to the definition reader
};

constexpr uint8_t kGlyphDefined = 0x01;
constexpr int32_t kFontStringLimit = 1024;
constexpr int32_t kFontAverageGlyphs = 25;

struct FontGlyph {
  int32_t texture;
  int32_t material;
  float left, top, right, bottom;  // 0-255 units of the texture, v from the top
  float width, height;             // |right - left|, |bottom - top|
  uint8_t flags;
};

struct Font {
  FontGlyph glyphs[256];
  float scaleX, scaleY;
  float spacing;  // extra advance after each glyph, before scaling
  float penX, penY;
  float depth;
  float averageWidth, averageHeight;
  float scaledSpacing;  // spacing x scale x
  Font* prev;
  Font* next;
};

// True between wre_FontInit and wre_FontTerm.
bool wre_FontStarted();
int32_t wre_FontInit();
int32_t wre_FontTerm();
int32_t wre_FontNew(Font** out);
int32_t wre_FontDispose(Font* font);
int32_t wre_FontSetGlyph(Font* font, int32_t texture, int32_t material, uint8_t character, const float rect[4]);
int32_t wre_FontSetScale(Font* font, float scaleX, float scaleY);
int32_t wre_FontSetSpacing(Font* font, float spacing);
// Averages the scaled sizes of up to 25 defined glyphs from '0' upward (0 when there is none) and
// gives them truncated.
int32_t wre_FontGetCharSize(Font* font, int32_t* width, int32_t* height);
// Makes a font and reads "kVKT_FontCharacterDef <char> <texture file> <left> <top> <right> <bottom>"
// lines from the file in the current data folder. A failure notes the file (wre_FileNoteFailed).
int32_t wre_FontLoadDefinition(Font** out, const char* fileName, int32_t material);
