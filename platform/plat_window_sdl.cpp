// The real back end of windows, messages, keys and the cursor: SDL2.
#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/plat_input.h"
#include "platform/plat_internal.h"
#include "platform/plat_present.h"
#include "platform/plat_screen_fit.h"

namespace {

SDL_Window* gProgramWindow = nullptr;

// Where the program last put the pointer, and the motion read since then but not yet reported.
// The program puts the pointer back at the centre after every read and counts what it read as
// motion; in a scaled window a screen pixel spans several window pixels, and rounding every
// read down would drop the part of a pixel each frame (much of a slow hand's motion), so the
// part is carried to the next read instead.
struct PointerPlacing {
  bool placed = false;
  PlatScreenFit fit{};
  int screenX = 0, screenY = 0;  // where the program put it
  int windowX = 0, windowY = 0;  // the window pixel it was at then
  double restX = 0, restY = 0;   // screen pixels moved since, beyond those reported
};
PointerPlacing gPlacing;

bool VideoUp() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

bool EnsureVideo() {
  if (VideoUp()) return true;
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

bool SdlCreate(PlatWindowRec* window) {
  if (!EnsureVideo()) return false;
  int x = window->x == kPlatUseDefault ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : window->x;
  int y = window->y == kPlatUseDefault ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : window->y;
  Uint32 flags = window->visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  if (window->style & kPlatStylePopup) flags |= SDL_WINDOW_BORDERLESS;
  // The renderer is chosen after the window exists, and SDL cannot make a window GL-capable later.
  plat_GlPrepareWindow();
  SDL_Window* native = SDL_CreateWindow(window->title.c_str(), x, y, window->width, window->height,
                                        flags | SDL_WINDOW_OPENGL);
  // Where the system has no OpenGL at all, a plain window still serves the software renderer.
  if (!native) native = SDL_CreateWindow(window->title.c_str(), x, y, window->width, window->height, flags);
  if (!native) return false;
  window->native = native;
  if (!gProgramWindow) gProgramWindow = native;
  window->nativeId = SDL_GetWindowID(native);
  SDL_GetWindowPosition(native, &window->x, &window->y);
  SDL_StartTextInput();
  return true;
}

SDL_Window* Native(PlatWindowRec* window) { return static_cast<SDL_Window*>(window->native); }

void SdlDestroy(PlatWindowRec* window) {
  if (!window->native) return;
  if (gProgramWindow == window->native) {
    plat_DisplayReleasePresenter();
    gProgramWindow = nullptr;
    gPlacing = PointerPlacing{};
  }
  SDL_DestroyWindow(Native(window));
}

void SdlShow(PlatWindowRec* window, bool show) {
  if (!window->native) return;
  if (show) SDL_ShowWindow(Native(window));
  else SDL_HideWindow(Native(window));
}

void SdlSetTitle(PlatWindowRec* window) {
  if (window->native) SDL_SetWindowTitle(Native(window), window->title.c_str());
}

// The program's window shows the virtual screen, and its positions are the screen's: its client
// area starts at the screen's origin wherever the window stands, whatever its size.
bool ShowsScreen(SDL_Window* native) { return native && native == gProgramWindow; }

PlatScreenFit ProgramWindowFit() {
  int w = 0, h = 0;
  SDL_GetWindowSize(gProgramWindow, &w, &h);
  return plat_ScreenFitIn(w, h);
}

// A pointer position in a window as the window's client position.
void ClientPosition(Uint32 windowId, int x, int y, int* clientX, int* clientY) {
  *clientX = x;
  *clientY = y;
  if (ShowsScreen(SDL_GetWindowFromID(windowId))) plat_ScreenFitToScreen(ProgramWindowFit(), x, y, clientX, clientY);
}

void SdlPosition(PlatWindowRec* window, int* x, int* y) {
  *x = 0;
  *y = 0;
  if (window->native && !ShowsScreen(Native(window))) SDL_GetWindowPosition(Native(window), x, y);
}

void SdlScreenSize(int* width, int* height) {
  *width = 640;
  *height = 480;
  SDL_DisplayMode mode{};
  if (VideoUp() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    *width = mode.w;
    *height = mode.h;
  }
}

PlatWindowRec* EventWindow(Uint32 windowId) {
  PlatWindowRec* window = windowId ? plat_WindowFromNativeId(windowId) : nullptr;
  return window ? window : plat_WindowNewest();
}

void Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const SDL_Keysym& key = e.key.keysym;
      // A key with no virtual key makes no message, but its event still passes to the shared
      // translation: the text that follows it is its own.
      int vk = plat_ScancodeToVirtualKey(key.scancode, (key.mod & KMOD_NUM) != 0);
      plat_EventKey(EventWindow(e.key.windowID), vk, e.type == SDL_KEYDOWN, e.key.repeat != 0,
                    (key.mod & KMOD_ALT) != 0, key.scancode);
      break;
    }
    case SDL_TEXTINPUT:
      plat_EventText(EventWindow(e.text.windowID), e.text.text, (SDL_GetModState() & KMOD_ALT) != 0);
      break;
    case SDL_MOUSEMOTION: {
      int x = 0, y = 0;
      ClientPosition(e.motion.windowID, e.motion.x, e.motion.y, &x, &y);
      plat_EventMouseMove(EventWindow(e.motion.windowID), x, y, (e.motion.state & SDL_BUTTON_LMASK) != 0);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (e.button.button == SDL_BUTTON_LEFT) {
        int x = 0, y = 0;
        ClientPosition(e.button.windowID, e.button.x, e.button.y, &x, &y);
        plat_EventMouseButton(EventWindow(e.button.windowID), e.type == SDL_MOUSEBUTTONDOWN, x, y);
      }
      break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) plat_EventClose(EventWindow(e.window.windowID));
      break;
    case SDL_QUIT:
      // Interrupted from outside: the program is asked to end and its main window to close.
      plat_EventQuitRequest();
      plat_EventClose(plat_WindowNewest());
      break;
    default: break;
  }
}

