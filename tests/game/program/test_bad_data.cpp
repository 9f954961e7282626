// A damaged file of each kind in the game's data tree, read the way the game reads it while it runs
// headless through the harness: the game stops with its fatal message or goes on without the
// file, never crashes, and never loses a save file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "engine/core/files.h"
#include "engine/core/test/census.h"
#include "engine/data/course.h"
#include "engine/data/video.h"
#include "game/menus/menu_shell.h"
#include "game/race/game_modes.h"
#include "game/race/mode_setup.h"
#include "game/state/circuit_file.h"
#include "game/state/game_view.h"
#include "game/state/prefs.h"
#include "game/state/scores.h"
#include "game/state/scores_record.h"
#include "game/state/settings.h"
#include "game/state/circuit_record.h"
#include "game/world/game_sounds.h"
#include "game/world/level_load.h"
#include "tests/game/harness/dialog_steps.h"
#include "tests/game/harness/game_harness.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDialogOk = 1, kDialogSoftware = 1008;

// Keeps the first `keep` bytes of the tree's file (a truncated copy).
void Truncate(const GameHarness& harness, const std::string& relative, size_t keep) {
  const fs::path path = harness.Root() / relative;
  ASSERT_GT(fs::file_size(path), keep) << relative;
  fs::resize_file(path, keep);
}

// Cuts the tree's file right after the first `marker` in it.
void TruncateAfter(const GameHarness& harness, const std::string& relative, const std::string& marker) {
  const size_t at = TempDir::Read(harness.Root() / relative).find(marker);
  ASSERT_NE(at, std::string::npos) << relative;
  Truncate(harness, relative, at + marker.size());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Overwrites bytes of the tree's file from `at` with a pattern that is no valid content.
void Scribble(const GameHarness& harness, const std::string& relative, size_t at, size_t count) {
  const fs::path path = harness.Root() / relative;
  std::string bytes = TempDir::Read(path);
  ASSERT_GE(bytes.size(), at + count) << relative;
  for (size_t i = 0; i < count; ++i) bytes[at + i] = static_cast<char>(0xA5 ^ (i * 37));
  WriteFile(path, bytes);
}

// Runs the game to its first menu frame, runs `probe` there with the menus' resources let go as a
// race lets them go (a level unload disposes every object of the world), then quits; the run must
// end cleanly.
void RunProbe(GameHarness& harness, const std::function<void()>& probe) {
  bool ran = false;
  harness.AtFrame(1, [&] {
    ran = true;
    MenuResourcesUnload();
    probe();
    MenuResourcesLoad();
    GameHarness::RequestQuit();
  });
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_TRUE(ran);
}

std::string SaveBytes(const GameHarness& harness, const char* name) { return TempDir::Read(harness.SaveFile(name)); }

TEST(BadData, DamagedSaveFilesAreReplacedByDefaultsAndTheGameGoesOn) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware, 3);
  Truncate(harness, "data/prefs/prefs.qz", 100);
  WriteFile(harness.SaveFile("scores.qz"), std::string(kScoresImageSize, '\x7f'));  // another version
  WriteFile(harness.SaveFile("circuit.qz"), std::string(kCircuitImageSize - 1, '\0'));
  // The settings are the defaults, so the renderer is asked for.
  DialogStep([] { DialogClick(kDialogSoftware); });
  DialogStep([] { DialogClick(kDialogOk); });
  RunProbe(harness, [] { EXPECT_EQ(gSettings.launchCount, 0); });
  const std::string prefs = SaveBytes(harness, "prefs.qz");
  EXPECT_TRUE(PrefsRead(reinterpret_cast<const uint8_t*>(prefs.data()), prefs.size()));
  EXPECT_EQ(gSettings.rendererKind, kRendererSoftware);
  const std::string scores = SaveBytes(harness, "scores.qz");
  ScoresRecord scoresRead{};
  EXPECT_TRUE(ScoresRead(&scoresRead, reinterpret_cast<const uint8_t*>(scores.data()), scores.size()));
  const std::string circuit = SaveBytes(harness, "circuit.qz");
  CircuitRecord circuitRead{};
  EXPECT_TRUE(CircuitRead(&circuitRead, reinterpret_cast<const uint8_t*>(circuit.data()), circuit.size()));
}

