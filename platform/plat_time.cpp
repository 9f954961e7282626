#include "platform/plat_time.h"

#include <ctime>

#include "platform/plat_internal.h"
#include "platform/test/plat_time.h"

namespace {

struct TimeOps {
  bool (*counter)(int64_t*);
  bool (*frequency)(int64_t*);
  uint32_t (*tickCount)();
};

int64_t MonotonicNanoseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

bool RealCounter(int64_t* count) {
  if (count) *count = MonotonicNanoseconds();
  return true;
}
bool RealFrequency(int64_t* frequency) {
  if (frequency) *frequency = 1000000000LL;
  return true;
}
uint32_t RealTickCount() { return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000LL); }

constexpr TimeOps kRealOps{RealCounter, RealFrequency, RealTickCount};

struct TestClock {
  bool hasCounter = true;
  int64_t frequency = 1000000;
  int64_t counter = 0;
  uint32_t tickCount = 0;
  int64_t microRemainder = 0;  // microseconds not yet a whole millisecond
};
TestClock gTestClock;

bool TestCounter(int64_t* count) {
  if (!gTestClock.hasCounter) return false;
  if (count) *count = gTestClock.counter;
  return true;
}
bool TestFrequency(int64_t* frequency) {
  if (!gTestClock.hasCounter) return false;
  if (frequency) *frequency = gTestClock.frequency;
  return true;
}
uint32_t TestTickCount() { return gTestClock.tickCount; }

constexpr TimeOps kTestOps{TestCounter, TestFrequency, TestTickCount};

const TimeOps* gOps = &kRealOps;

}  // namespace

void plat_TimeSelectBackend(PlatBackend backend) {
  gOps = backend == kPlatBackendTest ? &kTestOps : &kRealOps;
}

bool plat_QueryPerformanceCounter(int64_t* count) { return gOps->counter(count); }
bool plat_QueryPerformanceFrequency(int64_t* frequency) { return gOps->frequency(frequency); }
uint32_t plat_GetTickCount() { return gOps->tickCount(); }

void plat_TestClockReset() { gTestClock = TestClock{}; }
void plat_TestClockSetHasCounter(bool hasCounter) { gTestClock.hasCounter = hasCounter; }
void plat_TestClockSetFrequency(int64_t frequency) { gTestClock.frequency = frequency; }
void plat_TestClockSetCounter(int64_t count) { gTestClock.counter = count; }
void plat_TestClockSetTickCount(uint32_t milliseconds) { gTestClock.tickCount = milliseconds; }

void plat_TestClockAdvanceMicroseconds(int64_t microseconds) {
  // Counter ticks are derived from the frequency; whole milliseconds go to the tick count.
  gTestClock.counter += microseconds * gTestClock.frequency / 1000000;
  int64_t total = gTestClock.microRemainder + microseconds;
  gTestClock.tickCount += static_cast<uint32_t>(total / 1000);
  gTestClock.microRemainder = total % 1000;
}
