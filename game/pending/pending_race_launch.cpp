#include "game/shell/race_launch.h"
int32_t RaceLaunchFromMenu() { return 0; }
int32_t CircuitNameCommit(ViewComponents*) { return 0; }
int32_t CircuitRun(ViewComponents*) { return 0; }
