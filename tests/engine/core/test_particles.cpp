#include <gtest/gtest.h>

#include "engine/core/colour_scale.h"
#include "engine/core/frame_tick.h"
#include "engine/core/particles.h"
#include "engine/data/material.h"
#include "world_test_support.h"

namespace {

using object_test::BlockWatch;
using object_test::ExpectPoint;
using world_test::WorldTest;

class ParticlesTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    gFrameTick = 1000;
    wre_ParticlesSetTextureCheck(nullptr);
  }
  void TearDown() override {
    wre_ParticlesSetTextureCheck(nullptr);
    if (gMaterialModuleStarted) wre_MaterialTableFree();
    gFrameTick = 0;
    WorldTest::TearDown();
  }
  // A bare particle object with no set yet.
  static EngineObject* Bare() {
    auto* object = static_cast<EngineObject*>(wre_MemoryNew(sizeof(EngineObject)));
    wre_ObjectClear(object, 0);
    object->kind = kObjectParticles;
    return object;
  }
  static EngineObject* NewSet(int32_t capacity) {
    EngineObject* object = nullptr;
    EXPECT_EQ(wre_ParticleObjectNew(&object, kParticlesServed, capacity, -1, 0, 0), 0);
    return object;
  }
};

bool OddTexturesOnly(int32_t texture) { return texture % 2 == 1; }

int gAllowed = 0;
void* FailingAfter(size_t size) {
  if (gAllowed-- <= 0) return nullptr;
  return object_test::WatchedAlloc(size);
}

TEST_F(ParticlesTest, CreationChecksItsArgumentsInOrder) {
  BlockWatch watch;
  EngineObject* object = Bare();
  EXPECT_EQ(wre_ParticlesNew(nullptr, 101, 4, -1, 0), kWreErrNull);
  EXPECT_EQ(wre_ParticlesNew(object, 101, 0, -1, 0), kWreErrRange);
  EXPECT_EQ(wre_ParticlesNew(object, 101, 4, -1, -1), kWreErrRange);
  EXPECT_EQ(wre_ParticlesNew(object, 101, 4, 3, 0), kMaterialErrHandle);  // no material table
  ASSERT_EQ(wre_MaterialTableInit(8), 0);
  EXPECT_EQ(wre_ParticlesNew(object, 101, 4, 3, 0), kMaterialErrHandle);  // not in use
  EXPECT_EQ(wre_ParticlesNew(object, 101, 4, 8, 0), kMaterialErrHandle);
  EXPECT_EQ(wre_ParticlesNew(object, 101, 4, -2, 0), kMaterialErrHandle);
  const int32_t material = wre_MaterialCreate(1, 1, 1, 1, 1, 1, 1, 1, "spray");
  ASSERT_GE(material, 0);
  wre_ParticlesSetTextureCheck(&OddTexturesOnly);
  EXPECT_EQ(wre_ParticlesNew(object, 101, 4, material, 2), kParticlesErrTexture);
  EXPECT_EQ(wre_ParticlesNew(object, 100, 4, material, 1), kParticlesErrKind);
  EXPECT_EQ(wre_ParticlesNew(object, 102, 4, material, 1), kParticlesErrKind);
  EXPECT_EQ(wre_ParticlesNew(object, 7, 4, material, 1), kParticlesErrBadKind);
  EXPECT_EQ(wre_ParticlesNew(object, 101, 4, material, -1), kParticlesErrTexture);
  EXPECT_EQ(object->particles, nullptr);

  ASSERT_EQ(wre_ParticlesNew(object, 101, 4, material, 1), 0);
  ParticleSet* set = object->particles;
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->owner, object);
  EXPECT_EQ(set->capacity, 4);
  EXPECT_EQ(set->material, material);
  EXPECT_EQ(object->localPoints, set->positions);
  EXPECT_EQ(object->worldPoints, set->worldPositions);
  EXPECT_EQ(object->creationFlags & (kObjectLocalShared | kObjectWorldShared), kObjectLocalShared | kObjectWorldShared);
  // A second set would orphan the first.
  EXPECT_EQ(wre_ParticlesNew(object, 101, 4, material, 1), kWreErrRange);
  EXPECT_EQ(object->particles, set);

  // Only particle objects take a set.
  EngineObject* mesh = object_test::NewBoxMesh(kObjectMesh, -1, 1, -1, 1, -1, 1);
  EXPECT_EQ(wre_ParticlesNew(mesh, 101, 4, material, 1), kWreErrRange);
  wre_ObjectDispose(mesh);

  EngineObject* made = reinterpret_cast<EngineObject*>(1);
  EXPECT_EQ(wre_ParticleObjectNew(nullptr, 101, 4, -1, 1, 0), kWreErrNull);
  EXPECT_EQ(wre_ParticleObjectNew(&made, 100, 4, -1, 1, 0), kParticlesErrKind);
  EXPECT_EQ(made, nullptr);
  ASSERT_EQ(wre_ParticleObjectNew(&made, 101, 4, -1, 1, 0), 0);
  EXPECT_EQ(made->kind, kObjectParticles);
  EXPECT_EQ(made->collisionGroup, 0u);
  EXPECT_EQ(made->polygonCount, 0);
  EXPECT_EQ(wre_ObjectDispose(made), 0);
  EXPECT_EQ(wre_ObjectDispose(object), 0);
  wre_MaterialTableFree();
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(ParticlesTest, AFailedAllocationKeepsNothing) {
  for (int allowed = 0; allowed < 9; ++allowed) {
    BlockWatch watch;
    EngineObject* object = Bare();
    gAllowed = allowed;
    wre_MemorySetHeap(&FailingAfter);
    EXPECT_EQ(wre_ParticlesNew(object, 101, 16, -1, 0), kWreErrNoMemory) << allowed;
    wre_MemorySetHeap(&object_test::WatchedAlloc);
    EXPECT_EQ(object->particles, nullptr);
    EXPECT_EQ(object->localPoints, nullptr);
    wre_ObjectDispose(object);
    EXPECT_EQ(watch.Left(), 0) << allowed;
  }
}

