#include "platform/plat_dialog.h"

#include <algorithm>
#include <cstdint>

#include "platform/plat_dialog_internal.h"
#include "platform/plat_internal.h"
#include "platform/plat_window.h"

namespace {

constexpr int kModalWaitMs = 250;
constexpr int kWheelLines = 3;
constexpr int kEditMargin = 2;
constexpr int kMinThumb = 8;

const PlatDialogBackendOps* gOps = nullptr;
std::vector<PlatDialog*> gDialogs;      // live, in creation order
std::vector<PlatDialog*> gModalStack;   // running modal dialogs, innermost last
std::vector<PlatDialog*> gGraveyard;    // destroyed while a procedure was running
int gDispatchDepth = 0;
bool gQuitPosted = false;
int gQuitCode = 0;

const PlatDialogBackendOps* Ops() {
  if (!gOps) gOps = plat_DialogBackendOps(plat_CurrentBackend());
  return gOps;
}

bool IsLive(const PlatDialog* dialog) {
  return dialog && std::find(gDialogs.begin(), gDialogs.end(), dialog) != gDialogs.end();
}

void FreeDialog(PlatDialog* dialog) {
  for (PlatControl* control : dialog->controls) delete control;
  if (dialog->ownsFont) plat_FontDestroy(dialog->font);
  delete dialog;
}

void FreeGraveyard() {
  if (gDispatchDepth > 0) return;
  for (PlatDialog* dialog : gGraveyard) FreeDialog(dialog);
  gGraveyard.clear();
}

bool Send(PlatDialog* dialog, const PlatDialogMessage& message) {
  if (!dialog->proc) return false;
  ++gDispatchDepth;
  bool handled = dialog->proc(dialog, &message, dialog->user);
  --gDispatchDepth;
  return handled;
}

void SendCommand(PlatDialog* dialog, int id, PlatControl* control) {
  plat_DialogSendCommand(dialog, id, control, kPlatNotifyClicked);
}

int MulDivRound(int value, int numerator, int denominator) {
  int64_t product = int64_t{value} * numerator;
  int64_t half = denominator / 2;
  int64_t q = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
  return static_cast<int>(q);
}

int CaptionHeight(const PlatDialog* dialog) {
  return (dialog->style & kPlatWsCaption) == kPlatWsCaption ? kPlatCaptionHeight : 0;
}

void SetClientFromOuter(PlatDialog* dialog) {
  dialog->clientWidth = std::max(0, dialog->outer.w - 2 * kPlatFrameWidth);
  dialog->clientHeight = std::max(0, dialog->outer.h - 2 * kPlatFrameWidth - CaptionHeight(dialog));
}

void MarkDirty(PlatDialog* dialog) {
  if (dialog) dialog->dirty = true;
}

// ---- edit controls -------------------------------------------------------------------------

PlatRect EditInterior(const PlatControl* edit) {
  PlatRect r = edit->rect;
  if (edit->style & kPlatWsBorder) r = PlatRect{r.x + 2, r.y + 2, r.w - 4, r.h - 4};
  return r;
}

PlatRect EditScrollBar(const PlatControl* edit) {
  PlatRect in = EditInterior(edit);
  if (!(edit->style & kPlatWsVScroll)) return PlatRect{in.x + in.w, in.y, 0, in.h};
  return PlatRect{in.x + in.w - kPlatScrollBarWidth, in.y, kPlatScrollBarWidth, in.h};
}

PlatRect EditTextArea(const PlatControl* edit) {
  PlatRect in = EditInterior(edit);
  PlatRect bar = EditScrollBar(edit);
  return PlatRect{in.x + kEditMargin, in.y + 1, bar.x - in.x - 2 * kEditMargin, in.h - 2};
}

int MeasureControlText(const char* text, size_t length, void* user) {
  return plat_FontTextWidth(static_cast<const PlatFont*>(user), text, length);
}

void EditLayout(PlatControl* edit) {
  if (edit->linesValid) return;
  PlatRect area = EditTextArea(edit);
  plat_WrapText(edit->display.data(), edit->display.size(), std::max(area.w, 1),
                MeasureControlText, edit->font, &edit->lines);
  edit->linesValid = true;
}

int EditLineHeight(const PlatControl* edit) { return std::max(1, plat_FontHeight(edit->font)); }

int EditVisible(const PlatControl* edit) {
  return std::max(1, EditTextArea(edit).h / EditLineHeight(edit));
}

int EditMaxTop(PlatControl* edit) {
  EditLayout(edit);
  return std::max(0, static_cast<int>(edit->lines.size()) - EditVisible(edit));
}

void EditSetTop(PlatControl* edit, int top) {
  int clamped = std::clamp(top, 0, EditMaxTop(edit));
  if (clamped != edit->topLine) {
    edit->topLine = clamped;
    MarkDirty(edit->dialog);
  }
}

struct ScrollGeometry {
  PlatRect up, down, track, thumb;
  bool scrollable = false;
};

ScrollGeometry EditScrollGeometry(PlatControl* edit) {
  ScrollGeometry g;
  PlatRect bar = EditScrollBar(edit);
  int arrow = std::min(kPlatScrollBarWidth, bar.h / 2);
  g.up = PlatRect{bar.x, bar.y, bar.w, arrow};
  g.down = PlatRect{bar.x, bar.y + bar.h - arrow, bar.w, arrow};
  g.track = PlatRect{bar.x, bar.y + arrow, bar.w, bar.h - 2 * arrow};
  EditLayout(edit);
  const int total = static_cast<int>(edit->lines.size());
  const int visible = EditVisible(edit);
  g.scrollable = total > visible && g.track.h > 0;
  if (g.scrollable) {
    int len = std::max(std::min(kMinThumb, g.track.h), static_cast<int>(int64_t{g.track.h} * visible / total));
    int room = g.track.h - len;
    int maxTop = total - visible;
    int pos = static_cast<int>(int64_t{room} * edit->topLine / maxTop);
    g.thumb = PlatRect{g.track.x, g.track.y + pos, g.track.w, len};
  }
  return g;
}

void EditThumbDrag(PlatControl* edit, int y) {
  ScrollGeometry g = EditScrollGeometry(edit);
  if (!g.scrollable) return;
  int room = g.track.h - g.thumb.h;
  if (room <= 0) return;
  int offset = std::clamp(y - edit->thumbGrab - g.track.y, 0, room);
  int maxTop = EditMaxTop(edit);
  EditSetTop(edit, static_cast<int>((int64_t{offset} * maxTop + room / 2) / room));
}

// ---- painting --------------------------------------------------------------------------------

void DrawArrow(PlatCanvas* canvas, PlatRect box, bool up, uint32_t colour) {
  // A filled triangle, 7 pixels at its base.
  int cx = box.x + box.w / 2;
  int cy = box.y + box.h / 2 - 2;
  for (int i = 0; i < 4; ++i) {
    int row = up ? cy + i : cy + 3 - i;
    plat_CanvasFillRect(canvas, PlatRect{cx - i, row, 2 * i + 1, 1}, colour);
  }
}

void DrawRaised(PlatCanvas* canvas, PlatRect r) {
  plat_CanvasFillRect(canvas, r, kPlatColourFace);
  plat_CanvasEdge(canvas, r, kPlatColourLight, kPlatColourDarkShadow);
  plat_CanvasEdge(canvas, PlatRect{r.x + 1, r.y + 1, r.w - 2, r.h - 2}, kPlatColourHighlight,
                  kPlatColourShadow);
}

void DrawButton(PlatCanvas* canvas, const PlatControl* button) {
  PlatRect r = button->rect;
  const bool isDefault = (button->style & 0x0F) == kPlatBsDefPushButton;
  int shift = 0;
  if (isDefault) {
    plat_CanvasFrameRect(canvas, r, kPlatColourDarkShadow);
    r = PlatRect{r.x + 1, r.y + 1, r.w - 2, r.h - 2};
  }
  if (button->pressed && isDefault) {
    plat_CanvasFillRect(canvas, r, kPlatColourFace);
    plat_CanvasFrameRect(canvas, r, kPlatColourShadow);
    shift = 1;
  } else if (button->pressed) {
    plat_CanvasFillRect(canvas, r, kPlatColourFace);
    plat_CanvasEdge(canvas, r, kPlatColourDarkShadow, kPlatColourHighlight);
    plat_CanvasEdge(canvas, PlatRect{r.x + 1, r.y + 1, r.w - 2, r.h - 2}, kPlatColourShadow,
                    kPlatColourLight);
    shift = 1;
  } else {
    plat_CanvasFillRect(canvas, r, kPlatColourFace);
    plat_CanvasEdge(canvas, r, kPlatColourHighlight, kPlatColourDarkShadow);
    plat_CanvasEdge(canvas, PlatRect{r.x + 1, r.y + 1, r.w - 2, r.h - 2}, kPlatColourLight,
                    kPlatColourShadow);
  }
  PlatRect inside{r.x + 2 + shift, r.y + 2 + shift, r.w - 4, r.h - 4};
  std::string caption = plat_TextForDisplay(button->text.data(), button->text.size());
  // One line: line breaks in a caption show as blanks.
  std::replace(caption.begin(), caption.end(), '\r', ' ');
  std::replace(caption.begin(), caption.end(), '\n', ' ');
  PlatRect clip = plat_RectIntersect(inside, PlatRect{r.x + 2, r.y + 2, r.w - 4, r.h - 4});
  int w = plat_FontTextWidth(button->font, caption.data(), caption.size());
  int x = inside.x + (inside.w - w) / 2;
  int y = inside.y + (inside.h - plat_FontHeight(button->font)) / 2;
  plat_DrawTextLine(canvas, button->font, caption.data(), caption.size(), x, y, clip,
                    kPlatColourText);
}

void DrawEdit(PlatCanvas* canvas, PlatControl* edit) {
  PlatRect r = edit->rect;
  if (edit->style & kPlatWsBorder) {
    plat_CanvasEdge(canvas, r, kPlatColourShadow, kPlatColourHighlight);
    plat_CanvasEdge(canvas, PlatRect{r.x + 1, r.y + 1, r.w - 2, r.h - 2}, kPlatColourDarkShadow,
                    kPlatColourLight);
  }
  PlatRect in = EditInterior(edit);
  const uint32_t background = (edit->style & kPlatEsReadOnly) ? kPlatColourFace : kPlatColourWindow;
  plat_CanvasFillRect(canvas, in, background);

  EditLayout(edit);
  PlatRect area = EditTextArea(edit);
  const int step = EditLineHeight(edit);
  PlatRect clip = plat_RectIntersect(area, in);
  for (size_t i = static_cast<size_t>(edit->topLine); i < edit->lines.size(); ++i) {
    int y = area.y + static_cast<int>(i - static_cast<size_t>(edit->topLine)) * step;
    if (y >= area.y + area.h) break;
    const PlatTextLine& line = edit->lines[i];
    plat_DrawTextLine(canvas, edit->font, edit->display.data() + line.start, line.length, area.x, y,
                      clip, kPlatColourText);
  }

  if (edit->style & kPlatWsVScroll) {
    ScrollGeometry g = EditScrollGeometry(edit);
    plat_CanvasFillRect(canvas, g.track, kPlatColourLight);
    const uint32_t arrow = g.scrollable ? kPlatColourText : kPlatColourShadow;
    DrawRaised(canvas, g.up);
    DrawArrow(canvas, g.up, true, arrow);
    DrawRaised(canvas, g.down);
    DrawArrow(canvas, g.down, false, arrow);
    if (g.scrollable) DrawRaised(canvas, g.thumb);
  }
}

// ---- control classes -------------------------------------------------------------------------

PlatRect WholeRect(const PlatControl* control) { return control->rect; }

bool NoWheel(PlatControl*, int) { return false; }

bool ButtonMouseDown(PlatControl*, int, int) { return true; }

bool EditMouseDown(PlatControl* edit, int x, int y) {
  if (!(edit->style & kPlatWsVScroll)) return false;
  ScrollGeometry g = EditScrollGeometry(edit);
  if (plat_RectContains(g.up, x, y)) {
    EditSetTop(edit, edit->topLine - 1);
  } else if (plat_RectContains(g.down, x, y)) {
    EditSetTop(edit, edit->topLine + 1);
  } else if (g.scrollable && plat_RectContains(g.thumb, x, y)) {
    edit->thumbGrab = y - g.thumb.y;
    edit->dialog->capture = edit;
    edit->dialog->captureMode = kCaptureThumb;
  } else if (g.scrollable && plat_RectContains(g.track, x, y)) {
    const int page = EditVisible(edit);
    EditSetTop(edit, y < g.thumb.y ? edit->topLine - page : edit->topLine + page);
  }
  return false;
}

bool EditWheel(PlatControl* edit, int notches) {
  EditSetTop(edit, edit->topLine - notches * kWheelLines);
  return true;
}

void DrawButtonControl(PlatCanvas* canvas, PlatControl* button) { DrawButton(canvas, button); }

constexpr PlatControlClass kButtonClass{DrawButtonControl, WholeRect, ButtonMouseDown, nullptr,
                                        NoWheel};
constexpr PlatControlClass kEditClass{DrawEdit, WholeRect, EditMouseDown, nullptr, EditWheel};

// Open combo lists stand above every other control.
bool Raised(const PlatControl* control) { return control->dropped; }

void Paint(PlatDialog* dialog) {
  if (dialog->canvas.width != dialog->clientWidth || dialog->canvas.height != dialog->clientHeight)
    plat_CanvasResize(&dialog->canvas, dialog->clientWidth, dialog->clientHeight, kPlatColourFace);
  plat_CanvasFillRect(&dialog->canvas, PlatRect{0, 0, dialog->clientWidth, dialog->clientHeight},
                      kPlatColourFace);
  dialog->dirty = false;
  PlatDialogMessage message;
  message.kind = kPlatDlgPaint;
  message.canvas = &dialog->canvas;
  Send(dialog, message);
  if (!IsLive(dialog)) return;  // the procedure destroyed it
  // Controls on top; the first made is the topmost, so it is drawn last.
  for (bool raised : {false, true})
    for (auto it = dialog->controls.rbegin(); it != dialog->controls.rend(); ++it) {
      PlatControl* control = *it;
      if (control->visible && Raised(control) == raised)
        plat_ControlClassOf(control->kind)->draw(&dialog->canvas, control);
    }
  Ops()->present(dialog);
}

void RepaintDirty() {
  // A procedure may make or destroy dialogs while painting: walk a copy.
  std::vector<PlatDialog*> dialogs = gDialogs;
  for (PlatDialog* dialog : dialogs)
    if (IsLive(dialog) && dialog->visible && dialog->dirty) Paint(dialog);
}

// ---- input ------------------------------------------------------------------------------------

PlatDialog* Topmost() {
  if (!gModalStack.empty()) return gModalStack.back();
  for (auto it = gDialogs.rbegin(); it != gDialogs.rend(); ++it)
    if ((*it)->visible) return *it;
  return nullptr;
}

PlatControl* HitTest(PlatDialog* dialog, int x, int y) {
  for (bool raised : {true, false})
    for (PlatControl* control : dialog->controls)
      if (control->visible && Raised(control) == raised &&
          plat_RectContains(plat_ControlClassOf(control->kind)->hitRect(control), x, y))
        return control;
  return nullptr;
}

void ReleaseCapture(PlatDialog* dialog) {
  if (dialog->capture && dialog->capture->pressed) {
    dialog->capture->pressed = false;
    MarkDirty(dialog);
  }
  dialog->capture = nullptr;
  dialog->captureMode = kCaptureNone;
}

void MouseDown(PlatDialog* dialog, int x, int y) {
  PlatControl* control = HitTest(dialog, x, y);
  plat_ComboCloseOthers(dialog, control);
  if (!control || !control->enabled) return;
  if (plat_ControlClassOf(control->kind)->mouseDown(control, x, y)) {
    dialog->capture = control;
    dialog->captureMode = kCaptureButton;
    control->pressed = true;
    MarkDirty(dialog);
  }
}

void MouseMove(PlatDialog* dialog, int x, int y) {
  PlatControl* control = dialog->capture;
  if (!control) return;
  if (dialog->captureMode == kCaptureButton) {
    bool inside = control->visible && plat_RectContains(control->rect, x, y);
    if (inside != control->pressed) {
      control->pressed = inside;
      MarkDirty(dialog);
    }
  } else if (dialog->captureMode == kCaptureThumb) {
    EditThumbDrag(control, y);
  }
}

void MouseUp(PlatDialog* dialog, int x, int y) {
  PlatControl* control = dialog->capture;
  PlatCaptureMode mode = dialog->captureMode;
  if (!control) return;
  if (mode == kCaptureThumb) EditThumbDrag(control, y);
  bool click = mode == kCaptureButton && control->visible && control->enabled &&
               plat_RectContains(control->rect, x, y);
  ReleaseCapture(dialog);
  if (!click) return;
  if (auto clicked = plat_ControlClassOf(control->kind)->clicked) clicked(control);
  SendCommand(dialog, control->id, control);
}

void Wheel(PlatDialog* dialog, int x, int y, int notches) {
  // The control under the pointer, else the first that scrolls.
  PlatControl* target = HitTest(dialog, x, y);
  if (target && plat_ControlClassOf(target->kind)->wheel(target, notches)) return;
  for (PlatControl* control : dialog->controls)
    if (control->visible && !Raised(control) &&
        plat_ControlClassOf(control->kind)->wheel(control, notches))
      return;
}

void Key(PlatDialog* dialog, int key) {
  if (!dialog->modal) return;  // modeless dialogs have no dialog keyboard handling
  if (key == kPlatKeyEscape) {
    SendCommand(dialog, kPlatIdCancel, nullptr);
  } else if (key == kPlatKeyEnter) {
    for (PlatControl* control : dialog->controls)
      if (control->visible && control->kind == kPlatControlButton &&
          (control->style & 0x0F) == kPlatBsDefPushButton) {
        SendCommand(dialog, control->id, control);
        return;
      }
    SendCommand(dialog, kPlatIdOk, nullptr);
  }
}

void Close(PlatDialog* dialog) {
  PlatDialogMessage message;
  message.kind = kPlatDlgClose;
  if (!Send(dialog, message) && IsLive(dialog)) SendCommand(dialog, kPlatIdCancel, nullptr);
}

// Whether the event's window stands under the dialog through its owners: the dialog's owner, its
// owner's owner, and so on to the program window at the root.
bool OwnsThroughChain(const PlatDialog* dialog, const PlatRawEvent& event) {
  for (const PlatDialog* d = dialog; d; d = d->owner) {
    if (event.target ? d->owner == event.target : event.window && d->ownerWindow == event.window)
      return true;
  }
  return false;
}

// A press, a key or the keyboard's focus on an owner of the running modal dialog: the owner is
// disabled while the dialog runs, so the dialog comes back to the front and takes the keyboard
// (a window manager gives both to whatever window was clicked).
bool ActivatesModal(const PlatRawEvent& event) {
  if (gModalStack.empty()) return false;
  if (event.kind != kRawMouseDown && event.kind != kRawKey && event.kind != kRawFocus) return false;
  PlatDialog* modal = gModalStack.back();
  if (!modal->visible || !OwnsThroughChain(modal, event)) return false;
  Ops()->windowActivate(modal);
  return true;
}

void Handle(const PlatRawEvent& event) {
  if (event.kind == kRawQuit) {
    plat_EventQuitRequest();  // the program as a whole is asked to end, too
    plat_PostQuit(0);
    return;
  }
  if (ActivatesModal(event)) return;
  if (!event.target && event.window) return;  // a program window's input is not the toolkit's
  PlatDialog* dialog = event.target ? event.target : Topmost();
  if (!IsLive(dialog)) return;
  if (event.kind == kRawExpose) {
    MarkDirty(dialog);
    return;
  }
  // While a modal dialog runs, the others get no input.
  if (!gModalStack.empty() && dialog != gModalStack.back()) return;
  if (!dialog->visible) return;
  switch (event.kind) {
    case kRawMouseDown:
      if (event.value == kPlatMouseLeft) MouseDown(dialog, event.x, event.y);
      break;
    case kRawMouseMove:
      MouseMove(dialog, event.x, event.y);
      break;
    case kRawMouseUp:
      if (event.value == kPlatMouseLeft) MouseUp(dialog, event.x, event.y);
      break;
    case kRawWheel:
      Wheel(dialog, event.x, event.y, event.value);
      break;
    case kRawKey:
      Key(dialog, event.value);
      break;
    case kRawClose:
      Close(dialog);
      break;
    default:
      break;
  }
}

PlatControl* MakeControl(PlatDialog* parent, PlatControlKind kind, const char* text,
                         uint32_t style, PlatRect rect, int id, PlatFont* font) {
  if (!IsLive(parent) || !plat_ControlClassOf(kind)) return nullptr;
  if (rect.w < 0 || rect.h < 0) return nullptr;
  auto* control = new PlatControl;
  control->dialog = parent;
  control->kind = kind;
  control->id = id;
  control->style = style;
  control->rect = rect;
  control->visible = (style & kPlatWsVisible) != 0;
  control->enabled = (style & kPlatWsDisabled) == 0;
  control->font = font;
  parent->controls.push_back(control);
  plat_ControlSetText(control, text);
  MarkDirty(parent);
  return control;
}

PlatDialog* MakeDialog(const PlatDialogTemplate* tmpl, PlatDialog* owner, PlatWindow ownerWindow,
                       PlatDialogProc proc, void* user, bool modal) {
  if (!tmpl) return nullptr;
  auto* dialog = new PlatDialog;
  dialog->proc = proc;
  dialog->user = user;
  dialog->owner = IsLive(owner) ? owner : nullptr;
  dialog->ownerWindow = plat_IsWindow(ownerWindow) ? ownerWindow : nullptr;
  dialog->style = tmpl->style;
  dialog->caption = tmpl->caption ? tmpl->caption : "";
  dialog->modal = modal;
  // The template's font: its point size at 96 dots per inch as a character height.
  int height = -MulDivRound(tmpl->fontPoints > 0 ? tmpl->fontPoints : 8, 96, 72);
  dialog->font = plat_FontCreate(tmpl->fontFace, height, 400);
  dialog->ownsFont = dialog->font != nullptr;
  if (!dialog->font) dialog->font = plat_FontDialog();

  PlatRect client = plat_DialogUnitsToPixels(PlatRect{tmpl->x, tmpl->y, tmpl->cx, tmpl->cy});
  const int captionHeight = (tmpl->style & kPlatWsCaption) == kPlatWsCaption ? kPlatCaptionHeight : 0;
  int outerW = std::max(0, client.w) + 2 * kPlatFrameWidth;
  int outerH = std::max(0, client.h) + 2 * kPlatFrameWidth + captionHeight;
  int x = client.x, y = client.y;
  if (tmpl->style & kPlatDsCenter) {
    int sw = 0, sh = 0;
    Ops()->screenSize(&sw, &sh);
    x = (sw - outerW) / 2;
    y = (sh - outerH) / 2;
  }
  dialog->outer = PlatRect{x, y, outerW, outerH};
  SetClientFromOuter(dialog);
  plat_CanvasResize(&dialog->canvas, dialog->clientWidth, dialog->clientHeight, kPlatColourFace);

  if (!Ops()->windowOpen(dialog)) {
    FreeDialog(dialog);
    return nullptr;
  }
  gDialogs.push_back(dialog);

  for (int i = 0; tmpl->items && i < tmpl->itemCount; ++i) {
    const PlatDialogItemTemplate& item = tmpl->items[i];
    PlatRect r = plat_DialogUnitsToPixels(PlatRect{item.x, item.y, item.cx, item.cy});
    MakeControl(dialog, item.kind, item.text, item.style, r, item.id, dialog->font);
  }
  PlatDialogMessage init;
  init.kind = kPlatDlgInitDialog;
  Send(dialog, init);
  if (!IsLive(dialog)) return nullptr;  // the procedure destroyed it
  if (modal || (tmpl->style & kPlatWsVisible)) plat_DialogShow(dialog, true);
  return dialog;
}

int RunModal(const PlatDialogTemplate* tmpl, PlatDialog* owner, PlatWindow ownerWindow,
             PlatDialogProc proc, void* user) {
  PlatDialog* dialog = MakeDialog(tmpl, owner, ownerWindow, proc, user, true);
  if (!dialog) return kPlatDialogFailed;
  if (dialog->ended) {  // ended during its initialisation
    int result = dialog->result;
    plat_DialogDestroy(dialog);
    return result;
  }
  gModalStack.push_back(dialog);
  PlatDialog* const ownerDialog = dialog->owner;
  // The owner keeps what it has pressed no longer.
  if (ownerDialog) ReleaseCapture(ownerDialog);
  // A request to end the program that a window's pump took before the dialog opened ends it too.
  while (IsLive(dialog) && !dialog->ended && !gQuitPosted && !plat_QuitRequested()) {
    int handled = plat_DialogProcessEvents(kModalWaitMs);
    // A headless queue that stays empty would never end the dialog.
    if (handled == 0 && Ops()->headless && IsLive(dialog) && !dialog->ended) break;
  }
  // Destroyed from its own procedure, or left without an answer: no answer.
  int result = IsLive(dialog) && dialog->ended ? dialog->result : kPlatDialogFailed;
  gModalStack.erase(std::remove(gModalStack.begin(), gModalStack.end(), dialog), gModalStack.end());
  plat_DialogDestroy(dialog);
  if (IsLive(ownerDialog)) MarkDirty(ownerDialog);
  return result;
}

}  // namespace

