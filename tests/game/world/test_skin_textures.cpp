// Livery and rider slots on pictures written into the fixture's data tree: sharing, the last
// release, empty and out-of-range slots, missing pictures, and the data folder kept as it was.
#include <gtest/gtest.h>

#include <string>

#include "game/world/skin_textures.h"
#include "game/world/texture_slots.h"
#include "world_fixture.h"

namespace {

using level_fixture::WritePicture;

class SkinTextureTest : public WorldFixture {
 public:
  void SetUp() override {
    WorldFixture::SetUp();
    ASSERT_EQ(TextureSlotsAlloc(), 0);
    wre_FolderSet("data:levels");
    kept_ = gCurrentFolder;
  }
  void TearDown() override {
    TextureSlotsFree();
    WorldFixture::TearDown();
  }
  void ExpectFolderKept() const { EXPECT_EQ(kept_, gCurrentFolder); }

 private:
  std::string kept_;
};

TEST_F(SkinTextureTest, LiverySlotsShareOneTextureUntilTheLastUserReleases) {
  WritePicture(dir, "data/hydrels/alder/alder_10.BMP", 200, 0, 0);
  WritePicture(dir, "data/hydrels/alder/alder_01.BMP", 0, 200, 0);
  WritePicture(dir, "data/hydrels/dogwood/dogwood_10.BMP", 0, 0, 200);
  const int32_t baseline = TexturesInUse();

  const int32_t shared = LiveryTextureAcquire(9, 0, &view);
  ASSERT_GE(shared, 0);
  EXPECT_EQ(wre_TextureFindByFile("alder_10.BMP"), shared);
  EXPECT_EQ(LiveryTextureAcquire(9, 0, &view), shared);
  EXPECT_EQ(gLiverySlots[0][9].count, 2);
  ExpectFolderKept();
  // The same number of another model is a slot and a file of its own.
  const int32_t other = LiveryTextureAcquire(9, 1, &view);
  ASSERT_GE(other, 0);
  EXPECT_NE(other, shared);
  EXPECT_EQ(TexturesInUse(), baseline + 2);

  EXPECT_EQ(LiveryTextureRelease(9, 0), 0);
  EXPECT_TRUE(wre_TextureInUse(shared));
  EXPECT_EQ(LiveryTextureRelease(9, 0), 0);
  EXPECT_EQ(TexturesInUse(), baseline + 1);
  EXPECT_EQ(gLiverySlots[0][9].count, 0);

  // The freed index goes to the next load; releasing the emptied slot again must not take it.
  const int32_t next = LiveryTextureAcquire(0, 0, &view);
  ASSERT_GE(next, 0);
  EXPECT_EQ(LiveryTextureRelease(9, 0), 0);
  EXPECT_TRUE(wre_TextureInUse(next));
  EXPECT_EQ(gLiverySlots[0][9].count, 0);
  EXPECT_EQ(TexturesInUse(), baseline + 2);

  EXPECT_EQ(LiveryTextureRelease(0, 0), 0);
  EXPECT_EQ(LiveryTextureRelease(9, 1), 0);
  EXPECT_EQ(TexturesInUse(), baseline);
}

TEST_F(SkinTextureTest, LiveryFailuresGiveNoTextureAndLeaveTheSlotEmpty) {
  const int32_t baseline = TexturesInUse();
  EXPECT_EQ(LiveryTextureAcquire(4, 0, &view), -1);  // alder_05.BMP is missing
  EXPECT_EQ(gLiverySlots[0][4].count, 0);
  ExpectFolderKept();
  EXPECT_EQ(LiveryTextureAcquire(50, 0, &view), -1);
  EXPECT_EQ(LiveryTextureAcquire(-1, 0, &view), -1);
  EXPECT_EQ(LiveryTextureAcquire(0, kCraftModelCount, &view), -1);
  EXPECT_EQ(LiveryTextureRelease(50, 0), kWreErrRange);
  EXPECT_EQ(LiveryTextureRelease(0, -1), kWreErrRange);
  EXPECT_EQ(TexturesInUse(), baseline);
  // A picture that appears later loads on the next try.
  WritePicture(dir, "data/hydrels/alder/alder_05.BMP", 9, 9, 9);
  EXPECT_GE(LiveryTextureAcquire(4, 0, &view), 0);
  EXPECT_EQ(LiveryTextureRelease(4, 0), 0);
  EXPECT_EQ(TexturesInUse(), baseline);
}

TEST_F(SkinTextureTest, RiderSlotsShareReleaseAndRefuseLikeLiveries) {
  WritePicture(dir, "data/riders/common/male_41.BMP", 90, 90, 0);
  const int32_t baseline = TexturesInUse();
  const int32_t skin = RiderTextureAcquire(40, &view);
  ASSERT_GE(skin, 0);
  EXPECT_EQ(wre_TextureFindByFile("male_41.BMP"), skin);
  EXPECT_EQ(RiderTextureAcquire(40, &view), skin);
  ExpectFolderKept();
  EXPECT_EQ(TexturesInUse(), baseline + 1);
  EXPECT_EQ(RiderTextureRelease(40), 0);
  EXPECT_EQ(TexturesInUse(), baseline + 1);
  EXPECT_EQ(RiderTextureRelease(40), 0);
  EXPECT_EQ(TexturesInUse(), baseline);
  EXPECT_EQ(RiderTextureRelease(40), 0);
  EXPECT_EQ(gRiderSlots[40].count, 0);

  EXPECT_EQ(RiderTextureAcquire(0, &view), -1);  // male_01.BMP is missing
  EXPECT_EQ(gRiderSlots[0].count, 0);
  EXPECT_EQ(RiderTextureAcquire(41, &view), -1);
  EXPECT_EQ(RiderTextureRelease(41), kWreErrRange);
  EXPECT_EQ(TexturesInUse(), baseline);
}

}  // namespace
