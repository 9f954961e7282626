// The race interface's textures load from a small interface tree and unload back to the texture
// table's baseline, with and without a race active.
#include <gtest/gtest.h>

#include <string>

#include "game/state/prefs.h"
#include "game/world/interface_textures.h"
#include "world_fixture.h"

namespace {

using level_fixture::TextureList;
using level_fixture::WritePicture;

class InterfaceTextureTest : public WorldFixture {
 public:
  void SetUp() override {
    WorldFixture::SetUp();
    WritePicture(dir, "data/textures/shared.bmp", 10, 10, 10);
    dir.Write("data/textures/texture.codx", TextureList("shared.bmp", ""));
    WritePicture(dir, "data/interface/pause.bmp", 20, 20, 20);
    dir.Write("data/interface/texture.codx", TextureList("pause.bmp", "vqz_QuitPauseTexture"));
    for (const char* sheet : {"qz_interface", "qz_menu"}) {
      WritePicture(dir, std::string("data/interface/") + sheet + ".BMP", 30, 30, 30);
      WritePicture(dir, std::string("data/interface/") + sheet + "_opacity.BMP", 255, 255, 255);
    }
  }
};

TEST_F(InterfaceTextureTest, LoadsAndUnloadsBackToTheBaselineWithAndWithoutARace) {
  wre_FolderSet("data:interface");
  const std::string interfaceFolder = gCurrentFolder;
  wre_FolderSet(nullptr);
  const int32_t baseline = TexturesInUse();
  for (int8_t active : {1, 0}) {
    SCOPED_TRACE(active);
    RaceActiveSet(active);
    ASSERT_TRUE(InterfaceTexturesLoad(&view));
    EXPECT_EQ(TexturesInUse(), baseline + 3 + active);
    EXPECT_EQ(gQuitPauseTexture, wre_TextureFindByFile("pause.bmp"));
    EXPECT_NE(gQuitPauseTexture, -1);
    EXPECT_EQ(gInterfaceTexture, wre_TextureFindByFile("qz_interface.BMP"));
    EXPECT_EQ(wre_TextureFindByFile("qz_menu.BMP") != -1, active == 1);
    EXPECT_EQ(interfaceFolder, gCurrentFolder);
    EXPECT_EQ(InterfaceTexturesUnload(&view), 0);
    EXPECT_EQ(TexturesInUse(), baseline);
    EXPECT_EQ(gQuitPauseTexture, -1);
  }
  RaceActiveSet(0);
}

}  // namespace
