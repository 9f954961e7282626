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
int32_t wre_RecordListRemove(ListRecord* record, ListRecord** owner);
