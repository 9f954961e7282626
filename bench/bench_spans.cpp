// Fill rate of the span fillers (opaque, blended, colour-keyed) and the 565 conversion against memcpy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/render/frame_convert.h"
#include "engine/render/spans/span_opaque.h"
#include "engine/render/spans/span_fill.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// A full 640 x 480 frame cut into spans of one length, drawn as one receding textured plane.
struct FillScene {
  std::vector<uint16_t> frame = std::vector<uint16_t>(kWidth * kHeight, 0x1234);
  std::vector<uint16_t> texels;
  std::vector<SoftSpan> spans;
  SoftGradients gradients{};
  SoftPolygon head{}, tail{}, polygon{};

  FillScene(int log2Size, int spanLength) {
    std::mt19937 random(7);
    texels.resize(size_t{1} << (2 * log2Size));
    for (uint16_t& t : texels) t = static_cast<uint16_t>(random() | 0x8000);  // every texel drawn
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x + spanLength <= kWidth; x += spanLength) {
        spans.push_back(SoftSpan{static_cast<int16_t>(x), static_cast<int16_t>(y), spanLength});
      }
    }
    // About four repetitions of the texture across the screen, shrinking toward the top.
    gradients.invZDx = 0.0f;
    gradients.invZDy = 2.0e-6f;
    gradients.invZOrigin = 1.0e-3f;
    gradients.uOverZDx = 1.0e-3f * 16777216.0f / 160.0f;
    gradients.uOverZDy = 3.0f;
    gradients.uOverZOrigin = 1000.0f;
    gradients.vOverZDx = 20.0f;
    gradients.vOverZDy = 1.0e-3f * 16777216.0f / 120.0f;
    gradients.vOverZOrigin = -500.0f;
    gradients.uOffset = 12345.0f;
    gradients.vOffset = -777.0f;
    polygon.gradients = &gradients;
    polygon.firstSpan = spans.data();
    polygon.spanCount = static_cast<int32_t>(spans.size());
    polygon.lightRed = 30000;
    polygon.lightGreen = 25000;
    polygon.lightBlue = 20000;
    polygon.frameWeight = 16896;
    polygon.additive = 0x0421;
    Link();
  }
  void Link() {
    head.next = &polygon;
    polygon.prev = &head;
    polygon.next = &tail;
    tail.prev = &polygon;
  }
  int64_t Pixels() const { return static_cast<int64_t>(spans.size()) * spans[0].count; }
};

// Arguments: family (0 opaque, 1 blended, 2 colour-keyed), log2 of the texture side, span length.
void BM_SpanFill(benchmark::State& state) {
  const int family = static_cast<int>(state.range(0));
  const int log2Size = static_cast<int>(state.range(1));
  FillScene scene(log2Size, static_cast<int>(state.range(2)));
  const int index = wre_SpanFillIndex(log2Size, log2Size);
  const SpanFillFn filler = family == 0   ? kSpanFillOpaque[index]
                            : family == 1 ? kSpanFillBlend[index]
                                          : kSpanFillKeyed[index];
  for (auto _ : state) {
    scene.Link();
    filler(&scene.polygon, scene.frame.data(), kWidth * 2, scene.texels.data());
    benchmark::DoNotOptimize(scene.frame.data());
    benchmark::ClobberMemory();
  }
  static const char* const kFamilies[] = {"opaque", "blended", "keyed"};
  state.SetLabel(kFamilies[family]);
  state.counters["Mpixel/s"] =
      benchmark::Counter(static_cast<double>(scene.Pixels()) * static_cast<double>(state.iterations()) / 1.0e6,
                         benchmark::Counter::kIsRate);
}

void SpanFillArguments(benchmark::internal::Benchmark* b) {
  for (int family : {0, 1, 2}) {
    for (int log2Size : {0, 4, 8}) {
      for (int length : {8, 64, 640}) b->Args({family, log2Size, length});
    }
  }
}
BENCHMARK(BM_SpanFill)->Apply(SpanFillArguments)->ArgNames({"family", "log2size", "span"});

// Arguments: width and height of the frame.
void BM_Convert565(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
  std::vector<uint16_t> frame(static_cast<size_t>(width) * height, 0x4321);
  for (auto _ : state) {
    wre_SoftFrameConvert565(frame.data(), width, height, width * 2);
    benchmark::DoNotOptimize(frame.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(frame.size() * 2));
}
BENCHMARK(BM_Convert565)->Args({640, 480})->Args({4096, 8192});

void BM_Memcpy(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0)) * static_cast<size_t>(state.range(1)) * 2;
  std::vector<unsigned char> from(bytes, 0x21), to(bytes, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_Memcpy)->Args({640, 480})->Args({4096, 8192});

}  // namespace

BENCHMARK_MAIN();
