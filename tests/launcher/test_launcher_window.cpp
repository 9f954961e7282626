// The launcher's window on the headless dialog back end, over the sample disc: the button table,
// placement, clicks, painting, the agreement dialog and the message loop.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>

#include "launcher/launcher_main.h"
#include "launcher/launcher_window.h"
#include "launcher_fixture.h"
#include "platform/plat_dialog.h"
#include "platform/plat_input.h"
#include "platform/plat_instance.h"
#include "platform/test/plat_dialog.h"
#include "platform/test/plat_input.h"
#include "platform/test/plat_time.h"

namespace {

// Things to do whenever a wait finds the test queue empty (inside modal loops too), one per wait.
std::deque<std::function<void()>> gIdleSteps;
int gIdleCalls = 0;

void RunIdleStep(void*) {
  ++gIdleCalls;
  if (gIdleSteps.empty()) return;
  std::function<void()> step = std::move(gIdleSteps.front());
  gIdleSteps.pop_front();
  step();
}

void ClickCentre(PlatDialog* target, PlatRect r) {
  plat_TestPushClick(target, r.x + r.w / 2, r.y + r.h / 2);
}

// The agreement dialog's buttons in client pixels.
PlatRect AgreementButton(int id) {
  for (int i = 0; i < kLauncherAgreementTemplate.itemCount; ++i) {
    const PlatDialogItemTemplate& item = kLauncherAgreementTemplate.items[i];
    if (item.id == id) return plat_DialogUnitsToPixels(PlatRect{item.x, item.y, item.cx, item.cy});
  }
  return PlatRect{};
}

class LauncherWindowTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    plat_TestSetScreenSize(800, 600);
    plat_InstanceLockSetFolder(root.path().c_str());
    gIdleSteps.clear();
    gIdleCalls = 0;
    plat_TestSetIdleHook(RunIdleStep, nullptr);
  }
  void TearDown() override {
    LauncherShutdown(app.get());
    plat_TestSetIdleHook(nullptr, nullptr);
    gIdleSteps.clear();
    plat_InstanceLockRelease();
    plat_InstanceLockSetFolder(nullptr);
    LauncherTest::TearDown();
  }

  // The disc with one line of its configuration replaced.
  void WriteDiscWith(const std::string& line, const std::string& replacement) {
    WriteDisc();
    std::string ini = root.Contents("disc/ostrel.ini");
    size_t at = ini.find(line);
    ASSERT_NE(at, std::string::npos) << line;
    ini.replace(at, line.size(), replacement);
    WriteIni(ini);
  }
  void Start() {
    ASSERT_EQ(LauncherInitInstance(app.get()), 1);
    ASSERT_NE(Dialog(), nullptr);
  }
  PlatDialog* Dialog() const { return app->window.dialog; }
  const LauncherButtonSlot& Slot(int slot) const { return app->window.buttons[slot]; }
  PlatRect SlotRect(int slot) const { return plat_ControlRect(Slot(slot).button); }
  std::string Caption(int slot) const { return plat_ControlText(Slot(slot).button); }
  bool Visible(int slot) const { return plat_ControlVisible(Slot(slot).button); }
  void ClickSlot(int slot) { ClickCentre(Dialog(), SlotRect(slot)); }
  // One loop pass; true when the loop ended (with code 0 expected of every end).
  bool Pass() {
    int code = -1;
    if (!LauncherLoopPass(app.get(), &code)) return false;
    EXPECT_EQ(code, 0);
    return true;
  }
  std::string StateFile() const { return root.Contents("windows/ostrel_launcher.ini"); }

  std::unique_ptr<LauncherApp> app = std::make_unique<LauncherApp>();
};

void ExpectRect(PlatRect r, int x, int y, int w, int h) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.w, w);
  EXPECT_EQ(r.h, h);
}

