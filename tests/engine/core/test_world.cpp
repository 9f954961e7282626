#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "engine/core/detail.h"
#include "engine/core/light.h"
#include "engine/data/material.h"
#include "world_test_support.h"

namespace {

using object_test::BlockWatch;
using world_test::CountList;
using world_test::InCell;
using world_test::PlacedBox;
using world_test::WorldTest;
using object_test::ExpectPoint;

const Point4 kOrigin{0.0f, 0.0f, 0.0f, 0.0f};

World* NewGrid(int32_t cellsX, int32_t cellsZ, float cellSize = 10.0f) {
  return wre_WorldCreate(kWorldCellGrid, cellSize, cellsX, 0, cellsZ, 0, &kOrigin, nullptr, 0.0f, 0);
}

World* NewList() { return wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, nullptr, nullptr, 0.0f, 0); }

int32_t gBinds = 0;
int32_t gBindResult = 0;
int32_t CountingBinder(World*) {
  ++gBinds;
  return gBindResult;
}

TEST_F(WorldTest, CreationChecksItsArguments) {
  BlockWatch watch;
  EXPECT_EQ(wre_WorldCreate(99, 10.0f, 4, 0, 4, 0, &kOrigin, nullptr, 0.0f, 0), nullptr);
  EXPECT_EQ(wre_WorldCreate(kWorldCellGrid, 10.0f, 4, 0, 4, 0, nullptr, nullptr, 0.0f, 0), nullptr);
  EXPECT_EQ(NewGrid(4, 4, 0.0f), nullptr);
  EXPECT_EQ(NewGrid(4, 4, std::numeric_limits<float>::quiet_NaN()), nullptr);
  EXPECT_EQ(NewGrid(0, 4), nullptr);
  EXPECT_EQ(NewGrid(4, -1), nullptr);

  const float colour[4] = {10.0f, 20.0f, 30.0f, 40.0f};
  gLightingDirty = 0;
  World* world = wre_WorldCreate(kWorldCellGrid, 8.0f, 3, 7, 5, 0, &kOrigin, colour, 50.0f, 0);
  ASSERT_NE(world, nullptr);
  EXPECT_EQ(gLightingDirty, 1);
  EXPECT_EQ(world->type, kWorldCellGrid);
  EXPECT_EQ(world->cellReciprocal, 0.125f);
  EXPECT_EQ(world->spareCount, 7);
  EXPECT_EQ(world->cellArraySize, static_cast<int32_t>(sizeof(EngineObject*)) * 15);
  EXPECT_EQ(world->ambient[3], 40.0f);  // unscaled
  EXPECT_FLOAT_EQ(world->ambientLevel, 0.5f);
  // The ambient setting (colour, level, once more) and the creation itself.
  EXPECT_EQ(world->changeCounter, 4);
  EXPECT_EQ(world->objectCount, 0);
  EXPECT_EQ(world->smallestRadius, 0.0f);
  EXPECT_EQ(wre_WorldDispose(world), 0);

  // A refused binding gives no world and leaves nothing behind.
  gBinds = 0;
  gBindResult = -1;
  wre_WorldSetCullBinder(&CountingBinder);
  EXPECT_EQ(NewGrid(4, 4), nullptr);
  EXPECT_EQ(gBinds, 1);
  gBindResult = 0;
  world = NewList();
  EXPECT_NE(world, nullptr);
  EXPECT_EQ(gBinds, 2);
  wre_WorldSetCullBinder(nullptr);
  wre_WorldDispose(world);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(WorldTest, GridFilesObjectsByPositionClampedIntoANonSquareGrid) {
  BlockWatch watch;
  World* world = NewGrid(4, 2);  // 4 cells across, 2 deep: the row stride is 4
  ASSERT_NE(world, nullptr);
  EngineObject* left = PlacedBox(1.0f, -5.0f, 0.0f, -5.0f);
  EngineObject* beyond = PlacedBox(1.0f, 100.0f, 0.0f, 100.0f);
  EngineObject* inner = PlacedBox(1.0f, 25.0f, 0.0f, 15.0f);
  EngineObject* lost = PlacedBox(1.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f, 1e30f);
  for (EngineObject* o : {left, beyond, inner, lost}) ASSERT_EQ(wre_WorldAddObject(o, world), 0);
  EXPECT_EQ(world->objectCount, 4);

  EXPECT_TRUE(InCell(world, 0, left));
  EXPECT_EQ(left->cellColumn, 0);
  EXPECT_EQ(left->cellRow, 0);
  EXPECT_TRUE(InCell(world, 3 + 1 * 4, beyond));
  EXPECT_EQ(beyond->cellColumn, 3);
  EXPECT_EQ(beyond->cellRow, 1);
  EXPECT_TRUE(InCell(world, 2 + 1 * 4, inner));
  EXPECT_TRUE(InCell(world, 0 + 1 * 4, lost));  // NaN is held at column 0, a huge z at the last row

  // Placing an object refiles it; relinking the same cell never links it twice.
  wre_ObjectSetTransform(inner, 0, 0, 0, 5.0f, 0.0f, 5.0f);
  EXPECT_FALSE(InCell(world, 6, inner));
  EXPECT_TRUE(InCell(world, 0, inner));
  wre_WorldGridLinkObject(inner, world);
  int inCellZero = 0;
  for (EngineObject* at = world->cells[0]; at; at = at->cellNext) inCellZero += at == inner;
  EXPECT_EQ(inCellZero, 1);

  // A transform changed behind the world's back is caught up by the relink of all objects.
  inner->transform.position[0] = 35.0f;
  EXPECT_EQ(wre_WorldGridRelinkAll(world), 0);
  EXPECT_TRUE(InCell(world, 3, inner));
  EXPECT_EQ(inner->transform.changed, 0);  // updated
  EXPECT_EQ(wre_WorldGridRelinkAll(nullptr), -1);
  EXPECT_EQ(wre_WorldGridLinkObject(inner, nullptr), -1);

  EXPECT_EQ(wre_WorldRemoveObject(inner, world), 0);
  EXPECT_FALSE(InCell(world, 3, inner));
  EXPECT_EQ(inner->cellHead, nullptr);
  EXPECT_EQ(world->objectCount, 3);
  EXPECT_EQ(inner->world, nullptr);
  EXPECT_EQ(inner->status & kStatusInWorld, 0);
  wre_ObjectDispose(inner);

  // Disposing objects still in the world takes them out first.
  wre_ObjectDispose(beyond);
  EXPECT_EQ(world->objectCount, 2);
  EXPECT_EQ(world->cells[7], nullptr);
  EXPECT_EQ(CountList(world->objects), 2);
  EXPECT_EQ(wre_WorldDisposeObjects(world), 0);
  EXPECT_EQ(world->objects, nullptr);
  EXPECT_EQ(world->objectCount, 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(world->cells[i], nullptr);
  wre_WorldDispose(world);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(WorldTest, AddAndRemoveKeepTheCountAndRefuseMisuse) {
  BlockWatch watch;
  World* world = NewList();
  World* other = NewList();
  EngineObject* a = PlacedBox(2.0f, 0, 0, 0);
  EngineObject* b = PlacedBox(1.0f, 0, 0, 0);
  EngineObject* c = PlacedBox(3.0f, 0, 0, 0);
  EngineObject* mesh = object_test::NewBoxMesh(kObjectStatic, -1, 1, -1, 1, -1, 1);
  wre_ObjectRecalc(mesh, 0, 1, 1, 1, 1);

  EXPECT_EQ(wre_WorldAddObject(nullptr, world), kWreErrNull);
  EXPECT_EQ(wre_WorldRemoveObject(a, world), kWorldErrNotInWorld);
  ASSERT_EQ(wre_WorldAddObject(a, world), 0);
  EXPECT_EQ(world->largestRadius, a->radius);  // the first object sets both radii
  EXPECT_EQ(world->smallestRadius, a->radius);
  EXPECT_EQ(wre_WorldAddObject(a, world), kWorldErrAlreadyInWorld);
  EXPECT_EQ(wre_WorldAddObject(a, other), kWorldErrAlreadyInWorld);
  EXPECT_EQ(world->objectCount, 1);
  ASSERT_EQ(wre_WorldAddObject(b, world), 0);
  ASSERT_EQ(wre_WorldAddObject(c, world), 0);
  ASSERT_EQ(wre_WorldAddObject(mesh, world), 0);
  EXPECT_EQ(world->smallestRadius, b->radius);
  EXPECT_EQ(world->largestRadius, c->radius);
  EXPECT_EQ(world->objectCount, 4);
  EXPECT_EQ(CountList(world->objects), 3);
  EXPECT_EQ(world->gridMeshes, mesh);

  // Removing from a world the object does not stand in leaves both worlds as they were.
  EXPECT_EQ(wre_WorldRemoveObject(b, other), kWorldErrNotInWorld);
  EXPECT_EQ(CountList(world->objects), 3);
  EXPECT_EQ(wre_WorldRemoveObject(b, world), 0);
  EXPECT_EQ(wre_WorldRemoveObject(b, world), kWorldErrNotInWorld);
  EXPECT_EQ(world->objectCount, 3);
  EXPECT_EQ(wre_WorldRemoveObject(mesh, world), 0);
  EXPECT_EQ(world->gridMeshes, nullptr);
  EXPECT_EQ(world->objectCount, 2);

  // A detail-group member's links belong to its group.
  ASSERT_EQ(wre_ObjectDetailSetAdd(b, mesh), 0);
  EXPECT_NE(wre_WorldAddObject(mesh, world), 0);
  EXPECT_EQ(world->objectCount, 2);

  EXPECT_EQ(wre_WorldFindObjectByName("x", nullptr), nullptr);
  wre_ObjectSetName(c, "Buoy");
  EXPECT_EQ(wre_WorldFindObjectByName("bUOY", world), c);
  EXPECT_EQ(wre_WorldFindObjectByName("Buoy", other), nullptr);

  // A world disposed with objects in it lets them go.
  wre_WorldDispose(world);
  EXPECT_EQ(a->world, nullptr);
  EXPECT_EQ(a->status & kStatusInWorld, 0);
  EXPECT_EQ(a->next, nullptr);
  for (EngineObject* o : {a, b, c}) wre_ObjectDispose(o);
  wre_WorldDispose(other);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(WorldTest, GridMeshesGoOnTheirOwnListAndByNameAfterTheObjects) {
  BlockWatch watch;
  World* world = NewGrid(2, 2);
  EngineObject* mesh = object_test::NewBoxMesh(kObjectStatic, -1, 1, -1, 1, -1, 1);
  EngineObject* box = PlacedBox(1.0f, 5, 0, 5);
  wre_ObjectRecalc(mesh, 0, 1, 1, 1, 1);
  wre_ObjectSetName(mesh, "same");
  wre_ObjectSetName(box, "SAME");
  ASSERT_EQ(wre_WorldAddObject(mesh, world), 0);
  ASSERT_EQ(wre_WorldAddObject(box, world), 0);
  EXPECT_EQ(mesh->cellHead, nullptr);  // grid meshes are never filed in cells
  wre_ObjectSetTransform(mesh, 0, 0, 0, 15, 0, 15);
  EXPECT_EQ(mesh->cellHead, nullptr);
  EXPECT_EQ(wre_WorldFindObjectByName("same", world), box);
  EXPECT_EQ(wre_WorldDisposeObjects(world), 0);
  EXPECT_EQ(world->gridMeshes, nullptr);
  EXPECT_EQ(world->objects, nullptr);
  EXPECT_EQ(wre_WorldDisposeObjects(nullptr), -1);
  wre_WorldDispose(world);
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(WorldTest, AmbientChangesMarkLightingDirtyAndBumpTheCounter) {
  World* world = NewList();
  const float colour[4] = {1.0f, 2.0f, 3.0f, 4.0f};
  world->changeCounter = 254;
  gLightingDirty = 0;
  EXPECT_EQ(wre_WorldSetAmbientLevel(world, 25.0f), 0);
  EXPECT_EQ(gLightingDirty, 1);
  EXPECT_EQ(world->changeCounter, 255);
  EXPECT_FLOAT_EQ(world->ambientLevel, 0.25f);
  gLightingDirty = 0;
  EXPECT_EQ(wre_WorldSetAmbientColour(world, colour), 0);
  EXPECT_EQ(gLightingDirty, 1);
  EXPECT_EQ(world->changeCounter, 0);  // wraps
  EXPECT_EQ(std::memcmp(world->ambient, colour, sizeof(colour)), 0);
  EXPECT_EQ(wre_WorldSetAmbient(world, nullptr, 10.0f), 0);
  EXPECT_EQ(world->changeCounter, 2);
  EXPECT_EQ(world->ambient[0], 1.0f);  // a null colour keeps the colour
  EXPECT_EQ(wre_WorldSetAmbient(world, colour, 10.0f), 0);
  EXPECT_EQ(world->changeCounter, 5);
  EXPECT_EQ(wre_WorldSetAmbient(nullptr, colour, 1.0f), kWreErrNull);
  EXPECT_EQ(wre_WorldSetAmbientColour(nullptr, colour), kWreErrNull);
  EXPECT_EQ(wre_WorldSetAmbientLevel(nullptr, 1.0f), kWreErrNull);
  EXPECT_EQ(wre_WorldSetGridOrigin(nullptr, 0, 0, 0, 0), -1);
  EXPECT_EQ(wre_WorldSetGridOrigin(world, 1, 2, 3, 4), 0);
  EXPECT_EQ(world->gridOrigin.z, 3.0f);
  wre_WorldDispose(world);
}

TEST_F(WorldTest, LightsKeepTheirDirectionNameAndList) {
  BlockWatch watch;
  const float colour[4] = {1.0f, 0.5f, 0.25f, 1.0f};
  Transform placement;
  wre_TransformSet(&placement, 100, 200, 300, 0.0f, 0.0f, 5.0f);
  EXPECT_EQ(wre_LightCreate(99, &placement, colour, 50.0f), nullptr);
  Light* sun = wre_LightCreate(kLightDirectional, &placement, colour, 50.0f);
  ASSERT_NE(sun, nullptr);
  ExpectPoint(Point4{sun->transform.position[0], sun->transform.position[1], sun->transform.position[2], 0}, 0, 0, 1);
  EXPECT_EQ(sun->transform.angleX, 0);
  EXPECT_EQ(sun->transform.angleY, 0);
  EXPECT_EQ(sun->transform.angleZ, 0);
  EXPECT_EQ(sun->transformCopy.position[2], 1.0f);
  EXPECT_EQ(sun->on, 1);
  EXPECT_STREQ(sun->name, " ");
  EXPECT_FLOAT_EQ(sun->intensity, 0.5f);
  EXPECT_EQ(sun->colour[2], 0.25f);
  // A zero direction stays zero.
  wre_LightSetPosition(sun, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(sun->transform.position[0], 0.0f);
  EXPECT_FALSE(std::isnan(sun->transform.position[2]));

  Light* lamp = wre_LightCreate(kLightPoint, &placement, colour, 100.0f);
  ASSERT_NE(lamp, nullptr);
  EXPECT_EQ(lamp->transform.angleY, 200);
  EXPECT_EQ(lamp->transform.position[2], 5.0f);

  // Outside a world nothing is counted; inside, every change is.
  World* world = NewList();
  const uint16_t start = world->changeCounter;
  wre_LightSetOn(lamp, 0);
  wre_LightSetIntensity(lamp, 20.0f);
  wre_LightSetName(lamp, "Harbour lamp");
  EXPECT_EQ(world->changeCounter, start);
  ASSERT_EQ(wre_LightListAdd(lamp, world), 0);
  EXPECT_EQ(lamp->world, world);
  EXPECT_EQ(world->changeCounter, start + 1);
  ASSERT_EQ(wre_LightListAdd(sun, world), 0);
  EXPECT_EQ(world->lights, lamp);
  EXPECT_EQ(lamp->next, sun);
  EXPECT_NE(wre_LightListAdd(sun, world), 0);  // not linked twice
  EXPECT_EQ(sun->next, nullptr);
  wre_LightSetOn(sun, 1);
  wre_LightSetIntensity(sun, 10.0f);
  wre_LightSetPosition(sun, 1, 0, 0, 0, 0, 0);
  EXPECT_EQ(world->changeCounter, start + 5);

  EXPECT_EQ(wre_LightFindByName("HARBOUR LAMP", world), lamp);
  EXPECT_EQ(wre_LightFindByName("harbour", world), nullptr);
  EXPECT_EQ(wre_LightFindByName(nullptr, world), nullptr);
  wre_LightSetName(sun, "a name of thirty-two characters!");
  EXPECT_EQ(std::strlen(sun->name), 31u);
  EXPECT_EQ(wre_LightSetName(nullptr, "x"), kWreErrNull);

  // Removing the head bumps the counter and leaves the rest listed.
  EXPECT_EQ(wre_LightListRemove(lamp, world), 0);
  EXPECT_EQ(world->changeCounter, start + 6);
  EXPECT_EQ(world->lights, sun);
  EXPECT_EQ(sun->prev, nullptr);
  EXPECT_EQ(lamp->world, nullptr);
  EXPECT_EQ(wre_LightListRemove(nullptr, world), kWreErrNull);
  // A light disposed while listed leaves the list first.
  ASSERT_EQ(wre_LightListAdd(lamp, world), 0);
  EXPECT_EQ(wre_LightDispose(sun), 0);
  EXPECT_EQ(world->lights, lamp);
  EXPECT_EQ(lamp->prev, nullptr);
  EXPECT_EQ(wre_WorldDisposeLights(world), 0);
  EXPECT_EQ(world->lights, nullptr);
  wre_WorldDispose(world);
  EXPECT_EQ(watch.Left(), 0);
}

}  // namespace
