// Windows, the queue, key messages, the cursor and the key filter on the test back end.
#include <gtest/gtest.h>

#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_input.h"
#include "platform/plat_window.h"
#include "platform/test/plat_input.h"

namespace {

struct Seen {
  PlatWindow window;
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};
std::vector<Seen> gSeen;

intptr_t RecordingProc(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  gSeen.push_back(Seen{window, message, wParam, lParam});
  if (message == kPlatMsgDestroy) {
    EXPECT_FALSE(plat_DestroyWindow(window));  // already on its way out
    plat_PostQuitMessage(7);
  }
  return plat_DefWindowProc(window, message, wParam, lParam) + 100;
}

class PlatWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestInputReset();
    gSeen.clear();
    ASSERT_TRUE(plat_RegisterClass("Main Class", RecordingProc));
    window = plat_CreateWindow("MAIN class", "Title", kPlatStylePopup | kPlatStyleVisible, 100, 50, 640, 480,
                               nullptr, nullptr);
    ASSERT_NE(window, nullptr);
  }

  std::vector<PlatMessage> TakeAll() {
    std::vector<PlatMessage> out;
    PlatMessage msg{};
    while (plat_PeekMessage(&msg, true)) out.push_back(msg);
    return out;
  }

  PlatWindow window = nullptr;
};

TEST_F(PlatWindowTest, WindowLifecycle) {
  EXPECT_EQ(plat_CreateWindow("no such class", "x", 0, 0, 0, 10, 10, nullptr, nullptr), nullptr);
  EXPECT_TRUE(plat_IsWindow(window));
  int w = 0, h = 0;
  EXPECT_TRUE(plat_GetClientSize(window, &w, &h));
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  int x = 3, y = 4;
  EXPECT_TRUE(plat_ClientToScreen(window, &x, &y));
  EXPECT_EQ(x, 103);
  EXPECT_EQ(y, 54);

  // Destroying sends the destroy message at once and drops the window's waiting messages.
  plat_TestTypeText("ab");
  EXPECT_EQ(plat_TestQueueLength(), 2u);
  EXPECT_TRUE(plat_DestroyWindow(window));
  ASSERT_EQ(gSeen.size(), 1u);
  EXPECT_EQ(gSeen[0].message, kPlatMsgDestroy);
  EXPECT_FALSE(plat_IsWindow(window));
  EXPECT_FALSE(plat_DestroyWindow(window));
  EXPECT_FALSE(plat_ShowWindow(window, true));
  EXPECT_EQ(plat_SendMessage(window, kPlatMsgUser, 0, 0), 0);
  // Only the quit message is left, with its exit code.
  auto all = TakeAll();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].message, kPlatMsgQuit);
  EXPECT_EQ(all[0].wParam, 7u);
  EXPECT_EQ(all[0].window, nullptr);
  EXPECT_TRUE(plat_QuitPosted());
}

