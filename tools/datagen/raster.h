// Pictures for the data tree: an RGB canvas with the few drawing operations the menus, screens,
// sheets and textures need (fills, gradients, noise, bevelled boxes, discs, lines and text in a
// built-in 5 x 7 letter set), and its conversion to the BMP files the texture loader reads.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Colours are 0x00RRGGBB.
struct Canvas {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // top row first
};

// Colour keys of the keyed textures: the texture lists name them with these components.
constexpr uint32_t kKeyColour = 0xFF00FF;
constexpr int32_t kKeyRed = 255, kKeyGreen = 0, kKeyBlue = 255;

Canvas CanvasNew(int32_t width, int32_t height, uint32_t colour);
uint32_t CanvasMix(uint32_t a, uint32_t b, float t);  // t 0 gives a, 1 gives b
void CanvasPut(Canvas& c, int32_t x, int32_t y, uint32_t colour);  // outside: ignored
uint32_t CanvasGet(const Canvas& c, int32_t x, int32_t y);          // clamped to the edges
void CanvasFill(Canvas& c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);  // x1, y1 excluded
void CanvasGradient(Canvas& c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t top, uint32_t bottom);
// Adds +-amount per channel of value noise with cells of `cell` pixels, the same for the same seed.
void CanvasNoise(Canvas& c, int32_t amount, int32_t cell, uint32_t seed);
void CanvasDisc(Canvas& c, float cx, float cy, float radius, uint32_t colour);
void CanvasRing(Canvas& c, float cx, float cy, float radius, float thickness, uint32_t colour);
void CanvasLine(Canvas& c, float x0, float y0, float x1, float y1, float thickness, uint32_t colour);
// Soft clouds over the rectangle: a few octaves of the noise above, the denser parts mixed toward
// `colour` (coverage 0..1 the share of the sky they cover), fading out at the rectangle's top and
// bottom and tiling across the canvas's width.
void CanvasClouds(Canvas& c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour, float coverage,
                  uint32_t seed);
// Rounds every channel to the 32 levels of a 16-bit frame with an ordered dither, so that the
// frame shows a smooth gradient rather than bands (the key colour is kept).
void CanvasDither555(Canvas& c);
// A raised box over the inclusive rectangle: a face with a light top-left and dark bottom-right rim.
void CanvasBevel(Canvas& c, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t face);

// Text in the 5 x 7 letters, each pixel drawn scale x scale, a letter advancing 6 x scale.
int32_t CanvasTextWidth(const std::string& text, int32_t scale);
void CanvasText(Canvas& c, int32_t x, int32_t y, const std::string& text, int32_t scale, uint32_t colour);
// With a one-pixel dark shadow, centred on cx.
void CanvasTextCentred(Canvas& c, int32_t cx, int32_t y, const std::string& text, int32_t scale, uint32_t colour);
// Row r (0-6) of a letter's 5 x 7 pattern, bit 4 the leftmost; 0 for letters outside 32-126.
uint8_t CanvasGlyphRow(unsigned char letter, int32_t row);

// BMP files of the canvas: 24-bit, or 8-bit with its own colours when it has at most 256 (else
// mapped, dithered, onto a fixed 252-colour cube that keeps the key colour and pure black and white).
std::vector<uint8_t> CanvasBmp24(const Canvas& c);
std::vector<uint8_t> CanvasBmp8(const Canvas& c, bool rle8 = false);
// A BMP file of the canvas without any dither: 8-bit when its colours, rounded to the 32 levels a
// channel of a 16-bit frame shows, fit one palette, else 24-bit. For smooth pictures seen magnified,
// where a dither's pattern would show.
std::vector<uint8_t> CanvasBmpUndithered(const Canvas& c);
// One palette of 256 colours for all the frames (a median cut of their colours) and each frame's
// pixels as indices into it, top row first: the frames of an 8-bit clip.
std::vector<uint32_t> CanvasSharedPalette(const std::vector<Canvas>& frames, std::vector<std::vector<uint8_t>>* indices);
// An opacity companion: the brightness of each pixel is its opacity, as an 8-bit grey BMP.
std::vector<uint8_t> CanvasOpacityBmp(const std::vector<uint8_t>& alpha, int32_t width, int32_t height);

// A number in 0 .. 2^32-1, the same sequence for the same seed.
struct DataRandom {
  uint32_t state;
  uint32_t Next();
  float Unit();  // 0 .. 1
};
