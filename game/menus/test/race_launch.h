// Test hooks of the race launch (game/menus/race_launch.h): a stand-in for the race driver, so that
// the circuit's bookkeeping runs against scripted race outcomes.
//
// Test-only: the module's own source and the tests include it; the program never sets the hook.
#pragma once
#include <cstdint>
#include <functional>

#include "game/menus/race_launch.h"

using RaceRunner = std::function<int32_t(ViewComponents* view)>;

// Every race of the launch runs through `runner` instead of the race driver; an empty runner
// restores the driver.
void RaceLaunchSetRunner(RaceRunner runner);
