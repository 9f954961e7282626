// Races started from the front end, run headless with scripted races in place of the race driver:
// the circuit's scoring, saving, leaving, resuming and restarting, the circuit-won screen, the page
// wait and the single race's return to the menus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/files.h"
#include "engine/core/input.h"
#include "engine/core/wre_types.h"
#include "engine/data/material.h"
#include "engine/data/sound.h"
#include "engine/data/texture.h"
#include "game/menus/circuit_win_screen.h"
#include "game/menus/test/race_launch.h"
#include "game/state/circuit_file.h"
#include "game/state/game_view.h"
#include "game/state/menu_state.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/scores.h"
#include "game/state/settings.h"
#include "platform/test/plat_display.h"
#include "tests/game/harness/game_harness.h"

namespace {

struct RaceSeen {
  int32_t level, course, mode, opponents, raceActive, menusLoaded;
};

struct Outcome {
  bool finished = true;
  bool quit = false;
  int32_t place = 0;
};

// What the circuit-won screen may hold on to: its pictures, materials, voices, the data folder and
// typed keys.
struct Held {
  std::vector<std::string> tiles;  // the circuit-won pictures loaded, in name order
  int materials = 0, voices = 0;
  std::string folder;
  int32_t folderDepth = 0;
  bool keysWaiting = false;
  bool operator==(const Held&) const = default;
};

Held NowHeld() {
  Held h;
  for (int i = 0; i < gTextureCount; ++i) {
    const std::string file = gTextureTable[i].file;
    if ((gTextureTable[i].flags & kTextureInUse) && file.starts_with("circuit_win_")) h.tiles.push_back(file);
  }
  std::sort(h.tiles.begin(), h.tiles.end());
  for (int i = 0; i < gMaterialCount; ++i) h.materials += gMaterialTable[i].inUse != 0;
  for (int i = 0; i < 256; ++i) h.voices += wre_SoundGetSlot(i) != nullptr;  // past the slots: null
  h.folder = gCurrentFolder;
  h.folderDepth = gFolderDepth;
  h.keysWaiting = gKeyRingRead != gKeyRingWrite;
  return h;
}

void PrintTo(const Held& h, std::ostream* os) {
  *os << h.tiles.size() << " pictures, " << h.materials << " materials, " << h.voices << " voices, folder \""
      << h.folder << "\" at depth " << h.folderDepth << (h.keysWaiting ? ", keys waiting" : "");
}

// A headless run whose first menu frame runs the body. The between-races page answers pageAnswer_
// and the circuit-won screen a typed key.
class LaunchTest : public ::testing::Test {
 protected:
  void TearDown() override { RaceLaunchSetRunner(nullptr); }

  void InGame(const std::function<void()>& body) {
    harness_.SeedSettings(kRendererSoftware);
    harness_.EachPump([this] {
      if (gMenuState) gMenuState->pageResult = pageAnswer_;
      if (gCircuit && gCircuit->slotLevel[0] > 9) GameHarness::TypeText("q");
    });
    harness_.AtFrame(1, [&] {
      body();
      GameHarness::RequestQuit();
    });
    ASSERT_EQ(harness_.Run(), 0);
  }

  // Each race notes what it was started with and ends as the script says.
  void Script(std::function<Outcome(int race)> outcome) {
    RaceLaunchSetRunner([this, outcome](ViewComponents*) {
      seen_.push_back({gLevel, gCourse, gGameMode, gSettings.opponentCount, gRaceActive, gMenuLoaded});
      const Outcome o = outcome(static_cast<int>(seen_.size()) - 1);
      gRaceFinished = o.finished;
      gQuitRequested = o.quit;
      gPlayerPlace = o.place;
      gPlayerTime = 1000 + static_cast<int32_t>(seen_.size());
      return 0;
    });
  }

  template <class Record>
  Record Saved(const char* file, bool (*read)(Record*, const uint8_t*, size_t)) const {
    const std::string image = TempDir::Read(harness_.SaveFile(file));
    Record record{};
    EXPECT_TRUE(read(&record, reinterpret_cast<const uint8_t*>(image.data()), image.size())) << file;
    return record;
  }
  // The opponent count of the settings file: the word after the version and twelve unsaved words.
  int32_t SavedOpponentCount() const {
    const std::string image = TempDir::Read(harness_.SaveFile(kPrefsFileName));
    const auto* b = reinterpret_cast<const uint8_t*>(image.data()) + 52;
    return static_cast<int32_t>(uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3]);
  }

  GameHarness harness_;
  std::vector<RaceSeen> seen_;
  int32_t pageAnswer_ = 1;
};

