// Platform layer: a small dialog and widget toolkit (SDL2 windows, CPU canvases, SDL2_ttf text).
//
// API summary
//   Templates   PlatDialogTemplate / PlatDialogItemTemplate are plain constants in dialog units
//               (base units 6 x 13: x px = x * 6 / 4, y px = y * 13 / 8, rounded). Style words use
//               the classic bit values (kPlatWs*, kPlatDs*, kPlatBs*, kPlatEs*), so a template can
//               carry a resource's style word as it is.
//   Dialogs     plat_DialogCreate (modeless) / plat_DialogRunModal (modal, returns the value given
//               to plat_DialogEnd), owned by a dialog or by a program window
//               (plat_DialogRunModalForWindow). A modal dialog is kept above its owner, and a
//               press, a key or the focus given to its owner (or the owner's owner) raises it and
//               gives it the keyboard again: the owner itself takes no input while the dialog
//               runs, whatever the window manager did with the press. A dialog procedure (a
//               function pointer plus a user pointer) receives kPlatDlgInitDialog, kPlatDlgPaint,
//               kPlatDlgCommand and kPlatDlgClose.
//               Captions, show/hide, outer rectangle (frame and caption included), client size.
//   Controls    plat_ControlCreate (pixels) or template items: push buttons (kPlatBs*, the
//               default one with the black frame of the classic bevelled look) and a read-only
//               multi-line word-wrapped edit with a vertical scroll bar. A click (press and release
//               inside one visible button) sends kPlatDlgCommand with the button's id and handle.
//               Static text (word-wrapped label). Auto radio buttons: a click checks the button,
//               clears the other radio buttons of the dialog and sends the command. A sorted
//               drop-down combo box: a click on its field opens its list below the field (inside
//               the control's rectangle, which counts the list as in a template); a click on an
//               item selects it, closes the list and sends kPlatDlgCommand with
//               kPlatNotifySelEndOk. Disabled controls (kPlatWsDisabled) are greyed, take no input.
//               Where controls overlap, the first made is on top (hit first, drawn last).
//   Painting    every dialog owns a 32-bit canvas of its client size. A repaint fills the face
//               colour, hands the canvas to the procedure (kPlatDlgPaint: pictures, then text),
//               then draws the visible controls on top; the real back end presents it through SDL.
//               Changes mark the dialog dirty; it repaints on the next event pass or on
//               plat_DialogUpdate.
//   Loop        plat_DialogProcessEvents(timeout) waits up to the timeout for input, handles all
//               that is queued and repaints what is dirty; plat_PostQuit / plat_QuitPosted.
//               While a modal dialog runs, input for other dialogs is dropped but they still
//               repaint; a posted quit ends a modal dialog with kPlatDialogFailed. Only modal
//               dialogs have keyboard handling: Enter presses the default button, Escape sends
//               kPlatIdCancel. A window-manager close sends kPlatDlgClose; unhandled, it becomes
//               kPlatIdCancel. A request of the system to end the program (SIGTERM, SIGINT)
//               posts a quit with code 0.
//   Back ends   plat_UseBackend(kPlatBackendReal): SDL windows. kPlatBackendTest: headless
//               canvases; tests push mouse, wheel, key and close events, set the screen size, run
//               a hook whenever the queue runs dry to act inside a modal loop (all in
//               platform/test/plat_dialog.h), and read pixels from plat_DialogCanvas. A wait on an
//               empty test queue moves the test clock (plat_time.h) by the timeout.
//   Lock        plat_instance.h: a single-instance lock file in the user's runtime folder.
#pragma once
#include <cstdint>

#include "platform/plat_canvas.h"
#include "platform/plat_font.h"
#include "platform/plat_window.h"

