// The front-end pages drawn headless by the software renderer in the menu page scene, from the
// generated data tree (written once per suite). A rendered frame is kept for sampling; with
// VH_MENU_CAPTURES naming a folder, each named capture is also written there as a PNG for people
// to look at.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>

#include "game/state/circuit_record.h"
#include "game/state/scores_record.h"
#include "game/state/settings.h"
#include "platform/test/plat_display.h"
#include "support/temp_dir.h"
#include "tests/game/harness/capture_png.h"
#include "tests/game/menus/menu_page_scene.h"
#include "tools/datagen/game_tree.h"

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
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(tree_->path());
    const char* failed = scene.Open();
    ASSERT_EQ(failed, nullptr) << failed;
    gSettings = Settings{};
  }

  void TearDown() override {
    scene.Close();
    gScores = nullptr;
    gCircuit = nullptr;
    gSettings = Settings{};
    std::filesystem::current_path(previous_);
  }

  void LoadGlobe() {
    const char* failed = scene.LoadGlobe();
    ASSERT_EQ(failed, nullptr) << failed;
  }

  // Renders menu frames of the screen and keeps the last; the last page's and tab column's results
  // (the page's animation steps once a frame). The software renderer drops a frame whose polygons
  // outgrow its buffer and sizes the buffer up for the next, so a capture takes two frames.
  int32_t Render(int32_t screen, const char* captureName = nullptr, int frames = 2) {
    int32_t result = 0;
    for (int i = 0; i < frames; ++i) result = scene.Frame(screen);
    EXPECT_TRUE(plat_TestLastPresented(&frame));
    if (captureName) CapturePngKeep(frame, captureName);
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

  MenuPageScene scene;
  ViewComponents& view = scene.view;
  MenuState& state = scene.state;
  PlatFrame frame;

 private:
  static inline TempDir* tree_ = nullptr;
  std::filesystem::path previous_;
};
