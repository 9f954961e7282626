// Platform layer: what the modules tell each other, not for engine, game or launcher code.
#pragma once
#include "platform/plat_backend.h"

void plat_TimeSelectBackend(PlatBackend backend);
void plat_SystemSelectBackend(PlatBackend backend);
void plat_DisplaySelectBackend(PlatBackend backend);

// The program's window as SDL knows it (null before it exists); the window module records it.
void* plat_WindowNative();
void plat_SetWindowNative(void* window);

// Drops the 2D presenter's hold on the window before an OpenGL context takes it over.
void plat_DisplayReleasePresenter();
void plat_DialogSelectBackend(PlatBackend backend);
