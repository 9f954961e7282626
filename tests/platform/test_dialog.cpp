#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_dialog.h"
#include "platform/plat_input.h"
#include "platform/plat_time.h"
#include "platform/test/plat_dialog.h"
#include "platform/test/plat_input.h"
#include "platform/test/plat_time.h"

namespace {

// What a dialog procedure saw; optional drawing for paint messages.
struct Recorder {
  struct Command {
    int id;
    PlatControl* control;
  };
  std::vector<Command> commands;
  int paints = 0;
  int inits = 0;
  int closes = 0;
  bool handleClose = true;
  int endOnId[2] = {-1, -1};  // command ids that end the dialog with 1 and 0
  const PlatBitmap8* picture = nullptr;
  const char* text = nullptr;
  PlatRect textRect;
  PlatFont* textFont = nullptr;
  uint32_t textColour = 0;
};

bool RecordingProc(PlatDialog* dialog, const PlatDialogMessage* message, void* user) {
  auto* rec = static_cast<Recorder*>(user);
  switch (message->kind) {
    case kPlatDlgInitDialog:
      ++rec->inits;
      return false;
    case kPlatDlgPaint:
      ++rec->paints;
      if (rec->picture) plat_CanvasDrawBitmap8(message->canvas, rec->picture, 0, 0);
      if (rec->text)
        plat_DrawTextWrapped(message->canvas, rec->textFont, rec->text, std::strlen(rec->text),
                             rec->textRect, rec->textColour);
      return true;
    case kPlatDlgCommand:
      rec->commands.push_back({message->controlId, message->control});
      if (message->controlId == rec->endOnId[0]) plat_DialogEnd(dialog, 1);
      if (message->controlId == rec->endOnId[1]) plat_DialogEnd(dialog, 0);
      return true;
    case kPlatDlgClose:
      ++rec->closes;
      if (rec->handleClose && rec->endOnId[1] >= 0) plat_DialogEnd(dialog, 0);
      return rec->handleClose;
  }
  return false;
}

// The launcher-style main window: no controls, 400 x 183 units, captioned, centred.
constexpr PlatDialogTemplate kMainTemplate{
    0x90C008D4u, 0, 0, 400, 183, "", "MS Sans Serif", 8, nullptr, 0};
static_assert((0x90C008D4u & (kPlatWsPopup | kPlatWsVisible | kPlatWsCaption | kPlatDsCenter)) ==
              (kPlatWsPopup | kPlatWsVisible | kPlatWsCaption | kPlatDsCenter));

// An agreement-style modal dialog: Accept (default), Decline and a scrolling read-only edit.
constexpr int kAccept = 1002;
constexpr int kDecline = 1037;
constexpr int kText = 1048;
constexpr PlatDialogItemTemplate kAgreementItems[] = {
    {kAccept, kPlatControlButton, "Accept", 0x50010001u, 68, 204, 50, 14},
    {kDecline, kPlatControlButton, "Decline", 0x50010000u, 134, 204, 50, 14},
    {kText, kPlatControlEdit, "", 0x50A10804u, 2, 2, 249, 194},
};
constexpr PlatDialogTemplate kAgreementTemplate{
    0x92CA08D4u, 0, 0, 252, 225, "End User License Agreement", "MS Sans Serif", 8,
    kAgreementItems, 3};

class PlatDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestClockReset();
    plat_TestSetScreenSize(800, 600);
    plat_TestSetIdleHook(nullptr, nullptr);
  }
  void TearDown() override {
    plat_TestSetIdleHook(nullptr, nullptr);
    plat_DialogShutdownAll();
  }
  static uint32_t Pixel(PlatDialog* dialog, int x, int y) {
    return plat_CanvasPixel(plat_DialogCanvas(dialog), x, y);
  }
};

