// The game modes' course set-up around a race: the selected mode's markers, gates, laps, start
// place and rally arrow and compass, made at race set-up and released at teardown.
#pragma once
#include <cstdint>

struct ViewComponents;

// Runs the current mode's set-up; its result, or -1 for an unknown mode.
int32_t GameModeInit(ViewComponents* view);
// Runs the current mode's release. 0, or -1 for an unknown mode.
int32_t GameModeExit(ViewComponents* view);
// The race clock starts now: gRaceStartTick := gEngineTick.
void RaceStartTickStamp(ViewComponents* view);
