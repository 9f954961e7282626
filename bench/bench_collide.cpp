// Swept-sphere queries a second against worlds of 10, 100 and 1000 objects spread at one density
// (a longer course, not a more crowded one), through the cell grid and through the object list.
// The grid walk visits only the cells a move covers, so its cost stays flat as the world grows;
// the list walk tests every object's bounds.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/core/collide.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/world.h"

namespace {

constexpr float kCellSize = 20.0f;
constexpr float kAreaPerObject = 40.0f * 40.0f;

EngineObject* NewBox(float half, float x, float y, float z, int32_t angle) {
  EngineObject* object = wre_ObjectNew(kObjectMesh, 12, 8, 1, 0, kObjectBuildTree);
  const float c[8][3] = {{-half, half, half},  {half, half, half},  {half, half, -half},  {-half, half, -half},
                         {-half, -half, half}, {half, -half, half}, {half, -half, -half}, {-half, -half, -half}};
  for (const auto& p : c) wre_ObjectAddPoint(object, p[0], p[1], p[2], 1);
  const int tri[12][3] = {{0, 1, 2}, {0, 2, 3}, {3, 2, 6}, {3, 6, 7}, {1, 5, 6}, {2, 1, 6},
                          {0, 3, 7}, {7, 4, 0}, {1, 0, 4}, {1, 4, 5}, {6, 4, 7}, {6, 5, 4}};
  for (const auto& t : tri) wre_ObjectAddPoly(object, 0, -1, kPolyPlain, t[0], t[1], t[2], nullptr, nullptr, nullptr, 0);
  wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  wre_ObjectSetTransform(object, 0, angle, 0, x, y, z);
  wre_ObjectUpdate(object, 1, 1);
  wre_ObjectSetCollidable(object, 1);
  return object;
}

struct Scene {
  World* world = nullptr;
  std::vector<Transform> froms;
  std::vector<Transform> tos;
};

Scene Build(int count, int32_t type) {
  Scene scene;
  const float side = std::sqrt(static_cast<float>(count) * kAreaPerObject);
  const int32_t cells = static_cast<int32_t>(std::ceil(side / kCellSize));
  const Point4 origin{0.0f, 0.0f, 0.0f, 0.0f};
  scene.world = wre_WorldCreate(type, kCellSize, cells, 0, cells, 0, &origin, nullptr, 0.0f, 0);
  std::mt19937 random(7u);
  std::uniform_real_distribution<float> place(0.0f, side), half(1.0f, 6.0f), height(-2.0f, 2.0f), step(-12.0f, 12.0f);
  std::uniform_int_distribution<int> angle(0, 4095);
  for (int i = 0; i < count; ++i) {
    wre_WorldAddObject(NewBox(half(random), place(random), height(random), place(random), angle(random)), scene.world);
  }
  for (int i = 0; i < 1024; ++i) {
    Transform from, to;
    const float x = place(random), z = place(random);
    wre_TransformSet(&from, 0, 0, 0, x, 0.0f, z);
    wre_TransformSet(&to, 0, 0, 0, x + step(random), 0.0f, z + step(random));
    scene.froms.push_back(from);
    scene.tos.push_back(to);
  }
  return scene;
}

void Run(benchmark::State& state, int32_t type) {
  wre_MemoryInit();
  wre_MathTablesInit();
  wre_CollideInit(1024, 10240);
  Scene scene = Build(static_cast<int>(state.range(0)), type);
  CollisionResult result{};
  size_t i = 0;
  int64_t hits = 0;
  for (auto _ : state) {
    hits += wre_CollideSphereMove(&scene.froms[i], &scene.tos[i], 1.0f, scene.world, ~0u,
                                  kCollideSpheres | kCollidePolygons, &result, 1);
    benchmark::DoNotOptimize(result);
    i = (i + 1) & 1023;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["hit%"] = 100.0 * static_cast<double>(hits) / static_cast<double>(state.iterations());
  wre_WorldDisposeObjects(scene.world);
  wre_WorldDispose(scene.world);
  wre_CollideExit();
  wre_MathTablesExit();
}

void BM_SweepCellGrid(benchmark::State& state) { Run(state, kWorldCellGrid); }
void BM_SweepObjectList(benchmark::State& state) { Run(state, kWorldObjectList); }

}  // namespace

BENCHMARK(BM_SweepCellGrid)->Arg(10)->Arg(100)->Arg(1000);
BENCHMARK(BM_SweepObjectList)->Arg(10)->Arg(100)->Arg(1000);

BENCHMARK_MAIN();
