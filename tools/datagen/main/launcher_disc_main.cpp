// Writes the sample launcher disc below the given folder (see tools/datagen/launcher_disc.h).
#include <cstdio>

#include "tools/datagen/launcher_disc.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: launcher_disc FOLDER\n");
    return 2;
  }
  if (!datagen_WriteLauncherDisc(argv[1])) {
    std::fprintf(stderr, "launcher_disc: cannot write the disc below %s\n", argv[1]);
    return 1;
  }
  return 0;
}
