// Dialog toolkit back ends: SDL windows, and headless canvases fed by tests.
#include <SDL.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <string>

#include "platform/plat_dialog_internal.h"
#include "platform/plat_internal.h"
#include "platform/plat_time.h"
#include "platform/plat_window.h"
#include "platform/test/plat_dialog.h"
#include "platform/test/plat_time.h"

namespace {

// ---- real: SDL windows ---------------------------------------------------------------------

bool EnsureVideo() {
  // Closing the last window is a close like any other; SDL's quit event is then left to the
  // terminate signals it stands for.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Dialogs are CPU canvases copied to a plain window surface; no renderer needs to stand
  // behind that surface. SDL reads this at the first window surface, also when the program's
  // window started the video first.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

SDL_Window* WindowOf(const PlatDialog* dialog) { return static_cast<SDL_Window*>(dialog->window); }

int CaptionOf(const PlatDialog* dialog) {
  return (dialog->style & kPlatWsCaption) == kPlatWsCaption ? kPlatCaptionHeight : 0;
}

void RealScreenSize(int* width, int* height) {
  SDL_DisplayMode mode{};
  if (EnsureVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    *width = mode.w;
    *height = mode.h;
  } else {
    *width = 0;
    *height = 0;
  }
}

// Window titles are UTF-8; captions are bytes like every other text of the toolkit.
std::string TitleOf(const PlatDialog* dialog) {
  return plat_TextForDisplay(dialog->caption.data(), dialog->caption.size());
}

// The window manager draws the frame; the client goes where our own frame would put it.
void ClientPlacement(const PlatDialog* dialog, int* x, int* y, int* w, int* h) {
  *x = dialog->outer.x + kPlatFrameWidth;
  *y = dialog->outer.y + kPlatFrameWidth + CaptionOf(dialog);
  *w = std::max(1, dialog->clientWidth);
  *h = std::max(1, dialog->clientHeight);
}

bool RealWindowOpen(PlatDialog* dialog) {
  if (!EnsureVideo()) return false;
  int x, y, w, h;
  ClientPlacement(dialog, &x, &y, &w, &h);
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if ((dialog->style & kPlatWsCaption) != kPlatWsCaption) flags |= SDL_WINDOW_BORDERLESS;
  SDL_Window* window = SDL_CreateWindow(TitleOf(dialog).c_str(), x, y, w, h, flags);
  if (!window) return false;
  dialog->window = window;
  // Kept above its owner (on X11 only as a transient: the owner still takes clicks, which the
  // toolkit answers by activating the dialog again).
  SDL_Window* owner = nullptr;
  if (dialog->owner) owner = WindowOf(dialog->owner);
  else if (dialog->ownerWindow) owner = static_cast<SDL_Window*>(plat_WindowNative(dialog->ownerWindow));
  if (dialog->modal && owner) SDL_SetWindowModalFor(window, owner);  // only some drivers know it
  return true;
}

void RealWindowClose(PlatDialog* dialog) {
  if (!dialog->window) return;
  SDL_DestroyWindow(WindowOf(dialog));
  // Without a window manager nothing hands the keyboard back when a dialog goes, and the
  // program's window would never hear a key again: it takes the focus back itself.
  auto* program = static_cast<SDL_Window*>(plat_ProgramWindowNative());
  if (program && (SDL_GetWindowFlags(program) & SDL_WINDOW_SHOWN)) {
    SDL_RaiseWindow(program);
    SDL_SetWindowInputFocus(program);
  }
}

void RealWindowPlace(PlatDialog* dialog) {
  if (!dialog->window) return;
  int x, y, w, h;
  ClientPlacement(dialog, &x, &y, &w, &h);
  SDL_SetWindowSize(WindowOf(dialog), w, h);
  SDL_SetWindowPosition(WindowOf(dialog), x, y);
  // Take in the server's answers now: a window surface made while they are pending puts the
  // window back where it was (seen with X11).
  SDL_PumpEvents();
}

void RealWindowCaption(PlatDialog* dialog) {
  if (dialog->window) SDL_SetWindowTitle(WindowOf(dialog), TitleOf(dialog).c_str());
}

void RealWindowShow(PlatDialog* dialog) {
  if (!dialog->window) return;
  if (dialog->visible) {
    SDL_ShowWindow(WindowOf(dialog));
    SDL_RaiseWindow(WindowOf(dialog));
  } else {
    SDL_HideWindow(WindowOf(dialog));
  }
}

void RealWindowActivate(PlatDialog* dialog) {
  if (!dialog->window) return;
  // A minimised window is unmapped, and raising or focusing it does nothing: some window managers
  // minimise a dialog without its owner, which would leave no way back to the dialog but a task
  // bar.
  if (SDL_GetWindowFlags(WindowOf(dialog)) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(WindowOf(dialog));
  SDL_RaiseWindow(WindowOf(dialog));
  SDL_SetWindowInputFocus(WindowOf(dialog));
}

void RealPresent(PlatDialog* dialog) {
  if (!dialog->window || dialog->canvas.width <= 0 || dialog->canvas.height <= 0) return;
  SDL_Surface* target = SDL_GetWindowSurface(WindowOf(dialog));
  if (!target) return;
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
      dialog->canvas.pixels.data(), dialog->canvas.width, dialog->canvas.height, 32,
      dialog->canvas.width * 4, SDL_PIXELFORMAT_RGB888);
  if (!source) return;
  SDL_BlitSurface(source, nullptr, target, nullptr);
  SDL_FreeSurface(source);
  SDL_UpdateWindowSurface(WindowOf(dialog));
}

PlatDialog* DialogOfWindowId(Uint32 id) {
  SDL_Window* window = SDL_GetWindowFromID(id);
  return plat_DialogFromWindow(window);
}

// SDL's event to ours; kRawNone for what the toolkit does not use (or windows not its own).
PlatRawEvent Translate(const SDL_Event& e) {
  PlatRawEvent out;
  Uint32 windowId = 0;
  switch (e.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      windowId = e.button.windowID;
      out.kind = e.type == SDL_MOUSEBUTTONDOWN ? kRawMouseDown : kRawMouseUp;
      out.x = e.button.x;
      out.y = e.button.y;
      out.value = e.button.button == SDL_BUTTON_LEFT ? kPlatMouseLeft
                  : e.button.button == SDL_BUTTON_RIGHT ? kPlatMouseRight
                                                        : 0;
      break;
    case SDL_MOUSEMOTION:
      windowId = e.motion.windowID;
      out.kind = kRawMouseMove;
      out.x = e.motion.x;
      out.y = e.motion.y;
      break;
    case SDL_MOUSEWHEEL: {
      windowId = e.wheel.windowID;
      out.kind = kRawWheel;
      SDL_GetMouseState(&out.x, &out.y);
      int notches = e.wheel.y;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
      out.value = notches;
      break;
    }
    case SDL_KEYDOWN:
      windowId = e.key.windowID;
      out.kind = kRawKey;
      if (e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER)
        out.value = kPlatKeyEnter;
      else if (e.key.keysym.sym == SDLK_ESCAPE)
        out.value = kPlatKeyEscape;
      break;
    case SDL_WINDOWEVENT:
      windowId = e.window.windowID;
      if (e.window.event == SDL_WINDOWEVENT_CLOSE)
        out.kind = kRawClose;
      else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
        out.kind = kRawFocus;
      else if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
               e.window.event == SDL_WINDOWEVENT_SHOWN ||
               e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
               e.window.event == SDL_WINDOWEVENT_RESTORED)
        out.kind = kRawExpose;
      break;
    case SDL_QUIT:
      out.kind = kRawQuit;
      return out;
    default:
      break;
  }
  out.target = DialogOfWindowId(windowId);
  // An event for a window that is not a live dialog's is not ours, but for what a program
  // window's press, key or focus means to a modal dialog it owns.
  if (!out.target) {
    const bool activating = out.kind == kRawMouseDown || out.kind == kRawKey || out.kind == kRawFocus;
    PlatWindowRec* program = activating ? plat_WindowFromNativeId(windowId) : nullptr;
    out.window = program;
    if (!program) out.kind = kRawNone;
  }
  return out;
}

bool RealNextEvent(int timeoutMs, PlatRawEvent* event) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  SDL_Event e;
  int got = timeoutMs > 0 ? SDL_WaitEventTimeout(&e, timeoutMs) : SDL_PollEvent(&e);
  if (!got) return false;
  *event = Translate(e);
  return true;
}

