// The menu frame with the software renderer: the whole program run headless on the sample data
// tree, on the new-game screen (backdrop, logo and globe), timed over 200 frames after it settled.
#include <benchmark/benchmark.h>

#include <chrono>

#include "engine/core/wre_types.h"
#include "platform/plat_input.h"
#include "tests/game/harness/game_harness.h"

namespace {

constexpr int kSettleFrame = 40;
constexpr int kTimedFrames = 200;

void BM_MenuFrameSoftware(benchmark::State& state) {
  double seconds = 0.0;
  for (auto _ : state) {
    GameHarness harness;
    harness.SeedSettings(kRendererSoftware);
    std::chrono::steady_clock::time_point start;
    double elapsed = 0.0;
    harness.AtFrame(10, [] { GameHarness::PressKey(kPlatVkReturn); });
    harness.AtFrame(kSettleFrame, [&] { start = std::chrono::steady_clock::now(); });
    harness.AtFrame(kSettleFrame + kTimedFrames, [&] {
      elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      GameHarness::RequestQuit();
    });
    harness.Run();
    state.SetIterationTime(elapsed / kTimedFrames);
    seconds += elapsed;
  }
  state.counters["frames_per_second"] = seconds > 0.0 ? kTimedFrames * state.iterations() / seconds : 0.0;
}
BENCHMARK(BM_MenuFrameSoftware)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
