#include "game/world/course_route.h"

#include "engine/core/memory.h"
#include "game/state/settings.h"
#include "game/world/route_file.h"
#include "game/world/route_generate.h"

int32_t RouteSetup(ViewComponents* view) {
  int32_t result = RouteFileRead(view);
  if (result != 0) {
    result = RouteGenerate(view);
    if (result == 0) RouteFileWrite(view);
  }
  if (result == 0) result = RouteLink();
  return result;
}

int32_t RouteTeardown() {
  RouteFree();
  gRouteLoaded = 0;
  return 0;
}

int32_t RouteFree() {
  if (!gRouteLoaded) return kRouteErrNotLoaded;
  RouteNodesFree();
  return 0;
}

void RouteNodesFree() {
  RouteNode* node = gRouteHead;
  while (node) {
    RouteNode* next = node->next;
    wre_MemoryDispose(node);
    node = next;
  }
  gRouteHead = nullptr;
  gRouteTail = nullptr;
}

int32_t RouteNodeAppend(const Point4* point, uint8_t hasGate, GateRecord* gate) {
  auto* node = wre_MemoryNewArray<RouteNode>(1);
  if (!node) return kRouteErrNoMemory;
  if (point) node->point = *point;
  node->hasGate = hasGate;
  if (hasGate) node->gate = gate;
  node->prev = gRouteTail;
  if (gRouteTail) {
    gRouteTail->next = node;
  } else {
    gRouteHead = node;
  }
  gRouteTail = node;
  return 0;
}

int32_t RouteLink() {
  RouteNode* before = nullptr;
  for (RouteNode* node = gRouteHead; node; node = node->next) {
    node->prev = before;
    before = node;
  }
  if (gRouteHead) gRouteHead->prev = gRouteTail;
  if (gGameMode != kModeRally && gGameMode != kModeRallyVariant) {
    for (RouteNode* node = gRouteHead; node; node = node->next) node->hasGate = 0;
  }
  return 0;
}

RouteNode* RouteHeadGet() { return gRouteLoaded ? gRouteHead : nullptr; }
RouteNode* RouteTailGet() { return gRouteLoaded ? gRouteTail : nullptr; }

RouteNode* RouteNodeNextWrap(const RouteNode* node) {
  if (!node || !node->next) return RouteHeadGet();
  return node->next;
}

RouteNode* RouteNodePrevWrap(const RouteNode* node) {
  if (!node || !node->prev) return RouteTailGet();
  return node->prev;
}

int32_t RouteNodeCount() {
  int32_t count = 0;
  for (const RouteNode* node = gRouteHead; node; node = node->next) ++count;
  return count;
}

RouteNode* RouteNodeNth(uint32_t n) {
  RouteNode* node = RouteHeadGet();
  if (!node) return nullptr;
  // Whole laps of the ring change nothing: only the remainder is walked.
  const uint32_t steps = n % static_cast<uint32_t>(RouteNodeCount());
  for (uint32_t i = 0; i < steps; ++i) node = RouteNodeNextWrap(node);
  return node;
}

RouteNode* RouteNodeForObject(const GateRecord* gate) {
  // Clear points carry no gate: a null gate must not find the first of them.
  if (!gate) return RouteHeadGet();
  for (RouteNode* node = RouteHeadGet(); node; node = node->next) {
    if (node->gate == gate) return node;
  }
  return RouteHeadGet();
}
