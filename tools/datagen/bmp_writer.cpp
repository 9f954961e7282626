#include "tools/datagen/bmp_writer.h"

#include <cstddef>

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

size_t Stride(int32_t width, int32_t bitsPerPixel) {
  return (static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel) + 31) / 32 * 4;
}

// File and info headers for an image whose palette and pixels follow directly.
std::vector<uint8_t> Headers(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t headerSize,
                             uint32_t compression, uint32_t coloursUsed, size_t paletteBytes, size_t pixelBytes) {
  size_t pixelOffset = 14 + static_cast<size_t>(headerSize) + paletteBytes;
  std::vector<uint8_t> out(pixelOffset, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(pixelOffset + pixelBytes));
  Put32(out, 10, static_cast<uint32_t>(pixelOffset));
  Put32(out, 14, static_cast<uint32_t>(headerSize));
  if (headerSize == 12) {
    Put16(out, 18, static_cast<uint32_t>(width));
    Put16(out, 20, static_cast<uint32_t>(height));
    Put16(out, 22, 1);
    Put16(out, 24, static_cast<uint32_t>(bitsPerPixel));
    return out;
  }
  Put32(out, 18, static_cast<uint32_t>(width));
  Put32(out, 22, static_cast<uint32_t>(height));
  Put16(out, 26, 1);
  Put16(out, 28, static_cast<uint32_t>(bitsPerPixel));
  Put32(out, 30, compression);
  Put32(out, 34, static_cast<uint32_t>(pixelBytes));
  Put32(out, 38, 2835);
  Put32(out, 42, 2835);
  Put32(out, 46, coloursUsed);
  Put32(out, 50, 0);
  return out;
}

}  // namespace

std::vector<uint8_t> BmpEncodeRle8Row(const uint8_t* row, int32_t width) {
  std::vector<uint8_t> out;
  int32_t x = 0;
  while (x < width) {
    int32_t run = 1;
    while (x + run < width && run < 255 && row[x + run] == row[x]) ++run;
    if (run >= 2) {
      out.push_back(static_cast<uint8_t>(run));
      out.push_back(row[x]);
      x += run;
      continue;
    }
    // A stretch of bytes that differ from their right neighbour.
    int32_t n = 1;
    while (x + n < width && n < 255 && (x + n + 1 >= width || row[x + n] != row[x + n + 1])) ++n;
    if (n >= 3) {
      out.push_back(0);
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), row + x, row + x + n);
      if (n & 1) out.push_back(0);
    } else {
      for (int32_t i = 0; i < n; ++i) {
        out.push_back(1);
        out.push_back(row[x + i]);
      }
    }
    x += n;
  }
  return out;
}

std::vector<uint8_t> BmpWriteIndexed(int32_t width, int32_t height, const uint8_t* indices,
                                     const BmpPaletteEntry* palette, int32_t paletteCount,
                                     const BmpWriteOptions& options) {
  bool core = options.headerSize == 12;
  int32_t entries = core ? 256 : paletteCount;
  size_t entrySize = core ? 3 : 4;
  std::vector<uint8_t> pixels;
  if (options.rle8 && !core) {
    for (int32_t y = height - 1; y >= 0; --y) {
      std::vector<uint8_t> codes = BmpEncodeRle8Row(indices + static_cast<size_t>(y) * static_cast<size_t>(width), width);
      pixels.insert(pixels.end(), codes.begin(), codes.end());
      pixels.push_back(0);  // end of line
      pixels.push_back(0);
    }
    pixels.push_back(0);  // end of bitmap
    pixels.push_back(1);
  } else {
    size_t stride = Stride(width, 8);
    pixels.assign(stride * static_cast<size_t>(height), 0);
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* in = indices + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width);
      for (int32_t x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(x)] = in[x];
    }
  }
  size_t paletteBytes = static_cast<size_t>(entries) * entrySize;
  std::vector<uint8_t> out = Headers(width, height, 8, options.headerSize, options.rle8 && !core ? 1 : 0,
                                     static_cast<uint32_t>(paletteCount), paletteBytes, pixels.size());
  size_t at = 14 + static_cast<size_t>(options.headerSize);
  for (int32_t i = 0; i < entries && i < paletteCount; ++i) {
    out[at + static_cast<size_t>(i) * entrySize] = palette[i].blue;
    out[at + static_cast<size_t>(i) * entrySize + 1] = palette[i].green;
    out[at + static_cast<size_t>(i) * entrySize + 2] = palette[i].red;
    if (!core) out[at + static_cast<size_t>(i) * entrySize + 3] = palette[i].reserved;
  }
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

std::vector<uint8_t> BmpWriteRgb(int32_t width, int32_t height, const uint8_t* rgb, const BmpWriteOptions& options) {
  size_t stride = Stride(width, 24);
  std::vector<uint8_t> pixels(stride * static_cast<size_t>(height), 0);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = rgb + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) * 3;
    uint8_t* row = pixels.data() + static_cast<size_t>(y) * stride;
    for (int32_t x = 0; x < width; ++x) {
      row[x * 3] = in[x * 3 + 2];
      row[x * 3 + 1] = in[x * 3 + 1];
      row[x * 3 + 2] = in[x * 3];
    }
  }
  std::vector<uint8_t> out = Headers(width, height, 24, options.headerSize, 0, 0, 0, pixels.size());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}