TEST_F(PlatWindowTest, DestroyedWindowsLeaveNoRecord) {
  for (int i = 0; i < 3; ++i) {
    PlatWindow other = plat_CreateWindow("Main Class", "Other", 0, 0, 0, 10, 10, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(plat_DestroyWindow(other));
  }
  EXPECT_EQ(plat_TestWindowRecords(), 1u);
  EXPECT_TRUE(plat_DestroyWindow(window));
  EXPECT_EQ(plat_TestWindowRecords(), 0u);
}

TEST_F(PlatWindowTest, CloseRequestGoesThroughDefaultHandlingToQuit) {
  EXPECT_FALSE(plat_QuitRequested());
  plat_TestCloseRequest();
  EXPECT_TRUE(plat_QuitRequested());  // the program is asked to end, whatever its procedure does
  PlatMessage msg{};
  ASSERT_EQ(plat_GetMessage(&msg), 1);
  EXPECT_EQ(msg.message, kPlatMsgClose);
  EXPECT_EQ(plat_DispatchMessage(&msg), 100);
  EXPECT_FALSE(plat_IsWindow(window));
  ASSERT_EQ(gSeen.size(), 2u);
  EXPECT_EQ(gSeen[1].message, kPlatMsgDestroy);
  EXPECT_EQ(plat_GetMessage(&msg), 0);
  EXPECT_EQ(msg.message, kPlatMsgQuit);
  // Nothing can come any more: the test back end does not wait for ever.
  EXPECT_EQ(plat_GetMessage(&msg), -1);
}

TEST_F(PlatWindowTest, QuitComesAfterWaitingMessagesAndPeekCanLeaveIt) {
  plat_PostQuitMessage(0);
  plat_PostMessage(window, kPlatMsgUser, 1, 2);
  PlatMessage msg{};
  ASSERT_TRUE(plat_PeekMessage(&msg, false));
  EXPECT_EQ(msg.message, kPlatMsgUser);
  ASSERT_TRUE(plat_PeekMessage(&msg, true));
  EXPECT_EQ(msg.message, kPlatMsgUser);
  EXPECT_EQ(plat_DispatchMessage(&msg), 100);
  ASSERT_TRUE(plat_PeekMessage(&msg, false));
  EXPECT_EQ(msg.message, kPlatMsgQuit);
  EXPECT_EQ(plat_DispatchMessage(&msg), 0);
  ASSERT_TRUE(plat_PeekMessage(&msg, true));
  EXPECT_FALSE(plat_PeekMessage(&msg, true));
  EXPECT_TRUE(plat_QuitPosted());
}

TEST_F(PlatWindowTest, KeyMessagesAndKeyData) {
  plat_TestKeyEvent('A', true);
  plat_TestKeyEvent('A', true);  // auto-repeat
  plat_TestKeyEvent('A', false);
  plat_TestKeyEvent(kPlatVkLShift, true);
  plat_TestKeyEvent(kPlatVkRControl, true);
  plat_TestKeyEvent(kPlatVkF10, true);
  auto all = TakeAll();
  ASSERT_EQ(all.size(), 5u);
  // The repeat waits in the key-down it followed: one message, counting two.
  EXPECT_EQ(all[0].message, kPlatMsgKeyDown);
  EXPECT_EQ(all[0].wParam, 'A');
  EXPECT_EQ(all[0].lParam & 0xFFFF, 2);
  EXPECT_EQ(all[0].lParam & kPlatKeyDataPrevious, 0);
  EXPECT_EQ(all[1].message, kPlatMsgKeyUp);
  EXPECT_EQ(all[1].lParam & 0xFFFF, 1);
  EXPECT_NE(all[1].lParam & kPlatKeyDataUp, 0);
  // Modifiers come with the generic key; the held state knows the side.
  EXPECT_EQ(all[2].wParam, static_cast<uintptr_t>(kPlatVkShift));
  EXPECT_EQ(all[3].wParam, static_cast<uintptr_t>(kPlatVkControl));
  EXPECT_EQ(all[4].message, kPlatMsgSysKeyDown);
  // A repeat of a key whose key-down was already taken waits as a message of its own.
  plat_TestKeyEvent('A', true);
  plat_TestKeyEvent('A', true);
  ASSERT_TRUE(plat_PeekMessage(nullptr, true));
  plat_TestKeyEvent('A', true);
  all = TakeAll();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].lParam & 0xFFFF, 1);
  EXPECT_NE(all[0].lParam & kPlatKeyDataPrevious, 0);
  EXPECT_TRUE(plat_AsyncKeyDown(kPlatVkShift));
  EXPECT_TRUE(plat_AsyncKeyDown(kPlatVkLShift));
  EXPECT_FALSE(plat_AsyncKeyDown(kPlatVkRShift));
  EXPECT_TRUE(plat_AsyncKeyDown(kPlatVkControl));
  EXPECT_FALSE(plat_AsyncKeyDown(kPlatVkMenu));
  EXPECT_FALSE(plat_AsyncKeyDown(300));
}

