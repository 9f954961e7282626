// The input layer: key tables, the typed-key ring fed through the window procedure, held keys,
// mouse and cursor, the system-key lock and the window record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/input.h"
#include "input_test_window.h"
#include "platform/test/plat_input.h"

namespace {

struct SpecialRow {
  int code;
  int vk;
  const char* name;
};

// The special keys as the controls menu knows them.
const SpecialRow kRows[] = {
    {129, 112, "F1"},       {130, 113, "F2"},        {131, 114, "F3"},        {132, 115, "F4"},
    {133, 116, "F5"},       {134, 117, "F6"},        {135, 118, "F7"},        {136, 119, "F8"},
    {137, 120, "F9"},       {138, 121, "F10"},       {139, 122, "F11"},       {140, 123, "F12"},
    {141, 124, "F13"},      {142, 125, "F14"},       {143, 126, "F15"},       {144, 8, "BackSpace"},
    {145, 27, "Escape"},    {146, 9, "Tab"},         {147, 13, "Return"},     {148, 162, "L.Ctrl"},
    {149, 163, "R.Ctrl"},   {150, 160, "L.Shift"},   {151, 161, "R.Shift"},   {152, 164, "L.Alt"},
    {153, 165, "R.Alt"},    {154, 91, "L.Win"},      {155, 92, "R.Win"},      {156, 97, "KeyPad 1"},
    {157, 98, "KeyPad 2"},  {158, 99, "KeyPad 3"},   {159, 100, "KeyPad 4"},  {160, 101, "KeyPad 5"},
    {161, 102, "KeyPad 6"}, {162, 103, "KeyPad 7"},  {163, 104, "KeyPad 8"},  {164, 105, "KeyPad 9"},
    {165, 96, "KeyPad 0"},  {166, 111, "KeyPad /"},  {167, 106, "KeyPad *"},  {168, 109, "KeyPad -"},
    {169, 107, "KeyPad +"}, {170, 110, "KeyPad ."},  {171, 38, "Up"},         {172, 37, "Left"},
    {173, 39, "Right"},     {174, 40, "Down"},       {175, 36, "Home"},       {176, 35, "End"},
    {177, 33, "PageUp"},    {178, 34, "PageDown"},   {179, 45, "Insert"},     {180, 46, "Delete"},
    {181, 108, "Enter"},    {182, 20, "CapsLock"},   {183, 144, "NumLock"},   {184, 145, "ScrollLock"},
    {185, 93, "Apps"},      {186, 42, "Print Scrn"}, {187, 19, "Pause"},
};

TEST(KeyTables, EverySpecialKeyBothWays) {
  wre_InputInit();
  ASSERT_EQ(sizeof(kRows) / sizeof(kRows[0]), 59u);
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(wre_KeyFromVirtualKey(row.vk), row.code);
    EXPECT_EQ(wre_KeyToVirtualKey(row.code), row.vk);
    EXPECT_EQ(wre_KeyCodeToVK(row.code), row.vk);
    EXPECT_EQ(gKeyCodeToVK[row.code], row.vk);
    EXPECT_STREQ(wre_KeyName(row.vk), row.name);
  }
}

