// Platform layer: what the modules tell each other, not for engine, game or launcher code.
#pragma once
#include <string>

#include "platform/plat_backend.h"
#include "platform/plat_window.h"

void plat_TimeSelectBackend(PlatBackend backend);
void plat_SystemSelectBackend(PlatBackend backend);
void plat_DisplaySelectBackend(PlatBackend backend);

// The program's window as SDL knows it: the first window the SDL back end made, null before it
// exists and once it is destroyed. The presenter and OpenGL contexts draw into it.
void* plat_ProgramWindowNative();

// Sets the OpenGL attributes a window must be created with to carry the engine's contexts.
void plat_GlPrepareWindow();

// Drops the 2D presenter's hold on the window before an OpenGL context takes it over.
void plat_DisplayReleasePresenter();
void plat_DialogSelectBackend(PlatBackend backend);
void plat_WindowSelectBackend(PlatBackend backend);

// One window. Its record goes when the window is destroyed: every call looks a handle up in the
// window table before reading it, so a stale handle is recognised as dead, never read.
struct PlatWindowRec {
  PlatWindowProc proc;
  void* native;  // SDL_Window* on the real back end
  uint32_t nativeId;
  std::string title;
  uint32_t style;
  int x, y, width, height;
  bool alive;
  bool visible;
  bool destroying;  // the destroy message is being handled
};

// What a back end does for the shared window and queue code.
struct PlatWindowOps {
  bool (*create)(PlatWindowRec* window);  // native part; x, y, width, height may be updated
  void (*destroy)(PlatWindowRec* window);
  void (*show)(PlatWindowRec* window, bool show);
  void (*setTitle)(PlatWindowRec* window);
  void (*position)(PlatWindowRec* window, int* x, int* y);  // screen position of the client area
  void (*screenSize)(int* width, int* height);
  void (*pump)();                 // moves waiting system events into the queue
  bool (*wait)(int timeoutMs);    // waits for a system event; false when none can come
  bool (*asyncKey)(int vk);       // the key held now (specific or generic virtual key)
  void (*cursorVisible)(bool visible);
  void (*cursorSetPos)(int x, int y);
  void (*cursorGetPos)(int* x, int* y);
  void (*releaseCapture)();
  void (*screenSaver)(bool enabled);
};
extern const PlatWindowOps kPlatWindowOpsSdl;

// Shared translation of back-end events into messages (the key filter runs here).
// vk is the specific virtual key (160-165 for the modifiers, 0 for a key without one: no message);
// scanCode goes to the key data.
void plat_EventKey(PlatWindowRec* window, int vk, bool down, bool repeat, bool altHeld, int scanCode);
void plat_EventText(PlatWindowRec* window, const char* utf8, bool altHeld);
void plat_EventMouseMove(PlatWindowRec* window, int clientX, int clientY, bool leftHeld);
void plat_EventMouseButton(PlatWindowRec* window, bool down, int clientX, int clientY);
// A window-manager close of the window: the close message, and the program's quit request.
void plat_EventClose(PlatWindowRec* window);
// The system asks the program to end (a terminate signal): the quit request alone.
void plat_EventQuitRequest();
PlatWindowRec* plat_WindowFromNativeId(uint32_t nativeId);
PlatWindowRec* plat_WindowNewest();  // the live window created last, or null

// The real back end's key table: SDL scancode to virtual key (0 for none), with the keypad's
// digit keys giving the number keys when NumLock is on and the movement keys when it is off.
int plat_ScancodeToVirtualKey(int scancode, bool numLock);
void plat_ShellSelectBackend(PlatBackend backend);
void plat_SoundSelectBackend(PlatBackend backend);
void plat_CdSelectBackend(PlatBackend backend);
void plat_VideoSelectBackend(PlatBackend backend);
void plat_PresentSelectBackend(PlatBackend backend);
void plat_JoystickSelectBackend(PlatBackend backend);
