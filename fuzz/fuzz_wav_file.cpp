// Opens arbitrary bytes as a WAV file through the file path the sound loader takes (the RIFF file
// reader, not the in-memory one), then reads its data whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/memory.h"
#include "engine/data/wave.h"
#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = (wre_MemoryInit(), FuzzTempFolder("wav") + "/sound.wav");
  FuzzWriteFile(path, data, size);
  WaveFile* file = nullptr;
  WaveFormat* format = nullptr;
  PlatRiffChunk riff{};
  if (WaveOpenFile(path.c_str(), &file, &format, &riff) != 0) return 0;
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
