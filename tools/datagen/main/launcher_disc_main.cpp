// Writes the sample launcher disc below the given folder, by default the launcher's own folder (see
// tools/datagen/launcher_disc.h), with the game taken from GAME_FOLDER, by default the folder this
// program lies in (the build's program folder, where the game and its data tree are built).
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/plat_paths.h"
#include "tools/datagen/launcher_disc.h"

int main(int argc, char** argv) {
  if (argc > 3) {
    std::fprintf(stderr,
                 "usage: launcher_disc [FOLDER [GAME_FOLDER]]\n"
                 "Writes the sample disc below FOLDER, by default the launcher's folder\n"
                 "($XDG_STATE_HOME/cdfront, by default ~/.local/state/cdfront; here %s),\n"
                 "with the game of GAME_FOLDER, by default this program's folder.\n",
                 plat_LauncherFolder().c_str());
    return 2;
  }
  const std::string folder = datagen_LauncherDiscFolder(argc >= 2 ? argv[1] : nullptr);
  std::error_code error;
  const std::string game =
      argc == 3 ? argv[2] : std::filesystem::read_symlink("/proc/self/exe", error).parent_path().string();
  if (!datagen_WriteLauncherDisc(folder, game)) {
    std::fprintf(stderr, "launcher_disc: cannot write the disc below %s with the game of %s\n", folder.c_str(),
                 game.c_str());
    return 1;
  }
  return 0;
}