const PlatControlClass* plat_ControlClassOf(PlatControlKind kind) {
  switch (kind) {
    case kPlatControlButton:
      return &kButtonClass;
    case kPlatControlEdit:
      return &kEditClass;
    case kPlatControlStatic:
      return plat_StaticClass();
    case kPlatControlRadio:
      return plat_RadioClass();
    case kPlatControlCombo:
      return plat_ComboClass();
  }
  return nullptr;
}

void plat_DialogMarkDirty(PlatDialog* dialog) { MarkDirty(dialog); }

PlatDialog* plat_TestTopDialog() { return Topmost(); }

void plat_DialogSendCommand(PlatDialog* dialog, int id, PlatControl* control, int notifyCode) {
  PlatDialogMessage message;
  message.kind = kPlatDlgCommand;
  message.controlId = id;
  message.control = control;
  message.notifyCode = notifyCode;
  Send(dialog, message);
}

void plat_DialogSelectBackend(PlatBackend backend) {
  const PlatDialogBackendOps* ops = plat_DialogBackendOps(backend);
  if (ops == gOps) return;
  // Dialogs belong to the back end that made them.
  if (gOps) plat_DialogShutdownAll();
  gOps = ops;
}

PlatDialog* plat_DialogFromWindow(void* window) {
  if (!window) return nullptr;
  for (PlatDialog* dialog : gDialogs)
    if (dialog->window == window) return dialog;
  return nullptr;
}

