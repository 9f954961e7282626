// The opaque span fillers: batch walk, draw-list unlinking, pixels bit for bit, all 81 sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/render/soft_scene.h"
#include "engine/render/spans/span_opaque.h"
#include "engine/render/spans/span_fill.h"
#include "engine/render/spans/span_shade.h"

namespace {

TEST(SpanOpaqueTable, EveryEntryServesItsTextureSize) {
  for (int i = 0; i < kSpanFillCount; ++i) {
    const int w = i % 9, h = i / 9, width = 1 << w, height = 1 << h;
    std::vector<uint16_t> texels(static_cast<size_t>(width) * height);
    for (size_t t = 0; t < texels.size(); ++t) texels[t] = ProbeTexel(static_cast<uint32_t>(t)) & 0x7FFF;
    const int probes[][2] = {{width - 1, 0}, {0, height - 1}, {width / 2, height / 3}, {width / 3, height - 1}};
    for (const auto& probe : probes) {
      SoftScene scene;
      scene.SetU(0.0f, TexelCentre(probe[0], w));
      scene.SetV(0.0f, TexelCentre(probe[1], h));
      scene.AddSpan(3, 1, 1);
      scene.Draw(kSpanFillOpaque[i], texels.data());
      EXPECT_EQ(scene.Pixel(3, 1), texels[probe[1] * width + probe[0]]) << width << "x" << height << " entry " << i;
    }
  }
}

TEST(SpanOpaqueTable, MembersByName) {
#define NAMED_OPAQUE(W, H, w, h) wre_SpanOpaque_##W##x##H,
  const SpanFillFn opaque[] = {WRE_SPAN_SIZES(NAMED_OPAQUE)};
#undef NAMED_OPAQUE
  for (int i = 0; i < kSpanFillCount; ++i) EXPECT_EQ(kSpanFillOpaque[i], opaque[i]) << i;
  EXPECT_EQ(kSpanFillOpaque[1], wre_SpanOpaque_2x1);
  EXPECT_EQ(kSpanFillOpaque[44], wre_SpanOpaque_256x16);
  EXPECT_EQ(kSpanFillOpaque[45], wre_SpanOpaque_1x32);
  EXPECT_EQ(kSpanFillOpaque[80], wre_SpanOpaque_256x256);
}

TEST(SpanOpaque, DrawsTheBatchAndUnlinksWhatItDraws) {
  // Draw list: head, a, b, c, d, tail. Batch: a -> b -> c -> d; b is see-through, c has no spans.
  const uint16_t texel = 0x1234;
  SoftGradients gradients{};
  gradients.invZOrigin = 1.0f;
  SoftPolygon head{}, tail{}, polygons[4]{};
  SoftSpan spans[4] = {{0, 0, 4}, {0, 1, 4}, {0, 2, 4}, {0, 3, 4}};
  SoftPolygon* list[6] = {&head, &polygons[0], &polygons[1], &polygons[2], &polygons[3], &tail};
  for (int i = 0; i < 6; ++i) {
    if (i > 0) list[i]->prev = list[i - 1];
    if (i < 5) list[i]->next = list[i + 1];
  }
  for (int i = 0; i < 4; ++i) {
    SoftPolygon& p = polygons[i];
    p.gradients = &gradients;
    p.lightRed = p.lightGreen = p.lightBlue = 32768;
    p.firstSpan = &spans[i];
    p.spanCount = 1;
    p.nextInBatch = i < 3 ? &polygons[i + 1] : nullptr;
  }
  polygons[1].seeThrough = 1;
  polygons[2].firstSpan = nullptr;

  std::vector<uint16_t> frame(16 * 4, 0x5A5A);
  kSpanFillOpaque[0](&polygons[0], frame.data(), 32, &texel);

  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(frame[0 * 16 + x], 0x1234);
    EXPECT_EQ(frame[1 * 16 + x], 0x5A5A);  // see-through: left to the later pass
    EXPECT_EQ(frame[2 * 16 + x], 0x5A5A);  // no spans
    EXPECT_EQ(frame[3 * 16 + x], 0x1234);
  }
  EXPECT_EQ(frame[4], 0x5A5A);
  EXPECT_EQ(head.next, &polygons[1]);
  EXPECT_EQ(polygons[1].prev, &head);
  EXPECT_EQ(polygons[1].next, &polygons[2]);
  EXPECT_EQ(polygons[2].prev, &polygons[1]);
  EXPECT_EQ(polygons[2].next, &tail);
  EXPECT_EQ(tail.prev, &polygons[2]);
}

