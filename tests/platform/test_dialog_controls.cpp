#include <gtest/gtest.h>

#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_dialog.h"
#include "platform/plat_input.h"
#include "platform/plat_time.h"
#include "platform/test/plat_dialog.h"
#include "platform/test/plat_input.h"
#include "platform/test/plat_time.h"

namespace {

struct Seen {
  int id;
  int notify;
};

bool Record(PlatDialog*, const PlatDialogMessage* message, void* user) {
  if (message->kind != kPlatDlgCommand) return false;
  static_cast<std::vector<Seen>*>(user)->push_back({message->controlId, message->notifyCode});
  return true;
}

constexpr uint32_t kChild = kPlatWsChild | kPlatWsVisible;
constexpr PlatDialogItemTemplate kItems[] = {
    {1, kPlatControlButton, "Ok", kChild, 177, 44, 44, 17},
    {10, kPlatControlRadio, "Hidden", kPlatWsChild | kPlatBsAutoRadioButton, 10, 4, 60, 10},
    {11, kPlatControlRadio, "First", kChild | kPlatBsAutoRadioButton, 10, 16, 60, 10},
    {12, kPlatControlRadio, "Second", kChild | kPlatBsAutoRadioButton | kPlatWsDisabled, 10, 28,
     60, 10},
    {20, kPlatControlCombo, "", kChild | kPlatCbsDropDownList | kPlatCbsSort | kPlatWsVScroll, 88,
     17, 136, 34},
    {-1, kPlatControlStatic, "Choose a Device:", kChild, 13, 44, 58, 10},
};
constexpr PlatDialogTemplate kTemplate{kPlatWsPopup | kPlatWsCaption | kPlatDsModalFrame,
                                       0, 0, 231, 70, "Controls", "MS Sans Serif", 8, kItems, 6};

class PlatDialogControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestClockReset();
    plat_TestSetScreenSize(800, 600);
    dialog = plat_DialogCreate(&kTemplate, nullptr, Record, &seen);
    ASSERT_NE(dialog, nullptr);
    plat_DialogShow(dialog, true);
  }
  void TearDown() override { plat_DialogShutdownAll(); }
  void ClickCentre(PlatRect r) {
    plat_TestPushClick(dialog, r.x + r.w / 2, r.y + r.h / 2);
    plat_DialogProcessEvents(0);
  }
  PlatDialog* dialog = nullptr;
  std::vector<Seen> seen;
};

TEST_F(PlatDialogControlsTest, RadioButtonsCheckOneAndIgnoreDisabledOrHiddenOnes) {
  PlatControl* hidden = plat_DialogItem(dialog, 10);
  PlatControl* first = plat_DialogItem(dialog, 11);
  PlatControl* second = plat_DialogItem(dialog, 12);
  EXPECT_FALSE(plat_ControlEnabled(second));
  plat_CheckRadioButton(dialog, 10, 12, 10);
  EXPECT_TRUE(plat_ButtonChecked(hidden));

  ClickCentre(plat_ControlRect(second));  // disabled: nothing
  ClickCentre(plat_ControlRect(hidden));  // not visible: nothing
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(plat_ButtonChecked(hidden));

  ClickCentre(plat_ControlRect(first));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].id, 11);
  EXPECT_EQ(seen[0].notify, kPlatNotifyClicked);
  EXPECT_TRUE(plat_ButtonChecked(first));
  EXPECT_FALSE(plat_ButtonChecked(hidden));

  plat_ControlEnable(second, true);
  ClickCentre(plat_ControlRect(second));
  EXPECT_TRUE(plat_ButtonChecked(second));
  EXPECT_FALSE(plat_ButtonChecked(first));

  // The label draws its text and takes no clicks.
  PlatControl* label = plat_DialogItem(dialog, -1);
  ASSERT_NE(label, nullptr);
  plat_DialogUpdate(dialog);
  const PlatRect lr = plat_ControlRect(label);
  int ink = 0;
  for (int y = lr.y; y < lr.y + lr.h; ++y)
    for (int x = lr.x; x < lr.x + lr.w; ++x)
      ink += plat_CanvasPixel(plat_DialogCanvas(dialog), x, y) != kPlatColourFace;
  EXPECT_GT(ink, 20);
  seen.clear();
  ClickCentre(lr);
  EXPECT_TRUE(seen.empty());
}

TEST_F(PlatDialogControlsTest, SortedComboKeepsItemDataAndReportsTheChosenItem) {
  PlatControl* combo = plat_DialogItem(dialog, 20);
  const char* names[] = {"Primary display", "Accelerator", "mirror"};
  for (int i = 0; i < 3; ++i) {
    int at = plat_ComboAddString(combo, names[i]);
    ASSERT_GE(at, 0);
    ASSERT_TRUE(plat_ComboSetItemData(combo, at, i));
    if (i == 0) plat_ComboSetCurSel(combo, at);
  }
  ASSERT_EQ(plat_ComboCount(combo), 3);
  EXPECT_STREQ(plat_ComboItemText(combo, 0), "Accelerator");
  EXPECT_STREQ(plat_ComboItemText(combo, 1), "mirror");  // case does not order
  EXPECT_EQ(plat_ComboItemData(combo, 2), 0);
  EXPECT_EQ(plat_ComboCurSel(combo), 2);  // the selection moved with its item
  EXPECT_EQ(plat_ComboItemData(combo, 5), -1);

  // Closed, the list takes no clicks; the field opens it over the Ok button.
  EXPECT_TRUE(plat_RectEmpty(plat_ComboItemRect(combo, 0)));
  const PlatRect field = plat_ControlRect(combo);
  plat_TestPushClick(dialog, field.x + 4, field.y + 4);
  plat_DialogProcessEvents(0);
  ASSERT_TRUE(plat_ComboDroppedDown(combo));
  EXPECT_TRUE(seen.empty());
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(plat_RectEmpty(plat_ComboItemRect(combo, i))) << i;

  ClickCentre(plat_ComboItemRect(combo, 0));
  EXPECT_FALSE(plat_ComboDroppedDown(combo));
  EXPECT_EQ(plat_ComboCurSel(combo), 0);
  EXPECT_EQ(plat_ComboItemData(combo, plat_ComboCurSel(combo)), 1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].id, 20);
  EXPECT_EQ(seen[0].notify, kPlatNotifySelEndOk);

  // A click elsewhere closes an open list without choosing.
  plat_TestPushClick(dialog, field.x + 4, field.y + 4);
  plat_TestPushClick(dialog, 2, 2);
  plat_DialogProcessEvents(0);
  EXPECT_FALSE(plat_ComboDroppedDown(combo));
  EXPECT_EQ(seen.size(), 1u);

  plat_ComboReset(combo);
  EXPECT_EQ(plat_ComboCount(combo), 0);
  EXPECT_EQ(plat_ComboCurSel(combo), -1);
}

}  // namespace