PlatRect plat_DialogUnitsToPixels(PlatRect units) {
  return PlatRect{MulDivRound(units.x, 6, 4), MulDivRound(units.y, 13, 8),
                  MulDivRound(units.w, 6, 4), MulDivRound(units.h, 13, 8)};
}

void plat_ScreenSize(int* width, int* height) {
  int w = 0, h = 0;
  Ops()->screenSize(&w, &h);
  if (width) *width = w;
  if (height) *height = h;
}

PlatDialog* plat_DialogCreate(const PlatDialogTemplate* tmpl, PlatDialog* owner,
                              PlatDialogProc proc, void* user) {
  return MakeDialog(tmpl, owner, nullptr, proc, user, false);
}

int plat_DialogRunModal(const PlatDialogTemplate* tmpl, PlatDialog* owner, PlatDialogProc proc,
                        void* user) {
  return RunModal(tmpl, owner, nullptr, proc, user);
}

int plat_DialogRunModalForWindow(const PlatDialogTemplate* tmpl, PlatWindow owner, PlatDialogProc proc,
                                 void* user) {
  return RunModal(tmpl, nullptr, owner, proc, user);
}

void plat_DialogEnd(PlatDialog* dialog, int result) {
  if (!IsLive(dialog)) return;
  dialog->ended = true;
  dialog->result = result;
  if (!dialog->modal) plat_DialogShow(dialog, false);
}

