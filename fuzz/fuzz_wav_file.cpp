// Opens arbitrary bytes as a WAV file through the file path the sound loader takes (the RIFF file
// reader, not the in-memory one), then reads its data whole.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/memory.h"
#include "engine/data/wave.h"

namespace {

std::string gPath;

void RemoveFile() { std::remove(gPath.c_str()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    wre_MemoryInit();
    gPath = (std::filesystem::temp_directory_path() / ("vh-fuzz-" + std::to_string(getpid()) + ".wav")).string();
    std::atexit(RemoveFile);
    return true;
  }();
  (void)ready;
  std::ofstream(gPath, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  WaveFile* file = nullptr;
  WaveFormat* format = nullptr;
  PlatRiffChunk riff{};
  if (WaveOpenFile(gPath.c_str(), &file, &format, &riff) != 0) return 0;
  PlatRiffChunk chunk{};
  if (WaveFindData(file, &chunk, &riff) == 0 && chunk.size <= (1u << 20)) {
    const uint32_t size = chunk.size;
    std::vector<uint8_t> bytes(size);
    uint32_t n = 0;
    WaveRead(file, size, bytes.data(), &chunk, &n);
    if (n > size) __builtin_trap();
  }
  WaveClose(&file);
  WaveFormatFree(format);
  return 0;
}
