// The front-end pages drawn headless by the software renderer from the generated data tree: the
// engine with the game's 640 x 480 camera at the menu's clip planes, the start-up sheets, pictures
// and fonts loaded into a menu state, and the backdrop, logo and globe models in the world. A
// frame is rendered with the page and the tab column and kept for sampling; with VH_MENU_CAPTURES
// naming a folder, each capture is also written there as a PNG for people to look at.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/data/codex.h"
#include "engine/data/colour.h"
#include "engine/data/font.h"
#include "engine/data/material.h"
#include "engine/data/model.h"
#include "engine/data/texture.h"
#include "engine/data/texture_list.h"
#include "engine/render/camera.h"
#include "engine/render/frame.h"
#include "engine/startup/engine.h"
#include "game/shell/front_end_pages.h"
#include "game/shell/menu_draw.h"
#include "game/shell/menu_state.h"
#include "game/shell/race_camera.h"
#include "game/shell/settings.h"
#include "game/shell/top_level_run.h"
#include "game/shell/view_components.h"
#include "platform/plat_backend.h"
#include "platform/test/plat_display.h"
#include "support/temp_dir.h"
#include "tools/datagen/game_tree.h"
#include "tools/datagen/png_writer.h"

class MenuPageFixture : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    tree_ = new TempDir;
    ASSERT_TRUE(DatagenWriteTree(tree_->str()));
  }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }

  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
    wre_MemoryInit();
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(tree_->path());
    ASSERT_EQ(wre_Init(kRendererSoftware, 128, 128, 1, 2048, 10240, 8192, 4096, 4096, 1024, 10240), 0);
    view.camera = GameCameraCreate(0, 0, 640, 480, 512.0f, 0x125);
    ASSERT_NE(view.camera, nullptr);
    wre_CameraSetClip(view.camera, 50000.0f, 100.0f);
    wre_CameraSetPlacement(view.camera, 0, 0, 0, 0.0f, 0.0f, -500.0f);
    view.world = GameWorldCreate();
    ASSERT_NE(view.world, nullptr);
    wre_CameraSetWorld(view.camera, view.world);
    const float white[4] = {gColourMax, gColourMax, gColourMax, gColourMaxAlpha};
    wre_WorldSetAmbient(view.world, white, 90.0f);
    state = MenuState{};
    for (int32_t& t : state.pageTextures) t = -1;
    state.trueWhiteMaterial = Material(1.0f, "mTrueWhiteMaterial", false);
    state.whiteMaterial = Material(1.0f, "gtheMenuWhiteMaterial", true);
    wre_FolderSet("data:menu:m_startup");
    wre_CodexSetMode(0);
    ASSERT_EQ(wre_CodexLoadTextures("texture.codx", 0, view.camera->context), 0);
    Font** fonts[4] = {&state.globeFont, &state.typeFont, &state.blueFont, &state.levelFont};
    const char* files[4] = {"font_globe.codx", "font_type.codx", "font_blue.codx", "font_level.codx"};
    for (int i = 0; i < 4; ++i) ASSERT_EQ(wre_FontLoadDefinition(fonts[i], files[i], state.whiteMaterial), 0);
    state.optionsTexture = wre_TextureFindByIdent("vqz_OptionsTextureIdent0");
    state.mainMenuTexture = wre_TextureFindByIdent("vqz_MainMenuTextureIdent0");
    state.cursorTexture = wre_TextureFindByIdent("vqz_CursorTexture");
    const char* quarters[4] = {"newgame_tl.bmp", "newgame_tr.bmp", "newgame_bl.bmp", "newgame_br.bmp"};
    for (int i = 0; i < 4; ++i) state.pageTextures[i] = wre_TextureFindByFile(quarters[i]);
    const Texture* cursor = wre_TextureGet(state.cursorTexture);
    ASSERT_NE(cursor, nullptr);
    state.cursorUv[2] = state.cursorUv[3] = 255.0f;
    state.cursorSize[2] = cursor->width;
    state.cursorSize[3] = cursor->height;
    ASSERT_EQ(wre_ModelLoadIntoWorld("background.c4d", &state.backgroundObject, view.world, 0, 1, 0, 1, 0, 1, 0), 0);
    ASSERT_EQ(wre_ModelLoadIntoWorld("logo01.c4d", &state.logoObject, view.world, 0, 1, 0, 1, 0, 1, 2), 0);
    wre_ObjectSetTransform(state.logoObject, 0, 0, 0, -2300.0f, 2100.0f, 5100.0f);
    gMenuState = &state;
    gMenuPendingScreen = kScreenNone;
    gSettings = Settings{};
  }

  void TearDown() override {
    gMenuState = nullptr;
    gMenuScreen = kScreenNone;
    gMenuPendingScreen = kScreenNone;
    gScores = nullptr;
    gCircuit = nullptr;
    gSettings = Settings{};
    wre_FolderSet(nullptr);
    wre_Shutdown();
    wre_MemoryInit();
    gColourMax = gColourMaxAlpha = 255.0f;
    gColourToByte = 1.0f;
    plat_TestDisplayReset();
    plat_UseBackend(kPlatBackendReal);
    std::filesystem::current_path(previous_);
  }

  // The new-game page's globe, in pageObjects slot 0.
  void LoadGlobe() {
    wre_FolderSet("data:menu:m_newgame");
    ASSERT_EQ(wre_CodexLoadTextures("texture.codx", 0, view.camera->context), 0);
    ASSERT_EQ(wre_ModelLoadIntoWorld("m_chooseglobe.c4d", &state.pageObjects[0], view.world, 0, 0, 0, 1, 0, 0, 1), 0);
    wre_ObjectSetTransform(state.pageObjects[0], 0, 0, 0, 140.0f, 80.0f, 350.0f);
  }

  // Renders menu frames of the screen and keeps the last; the last page's and tab column's results
  // (the page's animation steps once a frame). The software renderer drops a frame whose polygons
  // outgrow its buffer and sizes the buffer up for the next, so a capture takes two frames.
  int32_t Render(int32_t screen, const char* captureName = nullptr, int frames = 2) {
    gMenuScreen = screen;
    int32_t result = 0;
    for (int i = 0; i < frames; ++i) {
      wre_FrameBegin(view.camera, 1);
      wre_CameraRender(view.camera);
      const int32_t page = FrontEndPageDraw(&view);
      const int32_t tabs = MenuTabColumnDraw(&view);
      wre_FrameFlush(view.camera);
      wre_FrameEnd(view.camera);
      result = page != 0 ? page : tabs;
    }
    EXPECT_TRUE(plat_TestLastPresented(&frame));
    if (captureName) Keep(captureName);
    return result;
  }

  // The pixel at (x, y) of the kept frame as 8-bit red, green and blue.
  struct Rgb {
    int r, g, b;
  };
  Rgb Pixel(int x, int y) const {
    const uint16_t p = frame.pixels[static_cast<size_t>(y) * frame.width + x];
    return Rgb{(p >> 11) << 3, ((p >> 5) & 63) << 2, (p & 31) << 3};
  }
  // Pixels in the box that pass the test: the sheets' oranges, greens and whites stand out from
  // the backdrop's blues.
  template <class Test>
  int Count(int left, int top, int right, int bottom, Test test) const {
    int count = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) count += test(Pixel(x, y)) ? 1 : 0;
    return count;
  }
  static bool Orange(Rgb p) { return p.r > 200 && p.b < 100; }
  static bool Green(Rgb p) { return p.g > 120 && p.r < 150 && p.b < 150; }
  static bool Light(Rgb p) { return p.r > 180 && p.g > 180; }

  ViewComponents view{};
  MenuState state{};
  PlatFrame frame;

 private:
  static int32_t Material(float level, const char* name, bool noAmbient) {
    const int32_t index = wre_MaterialFindFree();
    const float c = level * gColourMax;
    const ColourFloat a{c, c, c, gColourMaxAlpha}, b{0, 0, 0, 0};
    wre_MaterialDefine(index, &a, &b, name);
    if (noAmbient) wre_MaterialSetAmbientPercent(index, 0);
    return index;
  }

  void Keep(const char* name) const {
    const char* folder = std::getenv("VH_MENU_CAPTURES");
    if (!folder) return;
    std::vector<uint8_t> rgb;
    for (int y = 0; y < frame.height; ++y)
      for (int x = 0; x < frame.width; ++x) {
        const Rgb p = Pixel(x, y);
        rgb.insert(rgb.end(), {static_cast<uint8_t>(p.r), static_cast<uint8_t>(p.g), static_cast<uint8_t>(p.b)});
      }
    const std::vector<uint8_t> png = PngWriteRgb(frame.width, frame.height, rgb.data());
    std::ofstream(std::filesystem::path(folder) / (std::string(name) + ".png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  }

  static inline TempDir* tree_ = nullptr;
  std::filesystem::path previous_;
};
