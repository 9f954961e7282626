// The game's whole data tree: sounds, music, intro, menus, interface, craft, riders, gameplay
// markers, skies, levels and courses, written below a root folder and then checked against the
// rules the game's loaders depend on.
#pragma once
#include <string>

#include "tools/datagen/tree_output.h"

// Writes root/data/... (never touching data/prefs beyond making it) without checking it: what was
// written, for the self-checks (TreeCheck); its ok is false when a file could not be written.
TreeOutput DatagenWriteTreeFiles(const std::string& root);
// Writes the tree and runs the self-checks. False, with the reasons on standard error, when a file
// cannot be written or a check fails.
bool DatagenWriteTree(const std::string& root);
