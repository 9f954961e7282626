#include "tools/datagen/raster.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cmath>

#include "tools/datagen/bmp_writer.h"

namespace {

// Letters 32..126, seven rows each, bit 4 the leftmost column.
constexpr uint8_t kGlyphs[95][7] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04},
    {0x0A, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x0A, 0x1F, 0x0A, 0x0A, 0x1F, 0x0A, 0x00},
    {0x04, 0x0F, 0x14, 0x0E, 0x05, 0x1E, 0x04}, {0x19, 0x19, 0x02, 0x04, 0x08, 0x13, 0x13},
    {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D}, {0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}, {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08},
    {0x00, 0x0A, 0x04, 0x1F, 0x04, 0x0A, 0x00}, {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}, {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}, {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10},
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}, {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x04, 0x08},
    {0x02, 0x04, 0x08, 0x10, 0x08, 0x04, 0x02}, {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00},
    {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08}, {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04},
    {0x0E, 0x11, 0x01, 0x0D, 0x15, 0x15, 0x0E}, {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},
    {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}, {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},
    {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}, {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F},
    {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}, {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}, {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11},
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}, {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11},
    {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}, {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},
    {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D},
    {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}, {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},
    {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}, {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A},
    {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}, {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04},
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}, {0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0E},
    {0x10, 0x10, 0x08, 0x04, 0x02, 0x01, 0x01}, {0x0E, 0x02, 0x02, 0x02, 0x02, 0x02, 0x0E},
    {0x04, 0x0A, 0x11, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F},
    {0x08, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F},
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x1E}, {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E},
    {0x01, 0x01, 0x0D, 0x13, 0x11, 0x11, 0x0F}, {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E},
    {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08}, {0x00, 0x0F, 0x11, 0x11, 0x0F, 0x01, 0x0E},
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x11}, {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E},
    {0x02, 0x00, 0x06, 0x02, 0x02, 0x12, 0x0C}, {0x10, 0x10, 0x12, 0x14, 0x18, 0x14, 0x12},
    {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}, {0x00, 0x00, 0x1A, 0x15, 0x15, 0x11, 0x11},
    {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11}, {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E},
    {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}, {0x00, 0x00, 0x0D, 0x13, 0x0F, 0x01, 0x01},
    {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}, {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E},
    {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06}, {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D},
    {0x00, 0x00, 0x11, 0x11, 0x11, 0x0A, 0x04}, {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0A},
    {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11}, {0x00, 0x00, 0x11, 0x11, 0x0F, 0x01, 0x0E},
    {0x00, 0x00, 0x1F, 0x02, 0x04, 0x08, 0x1F}, {0x02, 0x04, 0x04, 0x08, 0x04, 0x04, 0x02},
    {0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x08, 0x04, 0x04, 0x02, 0x04, 0x04, 0x08},
    {0x00, 0x00, 0x08, 0x15, 0x02, 0x00, 0x00},
};

int32_t Channel(uint32_t colour, int shift) { return static_cast<int32_t>((colour >> shift) & 0xFF); }

