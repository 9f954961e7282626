// The renderer's pools, sized once by the 3D start-up: the per-frame visible-object array, the
// transformed-point scratch of the object in hand and the polygon queues with their pointer list.
#pragma once
#include <cstdint>

#include "engine/core/object.h"
#include "engine/core/wre_types.h"

struct VisibleList {
  EngineObject** entries;
  int32_t count;
  int32_t capacity;  // at most capacity - 1 entries are used
};

struct VertexScratch {
  Point4* points;
  int32_t count;
  int32_t capacity;
};

extern VisibleList gVisibleObjects;
extern VertexScratch gVertexScratch;

// 0, or -1 when the block is not obtained (or the capacity is below 1).
int32_t wre_VisibleListInit(int32_t capacity);
// -1 when there is none.
int32_t wre_VisibleListFree();
// 0, or -1 when the size is negative or too large, or the block is not obtained.
int32_t wre_VertexScratchInit(int32_t capacity);
int32_t wre_VertexScratchFree();
// Three queues of capacity records (opaque, keyed, translucent) and capacity record pointers.
// -1 for a capacity below 1 or when the first, second or fourth block fails; -5000 when the third
// fails. Blocks obtained stay held until wre_PolyQueuesFree.
int32_t wre_PolyQueuesInit(int32_t capacity);
// Frees whichever blocks exist; -1 when the capacity is below 1.
int32_t wre_PolyQueuesFree();
