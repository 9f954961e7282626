#include "engine/core/system.h"

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/random.h"
#include "engine/data/cdaudio.h"
#include "engine/data/sound.h"
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
  wre_SystemSetFlag(1);
  return 0;
}

void wre_SystemShutdown() {
  // Media first, in this order; each step does nothing when its module is not up.
  CdAudioClose();
  wre_SoundShutdown();
}

void wre_SystemSetFlag(uint8_t value) { gSystemFlag = value; }