uint32_t Pack(int32_t r, int32_t g, int32_t b) {
  auto clamp = [](int32_t v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
  return clamp(r) << 16 | clamp(g) << 8 | clamp(b);
}

uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

// Value noise, smoothly interpolated between random lattice values (-1..1) every `cell` pixels
// and wrapping at the plane's edges: adds amount x noise, rounded, for rows [from, to) of a
// width x height plane into out (those rows only, top first).
void AddNoise(std::vector<int32_t>& out, int32_t width, int32_t height, int32_t from, int32_t to, int32_t amount,
              int32_t cell, uint32_t seed) {
  if (cell < 1) cell = 1;
  const int32_t cellsX = std::max(1, (width + cell - 1) / cell), cellsY = std::max(1, (height + cell - 1) / cell);
  std::vector<float> lattice(static_cast<size_t>(cellsX) * static_cast<size_t>(cellsY));
  for (int32_t gy = 0; gy < cellsY; ++gy)
    for (int32_t gx = 0; gx < cellsX; ++gx) {
      const uint32_t h = Hash((seed * 7919u + static_cast<uint32_t>(gx) * 73856093u) ^ (static_cast<uint32_t>(gy) * 19349663u));
      lattice[static_cast<size_t>(gy) * cellsX + gx] = static_cast<float>(h & 0xFFFF) / 65535.0f * 2.0f - 1.0f;
    }
  auto at = [&](int32_t gx, int32_t gy) { return lattice[static_cast<size_t>(gy % cellsY) * cellsX + gx % cellsX]; };
  for (int32_t y = from; y < to; ++y) {
    const int32_t gy = y / cell;
    const float fy = static_cast<float>(y % cell) / static_cast<float>(cell);
    const float sy = fy * fy * (3 - 2 * fy);
    int32_t* row = out.data() + static_cast<size_t>(y - from) * static_cast<size_t>(width);
    for (int32_t x = 0; x < width; ++x) {
      const int32_t gx = x / cell;
      const float fx = static_cast<float>(x % cell) / static_cast<float>(cell);
      const float sx = fx * fx * (3 - 2 * fx);
      const float a = at(gx, gy), b = at(gx + 1, gy), c = at(gx, gy + 1), d = at(gx + 1, gy + 1);
      const float top = a + (b - a) * sx;
      const float low = c + (d - c) * sx;
      row[x] += static_cast<int32_t>(std::lround((top + (low - top) * sy) * static_cast<float>(amount)));
    }
  }
}

// A 4 x 4 ordered dither's thresholds, 0..15.
constexpr int32_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// The cube used when a picture has more than 256 colours: 6 reds, 7 greens, 6 blues.
constexpr int32_t kCubeR = 6, kCubeG = 7, kCubeB = 6;

int32_t CubeLevel(int32_t value, int32_t levels, int32_t dither) {
  const int32_t scaled = value * (levels - 1) * 16 + dither * 255;  // dither 0..15
  return std::clamp(scaled / (255 * 16), 0, levels - 1);
}

}  // namespace

uint32_t DataRandom::Next() {
  state = state * 1664525u + 1013904223u;
  return Hash(state);
}

float DataRandom::Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }

Canvas CanvasNew(int32_t width, int32_t height, uint32_t colour) {
  Canvas c;
  c.width = width;
  c.height = height;
  c.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), colour);
  return c;
}

uint32_t CanvasMix(uint32_t a, uint32_t b, float t) {
  auto mix = [&](int shift) {
    return static_cast<int32_t>(std::lround(Channel(a, shift) + (Channel(b, shift) - Channel(a, shift)) * t));
  };
  return Pack(mix(16), mix(8), mix(0));
}

void CanvasPut(Canvas& c, int32_t x, int32_t y, uint32_t colour) {
  if (x < 0 || y < 0 || x >= c.width || y >= c.height) return;
  c.pixels[static_cast<size_t>(y) * c.width + x] = colour;
}

uint32_t CanvasGet(const Canvas& c, int32_t x, int32_t y) {
  x = std::clamp(x, 0, c.width - 1);
  y = std::clamp(y, 0, c.height - 1);
  return c.pixels[static_cast<size_t>(y) * c.width + x];
}

void CanvasFill(Canvas& c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x) CanvasPut(c, x, y, colour);
}

void CanvasGradient(Canvas& c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t top, uint32_t bottom) {
  for (int32_t y = y0; y < y1; ++y) {
    const float t = y1 - y0 > 1 ? static_cast<float>(y - y0) / static_cast<float>(y1 - y0 - 1) : 0.0f;
    CanvasFill(c, x0, y, x1, y + 1, CanvasMix(top, bottom, t));
  }
}

void CanvasNoise(Canvas& c, int32_t amount, int32_t cell, uint32_t seed) {
  std::vector<int32_t> offsets(c.pixels.size(), 0);
  AddNoise(offsets, c.width, c.height, 0, c.height, amount, cell, seed);
  for (size_t i = 0; i < c.pixels.size(); ++i) {
    uint32_t& p = c.pixels[i];
    p = Pack(Channel(p, 16) + offsets[i], Channel(p, 8) + offsets[i], Channel(p, 0) + offsets[i]);
  }
}