TEST(KeyTables, PrintableKeysAndTheRest) {
  wre_InputInit();
  int mapped = 0;
  for (int vk = 0; vk < 256; ++vk) {
    if (gVKToKeyCode[vk] != 0) ++mapped;
    if (vk == 32 || (vk >= 48 && vk <= 90)) {
      EXPECT_EQ(gVKToKeyCode[vk], vk);
      EXPECT_EQ(wre_KeyToVirtualKey(vk), vk);
    }
  }
  EXPECT_EQ(mapped, 59 + 1 + 43);
  EXPECT_EQ(wre_KeyFromVirtualKey(16), 0);  // generic Shift has no code
  EXPECT_EQ(wre_KeyFromVirtualKey(256), 0);
  EXPECT_EQ(wre_KeyFromVirtualKey(-1), 0);
  // Lower-case letters test the key of the capital; they are no key's code.
  EXPECT_EQ(wre_KeyCodeToVK('a'), 65);
  EXPECT_EQ(wre_KeyCodeToVK('A'), 65);
  EXPECT_EQ(gKeyCodeToVK['z'], 90);
  EXPECT_EQ(wre_KeyToVirtualKey('a'), 255);
  EXPECT_EQ(wre_KeyToVirtualKey(200), 255);
  EXPECT_EQ(wre_KeyCodeToVK('!'), '!');
  EXPECT_EQ(gKeyCodeToVK[200], 200);

  EXPECT_STREQ(wre_KeyName(32), "Space");
  EXPECT_STREQ(wre_KeyName(65), "A");
  EXPECT_STREQ(wre_KeyName(48), "0");
  EXPECT_STREQ(wre_KeyName(300), "ILLEGAL");
  EXPECT_STREQ(wre_KeyName(-5), "ILLEGAL");
  EXPECT_STREQ(wre_KeyName(16), "ILLEGAL");
  EXPECT_STREQ(wre_KeyName(0), "ILLEGAL");
}

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    record = InputTestSetUp();
    ASSERT_NE(record, nullptr);
  }
  void TearDown() override {
    wre_SystemKeysRelease();
    wre_WindowDestroy(record);
  }

  void Stroke(int vk, const char* text) {
    plat_TestKeyEvent(vk, true);
    if (text) plat_TestTypeText(text);
    plat_TestKeyEvent(vk, false);
  }

  std::vector<int> DrainRing() {
    std::vector<int> keys;
    while (gKeyRingRead != gKeyRingWrite) keys.push_back(wre_KeyBufferGet(0));
    return keys;
  }

  WindowRecord* record = nullptr;
};

TEST_F(InputTest, EachPressEntersTheRingOnce) {
  Stroke(kPlatVkEscape, nullptr);  // control keys bring no character
  Stroke(kPlatVkSpace, " ");
  Stroke('A', "a");
  Stroke(kPlatVkBack, nullptr);
  Stroke(kPlatVkReturn, nullptr);
  Stroke(kPlatVkTab, nullptr);
  Stroke(38, nullptr);             // Up
  plat_TestKeyEvent(kPlatVkLShift, true);
  Stroke('A', "A");
  plat_TestKeyEvent(kPlatVkLShift, false);
  Stroke(kPlatVkF10, nullptr);     // a system key: the window swallows it
  PumpAll();
  // The generic Shift has no code, so the shift press leaves a 0.
  EXPECT_EQ(DrainRing(), (std::vector<int>{145, ' ', 'a', 144, 147, 146, 171, 0, 'A'}));
}

TEST_F(InputTest, AltCombinationsNeverReachTheRing) {
  plat_TestKeyEvent(kPlatVkLMenu, true);
  Stroke('X', "x");
  Stroke(kPlatVkEscape, nullptr);
  plat_TestKeyEvent(kPlatVkLMenu, false);
  PumpAll();
  EXPECT_TRUE(DrainRing().empty());
}

TEST_F(InputTest, RingKeepsOrderAndDropsTheNewestWhenFull) {
  for (int i = 0; i < 300; ++i) wre_KeyRingPut(static_cast<KeyCode>(i % 200 + 1));
  auto keys = DrainRing();
  ASSERT_EQ(keys.size(), 255u);
  for (int i = 0; i < 255; ++i) EXPECT_EQ(keys[i], i % 200 + 1);
  // Wrapping round the end of the array keeps working.
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 200; ++i) wre_KeyRingPut(static_cast<KeyCode>(i + 1));
    keys = DrainRing();
    ASSERT_EQ(keys.size(), 200u);
    EXPECT_EQ(keys.front(), 1);
    EXPECT_EQ(keys.back(), 200);
  }
  wre_KeyRingChar(7);    // not printable
  wre_KeyRingChar(127);
  wre_KeyRingKeyDown('Q');
  EXPECT_TRUE(DrainRing().empty());
}

TEST_F(InputTest, BufferGetPendingClearAndFlush) {
  EXPECT_EQ(wre_KeyBufferGet(0), 0);
  EXPECT_FALSE(wre_KeyBufferPending());
  Stroke(kPlatVkEscape, nullptr);
  EXPECT_TRUE(wre_KeyBufferPending());  // pumps the key-down in
  EXPECT_EQ(wre_KeyBufferGet(1), 145);
  // With wait, messages are pumped until a key comes.
  plat_TestMouseMove(1, 1);
  plat_TestTypeText("z");
  EXPECT_EQ(wre_KeyBufferGet(1), 'z');

  wre_KeyRingPut('a');
  wre_KeyRingPut('b');
  wre_KeyBufferClear();
  EXPECT_EQ(wre_KeyBufferGet(0), 0);

  plat_TestTypeText("abc");
  plat_TestMouseButton(true);
  wre_InputFlush();
  EXPECT_EQ(gMouseLeftButton, 0);
  EXPECT_EQ(wre_KeyBufferGet(0), 0);
  EXPECT_EQ(plat_TestQueueLength(), 0u);
}

