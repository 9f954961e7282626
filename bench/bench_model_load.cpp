// Load time of a level file in the engine's chunk model format: 100 objects of 200 polygons each
// (20,000 polygons), textured, with shared materials and a text user-data record per object, loaded
// with the options a level uses (numeric user data, collidable).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/data/material.h"
#include "engine/data/model.h"
#include "engine/data/model_chunk.h"
#include "tools/datagen/model_writer.h"

namespace {

std::vector<uint8_t> LevelFile() {
  std::vector<ChunkObjectDef> objects;
  for (int i = 0; i < 100; ++i) {
    ChunkObjectDef o;
    o.mesh = MeshPlane(10, 10, 10, 10);  // 200 triangles
    MeshTranslate(o.mesh, static_cast<float>(i % 10) * 12.0f, 0, static_cast<float>(i / 10) * 12.0f);
    o.textures = {{0, "water.bmp"}, {1, "rock.bmp"}};
    o.materials = {{0, "sand", "S", 1.0f, {0.8f, 0.7f, 0.5f, 1}, {0, 0, 0, 1}},
                   {1, "stone", "T", 1.0f, {0.5f, 0.5f, 0.5f, 1}, {0, 0, 0, 1}}};
    for (size_t t = 0; t < o.mesh.triangles.size(); ++t) {
      o.triangleTexture.push_back(static_cast<int32_t>(t % 2));
      o.triangleMaterial.push_back(static_cast<int32_t>((t / 2) % 2));
    }
    ChunkUserDataDef u;
    u.kind = 1994;
    u.textB = std::to_string(i);
    o.userData = {u};
    objects.push_back(o);
  }
  return ChunkWriteFile(objects);
}

struct Setup {
  Setup() {
    wre_MemoryInit();
    wre_MathTablesInit();
    wre_MaterialTableInit(128);
    file = LevelFile();
    folder = std::filesystem::temp_directory_path() / ("vh-bench-model-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "level.brp", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    wre_FolderSet(folder.string().c_str());
  }
  ~Setup() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::vector<uint8_t> file;
  std::filesystem::path folder;
};

Setup& Shared() {
  static Setup setup;
  return setup;
}

void BM_LevelListLoad(benchmark::State& state) {
  Shared();
  for (auto _ : state) {
    ModelList* list = nullptr;
    if (wre_ModelListLoad("level.brp", &list, 0, 0, 0, 1, 1, 0, 0) != 0) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(list);
    wre_ModelListDispose(&list, nullptr);
  }
  state.counters["polygons"] = 20000;
  state.counters["bytes"] = static_cast<double>(Shared().file.size());
}
BENCHMARK(BM_LevelListLoad)->Unit(benchmark::kMillisecond);

// The reader alone, from memory.
void BM_LevelReadFromMemory(benchmark::State& state) {
  const std::vector<uint8_t>& file = Shared().file;
  for (auto _ : state) {
    const uint8_t* position = file.data();
    auto remaining = static_cast<int32_t>(file.size());
    while (remaining > 88) {
      const uint8_t* next = nullptr;
      EngineObject* object = wre_ObjectIOBinaryRead(position, remaining, &next, 0);
      if (!object) {
        state.SkipWithError("read failed");
        break;
      }
      wre_ObjectDispose(object);
      remaining -= static_cast<int32_t>(next - position);
      position = next;
    }
  }
}
BENCHMARK(BM_LevelReadFromMemory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