// A held key repeats while nothing reads the queue: its repeats and their characters fold into
// the key-down and character still waiting, whatever else comes between them.
TEST_F(PlatWindowTest, UnreadRepeatsFoldIntoTheWaitingKeyDown) {
  const auto count = [](const std::vector<PlatMessage>& all, uint32_t message, uintptr_t wParam) {
    std::vector<intptr_t> data;
    for (const PlatMessage& m : all)
      if (m.message == message && m.wParam == wParam) data.push_back(m.lParam & 0xFFFF);
    return data;
  };
  using Counts = std::vector<intptr_t>;
  for (int i = 0; i < 500; ++i) {
    plat_TestKeyEvent('A', true);
    plat_TestTypeText("a");
  }
  plat_TestKeyEvent('A', false);
  auto all = TakeAll();
  EXPECT_EQ(all.size(), 3u);
  EXPECT_EQ(count(all, kPlatMsgKeyDown, 'A'), Counts{500});
  EXPECT_EQ(count(all, kPlatMsgChar, 'a'), Counts{1});
  EXPECT_EQ(count(all, kPlatMsgKeyUp, 'A'), Counts{1});

  // Between the repeats: pointer moves, another held key's repeats and a third key's strokes with
  // their characters.
  for (int i = 0; i < 500; ++i) {
    plat_TestKeyEvent('A', true);
    plat_TestTypeText("a");
    plat_TestMouseMove(i % 50, 7);
    plat_TestKeyEvent(kPlatVkRight, true);
    if (i % 100 == 0) {
      plat_TestKeyEvent('B', true);
      plat_TestTypeText("b");
      plat_TestKeyEvent('B', false);
    }
  }
  all = TakeAll();
  EXPECT_EQ(count(all, kPlatMsgKeyDown, 'A'), Counts{500});
  EXPECT_EQ(count(all, kPlatMsgChar, 'a'), Counts{1});
  EXPECT_EQ(count(all, kPlatMsgKeyDown, kPlatVkRight), Counts{500});
  EXPECT_EQ(count(all, kPlatMsgKeyDown, 'B'), Counts(5, 1));
  EXPECT_EQ(count(all, kPlatMsgChar, 'b'), Counts(5, 1));
  // Folded repeats leave the moves after them the newest message: those moves coalesce too.
  EXPECT_EQ(count(all, kPlatMsgMouseMove, 0).size(), 6u);
  // Released and pressed again: a key-down of its own; the count stops at its top.
  plat_TestKeyEvent('A', false);
  for (int i = 0; i < 0x10005; ++i) plat_TestKeyEvent('A', true);
  all = TakeAll();
  EXPECT_EQ(count(all, kPlatMsgKeyUp, 'A'), Counts{1});
  EXPECT_EQ(count(all, kPlatMsgKeyDown, 'A'), Counts{0xFFFF});
  // A key with no key code after a folded repeat still brings its own character.
  plat_TestKeyEvent('A', true);
  plat_TestTypeText("a");
  plat_TestKeyEvent('A', true);
  plat_TestTypeText("a");
  plat_TestKeyEvent(0, true);
  plat_TestTypeText("=");
  all = TakeAll();
  EXPECT_EQ(count(all, kPlatMsgChar, 'a'), Counts{1});
  EXPECT_EQ(count(all, kPlatMsgChar, '='), Counts{1});
}

TEST_F(PlatWindowTest, AltMakesSystemKeysAndSystemCharacters) {
  plat_TestKeyEvent(kPlatVkLMenu, true);
  plat_TestKeyEvent('X', true);
  plat_TestTypeText("x");
  plat_TestKeyEvent('X', false);
  plat_TestKeyEvent(kPlatVkLMenu, false);
  plat_TestTypeText("y");
  auto all = TakeAll();
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all[0].message, kPlatMsgSysKeyDown);
  EXPECT_EQ(all[0].wParam, static_cast<uintptr_t>(kPlatVkMenu));
  EXPECT_EQ(all[1].message, kPlatMsgSysKeyDown);
  EXPECT_NE(all[1].lParam & kPlatKeyDataAlt, 0);
  EXPECT_EQ(all[2].message, kPlatMsgSysChar);
  EXPECT_EQ(all[3].message, kPlatMsgSysKeyUp);
  EXPECT_EQ(all[4].message, kPlatMsgSysKeyUp);
  EXPECT_EQ(all[5].message, kPlatMsgChar);
  EXPECT_EQ(all[5].wParam, 'y');
}