// Window styles (classic values).
constexpr uint32_t kPlatWsPopup = 0x80000000u;
constexpr uint32_t kPlatWsChild = 0x40000000u;
constexpr uint32_t kPlatWsVisible = 0x10000000u;
constexpr uint32_t kPlatWsDisabled = 0x08000000u;
constexpr uint32_t kPlatWsCaption = 0x00C00000u;
constexpr uint32_t kPlatWsBorder = 0x00800000u;
constexpr uint32_t kPlatWsVScroll = 0x00200000u;
constexpr uint32_t kPlatWsSysMenu = 0x00080000u;
constexpr uint32_t kPlatWsTabStop = 0x00010000u;
// Dialog styles.
constexpr uint32_t kPlatDsModalFrame = 0x0080u;
constexpr uint32_t kPlatDsCenter = 0x0800u;
// Button styles.
constexpr uint32_t kPlatBsPushButton = 0x0000u;
constexpr uint32_t kPlatBsDefPushButton = 0x0001u;
constexpr uint32_t kPlatBsAutoRadioButton = 0x0009u;
// Combo box styles.
constexpr uint32_t kPlatCbsDropDownList = 0x0003u;
constexpr uint32_t kPlatCbsSort = 0x0100u;
// Edit styles.
constexpr uint32_t kPlatEsMultiline = 0x0004u;
constexpr uint32_t kPlatEsReadOnly = 0x0800u;

// Command identifiers sent for keys.
constexpr int kPlatIdOk = 1;
constexpr int kPlatIdCancel = 2;
// Result of a modal dialog that ended without plat_DialogEnd (creation failed, quit posted).
constexpr int kPlatDialogFailed = -1;

// Frame of a captioned top-level window: outer size = client size + (2 * frame, caption + 2 * frame).
constexpr int kPlatFrameWidth = 3;
constexpr int kPlatCaptionHeight = 18;
// Width of a vertical scroll bar and height of its arrow buttons.
constexpr int kPlatScrollBarWidth = 16;

enum PlatControlKind : int {
  kPlatControlButton = 1,
  kPlatControlEdit = 2,
  kPlatControlStatic = 3,
  kPlatControlRadio = 4,
  kPlatControlCombo = 5,
};