TEST_F(LauncherWindowTest, WindowOverTheDiscHasItsButtonTableTitleAndPlace) {
  WriteDisc();
  Start();
  EXPECT_STREQ(plat_DialogCaption(Dialog()), "Demo Disc");
  // 640 x 480 outer on 800 x 600: (800 - 640) / 2, (600 - 20 - 480) / 2.
  ExpectRect(plat_DialogOuterRect(Dialog()), 80, 50, 640, 480);
  int cw = 0, ch = 0;
  plat_DialogClientSize(Dialog(), &cw, &ch);
  EXPECT_EQ(cw, 634);
  EXPECT_EQ(ch, 456);

  struct Expected {
    int slot;
    const char* caption;
    int x, y, w, h;
    bool visible;
  };
  const Expected expected[] = {
      {0, "Exit", 516, 420, 110, 26, true},
      {1, "Catalog", 24, 420, 110, 26, true},
      {2, "Register", 264, 420, 110, 26, true},
      {3, "Manual", 144, 420, 110, 26, true},
      {4, "Install Game", 400, 60, 100, 28, true},     // registry-tracked, not installed
      {14, "Remove Game", 510, 60, 100, 28, false},    // made, hidden until installed
      {5, "Install Tools", 400, 100, 100, 28, true},   // path-tracked: at the install position
      {15, "Remove Tools", 510, 100, 100, 28, false},
      {6, "Add Extras", 400, 140, 100, 28, true},      // state-tracked, no uninstall button
      {7, "Read Me", 400, 180, 100, 28, true},         // run-only: always installed
      {8, "Watch Movie", 400, 220, 100, 28, true},     // run-only, its program is there
      {18, "Remove Movie", 510, 220, 100, 28, true},
  };
  bool listed[kLauncherSlotCount] = {};
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.slot);
    listed[e.slot] = true;
    ASSERT_EQ(Slot(e.slot).exists, 1);
    ASSERT_NE(Slot(e.slot).button, nullptr);
    EXPECT_EQ(Caption(e.slot), e.caption);
    ExpectRect(SlotRect(e.slot), e.x, e.y, e.w, e.h);
    EXPECT_EQ(Visible(e.slot), e.visible);
  }
  for (int slot = 0; slot < kLauncherSlotCount; ++slot) {
    if (listed[slot]) continue;
    SCOPED_TRACE(slot);
    EXPECT_EQ(Slot(slot).exists, 0);
    EXPECT_EQ(Slot(slot).button, nullptr);
  }
}

TEST_F(LauncherWindowTest, PlacementCentresClampsAndKeepsASensibleSize) {
  // Centred above a 20-pixel allowance, dividing toward zero.
  ExpectRect(LauncherWindowPlacement(800, 600, 640, 480, 606, 321), 80, 50, 640, 480);
  ExpectRect(LauncherWindowPlacement(800, 600, 801, 480, 606, 321), 0, 50, 801, 480);
  ExpectRect(LauncherWindowPlacement(1024, 768, 641, 481, 606, 321), 191, 133, 641, 481);
  // Larger than the screen: placed at the corner, not off-screen.
  ExpectRect(LauncherWindowPlacement(800, 600, 1000, 700, 606, 321), 0, 0, 1000, 700);
  ExpectRect(LauncherWindowPlacement(800, 600, 2147483647, 2147483647, 606, 321), 0, 0,
             2147483647, 2147483647);
  // Too small to see or reach: the resource's size instead.
  ExpectRect(LauncherWindowPlacement(800, 600, 0, 0, 606, 321), 97, 129, 606, 321);
  ExpectRect(LauncherWindowPlacement(800, 600, 640, 63, 606, 321), 97, 129, 606, 321);
  ExpectRect(LauncherWindowPlacement(800, 600, 64, 64, 606, 321), 368, 258, 64, 64);

  // No configuration at all: the window still comes up at the resource size, on the screen.
  WriteDisc();
  root.Write("disc/ostrel.ini", "");
  Start();
  PlatRect outer = plat_DialogOuterRect(Dialog());
  ExpectRect(outer, (800 - outer.w) / 2, (580 - outer.h) / 2, 600 + 2 * kPlatFrameWidth,
             297 + 2 * kPlatFrameWidth + kPlatCaptionHeight);
}

