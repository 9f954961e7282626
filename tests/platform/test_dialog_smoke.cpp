// Opens a real window through SDL (CTest runs it under SDL's offscreen driver).
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_dialog.h"
#include "platform/plat_dialog_internal.h"
#include "platform/plat_window.h"
#include "platform/test/plat_input.h"

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

// A modal dialog over the program's window, which the player presses meanwhile: a click, Return
// and the focus the window manager gives it. None of them answers the dialog (its own Escape does)
// and none reaches the window, then or after the dialog.
struct OwnedScenario {
  Uint32 windowId = 0;
  std::vector<uint32_t> windowMessages;
  std::vector<int> commands;  // the dialog's
};
OwnedScenario gOwned;

intptr_t OwnerWindowProc(PlatWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  gOwned.windowMessages.push_back(message);
  return plat_DefWindowProc(window, message, wParam, lParam);
}

void PushKey(Uint32 windowId, SDL_Keycode key) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.windowID = windowId;
  e.key.state = SDL_PRESSED;
  e.key.keysym.sym = key;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  SDL_PushEvent(&e);
}

bool OwnedDialogProc(PlatDialog* dialog, const PlatDialogMessage* message, void*) {
  if (message->kind == kPlatDlgInitDialog) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = gOwned.windowId;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 70;  // where the dialog has its Ok button
    e.button.y = 50;
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&e);
    PushKey(gOwned.windowId, SDLK_RETURN);
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.windowID = gOwned.windowId;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    SDL_PushEvent(&focus);
    PushKey(SDL_GetWindowID(static_cast<SDL_Window*>(dialog->window)), SDLK_ESCAPE);
    return true;
  }
  if (message->kind != kPlatDlgCommand) return false;
  gOwned.commands.push_back(message->controlId);
  plat_DialogEnd(dialog, message->controlId);
  return true;
}

constexpr PlatDialogItemTemplate kOk[] = {{kPlatIdOk, kPlatControlButton, "Ok", 0x50010001u, 40, 20, 44, 17}};
constexpr PlatDialogTemplate kOwned{0x90C008D4u, 0, 0, 200, 100, "Owned", "MS Sans Serif", 8, kOk, 1};

TEST(PlatDialogSmoke, TheProgramWindowTakesNoInputWhileItsDialogRuns) {
  // No quit request of an earlier test stands (it would end the dialog at once).
  plat_UseBackend(kPlatBackendTest);
  plat_TestInputReset();
  plat_UseBackend(kPlatBackendReal);
  ASSERT_TRUE(plat_RegisterClass("smoke owner", OwnerWindowProc));
  PlatWindow window = plat_CreateWindow("smoke owner", "", kPlatStylePopup | kPlatStyleVisible, 0, 0, 640,
                                        480, nullptr, nullptr);
  if (!window) GTEST_SKIP() << "no SDL video driver here";
  gOwned = OwnedScenario{};
  gOwned.windowId = SDL_GetWindowID(static_cast<SDL_Window*>(plat_WindowNative(window)));
  PlatMessage msg{};
  while (plat_PeekMessage(&msg, true)) {
  }
  gOwned.windowMessages.clear();

  EXPECT_EQ(plat_DialogRunModalForWindow(&kOwned, window, OwnedDialogProc, nullptr), kPlatIdCancel);
  EXPECT_EQ(gOwned.commands, std::vector<int>{kPlatIdCancel});
  while (plat_PeekMessage(&msg, true)) plat_DispatchMessage(&msg);
  EXPECT_TRUE(gOwned.windowMessages.empty()) << gOwned.windowMessages.size() << " messages";
  plat_DestroyWindow(window);
  plat_DialogShutdownAll();
}

}  // namespace
