// The launcher over a generated disc in a temporary folder, on the platform's test back end, with a
// window that records what the launcher asks of it.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "launcher/launcher_config.h"
#include "launcher/launcher_install.h"
#include "launcher/launcher_state.h"
#include "platform/plat_backend.h"
#include "platform/plat_paths.h"
#include "platform/plat_registry.h"
#include "platform/plat_shell.h"
#include "platform/plat_time.h"
#include "platform/test/plat_time.h"
#include "support/temp_dir.h"
#include "tools/datagen/launcher_disc.h"

struct FakeWindow {
  std::vector<std::string> events;                // "caption 4 Play Game", "show 14 1", "quit 0"
  std::deque<LauncherAgreementAnswer> answers;    // answers to give; Decline when none is left
  std::vector<std::string> agreementTexts;        // "(none)" for an absent text

  LauncherWindowOps Ops() {
    LauncherWindowOps ops{};
    ops.context = this;
    ops.setCaption = [](void* c, int slot, const char* caption) {
      static_cast<FakeWindow*>(c)->events.push_back("caption " + std::to_string(slot) + " " + caption);
    };
    ops.showSlot = [](void* c, int slot, bool visible) {
      static_cast<FakeWindow*>(c)->events.push_back("show " + std::to_string(slot) + (visible ? " 1" : " 0"));
    };
    ops.askAgreement = [](void* c, int product, const char* text) {
      FakeWindow* w = static_cast<FakeWindow*>(c);
      w->events.push_back("agreement " + std::to_string(product));
      w->agreementTexts.push_back(text ? text : "(none)");
      if (w->answers.empty()) return kLauncherAgreementDecline;
      LauncherAgreementAnswer answer = w->answers.front();
      w->answers.pop_front();
      return answer;
    };
    ops.postQuit = [](void* c, int code) {
      static_cast<FakeWindow*>(c)->events.push_back("quit " + std::to_string(code));
    };
    return ops;
  }
};

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestClockReset();
    plat_ShellTestReset();
    plat_SetModuleFileName((root.path() / "disc/cdfront").c_str());
    plat_SetWindowsDirectory((root.path() / "windows").c_str());
    plat_RegistrySetStore((root.path() / "registry.ini").c_str());
    ops = window.Ops();
  }
  void TearDown() override {
    plat_SetModuleFileName(nullptr);
    plat_SetWindowsDirectory(nullptr);
    plat_RegistrySetStore(nullptr);
    plat_PathsClearDrives();
    plat_ShellTestReset();
    plat_UseBackend(kPlatBackendReal);
  }

  void WriteDisc() { ASSERT_TRUE(datagen_WriteLauncherDisc(root.str())); }
  void WriteIni(const std::string& text) { root.Write("disc/ostrel.ini", text); }
  std::string Disc() const { return root.Windows() + "\\disc\\"; }
  std::string WinDir() const { return root.Windows() + "\\windows"; }
  std::vector<std::string> ShellLog() const {
    std::vector<std::string> lines;
    for (const PlatShellRecord& r : plat_ShellTestLog()) lines.push_back(plat_ShellRecordText(r));
    return lines;
  }
  void Advance(uint32_t ms) { plat_TestClockSetTickCount(plat_GetTickCount() + ms); }
  int Polls(int passes) {
    int ran = 0;
    for (int i = 0; i < passes; ++i) ran += LauncherPollInstalls(&state, &ops);
    return ran;
  }

  TempDir root;
  LauncherState state;
  FakeWindow window;
  LauncherWindowOps ops{};
};