// One span through a 2^w x 1 texture; pixels in span order.
std::vector<uint16_t> DrawSpan(SpanFillFn filler, const std::vector<uint16_t>& texels, float perPixel, float atStart,
                               int count, uint16_t light = 32768, uint16_t additive = 0, uint8_t clamp = 0) {
  SoftScene scene;
  scene.polygon.lightRed = scene.polygon.lightGreen = scene.polygon.lightBlue = light;
  scene.polygon.additive = additive;
  scene.polygon.clamp = clamp;
  scene.SetU(perPixel, atStart - 2 * perPixel);
  scene.AddSpan(2, 6, count);
  scene.Draw(filler, texels.data());
  EXPECT_EQ(scene.Pixel(1, 6), SoftScene::kBackground);
  EXPECT_EQ(scene.Pixel(2 + count, 6), SoftScene::kBackground);
  return scene.Row(6, 2, count);
}

TEST(SpanOpaque, WalksByTheKeyedPlan) {
  const std::vector<uint16_t> texels = ColumnTexture(8);
  // A difference of -9 units over the first 8 pixels: -2 a pixel in a chunk (span of 12)...
  EXPECT_EQ(DrawSpan(wre_SpanOpaque_256x1, texels, -1.125f, 8.0f, 12),
            (std::vector<uint16_t>{0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255, 255}));
  // ... -1 a pixel in a tail (span of 11 ends at -4.375 -> -4: step -12 / 11 = -1).
  EXPECT_EQ(DrawSpan(wre_SpanOpaque_256x1, texels, -1.125f, 8.0f, 11),
            (std::vector<uint16_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255}));
  // Texel per pixel over long spans: every pixel reads its own column.
  for (int n : {1, 11, 12, 20, 27, 30, 64}) {
    const std::vector<uint16_t> pixels = DrawSpan(wre_SpanOpaque_256x1, texels, 65536.0f, 32768.0f, n);
    for (int k = 0; k < n; ++k) EXPECT_EQ(pixels[k], k) << "n = " << n;
  }
}

TEST(SpanOpaque, ClampAndWrap) {
  const std::vector<uint16_t> texels = ColumnTexture(8);
  EXPECT_EQ(DrawSpan(wre_SpanOpaque_256x1, texels, 0.0f, -5.0f, 3, 32768, 0, 16), (std::vector<uint16_t>{0, 0, 0}));
  EXPECT_EQ(DrawSpan(wre_SpanOpaque_256x1, texels, 0.0f, -5.0f, 3), (std::vector<uint16_t>{255, 255, 255}));
  const float beyond = 16777216.0f + 128.0f;
  EXPECT_EQ(DrawSpan(wre_SpanOpaque_256x1, texels, 0.0f, beyond, 3, 32768, 0, 16),
            (std::vector<uint16_t>{255, 255, 255}));
  EXPECT_EQ(DrawSpan(wre_SpanOpaque_256x1, texels, 0.0f, beyond, 3), (std::vector<uint16_t>{0, 0, 0}));
  EXPECT_EQ(wre_UVClampEdge(-5), 0);
  EXPECT_EQ(wre_UVClampEdge(0xFFFFFF), 0xFFFFFF);
  EXPECT_EQ(wre_UVClampEdge((1 << 24) + 100), 0xFFFFFF);
  EXPECT_EQ(wre_UVClampEdge(1 << 25), 0xFFFFFF);
  EXPECT_EQ(wre_UVClampEdge(INT32_MAX), 0xFFFFFF);
}