void CanvasClouds(Canvas& c, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour, float coverage,
                  uint32_t seed) {
  // The octaves are laid on a plane as wide as the picture, so they wrap at its edges; only the
  // band's rows inside the picture are worked out.
  const int32_t height = std::max(1, y1 - y0), from = std::max(0, -y0), to = std::min(height, c.height - y0);
  if (to <= from) return;
  std::vector<int32_t> field(static_cast<size_t>(to - from) * static_cast<size_t>(c.width), 0);
  int32_t amount = 64;
  for (int32_t cell = std::max(8, c.width / 8), octave = 0; cell >= 4 && octave < 4; cell /= 2, ++octave) {
    AddNoise(field, c.width, height, from, to, amount, cell, seed + static_cast<uint32_t>(octave));
    amount /= 2;
  }
  const float threshold = 1.0f - 2.0f * std::clamp(coverage, 0.0f, 1.0f);
  const float fade = std::max(2.0f, static_cast<float>(y1 - y0) / 6.0f);
  for (int32_t y = y0 + from; y < y0 + to; ++y)
    for (int32_t x = std::max(0, x0); x < std::min(x1, c.width); ++x) {
      const float v = static_cast<float>(field[static_cast<size_t>(y - y0 - from) * c.width + x]) / 100.0f;
      const float edge = std::clamp(static_cast<float>(std::min(y - y0, y1 - 1 - y)) / fade, 0.0f, 1.0f);
      const float density = std::clamp((v - threshold) * 2.5f, 0.0f, 1.0f) * edge;
      if (density <= 0.0f) continue;
      uint32_t& p = c.pixels[static_cast<size_t>(y) * c.width + x];
      p = CanvasMix(p, colour, density * density * (3 - 2 * density) * 0.9f);
    }
}

void CanvasDither555(Canvas& c) {
  for (int32_t y = 0; y < c.height; ++y)
    for (int32_t x = 0; x < c.width; ++x) {
      uint32_t& p = c.pixels[static_cast<size_t>(y) * c.width + x];
      if (p == kKeyColour) continue;
      const int32_t d = kBayer[y & 3][x & 3] / 2;  // 0..7 of the 8-wide step
      auto level = [&](int shift) { return std::min(255, Channel(p, shift) + d) & 0xF8; };
      p = Pack(level(16), level(8), level(0));
      if (p == kKeyColour) p ^= 0x000800;
    }
}

void CanvasDisc(Canvas& c, float cx, float cy, float radius, uint32_t colour) {
  for (int32_t y = static_cast<int32_t>(cy - radius) - 1; y <= static_cast<int32_t>(cy + radius) + 1; ++y)
    for (int32_t x = static_cast<int32_t>(cx - radius) - 1; x <= static_cast<int32_t>(cx + radius) + 1; ++x) {
      const float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
      if (dx * dx + dy * dy <= radius * radius) CanvasPut(c, x, y, colour);
    }
}

void CanvasRing(Canvas& c, float cx, float cy, float radius, float thickness, uint32_t colour) {
  const float inner = std::max(0.0f, radius - thickness);
  for (int32_t y = static_cast<int32_t>(cy - radius) - 1; y <= static_cast<int32_t>(cy + radius) + 1; ++y)
    for (int32_t x = static_cast<int32_t>(cx - radius) - 1; x <= static_cast<int32_t>(cx + radius) + 1; ++x) {
      const float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
      const float d2 = dx * dx + dy * dy;
      if (d2 <= radius * radius && d2 >= inner * inner) CanvasPut(c, x, y, colour);
    }
}

void CanvasLine(Canvas& c, float x0, float y0, float x1, float y1, float thickness, uint32_t colour) {
  const float length = std::hypot(x1 - x0, y1 - y0);
  const int32_t steps = std::max(1, static_cast<int32_t>(length * 2.0f));
  for (int32_t i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    CanvasDisc(c, x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, thickness * 0.5f, colour);
  }
}

