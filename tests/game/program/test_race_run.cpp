// Whole races run headless through the harness as the front end starts them: set-up, countdown,
// race loop, end rules, teardown and the result screen, with what the player sees and hears.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/files.h"
#include "engine/core/input.h"
#include "engine/core/timer.h"
#include "engine/core/world.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "game/menus/menu_shell.h"
#include "game/race/race_hud.h"
#include "game/race/race_screens.h"
#include "game/state/game_view.h"
#include "game/world/game_object.h"
#include "game/world/watercraft.h"
#include "game/state/menu_state.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/scores.h"
#include "game/state/settings.h"
#include "platform/test/plat_cdaudio.h"
#include "platform/test/plat_display.h"
#include "platform/test/plat_input.h"
#include "support/temp_dir.h"
#include "tests/game/harness/game_harness.h"

namespace {

constexpr int32_t kTicksPerFrame = 2;
constexpr int32_t kLongRaceTicksPerFrame = 12;  // a divisor of every race interval, and at most 24

// What the engine holds: materials, textures, world objects and lights.
struct Holdings {
  int materials = 0, textures = 0;
  bool objects = false, lights = false;
  bool operator==(const Holdings&) const = default;
};

Holdings Held() {
  Holdings h;
  for (int i = 0; i < gMaterialCount; ++i) h.materials += gMaterialTable[i].inUse != 0;
  for (int i = 0; i < gTextureCount; ++i) h.textures += (gTextureTable[i].flags & kTextureInUse) != 0;
  h.objects = gView->world->objects != nullptr;
  h.lights = gView->world->lights != nullptr;
  return h;
}

std::vector<std::string> Played(const std::string& fragment) {
  std::vector<std::string> labels;
  for (const auto& entry : GameHarness::SoundLog()) {
    if (entry.event == "play" && entry.label.find(fragment) != std::string::npos) labels.push_back(entry.label);
  }
  return labels;
}

// The countdown's voices in the order they were played.
std::vector<std::string> CountdownVoices() {
  std::vector<std::string> voices;
  for (const auto& entry : GameHarness::SoundLog()) {
    if (entry.event != "play") continue;
    for (const char* name : {"countdwn", "countgo", "cheer"})
      if (entry.label.find(name) != std::string::npos) voices.push_back(name);
  }
  return voices;
}

struct RaceWatch {
  uint32_t endTick = 0, endStart = 0;  // the tick of the first frame after the end, and the clock's origin
  int frames = 0;
};

class RaceRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    harness_.SeedSettings(kRendererSoftware);
    harness_.TicksPerFrame(kTicksPerFrame);
    plat_TestCdReset();
  }
  // Selects the race; the baseline is taken just before it starts.
  std::function<void()> Select(int32_t mode, int32_t course, int32_t opponents) {
    return [=, this] {
      gGameMode = mode;
      gLevel = 0;
      gCourse = course;
      gSettings.opponentCount = opponents;
      gPlayerPlace = 0;
      before_ = Held();
    };
  }
  void Watch(int quitAfterFrames = 0) {
    harness_.EachFrame([this, quitAfterFrames](int) {
      if (!RaceActiveGet()) return;
      ++watch_.frames;
      if ((gRaceOver || gQuitRequested) && watch_.endTick == 0) {
        watch_.endTick = gEngineTick;
        watch_.endStart = gRaceStartTick;
      }
      if (quitAfterFrames && watch_.frames == quitAfterFrames) gQuitRequested = 1;
    });
  }

  GameHarness harness_;
  Holdings before_;
  RaceWatch watch_;
};

