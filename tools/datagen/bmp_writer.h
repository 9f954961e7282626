// Writes Windows bitmaps the engine's decoder reads: 8-bit (uncompressed or RLE8) and 24-bit, with
// a 40-, 64- or 12-byte info header. Pixels are given top row first; the file stores them bottom-up.
#pragma once
#include <cstdint>
#include <vector>

struct BmpPaletteEntry {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t reserved;  // becomes the palette alpha in the engine: write 255 for visible colours
};

struct BmpWriteOptions {
  int32_t headerSize = 40;  // 40, 64 or 12
  bool rle8 = false;        // 8-bit only
};

// width x height palette indices; the palette has paletteCount entries (1..256). A 12-byte header
// always carries 256 three-byte entries, padded with black.
std::vector<uint8_t> BmpWriteIndexed(int32_t width, int32_t height, const uint8_t* indices,
                                     const BmpPaletteEntry* palette, int32_t paletteCount,
                                     const BmpWriteOptions& options = {});

// width x height pixels of red, green, blue bytes.
std::vector<uint8_t> BmpWriteRgb(int32_t width, int32_t height, const uint8_t* rgb, const BmpWriteOptions& options = {});

// One row as RLE8 codes: repeats as (count, value) runs, stretches of three or more differing bytes
// as literal runs; no end-of-line code.
std::vector<uint8_t> BmpEncodeRle8Row(const uint8_t* row, int32_t width);
