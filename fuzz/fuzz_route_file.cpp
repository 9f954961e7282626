// Reads arbitrary bytes as a route file "qz_route_ n.qz" of a three-gate course: a route is taken
// only when it has the exact layout, with finite points and one gate node for each gate bound in
// list order; a refused file leaves no node behind.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "engine/core/memory.h"
#include "game/world/course_route.h"
#include "game/world/gate_list.h"
#include "game/world/route_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = false;
  if (!ready) {
    wre_MemoryInit();
    for (int i = 0; i < 3; ++i) GateListAppend(GateRecordNew(), &gGateListHead);
    GateListRelink(gGateListHead);
    ready = true;
  }
  const int32_t result = RouteParse(data, size);
  if (result != 0) {
    if (gRouteHead || gRouteTail || gRouteLoaded) __builtin_trap();
    return 0;
  }
  size_t nodes = 0;
  GateRecord* gate = gGateListHead;
  for (const RouteNode* n = gRouteHead; n; n = n->next) {
    ++nodes;
    if (!std::isfinite(n->point.x) || !std::isfinite(n->point.y) || !std::isfinite(n->point.z)) __builtin_trap();
    if (n->hasGate) {
      if (!gate || n->gate != gate) __builtin_trap();
      gate = gate->next;
    } else if (n->gate) {
      __builtin_trap();
    }
  }
  if (gate || size != 8 + 24 * nodes) __builtin_trap();
  RouteTeardown();
  return 0;
}
