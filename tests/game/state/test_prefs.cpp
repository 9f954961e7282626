#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/wre_types.h"
#include "engine/data/cdaudio.h"
#include "game/state/prefs.h"
#include "game/state/settings.h"
#include "platform/plat_backend.h"
#include "platform/plat_cdaudio.h"
#include "platform/test/plat_cdaudio.h"
#include "platform/test/plat_files.h"
#include "save_test_support.h"

namespace {

class Prefs : public SaveFolderTest {
 protected:
  void SetUp() override {
    SaveFolderTest::SetUp();
    plat_UseBackend(kPlatBackendTest);
    plat_TestCdReset();
    gSettings = Settings{};
  }
  void TearDown() override {
    CdAudioClose();
    SaveFolderTest::TearDown();
  }
  // The saved block of the record, from opponentCount to the tail.
  static std::string SavedBlock(const Settings& s) {
    auto* begin = reinterpret_cast<const char*>(&s.opponentCount);
    return std::string(begin, reinterpret_cast<const char*>(&s.loaded));
  }
};

using Words = std::vector<std::pair<size_t, uint32_t>>;

// The default image, word by word at its offset; every byte not listed is zero.
const Words kDefaultWords = {
    {0, 752},  {52, 2},   {60, 2},   {220, 0xFFFFFFFF}, {268, 50},        {272, 80},
    {276, 15}, {280, 80}, {284, 172}, {288, 173},       {292, 171},       {296, 80},
    {300, 86}, {304, 1},  {308, 1},  {312, 0x3F800000}, {316, 0x3F800000}, {328, 0x3FC00000},
    {332, 0x40800000},
};

TEST_F(Prefs, TheFirstStartWritesTheDefaultImage) {
  EXPECT_EQ(PrefsLoad(), 0);
  std::string expected(456, '\0');
  for (auto [offset, value] : kDefaultWords) Put32(expected, offset, value);
  std::memcpy(&expected[92], "Player", 6);
  EXPECT_EQ(Read("prefs.qz"), expected);
  EXPECT_STREQ(gCurrentFolder, "data/prefs/");
  // The music volume reaches the CD line: 80 percent is 203 of 255.
  EXPECT_EQ(plat_TestCdLog()->opens, 1);
  EXPECT_EQ(plat_TestCdLog()->lastAuxVolume & 0xFFFF, 203u * 256u);
}

TEST_F(Prefs, EverySavedFieldRoundTripsAtItsOffset) {
  Settings s{};
  s.opponentCount = 3, s.launchCount = 1234, s.playerModel = 4, s.riderSex = 1;
  s.spareA[0] = 11, s.spareA[1] = 12, s.spareA[2] = 13;
  s.playerLivery = 49, s.riderTexture = 40, s.spareB = 14;
  std::strcpy(s.playerName, "Racer");
  for (int i = 0; i < 24; ++i) s.spareC[i] = 100 + i;
  s.rendererKind = 103, s.spareD[0] = 15, s.spareD[1] = 16, s.spareFloat = 2.5f;
  std::strcpy(s.spareString, "kept");
  s.soundVolume = 35, s.musicVolume = 65, s.viewDistance = 90, s.detail = 45;
  s.keyLeft = 65, s.keyRight = 66, s.keyThrottle = 67, s.keyPause = 68, s.keyView = 69;
  s.mouseOn = 0, s.joystickOn = 0, s.mouseSensitivity = 2.5f, s.mouseThreshold = 0.5f;
  s.mouseInvertX = 7, s.mouseInvertY = 8, s.joystickScale = 9.5f, s.joystickDeadZone = 0.25f;
  for (int i = 0; i < 8; ++i) s.spareE[i] = 200 + i;
  gSettings = s;
  gSettings.level = 7;  // run-time fields are not saved
  ASSERT_EQ(PrefsSave(), 0);

  std::string expected(456, '\0');
  Words words = {{0, 752},     {52, 3},     {56, 1234},  {60, 4},           {64, 1},    {68, 11},
                 {72, 12},     {76, 13},    {80, 49},    {84, 40},          {88, 14},   {220, 103},
                 {224, 15},    {228, 16},   {232, Bits(2.5f)}, {268, 35},   {272, 65},  {276, 90},
                 {280, 45},    {284, 65},   {288, 66},   {292, 67},         {296, 68},  {300, 69},
                 {312, Bits(2.5f)}, {316, Bits(0.5f)}, {320, 7}, {324, 8}, {328, Bits(9.5f)},
                 {332, Bits(0.25f)}};
  for (int i = 0; i < 24; ++i) words.emplace_back(124 + 4 * i, 100 + i);
  for (int i = 0; i < 8; ++i) words.emplace_back(336 + 4 * i, 200 + i);
  for (auto [offset, value] : words) Put32(expected, offset, value);
  std::memcpy(&expected[92], "Racer", 5);
  std::memcpy(&expected[236], "kept", 4);
  ASSERT_EQ(Read("prefs.qz"), expected);

  // What the reader skips is written as zeros whatever the file held.
  std::string junk = expected;
  for (size_t offset : {4u, 48u, 368u, 452u}) Put32(junk, offset, 0xDEADBEEF);
  Write("prefs.qz", junk);
  gSettings = Settings{};
  gSettings.level = 7;
  ASSERT_EQ(PrefsLoad(), 0);
  ASSERT_EQ(PrefsSave(), 0);
  EXPECT_EQ(Read("prefs.qz").substr(4, 48), expected.substr(4, 48));
  EXPECT_EQ(Read("prefs.qz").substr(368), expected.substr(368));
  EXPECT_EQ(gSettings.version, 752);
  EXPECT_EQ(gLevel, 0);
  s.launchCount = 1235;  // every good load counts one launch
  EXPECT_EQ(SavedBlock(gSettings), SavedBlock(s));
}

TEST_F(Prefs, OtherVersionsShortFilesAndGarbageGiveTheDefaultsAndLeaveTheFile) {
  std::string good(456, '\0');
  Put32(good, 0, 752);
  Put32(good, 52, 4);
  std::string other = good;
  Put32(other, 0, 751);
  std::string garbage(456, '\x5A');
  for (const std::string& bytes : {other, good.substr(0, 455), garbage, std::string("\0\0\x02\xF0", 4)}) {
    Write("prefs.qz", bytes);
    gSettings.opponentCount = 5;
    EXPECT_EQ(PrefsLoad(), 0);
    EXPECT_EQ(gSettings.version, 0);
    EXPECT_EQ(gSettings.opponentCount, 2);
    EXPECT_STREQ(gSettings.playerName, "Player");
    EXPECT_EQ(Read("prefs.qz"), bytes);
  }
}

TEST_F(Prefs, ValuesOutsideWhatThePagesKeepTakeTheirDefaults) {
  PrefsDefaults();
  ASSERT_EQ(PrefsSave(), 0);
  std::string image = Read("prefs.qz");
  Words bad = {{52, 6},        {56, 0x80000000}, {60, 5},    {64, 2},   {80, 50},
               {84, 0xFFFFFFFF}, {268, 101},     {272, 0xFFFFFFFF}, {276, 0xFFFFFFFB}, {280, 1000},
               {232, Bits(std::numeric_limits<float>::infinity())},
               {312, Bits(std::numeric_limits<float>::quiet_NaN())},
               {316, Bits(-std::numeric_limits<float>::infinity())}, {328, Bits(0.05f)}, {332, Bits(10.5f)}};
  for (auto [offset, value] : bad) Put32(image, offset, value);
  std::memset(&image[92], 'A', 32);
  Write("prefs.qz", image);
  PrefsLoad();
  Settings loaded = gSettings;
  PrefsDefaults();
  gSettings.launchCount = 1;
  std::memset(gSettings.playerName, 'A', 31);
  EXPECT_EQ(SavedBlock(loaded), SavedBlock(gSettings));
}

TEST_F(Prefs, ASaveThatCannotBeWrittenFailsAndLeavesTheOldFile) {
  PrefsLoad();
  std::string old = Read("prefs.qz");
  plat_TestFailNextSave();
  gSettings.opponentCount = 5;
  EXPECT_EQ(PrefsSave(), kFileErrCreate);
  EXPECT_EQ(Read("prefs.qz"), old);
}

TEST_F(Prefs, AFirstStartThatCannotWriteReportsTheSaveErrorNamingTheFolder) {
  std::filesystem::remove_all("data");
  testing::internal::CaptureStderr();
  EXPECT_EQ(PrefsLoad(), kFileErrCreate);
  const std::string said = testing::internal::GetCapturedStderr();
  const std::string folder = (std::filesystem::current_path() / "data" / "prefs").string();
  EXPECT_NE(said.find("\"" + folder + "\""), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_EQ(gSettings.opponentCount, 2);
  EXPECT_FALSE(Exists("prefs.qz"));
}

// A stop before the first load must not replace a good file with an empty record.
TEST_F(Prefs, TheFatalPathSavesOnlyLoadedSettings) {
  ASSERT_EQ(PrefsSaveLoaded(), kWreErrRange);
  EXPECT_FALSE(Exists("prefs.qz"));
  PrefsLoad();
  gSettings.rendererKind = 101;
  EXPECT_EQ(PrefsSaveLoaded(), 0);
  EXPECT_EQ(Be32(Read("prefs.qz"), 220), 101);
}

TEST(PrefsVolumes, PercentagesBecomeEngineAndCdVolumesAndTheRaceFlagItsLowByte) {
  EXPECT_EQ(PrefsEffectsVolume(0), 0);
  EXPECT_EQ(PrefsEffectsVolume(50), 5119);
  EXPECT_EQ(PrefsEffectsVolume(80), 8191);
  EXPECT_EQ(PrefsEffectsVolume(100), 10239);
  EXPECT_EQ(PrefsMusicVolume(80), 203);
  EXPECT_EQ(PrefsMusicVolume(100), 254);
  // The race-active flag is stored sign-extended and read by its low byte.
  RaceActiveSet(-1);
  EXPECT_EQ(gRaceActive, -1);
  EXPECT_TRUE(RaceActiveGet());
  gRaceActive = 0x100;
  EXPECT_FALSE(RaceActiveGet());
  RaceActiveSet(0);
  EXPECT_FALSE(RaceActiveGet());
}

}  // namespace