TEST_F(PlatDialogTest, TemplatesAreLaidOutInDialogUnits) {
  PlatRect main = plat_DialogUnitsToPixels(PlatRect{0, 0, 400, 183});
  EXPECT_EQ(main.w, 600);
  EXPECT_EQ(main.h, 297);
  PlatRect accept = plat_DialogUnitsToPixels(PlatRect{68, 204, 50, 14});
  EXPECT_EQ(accept.x, 102);
  EXPECT_EQ(accept.y, 332);  // 331.5 rounds up
  EXPECT_EQ(accept.w, 75);
  EXPECT_EQ(accept.h, 23);

  Recorder rec;
  PlatDialog* dialog = plat_DialogCreate(&kMainTemplate, nullptr, RecordingProc, &rec);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(rec.inits, 1);
  EXPECT_TRUE(plat_DialogVisible(dialog));
  int cw = 0, ch = 0;
  plat_DialogClientSize(dialog, &cw, &ch);
  EXPECT_EQ(cw, 600);
  EXPECT_EQ(ch, 297);
  PlatRect outer = plat_DialogOuterRect(dialog);
  EXPECT_EQ(outer.w, 600 + 2 * kPlatFrameWidth);
  EXPECT_EQ(outer.h, 297 + 2 * kPlatFrameWidth + kPlatCaptionHeight);
  EXPECT_EQ(outer.x, (800 - outer.w) / 2);  // centred on the screen
  EXPECT_EQ(outer.y, (600 - outer.h) / 2);

  // The outer rectangle carries frame and caption; the canvas follows the client.
  plat_DialogSetOuterRect(dialog, 80, 50, 640, 480);
  plat_DialogClientSize(dialog, &cw, &ch);
  EXPECT_EQ(cw, 634);
  EXPECT_EQ(ch, 456);
  plat_DialogUpdate(dialog);
  EXPECT_EQ(plat_DialogCanvas(dialog)->width, 634);
  EXPECT_EQ(plat_DialogCanvas(dialog)->height, 456);
  plat_DialogSetCaption(dialog, "Demo Disc");
  EXPECT_STREQ(plat_DialogCaption(dialog), "Demo Disc");

  PlatDialog* agreement = plat_DialogCreate(&kAgreementTemplate, dialog, RecordingProc, &rec);
  ASSERT_NE(agreement, nullptr);
  PlatControl* edit = plat_DialogItem(agreement, kText);
  ASSERT_NE(edit, nullptr);
  PlatRect er = plat_ControlRect(edit);
  EXPECT_EQ(er.x, 3);
  EXPECT_EQ(er.w, 374);
  EXPECT_EQ(er.h, 315);
  EXPECT_EQ(plat_DialogItem(agreement, 4711), nullptr);
}

