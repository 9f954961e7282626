// The blended and colour-keyed span fillers: one drawer for both families, told apart by their step
// plan, and their 81 size instances each.
#include <utility>

#include "engine/render/spans/span_fill.h"
#include "engine/render/spans/span_shade.h"
#include "engine/render/spans/span_walk.h"

namespace {

// Blended: the lit texel over the frame pixel weighted by (frame weight >> 10) / 32.
// Colour-keyed: the lit texel plus the additive colour; the frame is never read.
template <SpanPlan kPlan, int kLog2W, int kLog2H>
struct TranslucentDrawer {
  using Address = SpanTexelAddress<kLog2W, kLog2H>;
  static constexpr bool kBlended = kPlan == SpanPlan::kBlended;
  const uint16_t* texels;
  SoftShade shade;

  void Store(uint16_t* pixel, uint32_t texel) const {
    if (!(texel & kTexelKeyBit)) return;
    if constexpr (kBlended) {
      *pixel = static_cast<uint16_t>(wre_ShadeBlend(texel, *pixel, shade));
    } else {
      *pixel = static_cast<uint16_t>(wre_ShadeKeyed(texel, shade));
    }
  }

  // Eight pixels from (u, v) stepping by (du, dv), of which the first `count` (1..8) are drawn.
  // The texels are all fetched first; the frame is read only within the `count` pixels.
  void Eight(uint16_t* dst, uint32_t u, uint32_t v, uint32_t du, uint32_t dv, int32_t count) const {
#if defined(__SSE2__)
    if constexpr (kBlended) {
      if (count == 8 && shade.weight <= 33) {  // larger weights spill between the lanes of the spread multiply
        const __m128i texel = Address::Fetch8(texels, u, v, du, dv);
        const int keys = _mm_movemask_epi8(texel) & 0xAAAA;
        if (keys == 0) return;
        const __m128i frame = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
        wre_StoreKeyed8(dst, wre_Add555Sat8(wre_TexelLight8(texel, shade), wre_FrameWeight8(frame, shade.weight)),
                        keys);
        return;
      }
    } else {
      const __m128i texel = Address::Fetch8(texels, u, v, du, dv);
      const int keys = _mm_movemask_epi8(texel) & (0xAAAA >> (16 - 2 * count));
      if (keys == 0) return;
      const __m128i additive = _mm_set1_epi16(static_cast<int16_t>(shade.additive));
      wre_StoreKeyed8(dst, wre_Add555Sat8(wre_TexelLight8(texel, shade), additive), keys);
      return;
    }
#endif
    uint32_t texel[8];
    for (int j = 0; j < count; ++j, u += du, v += dv) texel[j] = Address::Fetch(texels, u, v);
    for (int j = 0; j < count; ++j) Store(dst + j, texel[j]);
  }
  void Chunk(uint16_t* dst, uint32_t u, uint32_t v, int32_t du, int32_t dv) const {
    Eight(dst, u, v, static_cast<uint32_t>(du), static_cast<uint32_t>(dv), 8);
  }
  void Tail(uint16_t* dst, uint32_t u, uint32_t v, int32_t du, int32_t dv, int32_t count) const {
    const uint32_t su = static_cast<uint32_t>(du), sv = static_cast<uint32_t>(dv);
    for (; count > 0; count -= 8, dst += 8, u += 8 * su, v += 8 * sv) {
      Eight(dst, u, v, su, sv, count < 8 ? count : 8);
    }
  }
};

template <SpanPlan kPlan, size_t... kIndex>
constexpr std::array<SpanFillFn, kSpanFillCount> MakeTable(std::index_sequence<kIndex...>) {
  return {{&wre_SpanTranslucent<kPlan, static_cast<int>(kIndex % 9), static_cast<int>(kIndex / 9)>...}};
}

}  // namespace

template <SpanPlan kPlan, int kLog2W, int kLog2H>
int32_t wre_SpanTranslucent(SoftPolygon* polygon, uint16_t* frameFirstPixel, int32_t framePitch,
                            const uint16_t* texels) {
  const TranslucentDrawer<kPlan, kLog2W, kLog2H> drawer{texels, wre_ShadePrepare(*polygon)};
  wre_SpanWalkPolygon<kPlan, SpanPrecision::kRoundedOnce, wre_UVClamp24>(*polygon, frameFirstPixel, framePitch, drawer);
  return 0;
}

#define WRE_SPAN_INSTANTIATE(W, H, w, h)                                                                             \
  template int32_t wre_SpanTranslucent<SpanPlan::kBlended, w, h>(SoftPolygon*, uint16_t*, int32_t, const uint16_t*); \
  template int32_t wre_SpanTranslucent<SpanPlan::kKeyed, w, h>(SoftPolygon*, uint16_t*, int32_t, const uint16_t*);
WRE_SPAN_SIZES(WRE_SPAN_INSTANTIATE)
#undef WRE_SPAN_INSTANTIATE

constinit const std::array<SpanFillFn, kSpanFillCount> kSpanFillBlend =
    MakeTable<SpanPlan::kBlended>(std::make_index_sequence<kSpanFillCount>{});
constinit const std::array<SpanFillFn, kSpanFillCount> kSpanFillKeyed =
    MakeTable<SpanPlan::kKeyed>(std::make_index_sequence<kSpanFillCount>{});
