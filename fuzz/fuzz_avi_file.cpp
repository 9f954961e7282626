// Opens arbitrary bytes as an AVI file through the file path the intro player takes (not the
// in-memory reader), then reads the first frames and the audio.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "platform/plat_avi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FuzzTempFolder("avi") + "/clip.avi";
  FuzzWriteFile(path, data, size);
  PlatAvi* avi = nullptr;
  if (plat_AviOpen(path.c_str(), &avi) != kPlatAviOk) return 0;
  const PlatAviInfo* info = plat_AviInfo(avi);
  std::vector<uint8_t> pixels;
  PlatImageFormat format{};
  for (uint32_t i = 0; i < info->frameCount && i < 16; ++i) plat_AviReadFrame(avi, i, &pixels, &format);
  std::vector<uint8_t> audio;
  plat_AviReadAudio(avi, &audio);
  plat_AviClose(avi);
  return 0;
}
