// The game program: its data tree lies beside the executable, and the game's relative paths start
// there.
#include "game/program/program_entry.h"
#include "platform/plat_paths.h"

int main() {
  plat_UseProgramFolder();
  return AppMain(nullptr, nullptr, nullptr, 1);
}