// A picture covering the client, a text block and buttons: the picture shows 1:1 from the
// top-left, the text only inside its rectangle, the buttons on top of both.
TEST_F(PlatDialogTest, PaintsPictureThenTextThenButtonsOnTop) {
  const int w = 120, h = 80;
  std::vector<uint8_t> bits(static_cast<size_t>(plat_Bitmap8Stride(w)) * h);
  std::vector<uint8_t> table(256 * 4);
  for (int i = 0; i < 256; ++i) {
    table[4 * i] = static_cast<uint8_t>(255 - i);  // blue
    table[4 * i + 1] = static_cast<uint8_t>(i / 2);
    table[4 * i + 2] = static_cast<uint8_t>(i);  // red
  }
  for (int row = 0; row < h; ++row)  // stored bottom-up
    for (int x = 0; x < w; ++x) bits[static_cast<size_t>(row) * plat_Bitmap8Stride(w) + x] =
        static_cast<uint8_t>((x + 3 * (h - 1 - row)) & 255);
  PlatBitmap8 picture;
  picture.width = w;
  picture.height = h;
  picture.stride = plat_Bitmap8Stride(w);
  picture.bits = bits.data();
  picture.bitsSize = bits.size();
  picture.colourTable = table.data();
  picture.colourCount = 256;
  auto expected = [&](int x, int y) {
    int i = (x + 3 * y) & 255;
    return plat_Rgb(table[4 * i + 2], table[4 * i + 1], table[4 * i]);
  };

  Recorder rec;
  rec.picture = &picture;
  rec.text = "Some words that wrap across several lines of the block";
  rec.textRect = PlatRect{10, 10, 60, 30};
  rec.textFont = plat_FontCreate("DejaVu Sans", 14, 400);
  rec.textColour = plat_Rgb(255, 255, 255);
  ASSERT_NE(rec.textFont, nullptr);
  PlatDialog* dialog = plat_DialogCreate(&kMainTemplate, nullptr, RecordingProc, &rec);
  ASSERT_NE(dialog, nullptr);
  plat_DialogSetOuterRect(dialog, 0, 0, 160 + 6, 100 + 24);
  PlatControl* button = plat_ControlCreate(dialog, kPlatControlButton, "Exit",
                                           kPlatWsChild | kPlatWsVisible | kPlatBsDefPushButton,
                                           40, 30, 50, 24, 0);
  ASSERT_NE(button, nullptr);
  plat_DialogUpdate(dialog);
  EXPECT_EQ(rec.paints, 1);

  const PlatRect b = plat_ControlRect(button);
  int textInk = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 160; ++x) {
      uint32_t p = Pixel(dialog, x, y);
      if (plat_RectContains(b, x, y)) continue;
      if (x >= w || y >= h) {
        EXPECT_EQ(p, kPlatColourFace) << x << "," << y;  // beyond the picture: the dialog face
      } else if (p != expected(x, y)) {
        EXPECT_TRUE(plat_RectContains(rec.textRect, x, y)) << "stray pixel at " << x << "," << y;
        ++textInk;
      }
    }
  EXPECT_GT(textInk, 20);
  // The button covers picture and text: black default frame, bevel, face inside.
  EXPECT_EQ(Pixel(dialog, b.x, b.y), kPlatColourDarkShadow);
  EXPECT_EQ(Pixel(dialog, b.x + b.w - 1, b.y + b.h - 1), kPlatColourDarkShadow);
  EXPECT_EQ(Pixel(dialog, b.x + 1, b.y + 1), kPlatColourHighlight);
  EXPECT_EQ(Pixel(dialog, b.x + b.w - 2, b.y + b.h - 2), kPlatColourDarkShadow);
  EXPECT_EQ(Pixel(dialog, b.x + b.w - 3, b.y + b.h - 3), kPlatColourShadow);
  EXPECT_EQ(Pixel(dialog, b.x + 4, b.y + 4), kPlatColourFace);
  int captionInk = 0;
  for (int y = b.y + 3; y < b.y + b.h - 3; ++y)
    for (int x = b.x + 3; x < b.x + b.w - 3; ++x)
      if (Pixel(dialog, x, y) != kPlatColourFace) ++captionInk;
  EXPECT_GT(captionInk, 10);

  // A hidden button shows what lies beneath it again.
  plat_ControlShow(button, false);
  plat_DialogUpdate(dialog);
  EXPECT_EQ(Pixel(dialog, b.x + b.w - 5, b.y + b.h - 5), expected(b.x + b.w - 5, b.y + b.h - 5));
  plat_FontDestroy(rec.textFont);
}

