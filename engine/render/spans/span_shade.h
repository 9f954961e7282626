// Texel shading arithmetic shared by every span filler: lighting a texel, weighting a frame pixel
// and the saturating 555 add. Integer only; every result is bit-exact, truncations included.
#pragma once
#include <cstdint>

#include "engine/render/spans/soft_records.h"

inline constexpr uint32_t kTexelKeyBit = 0x8000;  // set: the texel is drawn

// Shading constants of one filler call.
struct SoftShade {
  uint32_t lightRB;   // red multiplier (64 = 1.0) at bits 10-16, blue multiplier (32 = 1.0) at bits 0-5
  uint32_t lightG;    // green light word, 32768 = 1.0
  uint32_t weight;    // frame weight word >> 10 (blended fillers)
  uint32_t additive;  // additive 555 colour (opaque and colour-keyed fillers)
};

inline SoftShade wre_ShadePrepare(const SoftPolygon& polygon) {
  SoftShade shade;
  shade.lightRB = ((uint32_t{polygon.lightRed} << 1) & 0x1FC00u) | (uint32_t{polygon.lightBlue} >> 10);
  shade.lightG = polygon.lightGreen;
  shade.weight = uint32_t{polygon.frameWeight} >> 10;
  shade.additive = polygon.additive;
  return shade;
}

// Red and blue share one multiply; the carry of their cross products into red is part of the result.
inline uint32_t wre_TexelLight(uint32_t texel, const SoftShade& shade) {
  const uint32_t x = (texel & 0x7C1Fu) * shade.lightRB;
  const uint32_t y = (texel & 0x03E0u) * shade.lightG;
  return ((x >> 16) & 0x7C00u) + ((y >> 15) & 0x03E0u) + ((x >> 5) & 0x001Fu);
}

// Each channel of the frame pixel times weight / 32, truncated; green travels in bits 20-29.
inline uint32_t wre_FrameWeight(uint32_t frame, uint32_t weight) {
  const uint32_t p = (frame & 0x7C1Fu) + ((frame & 0x03E0u) << 15);
  const uint32_t z = p * weight;
  return ((z >> 20) & 0x03E0u) + ((z >> 5) & 0x7C1Fu);
}

// Per-channel add that saturates at 31 by taking each carry back out of the channel above and
// filling the channel that carried. Bit 15 of the result may be set (see the carry cases).
inline uint32_t wre_Add555Sat(uint32_t a, uint32_t b) {
  const uint32_t s = a + b;
  const uint32_t q = (a ^ b ^ s) & 0x8420u;
  return ((s - q) | (q - (q >> 5))) & 0xFFFFu;
}

// The same on two pixels at once (low pixel in the low half). A borrow out of the low half lowers
// the high pixel by one; that is how the pair works and what the opaque fillers store.
inline uint32_t wre_Add555SatPair(uint32_t pair, uint32_t additivePair) {
  const uint32_t s = pair + additivePair;
  const uint32_t q = (pair ^ additivePair ^ s) & 0x84208420u;
  return (s - q) | (q - (q >> 5));
}

inline uint32_t wre_ShadeKeyed(uint32_t texel, const SoftShade& shade) {
  return wre_Add555Sat(wre_TexelLight(texel, shade), shade.additive);
}

inline uint32_t wre_ShadeBlend(uint32_t texel, uint32_t frame, const SoftShade& shade) {
  return wre_Add555Sat(wre_TexelLight(texel, shade), wre_FrameWeight(frame, shade.weight));
}

#if defined(__SSE2__)
#include <emmintrin.h>

// wre_TexelLight on eight texels at once (16-bit lanes), bit for bit the same. The 32-bit red/blue
// product is formed from 16-bit halves: the packed multiplier is below 2^17.
inline __m128i wre_TexelLight8(__m128i texels, const SoftShade& shade) {
  const __m128i rb = _mm_and_si128(texels, _mm_set1_epi16(0x7C1F));
  const __m128i multiplierLow = _mm_set1_epi16(static_cast<int16_t>(shade.lightRB & 0xFFFF));
  const __m128i bit16 = _mm_set1_epi16(static_cast<int16_t>(0 - (shade.lightRB >> 16)));  // the multiplier's bit 16
  const __m128i high = _mm_add_epi16(_mm_mulhi_epu16(rb, multiplierLow), _mm_and_si128(rb, bit16));
  const __m128i low = _mm_mullo_epi16(rb, multiplierLow);
  const __m128i green = _mm_mulhi_epu16(_mm_and_si128(texels, _mm_set1_epi16(0x03E0)),
                                        _mm_set1_epi16(static_cast<int16_t>(shade.lightG)));
  return _mm_or_si128(_mm_or_si128(_mm_and_si128(high, _mm_set1_epi16(0x7C00)),
                                   _mm_and_si128(_mm_slli_epi16(green, 1), _mm_set1_epi16(0x03E0))),
                      _mm_and_si128(_mm_srli_epi16(low, 5), _mm_set1_epi16(0x001F)));
}

// wre_FrameWeight on eight pixels (16-bit lanes), channel by channel; the same words as the spread
// multiply for weights up to 33, where no channel's product leaves its lane.
inline __m128i wre_FrameWeight8(__m128i frame, uint32_t weight) {
  const __m128i w = _mm_set1_epi16(static_cast<int16_t>(weight));
  const __m128i green = _mm_set1_epi16(0x03E0);
  const __m128i b = _mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(frame, _mm_set1_epi16(0x001F)), w), 5);
  const __m128i g = _mm_and_si128(_mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(frame, green), w), 5), green);
  const __m128i redAtGreen = _mm_and_si128(_mm_srli_epi16(frame, 5), green);
  const __m128i r = _mm_slli_epi16(_mm_and_si128(_mm_srli_epi16(_mm_mullo_epi16(redAtGreen, w), 5), green), 5);
  return _mm_or_si128(_mm_or_si128(r, g), b);
}

// Stores the pixels whose texel has its key bit set; `keys` is _mm_movemask_epi8 of the texels
// masked to 0xAAAA (one bit per texel's bit 15).
inline void wre_StoreKeyed8(uint16_t* dst, __m128i pixels, int keys) {
  if (keys == 0xAAAA) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), pixels);
    return;
  }
  alignas(16) uint16_t out[8];
  _mm_store_si128(reinterpret_cast<__m128i*>(out), pixels);
  for (int j = 0; j < 8; ++j) {
    if (keys & (2 << (2 * j))) dst[j] = out[j];
  }
}

// wre_Add555Sat on eight pixels (16-bit lanes): no borrow crosses from one pixel to the next.
inline __m128i wre_Add555Sat8(__m128i a, __m128i b) {
  const __m128i s = _mm_add_epi16(a, b);
  const __m128i q = _mm_and_si128(_mm_xor_si128(_mm_xor_si128(a, b), s), _mm_set1_epi16(static_cast<int16_t>(0x8420)));
  return _mm_or_si128(_mm_sub_epi16(s, q), _mm_sub_epi16(q, _mm_srli_epi16(q, 5)));
}

// wre_Add555SatPair on four pixel pairs (32-bit lanes).
inline __m128i wre_Add555SatPair4(__m128i pairs, __m128i additivePairs) {
  const __m128i s = _mm_add_epi32(pairs, additivePairs);
  const __m128i q = _mm_and_si128(_mm_xor_si128(_mm_xor_si128(pairs, additivePairs), s),
                                  _mm_set1_epi32(static_cast<int32_t>(0x84208420u)));
  return _mm_or_si128(_mm_sub_epi32(s, q), _mm_sub_epi32(q, _mm_srli_epi32(q, 5)));
}
#endif
