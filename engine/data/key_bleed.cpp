#include "engine/data/key_bleed.h"

#include <cstddef>

namespace {

uint8_t* Texel(uint8_t* rgba, int32_t rowBytes, int32_t x, int32_t y) {
  return rgba + static_cast<size_t>(y) * static_cast<size_t>(rowBytes) + static_cast<size_t>(x) * 4;
}

int32_t Wrap(int32_t i, int32_t n) { return i < 0 ? i + n : (i >= n ? i - n : i); }

}  // namespace

void wre_KeyTexelsBleed(uint8_t* rgba, int32_t width, int32_t height, int32_t rowBytes) {
  if (!rgba || width < 1 || height < 1 || rowBytes < width * 4) return;
  // Only the alpha decides what is a key texel, and only key texels change colour, so the
  // neighbours read are never ones already changed.
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* t = Texel(rgba, rowBytes, x, y);
      if (t[3] != 0) continue;
      uint32_t sum[3] = {0, 0, 0};
      uint32_t count = 0;
      for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
          const uint8_t* n = Texel(rgba, rowBytes, Wrap(x + dx, width), Wrap(y + dy, height));
          if (n[3] == 0) continue;
          for (int c = 0; c < 3; ++c) sum[c] += n[c];
          ++count;
        }
      }
      if (count == 0) continue;
      for (int c = 0; c < 3; ++c) t[c] = static_cast<uint8_t>((sum[c] + count / 2) / count);
    }
  }
}