TEST_F(LaunchTest, AFiftyRaceCircuitIsScoredSavedLeftResumedAndWon) {
  std::vector<int32_t> places;  // of the counted races, in running order
  Script([&](int race) {
    if (race == 10) {
      EXPECT_EQ(SavedOpponentCount(), 5);  // saved after every counted race
    }
    // The fourth race is quit, the ninth does not finish; the places run below third.
    const Outcome o = race == 3   ? Outcome{true, true, 0}
                      : race == 8 ? Outcome{false, false, 0}
                                  : Outcome{true, false, race % 6};
    if (o.finished && !o.quit) places.push_back(o.place);
    if (places.size() == 20) pageAnswer_ = -1;  // leave at the next page
    return o;
  });
  InGame([&] {
    gGameMode = kModeDerby;
    gSettings.opponentCount = 5;
    gMenuScreen = kScreenCircuit;
    gMenuState->slotIndex = 0;
    std::strcpy(gMenuState->typedText, "Ada");
    EXPECT_EQ(CircuitNameCommit(gView), 0);
    EXPECT_EQ(gGameMode, kModeDerby);
    EXPECT_EQ(gSettings.opponentCount, 5);
    EXPECT_EQ(gMenuScreen, kScreenCircuit);
    const CircuitRecord left = Saved(kCircuitFileName, CircuitRead);
    EXPECT_STREQ(left.slotName[0], "Ada");
    EXPECT_EQ(left.slotLevel[0] * 5 + left.slotCourse[0], 20);

    pageAnswer_ = 1;  // resumed
    EXPECT_EQ(CircuitRun(gView), 0);
    PlatFrame frame;  // the circuit-won picture is the last one drawn
    ASSERT_TRUE(harness_.Captured(&frame));
    EXPECT_LT(std::count(frame.pixels.begin(), frame.pixels.end(), 0), 640 * 480 / 2);
  });

  ASSERT_EQ(places.size(), 50u);
  ASSERT_EQ(seen_.size(), 52u);
  for (const RaceSeen& race : seen_)
    EXPECT_TRUE(race.mode == kModeRally && race.opponents == 3 && race.raceActive == 1 && !race.menusLoaded);
  EXPECT_EQ(seen_[4].course, seen_[3].course);  // the quit and the unfinished race are run again
  EXPECT_EQ(seen_[9].course, seen_[8].course);
  const CircuitRecord done = Saved(kCircuitFileName, CircuitRead);
  int32_t points = 0, sum = 0;
  for (int32_t p : places) {
    points += p == 0 ? 5 : p == 1 ? 4 : p == 2 ? 3 : 1;
    sum += p;
  }
  EXPECT_EQ(done.slotLevel[0], 10);
  EXPECT_EQ(done.slotPoints[0], points);
  EXPECT_EQ(done.slotMeanPlace[0], sum / 50);
  EXPECT_EQ(done.slotPlace[0][3][2], places[17]);
  EXPECT_EQ(done.slotTime[0][9][4], 1000 + 52);
  const ScoresRecord table = Saved(kScoresFileName, ScoresRead);
  EXPECT_EQ(table.circuitPoints[0], points);
}

TEST_F(LaunchTest, TheCircuitWonScreenShowsItsTilesAndTheWinnersVoiceAndLetsAllGoAlsoWithoutAMaterialOrAPicture) {
  struct Shown {
    int32_t result;
    int presents;
    std::vector<std::string> voice;  // the voice's events
    Held after;
  };
  const auto show = [] {
    const int presents = plat_TestPresentCount();
    const size_t logged = GameHarness::SoundLog().size();
    Shown s{CircuitWinScreenShow(gView), plat_TestPresentCount() - presents, {}, NowHeld()};
    const auto& log = GameHarness::SoundLog();
    for (size_t i = logged; i < log.size(); ++i) s.voice.push_back(log[i].label.substr(12) + " " + log[i].event);
    return s;
  };
  Held before, during;  // during: at the first pump with the pictures up; the typed key ends the wait
  harness_.SeedSettings(kRendererSoftware);
  harness_.EachPump([&] {
    const Held now = NowHeld();
    if (now.tiles.empty()) return;
    if (during.tiles.empty()) during = now;
    GameHarness::TypeText("a");
  });
  std::vector<Shown> shown;
  harness_.AtFrame(1, [&] {
    before = NowHeld();
    shown.push_back(show());
    // Without a free material slot nothing is drawn; the rest is let go as after a picture.
    const ColourFloat white{1, 1, 1, 1};
    std::vector<int32_t> fillers;
    for (int32_t h; (h = wre_MaterialFindFree()) >= 0; fillers.push_back(h))
      wre_MaterialDefine(h, &white, &white, "filler");
    wre_KeyRingPut('A');
    shown.push_back(show());
    for (int32_t h : fillers) wre_MaterialRelease(h);
    shown.back().after.materials -= static_cast<int>(fillers.size());
    // A missing picture: its error, before any voice, with the pictures loaded before it let go.
    std::filesystem::remove(harness_.Root() / "data" / "circuit" / "circuit_win_br.bmp");
    shown.push_back(show());
    GameHarness::RequestQuit();
  });
  ASSERT_EQ(harness_.Run(), 0);
  ASSERT_EQ(shown.size(), 3u);
  using Names = std::vector<std::string>;
  EXPECT_EQ(during.tiles, (Names{"circuit_win_bl.bmp", "circuit_win_bm.bmp", "circuit_win_br.bmp", "circuit_win_tl.bmp",
                                 "circuit_win_tm.bmp", "circuit_win_tr.bmp"}));
  EXPECT_EQ(during.materials, before.materials + 1);
  EXPECT_EQ(during.voices, before.voices + 1);
  EXPECT_EQ(during.folder, "data/circuit/");
  EXPECT_EQ(shown[0].presents, 2);  // the clear, then the picture
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(shown[i].result, 0);
    EXPECT_EQ(shown[i].voice, (Names{"first_place.WAV play", "first_place.WAV stop"}));
  }
  EXPECT_EQ(shown[1].presents, 0);
  EXPECT_EQ(shown[2].result, kFileErrOpenRead);
  EXPECT_EQ(shown[2].presents, 0);
  EXPECT_TRUE(shown[2].voice.empty());
  for (const Shown& s : shown) EXPECT_EQ(s.after, before);
}