struct PlatDialogItemTemplate {
  int id = 0;
  PlatControlKind kind = kPlatControlButton;
  const char* text = "";
  uint32_t style = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct PlatDialogTemplate {
  uint32_t style = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units; cx, cy is the client size
  const char* caption = "";
  const char* fontFace = "MS Sans Serif";
  int fontPoints = 8;
  const PlatDialogItemTemplate* items = nullptr;
  int itemCount = 0;
};

struct PlatDialog;
struct PlatControl;

enum PlatMessageKind : int {
  kPlatDlgInitDialog = 1,  // controls exist, the dialog is not shown yet
  kPlatDlgPaint = 2,       // draw on `canvas` (already filled with the face colour)
  kPlatDlgCommand = 3,     // a button was clicked, or a key command (control null)
  kPlatDlgClose = 4,       // the window manager asks to close
};

constexpr int kPlatNotifyClicked = 0;
constexpr int kPlatNotifySelEndOk = 9;  // a combo box item was chosen from its list

struct PlatDialogMessage {
  PlatMessageKind kind = kPlatDlgInitDialog;
  int controlId = 0;
  PlatControl* control = nullptr;
  int notifyCode = kPlatNotifyClicked;
  PlatCanvas* canvas = nullptr;
};

// Returns true when it handled the message (an unhandled close becomes a kPlatIdCancel command).
using PlatDialogProc = bool (*)(PlatDialog* dialog, const PlatDialogMessage* message, void* user);

// Dialog units to pixels.
PlatRect plat_DialogUnitsToPixels(PlatRect units);

// The screen (desktop) size in pixels.
void plat_ScreenSize(int* width, int* height);

// Modeless dialog. Null when its window could not be made. kPlatDsCenter centres it on the
// screen; kPlatWsVisible shows it at once.
PlatDialog* plat_DialogCreate(const PlatDialogTemplate* tmpl, PlatDialog* owner,
                              PlatDialogProc proc, void* user);
// Modal dialog: runs its own loop until plat_DialogEnd, then destroys it and returns the value.
int plat_DialogRunModal(const PlatDialogTemplate* tmpl, PlatDialog* owner, PlatDialogProc proc,
                        void* user);
// The same owned by a program window (null: no owner, as in a run with no window).
int plat_DialogRunModalForWindow(const PlatDialogTemplate* tmpl, PlatWindow owner, PlatDialogProc proc,
                                 void* user);
void plat_DialogEnd(PlatDialog* dialog, int result);
void plat_DialogDestroy(PlatDialog* dialog);
// Destroys every dialog and forgets queued input and a posted quit.
void plat_DialogShutdownAll();

void plat_DialogSetCaption(PlatDialog* dialog, const char* caption);
const char* plat_DialogCaption(const PlatDialog* dialog);
void plat_DialogShow(PlatDialog* dialog, bool show);
bool plat_DialogVisible(const PlatDialog* dialog);
// Outer rectangle on the screen, frame and caption included; the client follows from it.
void plat_DialogSetOuterRect(PlatDialog* dialog, int x, int y, int width, int height);
PlatRect plat_DialogOuterRect(const PlatDialog* dialog);
void plat_DialogClientSize(const PlatDialog* dialog, int* width, int* height);
PlatFont* plat_DialogFont(const PlatDialog* dialog);
// The first control with the identifier, or null.
PlatControl* plat_DialogItem(const PlatDialog* dialog, int id);
void plat_DialogInvalidate(PlatDialog* dialog);
// Repaints now when dirty (and presents it).
void plat_DialogUpdate(PlatDialog* dialog);
const PlatCanvas* plat_DialogCanvas(const PlatDialog* dialog);

// A control in the parent's client area, in pixels; shown when `style` has kPlatWsVisible. A
// control made this way draws in the system font until plat_ControlSetFont. Null on bad input.
PlatControl* plat_ControlCreate(PlatDialog* parent, PlatControlKind kind, const char* text,
                                uint32_t style, int x, int y, int width, int height, int id);
void plat_ControlSetText(PlatControl* control, const char* text);
const char* plat_ControlText(const PlatControl* control);
void plat_ControlShow(PlatControl* control, bool show);
bool plat_ControlVisible(const PlatControl* control);
PlatRect plat_ControlRect(const PlatControl* control);
int plat_ControlId(const PlatControl* control);
bool plat_ControlPressed(const PlatControl* control);
void plat_ControlSetFont(PlatControl* control, PlatFont* font);
// Disabled controls are drawn greyed and take no input.
void plat_ControlEnable(PlatControl* control, bool enable);
bool plat_ControlEnabled(const PlatControl* control);
// Radio buttons: the check mark. plat_CheckRadioButton checks `checkId` and clears every other
// radio button with an id in first..last.
void plat_ButtonSetCheck(PlatControl* radio, bool checked);
bool plat_ButtonChecked(const PlatControl* radio);
void plat_CheckRadioButton(PlatDialog* dialog, int firstId, int lastId, int checkId);
// Combo boxes. Indices are positions in the (sorted) list; -1 is none.
void plat_ComboReset(PlatControl* combo);
// Adds an item (in name order with kPlatCbsSort) and returns its index, or -1 for no combo box.
int plat_ComboAddString(PlatControl* combo, const char* text);
int plat_ComboCount(const PlatControl* combo);
const char* plat_ComboItemText(const PlatControl* combo, int index);
// False for an index outside the list.
bool plat_ComboSetItemData(PlatControl* combo, int index, intptr_t data);
// The item's data; -1 for an index outside the list.
intptr_t plat_ComboItemData(const PlatControl* combo, int index);
// An index outside the list clears the selection.
void plat_ComboSetCurSel(PlatControl* combo, int index);
int plat_ComboCurSel(const PlatControl* combo);
bool plat_ComboDroppedDown(const PlatControl* combo);
// Where item `index` of an open list is drawn (client pixels; empty when not shown), so tests
// click it.
PlatRect plat_ComboItemRect(const PlatControl* combo, int index);

// Edit controls: the wrapped line count, the first line shown, and how many lines fit.
int plat_EditLineCount(const PlatControl* edit);
int plat_EditTopLine(const PlatControl* edit);
int plat_EditVisibleLines(const PlatControl* edit);
void plat_EditScrollTo(PlatControl* edit, int topLine);

// Waits up to `timeoutMs` (0: not at all) for input, then handles everything queued and repaints
// dirty dialogs. Returns the number of events handled.
int plat_DialogProcessEvents(int timeoutMs);
void plat_PostQuit(int code);
bool plat_QuitPosted(int* code);

// The values of mouse-button and key events.
enum PlatMouseButton : int { kPlatMouseLeft = 1, kPlatMouseRight = 3 };
enum PlatKey : int { kPlatKeyEnter = 1, kPlatKeyEscape = 2 };
