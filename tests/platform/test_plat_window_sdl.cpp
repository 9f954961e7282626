// The SDL back end: SDL events pushed into SDL's queue come out as the window's messages.
// Runs under SDL's offscreen (or dummy) video driver.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_input.h"
#include "platform/plat_internal.h"
#include "platform/plat_window.h"

// The GL driver that SDL loads for a window keeps allocations of its own for the life of the
// process; the leak checker is told to look past them.
// The driver has no frame pointers, so allocation stacks are taken the slow way to reach SDL.
extern "C" const char* __lsan_default_suppressions() { return "leak:libSDL2\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

namespace {

std::vector<uint32_t> gDispatched;

intptr_t SdlTestProc(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  gDispatched.push_back(message);
  return plat_DefWindowProc(window, message, wParam, lParam);
}

bool DropEscape(int vk, bool, bool) { return vk == kPlatVkEscape; }

class PlatSdlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendReal);
    gDispatched.clear();
    plat_RegisterClass("sdl test", SdlTestProc);
    window = plat_CreateWindow("sdl test", "Velloran Hydrel", kPlatStylePopup | kPlatStyleVisible, kPlatUseDefault,
                               kPlatUseDefault, 640, 480, nullptr, nullptr);
    if (!window) GTEST_SKIP() << "no SDL video: " << SDL_GetError();
    id = SDL_GetWindowID(static_cast<SDL_Window*>(plat_WindowNative(window)));
    Drain();
  }
  void TearDown() override {
    if (plat_IsWindow(window)) plat_DestroyWindow(window);
    Drain();
    plat_UseBackend(kPlatBackendTest);
  }

  std::vector<PlatMessage> Drain() {
    std::vector<PlatMessage> out;
    PlatMessage msg{};
    while (plat_PeekMessage(&msg, true)) {
      if (msg.message != kPlatMsgQuit) out.push_back(msg);
    }
    return out;
  }

  void PushKey(SDL_Scancode scancode, bool down, Uint16 mod = KMOD_NONE, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = id;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    e.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  void PushText(const char* text) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = id;
    std::strncpy(e.text.text, text, sizeof(e.text.text) - 1);
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  void PushMotion(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = id;
    e.motion.x = x;
    e.motion.y = y;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
  void PushButton(Uint8 button, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = id;
    e.button.button = button;
    e.button.x = 5;
    e.button.y = 6;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }

  PlatWindow window = nullptr;
  Uint32 id = 0;
};

TEST_F(PlatSdlTest, KeysAndTextBecomeKeyAndCharacterMessages) {
  PushKey(SDL_SCANCODE_A, true);
  PushText("a");
  PushKey(SDL_SCANCODE_A, false);
  PushKey(SDL_SCANCODE_LSHIFT, true, KMOD_LSHIFT);
  PushKey(SDL_SCANCODE_RCTRL, true, KMOD_RCTRL);
  PushKey(SDL_SCANCODE_KP_1, true, KMOD_NUM);
  PushKey(SDL_SCANCODE_KP_1, true);
  PushKey(SDL_SCANCODE_KP_ENTER, true);
  PushKey(SDL_SCANCODE_ESCAPE, true);
  PushText("\xc3\xa9!");
  auto all = Drain();
  ASSERT_EQ(all.size(), 10u);
  EXPECT_EQ(all[0].message, kPlatMsgKeyDown);
  EXPECT_EQ(all[0].wParam, 'A');
  EXPECT_EQ(all[0].window, window);
  EXPECT_EQ(all[1].message, kPlatMsgChar);
  EXPECT_EQ(all[1].wParam, 'a');
  EXPECT_EQ(all[2].message, kPlatMsgKeyUp);
  EXPECT_EQ(all[3].wParam, static_cast<uintptr_t>(kPlatVkShift));
  EXPECT_EQ(all[4].wParam, static_cast<uintptr_t>(kPlatVkControl));
  EXPECT_EQ(all[5].wParam, 97u);  // keypad 1 with NumLock
  EXPECT_EQ(all[6].wParam, 35u);  // End without it
  EXPECT_EQ(all[7].wParam, 13u);
  EXPECT_EQ(all[8].wParam, 27u);
  EXPECT_EQ(all[9].message, kPlatMsgChar);  // the two-byte character is dropped
  EXPECT_EQ(all[9].wParam, '!');
}

// A held key's repeat folds into its waiting key-down, its text into the waiting character; a key
// with no key code (keypad "=") after it makes no key message but still brings its character.
TEST_F(PlatSdlTest, AKeyWithoutKeyCodeKeepsItsTextAfterAFoldedRepeat) {
  PushKey(SDL_SCANCODE_A, true);
  PushText("a");
  PushKey(SDL_SCANCODE_A, true, KMOD_NONE, true);
  PushText("a");
  PushKey(SDL_SCANCODE_KP_EQUALS, true);
  PushText("=");
  auto all = Drain();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].message, kPlatMsgKeyDown);
  EXPECT_EQ(all[0].lParam & 0xFFFF, 2);
  EXPECT_EQ(all[1].wParam, 'a');
  EXPECT_EQ(all[2].message, kPlatMsgChar);
  EXPECT_EQ(all[2].wParam, '=');
}

