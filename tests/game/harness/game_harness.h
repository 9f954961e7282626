// Test harness: the whole game program run headless in the test process. The platform's test back
// ends stand in for the machine: a clock that moves one engine tick per pump, scripted keys, mouse
// and pad (no pad unless a test plugs one in), the presented frames kept for inspection, a sound
// output that plays nothing but logs every play, stop, volume and frequency change (and the CD
// stand-in its tracks), a fixed random seed (the clock starts at 0), and the sample data tree in a
// fresh temporary folder that is the current folder while the harness lives.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/plat_display.h"
#include "platform/test/plat_sound.h"
#include "tests/support/temp_dir.h"

class GameHarness {
 public:
  GameHarness();
  ~GameHarness();
  GameHarness(const GameHarness&) = delete;
  GameHarness& operator=(const GameHarness&) = delete;

  const std::filesystem::path& Root() const { return dir_.path(); }
  std::filesystem::path SaveFile(const char* name) const;

  // Writes "prefs.qz" with the defaults, the renderer kind and the launch count.
  void SeedSettings(int32_t rendererKind, int32_t launchCount = 0);

  // Runs `action` at the start of menu frame `frame` (frames count the presented images, 0 is
  // before the first). A frame's actions run in the order given.
  void AtFrame(int frame, std::function<void()> action);
  // Runs `action` right after every presented frame (after the clock's move), with the count of
  // frames presented so far.
  void EachFrame(std::function<void(int presented)> action) { eachFrame_ = std::move(action); }
  // Runs `action` at every message pump, after the clock's move and the frame actions.
  void EachPump(std::function<void()> action) { eachPump_ = std::move(action); }
  // Scripted input, as the user gives it.
  static void HoldKey(int vk, bool held);
  static void PressKey(int vk);
  static void TypeText(const char* text);
  static void MouseMove(int x, int y);
  static void MouseButton(bool down);
  // The pad: plugged in before the run it is found at start-up; pulled out it reads as failed.
  static void JoystickPlug(bool plugged);
  static void JoystickAxis(int axis, int32_t value);
  static void JoystickButton(int button, bool held);
  // The window manager's close: the program's quit request.
  static void RequestQuit();

  // Moves the clock on by this many ticks after every presented frame (0, the default: only the
  // pumps move it). A race loop pumps only now and then, so a race needs frames to move time.
  void TicksPerFrame(int ticks) { ticksPerFrame_ = ticks; }

  // Runs the program's entry to its end and returns its result.
  int Run();
  // Runs the program and, at its first menu frame, one race as the front end starts it: the menu
  // resources released, `select` setting the selection and settings, RaceRun between the
  // race-active flag's set and clear, then `after`, and the menu resources loaded again; the
  // program is then asked to quit. The race's result.
  int RunRace(const std::function<void()>& select, const std::function<void()>& after = [] {});
  // As RunRace with `count` races back to back between the same menu resources, `select` and
  // `after` called with the race's index. The first non-zero race result, or 0.
  int RunRaces(int count, const std::function<void(int)>& select, const std::function<void(int)>& after = [](int) {});
  // Menu frames RunRace and RunRaces show after the races before asking the program to quit (0,
  // the default: it is asked at once).
  void MenuFramesAfterRaces(int frames) { framesAfterRaces_ = frames; }
  int Frames() const { return frames_; }
  // The last presented frame.
  bool Captured(PlatFrame* frame) const;
  // What the sound output was asked to do since the harness started, in order.
  static const std::vector<PlatSoundLogEntry>& SoundLog() { return plat_TestSoundLog(); }

 private:
  static void OnPump(void* self);
  static void OnPresent(void* self);
  void Pump();

  TempDir dir_;
  std::filesystem::path home_;
  std::map<int, std::vector<std::function<void()>>> actions_;
  int frames_ = 0;
  int32_t lastPresents_ = 0;
  bool ranStartActions_ = false;
  int ticksPerFrame_ = 0;
  std::function<void(int)> eachFrame_;
  std::function<void()> eachPump_;
  int framesAfterRaces_ = 0;
};