// Values no race can produce overflowed where the pages and the circuit loop add to them; they read
// as empty and the files are written back mended.
TEST(BadData, SaveValuesOutOfRangeReadAsEmptyAndTheFilesAreMended) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  auto put = [](std::string& image, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) image[at + k] = static_cast<char>(v >> (24 - 8 * k));
  };
  std::string scores(kScoresImageSize, '\0'), circuit(kCircuitImageSize, '\0');
  put(scores, 0, kScoresVersion);
  put(scores, 224, 0x7FFFFFFF);  // rally entry 0: level 0, place 0, course 0x7FFFFFFF
  put(circuit, 0, kCircuitVersion);
  circuit[4] = 'A';
  put(circuit, 4 + 32, 0x7FFFFFFF);  // slot 0: mean place
  WriteFile(harness.SaveFile("scores.qz"), scores);
  WriteFile(harness.SaveFile("circuit.qz"), circuit);
  RunProbe(harness, [] {
    EXPECT_EQ(gScores->rallyLevel[0], -1);
    EXPECT_EQ(gCircuit->slotName[0][0], '\0');
  });
  ScoresRecord scoresRead{};
  const std::string savedScores = SaveBytes(harness, "scores.qz");
  ASSERT_TRUE(ScoresRead(&scoresRead, reinterpret_cast<const uint8_t*>(savedScores.data()), savedScores.size()));
  EXPECT_NE(savedScores.substr(224, 4), scores.substr(224, 4));
  EXPECT_EQ(SaveBytes(harness, "circuit.qz").substr(4, 40), std::string(40, '\0'));
}

// The race driver stops with "Failed to load selected level" on this failure.
TEST(BadData, ATruncatedModelFailsTheLevelLoad) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  Truncate(harness, "data/skybox/amazon/SkyDayN.c4d", fs::file_size(harness.Root() / "data/skybox/amazon/SkyDayN.c4d") / 2);
  RunProbe(harness, [] {
    gLevel = 0;
    EXPECT_NE(LevelLoad(gView), 0);
    LevelUnload(gView);
  });
}

TEST(BadDataDeathTest, ACorruptTextureListStopsWithItsMessageAndKeepsTheSaves) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware, 6);
  TruncateAfter(harness, "data/levels/amazon/texture.codx", "amazon_ro");  // a file that is not there
  EXPECT_EXIT(RunProbe(harness, [] { LevelLoad(gView); }), testing::ExitedWithCode(3),
              "Error at parse texture file\ndata/levels/amazon/texture.codx");
  const std::string prefs = SaveBytes(harness, "prefs.qz");
  ASSERT_TRUE(PrefsRead(reinterpret_cast<const uint8_t*>(prefs.data()), prefs.size()));
  EXPECT_EQ(gSettings.launchCount, 8);  // the seeded count, the stopped run's and this read's
}

// Alone the racers' build fails; with opponents the route's probe craft fails first. Both stop the
// set-up with the message and the damaged file on the line after it.
TEST(BadDataDeathTest, ADamagedCraftModelStopsTheRaceNamingTheFile) {
  for (int32_t opponents : {0, 3}) {
    SCOPED_TRACE(opponents);
    GameHarness harness;
    harness.SeedSettings(kRendererSoftware);
    const std::string model = "data/hydrels/alder/hydrel_01.c4d";
    Truncate(harness, model, fs::file_size(harness.Root() / model) / 2);
    const auto select = [opponents] {
      gGameMode = kModeRally;
      gLevel = gCourse = 0;
      gSettings.opponentCount = opponents;
      gSettings.playerModel = 0;
    };
    EXPECT_EXIT(harness.RunRace(select), testing::ExitedWithCode(3),
                "Couldn't allocate/setup objects\ndata/hydrels/alder/hydrel_01.c4d");
  }
}

// A damaged file that stops the game: the fatal message, and the file on the line after it.
struct NamedFatal {
  const char* name;
  std::function<void(const GameHarness&)> damage;
  bool race;  // a rally race on the first amazon course, alone; else the menus' start
  const char* message;
};

void Remove(const GameHarness& harness, const std::string& relative) {
  ASSERT_TRUE(fs::remove(harness.Root() / relative)) << relative;
}

void Halve(const GameHarness& harness, const std::string& relative) {
  Truncate(harness, relative, fs::file_size(harness.Root() / relative) / 2);
}

void LengthenFirstCourse(const GameHarness& harness, int count);

