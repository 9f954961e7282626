// Fuzz target: the WAV reader on arbitrary bytes (format, data search, reading the data whole).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/memory.h"
#include "engine/data/wave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (wre_MemoryInit(), true);
  (void)ready;
  WaveFile* file = nullptr;
  WaveFormat* format = nullptr;
  PlatRiffChunk riff{};
  if (WaveOpenMemory(data, size, &file, &format, &riff) != 0) return 0;
  volatile uint32_t sink = format->extraSize ? WaveFormatExtra(format)[format->extraSize - 1] : 0;
  (void)sink;
  PlatRiffChunk chunk{};
  if (WaveFindData(file, &chunk, &riff) == 0) {
    // The data is read whole, as a sound slot does, in two parts.
    std::vector<uint8_t> bytes(chunk.size);
    uint32_t n = 0;
    uint32_t half = chunk.size / 2;
    if (WaveRead(file, half, bytes.data(), &chunk, &n) == 0) {
      WaveRead(file, static_cast<uint32_t>(bytes.size()) - half, bytes.data() + half, &chunk, &n);
    }
  }
  WaveClose(&file);
  WaveFormatFree(format);
  return 0;
}
