// The world fixture with the sample tree's craft, riders and gameplay folders written into its data
// folder, the spray texture and the game's materials a race has, the texture slot tables made, and
// the textures in use counted before anything is built; a watch on the engine's blocks counts those
// a test leaves behind.
#pragma once
#include <gtest/gtest.h>

#include <optional>

#include "engine/data/texture_list.h"
#include "engine/render/camera.h"
#include "game/state/settings.h"
#include "game/world/game_materials.h"
#include "game/world/texture_slots.h"
#include "tests/engine/core/object_test_support.h"
#include "tools/datagen/tree_output.h"
#include "world_fixture.h"

class CraftFixture : public WorldFixture {
 public:
  void SetUp() override {
    WorldFixture::SetUp();
    TreeOutput tree;
    tree.root = dir.str();
    TreeWriteCraft(tree);
    ASSERT_TRUE(tree.ok);
    level_fixture::WritePicture(dir, "data/textures/spray.bmp", 250, 250, 250);
    dir.Write("data/textures/texture.codx", level_fixture::TextureList("spray.bmp", "vqz_WaterSprayTextureIdent"));
    wre_FolderSet("data:textures");
    ASSERT_EQ(wre_CodexLoadTextures("texture.codx", 0, view.camera->context), 0);
    ASSERT_TRUE(MaterialsCreate());
    ASSERT_EQ(TextureSlotsAlloc(), 0);
    gSettings.detail = 80;
    textures_ = TexturesInUse();
  }
  void TearDown() override {
    gRaceActive = 0;
    TextureSlotsFree();
    MaterialsFree();
    WorldFixture::TearDown();
  }
  // A watch on the engine's blocks from here on, in place of any earlier one. It ends with the
  // fixture, after the teardown: a test stopped half-way leaves what it built to the teardown,
  // which must find it still there.
  object_test::BlockWatch& WatchBlocks() {
    blocks_.reset();
    return blocks_.emplace();
  }
  // Every block taken since the watch began and every texture taken since the set-up is back.
  void ExpectBaseline(object_test::BlockWatch& blocks) const {
    EXPECT_EQ(blocks.Left(), 0);
    EXPECT_EQ(TexturesInUse(), textures_);
  }

 private:
  int32_t textures_ = 0;
  std::optional<object_test::BlockWatch> blocks_;
};
