// Test harness: answers the game's modal dialogs headlessly. Each time a modal dialog's loop runs
// out of input, the next queued step runs with that dialog open; the helpers act on it by control
// id. Plain types only, so tests that include engine headers can use it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

// Installs the answering hook with no steps queued; Stop removes it, drops what is left and
// closes every dialog.
void DialogStepsStart();
void DialogStepsStop();
void DialogStep(std::function<void()> step);
// Steps not yet run (a dialog that never opened leaves its steps).
int DialogStepsLeft();

// The open dialog (the innermost modal one).
std::string DialogCaption();
bool DialogItemVisible(int id);
bool DialogItemEnabled(int id);
bool DialogItemChecked(int id);
std::string DialogComboItemText(int id, int place);
// The item data of the selected item, -1 when none.
intptr_t DialogComboSelectedData(int id);
// Queue a click on the control's centre / on the field of a combo box / on an item of its open
// list (by its place in the sorted list).
void DialogClick(int id);
void DialogOpenCombo(int id);
void DialogClickComboItem(int id, int place);
