// Start-up: from the harness's call of the program's entry in a fresh process to the first frame of
// the menus, each intro cut short by a key at its first frame. Every sample runs in a child process
// of its own, so nothing the program loads or builds once is warm; the sample data tree is written
// before the timing starts. The figure is the median of the samples.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "engine/core/wre_types.h"
#include "game/menus/test/intro_sequences.h"
#include "game/state/menu_state.h"
#include "platform/plat_input.h"
#include "tests/game/harness/game_harness.h"

namespace {

// Seconds from the entry to the first menu frame, or a negative value when the menus never came.
double StartUpOnce() {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  IntroSequencesSetSkipped(false);
  double seconds = -1.0;
  const auto start = std::chrono::steady_clock::now();
  harness.EachFrame([&](int) {
    if (seconds >= 0.0) return;
    if (!gIntroPlayed) {
      GameHarness::PressKey(kPlatVkEscape);  // an intro's frame: its first, as each one reads the key
      return;
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    GameHarness::RequestQuit();
  });
  harness.Run();
  return seconds;
}

void BM_StartUp(benchmark::State& state) {
  for (auto _ : state) {
    int channel[2];
    if (pipe(channel) != 0) {
      state.SkipWithError("no pipe");
      return;
    }
    const pid_t child = fork();
    if (child == 0) {
      close(channel[0]);
      const double seconds = StartUpOnce();
      const bool sent = write(channel[1], &seconds, sizeof seconds) == sizeof seconds;
      _exit(sent ? 0 : 1);
    }
    close(channel[1]);
    double seconds = -1.0;
    const bool read_ok = child > 0 && read(channel[0], &seconds, sizeof seconds) == sizeof seconds;
    close(channel[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    if (!read_ok || seconds < 0.0) {
      state.SkipWithError("the menus did not come up");
      return;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_StartUp)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
