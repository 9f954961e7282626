// Windows bitmaps held whole in memory, decoded into memory offscreens: 8-bit (uncompressed or
// RLE8) and 24-bit images with a 40-, 64- or 12-byte info header.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/data/offscreen.h"

// Sides above this are refused, so that no header can ask for an unbounded pixel block.
constexpr int32_t kBitmapMaxSide = 8192;

// A kind-100 offscreen of depth 8 or 24, flags 0, rows stored top row first; null when the data is
// not a bitmap the decoder reads, or when any part of it lies outside the data.
Offscreen* wre_OffscreenLoadBMPMemory(const uint8_t* data, int32_t length);

// Fills every output that is not null; -1 without the "BM" signature or when the headers, the
// palette or the pixel data offset do not fit the data, else 0.
int32_t wre_BitmapReadHeader(const uint8_t* data, int32_t length, int32_t* width, int32_t* height,
                             int32_t* bitsPerPixel, int32_t* headerSize, int32_t* compression, int32_t* planes,
                             const uint8_t** pixels, int32_t* imageSize, int32_t* coloursUsed,
                             int32_t* coloursImportant, const uint8_t** palette);

// True when the data starts with "B" and "M".
bool wre_BitmapIsBMP(const uint8_t* data, int32_t length);

// Decode the pixel data (available bytes from pixels on) into the offscreen, which must have the
// image's size; the palette holds coloursUsed entries of 4 bytes (3 after a 12-byte header).
// 8 bits to wre_BitmapDecode8, 24 bits to wre_BitmapDecode24, any other depth -1.
int32_t wre_BitmapDecodePixels(const uint8_t* pixels, size_t available, const uint8_t* palette, int32_t width,
                               int32_t height, int32_t bitsPerPixel, Offscreen* offscreen, int32_t coloursUsed,
                               int32_t headerSize, int32_t compression);
int32_t wre_BitmapDecode8(const uint8_t* pixels, size_t available, const uint8_t* palette, int32_t width,
                          int32_t height, Offscreen* offscreen, int32_t coloursUsed, int32_t headerSize,
                          int32_t compression);
int32_t wre_BitmapDecode24(const uint8_t* pixels, size_t available, int32_t width, int32_t height,
                           Offscreen* offscreen);
