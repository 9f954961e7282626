// The tick clock on the test clock, and the process list's timing, catch-up and safety.
#include <gtest/gtest.h>

#include <vector>

#include "engine/core/memory.h"
#include "engine/core/process.h"
#include "engine/core/timer.h"
#include "platform/plat_backend.h"
#include "platform/plat_time.h"
#include "platform/test/plat_time.h"

namespace {

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestClockReset();
  }
};

TEST_F(TimerTest, MillisecondModeRunsAtSixHundredthsPerMillisecond) {
  plat_TestClockSetHasCounter(false);
  plat_TestClockSetTickCount(5000);
  wre_TimerInit();
  plat_TestClockSetTickCount(6000);
  EXPECT_EQ(wre_TimerTick(), 60u);
  plat_TestClockSetTickCount(5000 + 100000);
  EXPECT_EQ(wre_TimerTick(), 6000u);
  // The tick is read only by wre_TimerTick.
  plat_TestClockSetTickCount(5000 + 200000);
  EXPECT_EQ(wre_TimerGetTick(), 6000u);
  EXPECT_EQ(gEngineTick, 6000u);
}

TEST_F(TimerTest, MillisecondModeRunsOnAcrossTheCountsWrap) {
  plat_TestClockSetHasCounter(false);
  plat_TestClockSetTickCount(0xFFFFFF00u);
  wre_TimerInit();
  plat_TestClockSetTickCount(0xFFFFFF00u + 1000u);  // wraps past zero
  EXPECT_EQ(wre_TimerTick(), 60u);
}

TEST_F(TimerTest, CounterModeRunsAtFiftyNinePointEightPerSecond) {
  plat_TestClockSetFrequency(1000000);
  plat_TestClockSetCounter(0);
  wre_TimerInit();
  plat_TestClockAdvanceMicroseconds(1000000);
  EXPECT_EQ(wre_TimerTick(), 59u);
  plat_TestClockAdvanceMicroseconds(99000000);
  EXPECT_EQ(wre_TimerTick(), 5980u);

  // The start value is truncated, the reading is not: one second can give 60.
  plat_TestClockSetCounter(123456789);
  wre_TimerInit();
  plat_TestClockAdvanceMicroseconds(1000000);
  EXPECT_EQ(wre_TimerTick(), 60u);
}

std::vector<int> gCalls;
void CallA() { gCalls.push_back(1); }
void CallB() { gCalls.push_back(2); }
void CallC() { gCalls.push_back(3); }

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    wre_MemoryInit();
    wre_ProcessListMarkNotStarted();
    gEngineTick = 0;
    gCalls.clear();
  }
  void TearDown() override { wre_ProcessListExit(1); }

  ProcessNode* Plain(void (*callback)(), uint32_t interval) {
    ProcessNode* node = nullptr;
    EXPECT_EQ(wre_ProcessCreate(callback, &node, interval), 0);
    return node;
  }
};

TEST_F(ProcessTest, CatchUpWithResetRunsTheBacklogOnce) {
  ASSERT_EQ(wre_ProcessListInit(), 0);
  ProcessNode* node = Plain(CallA, 2);
  EXPECT_EQ(node->lastTick, 0u);
  gEngineTick = 10;
  EXPECT_EQ(wre_ProcessListRun(12, 1), 0);
  EXPECT_EQ(gCalls.size(), 5u);
  EXPECT_EQ(node->lastTick, 10u);
  EXPECT_EQ(node->flags & kProcessFired, 0);

  // Thirty ticks behind with interval 1: twelve runs, the rest of the backlog dropped.
  gCalls.clear();
  node->interval = 1;
  node->lastTick = 0;
  gEngineTick = 30;
  wre_ProcessListRun(12, 1);
  EXPECT_EQ(gCalls.size(), 12u);
  EXPECT_EQ(node->lastTick, 30u);
  gCalls.clear();
  wre_ProcessListRun(12, 1);
  EXPECT_TRUE(gCalls.empty());
}