TEST_F(LauncherWindowTest, ClickRunsExactlyThatSlotsAction) {
  WriteDisc();
  Start();
  ClickSlot(kLauncherSlotCatalog);
  EXPECT_FALSE(Pass());
  ASSERT_EQ(ShellLog().size(), 1u);
  EXPECT_EQ(ShellLog()[0], "open|" + Disc() + "docs\\catalog.txt|||" + Disc());
  ClickSlot(kLauncherSlotManual);
  ClickSlot(kLauncherSlotRegistration);
  EXPECT_FALSE(Pass());
  ASSERT_EQ(ShellLog().size(), 3u);
  EXPECT_EQ(ShellLog()[1], "open|http://localhost/manual.html|||" + Disc());
  EXPECT_EQ(ShellLog()[2], "open|http://localhost/register|||" + Disc());

  // Hidden buttons, the picture and the text do nothing.
  plat_TestPushClick(Dialog(), 560, 74);   // under the hidden "Remove Game"
  plat_TestPushClick(Dialog(), 560, 114);  // under the hidden "Remove Tools"
  plat_TestPushClick(Dialog(), 300, 300);
  plat_TestPushClick(Dialog(), 30, 30);
  plat_TestPushClick(Dialog(), 1000, 1000);
  // Pressed on a button, dragged off and released: nothing. Pressed beside it and released on it:
  // nothing either.
  PlatRect exit = SlotRect(kLauncherSlotExit);
  plat_TestPushMouseDown(Dialog(), exit.x + 5, exit.y + 5);
  plat_TestPushMouseMove(Dialog(), exit.x - 20, exit.y + 5);
  plat_TestPushMouseUp(Dialog(), exit.x - 20, exit.y + 5);
  plat_TestPushMouseDown(Dialog(), exit.x - 20, exit.y + 5);
  plat_TestPushMouseUp(Dialog(), exit.x + 5, exit.y + 5);
  EXPECT_FALSE(Pass());
  EXPECT_EQ(ShellLog().size(), 3u);
  EXPECT_FALSE(plat_QuitPosted(nullptr));

  // The uninstall button of a shown slot runs its own action.
  ClickSlot(LauncherSlotUninstall(4));
  EXPECT_FALSE(Pass());
  ASSERT_EQ(ShellLog().size(), 4u);
  EXPECT_EQ(ShellLog()[3], "open|" + Disc() + "media\\cleanup.sh|-all||" + WinDir());

  // A run starts the program once and ends the launcher with 0, even when clicked twice.
  ClickSlot(LauncherSlotMain(4));
  ClickSlot(LauncherSlotMain(4));
  EXPECT_TRUE(Pass());
  ASSERT_EQ(ShellLog().size(), 5u);
  EXPECT_EQ(ShellLog()[4], "open|movie.sh|||" + Disc() + "media");
}

TEST_F(LauncherWindowTest, ExitAndWindowManagerCloseEndWithZero) {
  WriteDisc();
  Start();
  ClickSlot(kLauncherSlotExit);
  EXPECT_TRUE(Pass());
  EXPECT_TRUE(ShellLog().empty());
  LauncherShutdown(app.get());
  EXPECT_FALSE(plat_QuitPosted(nullptr));

  app = std::make_unique<LauncherApp>();
  Start();
  plat_TestPushClose(Dialog());
  EXPECT_TRUE(Pass());
}

