// The engine started headless for the software renderer, with the race's camera and an object-list
// world in a ViewComponents, the working folder moved into a fresh temporary folder (the data
// folders are relative to it), and writers of small levels made with the sample-data writers.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/startup/engine.h"
#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/random.h"
#include "engine/core/world.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "game/shell/settings.h"
#include "game/shell/view_components.h"
#include "game/world/water_surface.h"
#include "platform/plat_backend.h"
#include "platform/plat_display.h"
#include "support/temp_dir.h"
#include "tools/datagen/bmp_writer.h"
#include "tools/datagen/codex_writer.h"
#include "tools/datagen/mesh_builder.h"
#include "tools/datagen/model_writer.h"
#include "tools/datagen/texture_list_writer.h"
#include "tools/datagen/world_writer.h"

class WorldFixture : public ::testing::Test {
 public:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
    wre_MemoryInit();
    ASSERT_EQ(wre_Init(kRendererSoftware, 64, 64, 1, 2048, 10240, 8192, 4096, 4096, 1024, 10240), 0);
    const WreRect viewport{0, 0, 160, 120};
    const WreRect screen{0, 0, 640, 480};
    Transform placement{};
    wre_TransformReset(&placement);
    const float background[4] = {0, 0, 0, 255};
    view.camera = wre_CameraNew(&viewport, 16, &placement, background, 1, 500.0f, 600000.0f, 80.0f, 1024, nullptr,
                                0, nullptr, 0, 0, 0, 0, 0, 0, 0, &screen);
    ASSERT_NE(view.camera, nullptr);
    const Point4 origin{0, 0, 0, 0};
    const float ambient[4] = {255, 255, 255, 255};
    view.world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, &origin, ambient, 100.0f, 0);
    ASSERT_NE(view.world, nullptr);
    ASSERT_EQ(wre_CameraSetWorld(view.camera, view.world), 0);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    gSettings = Settings{};
    WaterworksReset(&view);
  }
  void TearDown() override {
    WaterworksExit(&view);
    if (view.world) {
      wre_WorldDisposeObjects(view.world);
      wre_WorldDisposeLights(view.world);
    }
    wre_TextureReleaseAll();
    if (view.camera) {
      wre_CameraSetWorld(view.camera, nullptr);
      wre_CameraDispose(view.camera, 1);
    }
    if (view.world) wre_WorldDispose(view.world);
    wre_FolderSet(nullptr);
    std::filesystem::current_path(previous_);
    wre_Shutdown();
    wre_MemoryInit();
    plat_TestDisplayReset();
    plat_UseBackend(kPlatBackendReal);
    gSettings = Settings{};
  }

  static int32_t TexturesInUse() {
    int32_t count = 0;
    for (int32_t i = 0; i < gTextureCount; ++i) count += wre_TextureInUse(i) ? 1 : 0;
    return count;
  }
  static int32_t MaterialsInUse() {
    int32_t count = 0;
    for (int32_t i = 0; i < gMaterialCount; ++i) count += gMaterialTable[i].inUse ? 1 : 0;
    return count;
  }

  void WriteBytes(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    dir.Write(relative, std::string(bytes.begin(), bytes.end()));
  }
  // A 16x16 picture of one colour.
  void WritePicture(const std::string& relative, uint8_t r, uint8_t g, uint8_t b) const {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 16 * 16; ++i) rgb.insert(rgb.end(), {r, g, b});
    WriteBytes(relative, BmpWriteRgb(16, 16, rgb.data()));
  }

  ViewComponents view{};
  TempDir dir;

 private:
  std::filesystem::path previous_;
};