TEST_F(ProcessTest, CatchUpWithoutResetKeepsTheBacklog) {
  ASSERT_EQ(wre_ProcessListInit(), 0);
  ProcessNode* node = Plain(CallA, 1);
  gEngineTick = 30;
  wre_ProcessListRun(12, 0);
  EXPECT_EQ(gCalls.size(), 12u);
  EXPECT_EQ(node->lastTick, 12u);
  EXPECT_NE(node->flags & kProcessFired, 0);
  wre_ProcessListRun(12, 0);
  EXPECT_EQ(gCalls.size(), 24u);
  EXPECT_EQ(node->lastTick, 24u);
  // A pass limit of 0 runs nothing; a later run with reset still drops the marked backlog.
  wre_ProcessListRun(0, 0);
  EXPECT_EQ(gCalls.size(), 24u);
  EXPECT_EQ(node->lastTick, 24u);
  wre_ProcessListRun(0, 1);
  EXPECT_EQ(gCalls.size(), 24u);
  EXPECT_EQ(node->lastTick, 30u);
  EXPECT_EQ(node->flags & kProcessFired, 0);
  // With nothing marked, a run of no passes changes nothing.
  gEngineTick = 40;
  wre_ProcessListRun(0, 1);
  EXPECT_EQ(node->lastTick, 30u);
  EXPECT_TRUE(gCalls.size() == 24u);
}

int gSelfRuns = 0;
int gArgRuns = 0;
void CountSelf(ProcessNode*) { ++gSelfRuns; }
void CountArg(void* argument) { ++*static_cast<int*>(argument); }

TEST_F(ProcessTest, EveryKindRunsAtItsIntervalOnTheClock) {
  // The race loop on the test clock: 50 ms a pass is exactly 3 ticks.
  plat_TestClockReset();
  plat_TestClockSetHasCounter(false);
  wre_TimerInit();
  wre_TimerTick();
  ASSERT_EQ(wre_ProcessListInit(), 0);
  ProcessNode* node = nullptr;
  ASSERT_EQ(wre_ProcessCreate(CallA, &node, 1), 0);
  ASSERT_EQ(wre_ProcessCreateWithSelf(CountSelf, &node, 3), 0);
  ASSERT_EQ(wre_ProcessCreateWithArg(CountArg, &node, &gArgRuns, 6), 0);
  gSelfRuns = gArgRuns = 0;
  for (int pass = 1; pass <= 40; ++pass) {
    plat_TestClockAdvanceMicroseconds(50000);
    ASSERT_EQ(wre_TimerTick(), static_cast<uint32_t>(3 * pass));
    wre_ProcessListRun(12, 1);
  }
  EXPECT_EQ(gCalls.size(), 120u);  // every tick caught up
  EXPECT_EQ(gSelfRuns, 40);
  EXPECT_EQ(gArgRuns, 20);

  // With reset, a node due part-way through a pass starts its next interval at the current tick.
  ASSERT_EQ(wre_ProcessListExit(1), 0);
  ASSERT_EQ(wre_ProcessListInit(), 0);
  ASSERT_EQ(wre_ProcessCreate(CallA, &node, 2), 0);
  ASSERT_EQ(wre_ProcessCreate(CallB, &node, 5), 0);
  ASSERT_EQ(wre_ProcessCreate(CallC, &node, 20), 0);
  gCalls.clear();
  for (int pass = 1; pass <= 40; ++pass) {
    plat_TestClockAdvanceMicroseconds(50000);
    wre_TimerTick();
    wre_ProcessListRun(12, 1);
  }
  int a = 0, b = 0, c = 0;
  for (int call : gCalls) (call == 1 ? a : call == 2 ? b : c)++;
  EXPECT_EQ(a, 40);  // once per 3-tick pass, not 60 times
  EXPECT_EQ(b, 20);  // 5, 11, 17, ... ticks after it was added: every other pass
  EXPECT_EQ(c, 5);   // 21, 42, 63, 84 and 105 ticks after it was added
}

ProcessNode* gSeenNode = nullptr;
void* gSeenArg = nullptr;
void SelfCallback(ProcessNode* node) { gSeenNode = node; }
void ArgCallback(void* argument) { gSeenArg = argument; }

