// Blended and colour-keyed span fillers: one routine for both families, told apart by their step
// plan, one instance per texture size, reached through constant tables of 81 entries (entry
// 9 x log2 height + log2 width).
#pragma once
#include <array>
#include <cstdint>

#include "engine/render/spans/soft_records.h"
#include "engine/render/spans/span_sizes.h"
#include "engine/render/spans/span_walk.h"

// One member of either family, which its step plan names: kBlended lays the lit texel over the frame
// pixel weighted by (frame weight >> 10) / 32; kKeyed stores the lit texel plus the polygon's
// additive colour and never reads the frame. Texels whose bit 15 is clear leave the pixel as it is.
template <SpanPlan kPlan, int kLog2W, int kLog2H>
int32_t wre_SpanTranslucent(SoftPolygon* polygon, uint16_t* frameFirstPixel, int32_t framePitch,
                            const uint16_t* texels);

extern const std::array<SpanFillFn, kSpanFillCount> kSpanFillBlend;
extern const std::array<SpanFillFn, kSpanFillCount> kSpanFillKeyed;

// The members by name: wre_SpanBlend_16x2 is entry 13, wre_SpanKeyed_256x256 entry 80.
#define WRE_SPAN_NAME_TRANSLUCENT(W, H, w, h)                                                           \
  inline constexpr SpanFillFn wre_SpanBlend_##W##x##H = &wre_SpanTranslucent<SpanPlan::kBlended, w, h>; \
  inline constexpr SpanFillFn wre_SpanKeyed_##W##x##H = &wre_SpanTranslucent<SpanPlan::kKeyed, w, h>;
WRE_SPAN_SIZES(WRE_SPAN_NAME_TRANSLUCENT)
#undef WRE_SPAN_NAME_TRANSLUCENT

// The filler for a polygon left after the opaque pass: blended for a frame weight word of 1024 or
// more (whether or not its texture is colour-keyed), colour-keyed below. No range test on the sizes.
inline SpanFillFn wre_SpanFillLookup(uint16_t frameWeight, uint8_t log2Width, uint8_t log2Height) {
  const auto& table = frameWeight >= 1024 ? kSpanFillBlend : kSpanFillKeyed;
  return table[wre_SpanFillIndex(log2Width, log2Height)];
}
