// Blended and colour-keyed span fillers: one routine per family, one instance per texture size,
// reached through a constant table of 81 entries (entry 9 x log2 height + log2 width).
#pragma once
#include <array>
#include <cstdint>

#include "engine/render/spans/soft_records.h"
#include "engine/render/spans/span_sizes.h"

// Lays the lit texel over the frame pixel weighted by (frame weight >> 10) / 32.
template <int kLog2W, int kLog2H>
int32_t wre_SpanBlend(SoftPolygon* polygon, uint16_t* frameFirstPixel, int32_t framePitch, const uint16_t* texels);

// Stores the lit texel plus the polygon's additive colour; never reads the frame.
template <int kLog2W, int kLog2H>
int32_t wre_SpanKeyed(SoftPolygon* polygon, uint16_t* frameFirstPixel, int32_t framePitch, const uint16_t* texels);

extern const std::array<SpanFillFn, kSpanFillCount> kSpanFillBlend;
extern const std::array<SpanFillFn, kSpanFillCount> kSpanFillKeyed;

// The members by name: wre_SpanBlend_16x2 is entry 13, wre_SpanKeyed_256x256 entry 80.
#define WRE_SPAN_NAME_TRANSLUCENT(W, H, w, h)                                  \
  inline constexpr SpanFillFn wre_SpanBlend_##W##x##H = &wre_SpanBlend<w, h>; \
  inline constexpr SpanFillFn wre_SpanKeyed_##W##x##H = &wre_SpanKeyed<w, h>;
WRE_SPAN_SIZES(WRE_SPAN_NAME_TRANSLUCENT)
#undef WRE_SPAN_NAME_TRANSLUCENT

// The filler for a polygon left after the opaque pass: blended for a frame weight word of 1024 or
// more (whether or not its texture is colour-keyed), colour-keyed below. No range test on the sizes.
inline SpanFillFn wre_SpanFillLookup(uint16_t frameWeight, uint8_t log2Width, uint8_t log2Height) {
  const auto& table = frameWeight >= 1024 ? kSpanFillBlend : kSpanFillKeyed;
  return table[wre_SpanFillIndex(log2Width, log2Height)];
}
