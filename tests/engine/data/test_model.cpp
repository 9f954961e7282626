// Model loading: format dispatch, the two loaders' option orders, worlds and disposal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/files.h"
#include "engine/core/world.h"
#include "engine/data/model.h"
#include "engine/data/model_c4d.h"
#include "model_test_support.h"
#include "support/temp_dir.h"
#include "tools/datagen/model_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A stand-in world: objects added and removed are counted.
std::vector<EngineObject*> gAdded;
int32_t gAddResult = 0;
int32_t FakeAdd(World* world, EngineObject* object) {
  if (gAddResult != 0) return gAddResult;
  gAdded.push_back(object);
  object->status |= kStatusInWorld;
  object->world = world;
  return 0;
}
int32_t FakeRemove(EngineObject* object) {
  std::erase(gAdded, object);
  object->status &= static_cast<uint8_t>(~kStatusInWorld);
  object->world = nullptr;
  return 0;
}

class ModelLoad : public model_test::ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    while (wre_FolderPop() == 0) {
    }
    ASSERT_EQ(wre_FolderSet(dir.str().c_str()), 0);
    gAdded.clear();
    gAddResult = 0;
  }
  void TearDown() override {
    wre_FolderSet(nullptr);
    ModelTest::TearDown();
  }
  void Write(const std::string& name, const Bytes& bytes) {
    dir.Write(name, std::string(bytes.begin(), bytes.end()));
  }
  void UseWorld() {
    gObjectServices.worldAdd = &FakeAdd;
    gObjectServices.worldRemove = &FakeRemove;
  }
  static ChunkObjectDef Object(float x, const std::string& textB = "") {
    ChunkObjectDef o;
    o.mesh = MeshBox(2, 2, 2);
    MeshTranslate(o.mesh, x, 0, 0);
    o.angles = {0, 1024, 0};
    if (!textB.empty()) {
      ChunkUserDataDef u;
      u.kind = 1994;
      u.textB = textB;
      o.userData.push_back(u);
    }
    return o;
  }
  static int32_t Count(const ModelList* list) {
    int32_t n = 0;
    for (; list; list = list->next) ++n;
    return n;
  }
  World* world = reinterpret_cast<World*>(&worldStorage);
  int worldStorage = 0;
  TempDir dir;
};

TEST_F(ModelLoad, TheFormatIsChosenByTheFirstBytes) {
  TdsSceneDef tds;
  TdsObjectDef t;
  t.mesh = MeshBox(1, 1, 1);
  tds.objects = {t};
  Write("mascot.c4d", TdsWriteScene(tds));  // 3DS bytes under a C4D name
  C4DSceneDef c4d;
  C4DNodeDef n;
  n.mesh = MeshSphere(1, 4, 8);
  c4d.nodes = {n};
  Write("ball.c4d", C4DWriteScene(c4d));
  Write("crate.c4d", ChunkWriteObject(Object(0)));
  Write("junk.c4d", Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10});

  EngineObject* o = nullptr;
  for (const char* name : {"mascot.c4d", "ball.c4d", "CRATE.C4D"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(wre_ModelLoad(name, &o, 0, 0, 0, 1, 0, 0, 0), 0);
    ASSERT_NE(o, nullptr);
    EXPECT_GT(o->polygonCount, 0);
    EXPECT_EQ(wre_ModelDispose(&o, nullptr), 0);
    EXPECT_EQ(o, nullptr);
  }
  EXPECT_EQ(wre_ModelLoad("junk.c4d", &o, 0, 0, 0, 1, 0, 0, 0), -1);
  EXPECT_EQ(wre_ModelLoad("absent.c4d", &o, 0, 0, 0, 1, 0, 0, 0), -1);
  EXPECT_EQ(o, nullptr);
  ModelList* list = nullptr;
  EXPECT_EQ(wre_ModelListLoad("mascot.c4d", &list, 0, 0, 0, 1, 0, 0, 0), -1);  // 3DS only as one object
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(wre_ModelLoad(nullptr, &o, 0, 0, 0, 1, 0, 0, 0), -1);
  EXPECT_EQ(wre_ModelLoad("ball.c4d", nullptr, 0, 0, 0, 1, 0, 0, 0), -1);
}