void SdlPump() {
  if (!VideoUp()) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) Translate(e);
}

bool SdlWait(int timeoutMs) {
  if (!VideoUp()) return false;
  SDL_Event e;
  if (SDL_WaitEventTimeout(&e, timeoutMs > 0 ? timeoutMs : 0)) Translate(e);
  return true;
}

// Key state is read between pump points: SDL is asked for what the system has, at most once a
// millisecond, so a scan of all 256 keys costs one round trip.
void FreshKeyState() {
  static Uint64 lastPump = ~Uint64{0};
  if (!VideoUp()) return;
  Uint64 now = SDL_GetTicks64();
  if (now == lastPump) return;
  lastPump = now;
  SDL_PumpEvents();
}

int GenericKey(int vk) {
  switch (vk) {
    case kPlatVkLShift:
    case kPlatVkRShift: return kPlatVkShift;
    case kPlatVkLControl:
    case kPlatVkRControl: return kPlatVkControl;
    case kPlatVkLMenu:
    case kPlatVkRMenu: return kPlatVkMenu;
    default: return vk;
  }
}

bool SdlAsyncKey(int vk) {
  FreshKeyState();
  if (vk == kPlatVkLButton || vk == kPlatVkRButton || vk == kPlatVkMButton) {
    Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    if (vk == kPlatVkLButton) return (buttons & SDL_BUTTON_LMASK) != 0;
    if (vk == kPlatVkRButton) return (buttons & SDL_BUTTON_RMASK) != 0;
    return (buttons & SDL_BUTTON_MMASK) != 0;
  }
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  bool numLock = (SDL_GetModState() & KMOD_NUM) != 0;
  for (int sc = 0; sc < count; ++sc) {
    if (!state[sc]) continue;
    int key = plat_ScancodeToVirtualKey(sc, numLock);
    if (key != 0 && (key == vk || GenericKey(key) == vk)) return true;
  }
  return false;
}

void SdlCursorVisible(bool visible) {
  if (VideoUp()) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}


void PointerInWindow(int* x, int* y) {
  int globalX = 0, globalY = 0, windowX = 0, windowY = 0;
  SDL_GetGlobalMouseState(&globalX, &globalY);
  SDL_GetWindowPosition(gProgramWindow, &windowX, &windowY);
  *x = globalX - windowX;
  *y = globalY - windowY;
}

