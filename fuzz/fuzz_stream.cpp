// Reads arbitrary bytes as a big-endian field image through the bounded reader, the way saved
// game files are read, and checks that every read stays inside the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/core/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the field kinds; the data proper is copied so reads past it are caught.
  uint8_t plan = data[0];
  std::vector<uint8_t> image(data + 1, data + size);
  StreamReader reader = wre_StreamReaderMake(image.data(), image.size());
  char text[256];
  float colour[4];
  for (int step = 0; step < 64 && !reader.overrun; ++step) {
    switch ((plan >> (step % 4 * 2)) & 3) {
      case 0: (void)wre_StreamReadInt32(&reader); break;
      case 1: (void)wre_StreamReadFloat(&reader); break;
      case 2: wre_StreamReadColour(&reader, colour); break;
      default: wre_StreamReadBytes(&reader, text, step % 2 ? 32 : 256); break;
    }
    if (wre_StreamReaderLeft(&reader) > image.size()) std::abort();
  }
  return 0;
}
