#include "engine/data/bmp.h"

#include <cstring>

#include "platform/plat_bytes.h"

namespace {

constexpr size_t kFileHeaderSize = 14;

struct BitmapHeaders {
  int32_t width;
  int32_t height;
  int32_t bitsPerPixel;
  int32_t headerSize;
  int32_t compression;
  int32_t planes;
  int32_t imageSize;
  uint32_t coloursUsed;
  int32_t coloursImportant;
  size_t pixelOffset;
  size_t paletteOffset;
};

// Bytes of one stored row, padded to a multiple of 4.
size_t RowStride(int32_t width, int32_t bitsPerPixel) {
  return (static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel) + 31) / 32 * 4;
}

// Reads both headers; false when they do not fit the data or the info header has a size the decoder
// does not read. Nothing beyond the headers is looked at.
bool ParseHeaders(const uint8_t* data, size_t length, BitmapHeaders* h) {
  if (!data || length < kFileHeaderSize + 4) return false;
  if (data[0] != 'B' || data[1] != 'M') return false;
  *h = BitmapHeaders{};
  h->pixelOffset = plat_Le32(data + 10);
  uint32_t size = plat_Le32(data + 14);
  if (size == 40 || size == 64) {
    if (length < kFileHeaderSize + size) return false;
    h->width = plat_LeInt32(data + 18);
    h->height = plat_LeInt32(data + 22);
    h->planes = plat_Le16(data + 26);
    h->bitsPerPixel = plat_Le16(data + 28);
    h->compression = plat_LeInt32(data + 30);
    h->imageSize = plat_LeInt32(data + 34);
    h->coloursUsed = plat_Le32(data + 46);
    h->coloursImportant = plat_LeInt32(data + 50);
  } else if (size == 12) {
    if (length < kFileHeaderSize + size) return false;
    h->width = static_cast<int16_t>(plat_Le16(data + 18));
    h->height = static_cast<int16_t>(plat_Le16(data + 20));
    h->planes = plat_Le16(data + 22);
    h->bitsPerPixel = plat_Le16(data + 24);
    int64_t rowBytes = (static_cast<int64_t>(h->planes) * h->bitsPerPixel * h->width + 31) / 32 * 4;
    int64_t image = rowBytes * h->height;
    h->imageSize = image > INT32_MAX || image < INT32_MIN ? 0 : static_cast<int32_t>(image);
  } else {
    return false;
  }
  h->headerSize = static_cast<int32_t>(size);
  if ((h->bitsPerPixel == 4 || h->bitsPerPixel == 8) && h->coloursUsed == 0) {
    h->coloursUsed = 1u << h->bitsPerPixel;
  }
  h->paletteOffset = kFileHeaderSize + size;
  return true;
}

size_t PaletteEntrySize(int32_t headerSize) { return headerSize == 12 ? 3 : 4; }

// Everything the decoder will read lies inside the data, and the image is one it decodes.
bool Decodable(const BitmapHeaders& h, size_t length) {
  if (h.bitsPerPixel != 8 && h.bitsPerPixel != 24) return false;
  if (h.coloursUsed > 256) return false;
  // Top-down images (negative height) are not read.
  if (h.width < 1 || h.height < 1 || h.width > kBitmapMaxSide || h.height > kBitmapMaxSide) return false;
  if (h.bitsPerPixel == 8) {
    size_t paletteBytes = static_cast<size_t>(h.coloursUsed) * PaletteEntrySize(h.headerSize);
    if (h.paletteOffset > length || paletteBytes > length - h.paletteOffset) return false;
  }
  if (h.pixelOffset >= length) return false;
  bool compressed = h.bitsPerPixel == 8 && h.compression == 1;
  if (!compressed) {
    // Every row but the last with its padding, the last at least to its final pixel.
    size_t stride = RowStride(h.width, h.bitsPerPixel);
    size_t needed = stride * static_cast<size_t>(h.height - 1) +
                    static_cast<size_t>(h.width) * static_cast<size_t>(h.bitsPerPixel / 8);
    if (needed > length - h.pixelOffset) return false;
  }
  return true;
}

