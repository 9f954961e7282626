#include "launcher/launcher_window.h"

#include <algorithm>
#include <cstring>

#include "launcher/launcher_actions.h"
#include "launcher/launcher_files.h"

const PlatDialogTemplate kLauncherMainTemplate{
    0x90C008D4u, 0, 0, 400, 183, "", "MS Sans Serif", 8, nullptr, 0};

namespace {

constexpr PlatDialogItemTemplate kAgreementItems[] = {
    {kLauncherAgreementAcceptId, kPlatControlButton, "Accept", 0x50010001u, 68, 204, 50, 14},
    {kLauncherAgreementDeclineId, kPlatControlButton, "Decline", 0x50010000u, 134, 204, 50, 14},
    {kLauncherAgreementTextId, kPlatControlEdit, "", 0x50A10804u, 2, 2, 249, 194},
};

// The text block's font is thin, as configured; the face may fall back to another weight.
constexpr int kLauncherTextWeight = 100;

bool SlotHasButton(const LauncherWindow* window, int slot) {
  return slot >= 0 && slot < kLauncherSlotCount && window->buttons[slot].exists &&
         window->buttons[slot].button;
}

// Makes the button of a slot; the slot counts as having one only when it was made.
void PlaceButton(LauncherWindow* window, int slot, const std::string& caption, int x, int y, int w,
                 int h) {
  PlatControl* button = LauncherButtonCreate(window->dialog, caption.c_str(), x, y, w, h);
  window->buttons[slot].button = button;
  window->buttons[slot].exists = button ? 1 : 0;
}

void PlaceDocButton(LauncherWindow* window, int slot, const LauncherDocButton& doc) {
  const LauncherSettings& s = window->state->settings;
  if (doc.enabled)
    PlaceButton(window, slot, doc.caption, doc.x, doc.y, s.buttonWidth, s.buttonHeight);
}

void PaintWindow(const LauncherWindow* window, PlatCanvas* canvas) {
  const LauncherSettings& s = window->state->settings;
  if (s.pictureEnabled && s.hasPicture)
    LauncherBitmapDraw(s.picture, canvas->pixels.data(), canvas->width, canvas->height,
                       canvas->width, 0, 0);
  // The colour value holds red in its low byte.
  uint32_t c = s.textColour;
  uint32_t colour = plat_Rgb(static_cast<int>(c & 255), static_cast<int>((c >> 8) & 255),
                             static_cast<int>((c >> 16) & 255));
  PlatRect rect{s.textRect.left, s.textRect.top, s.textRect.right - s.textRect.left,
                s.textRect.bottom - s.textRect.top};
  plat_DrawTextWrapped(canvas, window->textFont, s.text.data(), s.text.size(), rect, colour);
}

// The action of the slot whose button sent the command; commands from no button are ignored.
void RunCommand(LauncherWindow* window, PlatControl* control) {
  if (!control || window->ending) return;
  for (int slot = 0; slot < kLauncherSlotCount; ++slot) {
    if (!SlotHasButton(window, slot) || window->buttons[slot].button != control) continue;
    LauncherWindowOps ops = LauncherWindowOpsOf(window);
    LauncherActionEnd end = LauncherButtonAction(window->state, slot, &ops);
    if (end == kLauncherExitNow) plat_PostQuit(0);
    if (end != kLauncherStayOpen) window->ending = true;
    return;
  }
}

}  // namespace

const PlatDialogTemplate kLauncherAgreementTemplate{
    0x92CA08D4u, 0, 0, 252, 225, "End User License Agreement", "MS Sans Serif", 8,
    kAgreementItems, static_cast<int>(sizeof(kAgreementItems) / sizeof(kAgreementItems[0]))};

PlatRect LauncherWindowPlacement(int screenWidth, int screenHeight, int width, int height,
                                 int resourceWidth, int resourceHeight) {
  if (width < kLauncherMinWindowSize || height < kLauncherMinWindowSize) {
    width = resourceWidth;
    height = resourceHeight;
  }
  // 64-bit sums: configured sizes may be anything a 32-bit value holds.
  int64_t x = (int64_t{screenWidth} - width) / 2;
  int64_t y = (int64_t{screenHeight} - kLauncherTaskBarAllowance - height) / 2;
  return PlatRect{static_cast<int>(std::max<int64_t>(x, 0)),
                  static_cast<int>(std::max<int64_t>(y, 0)), width, height};
}

PlatControl* LauncherButtonCreate(PlatDialog* parent, const char* caption, int x, int y, int width,
                                  int height) {
  return plat_ControlCreate(parent, kPlatControlButton, caption, kLauncherButtonStyle, x, y, width,
                            height, 0);
}

