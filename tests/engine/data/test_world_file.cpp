#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/colour_scale.h"
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

}  // namespace
