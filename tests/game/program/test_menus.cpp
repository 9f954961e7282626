// The front end run headless through the harness: the screen machine driven by scripted keys and
// clicks, what it loads and plays, and what it keeps across frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "engine/core/light.h"
#include "engine/core/object.h"
#include "engine/core/timer.h"
#include "engine/core/world.h"
#include "engine/core/wre_types.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "game/menus/menu_shell.h"
#include "game/state/circuit_record.h"
#include "game/state/game_view.h"
#include "game/state/menu_state.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/scores.h"
#include "game/state/settings.h"
#include "game/world/game_object.h"
#include "platform/plat_input.h"
#include "tests/game/harness/capture_png.h"
#include "tests/game/harness/game_harness.h"

namespace {

// Enough frames for an input poll and what it starts: a frame takes about two ticks and the menus
// look at the input every sixth tick.
constexpr int kPollFrames = 12;
constexpr const char* kChangeSound = "data/sounds/menu_change.WAV";

// Steps of a script, each kPollFrames after the one before.
class Script {
 public:
  explicit Script(GameHarness& harness) : harness_(harness) {}
  Script& Then(std::function<void()> step) {
    harness_.AtFrame(frame_, std::move(step));
    frame_ += kPollFrames;
    return *this;
  }
  // A click is the button pressed with the pointer on the point and released a step later.
  Script& Click(int x, int y) {
    Then([x, y] {
      gMenuState->cursorX = x;
      gMenuState->cursorY = y;
      GameHarness::MouseButton(true);
    });
    return Then([] { GameHarness::MouseButton(false); });
  }
  // A quick click: pressed and released between two looks at the input.
  Script& QuickClick(int x, int y) {
    return Then([x, y] {
      gMenuState->cursorX = x;
      gMenuState->cursorY = y;
      GameHarness::MouseButton(true);
      GameHarness::MouseButton(false);
    });
  }

 private:
  GameHarness& harness_;
  int frame_ = 5;
};

int SoundPlays(const char* label) {
  const auto& log = GameHarness::SoundLog();
  return static_cast<int>(std::count_if(log.begin(), log.end(), [label](const PlatSoundLogEntry& e) {
    return e.label == label && e.event == "play";
  }));
}

uint16_t PixelAt(const GameHarness& harness, int x, int y) {
  PlatFrame frame;
  if (!harness.Captured(&frame)) return 0;
  return frame.pixels[static_cast<size_t>(y * frame.width + x)];
}

bool LogoCollidable() { return (gMenuState->logoObject->status & kStatusActive) != 0; }

Settings SavedSettings(const GameHarness& harness) {
  const std::string image = TempDir::Read(harness.SaveFile("prefs.qz"));
  PrefsRead(reinterpret_cast<const uint8_t*>(image.data()), image.size());
  return gSettings;
}

TEST(MenuRun, TheDisclaimerGivesWayToTheTabScreensWhichStepByKeysAndLoadWhatTheyShow) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  uint16_t disclaimerGlobe = 0;
  Script(harness)
      .Then([&] {
        EXPECT_EQ(gMenuScreen, kScreenDisclaimer);
        EXPECT_TRUE(gMenuState->entered);
        EXPECT_NE(gMenuState->textFile, nullptr);
        EXPECT_FALSE(LogoCollidable());
        EXPECT_EQ(SoundPlays(kChangeSound), 0);
        disclaimerGlobe = PixelAt(harness, 520, 130);
        GameHarness::PressKey(kPlatVkReturn);
      })
      .Then([&] {
        EXPECT_EQ(gMenuScreen, kScreenNewGame);
        EXPECT_NE(gMenuState->pageObjects[0], nullptr);
        EXPECT_STRNE(gMenuState->courseNames[0], "");  // the selected level's courses
        EXPECT_TRUE(LogoCollidable());
        // The globe turns on the new-game screen only.
        EXPECT_NE(PixelAt(harness, 520, 130), disclaimerGlobe);
        GameHarness::PressKey(kPlatVkUp);
      })
      .Then([] {
        EXPECT_EQ(gMenuScreen, kScreenQuit);
        EXPECT_EQ(gMenuState->pageObjects[0], nullptr);
        GameHarness::PressKey(kPlatVkDown);
      })
      .Then([] {
        EXPECT_EQ(gMenuScreen, kScreenNewGame);
        GameHarness::PressKey(kPlatVkDown);
      })
      .Then([] { GameHarness::PressKey(kPlatVkDown); })
      .Then([] {
        ASSERT_EQ(gMenuScreen, kScreenPlayer);
        ASSERT_NE(gMenuState->previewRacer, nullptr);
        EXPECT_TRUE(gMenuState->previewRacer->flags & kGameObjectShown);
        gSettings.playerModel = 4;
      })
      .Click(316, 351)  // the next model rebuilds the racer
      .Then([] {
        EXPECT_EQ(gSettings.playerModel, 0);
        ASSERT_NE(gMenuState->previewRacer, nullptr);
        EXPECT_TRUE(gMenuState->previewRacer->flags & kGameObjectShown);
        GameHarness::PressKey(kPlatVkDown);
      })
      .Then([] {
        EXPECT_EQ(gMenuScreen, kScreenControls);
        EXPECT_EQ(gMenuState->previewRacer, nullptr);
        GameHarness::RequestQuit();
      });
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_EQ(SoundPlays(kChangeSound), 6);
  // The music plays on the tab screens, so it starts once the disclaimer has gone.
  const auto& log = GameHarness::SoundLog();
  const auto change = std::find_if(log.begin(), log.end(), [](const auto& e) { return e.label == kChangeSound; });
  const auto music = std::find_if(log.begin(), log.end(), [](const auto& e) {
    return e.label.find("Music_") != std::string::npos && e.event == "loop";
  });
  ASSERT_NE(music, log.end());
  EXPECT_LT(change, music);
  EXPECT_EQ(gMenuState, nullptr);
  EXPECT_FALSE(gMenuLoaded);
}

