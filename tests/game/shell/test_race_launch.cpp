// Races started from the front end, run headless with a scripted race in place of the race driver:
// the circuit's scoring, saving, leaving and resuming, the circuit-won screen, the confirmation of a
// restart, the page wait and the single race's return to the menus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/wre_types.h"
#include "game/shell/circuit_file.h"
#include "game/shell/game_view.h"
#include "game/shell/menu_standins.h"
#include "game/shell/menu_state.h"
#include "game/shell/prefs.h"
#include "game/shell/race_state.h"
#include "game/shell/scores.h"
#include "game/shell/settings.h"
#include "game/shell/test/race_launch.h"
#include "tests/game/harness/game_harness.h"

namespace {

struct RaceSeen {
  int32_t level, course, mode, opponents, raceActive;
  bool menusLoaded;
};

struct Outcome {
  bool finished = true;
  bool quit = false;
  int32_t place = 0;
};

// A headless run whose first menu frame runs `body`; the program then quits.
class LaunchTest : public ::testing::Test {
 protected:
  void TearDown() override { RaceLaunchSetRunner(nullptr); }

  void InGame(const std::function<void()>& body) {
    harness_.SeedSettings(kRendererSoftware);
    harness_.EachPump([this] {
      if (gMenuState) gMenuState->pageResult = pageAnswer_;
      if (answerWinScreen_ && gCircuit && gCircuit->slotLevel[0] > 9) GameHarness::TypeText("q");
    });
    harness_.AtFrame(1, [&] {
      body();
      GameHarness::RequestQuit();
    });
    ASSERT_EQ(harness_.Run(), 0);
  }

  // Each race takes the next outcome and notes what it was started with.
  void Script(std::function<Outcome(int race)> outcome) {
    RaceLaunchSetRunner([this, outcome](ViewComponents*) {
      seen_.push_back({gLevel, gCourse, gGameMode, gSettings.opponentCount, gRaceActive, gMenuLoaded != 0});
      const Outcome o = outcome(static_cast<int>(seen_.size()) - 1);
      gRaceFinished = o.finished;
      gQuitRequested = o.quit;
      gPlayerPlace = o.place;
      gPlayerTime = 1000 + static_cast<int32_t>(seen_.size());
      gPlayerScore = 0;
      return 0;
    });
  }

  CircuitRecord SavedCircuit() const {
    const std::string image = TempDir::Read(harness_.SaveFile(kCircuitFileName));
    CircuitRecord record{};
    EXPECT_TRUE(CircuitRead(&record, reinterpret_cast<const uint8_t*>(image.data()), image.size()));
    return record;
  }

  // The opponent count in the settings file: the first saved word after the version and the
  // twelve words ahead of the saved block, big-endian.
  int32_t SavedOpponentCount() const {
    const std::string image = TempDir::Read(harness_.SaveFile(kPrefsFileName));
    const auto* b = reinterpret_cast<const uint8_t*>(image.data()) + 52;
    return static_cast<int32_t>(uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3]);
  }

  GameHarness harness_;
  std::vector<RaceSeen> seen_;
  int32_t pageAnswer_ = 1;
  bool answerWinScreen_ = true;
};

// Race r of the script: the fourth race is quit and the ninth does not finish; the others finish
// in a rotating place that runs below third.
Outcome CircuitOutcome(int race) {
  if (race == 3) return {true, true, 0};
  if (race == 8) return {false, false, 0};
  return {true, false, race % 7};
}

