// The program's entry and its window: the single 640 x 480 pop-up window, the engine's system
// layer and sound, the refusal of the operating system the game does not run on, and top-level
// runs for as long as the front end asks for a restart. The window procedure turns key and mouse
// messages into the engine's input state.
#pragma once
#include <cstdint>

#include "platform/plat_window.h"

inline void* gAppInstance = nullptr;

// Always 0; a fatal stop ends the process instead. The command line is not read.
int AppMain(void* instance, void* previousInstance, const char* commandLine, int showCommand);
intptr_t MainWindowProc(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// True on the operating-system family the game refuses.
bool OsIsWindowsNT();
// The engine's system layer, then sound (whose failure is fatal). False when the system layer
// did not start.
bool SystemAndSoundStart();
void SystemAndSoundStop();
