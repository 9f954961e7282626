// For the fuzz targets that feed what a reader accepted through the front-end pages: the data
// tree in a temporary folder and the headless menu page scene on it, brought up once per process
// (from LLVMFuzzerInitialize, before the fuzzer reads its corpus). The scene loads all it needs
// while it opens, so the current folder goes back to where the fuzzer was started.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/game/menus/menu_page_scene.h"
#include "tools/datagen/game_tree.h"

inline MenuPageScene& FuzzMenuScene() {
  static std::string folder;
  static MenuPageScene scene;
  static bool ready = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "vh-fuzz-menu-XXXXXX").string();
    if (!mkdtemp(pattern.data()) || !DatagenWriteTree(pattern)) std::abort();
    folder = pattern;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
    });
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
