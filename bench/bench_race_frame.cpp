// The race loop with the software renderer at 640x480: a derby race with five opponents run
// headless on the sample data tree, timed over the countdown, when all six crafts stand on the
// start grid in front of the chase camera. Each pass runs the processes and draws one race frame
// with its head-up display.
#include <benchmark/benchmark.h>

#include <chrono>

#include "engine/core/wre_types.h"
#include "game/shell/prefs.h"
#include "game/shell/race_state.h"
#include "game/shell/settings.h"
#include "tests/game/harness/game_harness.h"

namespace {

constexpr int kSettleFrames = 10;
constexpr int kTimedFrames = 70;  // within the countdown's 90 frames at 2 ticks a frame

void BM_RaceFrameSoftware(benchmark::State& state) {
  double seconds = 0.0;
  for (auto _ : state) {
    GameHarness harness;
    harness.SeedSettings(kRendererSoftware);
    harness.TicksPerFrame(2);
    std::chrono::steady_clock::time_point start;
    double elapsed = 0.0;
    int frames = 0;
    harness.EachFrame([&](int) {
      if (!RaceActiveGet()) return;
      ++frames;
      if (frames == kSettleFrames) start = std::chrono::steady_clock::now();
      if (frames == kSettleFrames + kTimedFrames) {
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        gQuitRequested = 1;
      }
    });
    harness.RunRace([] {
      gGameMode = kModeDerby;
      gLevel = 0;
      gCourse = 10;
      gSettings.opponentCount = 5;
    });
    state.SetIterationTime(elapsed / kTimedFrames);
    seconds += elapsed;
  }
  state.counters["frames_per_second"] = seconds > 0.0 ? kTimedFrames * state.iterations() / seconds : 0.0;
}
BENCHMARK(BM_RaceFrameSoftware)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
