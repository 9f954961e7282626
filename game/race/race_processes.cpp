#include "game/race/race_processes.h"

#include "engine/core/fatal.h"
#include "engine/core/input.h"
#include "engine/core/process.h"
#include "engine/core/timer.h"
#include "engine/data/sound.h"
#include "game/race/game_modes.h"
#include "game/state/race_state.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/game_object.h"
#include "game/world/game_sounds.h"
#include "game/world/gate_arrow.h"
#include "game/world/gate_list.h"
#include "game/world/player_control.h"
#include "game/world/scenery.h"
#include "game/world/water_surface.h"
#include "game/world/watercraft.h"

namespace {

bool IsRally() { return GameModeIsRally(gGameMode); }
bool IsTreasure() { return GameModeIsTreasure(gGameMode); }

void MessagePumpProcess() { wre_MessagePump(); }
void SoundUpdateProcess(void* view) { wre_SoundUpdate3D(view); }

int32_t AddPlain(ProcessCallbackPlain callback, uint32_t interval) {
  ProcessNode* node = nullptr;
  return wre_ProcessCreate(callback, &node, interval);
}

int32_t AddWithView(ProcessCallbackArg callback, ViewComponents* view, uint32_t interval) {
  ProcessNode* node = nullptr;
  return wre_ProcessCreateWithArg(callback, &node, view, interval);
}

void RaceEnd() {
  gRaceOver = 1;
  gRaceFinished = 1;
}

bool TimeLimitPassed() { return gRaceStartTick + kRaceTimeLimit < gEngineTick; }

}  // namespace

int32_t RaceProcessesInstall(ViewComponents* view) {
  int32_t r;
  if ((r = AddWithView(PlayerControlProcess, view, 2)) != 0) return r;
  if ((r = AddPlain(MessagePumpProcess, 20)) != 0) return r;
  if ((r = AddWithView(EndOfRaceCheck, view, 60)) != 0) return r;
  if (IsRally() && (r = AddWithView(ArrowBobProcess, view, 2)) != 0) return r;
  if ((r = AddWithView(WaterworksUpdate, view, 1)) != 0) return r;
  if ((r = AddWithView(SoundUpdateProcess, view, 20)) != 0) return r;
  if ((r = AddPlain(WaterScrollProcess, 2)) != 0) return r;
  if (IsRally()) {
    if ((r = MarkerBobStart(view)) != 0) return r;
    if ((r = AddWithView(MarkerBobProcess, view, 1)) != 0) return r;
  }
  if ((r = AddWithView(FloaterProcess, view, 1)) != 0) return r;
  if (IsTreasure()) {
    if ((r = MarkerSpinStart(view)) != 0) return r;
    if ((r = AddPlain(MarkerSpinProcess, 1)) != 0) return r;
  }
  wre_TimerTick();
  RaceStartTickStamp(view);
  if (wre_ProcessListResetTicks() != 0) wre_SystemFatalError("Couldn't reset process list ticks");
  return 0;
}

void EndOfRaceCheck(void* argument) {
  const auto* view = static_cast<const ViewComponents*>(argument);
  const Watercraft* craft = view && view->player ? view->player->craft : nullptr;
  if (IsRally()) {
    if (craft && craft->laps >= gLapCount) RaceEnd();
    return;
  }
  if (gPaused || gQuitPrompt) return;
  if (IsTreasure()) {
    const bool racing = craft && (craft->flags & kCraftRacing);
    if (!racing || gMarkersLeft < 1 || TimeLimitPassed()) RaceEnd();
  } else if (gGameMode == kModeDerby) {
    if (TimeLimitPassed()) RaceEnd();
  }
}

int32_t CountdownStart() {
  gCountdownActive = 1;
  gCountdownSecond = -1;
  ProcessNode* node = nullptr;
  return wre_ProcessCreateWithSelf(CountdownProcess, &node, 1);
}

void CountdownProcess(ProcessNode* node) {
  const auto second = static_cast<int32_t>((gEngineTick - gRaceStartTick) / kCountdownTicks);
  const bool changed = second != gCountdownSecond;
  if (changed) gCountdownSecond = second;
  if (gCountdownSecond > 2) {
    gCountdownActive = 0;
    wre_ProcessListRemove(node);
    wre_ProcessDispose(node);
    gRaceStartTick = gEngineTick;
    SoundPlayCountdown(gCountdownSecond);
  } else if (changed) {
    SoundPlayCountdown(second);
  }
}