TEST_F(RaceRunTest, ADerbyWarmUpCountsDownRunsTheTimeLimitAndLeavesNothingBehind) {
  harness_.TicksPerFrame(kLongRaceTicksPerFrame);
  Watch();
  Holdings after;
  const int result = harness_.RunRace(Select(kModeDerby, 10, 0), [&] { after = Held(); });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(gRaceOver && gRaceFinished);
  EXPECT_FALSE(gHighScoreEntered);
  // Ended by the limit 10800 ticks after the go, noticed at the next check.
  const uint32_t elapsed = watch_.endTick - watch_.endStart;
  EXPECT_GE(elapsed, 10801u);
  EXPECT_LE(elapsed, 10860u);
  EXPECT_EQ(after, before_);
  EXPECT_EQ(CountdownVoices(), (std::vector<std::string>{"countdwn", "cheer", "countdwn", "countdwn", "countgo"}));
  // The level's CD track plays for the race and stops with it; no result voice without opponents.
  EXPECT_EQ(plat_TestCdLog()->plays, 1);
  EXPECT_GE(plat_TestCdLog()->stops, 1);
  EXPECT_TRUE(Played("nice_try").empty());
  EXPECT_TRUE(Played("first_place").empty());
}

TEST_F(RaceRunTest, AQuitRaceTearsDownWithoutAResultInEveryMode) {
  for (int32_t mode : {kModeRally, kModeTreasureLinear, kModeTreasureRoam, kModeDerby}) {
    SCOPED_TRACE(mode);
    GameHarness harness;
    harness.SeedSettings(kRendererSoftware);
    harness.TicksPerFrame(kTicksPerFrame);
    Holdings before, after;
    int frames = 0;
    harness.EachFrame([&](int) {
      if (RaceActiveGet() && ++frames == 10) gQuitRequested = 1;
    });
    const int result = harness.RunRace(
        [&] {
          gGameMode = mode;
          gLevel = 0;
          gCourse = mode * 5;
          gSettings.opponentCount = 5;
          before = Held();
        },
        [&] { after = Held(); });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(gRaceFinished);
    EXPECT_FALSE(gHighScoreEntered);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(Played("nice_try").empty());
    EXPECT_TRUE(Played("first_place").empty());
  }
}

TEST_F(RaceRunTest, ClosingTheWindowEndsTheRaceAsAQuit) {
  int frames = 0;
  harness_.EachFrame([&](int) {
    if (RaceActiveGet() && ++frames == 10) GameHarness::RequestQuit();
  });
  const int result = harness_.RunRace(Select(kModeDerby, 10, 0));
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(gQuitRequested);
  EXPECT_FALSE(gRaceFinished);
  EXPECT_LT(frames, 200);  // ended within a few of the race's message pumps, not at the time limit
}

TEST_F(RaceRunTest, KeysQueuedAtTheQuitDoNotActInTheMenusAfterTheRace) {
  constexpr int kSteerKeys[] = {kPlatVkDown, kPlatVkUp, kPlatVkRight, kPlatVkLeft};
  int raceFrames = 0, menuFrames = 0, changed = 0;
  int32_t screen = -1, level = -1;
  harness_.EachFrame([&](int) {
    if (!RaceActiveGet()) {
      // The menus after the race: their page and level stay as the race left them.
      if (screen < 0 || !gMenuState) return;
      ++menuFrames;
      changed += gMenuScreen != screen || gMenuState->selectedLevel != level;
      return;
    }
    if (++raceFrames != 10) return;
    // Steering held down to the quit: its repeats wait beyond what one flush of ten pumps takes,
    // and the keys are let go as the race ends.
    for (int repeat = 0; repeat < 10; ++repeat)
      for (int vk : kSteerKeys) plat_TestKeyEvent(vk, true);
    for (int vk : kSteerKeys) plat_TestKeyEvent(vk, false);
    gQuitRequested = 1;
    gMenuScreen = kScreenNewGame;  // the page the race was started from
  });
  harness_.MenuFramesAfterRaces(60);  // a second of menu frames
  harness_.RunRace(Select(kModeRally, 0, 0), [&] {
    screen = gMenuScreen;
    level = gMenuState->selectedLevel;
  });
  EXPECT_GE(menuFrames, 50);
  EXPECT_EQ(changed, 0);
}