TEST_F(PlatSdlTest, AltAndF10AreSystemKeys) {
  PushKey(SDL_SCANCODE_F10, true);
  PushKey(SDL_SCANCODE_X, true, KMOD_LALT);
  PushKey(SDL_SCANCODE_LALT, true, KMOD_LALT);
  auto all = Drain();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].message, kPlatMsgSysKeyDown);
  EXPECT_EQ(all[0].wParam, 121u);
  EXPECT_EQ(all[1].message, kPlatMsgSysKeyDown);
  EXPECT_NE(all[1].lParam & kPlatKeyDataAlt, 0);
  EXPECT_EQ(all[2].wParam, static_cast<uintptr_t>(kPlatVkMenu));
}

TEST_F(PlatSdlTest, MouseMovesCoalesceAndTheLeftButtonCounts) {
  PushMotion(1, 1);
  PushMotion(2, 2);
  PushMotion(300, 200);
  PushButton(SDL_BUTTON_RIGHT, true);
  PushButton(SDL_BUTTON_LEFT, true);
  PushButton(SDL_BUTTON_LEFT, false);
  auto all = Drain();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].message, kPlatMsgMouseMove);
  EXPECT_EQ(all[0].lParam, (200 << 16) | 300);
  EXPECT_EQ(all[1].message, kPlatMsgLButtonDown);
  EXPECT_EQ(all[1].lParam, (6 << 16) | 5);
  EXPECT_EQ(all[2].message, kPlatMsgLButtonUp);
}

TEST_F(PlatSdlTest, CloseRequestDestroysTheWindowThroughDefaultHandling) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = id;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  PlatMessage msg{};
  ASSERT_TRUE(plat_PeekMessage(&msg, true));
  EXPECT_EQ(msg.message, kPlatMsgClose);
  plat_DispatchMessage(&msg);
  EXPECT_FALSE(plat_IsWindow(window));
  EXPECT_EQ(gDispatched, (std::vector<uint32_t>{kPlatMsgClose, kPlatMsgDestroy}));
}

// A terminate signal reaches SDL as its quit event: the program's quit request.
TEST_F(PlatSdlTest, TheSystemsQuitEventRequestsTheProgramToEnd) {
  SDL_Event e{};
  e.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&e), 1);
  plat_PeekMessage(nullptr, false);
  EXPECT_TRUE(plat_QuitRequested());
}

