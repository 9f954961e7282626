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

#if defined(__SSE2__)
  // wre_TexelOffset of four coordinate pairs (32-bit lanes).
  static __m128i Offsets(__m128i u, __m128i v) {
    __m128i offset = _mm_setzero_si128();
    if constexpr (Address::kUMask != 0) {
      const __m128i mask = _mm_set1_epi32(static_cast<int32_t>(Address::kUMask));
      offset = _mm_and_si128(_mm_srai_epi32(u, Address::kUShift), mask);
    }
    if constexpr (Address::kVMask != 0) {
      const __m128i mask = _mm_set1_epi32(static_cast<int32_t>(Address::kVMask));
      offset = _mm_add_epi32(offset, _mm_and_si128(_mm_srai_epi32(v, Address::kVShift), mask));
    }
    return offset;
  }
#endif

  // Inside a chunk the pixels are lit one by one but added and stored two at a time (the first
  // pixel in the low half). The eight texels are fetched before the first store.
  void Chunk(uint16_t* dst, uint32_t u, uint32_t v, int32_t du, int32_t dv) const {
    const uint32_t su = static_cast<uint32_t>(du), sv = static_cast<uint32_t>(dv);
#if defined(__SSE2__)
    auto lanes = [](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
      return _mm_setr_epi32(static_cast<int32_t>(a), static_cast<int32_t>(b), static_cast<int32_t>(c),
                            static_cast<int32_t>(d));
    };
    const __m128i u03 = lanes(u, u + su, u + 2 * su, u + 3 * su);
    const __m128i v03 = lanes(v, v + sv, v + 2 * sv, v + 3 * sv);
    const __m128i u47 = _mm_add_epi32(u03, _mm_set1_epi32(static_cast<int32_t>(4 * su)));
    const __m128i v47 = _mm_add_epi32(v03, _mm_set1_epi32(static_cast<int32_t>(4 * sv)));
    alignas(16) uint32_t offset[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(offset), Offsets(u03, v03));
    _mm_store_si128(reinterpret_cast<__m128i*>(offset + 4), Offsets(u47, v47));
    const unsigned char* base = reinterpret_cast<const unsigned char*>(texels);
    auto at = [base](uint32_t o) { return static_cast<int16_t>(*reinterpret_cast<const uint16_t*>(base + o)); };
    const __m128i texel = _mm_setr_epi16(at(offset[0]), at(offset[1]), at(offset[2]), at(offset[3]), at(offset[4]),
                                         at(offset[5]), at(offset[6]), at(offset[7]));
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
