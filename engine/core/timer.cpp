#include "engine/core/timer.h"

#include "platform/plat_time.h"

uint32_t gEngineTick = 0;

namespace {

constexpr double kTicksPerSecond = 59.8;
constexpr double kTicksPerMillisecond = 0.06;

bool gCounterMode = false;
double gScale = 1.0;  // ticks per counter unit
int64_t gStart = 0;

}  // namespace

void wre_TimerInit() {
  gCounterMode = false;
  gScale = 1.0;
  int64_t frequency = 0;
  int64_t counter = 0;
  if (plat_QueryPerformanceFrequency(&frequency) && frequency > 0 && plat_QueryPerformanceCounter(&counter)) {
    gCounterMode = true;
    gScale = (1.0 / static_cast<double>(frequency)) * kTicksPerSecond;
    gStart = static_cast<int64_t>(static_cast<double>(counter) * gScale);
  } else {
    gStart = plat_GetTickCount();
  }
}

uint32_t wre_TimerTick() {
  double value;
  if (gCounterMode) {
    int64_t counter = 0;
    plat_QueryPerformanceCounter(&counter);
    value = static_cast<double>(counter) * gScale - static_cast<double>(gStart);
  } else {
    // The millisecond count wraps every 49.7 days; the unsigned 32-bit difference runs on across it.
    uint32_t elapsed = plat_GetTickCount() - static_cast<uint32_t>(gStart);
    value = static_cast<double>(elapsed) * kTicksPerMillisecond;
  }
  gEngineTick = static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value)));
  return gEngineTick;
}

uint32_t wre_TimerGetTick() { return gEngineTick; }
