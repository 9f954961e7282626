// What the model readers need of the texture table: finding a loaded texture by its file name and,
// for the readers' texture-making switches, registering a texture record for a file name. The
// texture module installs both entries; until it does, nothing is found and nothing can be made.
#pragma once
#include <cstdint>

struct ModelTextureServices {
  // The texture index of the loaded texture whose file name equals the text ignoring case, or -1.
  int32_t (*findByFile)(const char* fileName);
  // Takes a free texture index and creates a texture record there for the file (no image, no
  // device, create flags 4); the index, or -1 on failure.
  int32_t (*createForFile)(const char* fileName);
};

// Installs the entries (a null pointer removes them).
void wre_ModelSetTextureServices(const ModelTextureServices* services);
// -1 when the text is null or empty, no finder is installed or nothing matches.
int32_t wre_ModelTextureFindByFile(const char* fileName);
// -1 when no creator is installed or the creation fails.
int32_t wre_ModelTextureCreateForFile(const char* fileName);
