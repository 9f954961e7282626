// Writes the sample data tree below the given folder (default: the current one).
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/datagen/media_tree.h"

int main(int argc, char** argv) {
  std::filesystem::path root = argc > 1 ? argv[1] : ".";
  std::error_code error;
  for (const char* folder : {"data", "data/prefs"}) {
    std::filesystem::create_directories(root / folder, error);
    if (error) {
      std::fprintf(stderr, "datagen: cannot create %s: %s\n", (root / folder).c_str(), error.message().c_str());
      return 1;
    }
  }
  if (!DatagenWriteMedia(root.string())) return 1;
  return 0;
}
