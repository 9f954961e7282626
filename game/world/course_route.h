// The computer riders' route: a ring of nodes through the centre of every gate of the course in
// list order, with clear points where the straight way between two gates is blocked. The list runs
// from head to tail; the accessors close the ring (after the tail comes the head). It is read from
// the course's route file, or generated and written for next time (route_file.h, route_generate.h).
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

struct GateRecord;
struct ViewComponents;

struct RouteNode {
  Point4 point;
  uint8_t hasGate;   // 1 for a gate's centre; cleared outside the rally modes once linked
  GateRecord* gate;  // the gate of a gate node
  RouteNode* prev;
  RouteNode* next;
};

enum RouteResult : int32_t {
  kRouteErrLoaded = 300100,     // a route is already loaded
  kRouteErrNotLoaded = 300101,  // no route to free
  kRouteErrBadFile = 300102,    // the route file does not hold a route of this course
  kRouteErrFewGates = 301001,   // the course has fewer than two gates
  kRouteErrNoMemory = -5000,
  kRouteErrNoProbe = -1,  // the probe craft cannot be made
};

inline RouteNode* gRouteHead = nullptr;
inline RouteNode* gRouteTail = nullptr;
inline uint8_t gRouteLoaded = 0;  // read or generated, and not yet freed

// Reads the course's route file, or generates the route and writes it (a failed write is
// ignored), then links it. 0, or the first error of the generation or the link.
int32_t RouteSetup(ViewComponents* view);
// Frees the route and clears the loaded flag. Always 0.
int32_t RouteTeardown();
// 300101 when no route is loaded; else 0 with every node freed.
int32_t RouteFree();
// Frees whatever chain hangs from the head, loaded or not, and empties head and tail.
void RouteNodesFree();
// Appends a node with a copy of the point, bound to the gate when hasGate is set. 0, or -5000.
int32_t RouteNodeAppend(const Point4* point, uint8_t hasGate, GateRecord* gate);
// Every node's prev set from the chain, the head's prev the tail; outside the rally modes every
// hasGate cleared (the gate pointers stay). 0.
int32_t RouteLink();

// The head / tail; null while no route is loaded.
RouteNode* RouteHeadGet();
RouteNode* RouteTailGet();
// The node's next; the head for null or the tail.
RouteNode* RouteNodeNextWrap(const RouteNode* node);
// The node's prev; the tail for null or a node without one.
RouteNode* RouteNodePrevWrap(const RouteNode* node);
// The head advanced n times round the ring; null without a route.
RouteNode* RouteNodeNth(uint32_t n);
// The first node of the gate; the head for a null gate or when no node has it.
RouteNode* RouteNodeForObject(const GateRecord* gate);
// The number of nodes from the head.
int32_t RouteNodeCount();