bool LauncherWindowCreate(LauncherWindow* window, LauncherState* state, int screenWidth,
                          int screenHeight) {
  *window = LauncherWindow{};
  window->state = state;
  const LauncherSettings& s = state->settings;
  window->textFont = plat_FontCreate(s.textFont.c_str(), s.textHeight, kLauncherTextWeight);
  window->dialog = plat_DialogCreate(&kLauncherMainTemplate, nullptr, LauncherDialogProc, window);
  if (!window->dialog) {
    LauncherWindowDestroy(window);
    return false;
  }

  PlaceButton(window, kLauncherSlotExit, "Exit", s.exitX, s.exitY, s.buttonWidth, s.buttonHeight);
  PlaceDocButton(window, kLauncherSlotCatalog, s.catalog);
  PlaceDocButton(window, kLauncherSlotRegistration, s.registration);
  PlaceDocButton(window, kLauncherSlotManual, s.manual);
  const int count = std::min(static_cast<int>(state->products.size()), kLauncherMaxProducts);
  for (int j = 0; j < count; ++j) {
    const LauncherProduct& p = state->products[static_cast<size_t>(j)];
    if (p.installed)
      PlaceButton(window, LauncherSlotMain(j), p.runbuttontext, p.runX, p.runY, p.buttonWidth,
                  p.buttonHeight);
    else
      PlaceButton(window, LauncherSlotMain(j), p.installbuttontext, p.installX, p.installY,
                  p.buttonWidth, p.buttonHeight);
    if (p.uninstall) {
      const int slot = LauncherSlotUninstall(j);
      PlaceButton(window, slot, p.uninstallbuttontext, p.uninstallX, p.uninstallY, p.buttonWidth,
                  p.buttonHeight);
      if (!p.installed) plat_ControlShow(window->buttons[slot].button, false);
    }
  }

  plat_DialogSetCaption(window->dialog, s.windowTitle.c_str());
  PlatRect resource = plat_DialogOuterRect(window->dialog);
  PlatRect outer = LauncherWindowPlacement(screenWidth, screenHeight, s.windowWidth,
                                           s.windowHeight, resource.w, resource.h);
  plat_DialogSetOuterRect(window->dialog, outer.x, outer.y, outer.w, outer.h);
  plat_DialogShow(window->dialog, true);
  plat_DialogUpdate(window->dialog);
  return true;
}

void LauncherWindowDestroy(LauncherWindow* window) {
  if (window->dialog) plat_DialogDestroy(window->dialog);
  window->dialog = nullptr;
  for (LauncherButtonSlot& slot : window->buttons) slot = LauncherButtonSlot{};
  if (window->textFont) plat_FontDestroy(window->textFont);
  window->textFont = nullptr;
}

bool LauncherDialogProc(PlatDialog*, const PlatDialogMessage* message, void* user) {
  auto* window = static_cast<LauncherWindow*>(user);
  switch (message->kind) {
    case kPlatDlgPaint:
      PaintWindow(window, message->canvas);
      return true;
    case kPlatDlgCommand:
      RunCommand(window, message->control);
      return true;
    case kPlatDlgClose:
      // The window has no close box of its own, but a window manager's close always ends it.
      plat_PostQuit(0);
      window->ending = true;
      return true;
    case kPlatDlgInitDialog:
      return false;
  }
  return false;
}

LauncherWindowOps LauncherWindowOpsOf(LauncherWindow* window) {
  LauncherWindowOps ops{};
  ops.context = window;
  ops.setCaption = [](void* context, int slot, const char* caption) {
    auto* w = static_cast<LauncherWindow*>(context);
    if (SlotHasButton(w, slot)) plat_ControlSetText(w->buttons[slot].button, caption);
  };
  ops.showSlot = [](void* context, int slot, bool visible) {
    auto* w = static_cast<LauncherWindow*>(context);
    if (SlotHasButton(w, slot)) plat_ControlShow(w->buttons[slot].button, visible);
  };
  ops.askAgreement = [](void* context, int, const char* text) {
    return LauncherAgreementRun(static_cast<LauncherWindow*>(context)->dialog, text);
  };
  ops.postQuit = [](void*, int code) { plat_PostQuit(code); };
  return ops;
}

LauncherAgreementAnswer LauncherAgreementRun(PlatDialog* owner, const char* text) {
  int result = plat_DialogRunModal(&kLauncherAgreementTemplate, owner, EulaDialogProc,
                                   const_cast<char*>(text ? text : ""));
  // Ended by Accept (1) or Decline (0); anything else (closed, or a quit posted meanwhile) is no
  // answer, which counts as declining.
  if (result == kLauncherAgreementAccept) return kLauncherAgreementAccept;
  if (result == kLauncherAgreementDecline) return kLauncherAgreementDecline;
  return kLauncherAgreementClosed;
}

bool EulaDialogProc(PlatDialog* dialog, const PlatDialogMessage* message, void* user) {
  switch (message->kind) {
    case kPlatDlgInitDialog:
      plat_ControlSetText(plat_DialogItem(dialog, kLauncherAgreementTextId),
                          static_cast<const char*>(user));
      return false;
    case kPlatDlgCommand:
      if (message->controlId == kLauncherAgreementAcceptId) {
        plat_DialogEnd(dialog, kLauncherAgreementAccept);
        return true;
      }
      if (message->controlId == kLauncherAgreementDeclineId) {
        plat_DialogEnd(dialog, kLauncherAgreementDecline);
        return true;
      }
      if (message->controlId == kPlatIdCancel) {  // Escape
        plat_DialogEnd(dialog, kLauncherAgreementClosed);
        return true;
      }
      return false;
    case kPlatDlgClose:
      plat_DialogEnd(dialog, kLauncherAgreementClosed);
      return true;
    case kPlatDlgPaint:
      return false;
  }
  return false;
}