TEST_F(LauncherWindowTest, PaintsPictureThenTextThenButtons) {
  WriteDisc();
  Start();
  plat_DialogUpdate(Dialog());
  const PlatCanvas* canvas = plat_DialogCanvas(Dialog());
  ASSERT_EQ(canvas->width, 634);
  ASSERT_EQ(canvas->height, 456);
  const PlatRect text{24, 24, 360, 240};
  std::vector<PlatRect> buttons;
  for (int slot = 0; slot < kLauncherSlotCount; ++slot)
    if (Slot(slot).exists && Visible(slot)) buttons.push_back(SlotRect(slot));
  ASSERT_EQ(buttons.size(), 10u);

  int wrong = 0;
  int inked = 0;
  for (int y = 0; y < canvas->height; ++y) {
    for (int x = 0; x < canvas->width; ++x) {
      bool onButton = false;
      for (const PlatRect& b : buttons) onButton = onButton || plat_RectContains(b, x, y);
      if (onButton) continue;
      uint32_t picture = datagen_LauncherBackdropColour(x, y);
      uint32_t pixel = plat_CanvasPixel(canvas, x, y);
      if (plat_RectContains(text, x, y))
        inked += pixel != picture;
      else
        wrong += pixel != picture;
    }
  }
  // The picture 1:1 from the top-left through its colour table, the text only in its rectangle.
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(inked, 200);

  // Buttons on top of the picture, with the default button's frame and bevel.
  for (const PlatRect& b : buttons) {
    EXPECT_EQ(plat_CanvasPixel(canvas, b.x, b.y), kPlatColourDarkShadow);
    EXPECT_EQ(plat_CanvasPixel(canvas, b.x + 1, b.y + 1), kPlatColourHighlight);
    EXPECT_EQ(plat_CanvasPixel(canvas, b.x + 3, b.y + 3), kPlatColourFace);
    EXPECT_EQ(plat_CanvasPixel(canvas, b.x + b.w - 1, b.y + b.h - 1), kPlatColourDarkShadow);
  }
  // A hidden button leaves the picture.
  PlatRect hidden = SlotRect(LauncherSlotUninstall(0));
  EXPECT_EQ(plat_CanvasPixel(canvas, hidden.x, hidden.y),
            datagen_LauncherBackdropColour(hidden.x, hidden.y));
}

TEST_F(LauncherWindowTest, SampleDiscCaptionsFitInsideTheirButtons) {
  WriteDisc();
  Start();
  int checked = 0;
  for (int slot = 0; slot < kLauncherSlotCount; ++slot) {
    if (!Slot(slot).exists) continue;
    const char* caption = plat_ControlText(Slot(slot).button);
    // Inside the two-pixel bevel on both sides.
    EXPECT_LE(plat_FontTextWidth(plat_FontSystem(), caption, std::strlen(caption)), SlotRect(slot).w - 4)
        << caption;
    ++checked;
  }
  EXPECT_EQ(checked, 12);  // hidden ones too: their captions show once they do
}