TEST_F(PlatSdlTest, LockedFilterDropsKeysAndCursorCountHolds) {
  ASSERT_TRUE(plat_SystemKeysLock(DropEscape));
  PushKey(SDL_SCANCODE_ESCAPE, true);
  PushKey(SDL_SCANCODE_TAB, true);
  auto all = Drain();
  plat_SystemKeysUnlock();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].wParam, 9u);
  // Nothing is held: pushed events do not move SDL's key state.
  EXPECT_FALSE(plat_AsyncKeyDown('A'));
  EXPECT_FALSE(plat_AsyncKeyDown(kPlatVkLButton));
  int count = plat_ShowCursor(false);
  EXPECT_EQ(plat_ShowCursor(true), count + 1);
}

TEST(PlatScancodeTable, CoversTheKeyboard) {
  for (int i = 0; i < 26; ++i) EXPECT_EQ(plat_ScancodeToVirtualKey(SDL_SCANCODE_A + i, false), 'A' + i);
  EXPECT_EQ(plat_ScancodeToVirtualKey(SDL_SCANCODE_0, false), '0');
  for (int i = 0; i < 9; ++i) EXPECT_EQ(plat_ScancodeToVirtualKey(SDL_SCANCODE_1 + i, false), '1' + i);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(plat_ScancodeToVirtualKey(SDL_SCANCODE_F1 + i, false), 112 + i);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(plat_ScancodeToVirtualKey(SDL_SCANCODE_F13 + i, false), 124 + i);
  const int movement[9] = {35, 40, 34, 37, 12, 39, 36, 38, 33};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(plat_ScancodeToVirtualKey(SDL_SCANCODE_KP_1 + i, true), 97 + i);
    EXPECT_EQ(plat_ScancodeToVirtualKey(SDL_SCANCODE_KP_1 + i, false), movement[i]);
  }
  struct Row {
    int scancode;
    int vk;
  };
  const Row rows[] = {
      {SDL_SCANCODE_KP_0, 96},       {SDL_SCANCODE_KP_PERIOD, 110}, {SDL_SCANCODE_KP_DIVIDE, 111},
      {SDL_SCANCODE_KP_MULTIPLY, 106}, {SDL_SCANCODE_KP_MINUS, 109}, {SDL_SCANCODE_KP_PLUS, 107},
      {SDL_SCANCODE_BACKSPACE, 8},   {SDL_SCANCODE_TAB, 9},         {SDL_SCANCODE_RETURN, 13},
      {SDL_SCANCODE_ESCAPE, 27},     {SDL_SCANCODE_SPACE, 32},      {SDL_SCANCODE_LCTRL, 162},
      {SDL_SCANCODE_RCTRL, 163},     {SDL_SCANCODE_LSHIFT, 160},    {SDL_SCANCODE_RSHIFT, 161},
      {SDL_SCANCODE_LALT, 164},      {SDL_SCANCODE_RALT, 165},      {SDL_SCANCODE_LGUI, 91},
      {SDL_SCANCODE_RGUI, 92},       {SDL_SCANCODE_UP, 38},         {SDL_SCANCODE_LEFT, 37},
      {SDL_SCANCODE_RIGHT, 39},      {SDL_SCANCODE_DOWN, 40},       {SDL_SCANCODE_HOME, 36},
      {SDL_SCANCODE_END, 35},        {SDL_SCANCODE_PAGEUP, 33},     {SDL_SCANCODE_PAGEDOWN, 34},
      {SDL_SCANCODE_INSERT, 45},     {SDL_SCANCODE_DELETE, 46},     {SDL_SCANCODE_CAPSLOCK, 20},
      {SDL_SCANCODE_NUMLOCKCLEAR, 144}, {SDL_SCANCODE_SCROLLLOCK, 145}, {SDL_SCANCODE_APPLICATION, 93},
      {SDL_SCANCODE_PAUSE, 19},      {SDL_SCANCODE_PRINTSCREEN, 44}, {SDL_SCANCODE_KP_ENTER, 13},
  };
  for (const auto& row : rows) EXPECT_EQ(plat_ScancodeToVirtualKey(row.scancode, true), row.vk) << row.scancode;
  EXPECT_EQ(plat_ScancodeToVirtualKey(SDL_SCANCODE_UNKNOWN, true), 0);
}

}  // namespace
