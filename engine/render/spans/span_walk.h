// Perspective walk along one span, shared by every span filler family. Exact texture coordinates
// (one division) are taken at the span's start, every 8 pixels and at the span's end; between
// them u and v step linearly in 32-bit fixed point (2^24 = one whole texture).
#pragma once
#include <cstdint>
#include <type_traits>

#include "engine/render/spans/soft_records.h"
#include "engine/render/spans/soft_round.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The two ways of cutting a span into 8-pixel chunks and a tail:
//   kBlended: chunks while more than 8 pixels remain, tail of 1..8;
//   kKeyed:   chunks while 12 or more remain, tail of 4..11 (or the whole span below 12); the
//             exact point ending the next chunk or the tail is taken while a chunk is drawn.
// The opaque fillers walk by the keyed plan.
enum class SpanPlan : uint8_t { kBlended, kKeyed };

// Clamp of the blended and colour-keyed fillers: negative -> 0, 0..0xFFFFFF unchanged, larger
// values -> 0xFFFFFF with, from 2^25 on, some of the seven lowest bits cleared.
inline int32_t wre_UVClamp24(int32_t x) {
  if (x < 0) return 0;
  return (x | -(x >> 24)) & 0xFFFFFF;
}

// Texel addressing of a texture 2^kLog2W x 2^kLog2H: the column comes out already doubled (bytes)
// and the row already multiplied by the row's bytes. A term with mask 0 is left out.
template <int kLog2W, int kLog2H>
struct SpanTexelAddress {
  static_assert(kLog2W >= 0 && kLog2W <= 8 && kLog2H >= 0 && kLog2H <= 8);
  static constexpr int kUShift = 23 - kLog2W;
  static constexpr uint32_t kUMask = ((1u << kLog2W) - 1u) << 1;
  static constexpr int kVShift = 23 - kLog2W - kLog2H;
  static constexpr uint32_t kVMask = ((1u << kLog2H) - 1u) << (kLog2W + 1);

  static uint32_t Offset(uint32_t u, uint32_t v) {
    uint32_t offset = 0;
    if constexpr (kUMask != 0) offset += static_cast<uint32_t>(static_cast<int32_t>(u) >> kUShift) & kUMask;
    if constexpr (kVMask != 0) offset += static_cast<uint32_t>(static_cast<int32_t>(v) >> kVShift) & kVMask;
    return offset;
  }

  static uint32_t Fetch(const uint16_t* texels, uint32_t u, uint32_t v) {
    return *reinterpret_cast<const uint16_t*>(reinterpret_cast<const unsigned char*>(texels) + Offset(u, v));
  }

#if defined(__SSE2__)
  // Texel numbers (Offset() / 2) of four coordinate pairs, in 32-bit lanes.
  static __m128i Index4(__m128i u, __m128i v) {
    __m128i index = _mm_setzero_si128();
    if constexpr (kUMask != 0) {
      index = _mm_and_si128(_mm_srai_epi32(u, kUShift + 1), _mm_set1_epi32(static_cast<int32_t>(kUMask >> 1)));
    }
    if constexpr (kVMask != 0) {
      index = _mm_add_epi32(
          index, _mm_and_si128(_mm_srai_epi32(v, kVShift + 1), _mm_set1_epi32(static_cast<int32_t>(kVMask >> 1))));
    }
    return index;
  }

  // The texels of the eight pixels of a chunk, pixel j at (u + j du, v + j dv), in 16-bit lanes.
  static __m128i Fetch8(const uint16_t* texels, uint32_t u, uint32_t v, uint32_t du, uint32_t dv) {
    // Lanes (x, x + d, x + 2d, x + 3d) and the same 4d further on.
    const __m128i odd = _mm_setr_epi32(0, -1, 0, -1), upper = _mm_setr_epi32(0, 0, -1, -1);
    auto ramp = [&](uint32_t x, uint32_t d, __m128i& first, __m128i& second) {
      const __m128i d1 = _mm_set1_epi32(static_cast<int32_t>(d));
      const __m128i d2 = _mm_add_epi32(d1, d1);
      first = _mm_add_epi32(_mm_set1_epi32(static_cast<int32_t>(x)),
                            _mm_add_epi32(_mm_and_si128(d1, odd), _mm_and_si128(d2, upper)));
      second = _mm_add_epi32(first, _mm_add_epi32(d2, d2));
    };
    __m128i u03, u47, v03, v47;
    ramp(u, du, u03, u47);
    ramp(v, dv, v03, v47);
    // Texel numbers fit in 16 bits: lane k holds pixel k's in its low half, pixel k + 4's above.
    const __m128i index = _mm_or_si128(Index4(u03, v03), _mm_slli_epi32(Index4(u47, v47), 16));
    auto at = [texels](int i) { return static_cast<int16_t>(texels[i]); };
    return _mm_setr_epi16(at(_mm_extract_epi16(index, 0)), at(_mm_extract_epi16(index, 2)),
                          at(_mm_extract_epi16(index, 4)), at(_mm_extract_epi16(index, 6)),
                          at(_mm_extract_epi16(index, 1)), at(_mm_extract_epi16(index, 3)),
                          at(_mm_extract_epi16(index, 5)), at(_mm_extract_epi16(index, 7)));
  }
#endif
};

