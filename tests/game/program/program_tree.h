// The real program installed as a player has it: a generated data tree in a fresh folder, the
// program beside it, and a settings file that chose the software renderer (so no dialog asks);
// and a bounded wait for a started program to end.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <thread>

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

// The child's wait status once it ended within the time, else -1.
inline int ProgramWaitFor(pid_t child, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (std::chrono::steady_clock::now() < end) {
    if (waitpid(child, &status, WNOHANG) == child) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}
