#include <gtest/gtest.h>

#include <vector>

#include "engine/core/input.h"
#include "game/program/program_entry.h"
#include "platform/plat_input.h"

namespace {

std::vector<KeyCode> Drain() {
  std::vector<KeyCode> codes;
  while (gKeyRingRead != gKeyRingWrite) codes.push_back(wre_KeyBufferGet(0));
  return codes;
}

TEST(MainWindowProc, KeysEnterTheRingOnceAndTheMouseStateFollows) {
  gKeyRingRead = gKeyRingWrite = 0;
  MainWindowProc(nullptr, kPlatMsgKeyDown, 'A', 0);  // comes again as a character
  MainWindowProc(nullptr, kPlatMsgChar, 'A', 0);
  MainWindowProc(nullptr, kPlatMsgKeyDown, kPlatVkSpace, 0);
  MainWindowProc(nullptr, kPlatMsgChar, ' ', 0);
  MainWindowProc(nullptr, kPlatMsgKeyDown, 37, 0);           // Left
  MainWindowProc(nullptr, kPlatMsgKeyDown, kPlatVkShift, 0);  // no code: nothing
  EXPECT_EQ(Drain(), (std::vector<KeyCode>{'A', ' ', 172}));

  MainWindowProc(nullptr, kPlatMsgNcMouseMove, 0, (7 << 16) | 5);
  EXPECT_EQ(gMouseX, 5);
  EXPECT_EQ(gMouseY, 7);
  MainWindowProc(nullptr, kPlatMsgLButtonDown, 1, 0);
  EXPECT_EQ(gMouseLeftButton, 1);
  MainWindowProc(nullptr, kPlatMsgLButtonUp, 0, 0);
  EXPECT_EQ(gMouseLeftButton, 0);
  // A close is the quit request's business: the window stays.
  EXPECT_EQ(MainWindowProc(nullptr, kPlatMsgClose, 0, 0), 0);
}

}  // namespace
