#include "game/program/program_entry.h"

#include <cstdio>
#include <cstring>

#include "engine/core/input.h"
#include "engine/data/codex.h"
#include "engine/data/sound.h"
#include "engine/startup/system.h"
#include "game/menus/menu_frame.h"
#include "game/program/top_level_run.h"
#include "game/state/main_window.h"
#include "game/state/menu_state.h"
#include "platform/plat_input.h"
#include "platform/plat_sound.h"
#include "platform/plat_system.h"

namespace {

constexpr const char* kGameName = "Velloran Hydrel";
constexpr uint32_t kWindowStyle = kPlatStylePopup | kPlatStyleVisible;
constexpr int32_t kSoundSlots = 32;

char gClassName[256];

void MousePosition(intptr_t lParam, int* x, int* y) {
  *x = static_cast<int>(lParam & 0xffff);
  *y = static_cast<int>((lParam >> 16) & 0xffff);
}

}  // namespace

bool OsIsWindowsNT() { return plat_IsWindowsNT(); }

bool SystemAndSoundStart() {
  if (wre_SystemStartup(FatalErrorCallback, 1) != 0) return false;
  if (!wre_SoundInit(kSoundSlots, 1, gMainWindow, 0)) wre_SystemFatalError("Couldn't init sound");
  if (plat_SoundSilent()) std::fprintf(stderr, "%s: no sound device; running without sound\n", kGameName);
  return true;
}

void SystemAndSoundStop() {
  wre_SoundShutdown();
  wre_InputFlush();
  wre_SystemShutdown();
}

intptr_t MainWindowProc(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case kPlatMsgKeyDown: {
      // A key without a code (Shift, Ctrl, punctuation keys) would put a "no key" into the ring
      // and use up one of the menus' input polls.
      const auto vk = static_cast<int32_t>(wParam & 0xff);
      if (wre_KeyFromVirtualKey(vk) != 0) wre_KeyRingKeyDown(vk);
      return 0;
    }
    case kPlatMsgChar:
      wre_KeyRingChar(static_cast<int32_t>(wParam & 0xff));
      return 0;
    case kPlatMsgMouseMove: {
      int x = 0, y = 0;
      MousePosition(lParam, &x, &y);
      plat_ClientToScreen(window, &x, &y);
      gMouseX = x;
      gMouseY = y;
      return plat_DefWindowProc(window, message, wParam, lParam);
    }
    case kPlatMsgNcMouseMove:
      MousePosition(lParam, &gMouseX, &gMouseY);
      return plat_DefWindowProc(window, message, wParam, lParam);
    case kPlatMsgLButtonDown:
    case kPlatMsgLButtonUp:
      MenuMouseButton(message == kPlatMsgLButtonDown);
      return 0;
    // The window-manager close became the program's quit request, which the menus and the race
    // answer by winding down; the window stays until then.
    case kPlatMsgClose:
    case kPlatMsgPaint:
    case kPlatMsgNcPaint:
    case kPlatMsgEraseBackground:
    case kPlatMsgKeyUp:
    case kPlatMsgSysKeyDown:
    case kPlatMsgSysKeyUp:
    case kPlatMsgSysChar:
    case kPlatMsgSysCommand:
      return 0;
    case kPlatMsgDestroy:
      plat_ReleaseCapture();
      plat_ShowCursor(true);
      plat_PostQuitMessage(0);
      return plat_DefWindowProc(window, message, wParam, lParam);
    default:
      return plat_DefWindowProc(window, message, wParam, lParam);
  }
}

int AppMain(void* instance, void* previousInstance, const char*, int showCommand) {
  std::snprintf(gClassName, sizeof gClassName, "%s", kGameName);
  gRestartRequested = 0;
  if (!previousInstance && !plat_RegisterClass(gClassName, MainWindowProc)) return 0;
  WindowRecord* record = wre_WindowCreate(kPlatUseDefault, kPlatUseDefault, 640, 480, 0, 0, gClassName,
                                          kGameName, kWindowStyle, nullptr, nullptr, instance, nullptr);
  if (!record) return 0;
  gMainWindow = record->window;
  gAppInstance = instance;
  if (!gMainWindow) return 0;
  plat_ShowWindow(gMainWindow, showCommand != 0);
  plat_ShowCursor(true);

  if (!SystemAndSoundStart()) {
    wre_WindowDestroy(record);
    return 0;
  }
  if (OsIsWindowsNT()) wre_SystemFatalError("Sorry, this application will not run under Windows NT");
  do {
    gRestartRequested = 0;
    wre_CodexFlagsReset();
    TopLevelRun(record);
    wre_CursorShow();
  } while (gRestartRequested);

  SystemAndSoundStop();
  plat_ShowCursor(true);
  plat_PostQuitMessage(0);
  wre_WindowDestroy(record);
  gMainWindow = nullptr;
  return 0;
}
