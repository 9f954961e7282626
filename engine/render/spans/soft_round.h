// Float to integer conversion of the software fillers.
#pragma once
#include <cstdint>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#else
#include <cfenv>
#include <cmath>
#endif

// Rounds by the processor's current rounding mode (the engine keeps nearest, ties to even).
// A NaN or a value outside the int32 range gives INT32_MIN (0x80000000).
inline int32_t wre_FloatToIntRound(float value) {
#if defined(__SSE__) || defined(__x86_64__)
  return _mm_cvtss_si32(_mm_set_ss(value));
#else
  const float r = std::nearbyint(value);
  if (!(r >= -2147483648.0f && r < 2147483648.0f)) return INT32_MIN;
  return static_cast<int32_t>(r);
#endif
}
