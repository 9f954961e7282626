// Watercraft built from the sample tree: every model in every racer slot, in a race and as the
// front end's preview, and everything given back afterwards; the clamps of livery and rider, the
// racer chain, the levels of detail and the failures that must leave nothing behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "craft_fixture.h"
#include "engine/core/detail.h"
#include "engine/core/object.h"
#include "engine/render/camera.h"
#include "game/state/gate_record.h"
#include "game/world/craft_models.h"
#include "game/world/game_object.h"
#include "game/world/watercraft.h"
#include "game/world/watercraft_build.h"

namespace {

class WatercraftBuildTest : public CraftFixture {
 protected:
  int32_t Build(GameObject* object, int32_t model, int32_t slot, int32_t livery = 3, int32_t rider = 5) {
    object->type = kGameObjectWatercraft;
    return WatercraftBuild(object, &view, kControlHuman, model, livery, slot % 2, rider, slot);
  }
  static int32_t DetailLevels(const EngineObject* body) { return body->detailGroup ? body->detailGroup->count : 0; }
};

TEST_F(WatercraftBuildTest, EveryModelAndSlotBuildsAndGivesEverythingBack) {
  for (int race = 0; race < 2; ++race) {
    gRaceActive = race;
    for (int32_t model = 0; model < kCraftModelCount; ++model) {
      for (int32_t slot = 0; slot < kRacerSlots; ++slot) {
        SCOPED_TRACE(testing::Message() << "race " << race << " model " << model << " slot " << slot);
        object_test::BlockWatch& blocks = WatchBlocks();
        GameObject object{};
        ASSERT_EQ(Build(&object, model, slot), 0);
        Watercraft* craft = object.craft;
        ASSERT_NE(craft, nullptr);
        EXPECT_EQ(gCraftByIndex[slot], craft);
        EXPECT_EQ(craft->owner, &object);
        EXPECT_EQ(craft->craftObject->collisionGroup, 0x200u << slot);
        EXPECT_EQ(craft->riderObject->collisionGroup, 0x80000u << slot);
        EXPECT_EQ(craft->craftObject->gameWords[0], craft);
        EXPECT_EQ(craft->physics.mass, kCraftModelTable[model].mass);
        EXPECT_EQ(craft->physics.inverseMass, 1.0f / kCraftModelTable[model].mass);
        EXPECT_EQ(craft->physics.power, kCraftModelTable[model].power);
        EXPECT_TRUE(craft->flags & kCraftRacing);
        // The race-only parts, and none of them in the preview.
        EXPECT_EQ(DetailLevels(craft->craftObject), race ? 4 : 0);
        EXPECT_EQ(craft->sprayEmitters[3] != nullptr, race == 1);
        EXPECT_EQ(gRacerChainHead == craft, race == 1);
        EXPECT_EQ(gRacerCount, race);

        ASSERT_EQ(CraftModelsShow(&object, &view), 0);
        EXPECT_EQ(craft->riderObject->world, view.world);
        EXPECT_TRUE(object.flags & kGameObjectShown);
        ASSERT_EQ(CraftModelsHide(&object, &view), 0);
        EXPECT_EQ(craft->craftObject->world, nullptr);
        ASSERT_EQ(WatercraftDestroy(&object, &view), 0);
        EXPECT_EQ(object.craft, nullptr);
        EXPECT_EQ(gCraftByIndex[slot], nullptr);
        EXPECT_EQ(gRacerCount, 0);
        ExpectBaseline(blocks);
      }
    }
  }
}

TEST_F(WatercraftBuildTest, SkinsAreClampedAndRacersChainLastFirst) {
  gRaceActive = 1;
  object_test::BlockWatch& blocks = WatchBlocks();
  GateRecord start{};
  gStartGate = &start;
  GameObject a{}, b{}, c{};
  ASSERT_EQ(Build(&a, 0, 0, 57, 99), 0);
  ASSERT_EQ(Build(&b, 4, 1, -3, -8), 0);
  EXPECT_EQ(a.craft->liverySlot, 49);
  EXPECT_EQ(a.craft->riderSlot, 40);
  EXPECT_EQ(b.craft->liverySlot, 0);
  EXPECT_EQ(b.craft->riderSlot, 0);
  EXPECT_EQ(b.craft->liveryModel, 4);
  EXPECT_EQ(a.craft->nextGate, &start);
  // The spray mounts: ahead and behind by the body's radius, two at the sides.
  const float r = b.craft->craftObject->radius;
  EXPECT_EQ(b.craft->sprayOffsets[0].z, -r);
  EXPECT_EQ(b.craft->sprayOffsets[3].z, r);
  EXPECT_EQ(b.craft->sprayOffsets[2].x, 220.0f);
  // The chain lists the last one built first.
  EXPECT_EQ(gRacerChainHead, b.craft);
  EXPECT_EQ(b.craft->chainNext, a.craft);
  EXPECT_EQ(gRacerCount, 2);
  // The same livery shared by a third racer survives the first one's release.
  ASSERT_EQ(Build(&c, 0, 2, 49, 40), 0);
  ASSERT_EQ(WatercraftDestroy(&a, &view), 0);
  EXPECT_TRUE(wre_TextureInUse(static_cast<int32_t>(c.craft->craftObject->polygons[0].texture)));
  EXPECT_EQ(gRacerChainHead, c.craft);
  EXPECT_EQ(c.craft->chainNext, b.craft);
  EXPECT_EQ(WatercraftDestroy(&a, &view), 1);
  ASSERT_EQ(WatercraftDestroy(&b, &view), 0);
  ASSERT_EQ(WatercraftDestroy(&c, &view), 0);
  gStartGate = nullptr;
  ExpectBaseline(blocks);
}

TEST_F(WatercraftBuildTest, DetailSwitchesByTheDetailSettingAndMissingLevelsAreNoError) {
  gRaceActive = 1;
  const float farClip = view.camera->farClip;
  object_test::BlockWatch& blocks = WatchBlocks();
  GameObject object{};
  ASSERT_EQ(Build(&object, 2, 0), 0);
  EXPECT_FLOAT_EQ(object.craft->craftObject->detailGroup->switchDistance, 0.8f * 0.004f * farClip);
  ASSERT_EQ(WatercraftDestroy(&object, &view), 0);

  gSettings.detail = 0;
  std::filesystem::remove(dir.path() / "data/hydrels/elm/hydrel_04.c4d");
  ASSERT_EQ(Build(&object, 2, 0), 0);
  EXPECT_EQ(DetailLevels(object.craft->craftObject), 2);
  EXPECT_FLOAT_EQ(object.craft->craftObject->detailGroup->switchDistance, 0.1f * 0.004f * farClip);
  ASSERT_EQ(WatercraftDestroy(&object, &view), 0);
  ExpectBaseline(blocks);
}

// Refuses the n-th engine block of a craft record or an engine object (the places where a build
// can run out of memory without the file layer's fatal stop), recording blocks for BlockWatch.
int gRefuseAt = 0;
int gCounted = 0;
void* RefusingAlloc(size_t size) {
  constexpr size_t kHeader = 16;
  if ((size == sizeof(Watercraft) + kHeader || size == sizeof(EngineObject) + kHeader) && ++gCounted == gRefuseAt)
    return nullptr;
  void* header = std::malloc(size);
  if (header && object_test::gWatched) object_test::gWatched->insert(header);
  return header;
}

TEST_F(WatercraftBuildTest, FailedBuildsLeaveNothingBehind) {
  gRaceActive = 1;
  GameObject object{};
  gRefuseAt = 0;
  gCounted = 0;
  wre_MemorySetHeap(&RefusingAlloc);
  ASSERT_EQ(Build(&object, 0, 0), 0);
  wre_MemorySetHeap(nullptr);
  ASSERT_EQ(WatercraftDestroy(&object, &view), 0);
  const int made = gCounted;
  // Memory running out at each record and object of a race build in turn: a missing level of
  // detail still gives a craft, anything else fails; either way nothing stays behind.
  int failed = 0;
  for (gRefuseAt = 1; gRefuseAt <= made; ++gRefuseAt) {
    SCOPED_TRACE(gRefuseAt);
    object_test::BlockWatch& blocks = WatchBlocks();
    gCounted = 0;
    wre_MemorySetHeap(&RefusingAlloc);
    if (Build(&object, 0, 0) == 0) {
      ASSERT_EQ(WatercraftDestroy(&object, &view), 0);
    } else {
      ++failed;
    }
    EXPECT_EQ(object.craft, nullptr);
    EXPECT_EQ(gRacerCount, 0);
    ExpectBaseline(blocks);
  }
  EXPECT_GE(failed, 7);  // the record, the body, the rider and the four emitters at least
  object_test::BlockWatch& blocks = WatchBlocks();
  EXPECT_EQ(Build(&object, 0, 6), kBuildErrRacerSlot);
  EXPECT_EQ(Build(&object, 0, -1), kBuildErrRacerSlot);
  EXPECT_EQ(Build(&object, 5, 0), kWreErrRange);
  std::filesystem::remove(dir.path() / "data/riders/common/female.c4d");
  EXPECT_NE(Build(&object, 1, 1), 0);  // the body is loaded, the rider is not
  std::filesystem::remove(dir.path() / "data/hydrels/birch/hydrel_01.c4d");
  EXPECT_NE(Build(&object, 3, 0), 0);
  EXPECT_EQ(object.craft, nullptr);
  for (Watercraft* craft : gCraftByIndex) EXPECT_EQ(craft, nullptr);
  EXPECT_EQ(gRacerCount, 0);
  ExpectBaseline(blocks);
}

}  // namespace
