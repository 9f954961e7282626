// Menu frames with the software renderer: the water backdrop and logo, one front-end page and the
// tab column at 640 x 480, from the sample data tree written by its generator. The new-game page
// turns its globe; the options page draws the most sprites; the controls page the most text.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "game/state/prefs.h"
#include "game/state/settings.h"
#include "tests/game/menus/menu_page_scene.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/game_tree.h"

namespace {

void MenuFrame(benchmark::State& run, int32_t screen) {
  TempDir dir;
  DatagenWriteTree(dir.str());
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  MenuPageScene scene;
  const char* failed = scene.Open();
  if (!failed && screen == kScreenNewGame) failed = scene.LoadGlobe();
  if (failed) {
    run.SkipWithError(failed);
  } else {
    PrefsDefaults();
    scene.Frame(screen);  // the first frame sizes the renderer's buffers
    for (auto _ : run) benchmark::DoNotOptimize(scene.Frame(screen));
    run.counters["frames/s"] = benchmark::Counter(static_cast<double>(run.iterations()), benchmark::Counter::kIsRate);
  }
  scene.Close();
  std::filesystem::current_path(previous);
}

}  // namespace

BENCHMARK_CAPTURE(MenuFrame, new_game, kScreenNewGame)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MenuFrame, options, kScreenOptions)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MenuFrame, controls, kScreenControls)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