TEST_F(ParticlesTest, AddingFillsEveryArrayUntilTheSetIsFull) {
  BlockWatch watch;
  EngineObject* object = NewSet(2);
  ParticleSet* set = object->particles;
  const Point4 position{1, 2, 3, 4}, size{5, 6, 0, 0}, velocity{0, 1, 0, 0}, acceleration{0, 0, 1, 0},
      change{1, 1, 0, 0}, colour{300.0f, -2.0f, 10.0f, 20.0f};
  EXPECT_EQ(wre_ObjectAddParticle(nullptr, &position, 0, 5, &size, nullptr, nullptr, nullptr, nullptr), kWreErrNull);
  ASSERT_EQ(wre_ObjectAddParticle(object, &position, 0, 5, &size, &velocity, &acceleration, &change, &colour), 0);
  EXPECT_EQ(object->pointCount, 1);
  EXPECT_EQ(set->positions[0].w, 4.0f);
  EXPECT_EQ(set->worldPositions[0].z, 3.0f);
  EXPECT_EQ(set->sizeChange[0].x, 1.0f);
  EXPECT_EQ(set->expiry[0], 1005);
  // Colours are held in 0 .. gColourMaxAlpha.
  EXPECT_EQ(set->colour[0].x, gColourMaxAlpha);
  EXPECT_EQ(set->colour[0].y, 0.0f);
  EXPECT_EQ(set->colour[0].z, 10.0f);

  // Null vectors are zero; a null colour is opaque black.
  ASSERT_EQ(wre_ObjectAddParticle(object, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  ExpectPoint(set->positions[1], 0, 0, 0);
  ExpectPoint(set->velocity[1], 0, 0, 0);
  EXPECT_EQ(set->colour[1].w, gColourMax < gColourMaxAlpha ? gColourMax : gColourMaxAlpha);
  EXPECT_EQ(set->colour[1].x, 0.0f);

  // A full set refuses and changes nothing.
  const Point4 before = set->positions[1];
  EXPECT_EQ(wre_ObjectAddParticle(object, &position, 0, 5, &size, nullptr, nullptr, nullptr, nullptr),
            kParticlesErrFull);
  EXPECT_EQ(set->count, 2);
  EXPECT_EQ(object->pointCount, 2);
  EXPECT_EQ(set->positions[1].x, before.x);

  // A set of another kind is not served.
  set->kind = kParticlesFlat;
  EXPECT_EQ(wre_ObjectRemoveParticle(set, 0), kParticlesErrKind);
  set->kind = kParticlesServed;
  wre_ObjectDispose(object);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(ParticlesTest, RemovingMovesTheLastParticleIntoTheSlot) {
  BlockWatch watch;
  EngineObject* object = NewSet(4);
  ParticleSet* set = object->particles;
  for (int i = 0; i < 3; ++i) {
    const Point4 p{static_cast<float>(i), 0, 0, 0};
    wre_ObjectAddParticle(object, &p, 0, 10 + i, &p, &p, nullptr, nullptr, nullptr);
  }
  EXPECT_EQ(wre_ObjectRemoveParticle(nullptr, 0), kWreErrNull);
  EXPECT_EQ(wre_ObjectRemoveParticle(set, 3), kWreErrRange);  // below the capacity but not live
  EXPECT_EQ(wre_ObjectRemoveParticle(set, -1), kWreErrRange);
  EXPECT_EQ(set->count, 3);
  ASSERT_EQ(wre_ObjectRemoveParticle(set, 0), 0);
  EXPECT_EQ(set->count, 2);
  EXPECT_EQ(object->pointCount, 2);
  EXPECT_EQ(set->positions[0].x, 2.0f);
  EXPECT_EQ(set->size[0].x, 2.0f);
  EXPECT_EQ(set->velocity[0].x, 2.0f);
  EXPECT_EQ(set->expiry[0], 1012);
  // The last live one only lowers the count.
  ASSERT_EQ(wre_ObjectRemoveParticle(set, 1), 0);
  EXPECT_EQ(set->positions[0].x, 2.0f);
  ASSERT_EQ(wre_ObjectRemoveParticle(set, 0), 0);
  EXPECT_EQ(set->count, 0);
  EXPECT_EQ(wre_ObjectRemoveParticle(set, 0), kWreErrRange);
  EXPECT_EQ(set->count, 0);
  wre_ObjectDispose(object);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(ParticlesTest, UpdatesIntegrateAndExpireByTheFrameTick) {
  EngineObject* object = NewSet(4);
  ParticleSet* set = object->particles;
  const Point4 zero{0, 0, 0, 0}, velocity{1, 0, 0, 0}, acceleration{10, 0, 0, 0}, size{1, 0, 0, 0},
      change{0.5f, 0, 0, 0};
  ASSERT_EQ(wre_ObjectAddParticle(object, &zero, 0, 0, &size, &velocity, &acceleration, &change, nullptr), 0);

  // An update at the tick of the addition keeps a particle of lifetime 0 and advances it
  // (position, then velocity, then size); the update marks the object changed.
  object->transform.changed = 0;
  EXPECT_EQ(wre_ObjectUpdateParticles(object), 0);
  EXPECT_EQ(object->transform.changed, 1);
  ASSERT_EQ(set->count, 1);
  EXPECT_EQ(set->positions[0].x, 1.0f);
  EXPECT_EQ(set->velocity[0].x, 11.0f);
  EXPECT_EQ(set->size[0].x, 1.5f);
  EXPECT_EQ(wre_ObjectUpdateParticles(object), 0);
  EXPECT_EQ(set->positions[0].x, 12.0f);
  EXPECT_EQ(set->velocity[0].x, 21.0f);
  gFrameTick = 1001;
  EXPECT_EQ(wre_ObjectUpdateParticles(object), 0);
  EXPECT_EQ(set->count, 0);
  EXPECT_EQ(object->pointCount, 0);

  // An expired particle's slot takes the last one, which is advanced in the same pass even though
  // it too has expired; its own expiry is tested next time.
  gFrameTick = 2000;
  const Point4 a{100, 0, 0, 0}, b{200, 0, 0, 0}, c{300, 0, 0, 0};
  wre_ObjectAddParticle(object, &a, 0, -1, nullptr, &velocity, nullptr, nullptr, nullptr);
  wre_ObjectAddParticle(object, &b, 0, 50, nullptr, &velocity, nullptr, nullptr, nullptr);
  wre_ObjectAddParticle(object, &c, 0, -1, nullptr, &velocity, nullptr, nullptr, nullptr);
  EXPECT_EQ(wre_ObjectUpdateParticles(object), 0);
  ASSERT_EQ(set->count, 2);
  EXPECT_EQ(set->positions[0].x, 301.0f);
  EXPECT_EQ(set->positions[1].x, 201.0f);
  // The moved particle sits at slot 0 now; the update's walk tests slot 0 first next time.
  EXPECT_EQ(wre_ObjectUpdateParticles(object), 0);
  ASSERT_EQ(set->count, 1);
  EXPECT_EQ(set->positions[0].x, 202.0f);

  EXPECT_EQ(wre_ObjectMoveParticles(object, 1, 2, 3, 4), 0);
  ExpectPoint(set->positions[0], 203, 2, 3);
  EXPECT_EQ(set->positions[0].w, 4.0f);
  EXPECT_EQ(wre_ObjectMoveParticles(nullptr, 1, 2, 3, 4), kWreErrNull);
  EXPECT_EQ(wre_ObjectUpdateParticles(nullptr), kWreErrNull);
  wre_ObjectDispose(object);
}

TEST_F(ParticlesTest, TheRadiusTakesInTheParticlesExtent) {
  BlockWatch watch;
  EngineObject* object = NewSet(3);
  const Point4 position{3, 4, 0, 0}, size{6, 8, 0, 0}, small{1, 1, 0, 0};
  wre_ObjectAddParticle(object, &position, 0, 100, &small, nullptr, nullptr, nullptr, nullptr);
  wre_ObjectAddParticle(object, &position, 0, 100, &size, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(wre_ObjectUpdateParticles(object), 0);
  EXPECT_FLOAT_EQ(object->radius, 5.0f + 10.0f);
  // The object's update takes the particles to world space.
  wre_ObjectSetTransform(object, 0, 0, 0, 10, 0, 0);
  wre_ObjectUpdate(object, 0, 0);
  ExpectPoint(object->particles->worldPositions[1], 13, 4, 0);
  EXPECT_EQ(wre_ParticlesDispose(object), 0);
  EXPECT_EQ(object->particles, nullptr);
  EXPECT_EQ(object->localPoints, nullptr);
  EXPECT_EQ(wre_ParticlesDispose(nullptr), kWreErrNull);
  wre_ObjectDispose(object);
  EXPECT_EQ(watch.Left(), 0);
}

}  // namespace