const NamedFatal kNamedFatals[] = {
    {"SkyModelMissing", [](auto& h) { Remove(h, "data/skybox/amazon/SkyDayN.c4d"); }, true,
     "Failed to load selected level\ndata/skybox/amazon/SkyDayN.c4d"},
    {"LevelModelDamaged", [](auto& h) { Halve(h, "data/levels/amazon/level.brp"); }, true,
     "Failed to load selected level\ndata/levels/amazon/level.brp"},
    {"LevelModelWithoutWaterMarker",
     [](auto& h) {
       fs::copy_file(h.Root() / "data/skybox/amazon/SkyDayN.c4d", h.Root() / "data/levels/amazon/level.brp",
                     fs::copy_options::overwrite_existing);
     },
     true, "Failed to load selected level\ndata/levels/amazon/level.brp"},
    {"CourseMapMissing", [](auto& h) { Remove(h, "data/interface/coursemaps/amazon/c1.bmp"); }, true,
     "Failed to load selected level\ndata/interface/coursemaps/amazon/c1.bmp"},
    {"CourseMapOpacityDamaged", [](auto& h) { Halve(h, "data/interface/coursemaps/amazon/c1_opacity.bmp"); }, true,
     "Failed to load selected level\ndata/interface/coursemaps/amazon/c1_opacity.bmp"},
    {"LevelPictureMissing", [](auto& h) { Remove(h, "data/levels/amazon/amazon_leaf.bmp"); }, true,
     "Error at parse texture file\ndata/levels/amazon/amazon_leaf.bmp"},
    {"HudFontMissing", [](auto& h) { Remove(h, "data/interface/font_lap.codx"); }, true,
     "Error at define gameplay fonts\ndata/interface/font_lap.codx"},
    // The list ends cleanly after its first picture: the fonts' pictures after it are not loaded.
    {"InterfaceListCut", [](auto& h) { TruncateAfter(h, "data/interface/texture.codx", "hud_bigyellow.bmp 255 0 255\r\n"); },
     true, "Error at define gameplay fonts\ndata/interface/font_lap.codx"},
    {"InterfaceSheetMissing", [](auto& h) { Remove(h, "data/interface/qz_interface.BMP"); }, true,
     "Couldn't load vqz_TextureFilename_Interface2\ndata/interface/qz_interface.BMP"},
    {"MenuSheetOpacityDamaged", [](auto& h) { Halve(h, "data/interface/qz_menu_opacity.BMP"); }, true,
     "Couldn't load vqz_TextureFilename_Interface3\ndata/interface/qz_menu_opacity.BMP"},
    {"CourseOverTheLimit", [](auto& h) { LengthenFirstCourse(h, kCourseWaypointLimit + 1); }, true,
     "Failed to setup gameplay\ndata/courses/amazon/course.dat"},
    {"MenuPictureDamaged", [](auto& h) { Truncate(h, "data/menu/m_startup/mnu_tabs.bmp", 20); }, false,
     "Error at parse texture file\ndata/menu/m_startup/mnu_tabs.bmp"},
    {"MenuFontGlobeMissing", [](auto& h) { Remove(h, "data/menu/m_startup/font_globe.codx"); }, false,
     "Error at allocate globe font\ndata/menu/m_startup/font_globe.codx"},
    {"MenuFontLevelMissing", [](auto& h) { Remove(h, "data/menu/m_startup/font_level.codx"); }, false,
     "Error at allocate level font\ndata/menu/m_startup/font_level.codx"},
    {"WaterBackgroundMissing", [](auto& h) { Remove(h, "data/menu/m_startup/background.c4d"); }, false,
     "Error at load water background\ndata/menu/m_startup/background.c4d"},
    {"MenuLogoDamaged", [](auto& h) { Halve(h, "data/menu/m_startup/logo01.c4d"); }, false,
     "Error at load menu logo object\ndata/menu/m_startup/logo01.c4d"},
};

class NamedFatalDeathTest : public testing::TestWithParam<NamedFatal> {};