bool SameFit(const PlatScreenFit& a, const PlatScreenFit& b) {
  return a.scale == b.scale && a.left == b.left && a.top == b.top;
}

// The screen pixels moved since the program placed the pointer, the carried part included.
void MovedSincePlaced(int windowX, int windowY, double* movedX, double* movedY) {
  *movedX = (windowX - gPlacing.windowX) / gPlacing.fit.scale + gPlacing.restX;
  *movedY = (windowY - gPlacing.windowY) / gPlacing.fit.scale + gPlacing.restY;
}

// Screen positions are the program window's: the pointer goes to the window's pixel at that place
// of the picture, and comes back from it the same way.
void SdlCursorSetPos(int x, int y) {
  if (!VideoUp()) return;
  if (!gProgramWindow) {
    SDL_WarpMouseGlobal(x, y);
    return;
  }
  const PlatScreenFit fit = ProgramWindowFit();
  if (gPlacing.placed && SameFit(gPlacing.fit, fit)) {
    int windowX = 0, windowY = 0, width = 0, height = 0;
    PointerInWindow(&windowX, &windowY);
    double restX = 0, restY = 0;
    MovedSincePlaced(windowX, windowY, &restX, &restY);
    restX -= std::floor(restX);
    restY -= std::floor(restY);
    // Well inside the window the pointer stays where it is and the placing is only noted: a
    // real warp loses whatever the hand moved between the read before it and the warp itself.
    SDL_GetWindowSize(gProgramWindow, &width, &height);
    const bool inside = windowX > width / 4 && windowX < width * 3 / 4 && windowY > height / 4 && windowY < height * 3 / 4;
    gPlacing = PointerPlacing{true, fit, x, y, windowX, windowY, restX, restY};
    if (inside) return;
  } else {
    gPlacing = PointerPlacing{true, fit, x, y, 0, 0, 0, 0};
  }
  plat_ScreenFitToWindow(fit, x, y, &gPlacing.windowX, &gPlacing.windowY);
  SDL_WarpMouseInWindow(gProgramWindow, gPlacing.windowX, gPlacing.windowY);
}

void SdlCursorGetPos(int* x, int* y) {
  *x = 0;
  *y = 0;
  if (!VideoUp()) return;
  if (!gProgramWindow) {
    SDL_GetGlobalMouseState(x, y);
    return;
  }
  int windowX = 0, windowY = 0;
  PointerInWindow(&windowX, &windowY);
  const PlatScreenFit fit = ProgramWindowFit();
  if (!gPlacing.placed || !SameFit(gPlacing.fit, fit)) {
    plat_ScreenFitToScreen(fit, windowX, windowY, x, y);
    return;
  }
  double movedX = 0, movedY = 0;
  MovedSincePlaced(windowX, windowY, &movedX, &movedY);
  *x = std::clamp(gPlacing.screenX + static_cast<int>(std::floor(movedX)), 0, kPlatScreenWidth - 1);
  *y = std::clamp(gPlacing.screenY + static_cast<int>(std::floor(movedY)), 0, kPlatScreenHeight - 1);
}

void SdlReleaseCapture() {
  if (VideoUp()) SDL_CaptureMouse(SDL_FALSE);
}

void SdlScreenSaver(bool enabled) {
  if (!VideoUp()) return;
  if (enabled) SDL_EnableScreenSaver();
  else SDL_DisableScreenSaver();
}

}  // namespace

const PlatWindowOps kPlatWindowOpsSdl{SdlCreate,       SdlDestroy,       SdlShow,         SdlSetTitle,
                                      SdlPosition,     SdlScreenSize,    SdlPump,         SdlWait,
                                      SdlAsyncKey,     SdlCursorVisible, SdlCursorSetPos, SdlCursorGetPos,
                                      SdlReleaseCapture, SdlScreenSaver};

void* plat_ProgramWindowNative() { return gProgramWindow; }

