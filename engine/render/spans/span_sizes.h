// The 81 texture sizes of the span fillers, in table order (entry 9 x log2 height + log2 width):
// X(width, height, log2 width, log2 height).
#pragma once

#define WRE_SPAN_SIZE_ROW(X, H, h)                                                                    \
  X(1, H, 0, h) X(2, H, 1, h) X(4, H, 2, h) X(8, H, 3, h) X(16, H, 4, h) X(32, H, 5, h) X(64, H, 6, h) \
      X(128, H, 7, h) X(256, H, 8, h)

#define WRE_SPAN_SIZES(X)                                                                          \
  WRE_SPAN_SIZE_ROW(X, 1, 0)                                                                       \
  WRE_SPAN_SIZE_ROW(X, 2, 1)                                                                       \
  WRE_SPAN_SIZE_ROW(X, 4, 2)                                                                       \
  WRE_SPAN_SIZE_ROW(X, 8, 3)                                                                       \
  WRE_SPAN_SIZE_ROW(X, 16, 4)                                                                      \
  WRE_SPAN_SIZE_ROW(X, 32, 5) WRE_SPAN_SIZE_ROW(X, 64, 6) WRE_SPAN_SIZE_ROW(X, 128, 7) WRE_SPAN_SIZE_ROW(X, 256, 8)

inline constexpr int kSpanFillCount = 81;

// Table entry of a texture 2^log2Width x 2^log2Height.
constexpr int wre_SpanFillIndex(int log2Width, int log2Height) { return 9 * log2Height + log2Width; }
