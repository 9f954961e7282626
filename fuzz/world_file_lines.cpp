// Reads arbitrary bytes as a world file, adding and removing lights, with an external-reference
// handler that reads a few fields of its line the way the game's does.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/data/world_file.h"

namespace {

int32_t Handler(const char** text, int32_t* remaining) {
  float value = 0.0f;
  char word[256];
  if (wre_CodexReadString(text, remaining, word, sizeof(word)) != 0) return 0;
  wre_CodexReadFloat(text, remaining, &value);
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1u << 20)) return 0;
  gColourMax = gColourMaxAlpha = 255.0f;
  std::vector<char> bytes(data, data + size);  // exact size: a read past the data is caught
  static WorldFileLine line;
  for (uint8_t remove = 0; remove < 2; ++remove) {
    const char* text = bytes.data();
    int32_t remaining = static_cast<int32_t>(bytes.size());
    for (size_t guard = 0;; ++guard) {
      if (guard > size + 1) __builtin_trap();  // every line read must move the cursor
      int32_t result = WorldFileReadLine(&text, &remaining, remove, &line);
      if (result != 0 || line.id == kCodexEnd) break;
      if (line.id == kCodexExternalRef) {
        if (Handler(&text, &remaining) != 0) break;
        wre_CodexSkipLine(&text, &remaining);
      }
    }
  }
  return 0;
}
