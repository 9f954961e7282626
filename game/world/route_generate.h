// Building a course's route by sweeping an invisible probe craft from gate to gate through the
// loaded level: a straight leg when the way is clear, otherwise a clear point where a fan of rays
// from each gate meet in sight of the leg's start. The race view follows the generation gate by
// gate through the progress frame hook.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

struct EngineObject;
struct ViewComponents;

// Every probe sweep tests all collision groups but the water markers (1), ramps (4), mode markers
// (0x10) and water surfaces (0x20), with the probe's box corners.
constexpr uint32_t kRouteProbeGroups = 0x7FFFFFCA;
constexpr int32_t kRouteFanRays = 180;
constexpr int32_t kRouteFanFirstAngle = -1024;  // a quarter turn to one side of the other gate
constexpr int32_t kRouteFanStep = 11;
// Bounds that keep a generation finite: clear points a leg may fall back to, and nodes in all.
constexpr int32_t kRouteFallbacksPerLeg = 8;
constexpr int32_t kRouteNodeLimit = 512;
constexpr float kRouteCameraRaise = 10000.0f;

// Draws one race frame while the route is generated, the camera already placed over the course;
// installed by the race frame's owner, and nothing is drawn while it is null.
inline void (*gRouteProgressFrame)(ViewComponents* view) = nullptr;

// Where two segments cross in the x-z plane, worked in 64-bit integers on the coordinates
// truncated relative to the first segment's start, the result rounded half away from zero.
// False for segments that do not meet, parallel ones, or coordinates beyond 2^19 of that start.
bool RouteSegmentsCross(const Point4* a0, const Point4* a1, const Point4* b0, const Point4* b1, float* x,
                        float* z);

// Generates the route of the running gate list with a probe craft of its own (see RouteBuild).
// 300100 when a route is loaded; -5000; -1 when the probe cannot be made; otherwise as RouteBuild.
int32_t RouteGenerate(ViewComponents* view);
// Builds the route with the given probe, which must stand in the view's world: 0 with the route
// loaded; 301001 for fewer than two gates; -5000. A failure leaves no nodes behind.
int32_t RouteBuild(EngineObject* probe, ViewComponents* view);
