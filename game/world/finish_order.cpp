#include "game/world/finish_order.h"

#include <algorithm>

#include "engine/core/timer.h"
#include "engine/core/wre_types.h"
#include "game/state/settings.h"

int32_t FinishOrderReset() {
  gFinishCount = 0;
  return 0;
}

int32_t RaceFinishRecord(Watercraft* craft) {
  if (!craft) return kWreErrNull;
  // The marker rules may report a finisher more than once; a second entry would take a place.
  if (std::find(gFinishOrder, gFinishOrder + gFinishCount, craft) != gFinishOrder + gFinishCount) return 0;
  if (gFinishCount >= kRacerSlots) return kFinishOrderFull;
  gFinishOrder[gFinishCount] = craft;
  gFinishTime[gFinishCount] = static_cast<int32_t>(gEngineTick - gRaceStartTick);
  ++gFinishCount;
  return 0;
}

int32_t RaceStandingGet(const Watercraft* craft, int32_t* place, int32_t* time) {
  if (!craft) return -1;
  bool rally = gGameMode == kModeRally || gGameMode == kModeRallyVariant;
  if (place) *place = rally ? -1 : 0;
  if (time) *time = 0;
  if (rally) {
    for (int32_t i = 0; i < gFinishCount; ++i) {
      if (gFinishOrder[i] != craft) continue;
      if (place) *place = i;
      if (time) *time = gFinishTime[i];
      return 0;
    }
    return kStandingNotFinished;
  }
  if (gGameMode < kModeTreasureLinear || gGameMode > kModeDerby) return kStandingNotFinished;
  // Never past the six racer slots, whatever the opponent count says.
  int32_t last = std::clamp(gSettings.opponentCount, 0, kRacerSlots - 1);
  int32_t ahead = 0;
  for (int32_t slot = 0; slot <= last; ++slot) {
    const Watercraft* other = gCraftByIndex[slot];
    if (other && other != craft && other->score > craft->score) ++ahead;
  }
  if (place) *place = ahead;
  if (time) *time = static_cast<int32_t>(std::min<uint32_t>(gEngineTick - gRaceStartTick, kStandingTimeLimit));
  return kStandingNotFinished;
}
