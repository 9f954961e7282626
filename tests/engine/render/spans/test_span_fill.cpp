// The blended and colour-keyed fillers: tables, the calling contract and whole spans, bit for bit.
#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "engine/render/soft_scene.h"
#include "engine/render/spans/span_fill.h"
#include "engine/render/spans/span_shade.h"

namespace {

constexpr uint16_t kFull = 32768;

TEST(SpanFillTables, EveryEntryServesItsTextureSize) {
  for (const auto* table : {&kSpanFillBlend, &kSpanFillKeyed}) {
    for (int i = 0; i < kSpanFillCount; ++i) {
      const int w = i % 9, h = i / 9, width = 1 << w, height = 1 << h;
      std::vector<uint16_t> texels(static_cast<size_t>(width) * height);
      for (size_t t = 0; t < texels.size(); ++t) texels[t] = ProbeTexel(static_cast<uint32_t>(t));
      const int probes[][2] = {{width - 1, 0}, {0, height - 1}, {width / 2, height / 3}, {width / 3, height - 1}};
      for (const auto& probe : probes) {
        SoftScene scene;
        scene.polygon.frameWeight = 1024;  // weight 1: the frame adds nothing
        scene.SetU(0.0f, TexelCentre(probe[0], w));
        scene.SetV(0.0f, TexelCentre(probe[1], h));
        scene.AddSpan(3, 1, 1);
        scene.Draw((*table)[i], texels.data());
        EXPECT_EQ(scene.Pixel(3, 1), ProbeTexel(static_cast<uint32_t>(probe[1] * width + probe[0])) & 0x7FFF)
            << (table == &kSpanFillBlend ? "blend " : "keyed ") << width << "x" << height << " entry " << i;
      }
    }
  }
}

TEST(SpanFillTables, MembersByName) {
#define NAMED_BLEND(W, H, w, h) wre_SpanBlend_##W##x##H,
#define NAMED_KEYED(W, H, w, h) wre_SpanKeyed_##W##x##H,
  const SpanFillFn blend[] = {WRE_SPAN_SIZES(NAMED_BLEND)};
  const SpanFillFn keyed[] = {WRE_SPAN_SIZES(NAMED_KEYED)};
#undef NAMED_BLEND
#undef NAMED_KEYED
  for (int i = 0; i < kSpanFillCount; ++i) {
    EXPECT_EQ(kSpanFillBlend[i], blend[i]) << i;
    EXPECT_EQ(kSpanFillKeyed[i], keyed[i]) << i;
    EXPECT_NE(kSpanFillBlend[i], kSpanFillKeyed[i]) << i;
    for (int j = 0; j < i; ++j) ASSERT_NE(kSpanFillBlend[i], kSpanFillBlend[j]) << i << " " << j;
  }
  EXPECT_EQ(kSpanFillBlend[0], wre_SpanBlend_1x1);
  EXPECT_EQ(kSpanFillBlend[8], wre_SpanBlend_256x1);
  EXPECT_EQ(kSpanFillBlend[9], wre_SpanBlend_1x2);
  EXPECT_EQ(kSpanFillBlend[13], wre_SpanBlend_16x2);
  EXPECT_EQ(kSpanFillKeyed[21], wre_SpanKeyed_8x4);
  EXPECT_EQ(kSpanFillKeyed[40], wre_SpanKeyed_16x16);
  EXPECT_EQ(kSpanFillKeyed[42], wre_SpanKeyed_64x16);
  EXPECT_EQ(kSpanFillKeyed[80], wre_SpanKeyed_256x256);
}

TEST(SpanFillTables, FrameWeightChoosesTheFamily) {
  EXPECT_EQ(wre_SpanFillLookup(1023, 3, 2), wre_SpanKeyed_8x4);
  EXPECT_EQ(wre_SpanFillLookup(0, 4, 4), wre_SpanKeyed_16x16);
  EXPECT_EQ(wre_SpanFillLookup(1024, 3, 2), wre_SpanBlend_8x4);
  EXPECT_EQ(wre_SpanFillLookup(65535, 8, 8), wre_SpanBlend_256x256);
  EXPECT_EQ(wre_SpanFillLookup(33280, 0, 0), wre_SpanBlend_1x1);
}

TEST(SpanFill, NoSpanArrayDrawsNothing) {
  const uint16_t texel = 0xFFFF;
  for (SpanFillFn filler : {wre_SpanBlend_1x1, wre_SpanKeyed_1x1}) {
    SoftScene scene;
    scene.polygon.frameWeight = 16896;
    scene.polygon.spanCount = 5;  // not looked at without an array
    const std::vector<uint16_t> before = scene.frame;
    EXPECT_EQ(scene.Draw(filler, &texel), 0);
    EXPECT_EQ(scene.frame, before);
  }
}

TEST(SpanFill, KeyBitClearLeavesThePixel) {
  const uint16_t texels[2] = {0x7FFF, 0xFFFF};  // column 0 transparent, column 1 drawn
  for (SpanFillFn filler : {wre_SpanBlend_2x1, wre_SpanKeyed_2x1}) {
    SoftScene scene;
    scene.polygon.frameWeight = 16896;
    scene.polygon.additive = 0x0C63;
    scene.SetU(float(1 << 23), float(1 << 22));  // one texel a pixel: columns 0, 1, 0, 1, ...
    scene.AddSpan(0, 2, 20);
    scene.Draw(filler, texels);
    for (int x = 0; x < 20; x += 2) EXPECT_EQ(scene.Pixel(x, 2), SoftScene::kBackground) << x;
    for (int x = 1; x < 20; x += 2) EXPECT_NE(scene.Pixel(x, 2), SoftScene::kBackground) << x;
  }
}

TEST(SpanFill, ExactPointsAreRoundedOnce) {
  // u = u/z x (1 / (1/z)) - uOffset is 0x137FFFE (column 55 of 256) rounded once, 0x1380000 (column
  // 56) with the product rounded to single first.
  const std::vector<uint16_t> texels = ColumnTexture(8);
  for (SpanFillFn filler : {wre_SpanBlend_256x1, wre_SpanKeyed_256x1}) {
    SoftScene scene;
    scene.polygon.frameWeight = 1024;  // weight 1: the frame adds nothing
    scene.gradients.uOverZOrigin = std::bit_cast<float>(0x4689CCF6u);
    scene.gradients.invZOrigin = std::bit_cast<float>(0x3A5F5554u);
    scene.gradients.uOffset = std::bit_cast<float>(0x487A709Eu);
    scene.AddSpan(0, 0, 1);
    scene.Draw(filler, texels.data());
    EXPECT_EQ(scene.Pixel(0, 0), 55);
  }
}

// One pixel of texel `texel` over frame pixel `frame` through `filler`.
uint16_t OnePixel(SpanFillFn filler, uint16_t texel, uint16_t frame, uint16_t light, uint16_t weight,
                  uint16_t additive = 0) {
  SoftScene scene;
  scene.polygon.lightRed = scene.polygon.lightGreen = scene.polygon.lightBlue = light;
  scene.polygon.frameWeight = weight;
  scene.polygon.additive = additive;
  scene.Pixel(5, 4) = frame;
  scene.AddSpan(5, 4, 1);
  scene.Draw(filler, &texel);
  return scene.Pixel(5, 4);
}

TEST(SpanBlend, PixelExamples) {
  struct Row {
    uint16_t texel, frame, light, weight, result;
  };
  const Row rows[] = {
      {0xFFFF, 0x7FFF, 33280, 1024, 0x7FFF}, {0xC210, 0x7FFF, 33280, 2047, 0x4210},  // weight 1: the lit texel
      {0xFFFF, 0xFFFF, 512, 32768, 0x7FFF},  {0xFFFF, 0xFFFF, 512, 33280, 0x7FFF},   // no light: the frame
      {0xC210, 0x1234, 33280, 33280, 0x53FF}, {0x83FF, 0x0001, 33280, 32768, 0xFFFF},
      {0xFFFF, 0x4210, 16896, 16896, 0x62F7}, {0xC210, 0x1234, 16896, 16896, 0x2A12},
      {0x8000, 0x7FFF, 33280, 32768, 0x7FFF}, {0x7FFF, 0x1234, 33280, 32768, 0x1234},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(OnePixel(wre_SpanBlend_1x1, row.texel, row.frame, row.light, row.weight, 0x7FFF), row.result)
        << std::hex << row.texel << " over " << row.frame << " light " << std::dec << row.light << " weight "
        << row.weight;
  }
}

TEST(SpanKeyed, PixelExamples) {
  struct Row {
    uint16_t texel, light, additive, result;
  };
  const Row rows[] = {
      {0x8000, kFull, 0x4210, 0x4210}, {0x8000, kFull, 0x0000, 0x0000}, {0xFFFF, kFull, 0x7FFF, 0x7FFF},
      {0xFFFF, 33280, 0x0000, 0x7FFF}, {0xFFFF, 33280, 0x0001, 0xFFFF}, {0xC210, 33280, 0x0C63, 0x4E73},
      {0x7FFF, 33280, 0x0C63, 0x5A5A},  // key bit clear: the background stays
  };
  for (const Row& row : rows) {
    for (uint16_t weight : {0, 512, 1023}) {  // the weight word is not read
      EXPECT_EQ(OnePixel(wre_SpanKeyed_1x1, row.texel, SoftScene::kBackground, row.light, weight, row.additive),
                row.result)
          << std::hex << row.texel << " + " << row.additive;
    }
  }
}

TEST(SpanKeyed, NeverReadsTheFrame) {
  const std::vector<uint16_t> texels = ColumnTexture(4);
  std::vector<uint16_t> first, second;
  for (uint16_t garbage : {0x0000, 0xFFFF}) {
    SoftScene scene;
    std::fill(scene.frame.begin(), scene.frame.end(), garbage);
    scene.polygon.additive = 0x0421;
    scene.SetU(300000.0f, 5000.0f);
    scene.AddSpan(2, 3, 40);
    scene.Draw(wre_SpanKeyed_16x1, texels.data());
    (first.empty() ? first : second) = scene.Row(3, 2, 40);
  }
  EXPECT_EQ(first, second);
}

TEST(SpanFill, UntexturedPolygonIsWhiteLitOverTheWeightedFrame) {
  const uint16_t white = 0xFFFF;
  SoftScene scene;
  scene.polygon.lightRed = 16896;
  scene.polygon.lightGreen = 16896;
  scene.polygon.lightBlue = 16896;
  scene.polygon.frameWeight = 16896;
  std::fill(scene.frame.begin(), scene.frame.end(), 0x4210);
  scene.SetU(12345.0f, -77.0f);
  scene.SetV(-999.0f, 99999999.0f);
  scene.AddSpan(0, 0, 30);
  scene.Draw(kSpanFillBlend[0], &white);
  for (uint16_t pixel : scene.Row(0, 0, 30)) EXPECT_EQ(pixel, 0x62F7);
  EXPECT_EQ(scene.Pixel(30, 0), 0x4210);
}

TEST(SpanBlend, LaterCallsBlendOverEarlierOnes) {
  const uint16_t white = 0xFFFF;
  SoftScene scene;
  scene.polygon.lightRed = scene.polygon.lightGreen = scene.polygon.lightBlue = 16896;
  scene.polygon.frameWeight = 16896;
  std::fill(scene.frame.begin(), scene.frame.end(), 0x4210);
  scene.AddSpan(0, 0, 1);
  scene.Draw(wre_SpanBlend_1x1, &white);
  EXPECT_EQ(scene.Pixel(0, 0), 0x62F7);
  scene.Draw(wre_SpanBlend_1x1, &white);
  // 0x41EF (the lit texel) + 0x62F7 at half weight (0x316B).
  EXPECT_EQ(scene.Pixel(0, 0), 0x735A);
}

// A 256 x 1 texture whose texels show their column: pixels read back the column they sampled.
struct ColumnSpan {
  std::vector<int> columns;
};

// u = atStart + perPixel * k at pixel k of a span that starts in column 1.
ColumnSpan DrawColumns(SpanFillFn filler, float perPixel, float atStart, int count, bool clamp) {
  static const std::vector<uint16_t> texels = ColumnTexture(8);
  SoftScene scene;
  scene.polygon.frameWeight = 1024;
  scene.polygon.clamp = clamp ? 16 : 0;
  scene.SetU(perPixel, atStart - perPixel);
  scene.AddSpan(1, 5, count);
  scene.Draw(filler, texels.data());
  ColumnSpan result;
  for (uint16_t pixel : scene.Row(5, 1, count)) result.columns.push_back(pixel);
  EXPECT_EQ(scene.Pixel(0, 5), SoftScene::kBackground);
  EXPECT_EQ(scene.Pixel(1 + count, 5), SoftScene::kBackground);
  return result;
}

TEST(SpanBlend, ClampedUndershootReadsTheLastColumn) {
  // Exact u 5 at the start, clamped to 0 at offset 8: the chunk steps by -1 down to -2.
  const ColumnSpan span = DrawColumns(wre_SpanBlend_256x1, -1.0f, 5.0f, 9, true);
  EXPECT_EQ(span.columns, (std::vector<int>{0, 0, 0, 0, 0, 0, 255, 255, 255}));
}

TEST(SpanKeyed, ChunkShiftsAndTailDivides) {
  // Exact u 8 at the start and -1 at offset 8: a difference of -9 units.
  // Keyed 12: the chunk steps by -9 >> 3 = -2: 8, 6, 4, 2, 0, -2, -4, -6 (the last three wrap).
  const ColumnSpan chunk = DrawColumns(wre_SpanKeyed_256x1, -1.125f, 8.0f, 12, false);
  EXPECT_EQ(std::vector<int>(chunk.columns.begin(), chunk.columns.begin() + 8),
            (std::vector<int>{0, 0, 0, 0, 0, 255, 255, 255}));
  // Keyed 8: one tail stepping by -9 / 8 = -1: 8 down to 1.
  const ColumnSpan tail = DrawColumns(wre_SpanKeyed_256x1, -1.125f, 8.0f, 8, false);
  EXPECT_EQ(tail.columns, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SpanFill, WrapAndClampAtTheTextureEdges) {
  const float unit = 65536.0f;
  // Start at -5 units: clamped to column 0, wrapped to the last column.
  EXPECT_EQ(DrawColumns(wre_SpanKeyed_256x1, 0.0f, -5.0f, 3, true).columns, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(DrawColumns(wre_SpanKeyed_256x1, 0.0f, -5.0f, 3, false).columns, (std::vector<int>{255, 255, 255}));
  // 2^24 + 100: clamped to the last column, wrapped to the first.
  const float beyond = 16777216.0f + 128.0f;
  EXPECT_EQ(DrawColumns(wre_SpanBlend_256x1, 0.0f, beyond, 3, true).columns, (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(DrawColumns(wre_SpanBlend_256x1, 0.0f, beyond, 3, false).columns, (std::vector<int>{0, 0, 0}));
  // Far outside the texture without the clamp: only the column bits count.
  EXPECT_EQ(DrawColumns(wre_SpanKeyed_256x1, 0.0f, 7.0f * 16777216.0f + 42.5f * unit, 2, false).columns,
            (std::vector<int>{42, 42}));
}

TEST(SpanKeyed, WidthOneReadsByVAlone) {
  std::vector<uint16_t> texels(16);
  for (int r = 0; r < 16; ++r) texels[r] = static_cast<uint16_t>(0x8000 | (r * 33));
  SoftScene scene;
  scene.SetU(987654.0f, 123456.0f);
  scene.SetV(float(1 << 20), float(1 << 19));  // one row a pixel
  scene.AddSpan(0, 0, 16);
  scene.Draw(wre_SpanKeyed_1x16, texels.data());
  for (int x = 0; x < 16; ++x) EXPECT_EQ(scene.Pixel(x, 0), x * 33) << x;
}

TEST(SpanFill, SpansAreDrawnInArrayOrderOnTheirOwnRows) {
  const std::vector<uint16_t> texels = ColumnTexture(8);
  SoftScene scene;
  scene.polygon.frameWeight = 1024;
  scene.SetU(65536.0f, 32768.0f);  // column = x
  scene.SetV(0.0f, 0.0f);
  scene.AddSpan(10, 0, 5);
  scene.AddSpan(0, 7, 64);
  scene.AddSpan(20, 3, 1);
  for (SpanFillFn filler : {wre_SpanBlend_256x1, wre_SpanKeyed_256x1}) {
    std::fill(scene.frame.begin(), scene.frame.end(), SoftScene::kBackground);
    scene.Draw(filler, texels.data());
    for (int y = 0; y < SoftScene::kHeight; ++y) {
      for (int x = 0; x < SoftScene::kRowPixels; ++x) {
        const bool covered = (y == 0 && x >= 10 && x < 15) || (y == 7 && x < 64) || (y == 3 && x == 20);
        ASSERT_EQ(scene.Pixel(x, y), covered ? x : SoftScene::kBackground) << x << "," << y;
      }
    }
  }
}

TEST(SpanFill, ChunksAndTailsShadeEveryPixelAlike) {
  // One texel a pixel across a 16-wide texture with some key bits clear, over a frame of noise;
  // every drawn pixel must be the one-pixel rule applied to its texel and the old frame pixel.
  std::vector<uint16_t> texels(16);
  uint32_t seed = 4242;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int n : {1, 3, 7, 8, 9, 11, 12, 16, 19, 27, 61}) {
    for (uint16_t weight : {1024, 16896, 33280, 34816, 65535}) {
      for (SpanFillFn filler : {wre_SpanBlend_16x1, wre_SpanKeyed_16x1}) {
        for (uint16_t& t : texels) t = static_cast<uint16_t>(next() >> 8);
        SoftScene scene;
        for (uint16_t& p : scene.frame) p = static_cast<uint16_t>(next() >> 12);
        const std::vector<uint16_t> before = scene.frame;
        scene.polygon.frameWeight = weight;
        scene.RandomShade(next);
        scene.SetU(float(1 << 20), float(1 << 19));
        scene.AddSpan(0, 1, n);
        scene.Draw(filler, texels.data());
        const SoftShade shade = wre_ShadePrepare(scene.polygon);
        for (int x = 0; x < SoftScene::kRowPixels; ++x) {
          const uint16_t texel = texels[x % 16], old = before[SoftScene::kRowPixels + x];
          const uint32_t expected = x >= n || !(texel & kTexelKeyBit) ? old
                                    : filler == wre_SpanBlend_16x1  ? wre_ShadeBlend(texel, old, shade)
                                                                    : wre_ShadeKeyed(texel, shade);
          ASSERT_EQ(scene.Pixel(x, 1), expected) << "n " << n << " weight " << weight << " pixel " << x;
        }
      }
    }
  }
}

}  // namespace