TEST_P(NamedFatalDeathTest, StopsWithTheMessageAndTheFileOnTheNextLine) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  GetParam().damage(harness);
  if (HasFatalFailure()) return;
  // A run that goes on is asked to quit, so that it ends and fails the test rather than hanging.
  harness.EachFrame([](int presented) {
    if (presented > 2) GameHarness::RequestQuit();
  });
  if (GetParam().race) {
    const auto select = [] {
      gGameMode = kModeRally;
      gLevel = gCourse = 0;
      gSettings.opponentCount = 0;
    };
    EXPECT_EXIT(harness.RunRace(select), testing::ExitedWithCode(3), GetParam().message);
  } else {
    EXPECT_EXIT(harness.Run(), testing::ExitedWithCode(3), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(BadData, NamedFatalDeathTest, testing::ValuesIn(kNamedFatals),
                         [](const testing::TestParamInfo<NamedFatal>& info) { return std::string(info.param.name); });

// Puts `count` more waypoints into the first course of the amazon course file.
void LengthenFirstCourse(const GameHarness& harness, int count) {
  const fs::path file = harness.Root() / "data/courses/amazon/course.dat";
  std::string text = TempDir::Read(file);
  std::string extra;
  extra.reserve(static_cast<size_t>(count) * 32);
  for (int i = 0; i < count; ++i) extra += "kVKT_WayPoint " + std::to_string(1000 + i) + " 52 214 kVKT_True\n";
  const size_t end = text.find("kVKT_End");
  ASSERT_NE(end, std::string::npos);
  text.insert(end, extra);
  WriteFile(file, text);
}

// A course far past the limit is refused as soon as the limit is passed, not built whole first: the
// race's read names the file and holds no more than the limit.
TEST(BadData, AMillionWaypointCourseIsRefusedUnbuilt) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  LengthenFirstCourse(harness, 1000000);
  RunProbe(harness, [] {
    gLevel = gCourse = 0;
    const int32_t blocks = wre_TestLiveBlockCount();
    testing::internal::CaptureStderr();
    EXPECT_EQ(RaceCourseRead(), kCourseErrWaypointCap);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("data/courses/amazon/course.dat has more than 500"),
              std::string::npos);
    EXPECT_LE(wre_TestLiveBlockCount() - blocks, kCourseWaypointLimit + 1);  // the course and its waypoints
    CourseFree(gCourseData);
    gCourseData = nullptr;
  });
}

// The menus read every name of a level whose first course is too long to race, that one's too.
TEST(BadData, ACourseOverTheLimitLeavesTheCourseNamesReadable) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  LengthenFirstCourse(harness, 5000);
  RunProbe(harness, [] {
    gLevel = 0;
    gCourse = 1;  // the second course is untouched
    EXPECT_EQ(RaceCourseRead(), 0);
    CourseFree(gCourseData);
    gCourseData = nullptr;
    char names[kCourseNameSlots][kCourseNameSize] = {};
    EXPECT_EQ(CourseNamesRead(names, 0), kCourseErrWaypointCap);
    EXPECT_STREQ(names[0], "Amazon Rally 1");
    EXPECT_STREQ(names[1], "Amazon Rally 2");
    EXPECT_STREQ(names[14], "Amazon Derby 5");
  });
}

TEST(BadData, ATruncatedCourseFileFailsTheCourseNames) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  TruncateAfter(harness, "data/courses/amazon/course.dat", "kVKT_Course \"Amazon Rally 2\"");
  RunProbe(harness, [] {
    char names[kCourseNameSlots][kCourseNameSize] = {};
    EXPECT_NE(CourseNamesRead(names, 0), 0);
    EXPECT_STREQ(names[0], "Amazon Rally 1");
  });
}

TEST(BadData, ATruncatedWaterSettingsFileIsReportedAndTheLevelStillLoads) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  // Cut before a value: the line cannot be read.
  TruncateAfter(harness, "data/levels/amazon/environs_01.codx", "WaveHeightMultiplier ");
  RunProbe(harness, [] {
    gLevel = 0;
    gCourse = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LevelLoad(gView), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("water settings of level 0 course 0"), std::string::npos);
    EXPECT_EQ(LevelUnload(gView), 0);
  });
}

TEST(BadData, DamagedWavesLeaveTheirSoundsSilent) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  Truncate(harness, "data/sounds/water.wav", 30);
  Scribble(harness, "data/sounds/start_countdwn.WAV", 12, 24);  // the format chunk
  const std::string go = "data/sounds/start_countgo.WAV";
  Truncate(harness, go, fs::file_size(harness.Root() / go) / 2);  // samples missing
  RunProbe(harness, [] {
    RaceSoundsLoad();
    EXPECT_EQ(gRaceSounds.water, -1);
    EXPECT_EQ(gRaceSounds.countdown, -1);
    EXPECT_EQ(gRaceSounds.go, -1);
    EXPECT_GE(gRaceSounds.cheer, 0);
    RaceSoundsFree();
  });
}

TEST(BadData, ATruncatedIntroVideoPlaysWhatItHoldsOrDoesNotStart) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  Truncate(harness, "data/intro/ostrel/ost8Xhi.avi", 600);
  const std::string tarnwick = "data/intro/tarnwick/Tarnwick.avi";
  Truncate(harness, tarnwick, fs::file_size(harness.Root() / tarnwick) / 2);
  RunProbe(harness, [] {
    wre_FolderPush();
    wre_FolderSet("data:intro:ostrel");
    EXPECT_EQ(IntroVideoPlay("ost8Xhi.avi", gView), -1);
    wre_FolderSet("data:intro:tarnwick");
    EXPECT_EQ(IntroVideoPlay("Tarnwick.avi", gView), 0);
    wre_FolderPop();
  });
}

}  // namespace
