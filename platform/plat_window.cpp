// Windows, the message queue, the cursor and the key filter, shared by both back ends; and the test
// back end, whose events come from the plat_Test* calls.
#include "platform/plat_window.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/plat_input.h"
#include "platform/plat_internal.h"
#include "platform/test/plat_input.h"

namespace {

struct WindowClass {
  std::string name;
  PlatWindowProc proc;
};

struct WindowState {
  std::vector<WindowClass> classes;
  std::vector<std::unique_ptr<PlatWindowRec>> windows;
  std::deque<PlatMessage> queue;
  bool quitPending = false;
  bool quitPosted = false;
  bool quitRequested = false;  // the system or the user asked the program to end
  int quitCode = 0;
  int cursorCount = 0;
  PlatKeyFilter keyFilter = nullptr;
  bool locked = false;
  // The window whose last key event was a repeat folded into a waiting key-down: the text that
  // event brings in the same pump belongs to that key-down's character message, already waiting.
  PlatWindowRec* foldedTextWindow = nullptr;
};

WindowState& State() {
  static auto* state = new WindowState();
  return *state;
}

bool SameNameNoCase(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

intptr_t PackKeyData(uint32_t bits) { return static_cast<intptr_t>(bits); }

intptr_t PackPoint(int x, int y) {
  uint32_t bits = (static_cast<uint32_t>(x) & 0xFFFFu) | ((static_cast<uint32_t>(y) & 0xFFFFu) << 16);
  return static_cast<intptr_t>(bits);
}

void Enqueue(PlatWindowRec* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  State().queue.push_back(PlatMessage{window, message, wParam, lParam});
}

// ---- test back end -------------------------------------------------------------------------

struct TestInput {
  bool held[256] = {};
  int cursorX = 0, cursorY = 0;
  int screenWidth = 640, screenHeight = 480;
  bool captureReleased = false;
  uint32_t nextId = 1;
};
TestInput gTest;

bool TestCreate(PlatWindowRec* window) {
  if (window->x == kPlatUseDefault) window->x = 0;
  if (window->y == kPlatUseDefault) window->y = 0;
  window->nativeId = gTest.nextId++;
  return true;
}
void TestDestroy(PlatWindowRec*) {}
void TestShow(PlatWindowRec*, bool) {}
void TestSetTitle(PlatWindowRec*) {}
void TestPosition(PlatWindowRec* window, int* x, int* y) {
  *x = window->x;
  *y = window->y;
}
void TestScreenSize(int* width, int* height) {
  *width = gTest.screenWidth;
  *height = gTest.screenHeight;
}
void (*gTestPumpHook)(void*) = nullptr;
void* gTestPumpUser = nullptr;
void TestPump() {
  if (gTestPumpHook) gTestPumpHook(gTestPumpUser);
}
bool TestWait(int) { return false; }

bool TestKeyHeld(int vk) { return vk >= 0 && vk < 256 && gTest.held[vk]; }
bool TestAsyncKey(int vk) {
  switch (vk) {
    case kPlatVkShift: return TestKeyHeld(vk) || TestKeyHeld(kPlatVkLShift) || TestKeyHeld(kPlatVkRShift);
    case kPlatVkControl:
      return TestKeyHeld(vk) || TestKeyHeld(kPlatVkLControl) || TestKeyHeld(kPlatVkRControl);
    case kPlatVkMenu: return TestKeyHeld(vk) || TestKeyHeld(kPlatVkLMenu) || TestKeyHeld(kPlatVkRMenu);
    default: return TestKeyHeld(vk);
  }
}
void TestCursorVisible(bool) {}
void TestCursorSetPos(int x, int y) {
  gTest.cursorX = x;
  gTest.cursorY = y;
  // The window under the pointer hears of the move.
  PlatWindowRec* window = plat_WindowNewest();
  if (!window) return;
  int cx = x - window->x, cy = y - window->y;
  if (cx >= 0 && cy >= 0 && cx < window->width && cy < window->height) {
    plat_EventMouseMove(window, cx, cy, TestKeyHeld(kPlatVkLButton));
  }
}
void TestCursorGetPos(int* x, int* y) {
  *x = gTest.cursorX;
  *y = gTest.cursorY;
}
void TestReleaseCapture() { gTest.captureReleased = true; }
void TestScreenSaver(bool) {}

constexpr PlatWindowOps kTestOps{TestCreate,       TestDestroy,       TestShow,          TestSetTitle,
                                 TestPosition,     TestScreenSize,    TestPump,          TestWait,
                                 TestAsyncKey,     TestCursorVisible, TestCursorSetPos,  TestCursorGetPos,
                                 TestReleaseCapture, TestScreenSaver};

const PlatWindowOps* gOps = &kPlatWindowOpsSdl;

}  // namespace

void plat_WindowSelectBackend(PlatBackend backend) {
  const PlatWindowOps* ops = backend == kPlatBackendTest ? &kTestOps : &kPlatWindowOpsSdl;
  if (ops == gOps) return;
  // The windows and messages of one back end mean nothing to the other.
  auto& state = State();
  for (const auto& w : state.windows) {
    if (w->alive) gOps->destroy(w.get());
  }
  state.windows.clear();
  state.queue.clear();
  state.foldedTextWindow = nullptr;
  gOps = ops;
}

// ---- windows ---------------------------------------------------------------------------------

bool plat_RegisterClass(const char* className, PlatWindowProc proc) {
  if (!className || !proc) return false;
  auto& classes = State().classes;
  for (auto& c : classes) {
    if (SameNameNoCase(c.name, className)) {
      c.proc = proc;
      return true;
    }
  }
  classes.push_back(WindowClass{className, proc});
  return true;
}

PlatWindow plat_CreateWindow(const char* className, const char* title, uint32_t style, int x, int y,
                             int width, int height, PlatWindow parent, void* param) {
  (void)parent;
  (void)param;
  if (!className) return nullptr;
  PlatWindowProc proc = nullptr;
  for (const auto& c : State().classes) {
    if (SameNameNoCase(c.name, className)) proc = c.proc;
  }
  if (!proc) return nullptr;
  auto window = std::make_unique<PlatWindowRec>();
  window->proc = proc;
  window->native = nullptr;
  window->nativeId = 0;
  window->title = title ? title : "";
  window->style = style;
  window->x = x;
  window->y = y;
  window->width = width == kPlatUseDefault || width < 1 ? 640 : width;
  window->height = height == kPlatUseDefault || height < 1 ? 480 : height;
  window->visible = (style & kPlatStyleVisible) != 0;
  window->alive = false;
  window->destroying = false;
  if (!gOps->create(window.get())) return nullptr;
  window->alive = true;
  PlatWindowRec* handle = window.get();
  State().windows.push_back(std::move(window));
  return handle;
}

bool plat_IsWindow(PlatWindow window) {
  if (!window) return false;
  for (const auto& w : State().windows) {
    if (w.get() == window) return w->alive;
  }
  return false;
}

bool plat_DestroyWindow(PlatWindow window) {
  if (!plat_IsWindow(window) || window->destroying) return false;
  window->destroying = true;
  window->proc(window, kPlatMsgDestroy, 0, 0);
  window->alive = false;
  gOps->destroy(window);
  window->native = nullptr;
  auto& state = State();
  auto& queue = state.queue;
  queue.erase(std::remove_if(queue.begin(), queue.end(), [window](const PlatMessage& m) { return m.window == window; }),
              queue.end());
  if (state.foldedTextWindow == window) state.foldedTextWindow = nullptr;
  // The record goes with the window, so a program that makes windows again and again does not keep
  // every one it ever made.
  auto& windows = state.windows;
  windows.erase(std::remove_if(windows.begin(), windows.end(),
                               [window](const std::unique_ptr<PlatWindowRec>& w) { return w.get() == window; }),
                windows.end());
  return true;
}

bool plat_ShowWindow(PlatWindow window, bool show) {
  if (!plat_IsWindow(window)) return false;
  bool was = window->visible;
  window->visible = show;
  gOps->show(window, show);
  return was;
}

bool plat_SetWindowTitle(PlatWindow window, const char* title) {
  if (!plat_IsWindow(window)) return false;
  window->title = title ? title : "";
  gOps->setTitle(window);
  return true;
}

void* plat_WindowNative(PlatWindow window) { return plat_IsWindow(window) ? window->native : nullptr; }

bool plat_GetClientSize(PlatWindow window, int* width, int* height) {
  if (!plat_IsWindow(window)) return false;
  if (width) *width = window->width;
  if (height) *height = window->height;
  return true;
}

bool plat_ClientToScreen(PlatWindow window, int* x, int* y) {
  if (!plat_IsWindow(window) || !x || !y) return false;
  int wx = 0, wy = 0;
  gOps->position(window, &wx, &wy);
  *x += wx;
  *y += wy;
  return true;
}

void plat_GetScreenSize(int* width, int* height) {
  int w = 0, h = 0;
  gOps->screenSize(&w, &h);
  if (width) *width = w;
  if (height) *height = h;
}

PlatWindowRec* plat_WindowFromNativeId(uint32_t nativeId) {
  for (const auto& w : State().windows) {
    if (w->alive && w->nativeId == nativeId) return w.get();
  }
  return nullptr;
}

PlatWindowRec* plat_WindowNewest() {
  auto& windows = State().windows;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if ((*it)->alive) return it->get();
  }
  return nullptr;
}