void RealDiscardEvents() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

constexpr PlatDialogBackendOps kRealOps{
    false,          RealScreenSize, RealWindowOpen,     RealWindowClose, RealWindowPlace,
    RealWindowCaption, RealWindowShow, RealWindowActivate, RealPresent, RealNextEvent,
    RealDiscardEvents};

// ---- test: headless canvases ---------------------------------------------------------------

struct TestState {
  std::deque<PlatRawEvent> queue;
  PlatIdleHook hook = nullptr;
  void* hookUser = nullptr;
  bool inHook = false;
  int activations = 0;
  PlatDialog* lastActivated = nullptr;
};
TestState gTest;

// The screen of the test back end is the window module's (plat_TestSetScreenSize).
void TestScreenSize(int* width, int* height) { plat_GetScreenSize(width, height); }
bool TestWindowOpen(PlatDialog*) { return true; }
void TestWindowNothing(PlatDialog*) {}
// Input queued for a dialog that goes away goes nowhere (not to a later dialog at its address).
void TestWindowClose(PlatDialog* dialog) {
  gTest.queue.erase(std::remove_if(gTest.queue.begin(), gTest.queue.end(),
                                   [dialog](const PlatRawEvent& e) { return e.target == dialog; }),
                    gTest.queue.end());
}

