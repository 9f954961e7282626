#include "engine/core/timer.h"
#include "game/shell/game_modes.h"
#include "game/shell/settings.h"
int32_t GameModeInit(ViewComponents*) { return 0; }
int32_t GameModeExit(ViewComponents*) { return 0; }
void RaceStartTickStamp(ViewComponents*) { gRaceStartTick = gEngineTick; }
