// For the fuzz targets that hand their input to a reader through the file system: a temporary
// folder of their own, removed when the process ends, and the input written as a file in it.
#pragma once
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A new folder under the system's temporary folder, named after the tag; removed at exit.
inline std::string FuzzTempFolder(const char* tag) {
  static std::string folders[4];
  static int count = 0;
  if (count == 4) std::abort();
  std::string pattern = (std::filesystem::temp_directory_path() / (std::string("vh-fuzz-") + tag + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) std::abort();
  folders[count++] = pattern;
  if (count == 1) {
    std::atexit([] {
      std::error_code ignored;
      for (int i = 0; i < count; ++i) std::filesystem::remove_all(folders[i], ignored);
    });
  }
  return pattern;
}

// The bytes as the whole file at the path.
inline void FuzzWriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}