void CanvasBevel(Canvas& c, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t face) {
  CanvasGradient(c, left, top, right + 1, bottom + 1, CanvasMix(face, 0xFFFFFF, 0.25f), CanvasMix(face, 0, 0.2f));
  const uint32_t light = CanvasMix(face, 0xFFFFFF, 0.6f), dark = CanvasMix(face, 0, 0.6f);
  for (int32_t i = 0; i < 2; ++i) {
    CanvasFill(c, left + i, top + i, right + 1 - i, top + i + 1, light);
    CanvasFill(c, left + i, top + i, left + i + 1, bottom + 1 - i, light);
    CanvasFill(c, left + i, bottom - i, right + 1 - i, bottom + 1 - i, dark);
    CanvasFill(c, right - i, top + i, right + 1 - i, bottom + 1 - i, dark);
  }
}

uint8_t CanvasGlyphRow(unsigned char letter, int32_t row) {
  if (letter < 32 || letter > 126 || row < 0 || row > 6) return 0;
  return kGlyphs[letter - 32][row];
}

int32_t CanvasTextWidth(const std::string& text, int32_t scale) {
  return text.empty() ? 0 : static_cast<int32_t>(text.size()) * 6 * scale - scale;
}

void CanvasText(Canvas& c, int32_t x, int32_t y, const std::string& text, int32_t scale, uint32_t colour) {
  for (size_t i = 0; i < text.size(); ++i) {
    const int32_t left = x + static_cast<int32_t>(i) * 6 * scale;
    for (int32_t row = 0; row < 7; ++row) {
      const uint8_t bits = CanvasGlyphRow(static_cast<unsigned char>(text[i]), row);
      for (int32_t col = 0; col < 5; ++col)
        if (bits & (0x10 >> col))
          CanvasFill(c, left + col * scale, y + row * scale, left + (col + 1) * scale, y + (row + 1) * scale, colour);
    }
  }
}

void CanvasTextCentred(Canvas& c, int32_t cx, int32_t y, const std::string& text, int32_t scale, uint32_t colour) {
  const int32_t x = cx - CanvasTextWidth(text, scale) / 2;
  CanvasText(c, x + 1, y + 1, text, scale, CanvasMix(colour, 0, 0.8f));
  CanvasText(c, x, y, text, scale, colour);
}

std::vector<uint8_t> CanvasBmp24(const Canvas& c) {
  std::vector<uint8_t> rgb;
  rgb.reserve(c.pixels.size() * 3);
  for (uint32_t p : c.pixels) {
    rgb.push_back(static_cast<uint8_t>(p >> 16));
    rgb.push_back(static_cast<uint8_t>(p >> 8));
    rgb.push_back(static_cast<uint8_t>(p));
  }
  return BmpWriteRgb(c.width, c.height, rgb.data());
}

// The canvas with each channel rounded to 2^bits steps (the key colour kept exact).
Canvas Posterised(const Canvas& c, int32_t bits) {
  Canvas out = c;
  if (bits == 0) return out;
  for (uint32_t& p : out.pixels) {
    if (p == kKeyColour) continue;
    auto step = [&](int shift) {
      const int32_t v = Channel(p, shift), unit = 1 << bits;
      return std::min(255, (v + unit / 2) / unit * unit);
    };
    p = Pack(step(16), step(8), step(0));
    if (p == kKeyColour) p ^= 0x000100;
  }
  return out;
}

// A picture's own colours when it has at most 256, in an open-addressed table (plain loops keep
// this quick over the tree's many large pictures).
struct OwnColours {
  static constexpr uint32_t kSlots = 1024, kEmpty = 0xFFFFFFFFu;  // colours are 24-bit
  std::vector<uint32_t> key = std::vector<uint32_t>(kSlots, kEmpty);
  std::vector<uint8_t> index = std::vector<uint8_t>(kSlots, 0);
  std::vector<uint32_t> ascending;

