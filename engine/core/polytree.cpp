#include "engine/core/polytree.h"

#include <cstring>

#include "engine/core/maths.h"
#include "engine/core/memory.h"

namespace {

uint16_t* NewList(int32_t count) {
  if (count < 1) return nullptr;
  return static_cast<uint16_t*>(wre_MemoryNew(count * static_cast<int32_t>(sizeof(uint16_t))));
}

void SetWorldFromBox(PolyTreeNode* node) {
  std::memcpy(node->worldBox, node->box, sizeof(node->worldBox));
  Point4 centreHalf[2];
  wre_BoxCentreExtent(node->worldBox, centreHalf);
  node->centre = centreHalf[0];
  node->half = centreHalf[1];
}

void FreeNode(PolyTreeNode* node) {
  if (node->polygons) wre_MemoryDispose(node->polygons);
  wre_MemoryDispose(node);
}

// The next node of a depth-first walk (first child, then second child, then up), or null.
PolyTreeNode* NextNode(PolyTreeNode* node, const PolyTreeNode* root) {
  if (node->first) return node->first;
  if (node->second) return node->second;
  while (node != root) {
    PolyTreeNode* parent = node->parent;
    if (node == parent->first && parent->second) return parent->second;
    node = parent;
  }
  return nullptr;
}

}  // namespace

int32_t wre_PolyTreeNodeNew(PolyTreeNode** out) {
  if (!out) return kWreErrNull;
  auto* node = static_cast<PolyTreeNode*>(wre_MemoryNew(sizeof(PolyTreeNode)));
  *out = node;
  if (!node) return kWreErrNoMemory;
  std::memset(node, 0, sizeof(*node));
  return 0;
}

int32_t wre_PolyTreeNodeFromList(const uint16_t* indices, int32_t count, const EngineObject* object,
                                 PolyTreeNode** out) {
  if (!indices || !object || !out) return kWreErrNull;
  *out = nullptr;
  if (count < 1 || count > kPolyTreeMaxPolygons) return kWreErrRange;
  float bounds[6];
  wre_BoundsEmpty(bounds);
  for (int32_t i = 0; i < count; ++i) {
    const ObjectPolygon& polygon = object->polygons[indices[i]];
    for (uint16_t index : polygon.points) wre_BoundsGrow(bounds, object->localPoints[index]);
  }
  PolyTreeNode* node = nullptr;
  const int32_t result = wre_PolyTreeNodeNew(&node);
  if (result != 0) return result;
  node->polygons = NewList(count);
  if (!node->polygons) {
    wre_MemoryDispose(node);
    return kWreErrNoMemory;
  }
  std::memcpy(node->polygons, indices, static_cast<size_t>(count) * sizeof(uint16_t));
  node->polygonCount = static_cast<uint16_t>(count);
  wre_BoxFromBounds(bounds, node->box);
  SetWorldFromBox(node);
  *out = node;
  return 0;
}

int32_t wre_PolyTreeCollect(const uint16_t* indices, uint16_t* outList, int32_t count, int32_t* outCount,
                            const EngineObject* object, const Point4* box) {
  if (!indices || !outList || !outCount || !object || !box) return kWreErrNull;
  float bounds[6];
  wre_BoxBoundsOf8(box, bounds);
  int32_t found = 0;
  for (int32_t i = 0; i < count; ++i) {
    const ObjectPolygon& polygon = object->polygons[indices[i]];
    for (uint16_t index : polygon.points) {
      if (wre_BoxContainsPoint(&object->localPoints[index], bounds) == 1) {
        outList[found++] = indices[i];
        break;
      }
    }
  }
  *outCount = found;
  return 0;
}

