// Route fixtures for tests and benchmarks: a gate list of gates at given centres or of a sample
// course's rally gates, freed with any route.
#pragma once
#include <vector>

#include "engine/core/files.h"
#include "engine/data/course.h"
#include "game/world/course_route.h"
#include "game/world/gate_list.h"
#include "game/world/level_bounds.h"
#include "game/world/level_load.h"

// Makes the running gate list of gates at the centres, relinked as the mode set-up leaves it.
// False when memory runs out.
inline bool RouteGatesMake(const std::vector<Point4>& centres) {
  for (const Point4& c : centres) {
    GateRecord* gate = GateRecordNew();
    if (!gate) return false;
    gate->centre = c;
    GateListAppend(gate, &gGateListHead);
  }
  GateListRelink(gGateListHead);
  return true;
}

// The rally gates of a course of the loaded level's "course.dat" (in the current folder): the
// waypoints in pairs, each gate at its pair's midpoint, at buoy height below the lifted water.
inline bool RouteSampleGates(int32_t course) {
  Course* data = nullptr;
  if (CourseLoad("course.dat", course, &data, gLevelBoundsMinX, gLevelBoundsMaxX, gLevelBoundsMinY,
                 gLevelBoundsMaxY, gLevelBoundsMinZ, gLevelBoundsMaxZ, 1, 0, 0) != 0) {
    return false;
  }
  std::vector<Point4> centres;
  for (CourseWaypoint* w = data->waypoints; w && w->next; w = w->next->next) {
    const Point4& a = w->position;
    const Point4& b = w->next->position;
    centres.push_back(Point4{0.5f * (a.x + b.x), kLevelLift - 600.0f, 0.5f * (a.z + b.z), 0.0f});
  }
  CourseFree(data);
  return RouteGatesMake(centres);
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

// The route's nodes from the head.
inline std::vector<RouteNode*> RouteNodes() {
  std::vector<RouteNode*> nodes;
  for (RouteNode* n = gRouteHead; n; n = n->next) nodes.push_back(n);
  return nodes;
}
