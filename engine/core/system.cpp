#include "engine/core/system.h"

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/random.h"
#include "engine/data/codex.h"
#include "platform/plat_time.h"

namespace {
uint8_t gSystemFlag = 0;
}

uint8_t wre_SystemStartup(WreFatalCallback fatalCallback, uint8_t lockSystemKeys) {
  (void)lockSystemKeys;
  if (wre_MemoryInit() != 0) return 255;
  wre_SystemSetFatalCallback(fatalCallback);
  wre_RandomSeed(plat_GetTickCount());
  gFolderDepth = 0;
  wre_FolderSet(nullptr);
  wre_FileSetLastError(0);
  if (wre_CodexFlagsReset() != 0) return 255;
  wre_SystemSetFlag(1);
  return 0;
}

void wre_SystemShutdown() {
  // In order: CD audio, the token-text module, sound, then the system keys.
  wre_CodexShutdown();
}

void wre_SystemSetFlag(uint8_t value) { gSystemFlag = value; }