namespace level_fixture {

// An object of the level file: a box of the given size at a place, with a numeric id (none for -1).
inline ChunkObjectDef Box(int32_t id, float sx, float sy, float sz, float x, float y, float z) {
  ChunkObjectDef object;
  object.mesh = MeshBox(sx, sy, sz);
  object.position = {x, y, z};
  object.polygonKind = 200;
  ChunkMaterialDef material;
  object.materials.push_back(material);
  if (id != -1) {
    ChunkUserDataDef value;
    value.kind = 1;
    value.value = id;
    object.userData.push_back(value);
  }
  return object;
}

// The objects every fixture level has: a water marker, arena walls reaching above and below the
// water, a ramp, a bumper and an object without an id; then the level's own ids.
inline std::vector<ChunkObjectDef> LevelObjects(const std::vector<int32_t>& extraIds) {
  std::vector<ChunkObjectDef> objects = {
      Box(5000, 200.0f, 20.0f, 200.0f, 0.0f, -10.0f, 0.0f),
      Box(1, 40000.0f, 6000.0f, 400.0f, 0.0f, 0.0f, 20000.0f),
      Box(1, 40000.0f, 6000.0f, 400.0f, 0.0f, 0.0f, -20000.0f),
      Box(34102, 800.0f, 300.0f, 1200.0f, 3000.0f, 100.0f, 0.0f),
      Box(34101, 300.0f, 300.0f, 300.0f, -3000.0f, 0.0f, 0.0f),
      Box(-1, 100.0f, 100.0f, 100.0f, 5000.0f, 0.0f, 5000.0f),
  };
  float x = -6000.0f;
  for (int32_t id : extraIds) {
    objects.push_back(Box(id, 200.0f, 200.0f, 200.0f, x, 0.0f, 6000.0f));
    x += 1000.0f;
  }
  return objects;
}

// The ids each level gives its own treatment.
inline std::vector<int32_t> LevelIds(int32_t level) {
  switch (level) {
    case 0: return {2010};
    case 1: return {33026, 33027};
    case 2: return {2805, 33028, 33027};
    case 4: return {2701};
    case 7: return {33008};
    default: return {};
  }
}

inline std::string TextureList(const std::string& file, const std::string& ident) {
  CodexWriter writer;
  TextureListAddTexture(writer, file);
  if (!ident.empty()) TextureListSetIdent(writer, ident);
  return CodexFinish(writer);
}

// The level's water settings for course 1: a light and a few water lines.
inline std::string Environs() {
  CodexWriter writer;
  WorldAddPointLight(writer, "sun", 0.0f, 200000.0f, 0.0f, 255, 255, 240, 80.0f);
  WorldAddExternalRef(writer, {"vqz_Waterworks_WaterMode", "vqz_WaterMode_StaggeredSineWave"});
  WorldAddExternalRef(writer, {"vqz_Waterworks_WaveHeightMultiplier", "350"});
  WorldAddExternalRef(writer, {"vqz_Waterworks_WaveAngleAdd", "10"});
  return CodexFinish(writer);
}

}  // namespace level_fixture

// Writes one level's folders: skybox, level (with the extra objects given), water settings of
// course 1 and the course maps of course 1.
inline void WriteLevel(const WorldFixture& f, const char* word, const std::vector<ChunkObjectDef>& objects) {
  using namespace level_fixture;
  const std::string sky = std::string("data/skybox/") + word + "/";
  const std::string level = std::string("data/levels/") + word + "/";
  const std::string maps = std::string("data/interface/coursemaps/") + word + "/";
  f.WritePicture(sky + "sky.bmp", 90, 140, 220);
  f.dir.Write(sky + "texture.codx", TextureList("sky.bmp", ""));
  ChunkObjectDef cube;
  cube.mesh = MeshSkyCube(400000.0f);
  f.WriteBytes(sky + "SkyDayN.c4d", ChunkWriteFile({cube}));
  f.WritePicture(level + "water.bmp", 20, 60, 140);
  f.dir.Write(level + "texture.codx", TextureList("water.bmp", "vqz_WaterworksTexIdent0"));
  f.WriteBytes(level + "level.brp", ChunkWriteFile(objects));
  f.dir.Write(level + "environs_01.codx", Environs());
  f.WritePicture(maps + "c1.bmp", 200, 200, 200);
  f.WritePicture(maps + "c1_opacity.bmp", 255, 255, 255);
}