TEST_F(RaceRunTest, ADemoRaceRunsItsClockFromSetUpWithoutACountdown) {
  uint32_t firstStart = 0, lastStart = 0;
  int frames = 0;
  bool countdownSeen = false;
  harness_.EachFrame([&](int) {
    if (!RaceActiveGet()) return;
    ++frames;
    countdownSeen = countdownSeen || gCountdownActive;
    if (frames == 5) firstStart = gRaceStartTick;
    if (frames == 150) {  // past where a countdown would have ended
      lastStart = gRaceStartTick;
      gQuitRequested = 1;
    }
  });
  const int result = harness_.RunRace([&] {
    Select(kModeDerby, 10, 0)();
    gDemoMode = 1;
  });
  gDemoMode = 0;
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(countdownSeen);
  EXPECT_EQ(lastStart, firstStart);
  EXPECT_TRUE(CountdownVoices().empty());
}

TEST_F(RaceRunTest, AFinishedRaceWithOpponentsHoldsTheResultScreenUntilTheFirstKeyAfterASecond) {
  uint32_t shownTick = 0, keyTick = 0, endTick = 0;
  Holdings after;
  int frames = 0;
  const auto resultVoices = [] { return Played("first_place").size() + Played("nice_try").size(); };
  harness_.EachFrame([&](int) {
    if (!RaceActiveGet()) return;
    if (++frames == 100) gRaceOver = gRaceFinished = 1;  // as an end rule would
    if (shownTick == 0 && resultVoices() != 0) shownTick = gEngineTick;
  });
  harness_.EachPump([&] {
    if (shownTick != 0 && keyTick == 0 && gEngineTick >= shownTick + 30) {
      keyTick = gEngineTick;
      GameHarness::TypeText("a");
    }
  });
  const int result = harness_.RunRace(Select(kModeTreasureLinear, 5, 5), [&] {
    endTick = gEngineTick;
    after = Held();
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(gRaceFinished);
  EXPECT_EQ(after, before_);  // the result screen's pictures went with the rest
  ASSERT_NE(keyTick, 0u);
  // The key typed within the first 60 ticks is taken only once they have passed.
  EXPECT_GT(endTick, shownTick + 60);
  EXPECT_LT(endTick, shownTick + 120);
  EXPECT_EQ(resultVoices(), 1u);
  EXPECT_EQ(Played(gPlayerPlace == 0 ? "first_place" : "nice_try").size(), 1u);
}

TEST_F(RaceRunTest, KeysHeldThroughARaceAndLetGoBeforeItsEndDoNotAnswerTheResultScreen) {
  // Up held from the start, repeating far more often than the race reads its messages, more
  // repeats than the flushes before the result screen take; let go a while before the end.
  constexpr int kRepeatsPerFrame = 25, kReleaseFrame = 100, kEndFrame = 120;
  // The screen's voice starts as it is shown and stops as it ends; counted in message pumps.
  int pumps = 0, shown = 0, key = 0, ended = 0;
  uint32_t shownTick = 0;
  size_t logScanned = 0;
  int frames = 0;
  const auto resultVoice = [](const PlatSoundLogEntry& e, const char* event) {
    return e.event == event && (e.label.find("first_place") != std::string::npos ||
                                e.label.find("nice_try") != std::string::npos);
  };
  harness_.EachFrame([&](int) {
    if (!RaceActiveGet()) return;
    if (++frames < kReleaseFrame) {
      for (int i = 0; i < kRepeatsPerFrame; ++i) plat_TestKeyEvent(kPlatVkUp, true);
    } else if (frames == kReleaseFrame) {
      plat_TestKeyEvent(kPlatVkUp, false);
    } else if (frames == kEndFrame) {
      gRaceOver = gRaceFinished = 1;  // as the derby's clock would
    }
  });
  harness_.EachPump([&] {
    ++pumps;
    const auto& log = GameHarness::SoundLog();
    for (; logScanned < log.size(); ++logScanned) {
      if (!shown && resultVoice(log[logScanned], "play")) {
        shown = pumps;
        shownTick = gEngineTick;
      }
      if (shown && !ended && resultVoice(log[logScanned], "stop")) ended = pumps;
    }
    // A new key, twenty seconds of the screen's wait after it was shown: long past its 60 ticks,
    // and past where the stale keys would have ended it.
    if (shown && !ended && !key && gEngineTick >= shownTick + 1200) {
      key = pumps;
      GameHarness::TypeText("a");
    }
  });
  harness_.RunRace(Select(kModeDerby, 10, 1));
  EXPECT_TRUE(gRaceFinished);
  ASSERT_NE(shown, 0);
  ASSERT_NE(ended, 0);
  // The screen waited for the new key and ended with it.
  ASSERT_NE(key, 0) << "ended by itself " << ended - shown << " pumps after it was shown";
  EXPECT_GT(ended, key);
  EXPECT_LT(ended, key + 20);
}

// The loading screen: one picture of its six tiles over the whole screen, no wait, the typed keys
// gone, its textures let go and the folder as it was; a missing tile draws nothing.
TEST_F(RaceRunTest, TheLoadingScreenDrawsOnceWithoutWaitingAndKeepsNothing) {
  struct Shown {
    int32_t result;
    int presents;
    uint32_t ticks;
    bool folderKept, keysGone, nothingLoaded;
    PlatFrame frame;
  };
  std::vector<Shown> shown;
  const auto show = [&] {
    const std::string folder = gCurrentFolder;
    GameHarness::TypeText("k");
    wre_MessagePump();  // the key waits in the typed-key ring
    const int before = plat_TestPresentCount();
    const uint32_t start = wre_TimerTick();
    Shown s{LoadingScreenShow(gView), plat_TestPresentCount() - before, wre_TimerTick() - start, false, false,
            true, {}};
    s.folderKept = folder == gCurrentFolder;
    s.keysGone = wre_KeyBufferGet(0) == 0;
    for (int i = 0; i < gTextureCount; ++i) s.nothingLoaded = s.nothingLoaded && !(gTextureTable[i].flags & kTextureInUse);
    plat_TestLastPresented(&s.frame);
    shown.push_back(s);
  };
  harness_.AtFrame(1, [&] {
    MenuResourcesUnload();
    show();
    std::filesystem::remove(harness_.Root() / "data" / "loading" / "load_bm.bmp");
    show();
    MenuResourcesLoad();
    GameHarness::RequestQuit();
  });
  harness_.Run();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].result, 0);
  EXPECT_EQ(shown[0].presents, 2);  // the clear, then the picture
  EXPECT_LT(shown[0].ticks, 60u);
  // Every tile shows: the middle of each, the right column's and the bottom row's within the screen.
  for (const auto& [x, y] : {std::pair{128, 128}, {384, 128}, {576, 128}, {128, 400}, {384, 400}, {576, 400}})
    EXPECT_NE(shown[0].frame.pixels[static_cast<size_t>(y) * 640 + x], 0) << x << "," << y;
  EXPECT_NE(shown[1].result, 0);
  EXPECT_EQ(shown[1].presents, 0);
  for (const Shown& s : shown) {
    EXPECT_TRUE(s.folderKept);
    EXPECT_TRUE(s.keysGone || s.result != 0);
    EXPECT_TRUE(s.nothingLoaded);
  }
}