int plat_ScancodeToVirtualKey(int scancode, bool numLock) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return 112 + (scancode - SDL_SCANCODE_F1);
  if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) return 124 + (scancode - SDL_SCANCODE_F13);
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) {
    // With NumLock off the keypad digits are the movement keys printed under them.
    static constexpr int kMovement[9] = {35, 40, 34, 37, 12, 39, 36, 38, 33};
    int digit = scancode - SDL_SCANCODE_KP_1;
    return numLock ? 97 + digit : kMovement[digit];
  }
  switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: return kPlatVkReturn;
    case SDL_SCANCODE_ESCAPE: return kPlatVkEscape;
    case SDL_SCANCODE_BACKSPACE: return kPlatVkBack;
    case SDL_SCANCODE_TAB: return kPlatVkTab;
    case SDL_SCANCODE_SPACE: return kPlatVkSpace;
    case SDL_SCANCODE_MINUS: return 189;
    case SDL_SCANCODE_EQUALS: return 187;
    case SDL_SCANCODE_LEFTBRACKET: return 219;
    case SDL_SCANCODE_RIGHTBRACKET: return 221;
    case SDL_SCANCODE_BACKSLASH: return 220;
    case SDL_SCANCODE_NONUSHASH: return 222;
    case SDL_SCANCODE_SEMICOLON: return 186;
    case SDL_SCANCODE_APOSTROPHE: return 222;
    case SDL_SCANCODE_GRAVE: return 192;
    case SDL_SCANCODE_COMMA: return 188;
    case SDL_SCANCODE_PERIOD: return 190;
    case SDL_SCANCODE_SLASH: return 191;
    case SDL_SCANCODE_NONUSBACKSLASH: return 226;
    case SDL_SCANCODE_CAPSLOCK: return kPlatVkCapital;
    case SDL_SCANCODE_PRINTSCREEN: return kPlatVkSnapshot;
    case SDL_SCANCODE_SCROLLLOCK: return 145;
    case SDL_SCANCODE_PAUSE: return kPlatVkPause;
    case SDL_SCANCODE_INSERT: return 45;
    case SDL_SCANCODE_HOME: return 36;
    case SDL_SCANCODE_PAGEUP: return 33;
    case SDL_SCANCODE_DELETE: return 46;
    case SDL_SCANCODE_END: return 35;
    case SDL_SCANCODE_PAGEDOWN: return 34;
    case SDL_SCANCODE_RIGHT: return 39;
    case SDL_SCANCODE_LEFT: return 37;
    case SDL_SCANCODE_DOWN: return 40;
    case SDL_SCANCODE_UP: return 38;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 144;
    case SDL_SCANCODE_KP_DIVIDE: return 111;
    case SDL_SCANCODE_KP_MULTIPLY: return 106;
    case SDL_SCANCODE_KP_MINUS: return 109;
    case SDL_SCANCODE_KP_PLUS: return 107;
    case SDL_SCANCODE_KP_ENTER: return kPlatVkReturn;  // the system sends the keypad's Enter as Return
    case SDL_SCANCODE_KP_0: return numLock ? 96 : 45;
    case SDL_SCANCODE_KP_PERIOD: return numLock ? 110 : 46;
    case SDL_SCANCODE_APPLICATION: return 93;
    case SDL_SCANCODE_MUTE:
    case SDL_SCANCODE_AUDIOMUTE: return 173;
    case SDL_SCANCODE_VOLUMEDOWN: return 174;
    case SDL_SCANCODE_VOLUMEUP: return 175;
    case SDL_SCANCODE_AUDIONEXT: return 176;
    case SDL_SCANCODE_AUDIOPREV: return 177;
    case SDL_SCANCODE_AUDIOSTOP: return 178;
    case SDL_SCANCODE_AUDIOPLAY: return 179;
    case SDL_SCANCODE_LCTRL: return kPlatVkLControl;
    case SDL_SCANCODE_LSHIFT: return kPlatVkLShift;
    case SDL_SCANCODE_LALT: return kPlatVkLMenu;
    case SDL_SCANCODE_LGUI: return kPlatVkLWin;
    case SDL_SCANCODE_RCTRL: return kPlatVkRControl;
    case SDL_SCANCODE_RSHIFT: return kPlatVkRShift;
    case SDL_SCANCODE_RALT: return kPlatVkRMenu;
    case SDL_SCANCODE_RGUI: return kPlatVkRWin;
    default: return 0;
  }
}
