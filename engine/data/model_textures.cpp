#include "engine/data/model_textures.h"

namespace {
ModelTextureServices gServices = {};
}  // namespace

void wre_ModelSetTextureServices(const ModelTextureServices* services) {
  gServices = services ? *services : ModelTextureServices{};
}

int32_t wre_ModelTextureFindByFile(const char* fileName) {
  if (!fileName || !fileName[0] || !gServices.findByFile) return -1;
  const int32_t index = gServices.findByFile(fileName);
  return index < 0 ? -1 : index;
}

int32_t wre_ModelTextureCreateForFile(const char* fileName) {
  if (!fileName || !gServices.createForFile) return -1;
  const int32_t index = gServices.createForFile(fileName);
  return index < 0 ? -1 : index;
}
