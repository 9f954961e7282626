// The race loop at 640x480, with the software renderer and with the Direct3D renderer on the
// machine's OpenGL (SDL's offscreen driver unless another is set; the label names the OpenGL
// renderer, llvmpipe without a graphics card; the test back end also logs every draw call of the
// 3D device, a small share of the time): a derby race with five opponents run
// headless on the sample data tree, timed over the countdown, when all six crafts stand on the
// start grid on the largest level, their spray running. The camera is held still above and behind
// them, looking at their middle; each pass runs the processes and draws one race frame with its
// head-up display. The crafts counted inside the camera's view are reported.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "bench/largest_level.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/wre_types.h"
#include "engine/render/camera.h"
#include "game/state/game_view.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/watercraft.h"
#include "platform/plat_gl.h"
#include "platform/test/plat_d3d_draw.h"
#include "platform/test/plat_gl.h"
#include "tests/game/harness/game_harness.h"

namespace {

constexpr int kSettleFrames = 10;
constexpr int kTimedFrames = 70;  // within the countdown's 90 frames at 2 ticks a frame
constexpr uint32_t kGlRenderer = 0x1F01;
constexpr int32_t kHeldView = 3;  // no view mode: the race leaves the camera where it is put
constexpr float kHalfView = 0.7071f;  // tangent of half the 90 degree field, a little inside it

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

// Behind the player's facing and above, far enough for every craft to fit the view.
void HoldCameraOverCrafts(ViewComponents* view) {
  float mid[3] = {};
  int n = 0;
  for (Watercraft* craft : gCraftByIndex) {
    if (!craft || !craft->craftObject) continue;
    for (int i = 0; i < 3; ++i) mid[i] += craft->craftObject->transform.position[i];
    ++n;
  }
  if (n == 0 || !gCraftByIndex[0]) return;
  for (float& m : mid) m /= static_cast<float>(n);
  float spread = 0.0f;
  for (Watercraft* craft : gCraftByIndex) {
    if (!craft || !craft->craftObject) continue;
    const float* p = craft->craftObject->transform.position;
    spread = std::max(spread, std::hypot(p[0] - mid[0], p[2] - mid[2]));
  }
  const Point4& facing = gCraftByIndex[0]->craftObject->transform.axisZ;
  const float back = 2.5f * spread + 3000.0f;
  Transform eye{};
  wre_TransformSet(&eye, 0, 0, 0, mid[0] - facing.x * back, mid[1] + 0.6f * back, mid[2] - facing.z * back);
  wre_TransformPointAt(&eye, mid[0], mid[1], mid[2]);
  view->viewMode = kHeldView;
  wre_CameraSetTransform(view->camera, eye.angleX, eye.angleY, eye.angleZ, eye.position[0], eye.position[1],
                         eye.position[2]);
  wre_CameraMarkChanged(view->camera);
}

int CraftsInView(const ViewComponents* view) {
  const Transform& t = view->camera->transform;
  int seen = 0;
  for (Watercraft* craft : gCraftByIndex) {
    if (!craft || !craft->craftObject) continue;
    const float* p = craft->craftObject->transform.position;
    const float v[3] = {p[0] - t.position[0], p[1] - t.position[1], p[2] - t.position[2]};
    const auto dot = [&](const Point4& a) { return a.x * v[0] + a.y * v[1] + a.z * v[2]; };
    const float depth = dot(t.axisZ);
    seen += depth > 0.0f && std::fabs(dot(t.axisX)) < kHalfView * depth && std::fabs(dot(t.axisY)) < kHalfView * depth;
  }
  return seen;
}

void BM_RaceFrame(benchmark::State& state) {
  const auto renderer = static_cast<int32_t>(state.range(0));
  double seconds = 0.0;
  int fewestInView = kRacerSlots;
  for (auto _ : state) {
    GameHarness harness;
    const int32_t level = LargestLevel(harness.Root());
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
      if (!RaceActiveGet() || !gCraftByIndex[0]) return;
      ++frames;
      if (frames == 1) HoldCameraOverCrafts(gView);
      if (frames > kSettleFrames) fewestInView = std::min(fewestInView, CraftsInView(gView));
      if (frames == kSettleFrames) start = std::chrono::steady_clock::now();
      if (frames == kSettleFrames + kTimedFrames) {
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        gQuitRequested = 1;
      }
    });
    harness.RunRace([level] {
      gGameMode = kModeDerby;
      gLevel = level;
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
    state.counters["level"] = level;
  }
  state.counters["frames_per_second"] = seconds > 0.0 ? kTimedFrames * state.iterations() / seconds : 0.0;
  state.counters["crafts_in_view"] = fewestInView;
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