// Relative luminance of a 0x00RRGGBB colour, for contrast ratios.
double Luminance(uint32_t rgb) {
  auto linear = [](int channel) {
    double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(plat_RgbRed(rgb)) + 0.7152 * linear(plat_RgbGreen(rgb)) +
         0.0722 * linear(plat_RgbBlue(rgb));
}

TEST_F(LauncherTest, SampleDiscTextStandsOutFromThePictureBehindIt) {
  WriteDisc();
  ASSERT_EQ(LauncherConfigRead(&state), kLauncherStartShowWindow);
  const LauncherSettings& s = state.settings;
  const uint32_t c = s.textColour;  // red in the low byte
  const double text = Luminance(plat_Rgb(static_cast<int>(c & 255), static_cast<int>((c >> 8) & 255),
                                         static_cast<int>((c >> 16) & 255)));
  double worst = 100.0;
  for (int y = s.textRect.top; y < s.textRect.bottom; ++y) {
    for (int x = s.textRect.left; x < s.textRect.right; ++x) {
      double back = Luminance(datagen_LauncherBackdropColour(x, y));
      worst = std::min(worst, (std::max(text, back) + 0.05) / (std::min(text, back) + 0.05));
    }
  }
  EXPECT_GE(worst, 4.5);  // the usual least contrast for body text
}

TEST_F(LauncherWindowTest, WithoutThePictureTextAndButtonsLieOnTheFace) {
  WriteDiscWith("backgroundart=Yes", "backgroundart=no");
  Start();
  plat_DialogUpdate(Dialog());
  const PlatCanvas* canvas = plat_DialogCanvas(Dialog());
  EXPECT_EQ(plat_CanvasPixel(canvas, 300, 300), kPlatColourFace);
  EXPECT_EQ(plat_CanvasPixel(canvas, 633, 455), kPlatColourFace);
  int inked = 0;
  for (int y = 24; y < 264; ++y)
    for (int x = 24; x < 384; ++x) inked += plat_CanvasPixel(canvas, x, y) != kPlatColourFace;
  EXPECT_GT(inked, 200);
  EXPECT_EQ(plat_CanvasPixel(canvas, 516, 420), kPlatColourDarkShadow);
}

TEST_F(LauncherWindowTest, PollFlipChangesTheCaptionNotTheRectangle) {
  WriteDisc();
  Start();
  const int slot = LauncherSlotMain(1);
  root.Write("windows/Tools/tools", "#!/bin/sh\n");
  // The loop waits for the poll's turn rather than spinning: about one interval in two passes.
  int passes = 0;
  while (Caption(slot) == "Install Tools" && passes < 10) {
    EXPECT_FALSE(Pass());
    ++passes;
  }
  EXPECT_LE(passes, 3);
  EXPECT_GE(plat_GetTickCount(), 1000u);
  EXPECT_EQ(Caption(slot), "Start Tools");
  ExpectRect(SlotRect(slot), 400, 100, 100, 28);  // the install position, not the run position
  EXPECT_TRUE(Visible(LauncherSlotUninstall(1)));
  // Shown now, the uninstall button works.
  ClickSlot(LauncherSlotUninstall(1));
  EXPECT_FALSE(Pass());
  ASSERT_EQ(ShellLog().size(), 1u);
  EXPECT_EQ(ShellLog()[0], "open|uninstall_tools.sh|||" + Disc() + "setup");

  // Polls missed (a long modal dialog) are caught up one per pass, with no waiting between them.
  plat_TestClockSetTickCount(plat_GetTickCount() + 5000);
  uint32_t before = plat_GetTickCount();
  int catchUp = 0;
  while (LauncherPollDelay(app->state) == 0 && catchUp < 10) {
    EXPECT_FALSE(Pass());
    ++catchUp;
  }
  EXPECT_GE(catchUp, 4);
  EXPECT_LE(catchUp, 5);
  EXPECT_EQ(plat_GetTickCount(), before);
}

TEST_F(LauncherWindowTest, AgreementDialogShowsAndScrollsItsText) {
  WriteDisc();
  Start();
  const std::string text = app->state.products[0].agreementText;
  ASSERT_GT(text.size(), 1000u);
  PlatDialog* dialog = plat_DialogCreate(&kLauncherAgreementTemplate, Dialog(), EulaDialogProc,
                                         const_cast<char*>(text.c_str()));
  ASSERT_NE(dialog, nullptr);
  EXPECT_STREQ(plat_DialogCaption(dialog), "End User License Agreement");
  PlatControl* edit = plat_DialogItem(dialog, kLauncherAgreementTextId);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(plat_ControlText(edit), text);
  EXPECT_GT(plat_EditLineCount(edit), plat_EditVisibleLines(edit));
  EXPECT_EQ(plat_EditTopLine(edit), 0);
  PlatRect er = plat_ControlRect(edit);
  plat_TestPushWheel(dialog, er.x + 20, er.y + 20, -2);
  plat_DialogProcessEvents(0);
  EXPECT_GT(plat_EditTopLine(edit), 0);
  plat_DialogUpdate(dialog);
  // Dark text on the edit's light ground.
  const PlatCanvas* canvas = plat_DialogCanvas(dialog);
  int light = 0, dark = 0;
  for (int y = er.y + 4; y < er.y + er.h - 4; ++y)
    for (int x = er.x + 4; x < er.x + er.w - 20; ++x) {
      uint32_t p = plat_CanvasPixel(canvas, x, y);
      light += plat_RgbRed(p) >= 180;
      dark += plat_RgbRed(p) < 100;
    }
  EXPECT_GT(light, dark);
  EXPECT_GT(dark, 500);

  // An absent text leaves the edit empty.
  PlatDialog* empty = plat_DialogCreate(&kLauncherAgreementTemplate, Dialog(), EulaDialogProc,
                                        const_cast<char*>(""));
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(plat_ControlText(plat_DialogItem(empty, kLauncherAgreementTextId)), "");
  plat_DialogDestroy(empty);
  plat_DialogDestroy(dialog);
}

TEST_F(LauncherWindowTest, AgreementDialogAnswers) {
  WriteDisc();
  Start();
  auto answer = [&](std::function<void()> input) {
    gIdleSteps.push_back(std::move(input));
    return LauncherAgreementRun(Dialog(), "Terms.");
  };
  const PlatRect accept = AgreementButton(kLauncherAgreementAcceptId);
  const PlatRect decline = AgreementButton(kLauncherAgreementDeclineId);
  EXPECT_EQ(answer([&] { ClickCentre(nullptr, accept); }), kLauncherAgreementAccept);
  EXPECT_EQ(answer([&] { ClickCentre(nullptr, decline); }), kLauncherAgreementDecline);
  EXPECT_EQ(answer([] { plat_TestPushClose(nullptr); }), kLauncherAgreementClosed);
  EXPECT_EQ(answer([] { plat_TestPushKey(nullptr, kPlatKeyEscape); }), kLauncherAgreementClosed);
  EXPECT_EQ(answer([] { plat_TestPushKey(nullptr, kPlatKeyEnter); }), kLauncherAgreementAccept);
  // Clicks on the main window do not reach it while the agreement is open.
  EXPECT_EQ(answer([&] {
              ClickCentre(Dialog(), SlotRect(kLauncherSlotExit));
              ClickCentre(nullptr, decline);
            }),
            kLauncherAgreementDecline);
  EXPECT_FALSE(plat_QuitPosted(nullptr));
  EXPECT_TRUE(ShellLog().empty());
}

TEST_F(LauncherWindowTest, AgreementGuardsTheRunOfAProduct) {
  WriteDisc();
  Start();
  const PlatRect accept = AgreementButton(kLauncherAgreementAcceptId);
  // Closed: nothing is started or recorded, the launcher stays open.
  gIdleSteps.push_back([] { plat_TestPushClose(nullptr); });
  ClickSlot(LauncherSlotMain(3));
  EXPECT_FALSE(Pass());
  EXPECT_TRUE(ShellLog().empty());
  EXPECT_FALSE(root.Exists("windows/ostrel_launcher.ini"));
  EXPECT_FALSE(plat_QuitPosted(nullptr));

  // Accepted: recorded, started, and the launcher ends.
  gIdleSteps.push_back([&] { ClickCentre(nullptr, accept); });
  ClickSlot(LauncherSlotMain(3));
  EXPECT_TRUE(Pass());
  ASSERT_EQ(ShellLog().size(), 1u);
  EXPECT_EQ(ShellLog()[0], "open|readme.sh|||" + Disc() + "docs");
  EXPECT_NE(StateFile().find("doneeula=1"), std::string::npos);
}

TEST_F(LauncherWindowTest, WinMainRunsUntilExitAndStepsAsideForAnotherLauncher) {
  WriteDisc();
  // The whole program on the test back end: the window comes up and Exit ends it with 0.
  gIdleSteps.push_back([] { plat_TestPushClick(nullptr, 520, 425); });
  EXPECT_EQ(LauncherWinMain(), 0);
  EXPECT_EQ(gIdleCalls, 1);
  EXPECT_TRUE(ShellLog().empty());

  // Another launcher holds the lock: this one ends with 0 before reading anything (an idle wait
  // would mean it made a window).
  int held = open((root.path() / "ostrelclass.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
  gIdleCalls = 0;
  gIdleSteps.push_back([] { plat_TestPushClose(nullptr); });
  EXPECT_EQ(LauncherWinMain(), 0);
  EXPECT_EQ(gIdleCalls, 0);
  close(held);

  // A recorded install of a state-tracked product ends the launcher before it shows anything.
  root.Write("windows/ostrel_launcher.ini", "[extras]\r\ndoneinstall=1\r\n");
  gIdleSteps.push_back([] { plat_TestPushClose(nullptr); });
  EXPECT_EQ(LauncherWinMain(), 0);
  EXPECT_EQ(gIdleCalls, 0);
}

}  // namespace
