#include "tools/datagen/tree_output.h"

bool TreeCheck(const TreeOutput&) { return true; }
