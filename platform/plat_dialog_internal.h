// Dialog toolkit: the records behind the handles and the back-end function table.
#pragma once
#include <string>
#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_dialog.h"

struct PlatControl {
  PlatDialog* dialog = nullptr;
  PlatControlKind kind = kPlatControlButton;
  int id = 0;
  uint32_t style = 0;
  PlatRect rect;
  std::string text;
  bool visible = false;
  bool pressed = false;  // a button drawn pushed in: captured with the pointer inside
  bool enabled = true;
  bool checked = false;  // radio buttons
  PlatFont* font = nullptr;
  // Edit controls.
  std::string display;  // the text made displayable, line ends kept
  std::vector<PlatTextLine> lines;
  bool linesValid = false;
  int topLine = 0;
  int thumbGrab = 0;  // pointer offset into the thumb while it is dragged
  // Combo boxes.
  struct ComboItem {
    std::string text;
    intptr_t data = 0;
  };
  std::vector<ComboItem> items;
  int curSel = -1;
  bool dropped = false;
  int listTop = 0;  // first item shown in the open list
};

// What a kind of control does: how it draws, where it takes the pointer, what a press does.
struct PlatControlClass {
  void (*draw)(PlatCanvas* canvas, PlatControl* control);
  // The area that takes the pointer (it can differ from the control's rectangle).
  PlatRect (*hitRect)(const PlatControl* control);
  // A left press inside hitRect of an enabled control. True when the control wants the press
  // captured as a button press (a release inside then clicks it).
  bool (*mouseDown)(PlatControl* control, int x, int y);
  // A completed click, before the command is sent (null: nothing more).
  void (*clicked)(PlatControl* control);
  // Wheel notches over the control; false when it does not scroll.
  bool (*wheel)(PlatControl* control, int notches);
};

const PlatControlClass* plat_ControlClassOf(PlatControlKind kind);
const PlatControlClass* plat_StaticClass();
const PlatControlClass* plat_RadioClass();
const PlatControlClass* plat_ComboClass();
// Closes every open combo list of the dialog but `keep`.
void plat_ComboCloseOthers(PlatDialog* dialog, const PlatControl* keep);
// Marks the dialog for repainting; sends a command as a click of the control does.
void plat_DialogMarkDirty(PlatDialog* dialog);
void plat_DialogSendCommand(PlatDialog* dialog, int id, PlatControl* control, int notifyCode);

enum PlatCaptureMode : int {
  kCaptureNone = 0,
  kCaptureButton = 1,
  kCaptureThumb = 2,
};

struct PlatDialog {
  PlatDialogProc proc = nullptr;
  void* user = nullptr;
  PlatDialog* owner = nullptr;
  PlatWindow ownerWindow = nullptr;  // a program window that owns it (a dialog owner is `owner`)
  uint32_t style = 0;
  std::string caption;
  PlatRect outer;
  int clientWidth = 0;
  int clientHeight = 0;
  PlatCanvas canvas;
  std::vector<PlatControl*> controls;  // creation order; the first is on top
  PlatFont* font = nullptr;
  bool ownsFont = false;
  bool visible = false;
  bool dirty = true;
  bool modal = false;
  bool ended = false;
  int result = 0;
  PlatControl* capture = nullptr;
  PlatCaptureMode captureMode = kCaptureNone;
  void* window = nullptr;  // the real back end's window
};

enum PlatRawKind : int {
  kRawNone = 0,
  kRawMouseDown,
  kRawMouseUp,
  kRawMouseMove,
  kRawWheel,
  kRawKey,
  kRawClose,
  kRawExpose,
  kRawFocus,  // the window manager gave the window the keyboard
  kRawQuit,   // the system asks the program to end (a terminate signal): no target
};

struct PlatRawEvent {
  PlatRawKind kind = kRawNone;
  PlatDialog* target = nullptr;  // null: the topmost dialog, unless `window` is set
  // A program window's press, key or focus (no target): what it means for a modal dialog it owns.
  PlatWindow window = nullptr;
  int x = 0;
  int y = 0;
  int value = 0;  // mouse button, wheel notches or key (0: a key the toolkit has no use for)
};

struct PlatDialogBackendOps {
  bool headless;
  void (*screenSize)(int* width, int* height);
  bool (*windowOpen)(PlatDialog* dialog);
  void (*windowClose)(PlatDialog* dialog);
  void (*windowPlace)(PlatDialog* dialog);  // outer rectangle and client size changed
  void (*windowCaption)(PlatDialog* dialog);
  void (*windowShow)(PlatDialog* dialog);   // visibility changed
  void (*windowActivate)(PlatDialog* dialog);  // raise it and give it the keyboard
  void (*present)(PlatDialog* dialog);
  // One event within the timeout (0: only what is queued). False when none came.
  bool (*nextEvent)(int timeoutMs, PlatRawEvent* event);
  void (*discardEvents)();
};

const PlatDialogBackendOps* plat_DialogBackendOps(PlatBackend backend);
// The live dialog the real back end's window belongs to (null when gone).
PlatDialog* plat_DialogFromWindow(void* window);
