#include "engine/startup/system.h"

#include "engine/core/files.h"
#include "engine/core/input.h"
#include "engine/core/memory.h"
#include "engine/core/process.h"
#include "engine/core/random.h"
#include "engine/core/timer.h"
#include "engine/data/cdaudio.h"
#include "engine/data/codex.h"
#include "engine/data/sound.h"
#include "engine/startup/hooks.h"
#include "platform/plat_time.h"

namespace {
uint8_t gSystemFlag = 0;
}

uint8_t wre_SystemStartup(WreFatalCallback fatalCallback, uint8_t lockSystemKeys) {
  if (wre_MemoryInit() != 0) return 255;
  wre_EngineInstallHooks();
  wre_SystemSetFatalCallback(fatalCallback);
  wre_TimerInit();
  wre_InputInit();
  wre_TimerTick();
  wre_RandomSeed(plat_GetTickCount());
  gFolderDepth = 0;
  wre_FolderSet(nullptr);
  wre_FileSetLastError(0);
  if (wre_CodexFlagsReset() != 0) return 255;
  if (lockSystemKeys) wre_SystemKeysLock();
  wre_SystemSetFlag(1);
  wre_ProcessListMarkNotStarted();
  return 0;
}

void wre_SystemShutdown() {
  // In order: CD audio, the token-text module, sound, then the system keys. Each step does nothing
  // when its module is not up, so this is safe at any time and more than once.
  CdAudioClose();
  wre_CodexShutdown();
  wre_SoundShutdown();
  wre_SystemKeysUnlock();
  wre_SystemKeysRelease();
}

void wre_SystemSetFlag(uint8_t value) { gSystemFlag = value; }
