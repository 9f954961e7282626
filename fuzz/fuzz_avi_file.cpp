// Opens arbitrary bytes as an AVI file through the file path the intro player takes (not the
// in-memory reader), then reads the first frames and the audio.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/plat_avi.h"

namespace {

std::string gPath;

void RemoveFile() { std::remove(gPath.c_str()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    gPath = (std::filesystem::temp_directory_path() / ("vh-fuzz-" + std::to_string(getpid()) + ".avi")).string();
    std::atexit(RemoveFile);
    return true;
  }();
  (void)ready;
  std::ofstream(gPath, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  PlatAvi* avi = nullptr;
  if (plat_AviOpen(gPath.c_str(), &avi) != kPlatAviOk) return 0;
  const PlatAviInfo* info = plat_AviInfo(avi);
  std::vector<uint8_t> pixels;
  PlatImageFormat format{};
  for (uint32_t i = 0; i < info->frameCount && i < 16; ++i) plat_AviReadFrame(avi, i, &pixels, &format);
  std::vector<uint8_t> audio;
  plat_AviReadAudio(avi, &audio);
  plat_AviClose(avi);
  return 0;
}