TEST_F(PlatDialogTest, ClicksRunOnlyTheButtonPressedAndReleasedInside) {
  Recorder rec;
  PlatDialog* dialog = plat_DialogCreate(&kMainTemplate, nullptr, RecordingProc, &rec);
  ASSERT_NE(dialog, nullptr);
  const uint32_t style = kPlatWsChild | kPlatWsVisible | kPlatBsDefPushButton;
  PlatControl* a = plat_ControlCreate(dialog, kPlatControlButton, "A", style, 10, 10, 80, 24, 0);
  PlatControl* b = plat_ControlCreate(dialog, kPlatControlButton, "B", style, 10, 50, 80, 24, 0);
  PlatControl* hidden = plat_ControlCreate(dialog, kPlatControlButton, "H", kPlatWsChild, 10, 90, 80, 24, 0);
  ASSERT_TRUE(a && b && hidden);

  plat_TestPushClick(dialog, 20, 60);  // inside b
  plat_DialogProcessEvents(0);
  ASSERT_EQ(rec.commands.size(), 1u);
  EXPECT_EQ(rec.commands[0].control, b);
  EXPECT_EQ(rec.commands[0].id, 0);

  plat_TestPushClick(dialog, 200, 200);  // empty area
  plat_TestPushClick(dialog, 20, 100);   // hidden button
  plat_TestPushClick(dialog, 9, 10);     // one pixel left of a
  plat_DialogProcessEvents(0);
  EXPECT_EQ(rec.commands.size(), 1u);

  // Press, drag off, release: nothing; the button springs back.
  plat_TestPushMouseDown(dialog, 20, 20);
  plat_DialogProcessEvents(0);
  EXPECT_TRUE(plat_ControlPressed(a));
  plat_TestPushMouseMove(dialog, 200, 20);
  plat_DialogProcessEvents(0);
  EXPECT_FALSE(plat_ControlPressed(a));
  plat_TestPushMouseUp(dialog, 200, 20);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(rec.commands.size(), 1u);

  // Press on a, release over b: neither.
  plat_TestPushMouseDown(dialog, 20, 20);
  plat_TestPushMouseMove(dialog, 20, 60);
  plat_TestPushMouseUp(dialog, 20, 60);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(rec.commands.size(), 1u);

  // Drag off and back on before releasing: a click after all.
  plat_TestPushMouseDown(dialog, 20, 20);
  plat_TestPushMouseMove(dialog, 300, 20);
  plat_TestPushMouseMove(dialog, 30, 25);
  plat_TestPushMouseUp(dialog, 30, 25);
  plat_DialogProcessEvents(0);
  ASSERT_EQ(rec.commands.size(), 2u);
  EXPECT_EQ(rec.commands[1].control, a);

  // Once shown, the hidden button answers; hiding it mid-press cancels the press.
  plat_ControlShow(hidden, true);
  plat_TestPushClick(dialog, 20, 100);
  plat_DialogProcessEvents(0);
  ASSERT_EQ(rec.commands.size(), 3u);
  EXPECT_EQ(rec.commands[2].control, hidden);
  plat_TestPushMouseDown(dialog, 20, 100);
  plat_DialogProcessEvents(0);
  plat_ControlShow(hidden, false);
  plat_TestPushMouseUp(dialog, 20, 100);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(rec.commands.size(), 3u);

  // A caption change keeps the rectangle.
  PlatRect before = plat_ControlRect(b);
  plat_ControlSetText(b, "Play Game");
  EXPECT_STREQ(plat_ControlText(b), "Play Game");
  PlatRect after = plat_ControlRect(b);
  EXPECT_EQ(before.x, after.x);
  EXPECT_EQ(before.y, after.y);
  EXPECT_EQ(before.w, after.w);
  EXPECT_EQ(before.h, after.h);

  // Hiding the dialog mid-press cancels the press, and a hidden dialog takes no input.
  plat_TestPushMouseDown(dialog, 20, 20);
  plat_DialogProcessEvents(0);
  plat_TestPushMouseUp(dialog, 20, 20);
  plat_DialogShow(dialog, false);
  plat_TestPushClick(dialog, 20, 20);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(rec.commands.size(), 3u);
}

TEST_F(PlatDialogTest, PressedDefaultButtonIsDrawnSunken) {
  Recorder rec;
  PlatDialog* dialog = plat_DialogCreate(&kMainTemplate, nullptr, RecordingProc, &rec);
  PlatControl* button = plat_ControlCreate(dialog, kPlatControlButton, "", kPlatWsVisible | kPlatBsDefPushButton,
                                           10, 10, 40, 20, 0);
  plat_DialogUpdate(dialog);
  EXPECT_EQ(Pixel(dialog, 11, 11), kPlatColourHighlight);
  plat_TestPushMouseDown(dialog, 20, 20);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(Pixel(dialog, 10, 10), kPlatColourDarkShadow);
  EXPECT_EQ(Pixel(dialog, 11, 11), kPlatColourShadow);
  EXPECT_EQ(Pixel(dialog, 48, 28), kPlatColourShadow);
  (void)button;
}