// ---- events into messages ----------------------------------------------------------------------

namespace {

bool IsKeyDown(uint32_t message) { return message == kPlatMsgKeyDown || message == kPlatMsgSysKeyDown; }
bool IsKeyUp(uint32_t message) { return message == kPlatMsgKeyUp || message == kPlatMsgSysKeyUp; }

// A held key repeats far faster than a race reads its messages. As the system does, a repeat whose
// key's newest key-down still waits (with no key-up of that key after it) adds to that message's
// repeat count instead of queuing another, so a held key never banks a backlog of stale presses.
bool FoldRepeat(PlatWindowRec* window, uint32_t message, int key) {
  auto& queue = State().queue;
  for (auto it = queue.rbegin(); it != queue.rend(); ++it) {
    if (it->window != window || it->wParam != static_cast<uintptr_t>(key)) continue;
    if (IsKeyUp(it->message)) return false;
    if (!IsKeyDown(it->message)) continue;
    if (it->message != message) return false;
    auto data = static_cast<uint32_t>(it->lParam);
    const uint32_t count = data & 0xFFFFu;
    if (count < 0xFFFFu) data = (data & ~0xFFFFu) | (count + 1);
    it->lParam = PackKeyData(data);
    return true;
  }
  return false;
}

}  // namespace