template <int kLog2W, int kLog2H>
inline uint32_t wre_TexelOffset(uint32_t u, uint32_t v) {
  return SpanTexelAddress<kLog2W, kLog2H>::Offset(u, v);
}

using SpanClampFn = int32_t (*)(int32_t);

// Frame address of pixel (x, y).
inline uint16_t* wre_SpanDestination(uint16_t* frameFirstPixel, int32_t framePitch, int32_t x, int32_t y) {
  return reinterpret_cast<uint16_t*>(reinterpret_cast<unsigned char*>(frameFirstPixel) +
                                     static_cast<intptr_t>(y) * framePitch) +
         x;
}

// Stores an exact point's (u, v), each through the clamp when asked for.
template <SpanClampFn kClamp>
inline void wre_SpanTakeUV(bool clamp, int32_t iu, int32_t iv, uint32_t& u, uint32_t& v) {
  u = static_cast<uint32_t>(clamp ? kClamp(iu) : iu);
  v = static_cast<uint32_t>(clamp ? kClamp(iv) : iv);
}

// How the three perspective values u/z, v/z and 1/z are carried from one exact point to the next:
//   kSingle:      every product, sum and difference rounded to single (the opaque fillers);
//   kRoundedOnce: each set-up sum, each advance (value + per pixel x distance) and each exact
//                 point's u/z x r - offset formed in double and rounded once to single (the blended
//                 and colour-keyed fillers). The reciprocal r = 1 / (1/z) is single in both.
// Either way the values are stored in single between the steps, and x and y, the distances and the
// offsets enter exactly. Each kind gives
//   Prepare(g)               what a polygon's spans share, taken from its gradients once;
//   Place(g, x, y)           the values at pixel (x, y): (per scanline y + per pixel x) + origin;
//   Start(g, x, y)           both at once;
//   Advance(distance)        the values `distance` pixels to the right of the latest ones;
//   ExactUV<clamp>(c, u, v)  the exact (u, v) by wre_FloatToIntRound, u first, clamped if c.
enum class SpanPrecision : uint8_t { kSingle, kRoundedOnce };

#if defined(__SSE2__)
struct SpanSingle {
  __m128 value;     // u/z, v/z, 1/z, unused
  __m128 perPixel;  // uOverZDx, vOverZDx, invZDx, 0
  __m128 offset;    // uOffset, vOffset, 0, 0

  static SpanSingle Prepare(const SoftGradients& g) {
    SpanSingle p;
    p.value = _mm_setzero_ps();
    p.perPixel = _mm_setr_ps(g.uOverZDx, g.vOverZDx, g.invZDx, 0.0f);
    p.offset = _mm_setr_ps(g.uOffset, g.vOffset, 0.0f, 0.0f);
    return p;
  }
  void Place(const SoftGradients& g, int32_t x, int32_t y) {
    const __m128 perScanline = _mm_setr_ps(g.uOverZDy, g.vOverZDy, g.invZDy, 0.0f);
    const __m128 origin = _mm_setr_ps(g.uOverZOrigin, g.vOverZOrigin, g.invZOrigin, 0.0f);
    value = _mm_add_ps(_mm_add_ps(_mm_mul_ps(perScanline, _mm_set1_ps(static_cast<float>(y))),
                                  _mm_mul_ps(perPixel, _mm_set1_ps(static_cast<float>(x)))),
                       origin);
  }
  static SpanSingle Start(const SoftGradients& g, int32_t x, int32_t y) {
    SpanSingle p = Prepare(g);
    p.Place(g, x, y);
    return p;
  }

