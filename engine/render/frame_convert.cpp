// 555 -> 565 in place, two pixels per 32-bit word, eight words per pass.
#include "engine/render/frame_convert.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline uint32_t ConvertPair(uint32_t word) { return (word & 0x003F003Fu) + ((word & 0x7FE07FE0u) << 1); }

void ConvertRow(unsigned char* row, int32_t words) {
  int32_t i = 0;
#if defined(__SSE2__)
  const __m128i keep = _mm_set1_epi32(0x003F003F);
  const __m128i move = _mm_set1_epi32(0x7FE07FE0);
  for (; i + 8 <= words; i += 8) {
    unsigned char* p = row + 4 * static_cast<intptr_t>(i);
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i ca = _mm_add_epi32(_mm_and_si128(a, keep), _mm_slli_epi32(_mm_and_si128(a, move), 1));
    const __m128i cb = _mm_add_epi32(_mm_and_si128(b, keep), _mm_slli_epi32(_mm_and_si128(b, move), 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), ca);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), cb);
  }
#endif
  for (; i < words; ++i) {
    unsigned char* p = row + 4 * static_cast<intptr_t>(i);
    uint32_t word;
    std::memcpy(&word, p, sizeof word);
    word = ConvertPair(word);
    std::memcpy(p, &word, sizeof word);
  }
}

}  // namespace

void wre_SoftFrameConvert565(uint16_t* firstPixel, int32_t width, int32_t height, int32_t rowBytes) {
  if (firstPixel == nullptr || width < 2 || height < 1) return;
  const int32_t words = width >> 1;
  unsigned char* row = reinterpret_cast<unsigned char*>(firstPixel);
  for (int32_t y = 0; y < height; ++y, row += rowBytes) ConvertRow(row, words);
}
