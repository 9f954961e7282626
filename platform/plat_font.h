// Platform layer: fonts and text drawing onto canvases (SDL2_ttf, faces found through fontconfig).
//
// Faces are asked for by family name; "MS Sans Serif" and "MS Shell Dlg" stand for DejaVu Sans,
// "System" for DejaVu Sans Condensed. Heights follow the classic font-creation rule: a positive
// height is the cell (line) height in pixels, a negative one the character (em) height, 0 the
// default; |height| is held to 4..200. Weights are 100..900 (400 normal, 700 bold, 0 normal).
// Text given to the drawing calls is bytes: valid UTF-8 is kept, every other byte is taken as
// Windows-1252.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/plat_canvas.h"

struct PlatFont;

// Null when no face could be opened at all.
PlatFont* plat_FontCreate(const char* face, int height, int weight);
void plat_FontDestroy(PlatFont* font);

// The shared fonts of the toolkit, made on first use and kept until the process ends:
// the dialog font ("MS Sans Serif" 8 point at 96 dots per inch, character height 11) and the
// system font (bold, character height 12, line step 14) that controls without a font of their
// own draw in.
PlatFont* plat_FontDialog();
PlatFont* plat_FontSystem();

// Line step in pixels (0 for no font).
int plat_FontHeight(const PlatFont* font);
// Width in pixels of UTF-8 text (0 for no font).
int plat_FontTextWidth(const PlatFont* font, const char* utf8, size_t length);
// The font file in use (empty for no font).
std::string plat_FontFile(const PlatFont* font);

// Bytes to displayable UTF-8: valid UTF-8 stays, other bytes are decoded as Windows-1252, tabs
// become blanks and other control characters except CR and LF become blanks.
std::string plat_TextForDisplay(const char* bytes, size_t length);

// Word wrapping, pure: splits the text into lines no wider than `width` as measured by `measure`.
// CR, LF and CR LF end lines; lines break between words at blanks (the blanks at a break are
// dropped); a word wider than the width stands alone on its line and is not split.
struct PlatTextLine {
  size_t start = 0;
  size_t length = 0;
};
using PlatMeasureFn = int (*)(const char* text, size_t length, void* user);
void plat_WrapText(const char* text, size_t length, int width, PlatMeasureFn measure, void* user,
                   std::vector<PlatTextLine>* lines);

// One line of UTF-8 text with its cell's top-left at x, y, blended in `colour` (transparent
// background), clipped to `clip` and the canvas.
void plat_DrawTextLine(PlatCanvas* canvas, const PlatFont* font, const char* utf8, size_t length,
                       int x, int y, PlatRect clip, uint32_t colour);
// One line centred in the rectangle both ways, clipped to it.
void plat_DrawTextCentred(PlatCanvas* canvas, const PlatFont* font, const char* utf8,
                          size_t length, PlatRect rect, uint32_t colour);
// The text (bytes, see above) word-wrapped into the rectangle, left-aligned from its top, line
// step = font height, clipped to the rectangle. Returns the height of the laid-out text.
int plat_DrawTextWrapped(PlatCanvas* canvas, const PlatFont* font, const char* bytes,
                         size_t length, PlatRect rect, uint32_t colour);
