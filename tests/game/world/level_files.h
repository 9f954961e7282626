// Small levels written with the sample-data writers into a temporary folder laid out as the data
// tree: skybox, level folder with its objects and water settings, and the course maps.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/datagen/bmp_writer.h"
#include "tools/datagen/codex_writer.h"
#include "tools/datagen/mesh_builder.h"
#include "tools/datagen/model_writer.h"
#include "tools/datagen/texture_list_writer.h"
#include "tools/datagen/world_writer.h"

namespace level_fixture {

inline void WriteBytes(const TempDir& dir, const std::string& relative, const std::vector<uint8_t>& bytes) {
  dir.Write(relative, std::string(bytes.begin(), bytes.end()));
}
// A 16x16 picture of one colour.
inline void WritePicture(const TempDir& dir, const std::string& relative, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb;
  for (int i = 0; i < 16 * 16; ++i) rgb.insert(rgb.end(), {r, g, b});
  WriteBytes(dir, relative, BmpWriteRgb(16, 16, rgb.data()));
}

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
inline void WriteLevel(const TempDir& dir, const char* word, const std::vector<ChunkObjectDef>& objects) {
  using namespace level_fixture;
  const std::string sky = std::string("data/skybox/") + word + "/";
  const std::string level = std::string("data/levels/") + word + "/";
  const std::string maps = std::string("data/interface/coursemaps/") + word + "/";
  WritePicture(dir, sky + "sky.bmp", 90, 140, 220);
  dir.Write(sky + "texture.codx", TextureList("sky.bmp", ""));
  ChunkObjectDef cube;
  cube.mesh = MeshSkyCube(400000.0f);
  WriteBytes(dir, sky + "SkyDayN.c4d", ChunkWriteFile({cube}));
  WritePicture(dir, level + "water.bmp", 20, 60, 140);
  dir.Write(level + "texture.codx", TextureList("water.bmp", "vqz_WaterworksTexIdent0"));
  WriteBytes(dir, level + "level.brp", ChunkWriteFile(objects));
  dir.Write(level + "environs_01.codx", Environs());
  WritePicture(dir, maps + "c1.bmp", 200, 200, 200);
  WritePicture(dir, maps + "c1_opacity.bmp", 255, 255, 255);
}
