// What the renderer's polygon pipeline, the 3D start-up and the fonts need of the texture module:
// the table's start and release, the flag byte of a texture and the look-up of a loaded texture by
// its file name. The texture module installs its entries when it is built in; an entry left null
// answers as "no texture module": no table, flag byte 0 for every texture, nothing loaded.
#pragma once
#include <cstdint>

// Flag bits of a texture that decide the polygon queue.
enum : uint8_t {
  kTextureFlagKeyed = 0x08,        // colour-keyed: drawn after the opaque polygons
  kTextureFlagTranslucent = 0x10,  // carries opacity: drawn blended
};

struct TextureFacts {
  // Clears the module's started mark before a 3D start-up.
  void (*moduleReset)();
  // Builds the table of count textures; 0 or a failure code.
  int32_t (*tableInit)(int32_t count);
  // Releases the table and every texture in it.
  int32_t (*tableFree)();
  // The flag byte of the texture a polygon names (through the texture index map).
  uint8_t (*flags)(int32_t texture);
  // The index of the loaded texture read from this file, or -1.
  int32_t (*findByFile)(const char* fileName);
};

// Installs the entries (null: none).
void wre_TextureFactsInstall(const TextureFacts* facts);

void wre_TextureFactsModuleReset();
int32_t wre_TextureFactsTableInit(int32_t count);
int32_t wre_TextureFactsTableFree();
// 0 for -1 and for any index when no texture module is installed.
uint8_t wre_TextureFactsFlags(int32_t texture);
int32_t wre_TextureFactsFindByFile(const char* fileName);