TEST_F(PlatDialogTest, ModeslessDialogHasNoKeyboardAndCloseReachesItsProcedure) {
  Recorder rec;
  PlatDialog* dialog = plat_DialogCreate(&kMainTemplate, nullptr, RecordingProc, &rec);
  plat_ControlCreate(dialog, kPlatControlButton, "Exit", kPlatWsVisible | kPlatBsDefPushButton, 0, 0, 50, 20, 7);
  plat_TestPushKey(dialog, kPlatKeyEnter);
  plat_TestPushKey(dialog, kPlatKeyEscape);
  plat_DialogProcessEvents(0);
  EXPECT_TRUE(rec.commands.empty());

  plat_TestPushClose(dialog);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(rec.closes, 1);
  EXPECT_TRUE(rec.commands.empty());

  // An unhandled close becomes a cancel command that names no control.
  rec.handleClose = false;
  plat_TestPushClose(dialog);
  plat_DialogProcessEvents(0);
  ASSERT_EQ(rec.commands.size(), 1u);
  EXPECT_EQ(rec.commands[0].id, kPlatIdCancel);
  EXPECT_EQ(rec.commands[0].control, nullptr);
}

bool DestroyOnCommand(PlatDialog* dialog, const PlatDialogMessage* message, void* user) {
  if (message->kind != kPlatDlgCommand) return false;
  ++*static_cast<int*>(user);
  plat_DialogDestroy(dialog);
  return true;
}

// A procedure may destroy its own dialog from a command; queued input for it goes nowhere.
TEST_F(PlatDialogTest, DialogDestroyedByItsOwnProcedure) {
  int commands = 0;
  PlatDialog* dialog = plat_DialogCreate(&kMainTemplate, nullptr, DestroyOnCommand, &commands);
  ASSERT_NE(dialog, nullptr);
  plat_ControlCreate(dialog, kPlatControlButton, "X", kPlatWsVisible, 0, 0, 40, 20, 9);
  plat_TestPushClick(dialog, 5, 5);
  plat_TestPushClick(dialog, 5, 5);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(commands, 1);
  EXPECT_EQ(plat_DialogCanvas(dialog), nullptr);
  EXPECT_EQ(plat_TestQueuedEvents(), 0);
}

TEST_F(PlatDialogTest, QuitIsPostedAndAnEmptyWaitTakesItsTimeout) {
  int code = -5;
  EXPECT_FALSE(plat_QuitPosted(&code));
  EXPECT_EQ(code, -5);
  EXPECT_EQ(plat_DialogProcessEvents(400), 0);
  EXPECT_EQ(plat_GetTickCount(), 400u);
  EXPECT_EQ(plat_DialogProcessEvents(0), 0);
  EXPECT_EQ(plat_GetTickCount(), 400u);
  plat_PostQuit(0);
  EXPECT_TRUE(plat_QuitPosted(&code));
  EXPECT_EQ(code, 0);
  plat_DialogShutdownAll();
  EXPECT_FALSE(plat_QuitPosted(nullptr));
}

// ---- modal dialogs -----------------------------------------------------------------------------

struct ModalScenario {
  Recorder owner;
  Recorder agreement;
  PlatDialog* main = nullptr;
  int answer = -99;
  std::string text;
  std::vector<std::string> script;  // what the idle hook does, one step per call
  size_t step = 0;
  int ownerPaintsSeen = -1;
  int opened = 0;
  PlatWindow window = nullptr;    // a program window that owns the dialog instead
  PlatDialog* modal = nullptr;    // the dialog running when the owner was clicked
};

