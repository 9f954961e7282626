// The game's whole data tree: sounds, music, intro, menus, interface, craft, riders, gameplay
// markers, skies, levels and courses, written below a root folder and then checked against the
// rules the game's loaders depend on.
#pragma once
#include <string>

// Writes root/data/... (never touching data/prefs beyond making it) and runs the self-checks.
// False, with the reasons on standard error, when a file cannot be written or a check fails.
bool DatagenWriteTree(const std::string& root);