void plat_EventKey(PlatWindowRec* window, int vk, bool down, bool repeat, bool altHeld, int scanCode) {
  // Whatever becomes of this key event, the text after it is its own, not a folded repeat's.
  State().foldedTextWindow = nullptr;
  if (!plat_IsWindow(window) || vk <= 0 || vk > 255) return;
  // The system-key lock's filter sees the key before anything else does.
  if (State().keyFilter && State().keyFilter(vk, down, altHeld)) return;
  int messageKey = vk;
  if (vk == kPlatVkLShift || vk == kPlatVkRShift) messageKey = kPlatVkShift;
  if (vk == kPlatVkLControl || vk == kPlatVkRControl) messageKey = kPlatVkControl;
  if (vk == kPlatVkLMenu || vk == kPlatVkRMenu) messageKey = kPlatVkMenu;
  // Alt combinations, Alt itself and F10 are system keys.
  bool system = altHeld || messageKey == kPlatVkMenu || messageKey == kPlatVkF10;
  uint32_t message = down ? (system ? kPlatMsgSysKeyDown : kPlatMsgKeyDown) : (system ? kPlatMsgSysKeyUp : kPlatMsgKeyUp);
  if (down && repeat && FoldRepeat(window, message, messageKey)) {
    State().foldedTextWindow = window;
    return;
  }
  uint32_t data = 1u | ((static_cast<uint32_t>(scanCode) & 0xFFu) << 16);
  if (altHeld) data |= kPlatKeyDataAlt;
  if (!down) data |= kPlatKeyDataPrevious | kPlatKeyDataUp;
  else if (repeat) data |= kPlatKeyDataPrevious;
  Enqueue(window, message, static_cast<uintptr_t>(messageKey), PackKeyData(data));
}

