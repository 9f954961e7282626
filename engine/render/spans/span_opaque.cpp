// The opaque span filler and its 81 size instances.
#include "engine/render/spans/span_opaque.h"

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

#if defined(__SSE2__)
  // Eight pixels from (u, v) stepping by (du, dv), of which the first `count` (1..8) are stored;
  // added in pairs inside chunks, one by one in tails. The texels are all fetched first.
  template <bool kPairs>
  void Eight(uint16_t* dst, uint32_t u, uint32_t v, uint32_t du, uint32_t dv, int32_t count) const {
    const __m128i lit = wre_TexelLight8(Address::Fetch8(texels, u, v, du, dv), shade);
    const __m128i shaded =
        kPairs ? wre_Add555SatPair4(lit, _mm_set1_epi32(static_cast<int32_t>(additivePair)))
               : wre_Add555Sat8(lit, _mm_set1_epi16(static_cast<int16_t>(shade.additive)));
    if (count == 8) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), shaded);
    } else {
      alignas(16) uint16_t out[8];
      _mm_store_si128(reinterpret_cast<__m128i*>(out), shaded);
      std::memcpy(dst, out, sizeof out[0] * static_cast<size_t>(count));
    }
  }
#endif

  // Inside a chunk the pixels are lit one by one but added and stored two at a time (the first
  // pixel in the low half).
  void Chunk(uint16_t* dst, uint32_t u, uint32_t v, int32_t du, int32_t dv) const {
    const uint32_t su = static_cast<uint32_t>(du), sv = static_cast<uint32_t>(dv);
#if defined(__SSE2__)
    Eight<true>(dst, u, v, su, sv, 8);
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

  // In a tail every pixel is added on its own.
  void Tail(uint16_t* dst, uint32_t u, uint32_t v, int32_t du, int32_t dv, int32_t count) const {
    const uint32_t su = static_cast<uint32_t>(du), sv = static_cast<uint32_t>(dv);
#if defined(__SSE2__)
    for (; count > 0; count -= 8, dst += 8, u += 8 * su, v += 8 * sv) {
      Eight<false>(dst, u, v, su, sv, count < 8 ? count : 8);
    }
#else
    for (int32_t j = 0; j < count; ++j, u += su, v += sv) {
      dst[j] = static_cast<uint16_t>(wre_ShadeKeyed(Address::Fetch(texels, u, v), shade));
    }
#endif
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
    wre_SpanWalkPolygon<SpanPlan::kKeyed, SpanPrecision::kSingle, wre_UVClampEdge>(*polygon, frameFirstPixel,
                                                                                   framePitch, drawer);
  }
  return 0;
}

#define WRE_SPAN_INSTANTIATE(W, H, w, h) \
  template int32_t wre_SpanOpaque<w, h>(SoftPolygon*, uint16_t*, int32_t, const uint16_t*);
WRE_SPAN_SIZES(WRE_SPAN_INSTANTIATE)
#undef WRE_SPAN_INSTANTIATE

constinit const std::array<SpanFillFn, kSpanFillCount> kSpanFillOpaque =
    MakeOpaqueTable(std::make_index_sequence<kSpanFillCount>{});
