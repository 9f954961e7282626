#include "launcher/launcher_main.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "launcher/launcher_config.h"
#include "launcher/launcher_install.h"
#include "platform/plat_dialog.h"
#include "platform/plat_instance.h"
#include "platform/plat_shell.h"

namespace {

int16_t ScreenSide(int pixels) {
  return static_cast<int16_t>(std::clamp(pixels, int{INT16_MIN}, int{INT16_MAX}));
}

}  // namespace

int LauncherInitInstance(LauncherApp* app) {
  int width = 0, height = 0;
  plat_ScreenSize(&width, &height);
  app->screenWidth = ScreenSide(width);
  app->screenHeight = ScreenSide(height);
  if (LauncherConfigRead(&app->state) == kLauncherStartEnd) return 0;
  // Without its window the launcher could only run on unseen and unreachable: it ends.
  if (!LauncherWindowCreate(&app->window, &app->state, app->screenWidth, app->screenHeight)) return 0;
  app->ops = LauncherWindowOpsOf(&app->window);
  return 1;
}

bool LauncherLoopPass(LauncherApp* app, int* exitCode) {
  int code = 0;
  if (!plat_QuitPosted(&code)) {
    // Input, or the poll's next turn, whichever comes first.
    plat_DialogProcessEvents(LauncherPollDelay(app->state));
    if (!plat_QuitPosted(&code)) {
      LauncherPollInstalls(&app->state, &app->ops);
      plat_ShellReap();
      return false;
    }
  }
  *exitCode = code;
  return true;
}

int LauncherMessageLoop(LauncherApp* app) {
  int code = 0;
  while (!LauncherLoopPass(app, &code)) {
  }
  return code;
}

void LauncherShutdown(LauncherApp* app) {
  LauncherWindowDestroy(&app->window);
  plat_DialogShutdownAll();
}

int LauncherWinMain() {
  // Another launcher runs: it keeps the screen, this one ends before reading anything. A lock
  // that cannot be made at all does not keep the launcher from running.
  if (plat_InstanceLockAcquire(kLauncherClassName) == kPlatLockHeld) return 0;
  auto app = std::make_unique<LauncherApp>();
  int code = 0;
  if (LauncherInitInstance(app.get())) code = LauncherMessageLoop(app.get());
  LauncherShutdown(app.get());
  plat_InstanceLockRelease();
  return code;
}
