// A small world for driving crafts through their motion step: endless flat water at height 0 (the
// race's tiled grid), a ground wall across the course whose near face stands at z 8000, and a ramp
// at x 19000..21000 rising from 200 below the water at z 0 to 700 above it at z 2000. Crafts are
// box bodies 200 x 120 x 500 (the hull 60 below the origin) with their own polygon trees.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <deque>

#include "engine/core/collide.h"
#include "engine/core/grid_mesh.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/craft_process.h"
#include "game/world/game_object.h"
#include "game/world/game_sounds.h"
#include "game/world/level_bounds.h"
#include "game/world/object_words.h"
#include "game/world/watercraft.h"
#include "tests/engine/core/object_test_support.h"

class CraftWorld : public ::testing::Test {
 protected:
  static constexpr float kNoSound = -1.0e9f;

  void SetUp() override {
    wre_MemoryInit();
    ASSERT_EQ(wre_MathTablesInit(), 0);
    gObjectServices = wre_ObjectCoreServices();
    ASSERT_EQ(wre_CollideInit(256, 256), 0);
    const Point4 origin{0, 0, 0, 0};
    const float ambient[4] = {1, 1, 1, 1};
    view.world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, &origin, ambient, 100.0f, 0);
    ASSERT_NE(view.world, nullptr);
    gSettings = Settings{};
    gLevelBoundsMinY = -5000.0f;
    gLevelBoundsMaxY = 20000.0f;
    gEngineTick = 1000;
    for (Point4& at : gRaceSounds.emitters) at = Point4{kNoSound, kNoSound, kNoSound, 0};

    ASSERT_EQ(wre_ObjectNewGrid(2, 2, 10000.0f, 0, -1, kObjectStatic, &sea, 0, 255.0f), 0);
    Place(sea, 1, 0, 0, 0);
    wall = Place(object_test::NewBoxMesh(kObjectMesh, -8000, 8000, -2000, 4000, 0, 400, kObjectBuildTree), 8, 0, 0,
                 8000);
    ramp = wre_ObjectNew(kObjectMesh, 4, 4, 1, 0, 0);
    const float corners[4][3] = {{19000, -200, 0}, {21000, -200, 0}, {21000, 700, 2000}, {19000, 700, 2000}};
    for (const auto& c : corners) wre_ObjectAddPoint(ramp, c[0], c[1], c[2], 0);
    for (const auto& t : {std::array<int, 3>{0, 1, 2}, {0, 2, 3}, {2, 1, 0}, {3, 2, 0}}) {
      wre_ObjectAddPoly(ramp, 0, -1, kPolyPlain, t[0], t[1], t[2], nullptr, nullptr, nullptr, 0);
    }
    Place(ramp, 4, 0, 0, 0);
  }

  void TearDown() override {
    std::fill(std::begin(gCraftByIndex), std::end(gCraftByIndex), nullptr);
    wre_WorldDisposeObjects(view.world);
    wre_WorldDispose(view.world);
    wre_CollideExit();
    wre_MathTablesExit();
    gSettings = Settings{};
    gLevelBoundsMinY = gLevelBoundsMaxY = 0.0f;
  }

  // Brought up to date in the world, collidable, in the group.
  EngineObject* Place(EngineObject* object, uint32_t group, float x, float y, float z) {
    wre_ObjectSetCollisionGroup(object, group);
    wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
    wre_ObjectSetTransform(object, 0, 0, 0, x, y, z);
    wre_ObjectUpdate(object, 1, 1);
    wre_ObjectSetCollidable(object, 1);
    EXPECT_EQ(wre_WorldAddObject(object, view.world), 0);
    return object;
  }

  // A human's (slot 0) or a computer's craft of the model, at rest on the water and racing.
  Watercraft* NewCraft(int32_t slot, float x, float y, float z, int32_t model = 0, int32_t yaw = 0) {
    Watercraft& craft = crafts_.emplace_back();
    GameObject& owner = owners_.emplace_back();
    owner.type = kGameObjectWatercraft;
    owner.controlKind = slot == 0 ? kControlHuman : kControlComputer;
    owner.craft = &craft;
    EngineObject* body =
        Place(object_test::NewBoxMesh(kObjectMesh, -100, 100, -60, 60, -250, 250, kObjectBuildTree), 0x200u << slot,
              x, y, z);
    wre_ObjectSetTransform(body, 0, yaw, 0, x, y, z);
    wre_ObjectUpdate(body, 1, 1);
    body->gameWords[kGameWordOwner] = &craft;
    craft.craftObject = body;
    craft.model = model;
    craft.racerSlot = slot;
    craft.owner = &owner;
    craft.flags = kCraftRacing | kCraftOnSurface | kCraftWasOnSurface;
    for (int16_t& handle : craft.soundHandles) handle = -1;
    gCraftByIndex[slot] = &craft;
    return &craft;
  }

  void Step(Watercraft* craft, int calls = 1) {
    for (int i = 0; i < calls; ++i) ASSERT_EQ(CraftMotionStep(craft, &view), 0);
  }
  static float Y(const Watercraft* craft) { return craft->craftObject->transform.position[1]; }
  static float Z(const Watercraft* craft) { return craft->craftObject->transform.position[2]; }
  static bool Heard(RaceOneShot sound) { return gRaceSounds.emitters[sound].x != kNoSound; }
  static void Unhear(RaceOneShot sound) { gRaceSounds.emitters[sound] = Point4{kNoSound, kNoSound, kNoSound, 0}; }

  ViewComponents view{};
  EngineObject* sea = nullptr;
  EngineObject* wall = nullptr;
  EngineObject* ramp = nullptr;

 private:
  std::deque<Watercraft> crafts_;
  std::deque<GameObject> owners_;
};
