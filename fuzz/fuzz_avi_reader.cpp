// Fuzz target: the AVI reader on arbitrary bytes (headers, the movie list, every frame and the audio).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/plat_avi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PlatAvi* avi = nullptr;
  if (plat_AviOpenMemory(data, size, &avi) != kPlatAviOk) return 0;
  const PlatAviInfo* info = plat_AviInfo(avi);
  std::vector<uint8_t> pixels;
  PlatImageFormat format{};
  for (uint32_t i = 0; i < info->frameCount && i < 64; ++i) {
    if (plat_AviReadFrame(avi, i, &pixels, &format) == kPlatAviOk) {
      const size_t bpp = format == kPlatImageBgr24 ? 3 : 2;
      if (pixels.size() != static_cast<size_t>(info->width) * info->height * bpp) __builtin_trap();
    }
  }
  std::vector<uint8_t> audio;
  plat_AviReadAudio(avi, &audio);
  plat_AviClose(avi);
  return 0;
}