TEST_F(ProcessTest, CallbacksGetTheirArgumentByKind) {
  ASSERT_EQ(wre_ProcessListInit(), 0);
  ProcessNode* self = nullptr;
  ProcessNode* withArg = nullptr;
  int payload = 0;
  ASSERT_EQ(wre_ProcessCreateWithSelf(SelfCallback, &self, 1), 0);
  ASSERT_EQ(wre_ProcessCreateWithArg(ArgCallback, &withArg, &payload, 1), 0);
  EXPECT_EQ(self->kind, kProcessKindSelf);
  EXPECT_EQ(withArg->kind, kProcessKindArg);
  EXPECT_EQ(wre_ProcessSetArgs(self, &payload, nullptr, nullptr, 42), 0);
  gEngineTick = 1;
  wre_ProcessListRun(12, 1);
  EXPECT_EQ(gSeenNode, self);
  EXPECT_EQ(gSeenNode->user1, &payload);
  EXPECT_EQ(gSeenNode->userValue, 42);
  EXPECT_EQ(gSeenArg, &payload);

  // A node of another kind fires (its tick moves on) but calls nothing.
  ProcessNode* odd = Plain(CallA, 1);
  EXPECT_EQ(wre_ProcessSetKind(odd, 55), 0);
  gEngineTick = 6;
  wre_ProcessListRun(12, 0);
  EXPECT_TRUE(gCalls.empty());
  EXPECT_EQ(odd->lastTick, 6u);
}

TEST_F(ProcessTest, HeadAndTailInsertion) {
  ASSERT_EQ(wre_ProcessListInit(), 0);
  Plain(CallA, 1);
  Plain(CallB, 1);
  ProcessNode* first = nullptr;
  ASSERT_EQ(wre_ProcessCreate(CallC, &first, 1), 0);
  ASSERT_EQ(wre_ProcessListRemove(first), 0);
  EXPECT_EQ(first->flags & kProcessOnList, 0);
  EXPECT_EQ(first->next, nullptr);
  ASSERT_EQ(wre_ProcessListAdd(first, 0), 0);
  gEngineTick = 1;
  wre_ProcessListRun(1, 1);
  EXPECT_EQ(gCalls, (std::vector<int>{3, 1, 2}));
}

TEST_F(ProcessTest, ResultCodes) {
  ProcessNode* node = nullptr;
  EXPECT_EQ(wre_ProcessCreate(CallA, &node, 1), kProcessNotStarted);
  EXPECT_EQ(node, nullptr);
  EXPECT_EQ(wre_ProcessListRun(12, 1), kProcessNotStarted);
  EXPECT_EQ(wre_ProcessListResetTicks(), kProcessNotStarted);
  EXPECT_EQ(wre_ProcessListExit(0), kProcessNotStarted);
  ASSERT_EQ(wre_ProcessListInit(), 0);
  EXPECT_EQ(wre_ProcessListInit(), kProcessAlreadyStarted);

  EXPECT_EQ(wre_ProcessCreate(nullptr, &node, 1), kWreErrNull);
  EXPECT_EQ(wre_ProcessCreate(CallA, nullptr, 1), kWreErrNull);
  EXPECT_EQ(wre_ProcessCreateWithArg(ArgCallback, &node, nullptr, 1), kWreErrNull);
  // Interval 0: the node is handed out but stays off the list.
  EXPECT_EQ(wre_ProcessCreate(CallA, &node, 0), kProcessZeroInterval);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->flags & kProcessOnList, 0);
  EXPECT_EQ(wre_ProcessListRemove(node), kProcessNotListed);
  EXPECT_EQ(wre_ProcessDispose(node), 0);

  node = Plain(CallA, 3);
  EXPECT_EQ(wre_ProcessListAdd(node, 1), kProcessAlreadyListed);
  EXPECT_EQ(wre_ProcessListAdd(nullptr, 1), kWreErrNull);
  EXPECT_EQ(wre_ProcessListRemove(nullptr), kWreErrNull);
  EXPECT_EQ(wre_ProcessSetCallback(node, nullptr), kProcessNullCallback);
  EXPECT_EQ(wre_ProcessSetInterval(node, 0), kProcessZeroInterval);
  EXPECT_EQ(node->interval, 3u);
  EXPECT_EQ(wre_ProcessSetArgs(nullptr, nullptr, nullptr, nullptr, 0), kWreErrNull);
  EXPECT_EQ(wre_ProcessSetKind(nullptr, 100), kWreErrNull);
  EXPECT_EQ(wre_ProcessSetArg(nullptr, nullptr), kWreErrNull);
  EXPECT_EQ(wre_ProcessStampTick(nullptr), kWreErrNull);
  EXPECT_EQ(wre_ProcessDispose(nullptr), kWreErrNull);

  gEngineTick = 77;
  EXPECT_EQ(wre_ProcessListResetTicks(), 0);
  EXPECT_EQ(node->lastTick, 77u);
}