TEST_F(InputTest, WaitingForAKeyEndsOnceQuitIsPosted) {
  wre_WindowDestroy(record);  // the window procedure posts quit
  record = nullptr;
  EXPECT_EQ(wre_KeyBufferGet(1), 0);
}

TEST_F(InputTest, HeldKeysAndFirstHeldKey) {
  EXPECT_EQ(wre_KeyFirstDown(), 0);
  plat_TestSetKeyHeld('A', true);
  EXPECT_TRUE(wre_KeyIsDown('a'));
  EXPECT_TRUE(wre_KeyIsDown('A'));
  EXPECT_FALSE(wre_KeyIsDown('B'));
  EXPECT_FALSE(wre_KeyIsDown(300));
  EXPECT_EQ(wre_KeyFirstDown(), 'A');
  plat_TestSetKeyHeld('A', false);

  // Modifiers are found by their sides, also while the mouse button is held.
  plat_TestSetKeyHeld(kPlatVkLButton, true);
  plat_TestSetKeyHeld(kPlatVkLShift, true);
  EXPECT_EQ(wre_KeyFirstDown(), 150);
  plat_TestSetKeyHeld(kPlatVkLShift, false);
  plat_TestSetKeyHeld(kPlatVkRControl, true);
  EXPECT_EQ(wre_KeyFirstDown(), 149);
  EXPECT_TRUE(wre_KeyIsDown(149));
  plat_TestSetKeyHeld(kPlatVkRControl, false);
  plat_TestSetKeyHeld(kPlatVkRMenu, true);
  EXPECT_EQ(wre_KeyFirstDown(), 153);
  EXPECT_TRUE(wre_KeyIsDown(153));
  EXPECT_FALSE(wre_KeyIsDown(152));
  // A modifier does not hide a letter held with it: the scan is in virtual-key order.
  plat_TestSetKeyHeld('Q', true);
  EXPECT_EQ(wre_KeyFirstDown(), 'Q');
  plat_TestSetKeyHeld(kPlatVkLButton, false);
  plat_TestSetKeyHeld('Q', false);
  plat_TestSetKeyHeld(kPlatVkRMenu, false);
  EXPECT_EQ(wre_KeyFirstDown(), 0);
}

TEST_F(InputTest, MouseStateAndCursor) {
  plat_TestMouseMove(10, 20);
  plat_TestMouseMove(30, 40);
  plat_TestMouseButton(true);
  EXPECT_EQ(wre_MessagePump(), 0);  // the move
  int32_t position[2] = {0, 0};
  wre_MouseGetPos(position);
  EXPECT_EQ(position[0], 130);
  EXPECT_EQ(position[1], 90);
  wre_MouseGetPos(nullptr);
  EXPECT_EQ(wre_MouseButtonState(), 0);
  wre_MessagePump();
  EXPECT_EQ(wre_MouseButtonState(), 1);
  EXPECT_TRUE(wre_MouseButtonDown());
  plat_TestMouseButton(false);
  EXPECT_FALSE(wre_MouseButtonDown());
  PumpAll();
  EXPECT_EQ(wre_MouseButtonState(), 0);

  // Positions are cut to 16 bits.
  wre_CursorSetPos(70000, -70000);
  int x = 0, y = 0;
  plat_GetCursorPos(&x, &y);
  EXPECT_EQ(x, 70000 - 65536);
  EXPECT_EQ(y, -70000 + 65536);
  wre_MouseSetPos(110, 60);
  PumpAll();
  wre_MouseGetPos(position);
  EXPECT_EQ(position[0], 110);
  EXPECT_EQ(position[1], 60);

  // Hiding takes the count below zero, showing brings it back to zero; each pumps one message.
  plat_TestTypeText("ab");
  wre_CursorHide();
  EXPECT_EQ(plat_TestQueueLength(), 1u);
  EXPECT_EQ(plat_ShowCursor(true), 0);
  EXPECT_EQ(plat_ShowCursor(false), -1);
  wre_CursorHide();
  EXPECT_EQ(plat_ShowCursor(true), -1);
  wre_CursorShow();
  EXPECT_EQ(plat_TestQueueLength(), 0u);
  EXPECT_EQ(plat_ShowCursor(false), -1);
  wre_CursorShow();
  wre_CursorShow();
  EXPECT_EQ(plat_ShowCursor(false), 0);
}