TEST_F(LaunchTest, AFiftyRaceCircuitIsScoredSavedLeftResumedAndWon) {
  std::vector<int32_t> places;  // of the counted races, in running order
  Script([&](int race) {
    if (race == 10) EXPECT_EQ(SavedOpponentCount(), 5);  // written after every counted race
    const Outcome o = CircuitOutcome(race);
    if (o.finished && !o.quit) places.push_back(o.place);
    if (places.size() == 20) pageAnswer_ = -1;  // leave at the page after the twentieth counted race
    return o;
  });
  InGame([&] {
    gGameMode = kModeDerby;
    gSettings.opponentCount = 5;
    gMenuScreen = kScreenCircuit;
    gMenuState->slotIndex = 0;
    std::strcpy(gMenuState->typedText, "Ada");
    EXPECT_EQ(CircuitNameCommit(gView), 0);

    // Left after twenty counted races: the slot continues at level 4, course 0, from its file.
    EXPECT_EQ(gGameMode, kModeDerby);
    EXPECT_EQ(gSettings.opponentCount, 5);
    EXPECT_EQ(gMenuScreen, kScreenCircuit);
    const CircuitRecord left = SavedCircuit();
    EXPECT_STREQ(left.slotName[0], "Ada");
    EXPECT_EQ(left.slotLevel[0], 4);
    EXPECT_EQ(left.slotCourse[0], 0);
    EXPECT_EQ(left.slotPoints[0], gCircuit->slotPoints[0]);

    pageAnswer_ = 1;
    gMenuScreen = kScreenCircuit;
    EXPECT_EQ(CircuitRun(gView), 0);
    PlatFrame frame;  // the circuit-won picture was the last one drawn
    ASSERT_TRUE(harness_.Captured(&frame));
    EXPECT_GT(std::count_if(frame.pixels.begin(), frame.pixels.end(), [](uint16_t p) { return p != 0; }),
              640 * 480 / 2);
  });

  ASSERT_EQ(places.size(), 50u);
  ASSERT_EQ(seen_.size(), 52u);
  for (const RaceSeen& race : seen_) {
    EXPECT_EQ(race.mode, kModeRally);
    EXPECT_EQ(race.opponents, 3);
    EXPECT_EQ(race.raceActive, 1);
    EXPECT_FALSE(race.menusLoaded);
  }
  // The quit race and the unfinished one are offered again on the same course.
  EXPECT_EQ(seen_[4].course, seen_[3].course);
  EXPECT_EQ(seen_[9].course, seen_[8].course);
  EXPECT_EQ(seen_.back().level, 9);
  EXPECT_EQ(seen_.back().course, 4);

  const CircuitRecord done = SavedCircuit();
  int32_t points = 0, sum = 0;
  for (int32_t p : places) {
    points += p == 0 ? 5 : p == 1 ? 4 : p == 2 ? 3 : 1;
    sum += p;
  }
  EXPECT_EQ(done.slotLevel[0], 10);
  EXPECT_EQ(done.slotCourse[0], 0);
  EXPECT_EQ(done.slotPoints[0], points);
  EXPECT_EQ(done.slotMeanPlace[0], sum / 50);
  EXPECT_EQ(done.slotPlace[0][3][2], places[17]);
  EXPECT_EQ(done.slotTime[0][9][4], 1000 + 52);

  // The circuit table took the points; the settings kept the player's own opponent count.
  const std::string scores = TempDir::Read(harness_.SaveFile(kScoresFileName));
  ScoresRecord table{};
  ASSERT_TRUE(ScoresRead(&table, reinterpret_cast<const uint8_t*>(scores.data()), scores.size()));
  EXPECT_STREQ(table.circuitName[0], gSettings.playerName);
  EXPECT_EQ(table.circuitPoints[0], points);
}

TEST_F(LaunchTest, AMeanPlaceCountsTheRacesRunSoFarInOrder) {
  // Resumed at level 1, course 1 with places 4 (level 0) and 9 (level 1, course 0) before it.
  Script([](int) { return Outcome{true, false, 2}; });
  pageAnswer_ = 1;
  InGame([&] {
    CircuitRecord& c = *gCircuit;
    std::strcpy(c.slotName[0], "Cy");
    for (int32_t course = 0; course < 5; ++course) c.slotPlace[0][0][course] = 4;
    c.slotPlace[0][1][0] = 9;
    c.slotPlace[0][1][2] = 50;  // a later race of an earlier circuit: not counted
    c.slotLevel[0] = 1;
    c.slotCourse[0] = 1;
    c.slotPoints[0] = 7;
    gMenuState->slotIndex = 0;
    answerWinScreen_ = false;
    // One race, then leave.
    RaceLaunchSetRunner([&](ViewComponents*) {
      seen_.push_back({gLevel, gCourse, gGameMode, gSettings.opponentCount, gRaceActive, gMenuLoaded != 0});
      gRaceFinished = 1;
      gQuitRequested = 0;
      gPlayerPlace = 3;
      pageAnswer_ = -1;
      return 0;
    });
    EXPECT_EQ(CircuitRun(gView), 0);
    ASSERT_EQ(seen_.size(), 1u);
    EXPECT_EQ(seen_[0].level, 1);
    EXPECT_EQ(seen_[0].course, 1);
    EXPECT_EQ(c.slotMeanPlace[0], (5 * 4 + 9 + 3) / 7);
    EXPECT_EQ(c.slotPoints[0], 7 + 1);  // fourth place
    EXPECT_EQ(c.slotCourse[0], 2);
  });
}