  void Advance(float distance) { value = _mm_add_ps(value, _mm_mul_ps(perPixel, _mm_set1_ps(distance))); }

  // Both conversions at once, by the same rule as wre_FloatToIntRound.
  template <SpanClampFn kClamp>
  void ExactUV(bool clamp, uint32_t& u, uint32_t& v) const {
    const __m128 r = _mm_div_ps(_mm_set1_ps(1.0f), _mm_shuffle_ps(value, value, _MM_SHUFFLE(2, 2, 2, 2)));
    const __m128i uv = _mm_cvtps_epi32(_mm_sub_ps(_mm_mul_ps(value, r), offset));
    wre_SpanTakeUV<kClamp>(clamp, _mm_cvtsi128_si32(uv),
                           _mm_cvtsi128_si32(_mm_shuffle_epi32(uv, _MM_SHUFFLE(1, 1, 1, 1))), u, v);
  }
};
#else
struct SpanSingle {
  float uz;
  float vz;
  float iz;
  const SoftGradients* g;

  static SpanSingle Prepare(const SoftGradients& g) { return SpanSingle{0.0f, 0.0f, 0.0f, &g}; }
  void Place(const SoftGradients& g, int32_t x, int32_t y) {
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    uz = (g.uOverZDy * fy + g.uOverZDx * fx) + g.uOverZOrigin;
    vz = (g.vOverZDy * fy + g.vOverZDx * fx) + g.vOverZOrigin;
    iz = (g.invZDy * fy + g.invZDx * fx) + g.invZOrigin;
  }
  static SpanSingle Start(const SoftGradients& g, int32_t x, int32_t y) {
    SpanSingle p = Prepare(g);
    p.Place(g, x, y);
    return p;
  }

  void Advance(float distance) {
    iz = iz + g->invZDx * distance;
    uz = uz + g->uOverZDx * distance;
    vz = vz + g->vOverZDx * distance;
  }

  template <SpanClampFn kClamp>
  void ExactUV(bool clamp, uint32_t& u, uint32_t& v) const {
    const float r = 1.0f / iz;
    wre_SpanTakeUV<kClamp>(clamp, wre_FloatToIntRound(uz * r - g->uOffset), wre_FloatToIntRound(vz * r - g->vOffset), u,
                           v);
  }
};
#endif

// Kept inline by force: called out of line from 162 instances, the walk runs at half speed.
#if defined(__SSE2__)
struct SpanRoundedOnce {
  __m128 value;      // u/z, v/z, 1/z, unused: single between the steps
  __m128d perPixel;  // uOverZDx, vOverZDx
  __m128d invZDx;    // invZDx, invZDx
  __m128d offset;    // uOffset, vOffset
  __m128 perEight;   // uOverZDx, vOverZDx, invZDx times 8, 0: exact in single unless one overflows
  bool eightExact;   // none overflows: value + perEight in single is the sum rounded once

  [[gnu::always_inline]] static SpanRoundedOnce Prepare(const SoftGradients& g) {
    SpanRoundedOnce p;
    p.value = _mm_setzero_ps();
    p.perPixel = _mm_setr_pd(g.uOverZDx, g.vOverZDx);
    p.invZDx = _mm_set1_pd(g.invZDx);
    p.offset = _mm_setr_pd(g.uOffset, g.vOffset);
    p.perEight = _mm_mul_ps(_mm_setr_ps(g.uOverZDx, g.vOverZDx, g.invZDx, 0.0f), _mm_set1_ps(8.0f));
    p.eightExact = _mm_movemask_ps(_mm_cmpeq_ps(_mm_sub_ps(p.perEight, p.perEight), _mm_setzero_ps())) == 0xF;
    return p;
  }
  // (per scanline y + per pixel x) + origin in double: both products are exact there.
  [[gnu::always_inline]] void Place(const SoftGradients& g, int32_t x, int32_t y) {
    const __m128d fx = _mm_set1_pd(x), fy = _mm_set1_pd(y);
    const __m128d uv =
        _mm_add_pd(_mm_add_pd(_mm_mul_pd(_mm_setr_pd(g.uOverZDy, g.vOverZDy), fy), _mm_mul_pd(perPixel, fx)),
                   _mm_setr_pd(g.uOverZOrigin, g.vOverZOrigin));
    const __m128d iz = _mm_add_pd(_mm_add_pd(_mm_mul_pd(_mm_set1_pd(g.invZDy), fy), _mm_mul_pd(invZDx, fx)),
                                  _mm_set1_pd(g.invZOrigin));
    value = _mm_movelh_ps(_mm_cvtpd_ps(uv), _mm_cvtpd_ps(iz));
  }
  [[gnu::always_inline]] static SpanRoundedOnce Start(const SoftGradients& g, int32_t x, int32_t y) {
    SpanRoundedOnce p = Prepare(g);
    p.Place(g, x, y);
    return p;
  }

