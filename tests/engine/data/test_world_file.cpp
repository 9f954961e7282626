#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/files.h"
#include "engine/core/light.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/world.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/data/world_file.h"
#include "tools/datagen/world_writer.h"

namespace {

std::string Fixture(const char* name) {
  std::filesystem::path path = std::filesystem::path(__FILE__).parent_path() / "fixtures" / name;
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Lines {
  std::vector<WorldFileLine> lines;
  std::vector<std::string> externalRest;  // what an external-reference handler would see
  int32_t result = 0;
};

Lines ReadAll(const std::string& data, uint8_t removeLights = 0) {
  std::vector<char> bytes(data.begin(), data.end());
  const char* text = bytes.data();
  int32_t remaining = static_cast<int32_t>(bytes.size());
  Lines out;
  for (int guard = 0; guard < 1000; ++guard) {
    WorldFileLine line;
    out.result = WorldFileReadLine(&text, &remaining, removeLights, &line);
    if (out.result != 0 || line.id == kCodexEnd) break;
    if (line.id == kCodexExternalRef) {
      const char* end = text;
      while (end < text + remaining && *end != '\n') ++end;
      out.externalRest.emplace_back(text, end);
      wre_CodexSkipLine(&text, &remaining);
    }
    if (line.id > 0) out.lines.push_back(line);
  }
  return out;
}

class WorldFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_[0] = gColourMax;
    saved_[1] = gColourMaxAlpha;
    gColourMax = gColourMaxAlpha = 255.0f;
  }
  void TearDown() override {
    gColourMax = saved_[0];
    gColourMaxAlpha = saved_[1];
  }
  float saved_[2];
};

TEST_F(WorldFileTest, EveryLineYieldsItsValues) {
  Lines all = ReadAll(Fixture("world.codx"));
  ASSERT_EQ(all.result, 0);
  std::vector<int32_t> ids;
  for (const auto& line : all.lines) ids.push_back(line.id);
  std::vector<int32_t> expected = {13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 1};
  ASSERT_EQ(ids, expected);
  const auto& l = all.lines;
  EXPECT_EQ(l[0].ambientLevel, 60.0f);
  // Ambient colour integers are taken on the unit scale: 0 stays 0, 1 and 128 are both full.
  EXPECT_EQ(l[1].colour[0], 255.0f);
  EXPECT_EQ(l[1].colour[1], 0.0f);
  EXPECT_EQ(l[1].colour[2], 255.0f);
  EXPECT_EQ(l[1].colour[3], 255.0f);
  EXPECT_STREQ(l[2].name, "the sun, up high");
  EXPECT_EQ(l[2].position.y, 5000.0f);
  EXPECT_EQ(l[2].position.z, -1.5f);
  EXPECT_EQ(l[2].colour[0], 255.0f);
  EXPECT_EQ(l[2].colour[1], 0.0f);
  EXPECT_FLOAT_EQ(l[2].colour[2], 51.0f);
  EXPECT_EQ(l[2].intensity, 100.0f);
  EXPECT_STREQ(l[3].name, "key");
  EXPECT_EQ(l[3].intensity, 80.0f);
  EXPECT_EQ(all.externalRest, std::vector<std::string>{" vqz_Waterworks_TextureTileFactor 2.5"});
  EXPECT_EQ(l[5].cellsX, 16);
  EXPECT_EQ(l[5].cellsZ, 16);
  EXPECT_EQ(l[5].cellSize, 500.0f);
  EXPECT_EQ(l[5].materialIndex, 0);
  EXPECT_EQ(l[5].textureIndex, 0);
  EXPECT_EQ(l[5].textureStep, 255.0f);
  EXPECT_EQ(l[6].drawDistance, 20000.0f);
  EXPECT_STREQ(l[7].name, "ground");
  EXPECT_STREQ(l[8].name, "ground");
  EXPECT_STREQ(l[9].name, "buoy01");
  EXPECT_EQ(l[9].angles[0], 0);
  EXPECT_EQ(l[9].angles[1], 1024);
  EXPECT_EQ(l[9].angles[2], -1029);
  EXPECT_EQ(l[9].position.x, 100.0f);
  EXPECT_EQ(l[9].position.z, 250.0f);
}