TEST(MenuRun, TabsAndOptionArrowsAnswerClicksOnlyAndTheQuitTabEndsTheRunWithTheSettingsSaved) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  Script(harness)
      .Then([] {
        GameHarness::PressKey(kPlatVkReturn);
        gMenuState->cursorX = 600;  // on nothing
        gMenuState->cursorY = 20;
      })
      .Then([] {
        GameHarness::MouseButton(true);
        GameHarness::HoldKey(kPlatVkLButton, false);  // released where the window hears nothing of it
      })
      .Then([] {
        gMenuState->cursorX = 15;  // over the options tab: no click
        gMenuState->cursorY = 235;
      })
      .Then([] { EXPECT_EQ(gMenuScreen, kScreenNewGame); })
      .Click(15, 235)
      .Then([] { EXPECT_EQ(gMenuScreen, kScreenOptions); })
      .QuickClick(545, 30)  // sound volume up
      .Click(250, 115)  // music volume down
      .Then([] {
        EXPECT_EQ(gSettings.soundVolume, 55);
        EXPECT_EQ(gSettings.musicVolume, 75);
      })
      .Click(15, 340);  // the quit tab
  EXPECT_EQ(harness.Run(), 0);
  const Settings saved = SavedSettings(harness);
  EXPECT_EQ(saved.soundVolume, 55);
  EXPECT_EQ(saved.musicVolume, 75);
}

TEST(MenuRun, ThePointersMotionMovesTheCursorOnceWhateverMessagesCarryIt) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  Script(harness)
      .Then([] { GameHarness::PressKey(kPlatVkReturn); })
      .Then([] {
        gMenuState->cursorX = 560;  // on nothing, the pointer held at the screen's centre
        gMenuState->cursorY = 10;
      })
      .Then([] {
        // From the centre by (30, 20), a click, and on by 10: the click's messages sit between the
        // moves, so they come to the menus over several frames.
        GameHarness::MouseMove(350, 260);
        GameHarness::MouseButton(true);
        GameHarness::MouseButton(false);
        GameHarness::MouseMove(360, 260);
      })
      .Then([] {
        EXPECT_EQ(gMenuState->cursorX, 600);
        EXPECT_EQ(gMenuState->cursorY, 30);
      })
      .Click(15, 340);  // the quit tab
  EXPECT_EQ(harness.Run(), 0);
}