bool AgreementProc(PlatDialog* dialog, const PlatDialogMessage* message, void* user) {
  auto* s = static_cast<ModalScenario*>(user);
  if (message->kind == kPlatDlgInitDialog) {
    plat_ControlSetText(plat_DialogItem(dialog, kText), s->text.c_str());
    return false;
  }
  if (message->kind == kPlatDlgCommand && message->controlId == kPlatIdCancel) {
    s->agreement.commands.push_back({message->controlId, message->control});
    plat_DialogEnd(dialog, 0);
    return true;
  }
  return RecordingProc(dialog, message, &s->agreement);
}

// The owner opens the agreement when its button is clicked.
bool OwnerProc(PlatDialog* dialog, const PlatDialogMessage* message, void* user) {
  auto* s = static_cast<ModalScenario*>(user);
  if (message->kind == kPlatDlgCommand && message->controlId == 5) {
    ++s->opened;
    s->answer = plat_DialogRunModal(&kAgreementTemplate, dialog, AgreementProc, s);
    return true;
  }
  return RecordingProc(dialog, message, &s->owner);
}

void ScriptHook(void* user) {
  auto* s = static_cast<ModalScenario*>(user);
  if (s->step >= s->script.size()) return;
  const std::string& what = s->script[s->step++];
  const PlatRect accept = plat_DialogUnitsToPixels(PlatRect{68, 204, 50, 14});
  if (what == "accept" || what == "decline") {
    PlatRect r = what == "accept" ? accept : plat_DialogUnitsToPixels(PlatRect{134, 204, 50, 14});
    plat_TestPushClick(nullptr, r.x + r.w / 2, r.y + r.h / 2);
  } else if (what == "close") {
    plat_TestPushClose(nullptr);
  } else if (what == "escape") {
    plat_TestPushKey(nullptr, kPlatKeyEscape);
  } else if (what == "enter") {
    plat_TestPushKey(nullptr, kPlatKeyEnter);
  } else if (what == "owner-click") {
    s->modal = plat_TestTopDialog();
    plat_TestPushClick(s->main, 20, 20);  // the owner's button, while the dialog is up
  } else if (what == "window-click") {
    // Where the dialog has its Accept button: were the click the dialog's, it would accept.
    s->modal = plat_TestTopDialog();
    plat_TestPushWindowInput(s->window, kPlatTestWindowClick, accept.x + 5, accept.y + 5);
  } else if (what == "window-enter") {
    plat_TestPushWindowInput(s->window, kPlatTestWindowEnter);
  } else if (what == "window-focus") {
    plat_TestPushWindowInput(s->window, kPlatTestWindowFocus);
  } else if (what == "owner-dirty") {
    s->ownerPaintsSeen = s->owner.paints;
    plat_DialogSetCaption(s->main, "changed");
    plat_DialogInvalidate(s->main);
    plat_TestPushMouseMove(nullptr, 0, 0);  // something to handle, so the loop goes on
  }
}

class PlatModalTest : public PlatDialogTest {
 protected:
  void SetUp() override {
    PlatDialogTest::SetUp();
    scenario = ModalScenario{};
    scenario.agreement.endOnId[0] = kAccept;
    scenario.agreement.endOnId[1] = kDecline;
    scenario.main = plat_DialogCreate(&kMainTemplate, nullptr, OwnerProc, &scenario);
    ASSERT_NE(scenario.main, nullptr);
    plat_ControlCreate(scenario.main, kPlatControlButton, "Open", kPlatWsVisible | kPlatBsDefPushButton,
                       10, 10, 60, 24, 5);
    plat_TestSetIdleHook(ScriptHook, &scenario);
  }
  int Run(std::vector<std::string> script) {
    scenario.script = std::move(script);
    scenario.step = 0;
    scenario.answer = -99;
    plat_TestPushClick(scenario.main, 20, 20);
    plat_DialogProcessEvents(0);
    return scenario.answer;
  }
  ModalScenario scenario;
};

