// Opens a real window through SDL (CTest runs it under SDL's offscreen driver).
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_dialog.h"

namespace {

int gPaints = 0;
int gCloses = 0;
std::vector<PlatControl*> gClicked;

bool PaintingProc(PlatDialog*, const PlatDialogMessage* message, void*) {
  if (message->kind == kPlatDlgCommand) gClicked.push_back(message->control);
  if (message->kind == kPlatDlgClose) ++gCloses;
  if (message->kind != kPlatDlgPaint) return message->kind == kPlatDlgClose;
  ++gPaints;
  plat_CanvasFillRect(message->canvas, PlatRect{0, 0, 40, 30}, plat_Rgb(0, 0, 255));
  return true;
}

constexpr PlatDialogTemplate kWindow{0x90C008D4u, 0, 0, 200, 100, "", "MS Sans Serif", 8, nullptr, 0};

TEST(PlatDialogSmoke, RealWindowOpensPaintsAndCloses) {
  plat_UseBackend(kPlatBackendReal);
  int sw = 0, sh = 0;
  plat_ScreenSize(&sw, &sh);
  if (sw <= 0 || sh <= 0) GTEST_SKIP() << "no SDL video driver here";

  PlatDialog* dialog = plat_DialogCreate(&kWindow, nullptr, PaintingProc, nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(plat_DialogVisible(dialog));
  PlatControl* button = plat_ControlCreate(dialog, kPlatControlButton, "Exit", 0x50000001u, 60, 40, 80, 26, 0);
  ASSERT_NE(button, nullptr);
  plat_DialogSetCaption(dialog, "Smoke");
  plat_DialogSetOuterRect(dialog, 10, 10, 306, 224);
  for (int i = 0; i < 5; ++i) plat_DialogProcessEvents(10);
  EXPECT_GE(gPaints, 1);
  const PlatCanvas* canvas = plat_DialogCanvas(dialog);
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(canvas->width, 300);
  EXPECT_EQ(canvas->height, 200);
  EXPECT_EQ(plat_CanvasPixel(canvas, 5, 5), plat_Rgb(0, 0, 255));
  EXPECT_EQ(plat_CanvasPixel(canvas, 60, 40), kPlatColourDarkShadow);
  EXPECT_EQ(plat_CanvasPixel(canvas, 200, 150), kPlatColourFace);

  // SDL input for the window reaches the dialog: a click on the button, a click beside it, and
  // the window manager's close.
  Uint32 id = 0;
  for (Uint32 i = 1; i < 16 && !id; ++i)
    if (SDL_GetWindowFromID(i)) id = i;
  ASSERT_NE(id, 0u);
  auto mouse = [id](Uint32 type, int x, int y) {
    SDL_Event e{};
    e.type = type;
    e.button.windowID = id;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
  };
  mouse(SDL_MOUSEBUTTONDOWN, 70, 50);
  mouse(SDL_MOUSEBUTTONUP, 70, 50);
  mouse(SDL_MOUSEBUTTONDOWN, 250, 150);
  mouse(SDL_MOUSEBUTTONUP, 250, 150);
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.windowID = id;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&close);
  for (int i = 0; i < 5; ++i) plat_DialogProcessEvents(10);
  ASSERT_EQ(gClicked.size(), 1u);
  EXPECT_EQ(gClicked[0], button);
  EXPECT_EQ(gCloses, 1);
  EXPECT_FALSE(plat_QuitPosted(nullptr));

  // A terminate signal reaches SDL as its quit event: the program is asked to end with 0.
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  plat_DialogProcessEvents(10);
  int code = -1;
  EXPECT_TRUE(plat_QuitPosted(&code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(gCloses, 1);

  plat_DialogShow(dialog, false);
  plat_DialogProcessEvents(0);
  EXPECT_FALSE(plat_DialogVisible(dialog));
  plat_DialogDestroy(dialog);
  EXPECT_EQ(plat_DialogCanvas(dialog), nullptr);
  plat_DialogShutdownAll();
}

}  // namespace
