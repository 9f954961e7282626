// Shared set-up for the tests of worlds, lights, particle sets, grid meshes and collision: the
// object tests' engine with the core's own object services installed.
#pragma once
#include "engine/core/world.h"
#include "object_test_support.h"

namespace world_test {

class WorldTest : public object_test::EngineTest {
 protected:
  void SetUp() override {
    object_test::EngineTest::SetUp();
    gObjectServices = wre_ObjectCoreServices();
  }
};

// A collidable box mesh placed at (x, y, z), brought up to date.
inline EngineObject* PlacedBox(float half, float x, float y, float z, uint32_t flags = 0) {
  EngineObject* object = object_test::NewBoxMesh(kObjectMesh, -half, half, -half, half, -half, half, flags);
  if (!object) return nullptr;
  wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
  wre_ObjectSetTransform(object, 0, 0, 0, x, y, z);
  wre_ObjectUpdate(object, 1, 1);
  wre_ObjectSetCollidable(object, 1);
  return object;
}

inline bool InCell(const World* world, int32_t index, const EngineObject* object) {
  for (EngineObject* at = world->cells[index]; at; at = at->cellNext) {
    if (at == object) return true;
  }
  return false;
}

inline int CountList(const EngineObject* head) {
  int n = 0;
  for (; head; head = head->next) ++n;
  return n;
}

}  // namespace world_test
