// The race's level load and one water-surface step. The levels are the sample data tree's, written
// by its generator; the largest level file is loaded into the world in each iteration, with its sky,
// textures, water settings and course map (unloading outside the timing). The water step is one
// tick of the staggered sine waves with specular and texture offsets on the race's 12 x 12 grid.
// The route generation runs on bermuda's rally course 3, the course whose pillar on a leg sends the
// generation into its fan search, which costs more than all straight legs together.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>

#include "bench/largest_level.h"
#include "engine/core/files.h"
#include "engine/core/grid_mesh.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/startup/engine.h"
#include "game/state/level_names.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/course_route.h"
#include "game/world/level_load.h"
#include "game/world/route_generate.h"
#include "game/world/water_surface.h"
#include "platform/plat_backend.h"
#include "platform/plat_display.h"
#include "platform/test/plat_display.h"
#include "tests/game/world/route_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/datagen/tree_output.h"

namespace {

struct Race {
  Race() {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
    wre_MemoryInit();
    wre_Init(kRendererSoftware, 64, 64, 1, 2048, 10240, 8192, 4096, 4096, 1024, 10240);
    const WreRect viewport{0, 0, 160, 120};
    const WreRect screen{0, 0, 640, 480};
    Transform placement{};
    wre_TransformReset(&placement);
    const float background[4] = {0, 0, 0, 255};
    view.camera = wre_CameraNew(&viewport, 16, &placement, background, 1, 500.0f, 600000.0f, 80.0f, 1024, nullptr,
                                0, nullptr, 0, 0, 0, 0, 0, 0, 0, &screen);
    const Point4 origin{0, 0, 0, 0};
    view.world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, &origin, nullptr, 100.0f, 0);
    wre_CameraSetWorld(view.camera, view.world);
    previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    TreeOutput tree;
    tree.root = dir.str();
    TreeWriteLevels(tree);
    gSettings = Settings{};
    gLevel = LargestLevel(dir.path());
  }
  ~Race() {
    wre_WorldDisposeObjects(view.world);
    wre_CameraSetWorld(view.camera, nullptr);
    wre_CameraDispose(view.camera, 1);
    wre_WorldDispose(view.world);
    wre_FolderSet(nullptr);
    std::filesystem::current_path(previous);
    wre_Shutdown();
  }
  TempDir dir;
  std::filesystem::path previous;
  ViewComponents view{};
};

void BM_LevelLoad(benchmark::State& state) {
  Race race;
  state.SetLabel(LevelWord(gLevel));
  for (auto _ : state) {
    WaterworksReset(&race.view);
    if (LevelLoad(&race.view) != 0) state.SkipWithError("level load failed");
    state.PauseTiming();
    LevelUnload(&race.view);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LevelLoad)->Unit(benchmark::kMillisecond)->Repetitions(20)->ReportAggregatesOnly(true);

void BM_WaterUpdate(benchmark::State& state) {
  Race race;
  WaterworksReset(&race.view);
  WaterworksSetWaterMode(kWaterModeStaggeredSine);
  WaterworksSetWaveHeightMultiplier(350.0f);
  WaterworksSetWaveAngleAdd(113);
  WaterworksSetHeightToSpecularRatio(0.4f);
  WaterworksSetHeightToTextureUVRatio(0.1f, 0.1f);
  gWaterBoundsMin[1] = gWaterBoundsMax[1] = 100000.0f;
  WaterworksStart(&race.view, 0.0f, 0.0f, 1);
  for (auto _ : state) WaterworksUpdate(nullptr);
  WaterworksExit(&race.view);
}
BENCHMARK(BM_WaterUpdate)->Unit(benchmark::kMicrosecond);

void BM_RouteGenerate(benchmark::State& state) {
  Race race;
  gLevel = 2;
  gCourse = 2;
  WaterworksReset(&race.view);
  EngineObject* probe = nullptr;
  if (LevelLoad(&race.view) != 0 || wre_ObjectNewGrid(1, 1, 400.0f, 0, -1, kObjectMesh, &probe, 0, 255.0f) != 0) {
    state.SkipWithError("level or probe failed");
    return;
  }
  wre_WorldAddObject(probe, race.view.world);
  wre_FolderSet("data:courses:bermuda");
  if (!RouteSampleGates(gCourse)) state.SkipWithError("course failed");
  for (auto _ : state) {
    if (RouteBuild(probe, &race.view) != 0) state.SkipWithError("generation failed");
    state.PauseTiming();
    RouteTeardown();
    state.ResumeTiming();
  }
  RouteGatesFree();
  wre_WorldRemoveObject(probe, race.view.world);
  wre_ObjectDispose(probe);
  LevelUnload(&race.view);
}
BENCHMARK(BM_RouteGenerate)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