TEST_F(ProcessTest, DisposingAListedNodeTakesItOffFirst) {
  ASSERT_EQ(wre_ProcessListInit(), 0);
  Plain(CallA, 1);
  ProcessNode* middle = Plain(CallB, 1);
  Plain(CallC, 1);
  EXPECT_EQ(wre_ProcessDispose(middle), 0);
  gEngineTick = 1;
  wre_ProcessListRun(1, 1);
  EXPECT_EQ(gCalls, (std::vector<int>{1, 3}));
}

TEST_F(ProcessTest, ExitWithoutDisposeLeavesNodesAllocatedAndFree) {
  ASSERT_EQ(wre_ProcessListInit(), 0);
  ProcessNode* a = Plain(CallA, 1);
  ProcessNode* b = Plain(CallB, 1);
  EXPECT_EQ(wre_ProcessListExit(0), 0);
  EXPECT_EQ(a->flags & kProcessOnList, 0);
  EXPECT_EQ(a->next, nullptr);
  EXPECT_EQ(b->prev, nullptr);
  // They can join a new list, and be disposed of on their own.
  ASSERT_EQ(wre_ProcessListInit(), 0);
  EXPECT_EQ(wre_ProcessListAdd(b, 1), 0);
  EXPECT_EQ(wre_ProcessDispose(a), 0);
  gEngineTick = 1;
  wre_ProcessListRun(1, 1);
  EXPECT_EQ(gCalls, (std::vector<int>{2}));
}

// Callbacks that change the list while it runs.
ProcessNode* gVictim = nullptr;
int gSelfCalls = 0;
void DisposeSelf(ProcessNode* node) {
  ++gSelfCalls;
  wre_ProcessDispose(node);
}
void RemoveSelf(ProcessNode* node) {
  ++gSelfCalls;
  wre_ProcessListRemove(node);
}
void DisposeVictim(ProcessNode*) {
  gCalls.push_back(9);
  if (gVictim) wre_ProcessDispose(gVictim);
  gVictim = nullptr;
}
void ExitList(ProcessNode*) {
  gCalls.push_back(8);
  wre_ProcessListExit(1);
}

TEST_F(ProcessTest, CallbackMayRemoveOrDisposeItsOwnNode) {
  ASSERT_EQ(wre_ProcessListInit(), 0);
  ProcessNode* gone = nullptr;
  ProcessNode* off = nullptr;
  ASSERT_EQ(wre_ProcessCreateWithSelf(DisposeSelf, &gone, 1), 0);
  ASSERT_EQ(wre_ProcessCreateWithSelf(RemoveSelf, &off, 1), 0);
  Plain(CallA, 1);
  gEngineTick = 5;
  wre_ProcessListRun(12, 1);
  EXPECT_EQ(gSelfCalls, 2);
  EXPECT_EQ(gCalls.size(), 5u);
  EXPECT_EQ(off->flags & kProcessOnList, 0);
  EXPECT_EQ(wre_ProcessDispose(off), 0);
}

TEST_F(ProcessTest, CallbackMayDisposeTheNodeAfterItOrTheWholeList) {
  ASSERT_EQ(wre_ProcessListInit(), 0);
  ProcessNode* killer = nullptr;
  ASSERT_EQ(wre_ProcessCreateWithSelf(DisposeVictim, &killer, 1), 0);
  gVictim = Plain(CallA, 1);  // next in line when the killer runs
  Plain(CallB, 1);
  gEngineTick = 2;
  wre_ProcessListRun(12, 1);
  EXPECT_EQ(gCalls, (std::vector<int>{9, 2, 9, 2}));

  gCalls.clear();
  ProcessNode* exiter = nullptr;
  ASSERT_EQ(wre_ProcessListAdd(nullptr, 1), kWreErrNull);
  ASSERT_EQ(wre_ProcessCreateWithSelf(ExitList, &exiter, 1), 0);
  ASSERT_EQ(wre_ProcessListRemove(exiter), 0);
  ASSERT_EQ(wre_ProcessListAdd(exiter, 0), 0);
  gEngineTick = 3;
  EXPECT_EQ(wre_ProcessListRun(12, 1), 0);
  EXPECT_EQ(gCalls, (std::vector<int>{8}));
  EXPECT_EQ(wre_ProcessListRun(12, 1), kProcessNotStarted);
}

}  // namespace
