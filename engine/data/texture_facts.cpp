#include "engine/data/texture_facts.h"

namespace {
TextureFacts gFacts{};
}

void wre_TextureFactsInstall(const TextureFacts* facts) { gFacts = facts ? *facts : TextureFacts{}; }

void wre_TextureFactsModuleReset() {
  if (gFacts.moduleReset) gFacts.moduleReset();
}

int32_t wre_TextureFactsTableInit(int32_t count) { return gFacts.tableInit ? gFacts.tableInit(count) : 0; }

int32_t wre_TextureFactsTableFree() { return gFacts.tableFree ? gFacts.tableFree() : 0; }

uint8_t wre_TextureFactsFlags(int32_t texture) {
  if (texture < 0 || !gFacts.flags) return 0;
  return gFacts.flags(texture);
}

int32_t wre_TextureFactsFindByFile(const char* fileName) {
  if (!fileName || !gFacts.findByFile) return -1;
  return gFacts.findByFile(fileName);
}
