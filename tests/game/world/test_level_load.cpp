// Level load and unload on small generated levels: every level's id rules, the extent with the
// lift, the water markers, the course map, the failure paths, and the engine's tables back where
// they started after each unload, twice over.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/light.h"
#include "engine/core/object.h"
#include "engine/data/model.h"
#include "game/state/level_names.h"
#include "game/world/course_map.h"
#include "game/world/level_bounds.h"
#include "game/world/level_load.h"
#include "game/world/scenery.h"
#include "tools/datagen/tree_output.h"
#include "world_fixture.h"

namespace {

using level_fixture::Box;
using level_fixture::LevelIds;
using level_fixture::LevelObjects;

class LevelLoadTest : public WorldFixture {
 public:
  void WriteAll() {
    for (int32_t level = 0; level < kLevelCount; ++level) WriteLevel(dir, LevelWord(level), LevelObjects(LevelIds(level)));
  }
  // The level object with the id (the first when several carry it).
  EngineObject* Find(int32_t id) const {
    for (EngineObject* o = view.world->objects; o; o = o->next) {
      if (wre_ObjectGetUserValue(o) == id) return o;
    }
    return nullptr;
  }
  int32_t Floaters() const {
    int32_t count = 0;
    for (EngineObject* o = gScenery.floatHead; o; o = FloaterNext(o)) ++count;
    return count;
  }
};

TEST_F(LevelLoadTest, EveryLevelLoadsAndUnloadsBackToTheEngineBaselineTwice) {
  WriteAll();
  const int32_t textures = TexturesInUse();
  // The level file's material is defined by the first load and reused after it, never added again.
  int32_t materials = -1;
  for (int round = 0; round < 2; ++round) {
    for (int32_t level = 0; level < kLevelCount; ++level) {
      SCOPED_TRACE(std::string(LevelWord(level)) + " round " + std::to_string(round));
      gLevel = level;
      WaterworksReset(&view);
      ASSERT_EQ(LevelLoad(&view), 0);
      EXPECT_EQ(TexturesInUse(), textures + 3);  // sky, water, course map
      EXPECT_NE(gSkyObject, nullptr);
      EXPECT_EQ(view.camera->attached, gSkyObject);
      EXPECT_NE(view.world->lights, nullptr);
      EXPECT_GT(view.world->objectCount, 0);
      ASSERT_EQ(LevelUnload(&view), 0);
      EXPECT_EQ(TexturesInUse(), textures);
      if (materials < 0) materials = MaterialsInUse();
      EXPECT_EQ(MaterialsInUse(), materials);
      EXPECT_EQ(view.world->objectCount, 0);
      EXPECT_EQ(view.world->objects, nullptr);
      EXPECT_EQ(view.world->gridMeshes, nullptr);
      EXPECT_EQ(view.world->lights, nullptr);
      EXPECT_EQ(view.camera->attached, nullptr);
      EXPECT_EQ(gSkyObject, nullptr);
      EXPECT_EQ(gLevelModelList, nullptr);
      EXPECT_EQ(gCourseMapTexture, -1);
    }
  }
}

TEST_F(LevelLoadTest, EverySampleLevelLoadsAndUnloadsBackToTheEngineBaselineTwice) {
  TreeOutput tree;
  tree.root = dir.str();
  TreeWriteLevels(tree);
  ASSERT_TRUE(tree.ok);
  const int32_t textures = TexturesInUse();
  // The models' materials are defined by their first load and reused after it: the second round
  // adds none.
  int32_t materials = -1;
  for (int round = 0; round < 2; ++round) {
    for (int32_t level = 0; level < kLevelCount; ++level) {
      SCOPED_TRACE(std::string(LevelWord(level)) + " round " + std::to_string(round));
      gLevel = level;
      gCourse = (level + round) % 5;
      if (round == 1 && materials < 0) materials = MaterialsInUse();
      WaterworksReset(&view);
      ASSERT_EQ(LevelLoad(&view), 0);
      EXPECT_GT(TexturesInUse(), textures);
      EXPECT_GT(gWaterBoundsMax[1], 0.0f);
      EXPECT_GE(gCourseMapTexture, 0);
      ASSERT_EQ(WaterworksStart(&view, 0.0f, 0.0f, 1), 0);
      WaterworksUpdate(nullptr);
      ASSERT_EQ(WaterworksExit(&view), 0);
      ASSERT_EQ(LevelUnload(&view), 0);
      EXPECT_EQ(TexturesInUse(), textures);
      if (round == 1) {
        EXPECT_EQ(MaterialsInUse(), materials);
      }
      EXPECT_EQ(view.world->objectCount, 0);
      EXPECT_EQ(view.world->gridMeshes, nullptr);
      EXPECT_EQ(view.world->lights, nullptr);
      EXPECT_EQ(view.camera->attached, nullptr);
    }
  }
}

TEST_F(LevelLoadTest, ObjectsAreTreatedByTheirIdsOnEachLevel) {
  WriteAll();
  struct Expect {
    int32_t level;
    int32_t id;
    uint32_t group;
    bool collidable;
    bool tree;
    bool floating;
  };
  const Expect cases[] = {
      {0, 5000, 0x1, false, false, false},    {0, 1, 0x8, true, true, false},
      {0, 34102, 0x4, true, true, false},     {0, 34101, 0x40, true, true, false},
      {0, 2010, 0x20, true, true, false},     {1, 33026, 0, false, false, false},
      {1, 33027, 0, false, false, false},     {1, 2010, 0x8, true, true, false},
      {2, 2805, 0x20, true, true, false},     {2, 33028, 0, false, false, false},
      {2, 34101, 0x40, true, true, true},     {4, 2701, 0x8, true, true, true},
      {7, 33008, 0, false, false, false},     {3, -1, 0, true, false, false},
      // The value 0 is an id like any other, also where a level's id list has an empty place.
      {3, 0, 0x8, true, true, false},         {1, 0, 0x8, true, true, false},
      {7, 0, 0x8, true, true, false},
  };
  for (const Expect& e : cases) {
    SCOPED_TRACE("level " + std::to_string(e.level) + " id " + std::to_string(e.id));
    gLevel = e.level;
    // Level 1's file gets a 2010 too, which is water only on level 0; every file an object of id 0.
    std::vector<int32_t> ids = LevelIds(e.level);
    if (e.level == 1) ids.push_back(2010);
    ids.push_back(0);
    WriteLevel(dir, LevelWord(e.level), LevelObjects(ids));
    WaterworksReset(&view);
    ASSERT_EQ(LevelLoad(&view), 0);
    EngineObject* o = Find(e.id);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->collisionGroup, e.group);
    EXPECT_EQ((o->status & kStatusActive) != 0, e.collidable);
    EXPECT_EQ(o->polyTree != nullptr, e.tree);
    EXPECT_EQ(Floaters() == 1 && gScenery.floatHead == o, e.floating);
    if (e.group == 0x20) {
      EXPECT_EQ(o->polygons[0].virtualTexturePoint[1], gWaterScrollUV);
      EXPECT_TRUE(o->polygons[0].flags & kPolyVirtualTexturePoint);
    }
    ASSERT_EQ(LevelUnload(&view), 0);
  }
}

