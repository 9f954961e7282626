// Scrolls arbitrary bytes as the credits and the disclaimer text through their pages, from the
// top of the screen, part way up and past the end: every line is read within the file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/core/files.h"
#include "fuzz/menu_page_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MenuPageScene& scene = FuzzMenuScene();
  if (size > (1u << 14)) return 0;
  std::vector<uint8_t> bytes(data, data + size);  // exact size: a read past the text is caught
  FileRecord file{};
  file.size = static_cast<int32_t>(size);
  file.data = bytes.data();
  std::strcpy(file.name, "credits.txt");
  scene.state.textFile = &file;
  for (int32_t screen : {kScreenCredits, kScreenDisclaimer}) {
    for (float scroll : {480.0f, 0.0f, -200.0f * static_cast<float>(size % 7)}) {
      scene.state.textScroll = scroll;
      scene.Frame(screen);
    }
  }
  scene.state.textFile = nullptr;
  gMenuPendingScreen = kScreenNone;
  return 0;
}
