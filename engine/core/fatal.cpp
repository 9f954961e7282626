#include "engine/core/fatal.h"

#include "engine/core/system.h"
#include "engine/render/context.h"
#include "platform/plat_system.h"

uint8_t gContextsDisposed = 0;

namespace {

WreFatalCallback gFatalCallback = nullptr;

// Set while the fatal path runs: a failure inside it (the callback's save running out of memory,
// say) goes straight to the final exit instead of starting the path again.
bool gInSystemFatal = false;
bool gInFinalExit = false;

}  // namespace

WreFatalCallback wre_SystemSetFatalCallback(WreFatalCallback callback) {
  gFatalCallback = callback;
  return callback;
}

void wre_SystemFatalError(const char* message) {
  if (gInSystemFatal || gInFinalExit) plat_FatalAppExit(message);
  gInSystemFatal = true;
  wre_SystemShutdown();
  if (gFatalCallback && gFatalCallback != &wre_SystemFatalError) gFatalCallback(message);
  // A callback must end the process; one that comes back is followed by the final exit.
  plat_FatalAppExit(message);
}

void wre_FatalError(const char* message) {
  if (gInFinalExit) plat_FatalAppExit(message);
  gInFinalExit = true;
  if (!gContextsDisposed) {
    // Gives the display back before the message is shown.
    wre_ContextDisposeAll();
    gContextsDisposed = 1;
  }
  plat_FatalAppExit(message);
}
