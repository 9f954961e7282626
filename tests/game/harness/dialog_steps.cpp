#include "tests/game/harness/dialog_steps.h"

#include <deque>

#include "platform/plat_dialog.h"
#include "platform/test/plat_dialog.h"

namespace {

std::deque<std::function<void()>> gSteps;

void RunNextStep(void*) {
  if (gSteps.empty()) return;
  auto step = std::move(gSteps.front());
  gSteps.pop_front();
  step();
}

PlatControl* Item(int id) { return plat_DialogItem(plat_TestTopDialog(), id); }

void ClickCentre(PlatRect r) { plat_TestPushClick(plat_TestTopDialog(), r.x + r.w / 2, r.y + r.h / 2); }

}  // namespace

void DialogStepsStart() {
  gSteps.clear();
  plat_TestSetIdleHook(RunNextStep, nullptr);
}

void DialogStepsStop() {
  plat_TestSetIdleHook(nullptr, nullptr);
  gSteps.clear();
  plat_DialogShutdownAll();
}

void DialogStep(std::function<void()> step) { gSteps.push_back(std::move(step)); }
int DialogStepsLeft() { return static_cast<int>(gSteps.size()); }

std::string DialogCaption() { return plat_DialogCaption(plat_TestTopDialog()); }
bool DialogItemVisible(int id) { return plat_ControlVisible(Item(id)); }
bool DialogItemEnabled(int id) { return plat_ControlEnabled(Item(id)); }
bool DialogItemChecked(int id) { return plat_ButtonChecked(Item(id)); }
std::string DialogComboItemText(int id, int place) { return plat_ComboItemText(Item(id), place); }

intptr_t DialogComboSelectedData(int id) {
  PlatControl* box = Item(id);
  return plat_ComboItemData(box, plat_ComboCurSel(box));
}

void DialogClick(int id) { ClickCentre(plat_ControlRect(Item(id))); }

void DialogOpenCombo(int id) {
  const PlatRect r = plat_ControlRect(Item(id));
  plat_TestPushClick(plat_TestTopDialog(), r.x + r.w / 2, r.y + 4);  // the field is on top
}

void DialogClickComboItem(int id, int place) { ClickCentre(plat_ComboItemRect(Item(id), place)); }
