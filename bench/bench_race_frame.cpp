// The race loop at 640x480, with the software renderer and with the Direct3D renderer on the
// machine's OpenGL (SDL's offscreen driver unless another is set; the label names the OpenGL
// renderer, llvmpipe without a graphics card; the test back end also logs every draw call of the
// 3D device, a small share of the time): a derby race with five opponents run
// headless on the sample data tree, timed over the countdown, when all six crafts stand on the
// start grid in front of the chase camera. Each pass runs the processes and draws one race frame
// with its head-up display.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

#include "engine/core/wre_types.h"
#include "game/shell/prefs.h"
#include "game/shell/race_state.h"
#include "game/shell/settings.h"
#include "platform/plat_gl.h"
#include "platform/test/plat_d3d_draw.h"
#include "platform/test/plat_gl.h"
#include "tests/game/harness/game_harness.h"

namespace {

constexpr int kSettleFrames = 10;
constexpr int kTimedFrames = 70;  // within the countdown's 90 frames at 2 ticks a frame
constexpr uint32_t kGlRenderer = 0x1F01;

// Draws the hardware renderer's frames with the machine's OpenGL; false when it has none.
bool UseOpenGl(benchmark::State& state, bool on) {
  plat_TestGlSetAvailable(on);
  plat_TestD3DDrawWithGl(on);
  if (!on) return true;
  PlatGlContext* context = plat_GlContextCreateHidden();
  if (!context) return false;
  const unsigned char* name = plat_Gl()->GetString(kGlRenderer);
  state.SetLabel(name ? reinterpret_cast<const char*>(name) : "unnamed");
  plat_GlContextDelete(context);
  return true;
}

void BM_RaceFrame(benchmark::State& state) {
  const auto renderer = static_cast<int32_t>(state.range(0));
  double seconds = 0.0;
  for (auto _ : state) {
    GameHarness harness;
    if (!UseOpenGl(state, renderer != kRendererSoftware)) {
      state.SkipWithError("no OpenGL");
      return;
    }
    harness.SeedSettings(renderer);
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
    UseOpenGl(state, false);
    if (elapsed <= 0.0) {
      state.SkipWithError("the race drew no frames");
      return;
    }
    state.SetIterationTime(elapsed / kTimedFrames);
    seconds += elapsed;
  }
  state.counters["frames_per_second"] = seconds > 0.0 ? kTimedFrames * state.iterations() / seconds : 0.0;
}
BENCHMARK(BM_RaceFrame)
    ->ArgName("renderer")
    ->Arg(kRendererSoftware)
    ->Arg(kRendererDirect3D)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
