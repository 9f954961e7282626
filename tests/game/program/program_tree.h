// The real program installed as a player has it: a generated data tree in a fresh folder, the
// program beside it, and a settings file that chose the software renderer (so no dialog asks).
#pragma once
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "game/state/prefs.h"
#include "game/state/settings.h"
#include "tools/datagen/game_tree.h"

// The program's path in the tree, or an empty path when the tree could not be made.
inline std::filesystem::path ProgramTreeInstall(const std::filesystem::path& root, int32_t launchCount) {
  namespace fs = std::filesystem;
  fs::create_directories(root / "data" / "prefs");
  if (!DatagenWriteTree(root.string())) return {};
  const fs::path home = fs::current_path();
  fs::current_path(root);
  wre_MemoryInit();
  wre_FolderSet(nullptr);
  PrefsDefaults();
  gSettings.rendererKind = 100;
  gSettings.launchCount = launchCount;
  const bool saved = PrefsSave() == 0;
  fs::current_path(home);
  if (!saved) return {};
  const fs::path program = root / "Velloran_Hydrel";
  fs::copy_file(VH_GAME_PROGRAM, program);
  return program;
}