TEST_F(InputTest, MessagePumpReturnsTheDispatchResult) {
  EXPECT_EQ(wre_MessagePump(), 0);
  plat_PostMessage(record->window, kPlatMsgUser, 1234, 0);
  EXPECT_EQ(wre_MessagePump(), 1234);
  EXPECT_EQ(wre_MessagePump(), 0);
}

TEST_F(InputTest, SystemKeyLockSwallowsExactlyTheTaskSwitchKeys) {
  EXPECT_EQ(wre_SystemKeysUnlock(), 0);
  EXPECT_EQ(wre_SystemKeysLock(), 1);
  EXPECT_EQ(wre_SystemKeysLock(), 0);  // once only
  EXPECT_TRUE(plat_TestSystemKeysLocked());

  struct Case {
    int modifier;
    int key;
    bool swallowed;
  };
  const Case cases[] = {
      {kPlatVkLControl, kPlatVkEscape, true}, {kPlatVkLMenu, kPlatVkTab, true},
      {kPlatVkRMenu, kPlatVkEscape, true},    {0, kPlatVkLWin, true},
      {0, kPlatVkRWin, true},                 {0, kPlatVkEscape, false},
      {0, kPlatVkTab, false},                 {kPlatVkLControl, kPlatVkTab, false},
      {kPlatVkLShift, kPlatVkEscape, false},  {kPlatVkLMenu, 'X', false},
      {kPlatVkLMenu, kPlatVkF4, false},  // the desktop's close
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    if (c.modifier) plat_TestSetKeyHeld(c.modifier, true);
    size_t before = plat_TestQueueLength();
    plat_TestKeyEvent(c.key, true);
    EXPECT_EQ(plat_TestQueueLength() - before, c.swallowed ? 0u : 1u);
    plat_TestSetKeyHeld(c.key, false);
    if (c.modifier) plat_TestSetKeyHeld(c.modifier, false);
  }

  EXPECT_EQ(wre_SystemKeysUnlock(), 1);
  EXPECT_FALSE(plat_TestSystemKeysLocked());
  size_t before = plat_TestQueueLength();
  plat_TestKeyEvent(kPlatVkLWin, true);
  EXPECT_EQ(plat_TestQueueLength(), before + 1);
  EXPECT_EQ(wre_SystemKeysUnlock(), 0);
  EXPECT_EQ(wre_SystemKeysLock(), 1);
  wre_SystemKeysRelease();
  EXPECT_EQ(wre_SystemKeysUnlock(), 0);
}

TEST_F(InputTest, WindowRecord) {
  EXPECT_EQ(record->x, 100);
  EXPECT_EQ(record->y, 50);
  EXPECT_EQ(record->width, 640);
  EXPECT_EQ(record->height, 480);
  EXPECT_TRUE(plat_IsWindow(record->window));

  WindowRecord* other = wre_WindowCreate(kPlatUseDefault, kPlatUseDefault, 70000, 480, 5, 6, "Velloran Hydrel",
                                         "Second", 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->x, 0);  // the default position cut to 16 bits
  EXPECT_EQ(other->width, 70000 - 65536);
  EXPECT_EQ(other->userA, 5);
  EXPECT_EQ(other->userB, 6);
  PlatWindow window = other->window;
  wre_WindowDestroy(other);
  EXPECT_FALSE(plat_IsWindow(window));
  EXPECT_TRUE(plat_TestCaptureReleased());
  EXPECT_TRUE(plat_QuitPosted());

  EXPECT_EQ(wre_WindowCreate(0, 0, 640, 480, 0, 0, "no class", "x", 0, nullptr, nullptr, nullptr, nullptr), nullptr);
  wre_WindowDestroy(nullptr);
}

}  // namespace
