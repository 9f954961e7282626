// Texel shading arithmetic: lighting, frame weighting and the saturating 555 add, bit for bit.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/render/spans/span_shade.h"

namespace {

SoftShade Shade(uint16_t red, uint16_t green, uint16_t blue, uint16_t weight = 0, uint16_t additive = 0) {
  SoftPolygon polygon{};
  polygon.lightRed = red;
  polygon.lightGreen = green;
  polygon.lightBlue = blue;
  polygon.frameWeight = weight;
  polygon.additive = additive;
  return wre_ShadePrepare(polygon);
}

TEST(SpanShade, PrepareBuildsThePackedMultipliers) {
  struct Row {
    uint16_t word;
    uint32_t lightRB;
  };
  for (const Row& row : {Row{33280, 0x10420}, Row{32768, 0x10020}, Row{16896, 0x8410}, Row{16384, 0x8010},
                         Row{512, 0x400}}) {
    const SoftShade shade = Shade(row.word, row.word, row.word);
    EXPECT_EQ(shade.lightRB, row.lightRB) << row.word;
    EXPECT_EQ(shade.lightG, row.word);
  }
  struct WeightRow {
    uint16_t word;
    uint32_t weight;
  };
  const WeightRow weights[] = {{1024, 1},  {2047, 1},  {16384, 16}, {16896, 16},
                               {31744, 31}, {32767, 31}, {32768, 32}, {33280, 32}};
  for (const WeightRow& row : weights) {
    EXPECT_EQ(Shade(512, 512, 512, row.word).weight, row.weight) << row.word;
  }
  EXPECT_EQ(Shade(512, 512, 512, 0, 0x4210).additive, 0x4210u);
}

TEST(SpanShade, TexelLightExamples) {
  struct Row {
    uint16_t red, green, blue, texel, lit;
  };
  const Row rows[] = {
      {32768, 512, 512, 0xFFFF, 0x7C00},   {512, 32768, 512, 0xFFFF, 0x03E0},   {512, 512, 32768, 0xFFFF, 0x001F},
      {8704, 24576, 4608, 0xFFFF, 0x22E3}, {33280, 33280, 33280, 0xFFFF, 0x7FFF}, {32768, 32768, 32768, 0xFFFF, 0x7FFF},
      {512, 512, 512, 0xFFFF, 0x0000},     {16896, 16896, 16896, 0xFFFF, 0x41EF}, {16896, 16896, 16896, 0xFC00, 0x3C00},
      {16896, 16896, 16896, 0xFC1F, 0x400F}, {16896, 16896, 16896, 0xC210, 0x2108},
      // Red light 16384 halves red, the others keep their channels.
      {16384, 32768, 32768, 0x7FFF, 0x3FFF},
      // 33279 (full colour at full alpha) leaves the texel as it is.
      {33279, 33279, 33279, 0x7FFF, 0x7FFF},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(wre_TexelLight(row.texel, Shade(row.red, row.green, row.blue)), row.lit)
        << std::hex << row.red << " " << row.green << " " << row.blue << " texel " << row.texel;
  }
}

TEST(SpanShade, FullLightKeepsEveryTexelAndNoLightGivesBlack) {
  for (uint32_t word = 32768; word <= 33280; word += 1) {
    const uint16_t w = static_cast<uint16_t>(word);
    const SoftShade shade = Shade(w, w, w);
    for (uint32_t texel = 0; texel < 0x10000; texel += (word % 64 == 0) ? 1 : 97) {
      ASSERT_EQ(wre_TexelLight(texel, shade), texel & 0x7FFF) << word << " " << texel;
    }
  }
  const SoftShade dark = Shade(512, 512, 512);
  for (uint32_t texel = 0; texel < 0x10000; ++texel) ASSERT_EQ(wre_TexelLight(texel, dark), 0u);
}

TEST(SpanShade, LightWordsAboveTheRangeWrapBrightChannels) {
  // The first word at which a white texel's channel drops below 31, the other words at 32768.
  auto firstDrop = [](int channel) {
    for (uint32_t word = 32768; word < 65536; ++word) {
      const uint16_t w = static_cast<uint16_t>(word);
      const SoftShade shade = Shade(channel == 0 ? w : 32768, channel == 1 ? w : 32768, channel == 2 ? w : 32768);
      const uint32_t lit = wre_TexelLight(0xFFFF, shade);
      const uint32_t value = channel == 0 ? lit >> 10 : channel == 1 ? (lit >> 5) & 31 : lit & 31;
      if (value < 31) return word;
    }
    return 0u;
  };
  EXPECT_EQ(firstDrop(0), 33792u);
  EXPECT_EQ(firstDrop(1), 33826u);
  EXPECT_EQ(firstDrop(2), 34816u);
}

TEST(SpanShade, RedCarriesTheCrossProductOfTheSharedMultiply) {
  // Lit separately red would be floor(31 * 33 / 64) = 15; the blue cross product lifts it to 16.
  const SoftShade half = Shade(16896, 16896, 16896);
  EXPECT_EQ(wre_TexelLight(0x7C00, half) >> 10, 15u);
  EXPECT_EQ(wre_TexelLight(0x7C1F, half) >> 10, 16u);
}

TEST(SpanShade, FrameWeightExamples) {
  struct Row {
    uint16_t frame;
    uint32_t weight;
    uint16_t result;
  };
  for (const Row& row : {Row{0x7FFF, 32, 0x7FFF}, Row{0x7FFF, 16, 0x3DEF}, Row{0x7FFF, 1, 0x0000},
                         Row{0x1234, 16, 0x090A}, Row{0xFFFF, 32, 0x7FFF}}) {
    EXPECT_EQ(wre_FrameWeight(row.frame, row.weight), row.result) << std::hex << row.frame << " " << row.weight;
  }
}

TEST(SpanShade, FrameWeightScalesEachChannelForWeightsUpTo33) {
  for (uint32_t weight = 1; weight <= 33; ++weight) {
    for (uint32_t f = 0; f < 0x8000; ++f) {
      const uint32_t r = ((f >> 10) & 31) * weight / 32, g = ((f >> 5) & 31) * weight / 32, b = (f & 31) * weight / 32;
      ASSERT_EQ(wre_FrameWeight(f | 0x8000, weight), (r << 10) | (g << 5) | b) << f << " " << weight;
    }
  }
}

TEST(SpanShade, SaturatingAddExamples) {
  struct Row {
    uint16_t a, b, sum;
  };
  const Row rows[] = {
      {0x7C00, 0x0400, 0x7C00}, {0x001F, 0x0001, 0x001F}, {0x0010, 0x0010, 0x001F}, {0x4210, 0x4210, 0x7FFF},
      {0x1084, 0x0421, 0x14A5}, {0x3DEF, 0x0C63, 0x4A52}, {0x07FF, 0x0001, 0x03FF}, {0x03FF, 0x0001, 0xFFFF},
      {0x7FFF, 0x0001, 0xFFFF}, {0x1234, 0x7FFF, 0x7FFF}, {0x0001, 0x7FFF, 0xFFFF},
      // Red 20 + 20 saturates without disturbing green and blue.
      {(20 << 10) | (5 << 5) | 7, 20 << 10, (31 << 10) | (5 << 5) | 7},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(wre_Add555Sat(row.a, row.b), row.sum) << std::hex << row.a << " + " << row.b;
    EXPECT_EQ(wre_Add555Sat(row.b, row.a), row.sum) << std::hex << row.b << " + " << row.a;
  }
}

// The stored word for channel sums sR, sG, sB, including the carry cases in which taking back the
// lower carry borrows from the channels above.
uint32_t ExpectedSum(uint32_t sR, uint32_t sG, uint32_t sB) {
  uint32_t red = std::min(sR, 31u), bit15 = 0;
  const bool blueCarries = sB >= 32;
  const bool greenCarries = sG >= 32 || (sG == 31 && blueCarries);
  if (blueCarries && sG == 31) {
    if (sR >= 1 && sR <= 30) red = sR - 1;
    if (sR == 0) red = 31, bit15 = 1;
  }
  if (sR == 31 && greenCarries) bit15 = 1;
  if (sR == 32 && sG == 31 && blueCarries) bit15 = 1;
  return (bit15 << 15) | (red << 10) | (std::min(sG, 31u) << 5) | std::min(sB, 31u);
}

TEST(SpanShade, SaturatingAddMatchesThePerChannelRuleForEveryChannelSum) {
  for (uint32_t sR = 0; sR <= 62; ++sR) {
    for (uint32_t sG = 0; sG <= 62; ++sG) {
      for (uint32_t sB = 0; sB <= 62; ++sB) {
        const uint32_t aR = std::min(sR, 31u), aG = std::min(sG, 31u), aB = std::min(sB, 31u);
        const uint32_t a = (aR << 10) | (aG << 5) | aB;
        const uint32_t b = ((sR - aR) << 10) | ((sG - aG) << 5) | (sB - aB);
        ASSERT_EQ(wre_Add555Sat(a, b), ExpectedSum(sR, sG, sB)) << sR << " " << sG << " " << sB;
      }
    }
  }
}

TEST(SpanShade, PairAddBorrowsFromTheHighPixelOnlyInTheCarryCase) {
  // Low pixel 0x0001 + 0x03FF is the carry case (0xFFFF alone); its borrow lowers the high pixel.
  EXPECT_EQ(wre_Add555SatPair(0x00000001, 0x03FF03FF), 0x03FEFFFFu);
  EXPECT_EQ(wre_Add555Sat(0x0000, 0x03FF), 0x03FFu);
  // Otherwise a pair is two single adds.
  EXPECT_EQ(wre_Add555SatPair(0x7FFF1234, 0x7FFF7FFF), 0x7FFF7FFFu);
  EXPECT_EQ(wre_Add555SatPair(0x42104210, 0x0C630C63), 0x4E734E73u);
}

TEST(SpanShade, WholePixelExamples) {
  const SoftShade full = Shade(33280, 33280, 33280);
  auto keyed = [&](uint16_t texel, uint16_t additive) {
    SoftShade shade = full;
    shade.additive = additive;
    return wre_ShadeKeyed(texel, shade);
  };
  EXPECT_EQ(keyed(0xFFFF, 0x0000), 0x7FFFu);
  EXPECT_EQ(keyed(0xFFFF, 0x0001), 0xFFFFu);
  EXPECT_EQ(keyed(0x8000, 0x4210), 0x4210u);
  EXPECT_EQ(keyed(0xC210, 0x0C63), 0x4E73u);

  const SoftShade half = Shade(16896, 16896, 16896, 16896);
  EXPECT_EQ(wre_ShadeBlend(0xFFFF, 0x4210, half), 0x62F7u);
  EXPECT_EQ(wre_ShadeBlend(0xC210, 0x1234, half), 0x2A12u);
  EXPECT_EQ(wre_ShadeBlend(0x8000, 0x7FFF, Shade(33280, 33280, 33280, 32768)), 0x7FFFu);
  EXPECT_EQ(wre_ShadeBlend(0xC210, 0x1234, Shade(33280, 33280, 33280, 33280)), 0x53FFu);
  EXPECT_EQ(wre_ShadeBlend(0x83FF, 0x0001, Shade(33280, 33280, 33280, 32768)), 0xFFFFu);
}

}  // namespace