void plat_EventText(PlatWindowRec* window, const char* utf8, bool altHeld) {
  if (!plat_IsWindow(window) || !utf8) return;
  if (State().foldedTextWindow == window) return;  // the folded repeat's character already waits
  // Printable ASCII only: every byte of a multi-byte character is 0x80 or above and is dropped.
  for (const char* p = utf8; *p; ++p) {
    auto c = static_cast<unsigned char>(*p);
    if (c < 32 || c > 126) continue;
    Enqueue(window, altHeld ? kPlatMsgSysChar : kPlatMsgChar, c, PackKeyData(1u));
  }
}

void plat_EventMouseMove(PlatWindowRec* window, int clientX, int clientY, bool leftHeld) {
  if (!plat_IsWindow(window)) return;
  auto& queue = State().queue;
  PlatMessage move{window, kPlatMsgMouseMove, leftHeld ? 1u : 0u, PackPoint(clientX, clientY)};
  // The system makes one move message from the pointer's latest position, however often it moved.
  if (!queue.empty() && queue.back().message == kPlatMsgMouseMove && queue.back().window == window) {
    queue.back() = move;
  } else {
    queue.push_back(move);
  }
}

void plat_EventMouseButton(PlatWindowRec* window, bool down, int clientX, int clientY) {
  if (!plat_IsWindow(window)) return;
  Enqueue(window, down ? kPlatMsgLButtonDown : kPlatMsgLButtonUp, down ? 1u : 0u, PackPoint(clientX, clientY));
}

void plat_EventQuitRequest() { State().quitRequested = true; }

void plat_EventClose(PlatWindowRec* window) {
  plat_EventQuitRequest();
  if (!plat_IsWindow(window)) return;
  Enqueue(window, kPlatMsgClose, 0, 0);
}

// ---- the queue ---------------------------------------------------------------------------------

bool plat_PeekMessage(PlatMessage* msg, bool remove) {
  gOps->pump();
  auto& state = State();
  // A key event's text comes in the same pump as the key event itself.
  state.foldedTextWindow = nullptr;
  if (!state.queue.empty()) {
    if (msg) *msg = state.queue.front();
    if (remove) state.queue.pop_front();
    return true;
  }
  if (state.quitPending) {
    if (msg) *msg = PlatMessage{nullptr, kPlatMsgQuit, static_cast<uintptr_t>(state.quitCode), 0};
    if (remove) state.quitPending = false;
    return true;
  }
  return false;
}

int plat_GetMessage(PlatMessage* msg) {
  PlatMessage taken{};
  for (;;) {
    if (plat_PeekMessage(&taken, true)) break;
    if (!gOps->wait(100)) return -1;
  }
  if (msg) *msg = taken;
  return taken.message == kPlatMsgQuit ? 0 : 1;
}

bool plat_WaitMessage(int timeoutMs) {
  if (plat_PeekMessage(nullptr, false)) return true;
  gOps->wait(timeoutMs);
  return plat_PeekMessage(nullptr, false);
}

bool plat_TranslateMessage(const PlatMessage* msg) {
  if (!msg) return false;
  switch (msg->message) {
    case kPlatMsgKeyDown:
    case kPlatMsgKeyUp:
    case kPlatMsgSysKeyDown:
    case kPlatMsgSysKeyUp: return true;
    default: return false;
  }
}

intptr_t plat_DispatchMessage(const PlatMessage* msg) {
  if (!msg || !plat_IsWindow(msg->window)) return 0;
  return msg->window->proc(msg->window, msg->message, msg->wParam, msg->lParam);
}

intptr_t plat_SendMessage(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!plat_IsWindow(window)) return 0;
  return window->proc(window, message, wParam, lParam);
}

bool plat_PostMessage(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!plat_IsWindow(window)) return false;
  Enqueue(window, message, wParam, lParam);
  return true;
}

intptr_t plat_DefWindowProc(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  (void)wParam;
  (void)lParam;
  if (message == kPlatMsgClose) plat_DestroyWindow(window);
  return 0;
}

