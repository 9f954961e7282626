// Platform layer: CPU canvases (32-bit pixels) and the drawing the dialog toolkit is made of.
//
// A canvas is a plain record: width x height pixels, rows top to bottom, each pixel 0x00RRGGBB.
// Every drawing call clips to the canvas (and, where it takes one, to a clip rectangle); nothing
// ever writes outside the pixel block.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct PlatRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

struct PlatCanvas {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height, row after row from the top
};

constexpr uint32_t plat_Rgb(int r, int g, int b) {
  return (static_cast<uint32_t>(r & 255) << 16) | (static_cast<uint32_t>(g & 255) << 8) |
         static_cast<uint32_t>(b & 255);
}
constexpr int plat_RgbRed(uint32_t c) { return static_cast<int>((c >> 16) & 255); }
constexpr int plat_RgbGreen(uint32_t c) { return static_cast<int>((c >> 8) & 255); }
constexpr int plat_RgbBlue(uint32_t c) { return static_cast<int>(c & 255); }

// The classic three-dimensional palette of dialogs and controls.
constexpr uint32_t kPlatColourFace = plat_Rgb(192, 192, 192);
constexpr uint32_t kPlatColourHighlight = plat_Rgb(255, 255, 255);
constexpr uint32_t kPlatColourLight = plat_Rgb(223, 223, 223);
constexpr uint32_t kPlatColourShadow = plat_Rgb(128, 128, 128);
constexpr uint32_t kPlatColourDarkShadow = plat_Rgb(0, 0, 0);
constexpr uint32_t kPlatColourText = plat_Rgb(0, 0, 0);
constexpr uint32_t kPlatColourWindow = plat_Rgb(255, 255, 255);

// An 8-bit device-independent bitmap as it lies in memory: rows padded to `stride` bytes, stored
// bottom-up when `height` is positive and top-down when it is negative, each byte an index into
// `colourTable` (`colourCount` quads of blue, green, red, reserved).
struct PlatBitmap8 {
  int width = 0;
  int height = 0;
  int stride = 0;
  const uint8_t* bits = nullptr;
  size_t bitsSize = 0;
  const uint8_t* colourTable = nullptr;
  int colourCount = 0;
};

// Stride of an 8-bit row of the given width: padded to a multiple of 4 bytes.
int plat_Bitmap8Stride(int width);

// Resizes the canvas (contents become `fill`). Negative sizes count as 0.
void plat_CanvasResize(PlatCanvas* canvas, int width, int height, uint32_t fill);
// The pixel at x, y; 0 outside the canvas.
uint32_t plat_CanvasPixel(const PlatCanvas* canvas, int x, int y);
void plat_CanvasSetPixel(PlatCanvas* canvas, int x, int y, uint32_t colour);

PlatRect plat_RectIntersect(PlatRect a, PlatRect b);
bool plat_RectContains(PlatRect r, int x, int y);
bool plat_RectEmpty(PlatRect r);

void plat_CanvasFillRect(PlatCanvas* canvas, PlatRect rect, uint32_t colour);
// One-pixel frame along the inside of the rectangle.
void plat_CanvasFrameRect(PlatCanvas* canvas, PlatRect rect, uint32_t colour);
// One-pixel edge along the inside: top and left in `topLeft`, bottom and right in `bottomRight`.
void plat_CanvasEdge(PlatCanvas* canvas, PlatRect rect, uint32_t topLeft, uint32_t bottomRight);
// Mixes `colour` over the pixel with the coverage alpha (0 = keep, 255 = replace).
void plat_CanvasBlendPixel(PlatCanvas* canvas, int x, int y, uint32_t colour, int alpha);

// Draws the bitmap 1:1 with its top-left row at x, y through its colour table; indices past the
// table draw black. Returns false, drawing nothing, when the record is inconsistent (sizes not
// positive, stride too small, fewer bits than rows need, no colour table).
bool plat_CanvasDrawBitmap8(PlatCanvas* canvas, const PlatBitmap8* bitmap, int x, int y);

// Writes the canvas as a binary PPM (P6). True on success.
bool plat_CanvasSavePpm(const PlatCanvas* canvas, const char* path);
