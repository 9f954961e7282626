#include "engine/core/memory.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_set>

#include "engine/core/fatal.h"
#include "engine/core/test/census.h"
#include "engine/core/test/list_links.h"

namespace {

constexpr int32_t kBlockTag = 2146;

// A tagged block starts with this header, so the caller's bytes stay 16-byte aligned on every
// machine; the tag word sits right in front of the caller's bytes.
struct alignas(16) BlockHeader {
  int32_t size;
  int32_t reserved[2];
  int32_t tag;
};
static_assert(sizeof(BlockHeader) == 16);

bool gMemoryReady = false;
bool gTrackedOutOfMemory = false;
WreHeapAlloc gHeapAlloc = nullptr;

// Every live tagged block, so that disposal never reads memory the layer does not own.
std::unordered_set<const void*>& LiveBlocks() {
  static auto* blocks = new std::unordered_set<const void*>();
  return *blocks;
}

void* HeapAlloc(size_t size) {
  if (gHeapAlloc) return gHeapAlloc(size);
  return std::malloc(size);
}

}  // namespace

int32_t wre_MemoryInit() {
  gMemoryReady = true;
  return 0;
}

int32_t wre_MemoryTerm() {
  if (!gMemoryReady) return -1;
  gMemoryReady = false;
  return 0;
}

void wre_MemorySetHeap(WreHeapAlloc allocate) { gHeapAlloc = allocate; }

int32_t wre_TestLiveBlockCount() { return static_cast<int32_t>(LiveBlocks().size()); }

void* wre_MemoryNew(int32_t size) {
  if (!gMemoryReady || size < 1 || size > INT_MAX - static_cast<int32_t>(sizeof(BlockHeader))) {
    return nullptr;
  }
  auto* header = static_cast<BlockHeader*>(HeapAlloc(sizeof(BlockHeader) + static_cast<size_t>(size)));
  if (!header) return nullptr;
  void* block = header + 1;
  try {
    LiveBlocks().insert(block);
  } catch (const std::bad_alloc&) {
    std::free(header);
    return nullptr;
  }
  header->size = size;
  header->reserved[0] = header->reserved[1] = 0;
  header->tag = kBlockTag;
  return block;
}

int32_t wre_MemoryDispose(void* block) {
  // A block the layer handed out may be given back at any time, also after the layer was stopped
  // (records released after shut-down would otherwise leak); anything else is refused unread.
  if (!block) return -1;
  auto& live = LiveBlocks();
  auto it = live.find(block);
  if (it == live.end()) return -1;
  auto* header = static_cast<BlockHeader*>(block) - 1;
  if (header->tag != kBlockTag) return -1;
  header->tag = 0;
  live.erase(it);
  std::free(header);
  return 0;
}

int32_t wre_MemoryClear(void* destination, int32_t count) {
  if (destination && count > 0) std::memset(destination, 0, static_cast<size_t>(count));
  return 0;
}

void wre_MemoryCopy(const void* source, void* destination, int32_t count) {
  if (source && destination && count >= 1) std::memmove(destination, source, static_cast<size_t>(count));
}

void wre_MemoryFill16(void* destination, int32_t count, uint16_t value) {
  if (!destination) return;
  auto* out = static_cast<unsigned char*>(destination);
  unsigned char bytes[2];
  std::memcpy(bytes, &value, 2);
  int32_t left = count;
  while (left > 4) {
    std::memcpy(out, bytes, 2);
    std::memcpy(out + 2, bytes, 2);
    out += 4;
    left -= 4;
  }
  while (left >= 2) {
    std::memcpy(out, bytes, 2);
    out += 2;
    left -= 2;
  }
}

void wre_EmptyHook(void*) {}

void* TrackedAlloc(int32_t size) {
  void* block = nullptr;
  if (size >= 0 && size <= INT_MAX - 4) block = HeapAlloc(static_cast<size_t>(size) + 4);
  if (!block) {
    gTrackedOutOfMemory = true;
    wre_SystemFatalError("Out of memory");
  }
  return block;
}

void TrackedFree(void* block) {
  // Once the heap has refused, the program is on its way out: leave the heap alone.
  if (!block || gTrackedOutOfMemory) return;
  std::free(block);
}

void TrackedClear(void* destination, int32_t count) {
  if (destination && count > 0) std::memset(destination, 0, static_cast<size_t>(count));
}

int64_t gRecordListLinksWalked = 0;

int64_t wre_TestListLinksWalked() { return gRecordListLinksWalked; }

ListRecord* wre_RecordNew() {
  auto* record = static_cast<ListRecord*>(wre_MemoryNew(sizeof(ListRecord)));
  if (record) *record = ListRecord{};
  return record;
}

void wre_RecordDispose(ListRecord* record) {
  if (record) wre_MemoryDispose(record);
}

int32_t wre_RecordListAppend(ListRecord* record, ListRecord** head) {
  if (!record || !head) return -1;
  wre_RecordListAppend(record, head, &ListRecord::prev, &ListRecord::next);
  return 0;
}

int32_t wre_RecordListRemove(ListRecord* record, ListRecord** owner) {
  if (!record) return -1;
  ListRecord* prev = record->prev;
  ListRecord* next = record->next;
  if (prev) prev->next = next;
  if (next) next->prev = prev;
  // An owner that holds the list's tail moves back to prev; one that holds the head (no prev) moves
  // on to next, so removing the first record never loses the rest of the list.
  if (owner && *owner == record) *owner = prev ? prev : next;
  record->prev = nullptr;
  record->next = nullptr;
  return 0;
}
