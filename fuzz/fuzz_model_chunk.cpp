// Reads arbitrary bytes as a chunk-format model file, object after object as the list loader
// does; every read must stay inside the data and every object must be freed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/data/material.h"
#include "engine/data/model_chunk.h"
#include "engine/data/model_textures.h"

namespace {
int32_t FindTexture(const char* file) { return file[0] == 'a' ? 3 : -1; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (wre_MemoryInit(), wre_MathTablesInit(), wre_MaterialTableInit(128), true);
  (void)ready;
  static const ModelTextureServices services{&FindTexture, nullptr};
  wre_ModelSetTextureServices(&services);
  if (size > (1u << 20)) return 0;
  std::vector<uint8_t> file(data, data + size);
  const uint8_t* position = file.data();
  auto remaining = static_cast<int32_t>(file.size());
  const uint32_t flags = size > 0 ? (file[size - 1] & 1u) : 0u;
  while (remaining > 88) {
    const uint8_t* next = nullptr;
    EngineObject* object = wre_ObjectIOBinaryRead(position, remaining, &next, flags);
    if (!object) break;
    wre_ObjectDispose(object);
    if (next <= position) __builtin_trap();  // the reader must always move on
    remaining -= static_cast<int32_t>(next - position);
    position = next;
  }
  wre_MaterialReleaseAll();
  return 0;
}
