// Imports arbitrary bytes as a 3DS file; every read must stay inside the data.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/data/model_3ds.h"
#include "engine/data/model_textures.h"

namespace {
int32_t FindTexture(const char* file) { return file[0] == 'a' ? 3 : -1; }
int32_t CreateTexture(const char* file) { return file[0] == 'x' ? -1 : 4; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (wre_MemoryInit(), wre_MathTablesInit(), true);
  (void)ready;
  static const ModelTextureServices services{&FindTexture, &CreateTexture};
  wre_ModelSetTextureServices(&services);
  if (size > (1u << 20) || size < 1) return 0;
  const uint8_t switches = data[size - 1];
  std::vector<uint8_t> file(data, data + size - 1);
  EngineObject* object = wre_ObjectIO3DSImport(file.data(), static_cast<int32_t>(file.size()), switches & 1,
                                               (switches >> 1) & 1);
  if (object) wre_ObjectDispose(object);
  return 0;
}
