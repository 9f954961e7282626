#include "engine/render/pools.h"

#include <climits>
#include <initializer_list>

#include "engine/core/memory.h"
#include "engine/render/polygon.h"

VisibleList gVisibleObjects{};
VertexScratch gVertexScratch{};

namespace {

// Bytes for count entries of size each, or -1 when the product does not fit the allocator.
int32_t BlockBytes(int32_t count, size_t size) {
  if (count < 0) return -1;
  const int64_t bytes = static_cast<int64_t>(count) * static_cast<int64_t>(size);
  if (bytes > INT_MAX - 64) return -1;
  return static_cast<int32_t>(bytes);
}

void* NewBlock(int32_t count, size_t size) {
  const int32_t bytes = BlockBytes(count, size);
  if (bytes <= 0) return nullptr;
  return wre_MemoryNew(bytes);
}

void InitQueue(PolyQueue* queue, PolygonRecord* base) {
  queue->base = base;
  queue->write = base;
  queue->count = 0;
}

}  // namespace

int32_t wre_VisibleListInit(int32_t capacity) {
  if (capacity < 1) return -1;
  // A second start replaces the array rather than losing it.
  if (gVisibleObjects.entries) wre_VisibleListFree();
  auto* entries = static_cast<EngineObject**>(NewBlock(capacity, sizeof(EngineObject*)));
  if (!entries) return -1;
  gVisibleObjects = VisibleList{entries, 0, capacity};
  return 0;
}

int32_t wre_VisibleListFree() {
  if (gVisibleObjects.capacity < 1) return -1;
  if (gVisibleObjects.entries) wre_MemoryDispose(gVisibleObjects.entries);
  gVisibleObjects = VisibleList{};
  return 0;
}

int32_t wre_VertexScratchInit(int32_t capacity) {
  if (BlockBytes(capacity, sizeof(Point4)) < 0) return -1;
  if (gVertexScratch.points) wre_VertexScratchFree();
  auto* points = static_cast<Point4*>(NewBlock(capacity, sizeof(Point4)));
  if (!points) return -1;
  gVertexScratch = VertexScratch{points, 0, capacity};
  return 0;
}

int32_t wre_VertexScratchFree() {
  if (gVertexScratch.points) wre_MemoryDispose(gVertexScratch.points);
  gVertexScratch = VertexScratch{};
  return 0;
}

int32_t wre_PolyQueuesInit(int32_t capacity) {
  if (capacity < 1) return -1;
  if (gPolyQueueCapacity >= 1) wre_PolyQueuesFree();
  gPolyQueueCapacity = capacity;
  auto* opaque = static_cast<PolygonRecord*>(NewBlock(capacity, sizeof(PolygonRecord)));
  InitQueue(&gPolyQueueOpaque, opaque);
  if (!opaque) return -1;
  auto* keyed = static_cast<PolygonRecord*>(NewBlock(capacity, sizeof(PolygonRecord)));
  InitQueue(&gPolyQueueKeyed, keyed);
  if (!keyed) return -1;
  auto* translucent = static_cast<PolygonRecord*>(NewBlock(capacity, sizeof(PolygonRecord)));
  InitQueue(&gPolyQueueTranslucent, translucent);
  if (!translucent) return kWreErrNoMemory;
  gPolyPointerList.entries = static_cast<ObjectPolygon**>(NewBlock(capacity, sizeof(ObjectPolygon*)));
  gPolyPointerList.count = 0;
  if (!gPolyPointerList.entries) return -1;
  return 0;
}

int32_t wre_PolyQueuesFree() {
  if (gPolyQueueCapacity < 1) return -1;
  for (PolyQueue* queue : {&gPolyQueueOpaque, &gPolyQueueKeyed, &gPolyQueueTranslucent}) {
    if (queue->base) wre_MemoryDispose(queue->base);
    *queue = PolyQueue{};
  }
  if (gPolyPointerList.entries) wre_MemoryDispose(gPolyPointerList.entries);
  gPolyPointerList = PolyPointerList{};
  gPolyQueueCapacity = 0;
  return 0;
}
