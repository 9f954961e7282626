#include "platform/plat_backend.h"

#include "platform/plat_internal.h"

namespace {
PlatBackend gBackend = kPlatBackendReal;
}

void plat_UseBackend(PlatBackend backend) {
  gBackend = backend;
  plat_TimeSelectBackend(backend);
  plat_SystemSelectBackend(backend);
  plat_DisplaySelectBackend(backend);
  plat_DialogSelectBackend(backend);
  plat_WindowSelectBackend(backend);
  plat_ShellSelectBackend(backend);
  plat_SoundSelectBackend(backend);
  plat_CdSelectBackend(backend);
  plat_VideoSelectBackend(backend);
  plat_PresentSelectBackend(backend);
  plat_JoystickSelectBackend(backend);
}

PlatBackend plat_CurrentBackend() { return gBackend; }
