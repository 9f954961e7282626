// A stand-in for the game's window procedure: it feeds the typed-key ring and the mouse state the
// way the game's does, so the input layer can be driven through the test back end's events.
#pragma once
#include <cstdint>

#include "engine/core/input.h"
#include "platform/plat_backend.h"
#include "platform/plat_input.h"
#include "platform/plat_window.h"
#include "platform/test/plat_input.h"

inline intptr_t InputTestWindowProc(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case kPlatMsgKeyDown: wre_KeyRingKeyDown(static_cast<int32_t>(wParam & 0xFF)); return 0;
    case kPlatMsgChar: wre_KeyRingChar(static_cast<int32_t>(wParam)); return 0;
    case kPlatMsgMouseMove: {
      int x = static_cast<int>(lParam & 0xFFFF), y = static_cast<int>((lParam >> 16) & 0xFFFF);
      plat_ClientToScreen(window, &x, &y);
      gMouseX = x;
      gMouseY = y;
      return plat_DefWindowProc(window, message, wParam, lParam);
    }
    case kPlatMsgLButtonDown: gMouseLeftButton = 1; return 0;
    case kPlatMsgLButtonUp: gMouseLeftButton = 0; return 0;
    case kPlatMsgKeyUp:
    case kPlatMsgSysKeyDown:
    case kPlatMsgSysKeyUp:
    case kPlatMsgSysChar:
    case kPlatMsgSysCommand:
    case kPlatMsgEraseBackground: return 0;
    case kPlatMsgDestroy:
      plat_ReleaseCapture();
      plat_ShowCursor(true);
      plat_PostQuitMessage(0);
      return plat_DefWindowProc(window, message, wParam, lParam);
    case kPlatMsgUser: return static_cast<intptr_t>(wParam);  // lets a test see dispatch results
    default: return plat_DefWindowProc(window, message, wParam, lParam);
  }
}

// Test back end, no windows, an empty ring, key tables built, then the game's window at (100, 50).
inline WindowRecord* InputTestSetUp() {
  plat_UseBackend(kPlatBackendTest);
  plat_TestInputReset();
  wre_InputInit();
  wre_KeyBufferClear();
  gMouseX = gMouseY = 0;
  plat_RegisterClass("Velloran Hydrel", InputTestWindowProc);
  return wre_WindowCreate(100, 50, 640, 480, 0, 0, "Velloran Hydrel", "Velloran Hydrel",
                          kPlatStylePopup | kPlatStyleVisible, nullptr, nullptr, nullptr, nullptr);
}

inline void PumpAll() {
  while (plat_TestQueueLength() > 0) wre_MessagePump();
}
