#include "game/program/engine_dialogs.h"

#include <algorithm>

#include "engine/core/fatal.h"
#include "engine/core/input.h"
#include "engine/core/wre_types.h"
#include "engine/render/context.h"
#include "engine/startup/engine.h"
#include "game/program/engine_dialog_boxes.h"

static_assert(sizeof(DeviceList::descriptions[0]) == kDeviceNameSize);

namespace {

bool Available(int32_t kind) { return wre_RendererIsAvailable(kind) != 0; }

constexpr RendererAvailability kProbe{Available};

}  // namespace

int32_t RenderingEngineSelect() {
  wre_RendererProbe();
  int32_t choice = kRendererSoftware;
  for (int32_t kind : {kRendererDirect3D, kRendererOpenGL})
    if (Available(kind)) {
      choice = kind;
      break;
    }
  const int answer = RendererDialogShow(&choice, &kProbe);
  if (answer == kDialogNotShown || answer == kDialogCancel) return -1;
  return choice;
}

int32_t OutputDeviceSelect(DeviceList* list) {
  if (!list) return -1;
  if (list->count == 1) return 0;
  if (list->count < 1) wre_SystemFatalError("No devices supported for this renderer");
  int32_t choice = 0;
  const int32_t count = std::min(list->count, static_cast<int32_t>(kDeviceListSlots));
  const int answer = DeviceDialogShow(list->descriptions, count, &choice);
  if (answer == kDialogNotShown) wre_SystemFatalError("Error at driver select dialog box");
  if (answer == kDialogCancel) wre_SystemFatalError("User cancel - choose engine/device");
  wre_MessagePump();
  wre_CursorHide();
  wre_MessagePump();
  return choice;
}
