// The fatal error path: every error the program cannot go on from ends here.
#pragma once
#include <cstdint>

// The game's fatal callback: saves what it must, then ends the process through wre_FatalError.
using WreFatalCallback = void (*)(const char* message);

WreFatalCallback wre_SystemSetFatalCallback(WreFatalCallback callback);

// The common entry: shows the cursor, takes the system layer down and hands the message to the
// installed callback; without one (or when the callback comes back) it ends the process itself.
[[noreturn]] void wre_SystemFatalError(const char* message);
// As wre_SystemFatalError, with the file the failure lies in on the line after the message (the
// message alone when the path is null or empty), so that a damaged data file is named.
[[noreturn]] void wre_SystemFatalErrorFile(const char* message, const char* path);
// The same for a file of the current data folder, given by its name.
[[noreturn]] void wre_SystemFatalErrorInFolder(const char* message, const char* name);

// The final exit: gives the display back, lets the window see what is pending and ends the process
// with the message. When the quit message is already pending, the process ends quietly.
[[noreturn]] void wre_FatalError(const char* message);

// What the fatal path takes down above the core, installed by the engine's start-up. An entry left
// null is passed over: the layer it belongs to was never brought up.
struct FatalHooks {
  void (*systemShutdown)();   // the system layer's shut-down: media, token texts, system keys
  void (*disposeContexts)();  // gives the display back
};
void wre_FatalSetHooks(const FatalHooks& hooks);

// Set once the final exit has disposed the drawing contexts; cleared by the 3D start-up.
extern uint8_t gContextsDisposed;
