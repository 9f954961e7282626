// Loads arbitrary bytes as a font definition file from a data folder holding the atlas the seeds
// name, takes the font's average glyph size and disposes it: every glyph line must be read within
// the file, and whatever the file holds the font can be measured.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/core/colour_scale.h"
#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/data/colour.h"
#include "engine/data/font.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/data/texture_list.h"
#include "engine/render/context.h"
#include "fuzz/fuzz_files.h"
#include "tools/datagen/texture_images.h"

namespace {

constexpr const char* kFontFile = "font.codx";
std::string gFolder;
int32_t gMaterial = -1;

bool Start() {
  wre_MemoryInit();
  gColourMax = gColourMaxAlpha = 255.0f;
  gColourToByte = 1.0f;
  wre_TextureTableInit(8);
  wre_MaterialTableInit(8);
  wre_FontInit();
  gFolder = FuzzTempFolder("font");
  TextureImagesWrite(gFolder, TextureImageSpec{"fnt_type.bmp", 16, 16, 0, "", 1});
  wre_FolderSet(gFolder.c_str());
  static DrawingContext context{};
  context.kind = kRendererSoftware;
  static char list[] = "kVKT_Texture fnt_type.bmp\n";
  wre_TextureCodexLoad(list, static_cast<int32_t>(sizeof list - 1), &context);
  gMaterial = wre_MaterialFindFree();
  const ColourFloat white{255, 255, 255, 255}, none{0, 0, 0, 0};
  wre_MaterialDefine(gMaterial, &white, &none, "font");
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Start();
  (void)ready;
  if (size > (1u << 16)) return 0;
  FuzzWriteFile(gFolder + "/" + kFontFile, data, size);
  Font* font = nullptr;
  (void)wre_FontLoadDefinition(&font, kFontFile, gMaterial);
  if (font) {
    int32_t width = 0, height = 0;
    wre_FontGetCharSize(font, &width, &height);
    if (width < 0 || height < 0) __builtin_trap();
    wre_FontDispose(font);
  }
  return 0;
}