TEST(MenuRun, TypingOnACircuitWithProgressAsksFirstAndYesRestartsItUnderItsName) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  int changeSounds = 0;
  Script(harness)
      .Then([] { GameHarness::PressKey(kPlatVkReturn); })
      .Then([] { GameHarness::PressKey(kPlatVkDown); })
      .Then([&] {
        ASSERT_EQ(gMenuScreen, kScreenCircuit);
        std::strcpy(gCircuit->slotName[0], "Mine");
        std::strcpy(gMenuState->typedText, "Mine");
        gCircuit->slotLevel[0] = 3;
        gCircuit->slotPoints[0] = 40;
        gCircuit->slotPlace[0][1][2] = 4;
        changeSounds = SoundPlays(kChangeSound);
        GameHarness::TypeText("x");
      })
      .Then([&] {
        EXPECT_EQ(SoundPlays(kChangeSound), changeSounds + 1);  // the question is asked
        GameHarness::TypeText("n");
      })
      .Then([] {
        EXPECT_EQ(gCircuit->slotLevel[0], 3);
        EXPECT_STREQ(gMenuState->typedText, "Mine");
        GameHarness::TypeText("x");
      })
      .Then([] { GameHarness::TypeText("Y"); })
      .Then([] {
        EXPECT_EQ(gCircuit->slotLevel[0], 0);
        EXPECT_EQ(gCircuit->slotPoints[0], 0);
        EXPECT_EQ(gCircuit->slotPlace[0][1][2], 0);
        EXPECT_STREQ(gCircuit->slotName[0], "Mine");
        EXPECT_STREQ(gMenuState->typedText, "Minex");
        // Without progress nothing is asked.
        GameHarness::TypeText("y");
      })
      .Then([] {
        EXPECT_STREQ(gMenuState->typedText, "Minexy");
        GameHarness::RequestQuit();
      });
  EXPECT_EQ(harness.Run(), 0);
}

struct TableUse {
  int materials = 0;
  int textures = 0;
  int objects = 0;
  int lights = 0;
  bool operator==(const TableUse&) const = default;
};

TableUse Use() {
  TableUse use;
  for (int32_t i = 0; i < gMaterialCount; ++i) use.materials += gMaterialTable[i].inUse != 0;
  for (int32_t i = 0; i < gTextureCount; ++i) use.textures += wre_TextureInUse(i);
  use.objects = gView->world->objectCount;
  for (const Light* light = gView->world->lights; light; light = light->next) ++use.lights;
  return use;
}

TEST(MenuRun, UnloadingAndLoadingTheMenusAroundRacesLeavesTheTablesAsTheyWere) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  Script(harness)
      .Then([] { GameHarness::PressKey(kPlatVkReturn); })
      .Then([] {
        ASSERT_TRUE(gMenuState->entered);
        const TableUse before = Use();
        EXPECT_GT(before.textures, 0);
        for (int cycle = 0; cycle < 3; ++cycle) {
          MenuResourcesUnload();
          EXPECT_FALSE(gMenuLoaded);
          EXPECT_EQ(Use().materials, 0);
          EXPECT_EQ(Use().lights, 0);
          MenuResourcesLoad();
          EXPECT_EQ(MenuFrameUpdate(gView), 0);
          EXPECT_EQ(Use(), before);
        }
        EXPECT_EQ(gMenuScreen, kScreenNewGame);
        GameHarness::RequestQuit();
      });
  EXPECT_EQ(harness.Run(), 0);
}

TEST(MenuRun, AScreenThatCannotBeEnteredIsTriedOnceASecondWithoutPilingUpTextures) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  const auto globe = harness.Root() / "data" / "menu" / "m_newgame" / "m_chooseglobe.c4d";
  const auto kept = harness.Root() / "globe.kept";
  std::filesystem::rename(globe, kept);
  std::set<uint32_t> attempts;
  int textures = 0;
  uint32_t firstTick = 0;
  Script script(harness);
  script.Then([&] {
    textures = Use().textures;
    GameHarness::PressKey(kPlatVkReturn);
  });
  script.Then([&] {
    EXPECT_EQ(gMenuScreen, kScreenNewGame);
    EXPECT_FALSE(gMenuState->entered);
    EXPECT_EQ(SoundPlays(kChangeSound), 0);
    firstTick = gEngineTick;
  });
  for (int frame = 0; frame < 6 * kPollFrames; ++frame) {
    harness.AtFrame(5 + 2 * kPollFrames + frame, [&] {
      attempts.insert(gMenuState->screenTick);
      EXPECT_EQ(Use().textures, textures);
    });
  }
  script.Then([] {}).Then([] {}).Then([] {}).Then([] {}).Then([] {}).Then([] {});
  script.Then([&] {
    const uint32_t elapsed = gEngineTick - firstTick;
    EXPECT_LE(attempts.size(), elapsed / 60 + 2);
    EXPECT_FALSE(gMenuState->entered);
    std::filesystem::rename(kept, globe);
  });
  script.Then([] {}).Then([] {}).Then([] {}).Then([] {}).Then([] {
    EXPECT_TRUE(gMenuState->entered);
    GameHarness::RequestQuit();
  });
  EXPECT_EQ(harness.Run(), 0);
}

