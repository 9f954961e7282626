// Writes the game's data tree below the given folder (default: the current one).
#include "tools/datagen/game_tree.h"

int main(int argc, char** argv) { return DatagenWriteTree(argc > 1 ? argv[1] : ".") ? 0 : 1; }