TEST_F(LaunchTest, TheMeanPlaceCountsTheRacesRunSoFarInRunningOrder) {
  InGame([&] {
    CircuitRecord& c = *gCircuit;
    std::strcpy(c.slotName[0], "Cy");
    std::fill(&c.slotPlace[0][0][0], &c.slotPlace[0][0][0] + 5, 4);
    c.slotPlace[0][1][0] = 9;
    c.slotPlace[0][1][2] = 50;  // left from an earlier circuit: not counted
    c.slotLevel[0] = 1;
    c.slotCourse[0] = 1;
    gMenuState->slotIndex = 0;
    Script([&](int) {
      pageAnswer_ = -1;
      return Outcome{true, false, 3};
    });
    EXPECT_EQ(CircuitRun(gView), 0);
    ASSERT_EQ(seen_.size(), 1u);
    EXPECT_EQ(seen_[0].level * 5 + seen_[0].course, 6);
    EXPECT_EQ(c.slotMeanPlace[0], (5 * 4 + 9 + 3) / 7);
    EXPECT_EQ(c.slotPoints[0], 1);  // fourth place
  });
}

TEST_F(LaunchTest, ACompleteSlotStartsOverOnlyWhenConfirmedAndKeepsItsName) {
  Script([](int) { return Outcome{}; });
  pageAnswer_ = -1;
  InGame([&] {
    CircuitRecord& c = *gCircuit;
    std::strcpy(c.slotName[2], "Bo");
    c.slotLevel[2] = 10;
    c.slotPoints[2] = 200;
    c.slotPlace[2][5][3] = 4;
    gMenuState->slotIndex = 2;
    // The prompt flushes what was typed before it: the answers come while it is shown.
    harness_.AtFrame(harness_.Frames() + 3, [] { GameHarness::TypeText("n"); });
    EXPECT_EQ(CircuitRun(gView), 0);
    EXPECT_EQ(c.slotPoints[2], 200);
    harness_.AtFrame(harness_.Frames() + 3, [] { GameHarness::TypeText("Y"); });
    EXPECT_EQ(CircuitRun(gView), 0);
    EXPECT_STREQ(c.slotName[2], "Bo");
    EXPECT_EQ(c.slotLevel[2] + c.slotPoints[2] + c.slotPlace[2][5][3], 0);
    gMenuState->slotIndex = 4;  // an empty slot, and an empty typed name, start nothing
    EXPECT_EQ(CircuitRun(gView), 0);
    gMenuState->typedText[0] = '\0';
    EXPECT_EQ(CircuitNameCommit(gView), 0);

    uint8_t cancel = 0;  // the page wait ends as a cancel on the program's quit request
    EXPECT_EQ(FrontEndPageWait(nullptr, gView), kWreErrNull);
    pageAnswer_ = 0;
    harness_.AtFrame(harness_.Frames() + 5, [] { GameHarness::RequestQuit(); });
    EXPECT_EQ(FrontEndPageWait(&cancel, gView), 0);
    EXPECT_EQ(cancel, 1);
  });
  EXPECT_TRUE(seen_.empty());
}

TEST_F(LaunchTest, ASingleRaceReturnsToTheHighScoresOnlyWhenItEnteredOne) {
  for (bool entered : {true, false}) {
    GameHarness harness;
    RaceLaunchSetRunner([&](ViewComponents*) {
      EXPECT_EQ(gLevel, 6);
      EXPECT_EQ(gHighScoreEntered, 0);
      EXPECT_EQ(gRaceActive, 1);
      gRaceFinished = 1;
      gHighScoreEntered = entered;
      return 7;
    });
    harness.SeedSettings(kRendererSoftware);
    harness.AtFrame(1, [&] {
      gGameMode = kModeTreasureRoam;
      gMenuScreen = kScreenNewGame;
      gMenuState->selectedLevel = 6;
      gHighScoreEntered = 1;
      EXPECT_EQ(RaceLaunchFromMenu(), 7);
      EXPECT_EQ(gMenuScreen, entered ? kScreenHighScores : kScreenNewGame);
      EXPECT_EQ(gMenuState->slotIndex, entered ? kModeTreasureRoam : 0);
      EXPECT_EQ(gMenuLoaded + gRaceActive, 1);
      GameHarness::RequestQuit();
    });
    ASSERT_EQ(harness.Run(), 0);
  }
}

}  // namespace
