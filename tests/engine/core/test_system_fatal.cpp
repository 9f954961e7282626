// The system layer's start-up and shut-down steps of the clock, input and key lock, and the fatal
// path's cursor, message and quit handling. The fatal path ends the process, so those cases run as
// death tests.
#include <gtest/gtest.h>

#include <cstdio>

#include "engine/core/fatal.h"
#include "engine/core/input.h"
#include "engine/core/process.h"
#include "engine/startup/system.h"
#include "engine/core/timer.h"
#include "input_test_window.h"
#include "platform/plat_system.h"
#include "platform/test/plat_input.h"
#include "platform/test/plat_system.h"

namespace {

TEST(SystemLayer, StartupBringsUpClockInputAndLockAndShutdownUnlocks) {
  plat_UseBackend(kPlatBackendTest);
  plat_TestInputReset();
  plat_RegisterClass("Velloran Hydrel", InputTestWindowProc);
  PlatWindow window = plat_CreateWindow("Velloran Hydrel", "t", 0, 0, 0, 640, 480, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  gEngineTick = 999;
  gKeyCodeToVK['a'] = 0;
  gMouseLeftButton = 1;
  wre_ProcessListInit();  // started or not, the start-up marks it not started

  ASSERT_EQ(wre_SystemStartup(nullptr, 1), 0);
  EXPECT_EQ(gEngineTick, 0u);  // the clock starts and one tick is taken
  EXPECT_EQ(gKeyCodeToVK['a'], 65);
  EXPECT_EQ(gMouseLeftButton, 0);
  EXPECT_EQ(wre_ProcessListRun(12, 1), kProcessNotStarted);
  EXPECT_TRUE(plat_TestSystemKeysLocked());
  EXPECT_EQ(wre_SystemKeysLock(), 0);

  wre_SystemShutdown();
  EXPECT_FALSE(plat_TestSystemKeysLocked());
  wre_SystemShutdown();  // safe more than once

  ASSERT_EQ(wre_SystemStartup(nullptr, 0), 0);
  EXPECT_FALSE(plat_TestSystemKeysLocked());
  plat_DestroyWindow(window);
}

intptr_t ReportingProc(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kPlatMsgUser) std::fprintf(stderr, "user %d\n", static_cast<int>(wParam));
  return InputTestWindowProc(window, message, wParam, lParam);
}

// The test back end ready for a fatal error: a window, the cursor hidden twice, the keys locked.
PlatWindow FatalSetUp(WreFatalCallback callback) {
  plat_UseBackend(kPlatBackendTest);
  plat_TestInputReset();
  plat_SetTerminateHook(nullptr);
  plat_RegisterClass("Velloran Hydrel", ReportingProc);
  PlatWindow window = plat_CreateWindow("Velloran Hydrel", "t", 0, 0, 0, 640, 480, nullptr, nullptr);
  wre_SystemStartup(callback, 1);
  plat_ShowCursor(false);
  plat_ShowCursor(false);
  return window;
}

void ReportState(const char* where) {
  int count = plat_ShowCursor(true) - 1;
  plat_ShowCursor(false);
  std::fprintf(stderr, "%s: cursor %d locked %d queue %d\n", where, count, plat_TestSystemKeysLocked() ? 1 : 0,
               static_cast<int>(plat_TestQueueLength()));
}

void ReportingHook(const char*) { ReportState("exit"); }

void GameCallback(const char* message) {
  ReportState("callback");
  wre_FatalError(message);
}

void NestedCallback(const char*) { wre_SystemFatalError("second failure"); }

using SystemFatalDeathTest = ::testing::Test;

TEST_F(SystemFatalDeathTest, WithoutCallbackShowsTheCursorAndExitsWithTheMessage) {
  EXPECT_EXIT(
      {
        PlatWindow window = FatalSetUp(nullptr);
        plat_PostMessage(window, kPlatMsgUser, 1, 0);
        plat_PostMessage(window, kPlatMsgUser, 2, 0);
        plat_SetTerminateHook(ReportingHook);
        wre_SystemFatalError("Couldn't init wre");
      },
      ::testing::ExitedWithCode(3), "user 1\nuser 2\nexit: cursor 2 locked 0 queue 0\nCouldn't init wre");
}

TEST_F(SystemFatalDeathTest, ItselfAsCallbackActsAsNoCallback) {
  EXPECT_EXIT(
      {
        FatalSetUp(&wre_SystemFatalError);
        wre_SystemFatalError("Out of memory");
      },
      ::testing::ExitedWithCode(3), "Out of memory");
}

TEST_F(SystemFatalDeathTest, CallbackRunsWithTheSystemLayerDownAndTheCursorShown) {
  EXPECT_EXIT(
      {
        PlatWindow window = FatalSetUp(GameCallback);
        for (int i = 1; i <= 5; ++i) plat_PostMessage(window, kPlatMsgUser, static_cast<uintptr_t>(i), 0);
        wre_SystemFatalError("Error at driver select dialog box");
      },
      ::testing::ExitedWithCode(3),
      "user 1\nuser 2\nuser 3\ncallback: cursor 1 locked 0 queue 2\nuser 4\nuser 5\n"
      "Error at driver select dialog box");
}

TEST_F(SystemFatalDeathTest, AFailureInsideTheCallbackEndsAtOnce) {
  EXPECT_EXIT(
      {
        FatalSetUp(NestedCallback);
        wre_SystemFatalError("first failure");
      },
      ::testing::ExitedWithCode(3), "second failure");
}

TEST_F(SystemFatalDeathTest, FinalExitHandlesAtMostFourWaitingMessages) {
  EXPECT_EXIT(
      {
        PlatWindow window = FatalSetUp(nullptr);
        for (int i = 1; i <= 5; ++i) plat_PostMessage(window, kPlatMsgUser, static_cast<uintptr_t>(i), 0);
        plat_PostQuitMessage(0);
        plat_SetTerminateHook(ReportingHook);
        wre_FatalError("Couldn't setup process list");
      },
      ::testing::ExitedWithCode(3), "user 4\nexit: cursor -1 locked 1 queue 1\nCouldn't setup process list");
}

TEST_F(SystemFatalDeathTest, FinalExitIsQuietWhenTheProgramIsAlreadyClosing) {
  EXPECT_EXIT(
      {
        PlatWindow window = FatalSetUp(nullptr);
        plat_PostMessage(window, kPlatMsgUser, 1, 0);
        plat_DestroyWindow(window);  // the window procedure posts quit
        wre_FatalError("never shown");
      },
      ::testing::ExitedWithCode(1), "^$");
}

TEST_F(SystemFatalDeathTest, QuitPendingAfterTheCallbackSavedEndsQuietly) {
  EXPECT_EXIT(
      {
        PlatWindow window = FatalSetUp(GameCallback);
        // The common entry's own pumps take three messages; the quit waits behind them.
        for (int i = 1; i <= 3; ++i) plat_PostMessage(window, kPlatMsgUser, static_cast<uintptr_t>(i), 0);
        plat_PostQuitMessage(0);
        wre_SystemFatalError("Couldn't init wre");
      },
      ::testing::ExitedWithCode(1), "^user 1\nuser 2\nuser 3\ncallback: cursor 1 locked 0 queue 0\n$");
}

}  // namespace
