// Platform layer: system queries and the fatal exit of the process.
#pragma once

// True on the operating-system family the game refuses to run on (never on this platform's real
// back end; the test back end can claim it).
bool plat_IsWindowsNT();

// Shows the text and ends the process; never returns. The message goes to standard error and, when
// a display is up, into a message box.
[[noreturn]] void plat_FatalAppExit(const char* message);

// Ends the process quietly with a failure code (no message box).
[[noreturn]] void plat_QuietExit(int code);

// True when the named shared library is already loaded or can be loaded.
bool plat_ModulePresent(const char* name);
