// The opaque span filler and its 81 size instances.
#include "engine/render/span_opaque.h"

#include <cstring>
#include <utility>

#include "engine/render/spans/span_shade.h"
#include "engine/render/spans/span_walk.h"

namespace {

template <int kLog2W, int kLog2H>
struct OpaqueDrawer {
  using Address = SpanTexelAddress<kLog2W, kLog2H>;
  const uint16_t* texels;
  SoftShade shade;
  uint32_t additivePair;

  // Inside a chunk the pixels are lit one by one but added and stored two at a time (the first
  // pixel in the low half). The eight texels are fetched before the first store.
  void Chunk(uint16_t* dst, uint32_t u, uint32_t v, int32_t du, int32_t dv) const {
    const uint32_t su = static_cast<uint32_t>(du), sv = static_cast<uint32_t>(dv);
#if defined(__SSE2__)
    const __m128i texel = Address::Fetch8(texels, u, v, su, sv);
    const __m128i additive = _mm_set1_epi32(static_cast<int32_t>(additivePair));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), wre_Add555SatPair4(wre_TexelLight8(texel, shade), additive));
#else
    uint32_t texel[8];
    for (int j = 0; j < 8; ++j) {
      texel[j] = Address::Fetch(texels, u, v);
      u += su;
      v += sv;
    }
    for (int j = 0; j < 8; j += 2) {
      const uint32_t low = wre_TexelLight(texel[j], shade);
      const uint32_t high = wre_TexelLight(texel[j + 1], shade);
      const uint32_t word = wre_Add555SatPair(low | (high << 16), additivePair);
      std::memcpy(dst + j, &word, sizeof word);
    }
#endif
  }
  void Tail(uint16_t* dst, uint32_t u, uint32_t v, int32_t du, int32_t dv, int32_t count) const {
    for (int32_t j = 0; j < count; ++j) {
      dst[j] = static_cast<uint16_t>(wre_ShadeKeyed(Address::Fetch(texels, u, v), shade));
      u += static_cast<uint32_t>(du);
      v += static_cast<uint32_t>(dv);
    }
  }
};

template <size_t... kIndex>
constexpr std::array<SpanFillFn, kSpanFillCount> MakeOpaqueTable(std::index_sequence<kIndex...>) {
  return {{&wre_SpanOpaque<static_cast<int>(kIndex % 9), static_cast<int>(kIndex / 9)>...}};
}

}  // namespace

template <int kLog2W, int kLog2H>
int32_t wre_SpanOpaque(SoftPolygon* batchHead, uint16_t* frameFirstPixel, int32_t framePitch, const uint16_t* texels) {
  for (SoftPolygon* polygon = batchHead; polygon != nullptr; polygon = polygon->nextInBatch) {
    if (polygon->seeThrough != 0 || polygon->firstSpan == nullptr) continue;
    // Out of the draw list, so that the blended and colour-keyed pass does not see it again.
    polygon->next->prev = polygon->prev;
    polygon->prev->next = polygon->next;

    const SoftShade shade = wre_ShadePrepare(*polygon);
    const OpaqueDrawer<kLog2W, kLog2H> drawer{texels, shade, shade.additive | (shade.additive << 16)};
    wre_SpanWalkPolygon<SpanPlan::kKeyed, wre_UVClampEdge>(*polygon, frameFirstPixel, framePitch, drawer);
  }
  return 0;
}

#define WRE_SPAN_INSTANTIATE(W, H, w, h) \
  template int32_t wre_SpanOpaque<w, h>(SoftPolygon*, uint16_t*, int32_t, const uint16_t*);
WRE_SPAN_SIZES(WRE_SPAN_INSTANTIATE)
#undef WRE_SPAN_INSTANTIATE

constinit const std::array<SpanFillFn, kSpanFillCount> kSpanFillOpaque =
    MakeOpaqueTable(std::make_index_sequence<kSpanFillCount>{});