TEST_F(PlatWindowTest, TextKeepsPrintableAsciiOnly) {
  plat_TestTypeText("a \t~\x7f\xc3\xa9Z");  // tab, DEL and a two-byte character are dropped
  auto all = TakeAll();
  std::vector<uintptr_t> chars;
  for (const auto& m : all) {
    EXPECT_EQ(m.message, kPlatMsgChar);
    chars.push_back(m.wParam);
  }
  EXPECT_EQ(chars, (std::vector<uintptr_t>{'a', ' ', '~', 'Z'}));
}

TEST_F(PlatWindowTest, MouseMovesCoalesceIntoTheLatest) {
  plat_TestMouseMove(1, 2);
  plat_TestMouseMove(3, 4);
  plat_TestMouseMove(600, 470);
  plat_TestMouseButton(true);
  plat_TestMouseMove(7, 8);
  plat_TestMouseButton(false);
  auto all = TakeAll();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].message, kPlatMsgMouseMove);
  EXPECT_EQ(all[0].lParam & 0xFFFF, 600);
  EXPECT_EQ((all[0].lParam >> 16) & 0xFFFF, 470);
  EXPECT_EQ(all[1].message, kPlatMsgLButtonDown);
  EXPECT_EQ(all[2].message, kPlatMsgMouseMove);
  EXPECT_EQ(all[2].wParam, 1u);  // the left button was held
  EXPECT_EQ(all[3].message, kPlatMsgLButtonUp);
  int x = 0, y = 0;
  plat_GetCursorPos(&x, &y);
  EXPECT_EQ(x, 107);
  EXPECT_EQ(y, 58);
}

TEST_F(PlatWindowTest, SetCursorPosMovesThePointerOverTheWindow) {
  plat_SetCursorPos(110, 60);
  plat_SetCursorPos(5000, 5000);  // off the window: no message
  auto all = TakeAll();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].message, kPlatMsgMouseMove);
  EXPECT_EQ(all[0].lParam, (10 << 16) | 10);
  int x = 0, y = 0;
  plat_GetCursorPos(&x, &y);
  EXPECT_EQ(x, 5000);
}

TEST_F(PlatWindowTest, CursorShowCount) {
  EXPECT_EQ(plat_ShowCursor(false), -1);
  EXPECT_EQ(plat_ShowCursor(false), -2);
  EXPECT_EQ(plat_ShowCursor(true), -1);
  EXPECT_EQ(plat_ShowCursor(true), 0);
  EXPECT_EQ(plat_ShowCursor(true), 1);
  EXPECT_FALSE(plat_TestCaptureReleased());
  plat_ReleaseCapture();
  EXPECT_TRUE(plat_TestCaptureReleased());
}

bool DropEscape(int vk, bool, bool) { return vk == kPlatVkEscape; }

TEST_F(PlatWindowTest, LockFilterDropsKeysBeforeTheyBecomeMessages) {
  EXPECT_FALSE(plat_TestSystemKeysLocked());
  EXPECT_TRUE(plat_SystemKeysLock(DropEscape));
  EXPECT_TRUE(plat_TestSystemKeysLocked());
  plat_TestKeyEvent(kPlatVkEscape, true);
  plat_TestKeyEvent(kPlatVkTab, true);
  EXPECT_TRUE(plat_AsyncKeyDown(kPlatVkEscape));  // the key is still held; only the message is gone
  ASSERT_EQ(plat_TestQueueLength(), 1u);
  PlatMessage msg{};
  ASSERT_TRUE(plat_TestQueueAt(0, &msg));
  EXPECT_EQ(msg.wParam, static_cast<uintptr_t>(kPlatVkTab));
  // Unlocking lets every key through again.
  plat_SystemKeysUnlock();
  EXPECT_FALSE(plat_TestSystemKeysLocked());
  plat_TestKeyEvent(kPlatVkEscape, false);
  EXPECT_EQ(plat_TestQueueLength(), 2u);
}

}  // namespace
