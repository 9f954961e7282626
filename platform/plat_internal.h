// Platform layer: what the modules tell each other, not for engine, game or launcher code.
#pragma once
#include "platform/plat_backend.h"

void plat_TimeSelectBackend(PlatBackend backend);
void plat_SystemSelectBackend(PlatBackend backend);
void plat_SoundSelectBackend(PlatBackend backend);
void plat_CdSelectBackend(PlatBackend backend);
void plat_VideoSelectBackend(PlatBackend backend);
void plat_PresentSelectBackend(PlatBackend backend);
