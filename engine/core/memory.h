// Memory layer: tagged engine blocks, the tracked allocator and small record helpers.
#pragma once
#include <cstddef>
#include <cstdint>

// Tagged blocks: the engine's general allocator. Exhaustion is reported as null.
int32_t wre_MemoryInit();
int32_t wre_MemoryTerm();
void* wre_MemoryNew(int32_t size);
int32_t wre_MemoryDispose(void* block);

int32_t wre_MemoryClear(void* destination, int32_t count);
void wre_MemoryCopy(const void* source, void* destination, int32_t count);
void wre_MemoryFill16(void* destination, int32_t count, uint16_t value);
void wre_EmptyHook(void* unused);

// Tracked allocator: exhaustion ends the program through the fatal path with "Out of memory".
void* TrackedAlloc(int32_t size);
void TrackedFree(void* block);
void TrackedClear(void* destination, int32_t count);

// The heap under both allocators; tests install a refusing one to reach the exhaustion paths.
using WreHeapAlloc = void* (*)(size_t size);
void wre_MemorySetHeap(WreHeapAlloc allocate);

// A small doubly linked list of records, each holding one item pointer.
struct ListRecord {
  ListRecord* prev;
  ListRecord* next;
  void* item;
};

ListRecord* wre_RecordNew();
void wre_RecordDispose(ListRecord* record);
int32_t wre_RecordListAppend(ListRecord* record, ListRecord** head);

// The links the append below has followed, all lists together: a plain count (no lock), since every
// list append in the engine passes here. Read only through engine/core/test/list_links.h.
extern int64_t gRecordListLinksWalked;

// Links the item at the end of the list at head through its prev and next members, its own links
// cleared first: the one append walk every list of records in the engine goes through.
template <typename T>
void wre_RecordListAppend(T* item, T** head, T* T::*prev, T* T::*next) {
  item->*prev = nullptr;
  item->*next = nullptr;
  if (!*head) {
    *head = item;
    return;
  }
  T* last = *head;
  while (last->*next) {
    last = last->*next;
    ++gRecordListLinksWalked;
  }
  last->*next = item;
  item->*prev = last;
}

// A zero-filled engine block of count records; null for a count below 1, a size beyond the
// allocator's reach, or when memory runs out.
template <typename T>
T* wre_MemoryNewArray(int32_t count) {
  const int64_t bytes = static_cast<int64_t>(count) * static_cast<int64_t>(sizeof(T));
  if (count < 1 || bytes > INT32_MAX) return nullptr;
  void* block = wre_MemoryNew(static_cast<int32_t>(bytes));
  if (block) wre_MemoryClear(block, static_cast<int32_t>(bytes));
  return static_cast<T*>(block);
}

// Gives an engine block back (null is passed over) and forgets it.
template <typename T>
void wre_MemoryRelease(T*& block) {
  if (block) wre_MemoryDispose(block);
  block = nullptr;
}
int32_t wre_RecordListRemove(ListRecord* record, ListRecord** owner);