  [[gnu::always_inline]] void Advance(float distance) {
    if (distance == 8.0f && eightExact) {
      value = _mm_add_ps(value, perEight);
      return;
    }
    const __m128d d = _mm_set1_pd(distance);
    const __m128d uv = _mm_add_pd(_mm_cvtps_pd(value), _mm_mul_pd(perPixel, d));
    const __m128d iz = _mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(value, value)), _mm_mul_pd(invZDx, d));
    value = _mm_movelh_ps(_mm_cvtpd_ps(uv), _mm_cvtpd_ps(iz));
  }

  // The product of two singles is exact in double; only the difference rounds before the single.
  // The reciprocal is divided out in every lane, so that it widens to both double lanes at once.
  template <SpanClampFn kClamp>
  [[gnu::always_inline]] void ExactUV(bool clamp, uint32_t& u, uint32_t& v) const {
    const __m128 r = _mm_div_ps(_mm_set1_ps(1.0f), _mm_shuffle_ps(value, value, _MM_SHUFFLE(2, 2, 2, 2)));
    const __m128d uv = _mm_sub_pd(_mm_mul_pd(_mm_cvtps_pd(value), _mm_cvtps_pd(r)), offset);
    const __m128i converted = _mm_cvtps_epi32(_mm_cvtpd_ps(uv));
    wre_SpanTakeUV<kClamp>(clamp, _mm_cvtsi128_si32(converted),
                           _mm_cvtsi128_si32(_mm_shuffle_epi32(converted, _MM_SHUFFLE(1, 1, 1, 1))), u, v);
  }

  float UOverZ() const { return _mm_cvtss_f32(value); }
};
#else
struct SpanRoundedOnce {
  float uz;
  float vz;
  float iz;
  const SoftGradients* g;

  static float StartValue(float perScanline, float perPixel, float origin, int32_t x, int32_t y) {
    return static_cast<float>((double{perScanline} * y + double{perPixel} * x) + double{origin});
  }
  [[gnu::always_inline]] static SpanRoundedOnce Prepare(const SoftGradients& g) {
    return SpanRoundedOnce{0.0f, 0.0f, 0.0f, &g};
  }
  [[gnu::always_inline]] void Place(const SoftGradients& g, int32_t x, int32_t y) {
    uz = StartValue(g.uOverZDy, g.uOverZDx, g.uOverZOrigin, x, y);
    vz = StartValue(g.vOverZDy, g.vOverZDx, g.vOverZOrigin, x, y);
    iz = StartValue(g.invZDy, g.invZDx, g.invZOrigin, x, y);
  }
  [[gnu::always_inline]] static SpanRoundedOnce Start(const SoftGradients& g, int32_t x, int32_t y) {
    SpanRoundedOnce p = Prepare(g);
    p.Place(g, x, y);
    return p;
  }

  static float Advanced(float value, float perPixel, float distance) {
    return static_cast<float>(double{value} + double{perPixel} * double{distance});
  }
  [[gnu::always_inline]] void Advance(float distance) {
    iz = Advanced(iz, g->invZDx, distance);
    uz = Advanced(uz, g->uOverZDx, distance);
    vz = Advanced(vz, g->vOverZDx, distance);
  }

  template <SpanClampFn kClamp>
  [[gnu::always_inline]] void ExactUV(bool clamp, uint32_t& u, uint32_t& v) const {
    const float r = 1.0f / iz;
    wre_SpanTakeUV<kClamp>(clamp, wre_FloatToIntRound(static_cast<float>(double{uz} * r - double{g->uOffset})),
                           wre_FloatToIntRound(static_cast<float>(double{vz} * r - double{g->vOffset})), u, v);
  }

  float UOverZ() const { return uz; }
};
#endif

template <SpanPrecision kPrecision>
using SpanPerspective = std::conditional_t<kPrecision == SpanPrecision::kSingle, SpanSingle, SpanRoundedOnce>;