TEST_F(RaceRunTest, ANewHighScoreFromASingleRaceIsOnDiskAsSoonAsTheRaceEnds) {
  int frames = 0;
  harness_.EachFrame([&](int) {
    // Ended as a derby ends, by its clock (a rally ends only once the player has finished), with
    // the player holding a score, as a table entry needs.
    if (RaceActiveGet() && ++frames == 100) {
      gView->player->craft->score = 3;
      gRaceOver = gRaceFinished = 1;
    }
  });
  harness_.EachPump([&] {
    if (frames >= 100 && gEngineTick % 40 == 0) GameHarness::TypeText("a");
  });
  ScoresRecord onDisk{};
  bool read = false;
  const int result = harness_.RunRace(Select(kModeDerby, 10, 1), [&] {
    const std::string image = TempDir::Read(harness_.SaveFile(kScoresFileName));
    read = ScoresRead(&onDisk, reinterpret_cast<const uint8_t*>(image.data()), image.size());
  });
  EXPECT_EQ(result, 0);
  ASSERT_TRUE(read);
  // The fresh tables' first entry is the race's, on disk long before the program ends.
  EXPECT_STREQ(onDisk.derbyName[0], gSettings.playerName);
  EXPECT_EQ(onDisk.derbyLevel[0], gLevel);
  EXPECT_EQ(onDisk.derbyScore[0], 3);
}

