// Test fixtures for the route: a gate list of gates at given centres, freed with any route.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "engine/core/memory.h"
#include "game/shell/gate_list.h"
#include "game/world/course_route.h"

// Makes the running gate list of gates at the centres, relinked as the mode set-up leaves it.
inline void RouteGatesMake(const std::vector<Point4>& centres) {
  for (const Point4& c : centres) {
    GateRecord* gate = GateRecordNew();
    ASSERT_NE(gate, nullptr);
    gate->centre = c;
    GateListAppend(gate, &gGateListHead);
  }
  GateListRelink(gGateListHead);
}

inline GateRecord* RouteGateAt(int n) {
  GateRecord* gate = gGateListHead;
  for (int i = 0; i < n && gate; ++i) gate = gate->next;
  return gate;
}

// Frees the route (loaded or not) and the gate list.
inline void RouteGatesFree() {
  RouteNodesFree();
  gRouteLoaded = 0;
  while (gGateListHead) {
    GateRecord* gate = gGateListHead;
    GateListUnlink(gate, &gGateListHead);
    GateRecordFree(&gate);
  }
}

// The route's points from the head.
inline std::vector<RouteNode*> RouteNodes() {
  std::vector<RouteNode*> nodes;
  for (RouteNode* n = gRouteHead; n; n = n->next) nodes.push_back(n);
  return nodes;
}