TEST_F(WorldFileTest, LightColoursFollowTheColourRange) {
  const std::string line = "kVKT_PointLightSource red 0 0 0 255 0 0 0 0 0 50\n// end of file\n";
  Lines bytes = ReadAll(line);
  ASSERT_EQ(bytes.lines.size(), 1u);
  EXPECT_EQ(bytes.lines[0].colour[0], 255.0f);
  EXPECT_EQ(bytes.lines[0].colour[3], 255.0f);
  gColourMax = gColourMaxAlpha = 1.0f;
  Lines unit = ReadAll(line);
  EXPECT_EQ(unit.lines[0].colour[0], 1.0f);
  EXPECT_EQ(unit.lines[0].colour[1], 0.0f);
  EXPECT_EQ(unit.lines[0].colour[3], 1.0f);
}

TEST_F(WorldFileTest, LightLinesNeedEveryField) {
  const std::string tail = "// end of file\n";
  Lines shortLine = ReadAll("kVKT_PointLightSource sun 1 2 3 255 255 255\nkVKT_AmbientLightPercentage 5\n" + tail);
  EXPECT_EQ(shortLine.result, kCodexErrLineEnded);
  EXPECT_TRUE(shortLine.lines.empty());
  // Names are cut to 31 characters; the rest of the name is still passed over.
  Lines longName = ReadAll("kVKT_DirectionalLightSource " + std::string(40, 'n') + " 1 2 3 4 5 6 7 8 9 10\n" + tail);
  ASSERT_EQ(longName.result, 0);
  EXPECT_EQ(std::string(longName.lines[0].name), std::string(31, 'n'));
  EXPECT_EQ(longName.lines[0].intensity, 10.0f);
}

TEST_F(WorldFileTest, RemovingLightsReadsOnlyTheName) {
  Lines removed = ReadAll(
      "kVKT_PointLightSource sun\nkVKT_DirectionalLightSource key 1 2 3\nkVKT_AmbientLightPercentage 5\n"
      "// end of file\n",
      1);
  ASSERT_EQ(removed.result, 0);
  ASSERT_EQ(removed.lines.size(), 3u);
  EXPECT_STREQ(removed.lines[0].name, "sun");
  EXPECT_STREQ(removed.lines[1].name, "key");
  EXPECT_EQ(removed.lines[1].intensity, 0.0f);
  EXPECT_EQ(removed.lines[2].ambientLevel, 5.0f);
}

TEST_F(WorldFileTest, TextureLinesArePassedOverWhole) {
  Lines all = ReadAll(
      "kVKT_ProceduralTexture r.bmp kVKT_TextureModifier_DisplacementMap KVKT_TextureEffect_DropWavelet\n"
      "kVKT_OpacityRequestDepthTexture s.bmp 16 kVKT_AmbientLightPercentage\n"
      "kVKT_AmbientLightPercentage 5\n// end of file\n");
  ASSERT_EQ(all.result, 0);
  ASSERT_EQ(all.lines.size(), 3u);
  EXPECT_EQ(all.lines[0].id, kCodexProceduralTexture);
  EXPECT_EQ(all.lines[1].id, kCodexOpacityRequestDepthTexture);
  EXPECT_EQ(all.lines[2].id, kCodexAmbientLightPercentage);
  EXPECT_EQ(all.lines[2].ambientLevel, 5.0f);
}

