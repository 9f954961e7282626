// Imports arbitrary bytes as a C4D scene in every output mode; every read must stay inside the
// data and every object of the chain must be freed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/data/material.h"
#include "engine/data/model_c4d.h"
#include "engine/data/model_textures.h"

namespace {
int32_t FindTexture(const char* file) { return file[0] == 'a' ? 3 : -1; }
int32_t CreateTexture(const char* file) { return file[0] == 'x' ? -1 : 4; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (wre_MemoryInit(), wre_MathTablesInit(), wre_MaterialTableInit(128), true);
  (void)ready;
  static const ModelTextureServices services{&FindTexture, &CreateTexture};
  wre_ModelSetTextureServices(&services);
  if (size > (1u << 20) || size < 1) return 0;
  // The last byte chooses the flags; the rest is the file.
  const uint32_t flags = data[size - 1] & 0x3Fu;
  std::vector<uint8_t> file(data, data + size - 1);
  EngineObject* head = wre_ObjectIOC4DImport(file.data(), static_cast<int32_t>(file.size()), flags);
  while (head) {
    EngineObject* next = head->next;
    head->prev = head->next = nullptr;
    wre_ObjectDispose(head);
    head = next;
  }
  wre_MaterialReleaseAll();
  return 0;
}