void plat_DialogDestroy(PlatDialog* dialog) {
  if (!IsLive(dialog)) return;
  gDialogs.erase(std::remove(gDialogs.begin(), gDialogs.end(), dialog), gDialogs.end());
  gModalStack.erase(std::remove(gModalStack.begin(), gModalStack.end(), dialog), gModalStack.end());
  for (PlatDialog* other : gDialogs)
    if (other->owner == dialog) other->owner = nullptr;
  Ops()->windowClose(dialog);
  dialog->window = nullptr;
  gGraveyard.push_back(dialog);
  FreeGraveyard();
}

void plat_DialogShutdownAll() {
  while (!gDialogs.empty()) plat_DialogDestroy(gDialogs.back());
  gModalStack.clear();
  if (gOps) gOps->discardEvents();
  gQuitPosted = false;
  gQuitCode = 0;
}

void plat_DialogSetCaption(PlatDialog* dialog, const char* caption) {
  if (!IsLive(dialog)) return;
  dialog->caption = caption ? caption : "";
  Ops()->windowCaption(dialog);
}

const char* plat_DialogCaption(const PlatDialog* dialog) {
  return IsLive(dialog) ? dialog->caption.c_str() : "";
}

void plat_DialogShow(PlatDialog* dialog, bool show) {
  if (!IsLive(dialog) || dialog->visible == show) return;
  dialog->visible = show;
  if (!show) ReleaseCapture(dialog);
  MarkDirty(dialog);
  Ops()->windowShow(dialog);
}