TEST_F(WorldFileTest, GeneratedWorldReadsBack) {
  CodexWriter writer;
  WorldAddAmbientLevel(writer, 60.0f);
  WorldAddAmbientColour(writer, 1, 1, 0);
  WorldAddPointLight(writer, "sun, high", 0.0f, 5000.0f, 0.25f, 255, 240, 0, 100.0f);
  WorldAddDirectionalLight(writer, "key", 0.0f, 1.0f, 0.0f, 0, 0, 255, 80.0f);
  WorldAddExternalRef(writer, {"vqz_Waterworks_WaveHeightMultiplier", CodexFloat(1.5f)});
  WorldAddGrid(writer, 16, 8, 500.0f, "kVKT_FirstID", "kVKT_FirstID", 255.0f);
  WorldAddDrawDistance(writer, 20000.0f);
  WorldSetObjectIdent(writer, "ground");
  WorldUnsetObjectIdent(writer, "old ground");
  WorldSetObjectPosition(writer, "buoy01", 0.0f, 90.0f, -90.5f, 100.0f, -3.125f, 250.0f);
  std::string data = CodexFinish(writer);
  ASSERT_TRUE(writer.ok);

  Lines all = ReadAll(data);
  ASSERT_EQ(all.result, 0);
  std::vector<int32_t> ids;
  for (const auto& line : all.lines) ids.push_back(line.id);
  std::vector<int32_t> expected = {13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
  ASSERT_EQ(ids, expected);
  const auto& l = all.lines;
  EXPECT_EQ(l[0].ambientLevel, 60.0f);
  EXPECT_EQ(l[1].colour[1], 255.0f);
  EXPECT_EQ(l[1].colour[2], 0.0f);
  EXPECT_STREQ(l[2].name, "sun, high");
  EXPECT_EQ(l[2].position.z, 0.25f);
  EXPECT_EQ(l[2].intensity, 100.0f);
  EXPECT_FLOAT_EQ(l[2].colour[1], 240.0f);
  EXPECT_EQ(l[3].colour[2], 255.0f);
  EXPECT_EQ(all.externalRest, std::vector<std::string>{" vqz_Waterworks_WaveHeightMultiplier 1.5\r"});
  EXPECT_EQ(l[5].cellsZ, 8);
  EXPECT_EQ(l[5].textureStep, 255.0f);
  EXPECT_EQ(l[6].drawDistance, 20000.0f);
  EXPECT_STREQ(l[8].name, "old ground");
  EXPECT_EQ(l[9].angles[1], 1024);
  EXPECT_EQ(l[9].angles[2], -1029);
  EXPECT_EQ(l[9].position.y, -3.125f);

  // A light name the reader would cut is refused.
  CodexWriter longName;
  WorldAddPointLight(longName, std::string(32, 'n'), 0, 0, 0, 0, 0, 0, 0);
  EXPECT_FALSE(longName.ok);
}

// What the external-reference handler saw: the rest of each line as handed over, and the fields
// it read from it with the reader's own field readers.
struct HandlerLog {
  std::vector<std::string> rest;
  std::vector<std::string> words;
  std::vector<float> values;
  int32_t answer = 0;
};
HandlerLog gHandlerLog;

int32_t RecordingHandler(const char** text, int32_t* remaining) {
  const char* end = *text;
  while (end < *text + *remaining && *end != '\r' && *end != '\n') ++end;
  gHandlerLog.rest.emplace_back(*text, end);
  char word[256];
  float value = 0.0f;
  if (wre_CodexReadString(text, remaining, word, sizeof(word)) == 0) gHandlerLog.words.push_back(word);
  if (wre_CodexReadFloat(text, remaining, &value) == 0) gHandlerLog.values.push_back(value);
  return gHandlerLog.answer;
}

std::vector<const Light*> LightsOf(const World* world) {
  std::vector<const Light*> lights;
  for (const Light* light = world->lights; light; light = light->next) lights.push_back(light);
  return lights;
}

std::vector<EngineObject*> GridsOf(const World* world) {
  std::vector<EngineObject*> grids;
  for (EngineObject* object = world->gridMeshes; object; object = object->next) grids.push_back(object);
  return grids;
}

class WorldLoadTest : public WorldFileTest {
 protected:
  void SetUp() override {
    WorldFileTest::SetUp();
    wre_MemoryInit();
    ASSERT_EQ(wre_MathTablesInit(), 0);
    wre_FolderSet(nullptr);
    wre_CodexFlagsReset();
    gHandlerLog = HandlerLog{};
    ASSERT_EQ(wre_MaterialTableInit(4), 0);
    water_ = wre_MaterialCreate(0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, "water");
    ASSERT_EQ(wre_MaterialSetIdent(water_, "water"), 0);
    // A texture record with an ident, in the second slot.
    ASSERT_EQ(wre_TextureTableInit(4), 0);
    for (int32_t slot = 0; slot < 2; ++slot) {
      ASSERT_EQ(wre_TextureCreateEx(nullptr, nullptr, kTextureCreateRecordOnly, "x.bmp", nullptr, 0, 0, 0, 0), 0);
      ASSERT_EQ(wre_TextureSetIdent(wre_TextureGet(slot), slot == 0 ? "sand" : "sea"), 0);
    }
    world_ = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, nullptr, nullptr, 0.0f, 0);
    ASSERT_NE(world_, nullptr);
    buoy_ = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
    ASSERT_NE(buoy_, nullptr);
    wre_ObjectSetName(buoy_, "Buoy01");
    ASSERT_EQ(wre_WorldAddObject(buoy_, world_), 0);
    folder_ = std::filesystem::temp_directory_path() /
              ("vh_world_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    wre_WorldDisposeObjects(world_);
    wre_WorldDisposeLights(world_);
    wre_WorldDispose(world_);
    wre_MaterialTableFree();
    wre_TextureTableFree();
    wre_MathTablesExit();
    wre_CodexFlagsReset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    WorldFileTest::TearDown();
  }

  std::string Save(const std::string& bytes) {
    std::string path = (folder_ / ("w" + std::to_string(++files_) + ".codx")).string();
    EXPECT_TRUE(CodexSaveFile(path, bytes));
    return path;
  }
  int32_t Load(const std::string& bytes, CodexExternalRefHandler handler = RecordingHandler, World* world = nullptr) {
    return wre_CodexLoadWorld(Save(bytes).c_str(), 0, world ? world : world_, handler);
  }

  std::filesystem::path folder_;
  int32_t files_ = 0;
  int32_t water_ = -1;
  World* world_ = nullptr;
  EngineObject* buoy_ = nullptr;
};

std::string GeneratedWorld() {
  CodexWriter writer;
  WorldAddAmbientLevel(writer, 60.0f);
  WorldAddAmbientColour(writer, 1, 0, 1);
  WorldAddPointLight(writer, "sun, high", 10.0f, 5000.0f, -2.5f, 255, 0, 51, 100.0f);
  WorldAddDirectionalLight(writer, "key", 0.0f, 1.0f, 0.0f, 0, 255, 0, 80.0f);
  WorldAddExternalRef(writer, {"vqz_Waterworks_WaveHeightMultiplier", CodexFloat(1.5f)});
  WorldAddGrid(writer, 4, 2, 100.0f, "WATER", "Sea", 255.0f);
  WorldAddDrawDistance(writer, 20000.0f);
  WorldSetObjectIdent(writer, "ground");
  WorldSetObjectPosition(writer, "buoy01", 0.0f, 90.0f, -90.5f, 100.0f, -3.125f, 250.0f);
  WorldAddExternalRef(writer, {"vqz_Waterworks_BasisY", CodexFloat(-20.0f)});
  std::string data = CodexFinish(writer);
  EXPECT_TRUE(writer.ok);
  return data;
}

TEST_F(WorldLoadTest, GeneratedWorldFillsTheWorld) {
  ASSERT_EQ(Load(GeneratedWorld()), 0);
  EXPECT_FLOAT_EQ(world_->ambientLevel, 0.6f);
  // Ambient integers on the unit scale: 1 is the full range.
  EXPECT_EQ(world_->ambient[0], 255.0f);
  EXPECT_EQ(world_->ambient[1], 0.0f);
  EXPECT_EQ(world_->ambient[2], 255.0f);

  auto lights = LightsOf(world_);
  ASSERT_EQ(lights.size(), 2u);
  EXPECT_STREQ(lights[0]->name, "sun, high");
  EXPECT_EQ(lights[0]->type, kLightPoint);
  EXPECT_EQ(lights[0]->transform.position[0], 10.0f);
  EXPECT_EQ(lights[0]->transform.position[1], 5000.0f);
  EXPECT_EQ(lights[0]->transform.position[2], -2.5f);
  EXPECT_EQ(lights[0]->colour[0], 255.0f);
  EXPECT_EQ(lights[0]->colour[1], 0.0f);
  EXPECT_FLOAT_EQ(lights[0]->colour[2], 51.0f);
  EXPECT_EQ(lights[0]->colour[3], 255.0f);
  EXPECT_FLOAT_EQ(lights[0]->intensity, 1.0f);
  EXPECT_STREQ(lights[1]->name, "key");
  EXPECT_EQ(lights[1]->type, kLightDirectional);
  EXPECT_FLOAT_EQ(lights[1]->intensity, 0.8f);

  auto grids = GridsOf(world_);
  ASSERT_EQ(grids.size(), 1u);
  EngineObject* grid = grids[0];
  EXPECT_EQ(grid->kind, kObjectStatic);
  EXPECT_EQ(grid->renderFlags, static_cast<uint32_t>(kRenderStatic));
  EXPECT_TRUE(grid->status & kStatusActive);
  EXPECT_EQ(grid->world, world_);
  EXPECT_EQ(grid->pointCount, 5 * 3);
  EXPECT_EQ(grid->polygonCount, 2 * 4 * 2);
  EXPECT_EQ(grid->polygons[0].material, water_);
  EXPECT_EQ(grid->polygons[0].texture, wre_TextureFindByIdent("sea"));
  EXPECT_EQ(grid->polygons[0].texture, 1);
  EXPECT_EQ(grid->drawDistance, 20000.0f);
  EXPECT_STREQ(grid->name, "ground");
  EXPECT_EQ(wre_WorldFindObjectByName("GROUND", world_), grid);

  EXPECT_EQ(buoy_->transform.angleX, 0);
  EXPECT_EQ(buoy_->transform.angleY, 1024);
  EXPECT_EQ(buoy_->transform.angleZ, -1029);
  EXPECT_EQ(buoy_->transform.position[0], 100.0f);
  EXPECT_EQ(buoy_->transform.position[1], -3.125f);
  EXPECT_EQ(buoy_->transform.position[2], 250.0f);

  // The handler starts on the character after the token word and reads the game's fields; the
  // reader then skips what it left of the line.
  EXPECT_EQ(gHandlerLog.rest, (std::vector<std::string>{" vqz_Waterworks_WaveHeightMultiplier 1.5",
                                                         " vqz_Waterworks_BasisY -20"}));
  EXPECT_EQ(gHandlerLog.words,
            (std::vector<std::string>{"vqz_Waterworks_WaveHeightMultiplier", "vqz_Waterworks_BasisY"}));
  EXPECT_EQ(gHandlerLog.values, (std::vector<float>{1.5f, -20.0f}));
}

TEST_F(WorldLoadTest, SecondReadWithBothFlagsRemovesTheLightsOnly) {
  const std::string data = GeneratedWorld();
  ASSERT_EQ(Load(data), 0);
  wre_WorldSetAmbientLevel(world_, 10.0f);
  wre_CodexSetWorldFlags(kCodexWorldRemoveLights | kCodexWorldSkipValues);
  ASSERT_EQ(Load(data, nullptr), 0);
  EXPECT_TRUE(LightsOf(world_).empty());
  EXPECT_FLOAT_EQ(world_->ambientLevel, 0.1f);
  EXPECT_EQ(GridsOf(world_).size(), 1u);
  EXPECT_EQ(gHandlerLog.rest.size(), 2u);  // no handler this time
  // A light that is no longer there is passed over, whatever the length of its line.
  EXPECT_EQ(Load("kVKT_PointLightSource key\nkVKT_DirectionalLightSource \"sun, high\" 1 2\n// end of file\n"), 0);

  // Bit 1 alone: lights are still added, grids are not, and the ident that follows finds no object.
  wre_CodexSetWorldFlags(kCodexWorldSkipValues);
  ASSERT_EQ(Load(data), 0);
  EXPECT_EQ(LightsOf(world_).size(), 2u);
  EXPECT_EQ(GridsOf(world_).size(), 1u);
  EXPECT_FLOAT_EQ(world_->ambientLevel, 0.1f);
  EXPECT_EQ(gHandlerLog.rest.size(), 4u);  // the handler is called whatever the flags
}

TEST_F(WorldLoadTest, FailuresEndTheReadAndKeepWhatCameBefore) {
  const std::string tail = "// end of file\n";
  EXPECT_EQ(wre_CodexLoadWorld((folder_ / "missing.codx").string().c_str(), 0, world_, nullptr), kFileErrOpenRead);
  EXPECT_EQ(Load(""), kFileErrEmpty);

  // A light line without its second colour and intensity: 2000, no light from it, nothing after it.
  EXPECT_EQ(Load("kVKT_PointLightSource a 0 0 0 255 255 255 0 0 0 50\n"
                 "kVKT_PointLightSource b 0 0 0 255 255 255\n"
                 "kVKT_AmbientLightPercentage 40\n" + tail),
            kCodexErrLineEnded);
  auto lights = LightsOf(world_);
  ASSERT_EQ(lights.size(), 1u);
  EXPECT_STREQ(lights[0]->name, "a");
  EXPECT_EQ(world_->ambientLevel, 0.0f);

  // A grid whose material ident no material carries is refused, and the read ends there.
  EXPECT_EQ(Load("kVKT_VirtualXZGridObject 2 2 10 sand kVKT_FirstID 255\nkVKT_SetObjectIdent x\n"
                 "kVKT_AmbientLightPercentage 40\n" + tail),
            kWreErrRange);
  EXPECT_TRUE(GridsOf(world_).empty());
  EXPECT_EQ(world_->ambientLevel, 0.0f);

  // A handler's non-zero answer ends the read with it.
  gHandlerLog.answer = 7;
  EXPECT_EQ(Load("kVKT_ExternalRef vqz_Waterworks_BasisY 3\nkVKT_AmbientLightPercentage 40\n" + tail), 7);
  EXPECT_EQ(gHandlerLog.rest.size(), 1u);
  EXPECT_EQ(world_->ambientLevel, 0.0f);
}

TEST_F(WorldLoadTest, LinesWithNothingToActOnArePassedOver) {
  const std::string tail = "// end of file\n";
  // Ident and draw distance before any grid, names that match no object, a reference with no
  // handler, and texture-list lines: all read, none with an effect.
  EXPECT_EQ(Load("kVKT_SetObjectIdent lost\nkVKT_CodexTokenID_VirtualReplicateRange 5\n"
                 "kVKT_UnsetObjectIdent nobody\nkVKT_SetObjectPosition nobody 1 2 3 4 5 6\n"
                 "kVKT_ExternalRef whatever 1 2 3\nkVKT_Texture sky.bmp\nkVKT_SetTextureIdent sky\n" + tail,
                 nullptr),
            0);
  EXPECT_STREQ(buoy_->name, "Buoy01");
  EXPECT_EQ(buoy_->transform.position[0], 0.0f);
  EXPECT_TRUE(GridsOf(world_).empty());

  // Unset clears the name of the object found by it.
  EXPECT_EQ(Load("kVKT_UnsetObjectIdent BUOY01\n" + tail), 0);
  EXPECT_STREQ(buoy_->name, " ");

  // Without a world every line is still read, and the handler is still called.
  EXPECT_EQ(wre_CodexLoadWorld(Save(GeneratedWorld()).c_str(), 0, nullptr, RecordingHandler), 0);
  EXPECT_EQ(gHandlerLog.rest.size(), 2u);
  EXPECT_TRUE(LightsOf(world_).empty());
  // ... and a field error still ends it.
  EXPECT_EQ(wre_CodexLoadWorld(Save("kVKT_AmbientLightColor 1 1\n" + tail).c_str(), 0, nullptr, nullptr),
            kCodexErrLineEnded);
}

}  // namespace

