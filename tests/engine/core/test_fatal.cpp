#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "engine/core/fatal.h"
#include "engine/startup/system.h"

namespace {

void ReportingCallback(const char* message) {
  std::fprintf(stderr, "callback got <%s>\n", message);
  std::exit(7);
}

void ReturningCallback(const char* message) { std::fprintf(stderr, "returning from <%s>\n", message); }

void NestingCallback(const char* message) {
  std::fprintf(stderr, "saving after <%s>\n", message);
  wre_SystemFatalError("Out of memory");
}

void FinishingCallback(const char* message) { wre_FatalError(message); }

TEST(FatalDeathTest, WithoutACallbackTheProcessEndsWithTheMessage) {
  EXPECT_EXIT(
      {
        wre_SystemSetFatalCallback(nullptr);
        wre_SystemFatalError("Couldn't init sound");
      },
      ::testing::ExitedWithCode(3), "Couldn't init sound");
}

TEST(FatalDeathTest, ItselfAsTheCallbackActsAsNone) {
  EXPECT_EXIT(
      {
        wre_SystemSetFatalCallback(&wre_SystemFatalError);
        wre_SystemFatalError("Error in menu loop");
      },
      ::testing::ExitedWithCode(3), "Error in menu loop");
}

TEST(FatalDeathTest, TheInstalledCallbackGetsTheMessage) {
  EXPECT_EXIT(
      {
        wre_SystemStartup(ReportingCallback, 0);
        wre_SystemFatalError("Unable to start waterworks");
      },
      ::testing::ExitedWithCode(7), "callback got <Unable to start waterworks>");
}

TEST(FatalDeathTest, ACallbackThatComesBackStillEndsTheProcess) {
  EXPECT_EXIT(
      {
        wre_SystemSetFatalCallback(ReturningCallback);
        wre_SystemFatalError("Failed to load selected level");
      },
      ::testing::ExitedWithCode(3), "returning from <Failed to load selected level>");
}

TEST(FatalDeathTest, AFailureInsideTheCallbackGoesStraightToTheFinalExit) {
  EXPECT_EXIT(
      {
        wre_SystemSetFatalCallback(NestingCallback);
        wre_SystemFatalError("Error at run process list");
      },
      ::testing::ExitedWithCode(3), "saving after <Error at run process list>\nOut of memory");
}

TEST(FatalDeathTest, TheCallbackEndsThroughTheFinalExit) {
  EXPECT_EXIT(
      {
        wre_SystemSetFatalCallback(FinishingCallback);
        wre_SystemFatalError("Couldn't allocate materials");
      },
      ::testing::ExitedWithCode(3), "Couldn't allocate materials");
}

}  // namespace