  uint32_t Slot(uint32_t colour) const {
    uint32_t at = Hash(colour) & (kSlots - 1);
    while (key[at] != kEmpty && key[at] != colour) at = (at + 1) & (kSlots - 1);
    return at;
  }
  // False when the picture has more than 256 colours.
  bool Take(const std::vector<uint32_t>& pixels) {
    uint32_t last = kEmpty;
    for (uint32_t p : pixels) {
      if (p == last) continue;
      last = p;
      const uint32_t at = Slot(p);
      if (key[at] == p) continue;
      if (ascending.size() == 256) return false;
      key[at] = p;
      ascending.push_back(p);
    }
    std::sort(ascending.begin(), ascending.end());
    for (size_t i = 0; i < ascending.size(); ++i) index[Slot(ascending[i])] = static_cast<uint8_t>(i);
    return true;
  }
};

std::vector<uint8_t> CanvasBmp8(const Canvas& original, bool rle8) {
  // Pictures of a narrow range of colours (water, rock, sand) keep their look with coarser
  // channels rather than a dithered cube.
  Canvas c = original;
  OwnColours own;
  bool fits = false;
  for (int32_t bits = 0; bits <= 3 && !fits; ++bits) {
    c = Posterised(original, bits);
    own = OwnColours{};
    fits = own.Take(c.pixels);
  }
  if (!fits) c = original;
  std::vector<BmpPaletteEntry> palette;
  std::vector<uint8_t> indices(c.pixels.size());
  if (fits) {
    for (uint32_t colour : own.ascending)
      palette.push_back({static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                         static_cast<uint8_t>(colour), 255});
    for (size_t i = 0; i < c.pixels.size(); ++i) indices[i] = own.index[own.Slot(c.pixels[i])];
  } else {
    for (int32_t r = 0; r < kCubeR; ++r)
      for (int32_t g = 0; g < kCubeG; ++g)
        for (int32_t b = 0; b < kCubeB; ++b)
          palette.push_back({static_cast<uint8_t>(r * 255 / (kCubeR - 1)), static_cast<uint8_t>(g * 255 / (kCubeG - 1)),
                             static_cast<uint8_t>(b * 255 / (kCubeB - 1)), 255});
    for (int32_t y = 0; y < c.height; ++y)
      for (int32_t x = 0; x < c.width; ++x) {
        const uint32_t p = c.pixels[static_cast<size_t>(y) * c.width + x];
        const int32_t d = p == kKeyColour ? 0 : kBayer[y & 3][x & 3];
        const int32_t r = CubeLevel(Channel(p, 16), kCubeR, d), g = CubeLevel(Channel(p, 8), kCubeG, d),
                      b = CubeLevel(Channel(p, 0), kCubeB, d);
        indices[static_cast<size_t>(y) * c.width + x] = static_cast<uint8_t>((r * kCubeG + g) * kCubeB + b);
      }
  }
  BmpWriteOptions options;
  options.rle8 = rle8;
  return BmpWriteIndexed(c.width, c.height, indices.data(), palette.data(), static_cast<int32_t>(palette.size()),
                         options);
}

std::vector<uint8_t> CanvasBmpUndithered(const Canvas& c) {
  OwnColours own;
  return own.Take(Posterised(c, 3).pixels) ? CanvasBmp8(c) : CanvasBmp24(c);
}