void plat_PostQuitMessage(int exitCode) {
  auto& state = State();
  if (state.quitPending) return;
  state.quitPending = true;
  state.quitPosted = true;
  state.quitCode = exitCode;
}

bool plat_QuitPosted() { return State().quitPosted; }

bool plat_QuitRequested() { return State().quitRequested; }

// ---- mouse, cursor, keys -----------------------------------------------------------------------

void plat_SetCursorPos(int x, int y) { gOps->cursorSetPos(x, y); }

void plat_GetCursorPos(int* x, int* y) {
  int cx = 0, cy = 0;
  gOps->cursorGetPos(&cx, &cy);
  if (x) *x = cx;
  if (y) *y = cy;
}

int plat_ShowCursor(bool show) {
  auto& state = State();
  state.cursorCount += show ? 1 : -1;
  gOps->cursorVisible(state.cursorCount >= 0);
  return state.cursorCount;
}

void plat_ReleaseCapture() { gOps->releaseCapture(); }

bool plat_AsyncKeyDown(int vk) {
  if (vk < 0 || vk > 255) return false;
  return gOps->asyncKey(vk);
}

bool plat_SystemKeysLock(PlatKeyFilter filter) {
  auto& state = State();
  state.keyFilter = filter;
  state.locked = true;
  gOps->screenSaver(false);
  return true;
}

void plat_SystemKeysUnlock() {
  auto& state = State();
  if (!state.locked) return;
  state.keyFilter = nullptr;
  state.locked = false;
  gOps->screenSaver(true);
}

// ---- test back end's scripted input -------------------------------------------------------------

void plat_TestSetPumpHook(void (*hook)(void* user), void* user) {
  gTestPumpHook = hook;
  gTestPumpUser = user;
}

void plat_TestInputReset() {
  auto& state = State();
  state.windows.clear();
  state.queue.clear();
  state.quitPending = false;
  state.quitPosted = false;
  state.quitRequested = false;
  state.quitCode = 0;
  state.cursorCount = 0;
  state.keyFilter = nullptr;
  state.locked = false;
  state.foldedTextWindow = nullptr;
  gTest = TestInput{};
}

void plat_TestSetKeyHeld(int vk, bool held) {
  if (vk >= 0 && vk < 256) gTest.held[vk] = held;
}

void plat_TestKeyEvent(int vk, bool down) {
  if (vk < 0 || vk > 255) return;
  bool repeat = down && gTest.held[vk];
  gTest.held[vk] = down;
  bool alt = TestAsyncKey(kPlatVkMenu);
  plat_EventKey(plat_WindowNewest(), vk, down, repeat, alt, vk);
}

void plat_TestTypeText(const char* text) { plat_EventText(plat_WindowNewest(), text, TestAsyncKey(kPlatVkMenu)); }

void plat_TestMouseMove(int clientX, int clientY) {
  PlatWindowRec* window = plat_WindowNewest();
  if (window) {
    gTest.cursorX = window->x + clientX;
    gTest.cursorY = window->y + clientY;
  }
  plat_EventMouseMove(window, clientX, clientY, gTest.held[kPlatVkLButton]);
}

void plat_TestMouseButton(bool down) {
  gTest.held[kPlatVkLButton] = down;
  PlatWindowRec* window = plat_WindowNewest();
  if (!window) return;
  plat_EventMouseButton(window, down, gTest.cursorX - window->x, gTest.cursorY - window->y);
}

void plat_TestCloseRequest() { plat_EventClose(plat_WindowNewest()); }

void plat_TestSetScreenSize(int width, int height) {
  gTest.screenWidth = width;
  gTest.screenHeight = height;
}

size_t plat_TestQueueLength() { return State().queue.size(); }
size_t plat_TestWindowRecords() { return State().windows.size(); }

bool plat_TestQueueAt(size_t index, PlatMessage* msg) {
  auto& queue = State().queue;
  if (index >= queue.size()) return false;
  if (msg) *msg = queue[index];
  return true;
}

bool plat_TestSystemKeysLocked() { return State().locked; }
bool plat_TestCaptureReleased() { return gTest.captureReleased; }
