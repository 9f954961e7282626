// Shared set-up for the tests of maths, transforms, objects, box trees and detail groups.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "platform/plat_system.h"
#include "platform/test/plat_system.h"

namespace object_test {

struct FatalExit : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] inline void ThrowOnExit(const char* message) { throw FatalExit(message ? message : ""); }

inline int32_t gRendererKind = 0;
inline int32_t SoftwareKind() { return gRendererKind; }

// Records every engine block handed out while it is installed; Left() counts (and frees) those
// still live. LeakSanitizer cannot see a lost engine block: the memory layer's registry of live
// blocks keeps it reachable. The heap hook sees the block's 16-byte header, the caller's bytes
// follow it.
inline std::set<void*>* gWatched = nullptr;
inline int gRefuseAt = 0;  // the allocation, counted from 1, that the heap refuses; 0: none
inline int gAllocations = 0;
inline void* WatchedAlloc(size_t size) {
  if (++gAllocations == gRefuseAt) return nullptr;
  void* header = std::malloc(size);
  if (header && gWatched) gWatched->insert(header);
  return header;
}
class BlockWatch {
 public:
  explicit BlockWatch(int refuseAt = 0) {
    gWatched = &headers_;
    gRefuseAt = refuseAt;
    gAllocations = 0;
    wre_MemorySetHeap(&WatchedAlloc);
  }
  ~BlockWatch() {
    if (gWatched == &headers_) Left();
  }
  int Left() {
    wre_MemorySetHeap(nullptr);
    gWatched = nullptr;
    int left = 0;
    for (void* header : headers_) {
      if (wre_MemoryDispose(static_cast<char*>(header) + 16) == 0) ++left;
    }
    headers_.clear();
    return left;
  }

 private:
  std::set<void*> headers_;
};

// Memory and tables up, no neighbouring services, fatal exits thrown as FatalExit.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    wre_MemorySetHeap(nullptr);
    ASSERT_EQ(wre_MathTablesInit(), 0);
    gObjectServices = ObjectServices{};
    gRendererKind = 0;
    plat_SetTerminateHook(&ThrowOnExit);
  }
  void TearDown() override {
    gObjectServices = wre_ObjectCoreServices();
    wre_MemorySetHeap(nullptr);
    wre_MathTablesExit();
    plat_SetTerminateHook(nullptr);
  }
  void UseSoftwareRenderer() {
    gRendererKind = kRendererSoftware;
    gObjectServices.rendererKind = &SoftwareKind;
  }
};

inline void ExpectPoint(const Point4& p, float x, float y, float z, float tolerance = 1e-5f) {
  EXPECT_NEAR(p.x, x, tolerance);
  EXPECT_NEAR(p.y, y, tolerance);
  EXPECT_NEAR(p.z, z, tolerance);
}

// A closed axis-aligned box mesh of 8 points and 12 outward-facing triangles (the object's own box
// triangles, with the two of the bottom face turned over).
inline EngineObject* NewBoxMesh(int32_t kind, float minX, float maxX, float minY, float maxY, float minZ, float maxZ,
                                uint32_t flags = 0) {
  EngineObject* object = wre_ObjectNew(kind, 12, 8, 1, 0, flags);
  if (!object) return nullptr;
  const float c[8][3] = {{minX, maxY, maxZ}, {maxX, maxY, maxZ}, {maxX, maxY, minZ}, {minX, maxY, minZ},
                         {minX, minY, maxZ}, {maxX, minY, maxZ}, {maxX, minY, minZ}, {minX, minY, minZ}};
  for (const auto& p : c) wre_ObjectAddPoint(object, p[0], p[1], p[2], 1);
  const int tri[12][3] = {{0, 1, 2}, {0, 2, 3}, {3, 2, 6}, {3, 6, 7}, {1, 5, 6}, {2, 1, 6},
                          {0, 3, 7}, {7, 4, 0}, {1, 0, 4}, {1, 4, 5}, {6, 4, 7}, {6, 5, 4}};
  for (const auto& t : tri) wre_ObjectAddPoly(object, 0, -1, kPolyPlain, t[0], t[1], t[2], nullptr, nullptr, nullptr, 0);
  return object;
}

}  // namespace object_test