TEST_F(LevelLoadTest, BoundsMeasureTheLiftedLevelAndTheWaterMarkers) {
  WriteAll();
  gLevel = 5;
  ASSERT_EQ(LevelLoad(&view), 0);
  // The walls reach 3000 above and below 0 and 20200 out in z; everything is lifted by 100000.
  EXPECT_FLOAT_EQ(gLevelBoundsMaxY, 103000.0f);
  EXPECT_FLOAT_EQ(gLevelBoundsMinY, 97000.0f);
  EXPECT_FLOAT_EQ(gLevelBoundsMaxZ, 20200.0f);
  EXPECT_FLOAT_EQ(gLevelBoundsMinX, -20000.0f);
  // The marker is 20 high, centred 10 below 0.
  EXPECT_FLOAT_EQ(gWaterBoundsMin[1], 99980.0f);
  EXPECT_FLOAT_EQ(gWaterBoundsMax[1], 100000.0f);
  EXPECT_FLOAT_EQ(gWaterBoundsMax[0], 100.0f);
  ASSERT_EQ(LevelUnload(&view), 0);
}

TEST_F(LevelLoadTest, CourseMapsLoadInTheRallyModesOnly) {
  char picture[32];
  char opacity[32];
  ASSERT_TRUE(CourseMapFileNames(9, picture, opacity, sizeof(picture)));
  EXPECT_STREQ(picture, "c10.bmp");
  EXPECT_STREQ(opacity, "c10_opacity.bmp");

  WriteAll();
  gLevel = 6;
  gGameMode = kModeDerby;
  ASSERT_EQ(CourseMapLoad(&view), 0);
  EXPECT_EQ(gCourseMapTexture, -1);
  gGameMode = kModeRally;
  ASSERT_EQ(CourseMapLoad(&view), 0);
  EXPECT_GE(gCourseMapTexture, 0);
  EXPECT_EQ(CourseMapRelease(&view), 0);
  EXPECT_EQ(CourseMapRelease(&view), 0);
  EXPECT_EQ(gCourseMapTexture, -1);
  // A course without a map fails the load, which reports it.
  gCourse = 3;
  EXPECT_NE(CourseMapLoad(&view), 0);
  EXPECT_EQ(gCourseMapTexture, -1);
  EXPECT_NE(LevelLoad(&view), 0);
}

TEST_F(LevelLoadTest, FailuresOfTheLevelFolderAreReported) {
  WriteAll();
  gGameMode = kModeDerby;  // no course map to look for
  gLevel = 10;
  EXPECT_EQ(LevelLoad(&view), -1);
  EXPECT_EQ(LevelUnload(&view), -1);

  gLevel = 8;
  std::filesystem::remove(dir.path() / "data/levels/venice/level.brp");
  EXPECT_EQ(LevelLoad(&view), -1);
  LevelUnload(&view);

  // Without a water marker there is no water height: refused.
  WriteLevel(dir, "venice", {Box(1, 1000.0f, 1000.0f, 1000.0f, 0.0f, 0.0f, 0.0f)});
  EXPECT_EQ(LevelLoad(&view), -1);
  LevelUnload(&view);

  // A broken water settings file is passed over.
  WriteLevel(dir, "venice", LevelObjects({}));
  dir.Write("data/levels/venice/environs_01.codx",
            "kVKT_ExternalRef vqz_Waterworks_BasisY\r\n// the rest of the file is never read\r\n");
  EXPECT_EQ(LevelLoad(&view), 0);
  EXPECT_EQ(LevelUnload(&view), 0);
}

using LevelLoadDeathTest = LevelLoadTest;

TEST_F(LevelLoadDeathTest, AMissingTextureListEndsTheProgram) {
  WriteAll();
  gLevel = 9;
  std::filesystem::remove(dir.path() / "data/levels/victoria/texture.codx");
  EXPECT_DEATH(LevelLoad(&view), "Error at parse texture file");
}

}  // namespace