TEST_F(PlatModalTest, AnswersComeFromTheButtonsAndCloseMeansNo) {
  EXPECT_EQ(Run({"accept"}), 1);
  EXPECT_EQ(Run({"decline"}), 0);
  EXPECT_EQ(Run({"close"}), 0);
  EXPECT_EQ(Run({"escape"}), 0);
  EXPECT_EQ(Run({"enter"}), 1);  // Enter presses the default button, Accept
  ASSERT_FALSE(scenario.agreement.commands.empty());
  EXPECT_EQ(scenario.agreement.commands.back().id, kAccept);
  EXPECT_NE(scenario.agreement.commands.back().control, nullptr);
}

intptr_t NoWindowProc(PlatWindow, uint32_t, uintptr_t, intptr_t) { return 0; }

TEST_F(PlatModalTest, OwnerTakesNoInputButKeepsRepaintingWhileTheDialogRuns) {
  plat_TestInputReset();
  ASSERT_TRUE(plat_RegisterClass("owner", NoWindowProc));
  scenario.window = plat_CreateWindow("owner", "", kPlatStyleVisible, 0, 0, 640, 480, nullptr, nullptr);
  ASSERT_NE(scenario.window, nullptr);
  plat_DialogUpdate(scenario.main);
  // A program window that does not own the dialog is no one's to answer for.
  EXPECT_EQ(Run({"owner-click", "window-click", "owner-dirty", "decline"}), 0);
  // The click on the owner's button during the dialog opened no second dialog, and gave the
  // dialog the keyboard back.
  EXPECT_EQ(scenario.opened, 1);
  EXPECT_EQ(plat_TestDialogActivations(), 1);
  EXPECT_EQ(plat_TestLastActivatedDialog(), scenario.modal);
  EXPECT_GT(scenario.owner.paints, scenario.ownerPaintsSeen);
  EXPECT_STREQ(plat_DialogCaption(scenario.main), "changed");
  // The dialog is gone afterwards; clicks reach the owner again, and raise nothing.
  scenario.script = {"accept"};
  scenario.step = 0;
  plat_TestPushClick(scenario.main, 20, 20);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(scenario.answer, 1);
  EXPECT_EQ(plat_TestDialogActivations(), 1);

  // Owned by a program window: its click, its Enter and its focus each give the dialog the
  // keyboard back, and none of them answers the dialog.
  scenario.script = {"window-click", "window-enter", "window-focus", "decline"};
  scenario.step = 0;
  EXPECT_EQ(plat_DialogRunModalForWindow(&kAgreementTemplate, scenario.window, AgreementProc, &scenario), 0);
  EXPECT_EQ(plat_TestDialogActivations(), 4);
  EXPECT_EQ(plat_TestLastActivatedDialog(), scenario.modal);
  // With no window to own it, it runs as well.
  scenario.script = {"accept"};
  scenario.step = 0;
  EXPECT_EQ(plat_DialogRunModalForWindow(&kAgreementTemplate, nullptr, AgreementProc, &scenario), 1);
  plat_TestInputReset();
}

TEST_F(PlatModalTest, DialogWithNoInputEndsInsteadOfHanging) {
  EXPECT_EQ(Run({}), kPlatDialogFailed);
  // So does one opened after the program was asked to end, even with an answer waiting.
  plat_TestCloseRequest();
  EXPECT_EQ(Run({"accept"}), kPlatDialogFailed);
  plat_TestInputReset();
  // A quit posted while it runs ends it too.
  plat_PostQuit(0);
  EXPECT_EQ(plat_DialogRunModal(&kAgreementTemplate, scenario.main, AgreementProc, &scenario),
            kPlatDialogFailed);
}

// ---- scrolling edit ----------------------------------------------------------------------------

std::vector<uint32_t> EditPixels(PlatDialog* dialog, PlatRect r) {
  std::vector<uint32_t> out;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) out.push_back(plat_CanvasPixel(plat_DialogCanvas(dialog), x, y));
  return out;
}