bool TestNextEvent(int timeoutMs, PlatRawEvent* event) {
  if (gTest.queue.empty() && timeoutMs > 0) {
    if (gTest.hook && !gTest.inHook) {
      gTest.inHook = true;
      gTest.hook(gTest.hookUser);
      gTest.inHook = false;
    }
    // Nothing came: the wait took its whole timeout.
    if (gTest.queue.empty()) plat_TestClockAdvanceMicroseconds(int64_t{timeoutMs} * 1000);
  }
  if (gTest.queue.empty()) return false;
  *event = gTest.queue.front();
  gTest.queue.pop_front();
  return true;
}

void TestWindowActivate(PlatDialog* dialog) {
  ++gTest.activations;
  gTest.lastActivated = dialog;
}

// Called when every dialog goes: the queue and what was recorded of the dialogs are forgotten.
void TestDiscardEvents() {
  gTest.queue.clear();
  gTest.activations = 0;
  gTest.lastActivated = nullptr;
}

constexpr PlatDialogBackendOps kTestOps{
    true,              TestScreenSize,     TestWindowOpen,    TestWindowClose,   TestWindowNothing,
    TestWindowNothing, TestWindowNothing,  TestWindowActivate, TestWindowNothing, TestNextEvent,
    TestDiscardEvents};

void Push(PlatRawKind kind, PlatDialog* target, int x, int y, int value, PlatWindow window = nullptr) {
  PlatRawEvent e;
  e.kind = kind;
  e.target = target;
  e.window = window;
  e.x = x;
  e.y = y;
  e.value = value;
  gTest.queue.push_back(e);
}

}  // namespace

const PlatDialogBackendOps* plat_DialogBackendOps(PlatBackend backend) {
  return backend == kPlatBackendTest ? &kTestOps : &kRealOps;
}


void plat_TestPushMouseDown(PlatDialog* target, int x, int y) {
  Push(kRawMouseDown, target, x, y, kPlatMouseLeft);
}
void plat_TestPushMouseMove(PlatDialog* target, int x, int y) { Push(kRawMouseMove, target, x, y, 0); }
void plat_TestPushMouseUp(PlatDialog* target, int x, int y) {
  Push(kRawMouseUp, target, x, y, kPlatMouseLeft);
}
void plat_TestPushClick(PlatDialog* target, int x, int y) {
  plat_TestPushMouseDown(target, x, y);
  plat_TestPushMouseUp(target, x, y);
}
void plat_TestPushWheel(PlatDialog* target, int x, int y, int notches) {
  Push(kRawWheel, target, x, y, notches);
}
void plat_TestPushKey(PlatDialog* target, PlatKey key) { Push(kRawKey, target, 0, 0, key); }
void plat_TestPushClose(PlatDialog* target) { Push(kRawClose, target, 0, 0, 0); }
int plat_TestQueuedEvents() { return static_cast<int>(gTest.queue.size()); }

void plat_TestPushWindowInput(PlatWindow window, PlatTestWindowInput input, int x, int y) {
  switch (input) {
    case kPlatTestWindowClick:
      Push(kRawMouseDown, nullptr, x, y, kPlatMouseLeft, window);
      Push(kRawMouseUp, nullptr, x, y, kPlatMouseLeft, window);
      break;
    case kPlatTestWindowEnter: Push(kRawKey, nullptr, 0, 0, kPlatKeyEnter, window); break;
    case kPlatTestWindowFocus: Push(kRawFocus, nullptr, 0, 0, 0, window); break;
  }
}

int plat_TestDialogActivations() { return gTest.activations; }
PlatDialog* plat_TestLastActivatedDialog() { return gTest.lastActivated; }

void plat_TestSetIdleHook(PlatIdleHook hook, void* user) {
  gTest.hook = hook;
  gTest.hookUser = user;
}
