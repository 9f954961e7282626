// Game objects and the racers of a race on the sample tree's craft: the list's states and codes,
// the field for each opponent count with its control kinds, grid and random skins, the drop onto
// the water (or half-way up the level when there is none), and a teardown, also of a field that
// failed, that gives everything back.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "craft_fixture.h"
#include "engine/core/collide.h"
#include "engine/core/object.h"
#include "engine/core/process.h"
#include "engine/core/random.h"
#include "engine/core/transform.h"
#include "game/state/race_state.h"
#include "game/world/craft_process.h"
#include "game/world/game_objects.h"
#include "game/world/level_bounds.h"
#include "game/world/water_surface.h"
#include "game/world/watercraft.h"

namespace {

constexpr float kWaterY = 300.0f;

class GameObjectsTest : public CraftFixture {
 protected:
  void SetUp() override {
    CraftFixture::SetUp();
    ASSERT_EQ(wre_ProcessListInit(), 0);
    gRaceActive = 1;
    gLevelBoundsMinY = -5000.0f;
    gLevelBoundsMaxY = 5000.0f;
    wre_TransformSet(&gStartTransform, 0, 0, 0, 1000.0f, 0.0f, 2000.0f);
  }
  void TearDown() override {
    gGameObjectListOpen = 0;
    gGameObjectListHead = nullptr;
    wre_ProcessListExit(1);
    gDemoMode = 0;
    CraftFixture::TearDown();
  }
  void StartWater() {
    gWaterBoundsMin[1] = kWaterY;
    gWaterBoundsMax[1] = kWaterY;
    ASSERT_EQ(WaterworksStart(&view, 0.0f, 0.0f, 0), 0);
  }
  static std::vector<GameObject*> Listed() {
    std::vector<GameObject*> objects;
    for (GameObject* o = gGameObjectListHead; o; o = o->next) objects.push_back(o);
    return objects;
  }
};

TEST_F(GameObjectsTest, ListAndObjectStatesReportTheirCodes) {
  object_test::BlockWatch& blocks = WatchBlocks();
  EXPECT_EQ(GameObjectListStop(&view), kGameObjectErrListClosed);
  GameObject* empty = GameObjectCreate(&view, kGameObjectEmpty, kControlHuman, 0, 0, 0, 0, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GameObjectListAdd(empty), kGameObjectErrListClosed);
  ASSERT_EQ(GameObjectListStart(), 0);
  EXPECT_EQ(GameObjectListStart(), kGameObjectErrListOpen);
  EXPECT_EQ(GameObjectCreate(&view, 102, kControlHuman, 0, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(GameObjectCreate(&view, kGameObjectWatercraft, kControlHuman, 0, 0, 0, 0, 9), nullptr);

  GameObject* craft = GameObjectCreate(&view, kGameObjectWatercraft, kControlHuman, 1, 0, 0, 0, 0);
  ASSERT_NE(craft, nullptr);
  ASSERT_EQ(GameObjectListAdd(empty), 0);
  ASSERT_EQ(GameObjectListAdd(craft), 0);
  EXPECT_EQ(GameObjectListAdd(craft), kGameObjectErrListed);
  EXPECT_EQ(Listed(), (std::vector<GameObject*>{empty, craft}));
  ASSERT_EQ(GameObjectListRemove(empty), 0);
  EXPECT_EQ(GameObjectListRemove(empty), kGameObjectErrNotListed);
  EXPECT_EQ(Listed(), (std::vector<GameObject*>{craft}));
  EXPECT_EQ(craft->prev, nullptr);

  EXPECT_EQ(GameObjectShow(empty, &view), kGameObjectErrShowType);
  EXPECT_EQ(GameObjectHide(empty, &view), kGameObjectErrNotShown);
  EXPECT_EQ(GameObjectHide(craft, &view), kGameObjectErrNotShown);
  ASSERT_EQ(GameObjectShow(craft, &view), 0);
  EXPECT_EQ(GameObjectShow(craft, &view), kGameObjectErrShown);
  ASSERT_EQ(GameObjectPlace(craft, 0, 1024, 0, 5.0f, 6.0f, 7.0f), 0);
  EXPECT_EQ(craft->craft->craftObject->transform.angleY, 1024);
  EXPECT_EQ(GameObjectPlace(empty, 0, 0, 0, 1.0f, 1.0f, 1.0f), 0);

  ASSERT_EQ(GameObjectSetType(empty, 102), 0);
  EXPECT_EQ(GameObjectFree(empty, &view), kGameObjectErrFreeType);
  ASSERT_EQ(GameObjectSetType(empty, kGameObjectEmpty), 0);
  EXPECT_EQ(GameObjectFree(nullptr, &view), kWreErrNull);
  ASSERT_EQ(GameObjectFree(empty, &view), 0);
  // The list's teardown hides and frees what is still on it.
  ASSERT_EQ(GameObjectListStop(&view), 0);
  EXPECT_FALSE(gGameObjectListOpen);
  EXPECT_EQ(gGameObjectListHead, nullptr);
  EXPECT_EQ(view.world->objectCount, 0);
  ExpectBaseline(blocks);
}

TEST_F(GameObjectsTest, RacersStandOnTheirGridOnTheWaterAndGoBackWhole) {
  object_test::BlockWatch& blocks = WatchBlocks();
  StartWater();
  const int32_t waterObjects = view.world->objectCount;
  // Swept for the water grid's points instead of its polygons, a bare sphere tests nothing and
  // every water tile counts as met: the height is the sweep's end, not the water's.
  {
    Transform from, to;
    wre_TransformSet(&from, 0, 0, 0, 1000.0f, gLevelBoundsMaxY, 2000.0f);
    wre_TransformSet(&to, 0, 0, 0, 1000.0f, gLevelBoundsMinY, 2000.0f);
    CollisionResult hit{};
    ASSERT_EQ(wre_CollideSphereMove(&from, &to, 1.0f, view.world, 1, kCollideTiledMeshes | kCollidePoints, &hit, 0), 1);
    EXPECT_EQ(hit.hit[1], gLevelBoundsMinY);
  }
  gSettings.playerModel = 3;
  gSettings.playerLivery = 7;
  gSettings.riderTexture = 12;
  for (int32_t opponents = -1; opponents <= 5; ++opponents) {
    SCOPED_TRACE(opponents);
    gSettings.opponentCount = opponents;
    wre_RandomSeed(77);
    ASSERT_EQ(GameObjectListStart(), 0);
    ASSERT_EQ(RacersCreate(&view), 0);
    const std::vector<GameObject*> racers = Listed();
    ASSERT_EQ(racers.size(), static_cast<size_t>(opponents < 0 ? 1 : 1 + opponents));
    GameObject* player = racers[0];
    EXPECT_EQ(view.player, player);
    EXPECT_EQ(player->controlKind, opponents < 0 ? 3 : 1);
    EXPECT_EQ(player->flags, kGameObjectShown | kGameObjectListed | kGameObjectCameraFollows);
    EXPECT_EQ(player->craft->liverySlot, 7);
    ASSERT_NE(player->processNode, nullptr);
    EXPECT_EQ(player->processNode->user1, player);
    EXPECT_EQ(player->processNode->user2, &view);
    EXPECT_EQ(player->processNode->interval, 2u);

    // Opponents draw an unused value, then sex, rider texture and livery.
    wre_RandomSeed(77);
    const float radius = player->craft->craftObject->radius;
    const float across[6] = {0, -800, 1600, -2400, 3200, -4000};
    const float along[6] = {0, 1, 1, 3, 3, 5};
    for (size_t slot = 0; slot < racers.size(); ++slot) {
      const Watercraft* craft = racers[slot]->craft;
      const Transform& t = craft->craftObject->transform;
      EXPECT_EQ(craft->racerSlot, static_cast<int32_t>(slot));
      EXPECT_EQ(craft->model, 3);
      EXPECT_NEAR(t.position[0], 1000.0f + across[slot], 0.01f) << slot;
      EXPECT_NEAR(t.position[2], 2000.0f + along[slot] * radius, 0.01f) << slot;
      EXPECT_NEAR(t.position[1], kWaterY, 2.0f) << slot;
      if (slot == 0) continue;
      EXPECT_EQ(racers[slot]->controlKind, kControlComputer);
      EXPECT_FALSE(racers[slot]->flags & kGameObjectCameraFollows);
      wre_Random();
      wre_Random();  // the rider's sex
      const uint32_t riderDraw = wre_Random();
      const uint32_t liveryDraw = wre_Random();
      EXPECT_EQ(craft->riderSlot, static_cast<int32_t>(riderDraw % 41));
      EXPECT_EQ(craft->liverySlot, static_cast<int32_t>(liveryDraw % 50));
    }
    EXPECT_EQ(gRacerCount, static_cast<int32_t>(racers.size()));

    ASSERT_EQ(RacersDestroy(&view), 0);
    EXPECT_EQ(view.player, nullptr);
    EXPECT_EQ(gGameObjectListHead, nullptr);
    EXPECT_EQ(view.world->objectCount, waterObjects);
    ASSERT_EQ(GameObjectListStop(&view), 0);
  }
  ASSERT_EQ(WaterworksExit(&view), 0);
  ExpectBaseline(blocks);
}

TEST_F(GameObjectsTest, WithoutWaterACraftStandsHalfWayUpTheLevelAndAFailedFieldIsTornDownWhole) {
  object_test::BlockWatch& blocks = WatchBlocks();
  gSettings.opponentCount = 0;
  gDemoMode = 1;
  gLevelBoundsMaxY = 7000.0f;
  ASSERT_EQ(GameObjectListStart(), 0);
  ASSERT_EQ(RacersCreate(&view), 0);
  ASSERT_NE(view.player, nullptr);
  EXPECT_EQ(view.player->controlKind, kControlHuman | kControlComputer);
  EXPECT_EQ(view.player->craft->craftObject->transform.position[1], 1000.0f);
  EXPECT_EQ(CraftDropToSurface(view.player->craft->craftObject, 0, &view), kWreErrNull);
  ASSERT_EQ(GameObjectListStop(&view), 0);

  // A seventh racer has no slot: the six made stay listed for the teardown.
  gSettings.opponentCount = 6;
  ASSERT_EQ(GameObjectListStart(), 0);
  EXPECT_EQ(RacersCreate(&view), -1);
  EXPECT_EQ(Listed().size(), 6u);
  ASSERT_EQ(GameObjectListStop(&view), 0);

  // No world or camera: nothing is made, and that is no failure.
  ViewComponents bare{};
  bare.world = view.world;
  EXPECT_EQ(RacersCreate(&bare), 0);
  EXPECT_EQ(gGameObjectListHead, nullptr);
  ExpectBaseline(blocks);
}

}  // namespace
