// The race simulation without drawing: a six-racer rally on the largest level in demo mode, every
// rider computer-driven, run headless on the sample data tree. Once the race is set up, the timed
// part moves the clock a tick at a time and runs the race's processes (crafts, computer riders,
// water, end rule) as the race loop does, for 10800 ticks or until the player's last lap, without a
// single race frame.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "bench/largest_level.h"
#include "engine/core/process.h"
#include "engine/core/timer.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/world/watercraft.h"
#include "platform/test/plat_time.h"
#include "tests/game/harness/game_harness.h"

namespace {

constexpr uint32_t kRaceTicks = 10800;
constexpr int64_t kTickMicroseconds = 16723;
constexpr uint8_t kCatchUpPasses = 12;

void BM_RallyTicksHeadless(benchmark::State& state) {
  double seconds = 0.0;
  uint64_t ticks = 0;
  for (auto _ : state) {
    GameHarness harness;
    harness.SeedSettings(kRendererSoftware);
    harness.TicksPerFrame(2);
    const int32_t level = LargestLevel(harness.Root());
    double elapsed = 0.0;
    uint32_t simulated = 0;
    harness.EachFrame([&](int) {
      if (!RaceActiveGet() || !gCraftByIndex[0] || simulated != 0 || gQuitRequested) return;
      const uint32_t start = gEngineTick;
      const auto begin = std::chrono::steady_clock::now();
      while (!gRaceOver && gEngineTick - start < kRaceTicks) {
        plat_TestClockAdvanceMicroseconds(kTickMicroseconds);
        wre_TimerTick();
        if (wre_ProcessListRun(kCatchUpPasses, 1) != 0) break;
      }
      elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
      simulated = gEngineTick - start;
      gQuitRequested = 1;
    });
    // A race the player finished ends on the result screen, which waits for a key.
    harness.EachPump([] {
      if (gRaceOver && gRaceFinished) GameHarness::TypeText("a");
    });
    harness.RunRace([level] {
      gGameMode = kModeRally;
      gLevel = level;
      gCourse = 0;
      gSettings.opponentCount = 5;
      gDemoMode = 1;
    });
    gDemoMode = 0;
    state.SetIterationTime(elapsed);
    seconds += elapsed;
    ticks += simulated;
    state.counters["level"] = level;
  }
  state.counters["ticks"] = static_cast<double>(ticks) / state.iterations();
  state.counters["ticks_per_second"] = seconds > 0.0 ? ticks / seconds : 0.0;
}
BENCHMARK(BM_RallyTicksHeadless)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