TEST(SpanOpaque, LightAndAdditiveColour) {
  auto pixel = [](uint16_t texel, uint16_t red, uint16_t green, uint16_t blue, uint16_t additive, int count) {
    SoftScene scene;
    scene.polygon.lightRed = red;
    scene.polygon.lightGreen = green;
    scene.polygon.lightBlue = blue;
    scene.polygon.additive = additive;
    scene.AddSpan(0, 0, count);
    scene.Draw(wre_SpanOpaque_1x1, &texel);
    const std::vector<uint16_t> row = scene.Row(0, 0, count);
    for (uint16_t p : row) EXPECT_EQ(p, row[0]);
    return row[0];
  };
  for (int count : {1, 7, 16}) {  // single pixels and pairs alike
    EXPECT_EQ(pixel(0xFFFF, 32768, 32768, 32768, 0, count), 0x7FFF);
    EXPECT_EQ(pixel(0xFFFF, 33279, 33279, 33279, 0, count), 0x7FFF);
    EXPECT_EQ(pixel(0xFFFF, 33280, 33280, 33280, 0, count), 0x7FFF);
    EXPECT_EQ(pixel(0xFFFF, 512, 512, 512, 0, count), 0x0000);
    EXPECT_EQ(pixel(0x7FFF, 16384, 32768, 32768, 0, count), 0x3FFF);  // red becomes 15
    EXPECT_EQ(pixel(0x1234, 32768, 32768, 32768, 0x7FFF, count), 0x7FFF);
    EXPECT_EQ(pixel(0x0001, 32768, 32768, 32768, 0x7FFF, count), 0xFFFF);
    // White at full light with an additive colour: the carry case, not 0x7FFF.
    EXPECT_EQ(pixel(0xFFFF, 33279, 33279, 33279, 0x0001, count), 0xFFFF);
    // Lit red 20 + additive red 20: red 31, green and blue untouched.
    EXPECT_EQ(pixel((20 << 10) | (5 << 5) | 7, 32768, 32768, 32768, 20 << 10, count), (31 << 10) | (5 << 5) | 7);
    // Untextured: the light colour plus the additive colour.
    EXPECT_EQ(pixel(0xFFFF, 16896, 16896, 16896, 0x0421, count), 0x41EF + 0x0421);
  }
}

TEST(SpanOpaque, PairsInChunksBorrowFromTheHighPixel) {
  // Columns 0 and 1 lit 0x0001 and 0x0000 with additive 0x03FF: the first is the carry case.
  const std::vector<uint16_t> texels = {0x0001, 0x0000};
  const std::vector<uint16_t> pixels = DrawSpan(wre_SpanOpaque_2x1, texels, float(1 << 23), float(1 << 22), 12,
                                                32768, 0x03FF);
  // Chunk (stored in pairs): the high pixel of every pair loses one. Tail: single pixels.
  EXPECT_EQ(pixels, (std::vector<uint16_t>{0xFFFF, 0x03FE, 0xFFFF, 0x03FE, 0xFFFF, 0x03FE, 0xFFFF, 0x03FE,  //
                                           0xFFFF, 0x03FF, 0xFFFF, 0x03FF}));
}

TEST(SpanOpaque, NeverReadsTheFrame) {
  const std::vector<uint16_t> texels = ColumnTexture(4);
  std::vector<std::vector<uint16_t>> rows;
  for (uint16_t garbage : {0x0000, 0xFFFF, 0x8421}) {
    SoftScene scene;
    std::fill(scene.frame.begin(), scene.frame.end(), garbage);
    scene.polygon.additive = 0x0C63;
    scene.gradients.invZDx = 0.01f;
    scene.SetU(300000.0f, 5000.0f);
    scene.SetV(-3000.0f, 1.0e6f);
    scene.AddSpan(1, 2, 45);
    scene.Draw(wre_SpanOpaque_16x1, texels.data());
    rows.push_back(scene.Row(2, 1, 45));
  }
  EXPECT_EQ(rows[0], rows[1]);
  EXPECT_EQ(rows[0], rows[2]);
}

