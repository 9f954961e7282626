#include "game/race/game_modes.h"

#include "engine/core/timer.h"
#include "game/state/gate_record.h"
#include "game/state/settings.h"
#include "game/world/finish_order.h"

int32_t GameModeInit(ViewComponents* view) {
  gGateListHead = nullptr;
  gCourseData = nullptr;
  FinishOrderReset();
  switch (gGameMode) {
    case kModeRally: return RallyModeInit(view);
    case kModeTreasureLinear:
    case kModeTreasureRoam: return TreasureModeInit(view);
    case kModeDerby: return DerbyModeInit(view);
    default: return -1;
  }
}

int32_t GameModeExit(ViewComponents* view) {
  switch (gGameMode) {
    case kModeRally: RallyModeExit(view); return 0;
    case kModeTreasureLinear:
    case kModeTreasureRoam: TreasureModeExit(view); return 0;
    case kModeDerby: DerbyModeExit(view); return 0;
    default: return -1;
  }
}

void RaceStartTickStamp(ViewComponents*) { gRaceStartTick = gEngineTick; }
