#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <random>
#include <set>
#include <vector>

#include "engine/core/polytree.h"
#include "object_test_support.h"

namespace {

using object_test::BlockWatch;
using object_test::EngineTest;

class PolyTreeTest : public EngineTest {};

struct Bounds {
  double lo[3];
  double hi[3];
};

Bounds WorldBoundsOf(const PolyTreeNode* node) {
  float b[6];
  wre_BoxBoundsOf8(node->worldBox, b);
  return Bounds{{b[0], b[2], b[4]}, {b[1], b[3], b[5]}};
}

Bounds PolygonBounds(const EngineObject* object, int polygon) {
  Bounds b{{1e300, 1e300, 1e300}, {-1e300, -1e300, -1e300}};
  for (uint16_t index : object->polygons[polygon].points) {
    const Point4& p = object->worldPoints[index];
    const double v[3] = {p.x, p.y, p.z};
    for (int a = 0; a < 3; ++a) {
      b.lo[a] = std::min(b.lo[a], v[a]);
      b.hi[a] = std::max(b.hi[a], v[a]);
    }
  }
  return b;
}

bool Overlap(const Bounds& a, const Bounds& b) {
  for (int i = 0; i < 3; ++i) {
    if (a.hi[i] < b.lo[i] || b.hi[i] < a.lo[i]) return false;
  }
  return true;
}

struct Segment {
  double from[3];
  double to[3];
};

// Slab test, widened a little so that it never refuses a box the segment grazes.
bool SegmentMeetsBox(const Segment& s, const Bounds& box) {
  double t0 = 0.0, t1 = 1.0;
  for (int a = 0; a < 3; ++a) {
    const double margin = 1e-4 * (1.0 + std::fabs(box.lo[a]) + std::fabs(box.hi[a]));
    const double lo = box.lo[a] - margin, hi = box.hi[a] + margin;
    const double d = s.to[a] - s.from[a];
    if (d == 0.0) {
      if (s.from[a] < lo || s.from[a] > hi) return false;
      continue;
    }
    double ta = (lo - s.from[a]) / d, tb = (hi - s.from[a]) / d;
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
    if (t0 > t1) return false;
  }
  return true;
}

bool SegmentHitsTriangle(const Segment& s, const EngineObject* object, int polygon) {
  double v[3][3];
  for (int k = 0; k < 3; ++k) {
    const Point4& p = object->worldPoints[object->polygons[polygon].points[k]];
    v[k][0] = p.x;
    v[k][1] = p.y;
    v[k][2] = p.z;
  }
  double d[3], e1[3], e2[3], h[3], q[3], w[3];
  for (int a = 0; a < 3; ++a) {
    d[a] = s.to[a] - s.from[a];
    e1[a] = v[1][a] - v[0][a];
    e2[a] = v[2][a] - v[0][a];
    w[a] = s.from[a] - v[0][a];
  }
  const auto cross = [](const double* x, const double* y, double* out) {
    out[0] = x[1] * y[2] - x[2] * y[1];
    out[1] = x[2] * y[0] - x[0] * y[2];
    out[2] = x[0] * y[1] - x[1] * y[0];
  };
  const auto dot = [](const double* x, const double* y) { return x[0] * y[0] + x[1] * y[1] + x[2] * y[2]; };
  cross(d, e2, h);
  const double det = dot(e1, h);
  if (std::fabs(det) < 1e-12) return false;
  const double u = dot(w, h) / det;
  if (u < 0.0 || u > 1.0) return false;
  cross(w, e1, q);
  const double vv = dot(d, q) / det;
  if (vv < 0.0 || u + vv > 1.0) return false;
  const double t = dot(e2, q) / det;
  return t >= 0.0 && t <= 1.0;
}

// Walks the tree into every node a test admits and tries the polygons of the leaves it reaches.
template <typename NodeTest, typename PolygonTest>
std::set<int> ThroughTree(const EngineObject* object, NodeTest nodeTest, PolygonTest polygonTest) {
  std::set<int> found;
  std::vector<const PolyTreeNode*> stack{object->polyTree};
  while (!stack.empty()) {
    const PolyTreeNode* node = stack.back();
    stack.pop_back();
    if (!nodeTest(WorldBoundsOf(node))) continue;
    for (int i = 0; i < node->polygonCount; ++i) {
      if (polygonTest(node->polygons[i])) found.insert(node->polygons[i]);
    }
    if (node->second) stack.push_back(node->second);
    if (node->first) stack.push_back(node->first);
  }
  return found;
}

template <typename PolygonTest>
std::set<int> BruteForce(const EngineObject* object, PolygonTest polygonTest) {
  std::set<int> found;
  for (int i = 0; i < object->polygonCount; ++i) {
    if (polygonTest(i)) found.insert(i);
  }
  return found;
}

// Checks the shape of the tree: inner nodes have two children and no list, every polygon sits in
// a leaf, and a leaf's box holds its polygons. Returns the number of nodes.
int CheckShape(const EngineObject* object) {
  std::vector<int> seen(static_cast<size_t>(object->polygonCount), 0);
  std::vector<const PolyTreeNode*> stack{object->polyTree};
  int nodes = 0;
  while (!stack.empty()) {
    const PolyTreeNode* node = stack.back();
    stack.pop_back();
    ++nodes;
    const bool inner = node->first || node->second;
    if (inner) {
      EXPECT_TRUE(node->first && node->second);
      EXPECT_EQ(node->polygonCount, 0);
      EXPECT_EQ(node->polygons, nullptr);
      for (const PolyTreeNode* child : {node->first, node->second}) {
        if (!child) continue;
        EXPECT_EQ(child->parent, node);
        stack.push_back(child);
      }
      continue;
    }
    EXPECT_GT(node->polygonCount, 0);
    float b[6];
    wre_BoxBoundsOf8(node->box, b);
    for (int i = 0; i < node->polygonCount; ++i) {
      const int polygon = node->polygons[i];
      ++seen[static_cast<size_t>(polygon)];
      for (uint16_t index : object->polygons[polygon].points) {
        EXPECT_EQ(wre_BoxContainsPoint(&object->localPoints[index], b), 1);
      }
    }
  }
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_GE(seen[i], 1) << "polygon " << i << " is in no leaf";
  return nodes;
}

EngineObject* RandomMesh(std::mt19937& random, int polygons) {
  std::uniform_real_distribution<float> place(-60.0f, 60.0f);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::uniform_real_distribution<float> size(0.05f, 1.0f);
  EngineObject* object = wre_ObjectNew(kObjectMesh, polygons, 3 * polygons, 0, 0, 0);
  if (!object) return nullptr;
  for (int i = 0; i < polygons; ++i) {
    // Mostly small triangles, some long ones that cross many split planes.
    const float scale = (i % 7 == 0) ? 40.0f * size(random) : 6.0f * size(random);
    const float cx = place(random), cy = place(random) * 0.3f, cz = place(random);
    int index[3];
    for (int k = 0; k < 3; ++k) {
      index[k] = wre_ObjectAddPoint(object, cx + scale * unit(random), cy + scale * unit(random),
                                    cz + scale * unit(random), 0);
    }
    wre_ObjectAddPoly(object, 0, -1, kPolyPlain, index[0], index[1], index[2], nullptr, nullptr, nullptr, 0);
  }
  return object;
}

TEST_F(PolyTreeTest, QueriesThroughTheTreeMatchBruteForce) {
  std::mt19937 random(20261209);
  std::uniform_real_distribution<float> place(-70.0f, 70.0f);
  std::uniform_real_distribution<float> extent(0.0f, 25.0f);
  std::uniform_int_distribution<int> angle(-4096, 4096);
  int split = 0;
  for (int mesh = 0; mesh < 30; ++mesh) {
    const int polygons = 10 + static_cast<int>(random() % 400);
    EngineObject* object = RandomMesh(random, polygons);
    ASSERT_NE(object, nullptr);
    const int threshold = 1 + static_cast<int>(random() % 6);
    wre_ObjectSetTransform(object, angle(random), angle(random), angle(random), place(random), place(random),
                           place(random));
    wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
    ASSERT_EQ(wre_ObjectBuildPolyTree(object, threshold), 0);
    wre_ObjectUpdate(object, 1, 1);
    ASSERT_NE(object->polyTree, nullptr);
    if (CheckShape(object) > 1) ++split;

    for (int query = 0; query < 60; ++query) {
      const double c[3] = {place(random), place(random) * 0.5f, place(random)};
      const double e[3] = {extent(random), extent(random), extent(random)};
      const Bounds box{{c[0] - e[0], c[1] - e[1], c[2] - e[2]}, {c[0] + e[0], c[1] + e[1], c[2] + e[2]}};
      const auto polygonInBox = [&](int p) { return Overlap(PolygonBounds(object, p), box); };
      EXPECT_EQ(ThroughTree(object, [&](const Bounds& b) { return Overlap(b, box); }, polygonInBox),
                BruteForce(object, polygonInBox))
          << "mesh " << mesh << " box query " << query;

      const Segment segment{{place(random), place(random), place(random)},
                            {place(random), place(random), place(random)}};
      const auto polygonHit = [&](int p) { return SegmentHitsTriangle(segment, object, p); };
      EXPECT_EQ(ThroughTree(object, [&](const Bounds& b) { return SegmentMeetsBox(segment, b); }, polygonHit),
                BruteForce(object, polygonHit))
          << "mesh " << mesh << " segment query " << query;
    }
    wre_ObjectDispose(object);
  }
  // The meshes are meant to be split, not answered from a single leaf.
  EXPECT_GT(split, 25);
}

TEST_F(PolyTreeTest, WorldBoxesFollowTheObject) {
  std::mt19937 random(7);
  EngineObject* object = RandomMesh(random, 50);
  ASSERT_NE(object, nullptr);
  wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  ASSERT_EQ(wre_ObjectBuildPolyTree(object, 2), 0);
  wre_ObjectSetTransform(object, 0, 0, 0, 100, -20, 5);
  wre_ObjectUpdate(object, 0, 0);
  const PolyTreeNode* root = object->polyTree;
  for (int i = 0; i < 8; ++i) {
    EXPECT_FLOAT_EQ(root->worldBox[i].x, root->box[i].x + 100);
    EXPECT_FLOAT_EQ(root->worldBox[i].y, root->box[i].y - 20);
  }
  float b[6];
  wre_BoxBoundsOf8(root->worldBox, b);
  EXPECT_NEAR(root->centre.x, (b[0] + b[1]) * 0.5f, 1e-4f);
  EXPECT_NEAR(root->half.z, (b[5] - b[4]) * 0.5f, 1e-4f);
  wre_ObjectDispose(object);

  // A static object's world boxes stay its boxes.
  std::mt19937 again(7);
  EngineObject* fixed = RandomMesh(again, 50);
  fixed->kind = kObjectStatic;
  wre_ObjectRecalc(fixed, 0, 1, 1, 1, 1);
  ASSERT_EQ(wre_ObjectBuildPolyTree(fixed, 2), 0);
  wre_ObjectSetTransform(fixed, 0, 0, 0, 100, -20, 5);
  wre_ObjectUpdate(fixed, 0, 0);
  EXPECT_EQ(fixed->polyTree->worldBox[3].x, fixed->polyTree->box[3].x);
  wre_ObjectDispose(fixed);
}

EngineObject* MeshOf(const std::vector<std::array<float, 9>>& triangles) {
  const int n = static_cast<int>(triangles.size());
  EngineObject* object = wre_ObjectNew(kObjectMesh, n, 3 * n, 0, 0, 0);
  for (const auto& t : triangles) {
    int index[3];
    for (int k = 0; k < 3; ++k) index[k] = wre_ObjectAddPoint(object, t[3 * k], t[3 * k + 1], t[3 * k + 2], 1);
    wre_ObjectAddPoly(object, 0, -1, kPolyPlain, index[0], index[1], index[2], nullptr, nullptr, nullptr, 0);
  }
  return object;
}

TEST_F(PolyTreeTest, NodesThatCannotBeSplitStayLeaves) {
  // Fewer polygons than the threshold: one root with the whole list.
  EngineObject* small = MeshOf({{0, 0, 0, 1, 0, 0, 0, 0, 1}, {5, 0, 0, 6, 0, 0, 5, 0, 1}});
  ASSERT_EQ(wre_ObjectBuildPolyTree(small, 3), 0);
  EXPECT_EQ(small->polyTree->first, nullptr);
  EXPECT_EQ(small->polyTree->polygonCount, 2);
  // The same two split apart with a lower threshold, one in each half.
  ASSERT_EQ(wre_ObjectBuildPolyTree(small, 2), 0);
  ASSERT_NE(small->polyTree->first, nullptr);
  EXPECT_EQ(small->polyTree->first->polygons[0], 1);
  EXPECT_EQ(small->polyTree->second->polygons[0], 0);
  EXPECT_EQ(small->polyTree->polygonCount, 0);
  wre_ObjectDispose(small);

  // A strip whose triangles all cross the middle.
  EngineObject* strip = MeshOf({{-5, 0, 0, 5, 0, 0, 5, 0, 1}, {-5, 0, 0, 5, 0, 1, -5, 0, 1}});
  ASSERT_EQ(wre_ObjectBuildPolyTree(strip, 1), 0);
  EXPECT_EQ(strip->polyTree->first, nullptr);
  EXPECT_EQ(strip->polyTree->polygonCount, 2);
  wre_ObjectDispose(strip);

  // A flat mesh in the y-z plane has no x extent to split.
  EngineObject* wall = MeshOf({{0, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 5, 5, 0, 6, 5, 0, 5, 6}, {0, 9, 9, 0, 8, 9, 0, 9, 8}});
  ASSERT_EQ(wre_ObjectBuildPolyTree(wall, 1), 0);
  EXPECT_EQ(wall->polyTree->first, nullptr);
  EXPECT_EQ(wall->polyTree->polygonCount, 3);
  wre_ObjectDispose(wall);
}

TEST_F(PolyTreeTest, BuildChecksAndReplacesTheTree) {
  BlockWatch watch;
  EXPECT_EQ(wre_ObjectBuildPolyTree(nullptr, 2), kWreErrNull);
  EXPECT_EQ(wre_ObjectFreePolyTree(nullptr), kWreErrNull);
  EngineObject* empty = wre_ObjectNew(kObjectMesh, 1, 3, 0, 0, 0);
  EXPECT_EQ(wre_ObjectBuildPolyTree(empty, 2), kWreErrRange);
  wre_ObjectDispose(empty);

  std::mt19937 random(3);
  EngineObject* object = RandomMesh(random, 40);
  EXPECT_EQ(wre_ObjectBuildPolyTree(object, 0), kWreErrRange);
  object->rebuildLock = 1;
  EXPECT_EQ(wre_ObjectBuildPolyTree(object, 2), 0);
  EXPECT_EQ(object->polyTree, nullptr);
  object->rebuildLock = 0;
  // Building again, or recalculating with the tree flag, gives the old tree back (LeakSanitizer).
  ASSERT_EQ(wre_ObjectBuildPolyTree(object, 2), 0);
  ASSERT_EQ(wre_ObjectBuildPolyTree(object, 4), 0);
  object->creationFlags |= kObjectBuildTree;
  wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  EXPECT_NE(object->polyTree, nullptr);
  EXPECT_EQ(wre_ObjectFreePolyTree(object), 0);
  EXPECT_EQ(object->polyTree, nullptr);
  const uint16_t list[1] = {0};
  PolyTreeNode* node = nullptr;
  EXPECT_EQ(wre_PolyTreeNodeFromList(list, 0, object, &node), kWreErrRange);
  EXPECT_EQ(wre_PolyTreeNodeFromList(nullptr, 1, object, &node), kWreErrNull);
  ASSERT_EQ(wre_PolyTreeNodeFromList(list, 1, object, &node), 0);
  EXPECT_EQ(node->polygonCount, 1);
  wre_PolyTreeFree(node);
  wre_ObjectDispose(object);
  EXPECT_EQ(watch.Left(), 0);

  EXPECT_EQ(wre_PolyTreeNodeNew(nullptr), kWreErrNull);
  ASSERT_EQ(wre_PolyTreeNodeNew(&node), 0);
  EXPECT_EQ(node->polygonCount, 0);
  EXPECT_EQ(node->first, nullptr);
  wre_PolyTreeFree(node);
}

TEST_F(PolyTreeTest, MoreThanSixteenBitsOfPolygonsIsRefused) {
  EngineObject* object = wre_ObjectNew(kObjectMesh, 65536, 3, 0, 0, 0);
  ASSERT_NE(object, nullptr);
  for (int i = 0; i < 3; ++i) wre_ObjectAddPoint(object, static_cast<float>(i), 0, static_cast<float>(i % 2), 0);
  for (int i = 0; i < 65536; ++i) {
    ASSERT_EQ(wre_ObjectAddPoly(object, 0, -1, kPolyPlain, 0, 1, 2, nullptr, nullptr, nullptr, 0), 0);
  }
  EXPECT_EQ(wre_ObjectBuildPolyTree(object, 2), kWreErrRange);
  EXPECT_EQ(object->polyTree, nullptr);
  object->polygonCount = 65535;
  EXPECT_EQ(wre_ObjectBuildPolyTree(object, 2), 0);
  EXPECT_EQ(object->polyTree->polygonCount, 65535);
  wre_ObjectDispose(object);
}

int gBlocksLeft = 0;
void* LimitedAlloc(size_t size) {
  if (gBlocksLeft <= 0) return nullptr;
  --gBlocksLeft;
  return object_test::WatchedAlloc(size);
}

TEST_F(PolyTreeTest, RunningOutOfMemoryLeavesNoPartialTree) {
  BlockWatch watch;
  std::mt19937 random(11);
  EngineObject* object = RandomMesh(random, 200);
  wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  int failures = 0;
  for (int allowed = 0; allowed < 400; allowed += 7) {
    gBlocksLeft = allowed;
    wre_MemorySetHeap(&LimitedAlloc);
    const int32_t result = wre_ObjectBuildPolyTree(object, 2);
    wre_MemorySetHeap(nullptr);
    if (result == 0) {
      ASSERT_NE(object->polyTree, nullptr);
      CheckShape(object);
    } else {
      ++failures;
      EXPECT_EQ(result, kWreErrNoMemory);
      EXPECT_EQ(object->polyTree, nullptr);
    }
  }
  EXPECT_GT(failures, 3);
  wre_ObjectDispose(object);
  EXPECT_EQ(watch.Left(), 0);
}

}  // namespace