bool plat_DialogVisible(const PlatDialog* dialog) { return IsLive(dialog) && dialog->visible; }

void plat_DialogSetOuterRect(PlatDialog* dialog, int x, int y, int width, int height) {
  if (!IsLive(dialog)) return;
  dialog->outer = PlatRect{x, y, std::max(0, width), std::max(0, height)};
  SetClientFromOuter(dialog);
  for (PlatControl* control : dialog->controls) control->linesValid = false;
  MarkDirty(dialog);
  Ops()->windowPlace(dialog);
}

PlatRect plat_DialogOuterRect(const PlatDialog* dialog) {
  return IsLive(dialog) ? dialog->outer : PlatRect{};
}

void plat_DialogClientSize(const PlatDialog* dialog, int* width, int* height) {
  bool live = IsLive(dialog);
  if (width) *width = live ? dialog->clientWidth : 0;
  if (height) *height = live ? dialog->clientHeight : 0;
}

PlatFont* plat_DialogFont(const PlatDialog* dialog) {
  return IsLive(dialog) ? dialog->font : nullptr;
}

PlatControl* plat_DialogItem(const PlatDialog* dialog, int id) {
  if (!IsLive(dialog)) return nullptr;
  for (PlatControl* control : dialog->controls)
    if (control->id == id) return control;
  return nullptr;
}