// The whole way round: the disclaimer, the new-game page, the globe clicked, a one-lap rally on the
// first level raced by the demo driver against the computer riders, the result screen answered by
// a key, and the menus again on the rally high scores with the race entered (and saved at the end).
TEST(MenuRun, ARaceStartedAtTheGlobeIsRacedByTheDemoDriverAndEndsOnTheHighScoresWithItsEntry) {
  GameHarness harness;
  harness.SeedSettings(kRendererSoftware);
  enum Stage { kMenus, kRacing, kResult, kAnswered, kBack, kDone } stage = kMenus;
  int raceFrames = 0, backFrames = 0;
  uint32_t resultTick = 0;
  PlatFrame frame;
  const auto keep = [&](const char* name) {
    if (harness.Captured(&frame)) CapturePngKeep(frame, name);
  };
  const auto resultVoiced = [] {
    const auto& log = GameHarness::SoundLog();
    return std::any_of(log.begin(), log.end(), [](const PlatSoundLogEntry& e) {
      return e.event == "play" &&
             (e.label.find("first_place") != std::string::npos || e.label.find("nice_try") != std::string::npos);
    });
  };
  Script(harness)
      .Then([] { GameHarness::PressKey(kPlatVkReturn); })
      .Then([] { GameHarness::PressKey(kPlatVkLeft); })  // from the third level to the first
      .Then([] { GameHarness::PressKey(kPlatVkLeft); })
      .Then([&] {
        ASSERT_EQ(gMenuScreen, kScreenNewGame);
        EXPECT_EQ(gGameMode, kModeRally);
        EXPECT_EQ(gMenuState->selectedLevel, 0);
        EXPECT_EQ(gScores->rallyLevel[0], -1);
        keep("race_0_newgame");
        gDemoMode = 1;
        harness.TicksPerFrame(12);  // the race loop pumps only now and then
      })
      .Click(365, 180);  // the globe
  harness.EachFrame([&](int) {
    if (stage == kMenus && RaceActiveGet()) stage = kRacing;
    if (stage == kRacing && ++raceFrames == 120) keep("race_1_racing");
    if (stage == kRacing && raceFrames > 8000) {
      ADD_FAILURE() << "the demo race did not finish";
      gQuitRequested = 1;
      stage = kDone;
    }
    if (stage == kAnswered && !RaceActiveGet()) stage = kBack;
    if (stage == kBack && gMenuState->entered && ++backFrames == 3) {
      keep("race_3_highscores");
      EXPECT_EQ(gMenuScreen, kScreenHighScores);
      EXPECT_EQ(gMenuState->slotIndex, kModeRally);
      EXPECT_STREQ(gScores->rallyName[0], gSettings.playerName);
      EXPECT_EQ(gScores->rallyLevel[0], 0);
      EXPECT_EQ(gScores->rallyPlace[0], gPlayerPlace);
      EXPECT_EQ(gScores->rallyTime[0], gPlayerTime);
      stage = kDone;
      GameHarness::RequestQuit();
    }
  });
  harness.EachPump([&] {
    if (stage == kRacing && resultVoiced()) {
      stage = kResult;
      resultTick = gEngineTick;
    }
    if (stage == kResult && gEngineTick > resultTick + 70) {
      stage = kAnswered;
      keep("race_2_result");
      GameHarness::TypeText("a");
    }
  });
  EXPECT_EQ(harness.Run(), 0);
  EXPECT_EQ(stage, kDone);
  EXPECT_TRUE(gRaceFinished);
  EXPECT_GT(gPlayerTime, 0);
  const std::string image = TempDir::Read(harness.SaveFile(kScoresFileName));
  ScoresRecord saved{};
  ASSERT_TRUE(ScoresRead(&saved, reinterpret_cast<const uint8_t*>(image.data()), image.size()));
  EXPECT_STREQ(saved.rallyName[0], "Player");
  EXPECT_EQ(saved.rallyTime[0], gPlayerTime);
  EXPECT_EQ(saved.rallyLevel[1], -1);
}

}  // namespace
