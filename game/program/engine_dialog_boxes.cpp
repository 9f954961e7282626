#include "game/program/engine_dialog_boxes.h"

#include <cstring>
#include <iterator>
#include <string>

#include "engine/core/wre_types.h"
#include "game/state/main_window.h"
#include "platform/plat_dialog.h"

namespace {

constexpr uint32_t kDialogStyle =
    kPlatWsPopup | kPlatWsCaption | kPlatWsSysMenu | kPlatDsModalFrame | kPlatDsCenter;
constexpr uint32_t kShown = kPlatWsChild | kPlatWsVisible;
constexpr uint32_t kTab = kShown | kPlatWsTabStop;
constexpr uint32_t kRadio = kTab | kPlatBsAutoRadioButton;

// ---- "Rendering Engine" ------------------------------------------------------------------------

enum RendererDialogItem : int {
  kItemOpenGL = 1006,
  kItemDirect3D = 1007,
  kItemSoftware = 1008,
};

constexpr PlatDialogItemTemplate kRendererItems[] = {
    {kPlatIdOk, kPlatControlButton, "Ok", kTab, 200, 131, 44, 17},
    {kPlatIdCancel, kPlatControlButton, "Cancel", kTab, 125, 131, 44, 17},
    {-1, kPlatControlStatic, "Choose Rendering Engine:", kShown, 66, 53, 86, 8},
    {kItemOpenGL, kPlatControlRadio, "OpenGL", (kRadio & ~kPlatWsVisible), 103, 72, 43, 10},
    {kItemDirect3D, kPlatControlRadio, "Direct3D", kRadio, 103, 88, 44, 10},
    {kItemSoftware, kPlatControlRadio, "Software", kRadio, 103, 104, 44, 10},
    {-1, kPlatControlStatic,
     "If you experience problems with the Direct3D renderer, please ensure you're using the "
     "latest drivers for your video card.  If you continue to experience problems, use the "
     "Software rendering option.",
     // Four lines high: the toolkit's font is wider than the one the box was laid out for, and the
     // text wraps onto a fourth line that a three-line box cuts in half.
     kShown, 29, 13, 223, 38},
};
constexpr PlatDialogTemplate kRendererDialog{
    kDialogStyle, 0, 0, 259, 156, "Rendering Engine", "MS Sans Serif", 8, kRendererItems,
    static_cast<int>(std::size(kRendererItems))};

struct RadioKind {
  int item;
  int32_t kind;
};
constexpr RadioKind kRadioKinds[] = {
    {kItemOpenGL, kRendererOpenGL},
    {kItemDirect3D, kRendererDirect3D},
    {kItemSoftware, kRendererSoftware},
};

int32_t gRenderingEngineChoice = 0;
const RendererAvailability* gAvailable = nullptr;

void RendererDialogInit(PlatDialog* dialog) {
  int checked = kItemSoftware;
  for (const RadioKind& radio : kRadioKinds) {
    if (radio.kind == gRenderingEngineChoice) checked = radio.item;
    plat_ControlEnable(plat_DialogItem(dialog, radio.item), gAvailable->available(radio.kind));
  }
  plat_CheckRadioButton(dialog, kItemOpenGL, kItemSoftware, checked);
}

bool RenderingEngineDialogProc(PlatDialog* dialog, const PlatDialogMessage* message, void*) {
  if (message->kind == kPlatDlgInitDialog) {
    RendererDialogInit(dialog);
    return true;
  }
  if (message->kind != kPlatDlgCommand) return false;
  if (message->controlId == kPlatIdOk || message->controlId == kPlatIdCancel) {
    plat_DialogEnd(dialog, message->controlId);
    return true;
  }
  for (const RadioKind& radio : kRadioKinds)
    if (message->controlId == radio.item) {
      gRenderingEngineChoice = radio.kind;
      RendererDialogInit(dialog);
      return true;
    }
  return false;
}

// ---- "Select Output Device" --------------------------------------------------------------------

constexpr int kItemDevices = 1002;

constexpr PlatDialogItemTemplate kDeviceItems[] = {
    {kPlatIdOk, kPlatControlButton, "Ok", kTab, 177, 44, 44, 17},
    {kPlatIdCancel, kPlatControlButton, "Cancel", kTab, 120, 44, 44, 17},
    {kItemDevices, kPlatControlCombo, "",
     kTab | kPlatCbsDropDownList | kPlatCbsSort | kPlatWsVScroll, 88, 17, 136, 34},
    {-1, kPlatControlStatic, "Choose a Device:", kShown, 13, 20, 58, 10},
};
constexpr PlatDialogTemplate kDeviceDialog{
    kDialogStyle, 0, 0, 231, 70, "Select Output Device", "MS Sans Serif", 8, kDeviceItems,
    static_cast<int>(std::size(kDeviceItems))};

const char (*gDevices)[kDeviceNameSize] = nullptr;
int32_t gDeviceCount = 0;
int32_t gDeviceChoice = 0;

// The box sorts its items: each keeps its device index as item data.
void FillDeviceBox(PlatDialog* dialog) {
  PlatControl* box = plat_DialogItem(dialog, kItemDevices);
  plat_ComboReset(box);
  for (int32_t i = 0; i < gDeviceCount; ++i) {
    const std::string name(gDevices[i], strnlen(gDevices[i], kDeviceNameSize));
    const int at = plat_ComboAddString(box, name.c_str());
    plat_ComboSetItemData(box, at, i);
    if (i == gDeviceChoice) plat_ComboSetCurSel(box, at);
  }
}

bool OutputDeviceDialogProc(PlatDialog* dialog, const PlatDialogMessage* message, void*) {
  if (message->kind == kPlatDlgInitDialog) {
    FillDeviceBox(dialog);
    return true;
  }
  if (message->kind != kPlatDlgCommand) return false;
  if (message->notifyCode == kPlatNotifySelEndOk) {
    const int selected = plat_ComboCurSel(message->control);
    if (selected < 0) return true;
    if (message->controlId == kItemDevices)
      gDeviceChoice = static_cast<int32_t>(plat_ComboItemData(message->control, selected));
    FillDeviceBox(dialog);
    return true;
  }
  if (message->controlId == kPlatIdOk || message->controlId == kPlatIdCancel) {
    plat_DialogEnd(dialog, message->controlId);
    return true;
  }
  return false;
}

}  // namespace

int RendererDialogShow(int32_t* choice, const RendererAvailability* available) {
  gRenderingEngineChoice = *choice;
  gAvailable = available;
  const int result =
      plat_DialogRunModalForWindow(&kRendererDialog, gMainWindow, RenderingEngineDialogProc, nullptr);
  *choice = gRenderingEngineChoice;
  return result == kPlatDialogFailed ? kDialogNotShown : result;
}

int DeviceDialogShow(const char (*names)[kDeviceNameSize], int32_t count, int32_t* choice) {
  gDevices = names;
  gDeviceCount = count;
  gDeviceChoice = *choice;
  const int result =
      plat_DialogRunModalForWindow(&kDeviceDialog, gMainWindow, OutputDeviceDialogProc, nullptr);
  gDevices = nullptr;
  *choice = gDeviceChoice;
  return result == kPlatDialogFailed ? kDialogNotShown : result;
}