TEST_F(LaunchTest, ACompleteSlotStartsOverOnlyWhenConfirmedAndKeepsItsName) {
  Script([](int) { return Outcome{}; });
  pageAnswer_ = -1;
  answerWinScreen_ = false;
  InGame([&] {
    CircuitRecord& c = *gCircuit;
    std::strcpy(c.slotName[2], "Bo");
    c.slotLevel[2] = 10;
    c.slotPoints[2] = 200;
    c.slotPlace[2][5][3] = 4;
    gMenuState->slotIndex = 2;
    gMenuScreen = kScreenCircuit;

    GameHarness::TypeText("n");
    EXPECT_EQ(CircuitRun(gView), 0);
    EXPECT_EQ(c.slotLevel[2], 10);
    EXPECT_EQ(c.slotPoints[2], 200);

    GameHarness::TypeText("Y");
    EXPECT_EQ(CircuitRun(gView), 0);
    EXPECT_STREQ(c.slotName[2], "Bo");
    EXPECT_EQ(c.slotLevel[2], 0);
    EXPECT_EQ(c.slotPoints[2], 0);
    EXPECT_EQ(c.slotPlace[2][5][3], 0);
    EXPECT_EQ(gMenuScreen, kScreenCircuit);

    // An empty slot, and an empty typed name, start nothing.
    gMenuState->slotIndex = 4;
    EXPECT_EQ(CircuitRun(gView), 0);
    gMenuState->typedText[0] = '\0';
    EXPECT_EQ(CircuitNameCommit(gView), 0);
  });
  EXPECT_TRUE(seen_.empty());
}

TEST_F(LaunchTest, ThePageWaitEndsAsACancelWhenTheProgramIsAskedToQuit) {
  pageAnswer_ = 0;
  InGame([&] {
    uint8_t cancel = 0;
    EXPECT_EQ(FrontEndPageWait(nullptr, gView), kWreErrNull);
    EXPECT_EQ(FrontEndPageWait(&cancel, nullptr), kWreErrNull);
    harness_.AtFrame(harness_.Frames() + 5, [] { GameHarness::RequestQuit(); });
    EXPECT_EQ(FrontEndPageWait(&cancel, gView), 0);
    EXPECT_EQ(cancel, 1);
  });
}

TEST_F(LaunchTest, ASingleRaceReturnsToTheHighScoresOnlyWhenItEnteredOne) {
  for (bool entered : {true, false}) {
    GameHarness harness;
    std::vector<RaceSeen> seen;
    RaceLaunchSetRunner([&](ViewComponents*) {
      seen.push_back({gLevel, gCourse, gGameMode, gSettings.opponentCount, gRaceActive, gMenuLoaded != 0});
      EXPECT_EQ(gHighScoreEntered, 0);
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
      if (entered) {
        EXPECT_EQ(gMenuState->slotIndex, kModeTreasureRoam);
      }
      EXPECT_EQ(gMenuLoaded, 1);
      EXPECT_EQ(gRaceActive, 0);
      GameHarness::RequestQuit();
    });
    ASSERT_EQ(harness.Run(), 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].level, 6);
    EXPECT_EQ(seen[0].raceActive, 1);
    EXPECT_FALSE(seen[0].menusLoaded);
  }
}

}  // namespace
