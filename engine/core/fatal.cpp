#include "engine/core/fatal.h"

#include <cstdio>

#include "engine/core/files.h"
#include "engine/core/input.h"
#include "platform/plat_system.h"
#include "platform/plat_window.h"

uint8_t gContextsDisposed = 0;

namespace {

WreFatalCallback gFatalCallback = nullptr;
FatalHooks gFatalHooks{};

// Set while the fatal path runs: a failure inside it (the callback's save running out of memory,
// say) goes straight to the final exit instead of starting the path again.
bool gInSystemFatal = false;
bool gInFinalExit = false;

// Exit code of a fatal error met while the program was already closing.
constexpr int kQuietExitCode = 1;

}  // namespace

void wre_FatalSetHooks(const FatalHooks& hooks) { gFatalHooks = hooks; }

WreFatalCallback wre_SystemSetFatalCallback(WreFatalCallback callback) {
  gFatalCallback = callback;
  return callback;
}

void wre_SystemFatalError(const char* message) {
  if (gInSystemFatal || gInFinalExit) plat_FatalAppExit(message);
  gInSystemFatal = true;
  wre_CursorShow();
  wre_MessagePump();
  wre_CursorShow();
  if (gFatalHooks.systemShutdown) gFatalHooks.systemShutdown();
  if (gFatalCallback && gFatalCallback != &wre_SystemFatalError) gFatalCallback(message);
  // A callback must end the process; one that comes back is followed by the final exit.
  plat_ShowCursor(true);
  plat_FatalAppExit(message);
}

void wre_SystemFatalErrorFile(const char* message, const char* path) {
  if (!path || !*path) wre_SystemFatalError(message);
  static char text[1024 + kFolderPathSize];
  std::snprintf(text, sizeof text, "%s\n%s", message ? message : "", path);
  wre_SystemFatalError(text);
}

void wre_SystemFatalErrorInFolder(const char* message, const char* name) {
  static char path[kFolderPathSize + 256];
  wre_FilePathOf(name, path, sizeof path);
  wre_SystemFatalErrorFile(message, path);
}

void wre_FatalError(const char* message) {
  if (gInFinalExit) plat_FatalAppExit(message);
  gInFinalExit = true;
  if (!gContextsDisposed) {
    // Gives the display back before the message is shown.
    if (gFatalHooks.disposeContexts) gFatalHooks.disposeContexts();
    gContextsDisposed = 1;
  }
  // The window sees up to four waiting messages. When the quit message is among them the program
  // is already closing: it ends without showing the text.
  for (int i = 0; i < 4; ++i) {
    PlatMessage msg{};
    if (!plat_PeekMessage(&msg, false)) break;
    int got = plat_GetMessage(&msg);
    if (got == 0) plat_QuietExit(kQuietExitCode);
    if (got < 0) break;
    plat_TranslateMessage(&msg);
    plat_DispatchMessage(&msg);
  }
  plat_ShowCursor(true);
  plat_FatalAppExit(message);
}
