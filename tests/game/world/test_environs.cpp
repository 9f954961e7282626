// The course's water settings file: its name, every water line reaching its setter with converted
// values, the read stopping at a missing or non-finite value, and the release taking the file's
// lights out of the world without touching the water.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/colour_scale.h"
#include "engine/core/light.h"
#include "engine/data/world_file.h"
#include "game/world/environs.h"
#include "game/world/water_surface.h"
#include "world_fixture.h"

namespace {

int32_t LightCount(const World* world) {
  int32_t count = 0;
  for (const Light* light = world->lights; light; light = light->next) ++count;
  return count;
}

class Environs : public WorldFixture {
 public:
  static int32_t Read(const std::string& lines) {
    const std::string text = lines + "// closing comment line of the file\r\n";
    return WorldFileLoadData(text.data(), static_cast<int32_t>(text.size()), nullptr, EnvironsTokenHandler);
  }
};

TEST_F(Environs, FileNamesCountCoursesFromOneInTwoDigits) {
  char name[32];
  const std::pair<int32_t, const char*> cases[] = {
      {0, "environs_01.codx"}, {8, "environs_09.codx"}, {9, "environs_10.codx"}, {14, "environs_15.codx"}};
  for (const auto& [course, expected] : cases) {
    ASSERT_TRUE(EnvironsFileName(course, name, sizeof(name)));
    EXPECT_STREQ(name, expected);
  }
}

TEST_F(Environs, EachWaterLineReachesItsSetterWithConvertedValues) {
  ASSERT_EQ(Read("kVKT_ExternalRef vqz_Waterworks_TextureTileFactor 4\r\n"
                 "kVKT_ExternalRef VQZ_WATERWORKS_WATERMODE vqz_WaterMode_Planar\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_WaveHeightMultiplierXYZ 350\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_WaveAngleAdd 90\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_BasisY -12.5\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_HeightToSpecularRatio 0.5\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_MinHeightToSpecularThresh 0.1\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_HeightToTextureUVRatio 0.1, 0.2\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_WaterUVPoint 3 4\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_WaterUVAddPoint 0.01 0.02\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_UVCyclicMultiplier 2\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_UVCyclicAngle -90\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_UVCyclicAddAngle 10\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_SingularTexUV 0.5 0.75\r\n"
                 "kVKT_ExternalRef vQZQZ_Nothin 1\r\n"
                 "kVKT_ExternalRef vQZQZ_Ignore 1\r\n"
                 "kVKT_ExternalRef somethingElse 1\r\n"),
            0);
  const WaterSettings& w = gWaterSettings;
  EXPECT_EQ(w.textureTileFactor, 4.0f);
  EXPECT_EQ(w.waterMode, kWaterModePlanar);
  EXPECT_EQ(w.waveHeightMultiplier, 350.0f);
  EXPECT_EQ(w.waveAngleAdd, 1024);
  EXPECT_EQ(w.basisY, -12.5f);
  EXPECT_EQ(w.heightToSpecularRatio, 0.5f * gColourMaxAlpha);
  EXPECT_EQ(w.minHeightToSpecularThresh, 0.1f);
  EXPECT_EQ(w.heightToTextureUVRatio[1], 0.2f);
  EXPECT_EQ(w.waterUVPoint[0], 3.0f);
  EXPECT_EQ(w.waterUVAddPoint[1], 0.02f);
  EXPECT_EQ(w.uvCyclicMultiplier, 2.0f);
  EXPECT_EQ(w.uvCyclicAngle, -1024);
  EXPECT_EQ(w.uvCyclicAddAngle, 113);
  EXPECT_EQ(w.singularTexUV[1], 0.75f);
  EXPECT_EQ(w.flags, kWaterSpecular | kWaterHeightToUV | kWaterUVPoint | kWaterCyclicUV);
}

TEST_F(Environs, ModeWordsMatchAsPrefixesAndAnUnknownWordGivesTheSingularSine) {
  ASSERT_EQ(Read("kVKT_ExternalRef vqz_Waterworks_WaterMode vqz_watermode_staggeredsinewave\r\n"), 0);
  EXPECT_EQ(gWaterSettings.waterMode, kWaterModeStaggeredSine);
  ASSERT_EQ(Read("kVKT_ExternalRef vqz_Waterworks_WaterMode choppy\r\n"), 0);
  EXPECT_EQ(gWaterSettings.waterMode, kWaterModeSingularSine);
}

TEST_F(Environs, AMissingOrNonFiniteValueEndsTheReadWithItsError) {
  EXPECT_NE(Read("kVKT_ExternalRef vqz_Waterworks_WaterUVPoint 3\r\n"
                 "kVKT_ExternalRef vqz_Waterworks_BasisY 5\r\n"),
            0);
  EXPECT_EQ(gWaterSettings.waterUVPoint[0], 0.0f);  // no setter for the half-read pair
  EXPECT_EQ(gWaterSettings.basisY, 0.0f);           // nor for the lines after it
  EXPECT_EQ(Read("kVKT_ExternalRef vqz_Waterworks_WaveAngleAdd nan\r\n"), kEnvironsErrNotFinite);
  EXPECT_EQ(Read("kVKT_ExternalRef vqz_Waterworks_BasisY inf\r\n"), kEnvironsErrNotFinite);
  EXPECT_EQ(Read("kVKT_ExternalRef vqz_Waterworks_HeightToSpecularRatio 1e38\r\n"), kEnvironsErrNotFinite);
  EXPECT_EQ(Read("kVKT_ExternalRef vqz_Waterworks_BasisY wet\r\n"), 0);  // text reads as 0
  EXPECT_EQ(gWaterSettings.basisY, 0.0f);
  // Huge angles saturate instead of overflowing the conversion.
  ASSERT_EQ(Read("kVKT_ExternalRef vqz_Waterworks_WaveAngleAdd 1e30\r\n"), 0);
  EXPECT_EQ(gWaterSettings.waveAngleAdd, 2147483647);
}

TEST_F(Environs, LoadFillsTheWaterAndLightsAndReleaseTakesOnlyTheLightsAway) {
  gLevel = 3;
  gCourse = 9;
  CodexWriter writer;
  WorldAddPointLight(writer, "lamp", 0.0f, 100.0f, 0.0f, 255, 255, 255, 50.0f);
  WorldAddExternalRef(writer, {"vqz_Waterworks_BasisY", "42"});
  dir.Write("data/levels/colorado/environs_10.codx", CodexFinish(writer));

  ASSERT_EQ(EnvironsLoad(&view), 0);
  EXPECT_EQ(gWaterSettings.basisY, 42.0f);
  EXPECT_EQ(LightCount(view.world), 1);
  gWaterSettings.basisY = 0.0f;
  ASSERT_EQ(EnvironsRelease(&view), 0);
  EXPECT_EQ(LightCount(view.world), 0);
  EXPECT_EQ(gWaterSettings.basisY, 0.0f);

  gCourse = 10;  // no such file: not an error
  EXPECT_EQ(EnvironsLoad(&view), 0);
  gLevel = 10;
  EXPECT_EQ(EnvironsLoad(&view), -1);
  EXPECT_EQ(EnvironsRelease(&view), -1);
  EXPECT_EQ(EnvironsLoad(nullptr), -1000);
}

}  // namespace
