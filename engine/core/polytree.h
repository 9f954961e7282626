// Polygon box trees: axis-aligned boxes over a mesh's polygons, so that a sweep reaches only the
// few polygons near it. Every split halves a node's box along x; only leaves keep polygon lists.
#pragma once
#include <cstdint>

#include "engine/core/object.h"

struct PolyTreeNode {
  Point4 box[8];       // in the object's local frame, in the box corner order
  Point4 worldBox[8];  // the box turned and moved with the object by each update
  Point4 centre;       // of the world box
  Point4 half;         // half-size of the world box
  uint16_t polygonCount;
  uint16_t* polygons;  // owned; leaves only
  PolyTreeNode* first;   // the half at higher x
  PolyTreeNode* second;  // the half at lower x
  PolyTreeNode* parent;
};

// The largest polygon count a tree can index.
constexpr int32_t kPolyTreeMaxPolygons = 65535;

// Replaces the object's tree; on failure the object is left without one. -1010 for no polygons,
// more than kPolyTreeMaxPolygons or a threshold below 1.
int32_t wre_ObjectBuildPolyTree(EngineObject* object, int32_t threshold);
int32_t wre_ObjectFreePolyTree(EngineObject* object);
int32_t wre_PolyTreeNodeNew(PolyTreeNode** out);
int32_t wre_PolyTreeNodeFromList(const uint16_t* indices, int32_t count, const EngineObject* object,
                                 PolyTreeNode** out);
// Every listed polygon with at least one point inside the box (edges included).
int32_t wre_PolyTreeCollect(const uint16_t* indices, uint16_t* outList, int32_t count, int32_t* outCount,
                            const EngineObject* object, const Point4* box);
// Splits the node and, depth first, its children.
int32_t wre_PolyTreeSplit(const EngineObject* object, PolyTreeNode* node, int32_t threshold);
// Frees the lists of every node that has two children.
int32_t wre_PolyTreePrune(PolyTreeNode** root);
// Frees a whole subtree.
void wre_PolyTreeFree(PolyTreeNode* root);
// World boxes of every node: the box turned by the object's angles and moved by its position.
int32_t wre_ObjectUpdatePolyTree(EngineObject* object);
