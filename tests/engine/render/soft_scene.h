// A small frame, one polygon with its spans and gradients, and helpers to drive span fillers.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/render/spans/soft_records.h"

struct SoftScene {
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 8;
  static constexpr int kRowPixels = kWidth + 6;  // a gap behind every row that no filler may touch
  static constexpr int32_t kPitch = kRowPixels * 2;
  static constexpr uint16_t kBackground = 0x5A5A;

  std::vector<uint16_t> frame = std::vector<uint16_t>(kRowPixels * kHeight, kBackground);
  SoftGradients gradients{};
  std::vector<SoftSpan> spans;
  SoftPolygon head{};
  SoftPolygon polygon{};
  SoftPolygon tail{};

  SoftScene() {
    gradients.invZOrigin = 1.0f;  // 1/z = 1: u and v are the linear values themselves
    polygon.gradients = &gradients;
    polygon.lightRed = polygon.lightGreen = polygon.lightBlue = 32768;
    head.next = &polygon;
    polygon.prev = &head;
    polygon.next = &tail;
    tail.prev = &polygon;
  }
  SoftScene(const SoftScene&) = delete;
  SoftScene& operator=(const SoftScene&) = delete;

  // u = atZero + perPixel * x (and v likewise) on every row.
  void SetU(float perPixel, float atZero) {
    gradients.uOverZDx = perPixel;
    gradients.uOverZOrigin = atZero;
  }
  void SetV(float perPixel, float atZero) {
    gradients.vOverZDx = perPixel;
    gradients.vOverZOrigin = atZero;
  }
  void AddSpan(int x, int y, int count) {
    spans.push_back(SoftSpan{static_cast<int16_t>(x), static_cast<int16_t>(y), count});
    polygon.firstSpan = spans.data();
    polygon.spanCount = static_cast<int32_t>(spans.size());
  }
  // Light words and additive colour drawn from `next`, a source of 32-bit random numbers.
  template <typename Random>
  void RandomShade(Random& next) {
    polygon.lightRed = static_cast<uint16_t>(512 + next() % 32769);
    polygon.lightGreen = static_cast<uint16_t>(512 + next() % 32769);
    polygon.lightBlue = static_cast<uint16_t>(512 + next() % 32769);
    polygon.additive = static_cast<uint16_t>(next() & 0x7FFF);
  }
  int32_t Draw(SpanFillFn filler, const uint16_t* texels) {
    return filler(&polygon, frame.data(), kPitch, texels);
  }
  uint16_t& Pixel(int x, int y) { return frame[static_cast<size_t>(y) * kRowPixels + x]; }
  std::vector<uint16_t> Row(int y, int x, int count) {
    return std::vector<uint16_t>(frame.begin() + y * kRowPixels + x, frame.begin() + y * kRowPixels + x + count);
  }
};

// A texture 2^log2W wide and one row high whose texel in column c holds c (plus the key bit): at full
// light with no additive colour a drawn pixel shows the column it read.
inline std::vector<uint16_t> ColumnTexture(int log2W) {
  std::vector<uint16_t> texels(1u << log2W);
  for (size_t c = 0; c < texels.size(); ++c) texels[c] = static_cast<uint16_t>(0x8000 | c);
  return texels;
}

// The texel value stored at texel number `index` of a probe texture (key bit set).
inline uint16_t ProbeTexel(uint32_t index) { return static_cast<uint16_t>(0x8000 | ((index * 7919u + 13u) & 0x7FFF)); }

// The texel of column c, row r of a 2^w x 2^h texture, sampled at its centre.
inline float TexelCentre(int index, int log2Size) { return (index + 0.5f) * static_cast<float>(1 << (24 - log2Size)); }
