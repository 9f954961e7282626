#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <cstdlib>
#include <stdexcept>

#include "engine/core/memory.h"
#include "platform/plat_system.h"
#include "platform/test/plat_system.h"

namespace {

class Memory : public ::testing::Test {
 protected:
  void SetUp() override { wre_MemoryInit(); }
};

TEST_F(Memory, BlocksAreAlignedForAnyRecord) {
  for (int32_t size : {1, 3, 4, 15, 16, 17, 100, 4097}) {
    void* block = wre_MemoryNew(size);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u) << size;
    EXPECT_EQ(wre_MemoryDispose(block), 0);
  }
}

TEST_F(Memory, NewRefusesEmptyNegativeAndHugeSizesAndANotReadyLayer) {
  EXPECT_EQ(wre_MemoryNew(0), nullptr);
  EXPECT_EQ(wre_MemoryNew(-5), nullptr);
  EXPECT_EQ(wre_MemoryNew(INT32_MAX), nullptr);
  ASSERT_EQ(wre_MemoryTerm(), 0);
  EXPECT_EQ(wre_MemoryTerm(), -1);
  EXPECT_EQ(wre_MemoryNew(8), nullptr);
}

TEST_F(Memory, DisposeRefusesWhatItDidNotHandOut) {
  EXPECT_EQ(wre_MemoryDispose(nullptr), -1);
  int onStack[8] = {};
  EXPECT_EQ(wre_MemoryDispose(&onStack[4]), -1);
  void* fromHeap = std::malloc(64);
  EXPECT_EQ(wre_MemoryDispose(static_cast<char*>(fromHeap) + 16), -1);
  std::free(fromHeap);

  void* block = wre_MemoryNew(32);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(wre_MemoryDispose(static_cast<char*>(block) + 4), -1);  // inside a block is not a block
  EXPECT_EQ(wre_MemoryDispose(block), 0);
  EXPECT_EQ(wre_MemoryDispose(block), -1);  // a second disposal reads nothing of the heap's
}

TEST_F(Memory, BlocksFromBeforeAShutDownCanStillBeGivenBack) {
  void* block = wre_MemoryNew(24);
  ASSERT_NE(block, nullptr);
  wre_MemoryTerm();
  EXPECT_EQ(wre_MemoryDispose(block), 0);
}

TEST_F(Memory, Fill16WritesPairsThenSinglesAndLeavesAnOddByte) {
  for (int32_t count : {4, 5, 8, 9}) {
    uint8_t bytes[12];
    std::fill(std::begin(bytes), std::end(bytes), 0xEE);
    wre_MemoryFill16(bytes, count, 0x1234);
    int32_t whole = count & ~1;
    for (int32_t i = 0; i < whole; i += 2) {
      uint16_t v;
      std::memcpy(&v, bytes + i, 2);
      EXPECT_EQ(v, 0x1234) << count << " at " << i;
    }
    for (int32_t i = whole; i < 12; ++i) EXPECT_EQ(bytes[i], 0xEE) << count << " at " << i;
  }
}

TEST_F(Memory, CopyAndClearIgnoreNullAndEmpty) {
  char a[4] = {'a', 'b', 'c', 'd'};
  char b[4] = {};
  wre_MemoryCopy(a, b, 0);
  wre_MemoryCopy(nullptr, b, 4);
  EXPECT_EQ(b[0], 0);
  wre_MemoryCopy(a, b, 4);
  EXPECT_EQ(std::string(b, 4), "abcd");
  wre_MemoryClear(b, 2);
  EXPECT_EQ(std::string(b, 4), std::string("\0\0cd", 4));
}

class RecordList : public Memory {
 protected:
  ListRecord* Make(int tag) {
    ListRecord* r = wre_RecordNew();
    r->item = reinterpret_cast<void*>(static_cast<uintptr_t>(tag));
    return r;
  }
  static int Tag(const ListRecord* r) { return static_cast<int>(reinterpret_cast<uintptr_t>(r->item)); }
  static std::string Walk(const ListRecord* head) {
    std::string s;
    for (; head; head = head->next) {
      s += std::to_string(Tag(head));
      if (head->next && head->next->prev != head) s += "!";
    }
    return s;
  }
};

TEST_F(RecordList, AppendPutsRecordsLastWithBackLinks) {
  ListRecord* head = nullptr;
  ListRecord* a = Make(1);
  ListRecord* b = Make(2);
  ListRecord* c = Make(3);
  EXPECT_EQ(wre_RecordListAppend(a, &head), 0);
  EXPECT_EQ(head, a);
  wre_RecordListAppend(b, &head);
  wre_RecordListAppend(c, &head);
  EXPECT_EQ(b->prev, a);
  EXPECT_EQ(Walk(head), "123");
  EXPECT_EQ(wre_RecordListAppend(nullptr, &head), -1);
  EXPECT_EQ(wre_RecordListAppend(a, nullptr), -1);
  for (ListRecord* r : {a, b, c}) wre_RecordDispose(r);
}

TEST_F(RecordList, RemovingHeadMiddleOrTailKeepsTheRest) {
  ListRecord* head = nullptr;
  ListRecord* r[4];
  for (int i = 0; i < 4; ++i) {
    r[i] = Make(i + 1);
    wre_RecordListAppend(r[i], &head);
  }
  // Through the head pointer: the head moves on to the next record.
  EXPECT_EQ(wre_RecordListRemove(r[0], &head), 0);
  EXPECT_EQ(head, r[1]);
  EXPECT_EQ(r[0]->prev, nullptr);
  EXPECT_EQ(r[0]->next, nullptr);
  EXPECT_EQ(Walk(head), "234");
  // A middle record: the head stays.
  wre_RecordListRemove(r[2], &head);
  EXPECT_EQ(Walk(head), "24");
  // Through a tail pointer: the tail moves back to prev.
  ListRecord* tail = r[3];
  wre_RecordListRemove(r[3], &tail);
  EXPECT_EQ(tail, r[1]);
  EXPECT_EQ(Walk(head), "2");
  // The last one: the owner empties.
  wre_RecordListRemove(r[1], &head);
  EXPECT_EQ(head, nullptr);
  EXPECT_EQ(wre_RecordListRemove(nullptr, &head), -1);
  for (ListRecord* x : r) wre_RecordDispose(x);
}

void* RefusingHeap(size_t) { return nullptr; }
[[noreturn]] void ThrowingTerminate(const char* message) { throw std::runtime_error(message); }

TEST(TrackedAllocDeathTest, ExhaustionEndsTheProgramWithOutOfMemory) {
  EXPECT_EXIT(
      {
        wre_MemorySetHeap(RefusingHeap);
        TrackedAlloc(16);
      },
      ::testing::ExitedWithCode(3), "Out of memory");
}

TEST(TrackedAllocDeathTest, AfterExhaustionFreeingLeavesTheHeapAlone) {
  EXPECT_EXIT(
      {
        void* block = TrackedAlloc(32);
        plat_SetTerminateHook(ThrowingTerminate);
        wre_MemorySetHeap(RefusingHeap);
        try {
          TrackedAlloc(16);
        } catch (const std::runtime_error&) {
        }
        // Freeing twice would abort in the C heap: after the mark nothing is freed at all.
        TrackedFree(block);
        TrackedFree(block);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(TrackedAlloc, GivesUsableBlocks) {
  auto* block = static_cast<char*>(TrackedAlloc(100));
  ASSERT_NE(block, nullptr);
  TrackedClear(block, 100);
  EXPECT_EQ(block[99], 0);
  TrackedFree(block);
  TrackedFree(nullptr);
}

}  // namespace