// Walks one span of n pixels starting at dst (pixel (x, y)). The drawer provides
//   Chunk(dst, u, v, du, dv)     8 pixels, pixel j at (u + j du, v + j dv)
//   Tail(dst, u, v, du, dv, m)   m pixels the same way
// Chunk steps are (exact - running) >> 3 (toward minus infinity), tail steps (exact - running) / m
// (toward zero); the running values are never reset to an exact point. A span of fewer than one
// pixel draws nothing. `prepared` is SpanPerspective<kPrecision>::Prepare(g).
template <SpanPlan kPlan, SpanPrecision kPrecision, SpanClampFn kClamp, typename Drawer>
inline void wre_SpanWalkPrepared(const SpanPerspective<kPrecision>& prepared, const SoftGradients& g, bool clamp,
                                 int32_t x, int32_t y, int32_t n, uint16_t* dst, const Drawer& drawer) {
  if (n < 1) return;
  SpanPerspective<kPrecision> p = prepared;
  p.Place(g, x, y);

  uint32_t u, v;
  p.template ExactUV<kClamp>(clamp, u, v);
  uint32_t uEnd, vEnd;
  int32_t remaining = n;

  if constexpr (kPlan == SpanPlan::kBlended) {
    while (remaining > 8) {
      p.Advance(8.0f);
      p.template ExactUV<kClamp>(clamp, uEnd, vEnd);
      const int32_t du = static_cast<int32_t>(uEnd - u) >> 3;
      const int32_t dv = static_cast<int32_t>(vEnd - v) >> 3;
      drawer.Chunk(dst, u, v, du, dv);
      u += static_cast<uint32_t>(du) * 8u;
      v += static_cast<uint32_t>(dv) * 8u;
      dst += 8;
      remaining -= 8;
    }
  } else {
    p.Advance(remaining >= 12 ? 8.0f : static_cast<float>(remaining));
    p.template ExactUV<kClamp>(clamp, uEnd, vEnd);
    while (remaining >= 12) {
      const int32_t du = static_cast<int32_t>(uEnd - u) >> 3;
      const int32_t dv = static_cast<int32_t>(vEnd - v) >> 3;
      // The exact point after this chunk: 8 on while 20 or more remain, else the span's end.
      p.Advance(remaining >= 20 ? 8.0f : static_cast<float>(remaining - 8));
      p.template ExactUV<kClamp>(clamp, uEnd, vEnd);
      drawer.Chunk(dst, u, v, du, dv);
      u += static_cast<uint32_t>(du) * 8u;
      v += static_cast<uint32_t>(dv) * 8u;
      dst += 8;
      remaining -= 8;
    }
  }

  if constexpr (kPlan == SpanPlan::kBlended) {
    p.Advance(static_cast<float>(remaining));
    p.template ExactUV<kClamp>(clamp, uEnd, vEnd);
  }
  const int32_t du = static_cast<int32_t>(uEnd - u) / remaining;
  const int32_t dv = static_cast<int32_t>(vEnd - v) / remaining;
  drawer.Tail(dst, u, v, du, dv, remaining);
}

template <SpanPlan kPlan, SpanPrecision kPrecision, SpanClampFn kClamp, typename Drawer>
inline void wre_SpanWalk(const SoftGradients& g, bool clamp, int32_t x, int32_t y, int32_t n, uint16_t* dst,
                         const Drawer& drawer) {
  wre_SpanWalkPrepared<kPlan, kPrecision, kClamp>(SpanPerspective<kPrecision>::Prepare(g), g, clamp, x, y, n, dst,
                                                  drawer);
}

// Walks every span of a polygon; nothing when it has no span array.
template <SpanPlan kPlan, SpanPrecision kPrecision, SpanClampFn kClamp, typename Drawer>
inline void wre_SpanWalkPolygon(const SoftPolygon& polygon, uint16_t* frameFirstPixel, int32_t framePitch,
                                const Drawer& drawer) {
  const SoftSpan* span = polygon.firstSpan;
  if (span == nullptr) return;
  const SoftGradients& g = *polygon.gradients;
  const bool clamp = polygon.clamp != 0;
  const SpanPerspective<kPrecision> prepared = SpanPerspective<kPrecision>::Prepare(g);
  for (int32_t i = 0; i < polygon.spanCount; ++i, ++span) {
    uint16_t* dst = wre_SpanDestination(frameFirstPixel, framePitch, span->x, span->y);
    wre_SpanWalkPrepared<kPlan, kPrecision, kClamp>(prepared, g, clamp, span->x, span->y, span->count, dst, drawer);
  }
}
