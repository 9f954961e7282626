#include "game/world/craft_process.h"
int32_t CraftProcess(ProcessNode*) { return 0; }
