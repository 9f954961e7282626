// One whole race of the current mode on the current level and course, from set-up to teardown.
#pragma once
#include <cstdint>

struct ViewComponents;

// 0 after a complete race, or the non-zero code of the route set-up or teardown; every other
// failure is fatal.
int32_t RaceRun(ViewComponents* view);
