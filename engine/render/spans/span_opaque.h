// Opaque span fillers: one routine, one instance per texture size, reached through a constant
// table of 81 entries (entry 9 x log2 height + log2 width). A member draws every polygon of one
// texture batch whose see-through flag is clear and takes it out of the draw list.
#pragma once
#include <array>
#include <cstdint>

#include "engine/render/spans/soft_records.h"
#include "engine/render/spans/span_sizes.h"

template <int kLog2W, int kLog2H>
int32_t wre_SpanOpaque(SoftPolygon* batchHead, uint16_t* frameFirstPixel, int32_t framePitch, const uint16_t* texels);

extern const std::array<SpanFillFn, kSpanFillCount> kSpanFillOpaque;

// The members by name: wre_SpanOpaque_2x1 is entry 1, wre_SpanOpaque_256x256 entry 80.
#define WRE_SPAN_NAME_OPAQUE(W, H, w, h) inline constexpr SpanFillFn wre_SpanOpaque_##W##x##H = &wre_SpanOpaque<w, h>;
WRE_SPAN_SIZES(WRE_SPAN_NAME_OPAQUE)
#undef WRE_SPAN_NAME_OPAQUE

// Clamp of the opaque fillers: into 0 .. 0xFFFFFF.
inline int32_t wre_UVClampEdge(int32_t x) {
  if (x < 0) return 0;
  return x > 0xFFFFFF ? 0xFFFFFF : x;
}