TEST(SpanOpaque, ChunkPairsAndTailPixelsFollowTheirRules) {
  // One texel a pixel; chunks (while 12 or more pixels remain) add in pairs, the tail one by one.
  std::vector<uint16_t> texels(16);
  uint32_t seed = 777;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int round = 0; round < 100; ++round) {
    for (int n : {1, 5, 8, 11, 12, 19, 20, 61}) {
      for (uint16_t& t : texels) t = static_cast<uint16_t>(next() >> 8);
      SoftScene scene;
      scene.RandomShade(next);
      scene.SetU(float(1 << 20), float(1 << 19));
      scene.AddSpan(0, 1, n);
      scene.Draw(wre_SpanOpaque_16x1, texels.data());
      const SoftShade shade = wre_ShadePrepare(scene.polygon);
      const int chunked = n < 12 ? 0 : (n - 4) / 8 * 8;
      for (int x = 0; x < chunked; x += 2) {
        const uint32_t pair = wre_Add555SatPair(
            wre_TexelLight(texels[x % 16], shade) | (wre_TexelLight(texels[(x + 1) % 16], shade) << 16),
            shade.additive * 0x10001u);
        ASSERT_EQ(scene.Pixel(x, 1), pair & 0xFFFF) << n << ": " << x;
        ASSERT_EQ(scene.Pixel(x + 1, 1), pair >> 16) << n << ": " << x + 1;
      }
      for (int x = chunked; x < n; ++x) {
        ASSERT_EQ(scene.Pixel(x, 1), wre_ShadeKeyed(texels[x % 16], shade)) << n << ": " << x;
      }
      ASSERT_EQ(scene.Pixel(n, 1), SoftScene::kBackground);
    }
  }
}

// The pixels of one span of n under strong perspective through a 256 x 256 texture.
std::vector<uint16_t> PerspectiveSpan(SpanFillFn filler, const std::vector<uint16_t>& texels, int n, uint8_t clamp) {
  SoftScene scene;
  scene.polygon.frameWeight = 1024;  // blended: the frame adds nothing
  scene.polygon.clamp = clamp;
  scene.gradients.invZDx = 0.04f;
  scene.gradients.invZOrigin = 0.3f;
  scene.gradients.uOverZDx = 1.1e6f;
  scene.gradients.uOverZOrigin = -4.0e5f;
  scene.gradients.uOffset = 333.0f;
  scene.gradients.vOverZDx = -2.3e6f;
  scene.gradients.vOverZOrigin = 9.0e6f;
  scene.AddSpan(1, 0, n);
  scene.Draw(filler, texels.data());
  return scene.Row(0, 1, n);
}

TEST(SpanOpaque, StepsLikeTheColourKeyedFillers) {
  std::vector<uint16_t> texels(256 * 256);
  uint32_t seed = 5;
  for (uint16_t& t : texels) t = static_cast<uint16_t>(((seed = seed * 1664525u + 1013904223u) >> 9) | 0x8000);
  int blendedDiffers = 0;
  for (int n = 1; n <= 40; ++n) {
    // No additive colour, so pairs and single pixels agree and only the texel picks can differ.
    const std::vector<uint16_t> keyed = PerspectiveSpan(wre_SpanKeyed_256x256, texels, n, 0);
    EXPECT_EQ(PerspectiveSpan(wre_SpanOpaque_256x256, texels, n, 0), keyed) << "n = " << n;
    blendedDiffers += PerspectiveSpan(wre_SpanBlend_256x256, texels, n, 0) != keyed;
  }
  EXPECT_GT(blendedDiffers, 5);  // the blended plan is told apart by the same comparison
}

}  // namespace
