// Reads arbitrary bytes as a texture list, in load and in unload mode, to the end or the first error.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/data/texture_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1u << 20)) return 0;
  std::vector<char> bytes(data, data + size);  // exact size: a read past the data is caught
  static TextureListLine line;
  for (int unload = 0; unload < 2; ++unload) {
    const char* text = bytes.data();
    int32_t remaining = static_cast<int32_t>(bytes.size());
    for (size_t guard = 0;; ++guard) {
      if (guard > size + 1) __builtin_trap();  // every line read must move the cursor
      int32_t result = unload ? TextureListReadUnloadLine(&text, &remaining, &line)
                              : TextureListReadLine(&text, &remaining, &line);
      if (result != 0 || line.id == kCodexEnd) break;
    }
  }
  return 0;
}
