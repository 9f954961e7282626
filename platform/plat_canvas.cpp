#include "platform/plat_canvas.h"

#include <algorithm>
#include <cstdio>

int plat_Bitmap8Stride(int width) { return width <= 0 ? 0 : ((width + 3) / 4) * 4; }

void plat_CanvasResize(PlatCanvas* canvas, int width, int height, uint32_t fill) {
  if (!canvas) return;
  canvas->width = std::max(width, 0);
  canvas->height = std::max(height, 0);
  canvas->pixels.assign(static_cast<size_t>(canvas->width) * static_cast<size_t>(canvas->height),
                        fill);
}

uint32_t plat_CanvasPixel(const PlatCanvas* canvas, int x, int y) {
  if (!canvas || x < 0 || y < 0 || x >= canvas->width || y >= canvas->height) return 0;
  return canvas->pixels[static_cast<size_t>(y) * static_cast<size_t>(canvas->width) +
                        static_cast<size_t>(x)];
}

void plat_CanvasSetPixel(PlatCanvas* canvas, int x, int y, uint32_t colour) {
  if (!canvas || x < 0 || y < 0 || x >= canvas->width || y >= canvas->height) return;
  canvas->pixels[static_cast<size_t>(y) * static_cast<size_t>(canvas->width) +
                 static_cast<size_t>(x)] = colour;
}

PlatRect plat_RectIntersect(PlatRect a, PlatRect b) {
  // 64-bit edges: rectangles near INT_MAX must not wrap.
  int64_t left = std::max<int64_t>(a.x, b.x);
  int64_t top = std::max<int64_t>(a.y, b.y);
  int64_t right = std::min<int64_t>(int64_t{a.x} + a.w, int64_t{b.x} + b.w);
  int64_t bottom = std::min<int64_t>(int64_t{a.y} + a.h, int64_t{b.y} + b.h);
  if (right <= left || bottom <= top) return PlatRect{};
  return PlatRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                  static_cast<int>(bottom - top)};
}

bool plat_RectContains(PlatRect r, int x, int y) {
  return r.w > 0 && r.h > 0 && x >= r.x && y >= r.y && int64_t{x} < int64_t{r.x} + r.w &&
         int64_t{y} < int64_t{r.y} + r.h;
}

bool plat_RectEmpty(PlatRect r) { return r.w <= 0 || r.h <= 0; }

void plat_CanvasFillRect(PlatCanvas* canvas, PlatRect rect, uint32_t colour) {
  if (!canvas) return;
  PlatRect r = plat_RectIntersect(rect, PlatRect{0, 0, canvas->width, canvas->height});
  for (int y = r.y; y < r.y + r.h; ++y) {
    uint32_t* row = canvas->pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(canvas->width);
    std::fill(row + r.x, row + r.x + r.w, colour);
  }
}

void plat_CanvasFrameRect(PlatCanvas* canvas, PlatRect rect, uint32_t colour) {
  plat_CanvasEdge(canvas, rect, colour, colour);
}

void plat_CanvasEdge(PlatCanvas* canvas, PlatRect rect, uint32_t topLeft, uint32_t bottomRight) {
  if (plat_RectEmpty(rect)) return;
  plat_CanvasFillRect(canvas, PlatRect{rect.x, rect.y, rect.w, 1}, topLeft);
  plat_CanvasFillRect(canvas, PlatRect{rect.x, rect.y, 1, rect.h}, topLeft);
  plat_CanvasFillRect(canvas, PlatRect{rect.x, rect.y + rect.h - 1, rect.w, 1}, bottomRight);
  plat_CanvasFillRect(canvas, PlatRect{rect.x + rect.w - 1, rect.y, 1, rect.h}, bottomRight);
}

void plat_CanvasBlendPixel(PlatCanvas* canvas, int x, int y, uint32_t colour, int alpha) {
  if (alpha <= 0) return;
  if (alpha >= 255) {
    plat_CanvasSetPixel(canvas, x, y, colour);
    return;
  }
  if (!canvas || x < 0 || y < 0 || x >= canvas->width || y >= canvas->height) return;
  uint32_t& dst = canvas->pixels[static_cast<size_t>(y) * static_cast<size_t>(canvas->width) +
                                 static_cast<size_t>(x)];
  auto mix = [alpha](int d, int s) { return d + ((s - d) * alpha + 127) / 255; };
  dst = plat_Rgb(mix(plat_RgbRed(dst), plat_RgbRed(colour)),
                 mix(plat_RgbGreen(dst), plat_RgbGreen(colour)),
                 mix(plat_RgbBlue(dst), plat_RgbBlue(colour)));
}

bool plat_CanvasDrawBitmap8(PlatCanvas* canvas, const PlatBitmap8* bitmap, int x, int y) {
  if (!canvas || !bitmap || !bitmap->bits || !bitmap->colourTable) return false;
  if (bitmap->width <= 0 || bitmap->height == 0 || bitmap->colourCount <= 0) return false;
  const int64_t rows = bitmap->height < 0 ? -int64_t{bitmap->height} : int64_t{bitmap->height};
  if (bitmap->stride < bitmap->width) return false;
  if (static_cast<uint64_t>(bitmap->stride) * static_cast<uint64_t>(rows) > bitmap->bitsSize)
    return false;

  uint32_t table[256];
  for (int i = 0; i < 256; ++i) {
    if (i < bitmap->colourCount) {
      const uint8_t* quad = bitmap->colourTable + 4 * i;
      table[i] = plat_Rgb(quad[2], quad[1], quad[0]);
    } else {
      table[i] = 0;
    }
  }
  const bool bottomUp = bitmap->height > 0;
  PlatRect target = plat_RectIntersect(PlatRect{x, y, bitmap->width, static_cast<int>(rows)},
                                       PlatRect{0, 0, canvas->width, canvas->height});
  for (int cy = target.y; cy < target.y + target.h; ++cy) {
    const int64_t row = cy - int64_t{y};  // 0 = the top row of the picture
    const int64_t stored = bottomUp ? rows - 1 - row : row;
    const uint8_t* src = bitmap->bits + static_cast<size_t>(stored) * static_cast<size_t>(bitmap->stride);
    uint32_t* dst = canvas->pixels.data() + static_cast<size_t>(cy) * static_cast<size_t>(canvas->width);
    for (int cx = target.x; cx < target.x + target.w; ++cx) dst[cx] = table[src[cx - x]];
  }
  return true;
}

bool plat_CanvasSavePpm(const PlatCanvas* canvas, const char* path) {
  if (!canvas || !path) return false;
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = std::fprintf(f, "P6\n%d %d\n255\n", canvas->width, canvas->height) > 0;
  std::vector<uint8_t> row(static_cast<size_t>(canvas->width) * 3);
  for (int y = 0; ok && y < canvas->height; ++y) {
    for (int x = 0; x < canvas->width; ++x) {
      uint32_t c = plat_CanvasPixel(canvas, x, y);
      row[3 * x] = static_cast<uint8_t>(plat_RgbRed(c));
      row[3 * x + 1] = static_cast<uint8_t>(plat_RgbGreen(c));
      row[3 * x + 2] = static_cast<uint8_t>(plat_RgbBlue(c));
    }
    ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
  }
  if (std::fclose(f) != 0) ok = false;
  return ok;
}