TEST_F(ModelLoad, ALevelFileLoadsEveryObjectAndIgnoresAShortTrailer) {
  Write("level.brp", ChunkWriteFile({Object(0, "12"), Object(10, "-3"), Object(20)}, 88));
  Write("long.brp", ChunkWriteFile({Object(0)}, 89));
  ModelList* list = nullptr;
  Watch();
  ASSERT_EQ(wre_ModelListLoad("level.brp", &list, 0, 0, 0, 1, 1, 0, 0), 0);
  ASSERT_EQ(Count(list), 3);
  EXPECT_EQ(wre_ObjectGetUserValue(list->object), 12);
  EXPECT_EQ(wre_ObjectGetUserValue(list->next->object), -3);
  EXPECT_EQ(wre_ObjectGetUserValue(list->next->next->object), -1);
  EXPECT_EQ(list->next->prev, list);
  EXPECT_EQ(wre_ModelListDispose(&list, nullptr), 0);
  EXPECT_EQ(list, nullptr);
  // 89 bytes more than the objects cannot be an object: the load fails.
  EXPECT_EQ(wre_ModelListLoad("long.brp", &list, 0, 0, 0, 1, 1, 0, 0), -1);
  ASSERT_EQ(Count(list), 1);  // what was read stays for the caller
  wre_ModelListDispose(&list, nullptr);
  EXPECT_EQ(Leaks(), 0);
}