bool ImageFits(const Offscreen* o, int32_t width, int32_t height, int32_t bytesPerPixel) {
  if (!o || !o->pixels || width < 1 || height < 1) return false;
  if (o->width != width || o->height != height) return false;
  int64_t rowLength = static_cast<int64_t>(width) * bytesPerPixel;
  if (o->rowBytes < rowLength) return false;
  return static_cast<int64_t>(o->rowBytes) * (height - 1) + rowLength <= o->pixelBytes;
}

// RLE8: pairs of bytes; rows from the bottom of the image up. Runs and deltas that reach past the
// row end are clipped there; decoding stops at the end of the data, at the end-of-bitmap code, or
// once the position has left the top of the image.
void DecodeRle8(const uint8_t* in, size_t available, int32_t width, int32_t height, Offscreen* o) {
  size_t pos = 0;
  int64_t x = 0;
  int64_t y = 0;  // rows from the bottom
  auto put = [&](uint8_t value) {
    if (x >= 0 && x < width && y >= 0 && y < height) {
      o->pixels[static_cast<size_t>(height - 1 - y) * static_cast<size_t>(o->rowBytes) + static_cast<size_t>(x)] =
          value;
    }
    ++x;
  };
  while (y < height && available - pos >= 2) {
    uint8_t count = in[pos];
    uint8_t value = in[pos + 1];
    pos += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count; ++i) put(value);
      continue;
    }
    switch (value) {
      case 0:
        x = 0;
        ++y;
        break;
      case 1: return;
      case 2:
        if (available - pos < 2) return;
        x += in[pos];
        y += in[pos + 1];
        pos += 2;
        break;
      default: {
        size_t n = value;
        if (available - pos < n) return;
        for (size_t i = 0; i < n; ++i) put(in[pos + i]);
        pos += n;
        if (n & 1) {
          if (available - pos < 1) return;
          ++pos;
        }
        break;
      }
    }
  }
}

}  // namespace

bool wre_BitmapIsBMP(const uint8_t* data, int32_t length) {
  return data && length >= 2 && data[0] == 'B' && data[1] == 'M';
}

int32_t wre_BitmapReadHeader(const uint8_t* data, int32_t length, int32_t* width, int32_t* height,
                             int32_t* bitsPerPixel, int32_t* headerSize, int32_t* compression, int32_t* planes,
                             const uint8_t** pixels, int32_t* imageSize, int32_t* coloursUsed,
                             int32_t* coloursImportant, const uint8_t** palette) {
  if (!wre_BitmapIsBMP(data, length)) return -1;
  BitmapHeaders h;
  auto size = static_cast<size_t>(length);
  if (!ParseHeaders(data, size, &h)) return -1;
  if (h.pixelOffset >= size || h.paletteOffset > size) return -1;
  if (width) *width = h.width;
  if (height) *height = h.height;
  if (bitsPerPixel) *bitsPerPixel = h.bitsPerPixel;
  if (headerSize) *headerSize = h.headerSize;
  if (compression) *compression = h.compression;
  if (planes) *planes = h.planes;
  if (pixels) *pixels = data + h.pixelOffset;
  if (imageSize) *imageSize = h.imageSize;
  if (coloursUsed) *coloursUsed = h.coloursUsed > INT32_MAX ? INT32_MAX : static_cast<int32_t>(h.coloursUsed);
  if (coloursImportant) *coloursImportant = h.coloursImportant;
  if (palette) *palette = data + h.paletteOffset;
  return 0;
}

