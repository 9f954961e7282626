// For the fuzz targets that feed what a reader accepted through the front-end pages: the data
// tree in a temporary folder and the headless menu page scene on it, brought up once per process
// (from LLVMFuzzerInitialize, before the fuzzer reads its corpus). The scene loads all it needs
// while it opens, so the current folder goes back to where the fuzzer was started.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_files.h"
#include "tests/game/menus/menu_page_scene.h"
#include "tools/datagen/game_tree.h"

inline MenuPageScene& FuzzMenuScene() {
  static MenuPageScene scene;
  static bool ready = [] {
    const std::string folder = FuzzTempFolder("menu");
    if (!DatagenWriteTree(folder)) std::abort();
    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    if (scene.Open() != nullptr) std::abort();
    std::filesystem::current_path(started);
    return true;
  }();
  (void)ready;
  return scene;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzMenuScene();
  return 0;
}
