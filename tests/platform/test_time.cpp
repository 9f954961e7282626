#include <gtest/gtest.h>

#include "platform/plat_backend.h"
#include "platform/plat_system.h"
#include "platform/plat_time.h"
#include "platform/test/plat_system.h"
#include "platform/test/plat_time.h"

namespace {

class PlatTestClock : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestClockReset();
  }
  void TearDown() override { plat_UseBackend(kPlatBackendReal); }
};

TEST_F(PlatTestClock, MovesOnlyWhenAdvancedAndKeepsPartMilliseconds) {
  int64_t count = -1;
  ASSERT_TRUE(plat_QueryPerformanceCounter(&count));
  EXPECT_EQ(count, 0);
  plat_TestClockAdvanceMicroseconds(1500);
  plat_TestClockAdvanceMicroseconds(600);
  ASSERT_TRUE(plat_QueryPerformanceCounter(&count));
  EXPECT_EQ(count, 2100);
  EXPECT_EQ(plat_GetTickCount(), 2u);
}

TEST_F(PlatTestClock, TickCountWrapsAndTheCounterCanBeAbsent) {
  plat_TestClockSetTickCount(0xFFFFFFFFu);
  plat_TestClockAdvanceMicroseconds(2000);
  EXPECT_EQ(plat_GetTickCount(), 1u);
  plat_TestClockSetHasCounter(false);
  int64_t value = 0;
  EXPECT_FALSE(plat_QueryPerformanceCounter(&value));
  EXPECT_FALSE(plat_QueryPerformanceFrequency(&value));
}

TEST(PlatRealClock, IsMonotonic) {
  int64_t a = 0, b = 0, f = 0;
  ASSERT_TRUE(plat_QueryPerformanceFrequency(&f));
  EXPECT_GT(f, 0);
  ASSERT_TRUE(plat_QueryPerformanceCounter(&a));
  ASSERT_TRUE(plat_QueryPerformanceCounter(&b));
  EXPECT_GE(b, a);
}

TEST(PlatSystem, OnlyTheTestBackendCanClaimTheRefusedSystem) {
  plat_TestSetWindowsNT(true);
  EXPECT_FALSE(plat_IsWindowsNT());
  plat_UseBackend(kPlatBackendTest);
  EXPECT_TRUE(plat_IsWindowsNT());
  plat_TestSetWindowsNT(false);
  EXPECT_FALSE(plat_IsWindowsNT());
  plat_UseBackend(kPlatBackendReal);
}

TEST(PlatSystemDeathTest, FatalExitShowsTheMessageAndEnds) {
  EXPECT_EXIT(plat_FatalAppExit("Out of memory"), ::testing::ExitedWithCode(3), "Out of memory");
}

}  // namespace
