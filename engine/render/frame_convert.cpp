// 555 -> 565 in place, two pixels per 32-bit word, a cache line of words per pass.
#include "engine/render/frame_convert.h"

#include <cstring>

#include "platform/plat_pixels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

namespace {

inline uint32_t ConvertPair(uint32_t word) {
  return plat_Convert555To565(word & 0xFFFFu) | static_cast<uint32_t>(plat_Convert555To565(word >> 16)) << 16;
}

#if defined(__SSE2__)
// The one-pixel masks, for both pixels of each 32-bit lane.
constexpr uint32_t kKeepPair = kPlat555To565Keep | kPlat555To565Keep << 16;
constexpr uint32_t kMovePair = kPlat555To565Move | kPlat555To565Move << 16;

inline __m128i Convert4(__m128i w, __m128i keep, __m128i move) {
  return _mm_add_epi32(_mm_and_si128(w, keep), _mm_slli_epi32(_mm_and_si128(w, move), 1));
}
#endif

void ConvertRow(unsigned char* row, int32_t words) {
  int32_t i = 0;
#if defined(__SSE2__)
  const __m128i keep = _mm_set1_epi32(static_cast<int>(kKeepPair));
  const __m128i move = _mm_set1_epi32(static_cast<int>(kMovePair));
  for (; i + 16 <= words; i += 16) {
    unsigned char* p = row + 4 * static_cast<intptr_t>(i);
    _mm_prefetch(reinterpret_cast<const char*>(p) + 1024, _MM_HINT_T0);
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), Convert4(a, keep, move));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), Convert4(b, keep, move));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), Convert4(c, keep, move));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 48), Convert4(d, keep, move));
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
