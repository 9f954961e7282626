#include "tools/datagen/tree_output.h"

void TreeWriteLevels(TreeOutput&) {}
