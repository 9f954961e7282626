#include "tests/game/harness/game_harness.h"

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "game/menus/menu_shell.h"
#include "game/menus/test/intro_sequences.h"
#include "game/program/program_entry.h"
#include "game/race/race_driver.h"
#include "game/state/game_view.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "platform/plat_backend.h"
#include "platform/plat_input.h"
#include "platform/plat_sound.h"
#include "platform/plat_system.h"
#include "platform/plat_time.h"
#include "platform/test/plat_display.h"
#include "platform/test/plat_input.h"
#include "platform/test/plat_joystick.h"
#include "platform/test/plat_sound.h"
#include "platform/test/plat_system.h"
#include "platform/test/plat_time.h"
#include "tests/game/harness/dialog_steps.h"
#include "tools/datagen/game_tree.h"

namespace {

// One engine tick: the clock counts 59.8 ticks a second.
constexpr int64_t kTickMicroseconds = 16723;

}  // namespace

GameHarness::GameHarness() {
  plat_UseBackend(kPlatBackendTest);
  plat_TestClockReset();
  plat_TestInputReset();
  plat_TestJoystickReset();
  plat_TestDisplayReset();
  plat_TestSoundReset();
  plat_TestSetWindowsNT(false);
  IntroSequencesSetSkipped(true);
  DialogStepsStart();
  home_ = std::filesystem::current_path();
  std::filesystem::create_directories(dir_.path() / "data" / "prefs");
  DatagenWriteTree(dir_.str());
  std::filesystem::current_path(dir_.path());
}

GameHarness::~GameHarness() {
  plat_TestSetPumpHook(nullptr, nullptr);
  IntroSequencesSetSkipped(false);
  DialogStepsStop();
  // The program's windows and the quit request that ended its run go with it: a later dialog or
  // window of the same process would take that request as its own.
  plat_TestInputReset();
  std::filesystem::current_path(home_);
}

std::filesystem::path GameHarness::SaveFile(const char* name) const {
  return dir_.path() / "data" / "prefs" / name;
}

void GameHarness::SeedSettings(int32_t rendererKind, int32_t launchCount) {
  wre_MemoryInit();
  wre_FolderSet(nullptr);
  PrefsDefaults();
  gSettings.rendererKind = rendererKind;
  gSettings.launchCount = launchCount;
  PrefsSave();
  wre_FolderSet(nullptr);
  gSettings = Settings{};
}

void GameHarness::AtFrame(int frame, std::function<void()> action) {
  actions_[frame].push_back(std::move(action));
}

void GameHarness::HoldKey(int vk, bool held) { plat_TestSetKeyHeld(vk, held); }

void GameHarness::PressKey(int vk) {
  plat_TestKeyEvent(vk, true);
  plat_TestKeyEvent(vk, false);
}

void GameHarness::TypeText(const char* text) { plat_TestTypeText(text); }
void GameHarness::MouseMove(int x, int y) { plat_TestMouseMove(x, y); }
void GameHarness::MouseButton(bool down) { plat_TestMouseButton(down); }
void GameHarness::JoystickPlug(bool plugged) { plat_TestJoystickPlug(plugged); }
void GameHarness::JoystickAxis(int axis, int32_t value) { plat_TestJoystickSetAxis(axis, value); }
void GameHarness::JoystickButton(int button, bool held) { plat_TestJoystickSetButton(button, held); }
void GameHarness::RequestQuit() { plat_TestCloseRequest(); }

void GameHarness::OnPump(void* self) { static_cast<GameHarness*>(self)->Pump(); }

void GameHarness::OnPresent(void* self) {
  auto* harness = static_cast<GameHarness*>(self);
  plat_TestClockAdvanceMicroseconds(harness->ticksPerFrame_ * kTickMicroseconds);
  if (harness->eachFrame_) harness->eachFrame_(plat_TestPresentCount());
}

void GameHarness::Pump() {
  plat_TestClockAdvanceMicroseconds(kTickMicroseconds);
  const int32_t presents = plat_TestPresentCount();
  const bool newFrame = presents != lastPresents_;
  lastPresents_ = presents;
  if (newFrame) ++frames_;
  if (!ranStartActions_ || newFrame) {
    ranStartActions_ = true;
    if (auto due = actions_.find(frames_); due != actions_.end()) {
      auto actions = std::move(due->second);
      actions_.erase(due);
      for (auto& action : actions) action();
    }
  }
  if (eachPump_) eachPump_();
}

int GameHarness::Run() {
  frames_ = 0;
  lastPresents_ = plat_TestPresentCount();
  ranStartActions_ = false;
  plat_TestSetPumpHook(&GameHarness::OnPump, this);
  plat_TestSetPresentHook(&GameHarness::OnPresent, this);
  const int result = AppMain(nullptr, nullptr, nullptr, 1);
  plat_TestSetPresentHook(nullptr, nullptr);
  plat_TestSetPumpHook(nullptr, nullptr);
  return result;
}

int GameHarness::RunRace(const std::function<void()>& select, const std::function<void()>& after) {
  return RunRaces(1, [&](int) { select(); }, [&](int) { after(); });
}

int GameHarness::RunRaces(int count, const std::function<void(int)>& select, const std::function<void(int)>& after) {
  int raceResult = -1;
  AtFrame(1, [&] {
    MenuResourcesUnload();
    raceResult = 0;
    for (int race = 0; race < count; ++race) {
      // An earlier test's race must not look over before this one has set up.
      gRaceOver = gRaceFinished = gQuitRequested = 0;
      select(race);
      RaceActiveSet(1);
      const int result = RaceRun(gView);
      if (raceResult == 0) raceResult = result;
      RaceActiveSet(0);
      after(race);
    }
    MenuResourcesLoad();
    if (framesAfterRaces_ > 0) AtFrame(frames_ + framesAfterRaces_, RequestQuit);
    else RequestQuit();
  });
  Run();
  return raceResult;
}

bool GameHarness::Captured(PlatFrame* frame) const { return plat_TestLastPresented(frame); }