Offscreen* wre_OffscreenLoadBMPMemory(const uint8_t* data, int32_t length) {
  if (!data || length <= 0) return nullptr;
  auto size = static_cast<size_t>(length);
  BitmapHeaders h;
  if (!ParseHeaders(data, size, &h) || !Decodable(h, size)) return nullptr;
  WreRect rect{0, 0, h.width, h.height};
  Offscreen* o = wre_OffscreenNew(kOffscreenMemory, &rect, 0, h.bitsPerPixel, static_cast<int32_t>(h.coloursUsed),
                                  nullptr, nullptr);
  if (!o) return nullptr;
  if (wre_BitmapDecodePixels(data + h.pixelOffset, size - h.pixelOffset, data + h.paletteOffset, h.width, h.height,
                             h.bitsPerPixel, o, static_cast<int32_t>(h.coloursUsed), h.headerSize,
                             h.compression) != 0) {
    wre_OffscreenDispose(o);
    return nullptr;
  }
  return o;
}

int32_t wre_BitmapDecodePixels(const uint8_t* pixels, size_t available, const uint8_t* palette, int32_t width,
                               int32_t height, int32_t bitsPerPixel, Offscreen* offscreen, int32_t coloursUsed,
                               int32_t headerSize, int32_t compression) {
  switch (bitsPerPixel) {
    case 8:
      return wre_BitmapDecode8(pixels, available, palette, width, height, offscreen, coloursUsed, headerSize,
                               compression);
    case 24: return wre_BitmapDecode24(pixels, available, width, height, offscreen);
    default: return -1;
  }
}

int32_t wre_BitmapDecode8(const uint8_t* pixels, size_t available, const uint8_t* palette, int32_t width,
                          int32_t height, Offscreen* o, int32_t coloursUsed, int32_t headerSize,
                          int32_t compression) {
  if (!pixels || !ImageFits(o, width, height, 1) || o->depth != 8) return -1;
  if (coloursUsed < 0 || coloursUsed > 256 || (coloursUsed > 0 && !palette)) return -1;
  size_t entry = PaletteEntrySize(headerSize);
  for (int32_t i = 0; i < coloursUsed; ++i) {
    const uint8_t* e = palette + static_cast<size_t>(i) * entry;
    uint8_t blue = e[0];
    uint8_t green = e[1];
    uint8_t red = e[2];
    uint8_t reserved = entry == 4 ? e[3] : 0;
    uint8_t argb[4] = {reserved, red, green, blue};
    uint8_t rgb0[4] = {red, green, blue, 0};
    std::memcpy(o->paletteB[i], argb, 4);
    std::memcpy(o->paletteA[i], rgb0, 4);
  }
  if (compression == 1) {
    DecodeRle8(pixels, available, width, height, o);
    return 0;
  }
  size_t stride = RowStride(width, 8);
  if (stride * static_cast<size_t>(height - 1) + static_cast<size_t>(width) > available) return -1;
  for (int32_t i = 0; i < height; ++i) {
    std::memcpy(o->pixels + static_cast<size_t>(height - 1 - i) * static_cast<size_t>(o->rowBytes),
                pixels + static_cast<size_t>(i) * stride, static_cast<size_t>(width));
  }
  return 0;
}

int32_t wre_BitmapDecode24(const uint8_t* pixels, size_t available, int32_t width, int32_t height, Offscreen* o) {
  if (!pixels || !o || (o->depth != 24 && o->depth != 32)) return -1;
  int32_t outBytes = o->depth / 8;
  if (!ImageFits(o, width, height, outBytes)) return -1;
  size_t stride = RowStride(width, 24);
  if (stride * static_cast<size_t>(height - 1) + static_cast<size_t>(width) * 3 > available) return -1;
  for (int32_t i = 0; i < height; ++i) {
    const uint8_t* in = pixels + static_cast<size_t>(i) * stride;
    uint8_t* out = o->pixels + static_cast<size_t>(height - 1 - i) * static_cast<size_t>(o->rowBytes);
    for (int32_t x = 0; x < width; ++x, in += 3) {
      if (outBytes == 4) *out++ = 0;
      *out++ = in[2];
      *out++ = in[1];
      *out++ = in[0];
    }
  }
  return 0;
}
