// Disc launcher: the main window (a modeless dialog with the picture, the text block and the
// push buttons) and the agreement dialog.
//
// Every button sits in a slot of the button table (launcher_state.h numbers them); a click on a
// button runs the action of its slot. Buttons draw in the system font as default push buttons.
// Painting goes picture, text, then the buttons on top.
#pragma once
#include <cstdint>

#include "launcher/launcher_state.h"
#include "platform/plat_dialog.h"

// The main window's resource: no controls, 400 x 183 dialog units, captioned, centred, visible.
extern const PlatDialogTemplate kLauncherMainTemplate;
// The agreement dialog's resource: "Accept" (the default button), "Decline" and a read-only,
// scrolling, multi-line edit that shows the text.
extern const PlatDialogTemplate kLauncherAgreementTemplate;
constexpr int kLauncherAgreementAcceptId = 1002;
constexpr int kLauncherAgreementDeclineId = 1037;
constexpr int kLauncherAgreementTextId = 1048;

// The style of every launcher button: a visible child drawn as the default push button.
constexpr uint32_t kLauncherButtonStyle = 0x50000001u;
// The window's smallest sensible outer width and height; a configured size below it gives the
// resource size instead.
constexpr int kLauncherMinWindowSize = 64;
// The screen height the centring leaves out at the bottom (for a task bar).
constexpr int kLauncherTaskBarAllowance = 20;

// One slot of the button table: the button, and whether the slot has one.
struct LauncherButtonSlot {
  PlatControl* button = nullptr;
  int32_t exists = 0;
};

struct LauncherWindow {
  LauncherState* state = nullptr;
  PlatDialog* dialog = nullptr;  // null when the window could not be made
  LauncherButtonSlot buttons[kLauncherSlotCount];
  PlatFont* textFont = nullptr;
  // Set once an action ended the launcher (a quit was posted or the process is to end): later
  // clicks, already queued, start nothing more.
  bool ending = false;
};

// The outer rectangle of the main window on a screen of the given size: the configured outer
// size (the resource's outer size when either side is below kLauncherMinWindowSize), centred with
// the task-bar allowance, the division rounding toward zero, and never placed left of or above the
// screen's corner.
PlatRect LauncherWindowPlacement(int screenWidth, int screenHeight, int width, int height,
                                 int resourceWidth, int resourceHeight);

// Makes one button at x, y (client pixels) of the given size; null when it could not be made.
PlatControl* LauncherButtonCreate(PlatDialog* parent, const char* caption, int x, int y, int width,
                                  int height);

// Makes the main window and every button from the state, gives it the title, size and position,
// and paints it. `window` must stay where it is while the window exists. False when the window
// itself could not be made.
bool LauncherWindowCreate(LauncherWindow* window, LauncherState* state, int screenWidth,
                          int screenHeight);
// Destroys the window, its buttons and the text font.
void LauncherWindowDestroy(LauncherWindow* window);

// The main window's dialog procedure.
bool LauncherDialogProc(PlatDialog* dialog, const PlatDialogMessage* message, void* user);

// The table of window functions the launcher's logic uses (captions, visibility, the agreement,
// the quit).
LauncherWindowOps LauncherWindowOpsOf(LauncherWindow* window);

// Shows the agreement dialog over `owner` with the text (null: empty) and waits for the answer.
// The close box and Escape answer kLauncherAgreementClosed.
LauncherAgreementAnswer LauncherAgreementRun(PlatDialog* owner, const char* text);
// The agreement dialog's procedure.
bool EulaDialogProc(PlatDialog* dialog, const PlatDialogMessage* message, void* user);
