// Writes the sample launcher disc below the given folder (see tools/datagen/launcher_disc.h), with
// the game taken from GAME_FOLDER, by default the folder this program lies in (the build's
// program folder, where the game and its data tree are built).
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/datagen/launcher_disc.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: launcher_disc FOLDER [GAME_FOLDER]\n");
    return 2;
  }
  std::error_code error;
  const std::string game =
      argc == 3 ? argv[2] : std::filesystem::read_symlink("/proc/self/exe", error).parent_path().string();
  if (!datagen_WriteLauncherDisc(argv[1], game)) {
    std::fprintf(stderr, "launcher_disc: cannot write the disc below %s with the game of %s\n", argv[1],
                 game.c_str());
    return 1;
  }
  return 0;
}