TEST_F(ModelLoad, CollidableZeroClearsOnlyInTheSingleLoader) {
  Write("crate.brp", ChunkWriteObject(Object(0)));  // the file sets the collidable bit
  EngineObject* o = nullptr;
  ASSERT_EQ(wre_ModelLoad("crate.brp", &o, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_FALSE(o->status & kStatusActive);
  wre_ModelDispose(&o, nullptr);
  ModelList* list = nullptr;
  ASSERT_EQ(wre_ModelListLoad("crate.brp", &list, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_TRUE(list->object->status & kStatusActive);
  wre_ModelListDispose(&list, nullptr);
}

TEST_F(ModelLoad, OptionsRebuildCentreAndBake) {
  ChunkObjectDef def = Object(10);
  Write("crate.brp", ChunkWriteObject(def));
  EngineObject* o = nullptr;
  Watch();
  ASSERT_EQ(wre_ModelLoad("crate.brp", &o, 1, 1, kObjectPointAttachments, 1, 0, 1, 0), 0);
  EXPECT_TRUE(o->creationFlags & kObjectPointAttachments);
  EXPECT_NE(o->pointAttachments, nullptr);
  EXPECT_EQ(o->pointCount, 8);  // the rebuild merges the box's repeated corners
  EXPECT_EQ(o->transform.angleY, 0);  // baked
  float sumX = 0;
  for (int32_t i = 0; i < o->pointCount; ++i) sumX += o->localPoints[i].x;
  EXPECT_NEAR(sumX, 0.0f, 1e-3);  // centred, and the turn baked in
  wre_ModelDispose(&o, nullptr);
  EXPECT_EQ(Leaks(), 0);
}

TEST_F(ModelLoad, NumericUserDataKeepsTheValueMetLast) {
  ChunkObjectDef def = Object(0, "  +12xyz");
  ChunkUserDataDef second;
  second.kind = 1994;
  second.textB = "5";
  def.userData.push_back(second);
  Write("rider.brp", ChunkWriteObject(def));
  EngineObject* o = nullptr;
  ASSERT_EQ(wre_ModelLoad("rider.brp", &o, 0, 0, 0, 1, 1, 0, 0), 0);
  // Both text records became value records: "5" (read last, converted first) and then 12 put in
  // front of it; the last one met from the head is 5.
  EXPECT_EQ(UserValues(o), (std::vector<int32_t>{12, 5}));
  EXPECT_EQ(wre_ObjectGetUserValue(o), 5);
  wre_ModelDispose(&o, nullptr);
  ASSERT_EQ(wre_ModelLoad("rider.brp", &o, 0, 0, 0, 1, 0, 0, 0), 0);
  EXPECT_EQ(wre_ObjectGetUserValue(o), -1);  // text records only
  wre_ModelDispose(&o, nullptr);
  EXPECT_EQ(wre_ObjectGetUserValue(nullptr), -1);
}

TEST_F(ModelLoad, WorldsTakeTheObjectsAndGiveThemBack) {
  Write("level.brp", ChunkWriteFile({Object(0), Object(5)}));
  Write("crate.brp", ChunkWriteObject(Object(0)));
  ModelList* list = nullptr;
  EngineObject* o = nullptr;
  UseWorld();
  EXPECT_EQ(wre_ModelListLoadIntoWorld("level.brp", &list, nullptr, 0, 0, 0, 1, 0, 0, 0), -1);
  ASSERT_EQ(wre_ModelListLoadIntoWorld("level.brp", &list, world, 0, 0, 0, 1, 0, 0, 0), 0);
  ASSERT_EQ(gAdded.size(), 2u);
  EXPECT_EQ(gAdded[0], list->object);
  ASSERT_EQ(wre_ModelLoadIntoWorld("crate.brp", &o, world, 0, 0, 0, 1, 0, 0, 0), 0);
  EXPECT_EQ(gAdded.size(), 3u);
  EXPECT_EQ(wre_ModelDispose(&o, world), 0);
  EXPECT_EQ(wre_ModelListDispose(&list, world), 0);
  EXPECT_TRUE(gAdded.empty());
  // An object that is not in the given world is still freed; null pointers are refused.
  ASSERT_EQ(wre_ModelLoad("crate.brp", &o, 0, 0, 0, 1, 0, 0, 0), 0);
  EXPECT_EQ(wre_ModelDispose(&o, world), 0);
  EXPECT_EQ(o, nullptr);
  EXPECT_EQ(wre_ModelDispose(&o, world), -1);
  EXPECT_EQ(wre_ModelListDispose(&list, world), -1);
  // A refusal of the world is returned; the object stays with the caller.
  gAddResult = -7;
  EXPECT_EQ(wre_ModelLoadIntoWorld("crate.brp", &o, world, 0, 0, 0, 1, 0, 0, 0), -7);
  EXPECT_NE(o, nullptr);
  wre_ModelDispose(&o, nullptr);
}

TEST_F(ModelLoad, C4DListsAndTheSingleLoadersChainMode) {
  C4DSceneDef scene;
  for (float x : {0.f, 4.f, 8.f}) {
    C4DNodeDef n;
    n.mesh = MeshBox(1, 1, 1);
    n.position = {x, 0, 0};
    scene.nodes.push_back(n);
  }
  Write("globe.c4d", C4DWriteScene(scene));
  ModelList* list = nullptr;
  Watch();
  ASSERT_EQ(wre_ModelListLoad("globe.c4d", &list, 0, 0, 0, 1, 0, 0, 0), 0);
  ASSERT_EQ(Count(list), 3);
  EXPECT_FLOAT_EQ(list->object->transform.position[0], 8.0f);  // reverse file order
  EXPECT_EQ(list->object->next, nullptr);
  wre_ModelListDispose(&list, nullptr);
  // The single loader with bit 1 keeps the first object of the chain and frees the others.
  EngineObject* o = nullptr;
  ASSERT_EQ(wre_ModelLoad("globe.c4d", &o, 0, 0, 0, 1, 0, 0, kC4DPerTopNode), 0);
  EXPECT_EQ(o->next, nullptr);
  EXPECT_FLOAT_EQ(o->transform.position[0], 8.0f);
  wre_ModelDispose(&o, nullptr);
  // Bit 2 (always given by the single loader): the whole scene as one object.
  ASSERT_EQ(wre_ModelLoad("globe.c4d", &o, 0, 0, 0, 1, 0, 0, 0), 0);
  EXPECT_EQ(o->polygonCount, 36);
  wre_ModelDispose(&o, nullptr);
  EXPECT_EQ(Leaks(), 0);
}

}  // namespace

namespace {

TEST_F(ModelLoad, ALevelLoadsIntoARealCellGridWorld) {
  Write("level.brp", ChunkWriteFile({Object(0), Object(5), Object(-5)}));
  Point4 origin{-100, 0, -100, 0};
  World* grid = wre_WorldCreate(kWorldCellGrid, 10.0f, 20, 0, 20, 0, &origin, nullptr, 100.0f, 0);
  ASSERT_NE(grid, nullptr);
  ModelList* list = nullptr;
  ASSERT_EQ(wre_ModelListLoadIntoWorld("level.brp", &list, grid, 0, 0, 0, 1, 0, 0, 0), 0);
  EXPECT_EQ(grid->objectCount, 3);
  EXPECT_EQ(list->object->world, grid);
  EXPECT_NE(list->object->cellHead, nullptr);
  EXPECT_EQ(wre_ModelListDispose(&list, grid), 0);
  EXPECT_EQ(grid->objectCount, 0);
  EXPECT_EQ(grid->objects, nullptr);
  wre_WorldDispose(grid);
}

}  // namespace
