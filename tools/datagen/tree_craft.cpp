#include "tools/datagen/tree_output.h"

void TreeWriteCraft(TreeOutput&) {}
void TreeWriteIntro(TreeOutput&) {}
void TreeWriteLevels(TreeOutput&) {}