#if defined(__SSE2__)
namespace {

TEST(SpanShade, EightTexelsAtOnceMatchOneByOne) {
  const uint16_t words[] = {512, 513, 1023, 1024, 8704, 16384, 16896, 24576, 32767, 32768, 33279, 33280, 40000, 65535};
  alignas(16) uint16_t texels[8];
  alignas(16) uint16_t lit[8];
  for (uint16_t red : words) {
    for (uint16_t green : {uint16_t{512}, uint16_t{24576}, uint16_t{33280}, uint16_t{65535}}) {
      for (uint16_t blue : words) {
        const SoftShade shade = Shade(red, green, blue);
        for (uint32_t first = 0; first < 0x10000; first += 8 * 37) {
          for (int j = 0; j < 8; ++j) texels[j] = static_cast<uint16_t>(first + j * 4099u);
          _mm_store_si128(reinterpret_cast<__m128i*>(lit),
                          wre_TexelLight8(_mm_load_si128(reinterpret_cast<const __m128i*>(texels)), shade));
          for (int j = 0; j < 8; ++j) ASSERT_EQ(lit[j], wre_TexelLight(texels[j], shade)) << red << " " << blue;
        }
      }
    }
  }
}

TEST(SpanShade, FourPairsAtOnceMatchOneByOne) {
  alignas(16) uint32_t pairs[4];
  alignas(16) uint32_t sums[4];
  uint32_t seed = 99;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const uint32_t additive = (seed >> 8) & 0x7FFF;
    for (uint32_t& p : pairs) {
      seed = seed * 1664525u + 1013904223u;
      p = seed & 0x7FFF7FFF;
    }
    _mm_store_si128(reinterpret_cast<__m128i*>(sums),
                    wre_Add555SatPair4(_mm_load_si128(reinterpret_cast<const __m128i*>(pairs)),
                                       _mm_set1_epi32(static_cast<int32_t>(additive * 0x10001u))));
    for (int j = 0; j < 4; ++j) ASSERT_EQ(sums[j], wre_Add555SatPair(pairs[j], additive * 0x10001u));
  }
}

}  // namespace
#endif

