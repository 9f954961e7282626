// Plays arbitrary bytes as the music disc's tracks 1 and 2 ("track01.wav", "track02.wav") through
// the CD track reader and the sound mixer's stream, on the test sound device: whatever the tracks
// hold, the reader stays within them and the mix ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "platform/plat_backend.h"
#include "platform/plat_cdaudio.h"
#include "platform/test/plat_sound.h"

namespace {

std::string gFolder;
uint32_t gDevice = 0;

void Finish() { plat_CdClose(gDevice); }

bool Start() {
  plat_UseBackend(kPlatBackendTest);
  plat_TestSoundReset();
  gFolder = FuzzTempFolder("cd");
  plat_CdSetTrackFolder(gFolder.c_str());
  if (plat_CdOpen(&gDevice) != kPlatCdOk) std::abort();
  std::atexit(Finish);
  return true;
}

void WriteTrack(const char* name, const uint8_t* data, size_t size) { FuzzWriteFile(gFolder + "/" + name, data, size); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Start();
  (void)ready;
  if (size > (1u << 16)) return 0;
  // Track 2 is the input's second half, so the reader also moves from one track to the next.
  WriteTrack("track01.wav", data, size);
  WriteTrack("track02.wav", data + size / 2, size - size / 2);
  if (plat_CdPlay(gDevice, 1, 2) == kPlatCdOk) {
    std::vector<int16_t> out(2 * 4096);
    for (int i = 0; i < 8; ++i) plat_TestSoundRender(out.data(), 4096);
  }
  plat_CdStop(gDevice);
  return 0;
}