std::vector<uint32_t> CanvasSharedPalette(const std::vector<Canvas>& frames, std::vector<std::vector<uint8_t>>* indices) {
  // Colours are counted at 5 bits a channel; each box of the cut is a run of that histogram's
  // colours, split at the weighted median of its widest channel until there are 256.
  auto c555 = [](uint32_t p) { return (p >> 9 & 0x7C00) | (p >> 6 & 0x03E0) | (p >> 3 & 0x001F); };
  auto part = [](uint32_t v, int channel) { return static_cast<int32_t>(v >> (10 - 5 * channel) & 31); };
  std::vector<uint32_t> count(32768, 0);
  for (const Canvas& f : frames)
    for (uint32_t p : f.pixels) ++count[c555(p)];
  std::vector<uint32_t> colours;
  for (uint32_t v = 0; v < 32768; ++v)
    if (count[v]) colours.push_back(v);
  struct Box {
    size_t begin, end;
  };
  std::vector<Box> boxes{{0, colours.size()}};
  auto spread = [&](const Box& b, int channel) {
    int32_t lo = 31, hi = 0;
    for (size_t i = b.begin; i < b.end; ++i) lo = std::min(lo, part(colours[i], channel)), hi = std::max(hi, part(colours[i], channel));
    return hi - lo;
  };
  while (boxes.size() < 256) {
    size_t pick = boxes.size();
    int32_t widest = 0, channel = 0;
    for (size_t i = 0; i < boxes.size(); ++i)
      for (int ch = 0; ch < 3; ++ch)
        if (boxes[i].end - boxes[i].begin > 1 && spread(boxes[i], ch) > widest) pick = i, widest = spread(boxes[i], ch), channel = ch;
    if (pick == boxes.size()) break;
    Box& b = boxes[pick];
    std::stable_sort(colours.begin() + static_cast<std::ptrdiff_t>(b.begin), colours.begin() + static_cast<std::ptrdiff_t>(b.end),
                     [&](uint32_t l, uint32_t r) { return part(l, channel) < part(r, channel); });
    uint64_t total = 0, run = 0;
    for (size_t i = b.begin; i < b.end; ++i) total += count[colours[i]];
    size_t split = b.begin + 1;
    while (split < b.end - 1 && (run += count[colours[split - 1]]) * 2 < total) ++split;
    // The push may move the boxes: b is done with before it.
    const size_t end = b.end;
    b.end = split;
    boxes.push_back({split, end});
  }
  std::vector<uint32_t> palette(256, 0);
  std::vector<int16_t> nearest(32768, -1);
  for (size_t i = 0; i < boxes.size(); ++i) {
    uint64_t sum[3] = {0, 0, 0}, weight = 0;
    for (size_t k = boxes[i].begin; k < boxes[i].end; ++k) {
      for (int ch = 0; ch < 3; ++ch) sum[ch] += static_cast<uint64_t>(part(colours[k], ch)) * count[colours[k]];
      weight += count[colours[k]];
    }
    if (weight == 0) continue;
    auto level = [&](int ch) { return static_cast<int32_t>((sum[ch] * 255 + weight * 31 / 2) / (weight * 31)); };
    palette[i] = Pack(level(0), level(1), level(2));
  }
  indices->clear();
  for (const Canvas& f : frames) {
    std::vector<uint8_t>& out = indices->emplace_back(f.pixels.size());
    for (size_t i = 0; i < f.pixels.size(); ++i) {
      // An ordered dither of about one palette step keeps gradients from breaking into bands (its
      // mean offsets the rounding down to five bits).
      const int32_t d = kBayer[i / static_cast<size_t>(f.width) & 3][i % static_cast<size_t>(f.width) & 3] - 4;
      const uint32_t p = f.pixels[i];
      const uint32_t v = c555(Pack(Channel(p, 16) + d, Channel(p, 8) + d, Channel(p, 0) + d));
      if (nearest[v] < 0) {
        int32_t best = INT32_MAX;
        for (size_t k = 0; k < boxes.size(); ++k) {
          int32_t d = 0;
          for (int ch = 0; ch < 3; ++ch) {
            const int32_t e = part(v, ch) * 255 / 31 - Channel(palette[k], 16 - 8 * ch);
            d += e * e;
          }
          if (d < best) best = d, nearest[v] = static_cast<int16_t>(k);
        }
      }
      out[i] = static_cast<uint8_t>(nearest[v]);
    }
  }
  return palette;
}

std::vector<uint8_t> CanvasOpacityBmp(const std::vector<uint8_t>& alpha, int32_t width, int32_t height) {
  std::vector<BmpPaletteEntry> grey(256);
  for (int32_t i = 0; i < 256; ++i) {
    const auto v = static_cast<uint8_t>(i);
    grey[static_cast<size_t>(i)] = {v, v, v, 255};
  }
  return BmpWriteIndexed(width, height, alpha.data(), grey.data(), 256);
}