#if defined(__SSE2__)
namespace {

TEST(SpanShade, EightPixelsAtOnceMatchOneByOne) {
  alignas(16) uint16_t a[8], b[8], out[8];
  for (uint32_t first = 0; first < 0x10000; first += 8) {
    for (int j = 0; j < 8; ++j) a[j] = static_cast<uint16_t>(first + j);
    const __m128i frame = _mm_load_si128(reinterpret_cast<const __m128i*>(a));
    for (uint32_t weight = 0; weight <= 33; ++weight) {
      _mm_store_si128(reinterpret_cast<__m128i*>(out), wre_FrameWeight8(frame, weight));
      for (int j = 0; j < 8; ++j) ASSERT_EQ(out[j], wre_FrameWeight(a[j], weight)) << a[j] << " " << weight;
    }
    for (uint32_t other : {0x0000u, 0x0001u, 0x03FFu, 0x4210u, 0x7FFFu, (first * 7u) & 0x7FFF}) {
      for (int j = 0; j < 8; ++j) {
        a[j] &= 0x7FFF;
        b[j] = static_cast<uint16_t>((other + j * 1111u) & 0x7FFF);
      }
      _mm_store_si128(reinterpret_cast<__m128i*>(out),
                      wre_Add555Sat8(_mm_load_si128(reinterpret_cast<const __m128i*>(a)),
                                     _mm_load_si128(reinterpret_cast<const __m128i*>(b))));
      for (int j = 0; j < 8; ++j) ASSERT_EQ(out[j], wre_Add555Sat(a[j], b[j])) << a[j] << " + " << b[j];
    }
  }
}

}  // namespace
#endif