TEST_F(PlatDialogTest, ReadOnlyEditWrapsAndScrolls) {
  std::string text;
  for (int i = 1; i <= 80; ++i) text += "Clause " + std::to_string(i) + " of the agreement.\r\n";
  text += "A last paragraph long enough that it has to wrap across more than one line of the box.";
  ModalScenario scenario;
  scenario.text = text;
  PlatDialog* dialog = plat_DialogCreate(&kAgreementTemplate, nullptr, AgreementProc, &scenario);
  ASSERT_NE(dialog, nullptr);
  PlatControl* edit = plat_DialogItem(dialog, kText);
  ASSERT_NE(edit, nullptr);
  const int lines = plat_EditLineCount(edit);
  const int visible = plat_EditVisibleLines(edit);
  EXPECT_GE(lines, 82);  // the last paragraph wraps
  EXPECT_GT(visible, 10);
  EXPECT_LT(visible, lines);
  EXPECT_EQ(plat_EditTopLine(edit), 0);

  const PlatRect r = plat_ControlRect(edit);
  plat_DialogUpdate(dialog);
  std::vector<uint32_t> top = EditPixels(dialog, r);

  plat_TestPushWheel(dialog, r.x + 50, r.y + 50, -2);  // towards the user: down
  plat_DialogProcessEvents(0);
  EXPECT_EQ(plat_EditTopLine(edit), 6);
  EXPECT_NE(EditPixels(dialog, r), top);

  const int barX = r.x + r.w - 2 - kPlatScrollBarWidth / 2;
  plat_TestPushClick(dialog, barX, r.y + r.h - 2 - 4);  // down arrow
  plat_DialogProcessEvents(0);
  EXPECT_EQ(plat_EditTopLine(edit), 7);
  plat_TestPushClick(dialog, barX, r.y + 2 + 4);  // up arrow
  plat_TestPushClick(dialog, barX, r.y + 2 + 4);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(plat_EditTopLine(edit), 5);
  plat_TestPushClick(dialog, barX, r.y + r.h - 2 - kPlatScrollBarWidth - 2);  // track below the thumb
  plat_DialogProcessEvents(0);
  EXPECT_EQ(plat_EditTopLine(edit), 5 + visible);

  // Drag the thumb all the way down: the last line comes into view, and no further.
  plat_EditScrollTo(edit, 0);
  plat_DialogUpdate(dialog);
  plat_TestPushMouseDown(dialog, barX, r.y + 2 + kPlatScrollBarWidth + 2);
  plat_TestPushMouseMove(dialog, barX, r.y + r.h + 500);
  plat_TestPushMouseUp(dialog, barX, r.y + r.h + 500);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(plat_EditTopLine(edit), lines - visible);
  plat_EditScrollTo(edit, 100000);
  EXPECT_EQ(plat_EditTopLine(edit), lines - visible);
  plat_TestPushWheel(dialog, r.x + 50, r.y + 50, 1000);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(plat_EditTopLine(edit), 0);

  // Text and scroll bar stay inside the edit: the dialog face everywhere else, apart from
  // the two buttons.
  plat_DialogUpdate(dialog);
  PlatRect accept = plat_ControlRect(plat_DialogItem(dialog, kAccept));
  PlatRect decline = plat_ControlRect(plat_DialogItem(dialog, kDecline));
  int cw = 0, ch = 0;
  plat_DialogClientSize(dialog, &cw, &ch);
  for (int y = 0; y < ch; ++y)
    for (int x = 0; x < cw; ++x) {
      if (plat_RectContains(r, x, y) || plat_RectContains(accept, x, y) ||
          plat_RectContains(decline, x, y))
        continue;
      ASSERT_EQ(Pixel(dialog, x, y), kPlatColourFace) << x << "," << y;
    }

  // New text starts at the top again; an empty text leaves nothing to scroll.
  plat_ControlSetText(edit, "");
  EXPECT_EQ(plat_EditTopLine(edit), 0);
  EXPECT_EQ(plat_EditLineCount(edit), 0);
  plat_TestPushWheel(dialog, r.x + 50, r.y + 50, -3);
  plat_DialogProcessEvents(0);
  EXPECT_EQ(plat_EditTopLine(edit), 0);
}

}  // namespace