void plat_DialogInvalidate(PlatDialog* dialog) {
  if (IsLive(dialog)) MarkDirty(dialog);
}

void plat_DialogUpdate(PlatDialog* dialog) {
  if (IsLive(dialog) && dialog->visible && dialog->dirty) Paint(dialog);
  FreeGraveyard();
}

const PlatCanvas* plat_DialogCanvas(const PlatDialog* dialog) {
  return IsLive(dialog) ? &dialog->canvas : nullptr;
}

PlatControl* plat_ControlCreate(PlatDialog* parent, PlatControlKind kind, const char* text,
                                uint32_t style, int x, int y, int width, int height, int id) {
  return MakeControl(parent, kind, text, style, PlatRect{x, y, width, height}, id,
                     plat_FontSystem());
}

void plat_ControlSetText(PlatControl* control, const char* text) {
  if (!control) return;
  control->text = text ? text : "";
  if (control->kind == kPlatControlEdit) {
    control->display = plat_TextForDisplay(control->text.data(), control->text.size());
    control->linesValid = false;
    control->topLine = 0;
  }
  MarkDirty(control->dialog);
}

const char* plat_ControlText(const PlatControl* control) {
  return control ? control->text.c_str() : "";
}

void plat_ControlShow(PlatControl* control, bool show) {
  if (!control || control->visible == show) return;
  control->visible = show;
  if (!show) control->dropped = false;
  if (!show && control->dialog->capture == control) ReleaseCapture(control->dialog);
  MarkDirty(control->dialog);
}

