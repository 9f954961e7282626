// Loads arbitrary bytes as a texture list through the texture module, from a data folder holding the
// images the seeds name (plain, with an opacity companion, with mip levels), steps the ripples the
// list set up, then unloads the same bytes and releases whatever is left.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/colour_scale.h"
#include "engine/core/files.h"
#include "engine/core/frame_tick.h"
#include "engine/core/memory.h"
#include "engine/data/codex.h"
#include "engine/data/texture.h"
#include "engine/data/texture_list.h"
#include "engine/render/context.h"
#include "fuzz/fuzz_files.h"
#include "tools/datagen/texture_images.h"

namespace {

DrawingContext gContext{};
std::string gFolder;

bool Start() {
  wre_MemoryInit();
  gColourMax = gColourMaxAlpha = 255.0f;
  gColourToByte = 1.0f;
  wre_TextureTableInit(32);
  gContext.kind = kRendererSoftware;
  gFolder = FuzzTempFolder("textures");
  for (const char* file : {"sky.bmp", "buoy.bmp", "water.bmp", "flag.bmp", "ripple.bmp", "ripple two.bmp"}) {
    TextureImagesWrite(gFolder, TextureImageSpec{file, 8, 8, 0, "", 1});
  }
  TextureImagesWrite(gFolder, TextureImageSpec{"spray.bmp", 8, 8, 0, "spray_opacity.bmp", 2});
  TextureImagesWrite(gFolder, TextureImageSpec{"ground.bmp", 8, 8, 3, "", 3});
  TextureImagesWrite(gFolder, TextureImageSpec{"fence.bmp", 8, 8, 3, "", 4});
  wre_FolderSet(gFolder.c_str());
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Start();
  (void)ready;
  if (size == 0 || size > (1u << 16)) return 0;
  std::vector<char> bytes(data, data + size);  // exact size: a read past the data is caught
  const int32_t length = static_cast<int32_t>(bytes.size());
  gFrameTick = 0;
  (void)wre_TextureCodexLoad(bytes.data(), length, &gContext);
  // Drops fire on their intervals: step twice, far enough apart for every one of them.
  for (uint32_t tick : {1u, 100000u}) {
    gFrameTick = tick;
    (void)wre_TextureAnimateAll(1);
  }
  (void)wre_TextureCodexUnload(bytes.data(), length, &gContext);
  wre_TextureReleaseAll();
  return 0;
}