TEST_F(RaceRunTest, TheResultScreenChoosesItsPicturesAndVoiceByPlaceAndDrawsNothingWhenOneIsMissing) {
  struct Shown {
    int32_t result;
    int presents;
    std::vector<std::string> loaded;
    std::vector<std::string> voice;  // the voice's events
  };
  std::vector<Shown> shown;
  const auto show = [&](int32_t place) {
    const int before = plat_TestPresentCount();
    const size_t logged = GameHarness::SoundLog().size();
    Shown s{WinLoseScreenShow(gView, place, 0), plat_TestPresentCount() - before, {}, {}};
    for (int i = 0; i < gTextureCount; ++i)
      if (gTextureTable[i].flags & kTextureInUse) s.loaded.push_back(gTextureTable[i].file);
    const auto& log = GameHarness::SoundLog();
    for (size_t i = logged; i < log.size(); ++i) s.voice.push_back(log[i].label.substr(12) + " " + log[i].event);
    wre_TextureReleaseAll();
    shown.push_back(s);
  };
  harness_.EachPump([] { GameHarness::TypeText("a"); });
  harness_.AtFrame(1, [&] {
    MenuResourcesUnload();
    for (int32_t place : {0, 2, 3}) show(place);
    std::filesystem::remove(harness_.Root() / "data" / "winlose" / "win_tr.bmp");
    show(1);
    MenuResourcesLoad();
    GameHarness::RequestQuit();
  });
  harness_.Run();
  ASSERT_EQ(shown.size(), 4u);
  const auto has = [](const Shown& s, const char* file) {
    return std::find(s.loaded.begin(), s.loaded.end(), file) != s.loaded.end();
  };
  EXPECT_TRUE(has(shown[0], "win_1st_tl.bmp") && has(shown[0], "win_br.bmp"));
  EXPECT_TRUE(has(shown[1], "win_3rd_tl.bmp"));
  EXPECT_TRUE(has(shown[2], "lose_tl.bmp") && has(shown[2], "lose_br.bmp"));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(shown[i].result, 0);
    EXPECT_EQ(shown[i].presents, 2);  // the clear, then the picture
    EXPECT_EQ(shown[i].loaded.size(), 6u);
  }
  // A missing picture: its error, nothing drawn, nothing left loaded, the voice stopped again.
  EXPECT_NE(shown[3].result, 0);
  EXPECT_EQ(shown[3].presents, 0);
  EXPECT_TRUE(shown[3].loaded.empty());
  using Events = std::vector<std::string>;
  EXPECT_EQ(shown[0].voice, (Events{"first_place.WAV play", "first_place.WAV stop"}));
  EXPECT_EQ(shown[1].voice, (Events{"nice_try.WAV play", "nice_try.WAV stop"}));
  EXPECT_EQ(shown[3].voice, (Events{"nice_try.WAV play", "nice_try.WAV stop"}));
}

}  // namespace
