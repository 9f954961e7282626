// Disc launcher: what its buttons do, and the agreement asked for before a product is run or
// installed.
//
// Everything is started through the platform shell with the verb "open" and no directory argument;
// the working folder is the one the action names (launcher directory, product folder, Windows
// directory), relative folders taken from the launcher directory. A folder that does not exist, or
// a start that fails, leaves the launcher open with nothing recorded; an acceptance already given
// stays recorded.
#pragma once
#include <string>

#include "launcher/launcher_state.h"

// Runs the action of a button slot: 0 Exit, 1 catalog, 2 registration link, 3 manual, 4 + j the
// main button of product j, 14 + j its uninstall button. Other slots do nothing.
LauncherActionEnd LauncherButtonAction(LauncherState* state, int slot, const LauncherWindowOps* window);

// Shows the agreement of product j and records the answer in the state; true when accepted. Closing
// the dialog counts as declining.
bool EulaDialogShow(LauncherState* state, int product, const LauncherWindowOps* window);

// The file of a document button: the value unchanged when it starts with exactly "http", else the
// launcher directory followed by it.
std::string LauncherDocumentFile(const LauncherState& state, const std::string& value);

// Splits an uninstall command line into the program and its parameters, both trimmed: a line that
// starts with a double quote names the program up to the closing quote; otherwise the program ends
// at the first blank followed by "-" or "/"; with neither, the whole line is the program.
void LauncherSplitCommandLine(const std::string& line, std::string* file, std::string* parameters);