int32_t wre_PolyTreeSplit(const EngineObject* object, PolyTreeNode* node, int32_t threshold) {
  if (!object || !node) return kWreErrNull;
  if (threshold < 1) return kWreErrRange;
  const int32_t capacity = node->polygonCount;
  if (capacity < 1) return 0;
  // Scratch for the two halves, and the nodes still to split: a node's children are split before
  // its later siblings (depth first, first child first), without recursion.
  uint16_t* firstHalf = NewList(capacity);
  uint16_t* secondHalf = NewList(capacity);
  auto** pending = static_cast<PolyTreeNode**>(wre_MemoryNew((capacity + 2) * static_cast<int32_t>(sizeof(void*))));
  int32_t result = 0;
  if (!firstHalf || !secondHalf || !pending) result = kWreErrNoMemory;
  int32_t depth = 0;
  if (result == 0) pending[depth++] = node;
  while (result == 0 && depth > 0) {
    PolyTreeNode* at = pending[--depth];
    const int32_t count = at->polygonCount;
    if (count < threshold) continue;
    const float mid = at->box[0].x + (at->box[1].x - at->box[0].x) * 0.5f;
    Point4 high[8];
    Point4 low[8];
    std::memcpy(high, at->box, sizeof(high));
    std::memcpy(low, at->box, sizeof(low));
    wre_BoxSetMinX(high, mid);
    wre_BoxSetMaxX(low, mid);
    int32_t firstCount = 0;
    int32_t secondCount = 0;
    wre_PolyTreeCollect(at->polygons, firstHalf, count, &firstCount, object, high);
    wre_PolyTreeCollect(at->polygons, secondHalf, count, &secondCount, object, low);
    if (firstCount == count || secondCount == count) continue;
    PolyTreeNode* children[2] = {nullptr, nullptr};
    if (firstCount > 0) result = wre_PolyTreeNodeFromList(firstHalf, firstCount, object, &children[0]);
    if (result == 0 && secondCount > 0) result = wre_PolyTreeNodeFromList(secondHalf, secondCount, object, &children[1]);
    for (PolyTreeNode* child : children) {
      if (child) child->parent = at;
    }
    at->first = children[0];
    at->second = children[1];
    if (result != 0) break;
    // Every child holds fewer polygons than its parent, so at most capacity + 1 nodes wait.
    if (children[1]) pending[depth++] = children[1];
    if (children[0]) pending[depth++] = children[0];
  }
  if (firstHalf) wre_MemoryDispose(firstHalf);
  if (secondHalf) wre_MemoryDispose(secondHalf);
  if (pending) wre_MemoryDispose(pending);
  return result;
}

int32_t wre_PolyTreePrune(PolyTreeNode** root) {
  if (!root) return kWreErrNull;
  for (PolyTreeNode* node = *root; node; node = NextNode(node, *root)) {
    if (node->first && node->second && node->polygons) {
      wre_MemoryDispose(node->polygons);
      node->polygons = nullptr;
      node->polygonCount = 0;
    }
  }
  return 0;
}

void wre_PolyTreeFree(PolyTreeNode* root) {
  // Children before parents, without recursion: descend to a leaf, free it, climb.
  PolyTreeNode* node = root;
  while (node) {
    if (node->first) {
      node = node->first;
      continue;
    }
    if (node->second) {
      node = node->second;
      continue;
    }
    PolyTreeNode* parent = node == root ? nullptr : node->parent;
    if (parent) {
      if (parent->first == node) {
        parent->first = nullptr;
      } else {
        parent->second = nullptr;
      }
    }
    FreeNode(node);
    node = parent;
  }
}

int32_t wre_ObjectFreePolyTree(EngineObject* object) {
  if (!object) return kWreErrNull;
  wre_PolyTreeFree(object->polyTree);
  object->polyTree = nullptr;
  return 0;
}

int32_t wre_ObjectBuildPolyTree(EngineObject* object, int32_t threshold) {
  if (!object) return kWreErrNull;
  if (object->rebuildLock) return 0;
  const int32_t count = object->polygonCount;
  if (count < 1 || threshold < 1 || count > kPolyTreeMaxPolygons || !object->polygons || !object->localPoints) {
    return kWreErrRange;
  }
  // A tree built before is given back first.
  wre_ObjectFreePolyTree(object);
  uint16_t* all = NewList(count);
  if (!all) return kWreErrNoMemory;
  for (int32_t i = 0; i < count; ++i) all[i] = static_cast<uint16_t>(i);
  PolyTreeNode* root = nullptr;
  int32_t result = wre_PolyTreeNodeFromList(all, count, object, &root);
  wre_MemoryDispose(all);
  if (result == 0) result = wre_PolyTreeSplit(object, root, threshold);
  if (result != 0) {
    // A partial tree would hide polygons from the queries; without a tree they try every polygon.
    wre_PolyTreeFree(root);
    return result;
  }
  wre_PolyTreePrune(&root);
  object->polyTree = root;
  if (!(object->renderFlags & kRenderStatic)) wre_ObjectUpdatePolyTree(object);
  return 0;
}

int32_t wre_ObjectUpdatePolyTree(EngineObject* object) {
  if (!object) return kWreErrNull;
  const Transform& t = object->transform;
  for (PolyTreeNode* node = object->polyTree; node; node = NextNode(node, object->polyTree)) {
    wre_PointsRotate(t.angleX, t.angleY, t.angleZ, 8, node->box, node->worldBox);
    wre_PointsTranslate(t.position[0], t.position[1], t.position[2], 8, node->worldBox, node->worldBox);
    Point4 centreHalf[2];
    wre_BoxCentreExtent(node->worldBox, centreHalf);
    node->centre = centreHalf[0];
    node->half = centreHalf[1];
  }
  return 0;
}