void plat_ControlEnable(PlatControl* control, bool enable) {
  if (!control || control->enabled == enable) return;
  control->enabled = enable;
  if (!enable) control->dropped = false;
  if (!enable && control->dialog->capture == control) ReleaseCapture(control->dialog);
  MarkDirty(control->dialog);
}

bool plat_ControlEnabled(const PlatControl* control) { return control && control->enabled; }

bool plat_ControlVisible(const PlatControl* control) { return control && control->visible; }
PlatRect plat_ControlRect(const PlatControl* control) { return control ? control->rect : PlatRect{}; }
int plat_ControlId(const PlatControl* control) { return control ? control->id : 0; }
bool plat_ControlPressed(const PlatControl* control) { return control && control->pressed; }

void plat_ControlSetFont(PlatControl* control, PlatFont* font) {
  if (!control) return;
  control->font = font;
  control->linesValid = false;
  MarkDirty(control->dialog);
}

int plat_EditLineCount(const PlatControl* edit) {
  if (!edit || edit->kind != kPlatControlEdit) return 0;
  EditLayout(const_cast<PlatControl*>(edit));
  return static_cast<int>(edit->lines.size());
}

int plat_EditTopLine(const PlatControl* edit) {
  return edit && edit->kind == kPlatControlEdit ? edit->topLine : 0;
}

int plat_EditVisibleLines(const PlatControl* edit) {
  return edit && edit->kind == kPlatControlEdit ? EditVisible(edit) : 0;
}

void plat_EditScrollTo(PlatControl* edit, int topLine) {
  if (edit && edit->kind == kPlatControlEdit) EditSetTop(edit, topLine);
}

int plat_DialogProcessEvents(int timeoutMs) {
  RepaintDirty();
  int handled = 0;
  PlatRawEvent event;
  if (Ops()->nextEvent(std::max(0, timeoutMs), &event)) {
    do {
      if (event.kind != kRawNone) {
        Handle(event);
        ++handled;
      }
    } while (Ops()->nextEvent(0, &event));
  }
  RepaintDirty();
  FreeGraveyard();
  return handled;
}

void plat_PostQuit(int code) {
  gQuitPosted = true;
  gQuitCode = code;
}

bool plat_QuitPosted(int* code) {
  if (gQuitPosted && code) *code = gQuitCode;
  return gQuitPosted;
}
