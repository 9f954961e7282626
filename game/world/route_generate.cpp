#include "game/world/route_generate.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/collide.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/render/camera.h"
#include "game/state/laps_table.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/course_route.h"
#include "game/world/game_objects.h"
#include "game/world/gate_list.h"
#include "game/world/watercraft.h"

namespace {

constexpr uint32_t kProbeRenderFlag = 0x10;
// Crossings are worked relative to the first segment's start; this reach keeps every product of
// the 64-bit arithmetic below 2^61.
constexpr int64_t kCrossReach = int64_t{1} << 19;

struct FanRay {
  Point4 origin;
  Point4 end;
  float length;
};

struct Crossing {
  float x;
  float z;
  float distance;  // to the leg's end
};

World* WorldOf(const ViewComponents* view) { return view ? view->world : nullptr; }

float Distance(const Point4& a, const Point4& b) {
  const float dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

int32_t YawToward(const Point4& from, const Point4& to) {
  Transform t{};
  wre_TransformSet(&t, 0, 0, 0, from.x, from.y, from.z);
  wre_TransformPointAt(&t, to.x, to.y, to.z);
  return t.angleY;
}

// Stands the probe level at `from`, facing `to`, and sweeps it there. True on a hit, with *hit the
// place the probe meets.
bool ProbeBlocked(EngineObject* probe, World* world, const Point4& from, const Point4& to, Point4* hit) {
  wre_ObjectSetTransform(probe, 0, YawToward(from, to), 0, from.x, from.y, from.z);
  wre_ObjectUpdate(probe, 1, 1);
  Transform target = probe->transform;
  target.position[0] = to.x;
  target.position[1] = to.y;
  target.position[2] = to.z;
  CollisionResult result{};
  if (!wre_CollideObjectMove(probe, world, &probe->transform, &target, kRouteProbeGroups, kCollideBoxCorners,
                             &result, 1)) {
    return false;
  }
  if (hit) *hit = Point4{result.hit[0], result.hit[1], result.hit[2], to.w};
  return true;
}

// 180 rays of the given length from `origin`, the first a quarter turn to one side of `toward`, each
// ending where the probe meets something.
void FanBuild(EngineObject* probe, World* world, const Point4& origin, const Point4& toward, float length,
              FanRay* rays) {
  const int32_t base = YawToward(origin, toward);
  for (int32_t i = 0; i < kRouteFanRays; ++i) {
    const int32_t angle = (base + kRouteFanFirstAngle + kRouteFanStep * i) & 0xfff;
    FanRay& ray = rays[i];
    ray.origin = origin;
    ray.length = length;
    ray.end = Point4{origin.x + length * gSinTable[angle], origin.y, origin.z + length * gCosTable[angle], origin.w};
    Point4 hit{};
    if (ProbeBlocked(probe, world, origin, ray.end, &hit)) ray.end = hit;
  }
}

// The crossing of fan 2 (from the leg's current point) with fan 1 (from the leg's end) nearest the
// end, among those the probe reaches from the current point; the first found on ties.
bool PairSearch(EngineObject* probe, World* world, const FanRay* fan2, const FanRay* fan1, const Point4& from,
                const Point4& end, Point4* winner) {
  std::vector<Crossing> crossings;
  for (int32_t j = 0; j < kRouteFanRays; ++j) {
    for (int32_t i = 0; i < kRouteFanRays; ++i) {
      Crossing c{};
      if (!RouteSegmentsCross(&fan2[j].origin, &fan2[j].end, &fan1[i].origin, &fan1[i].end, &c.x, &c.z)) continue;
      const float dx = c.x - end.x, dz = c.z - end.z;
      c.distance = std::sqrt(dx * dx + dz * dz);
      crossings.push_back(c);
    }
  }
  std::stable_sort(crossings.begin(), crossings.end(),
                   [](const Crossing& a, const Crossing& b) { return a.distance < b.distance; });
  for (const Crossing& c : crossings) {
    const Point4 x{c.x, end.y, c.z, 0.0f};
    if (!ProbeBlocked(probe, world, from, x, nullptr)) {
      *winner = x;
      return true;
    }
  }
  return false;
}

// The middle of the fan-2 ray that ends nearest the leg's end.
Point4 FallbackPoint(const FanRay* fan2, const Point4& end) {
  const FanRay* best = &fan2[0];
  for (int32_t i = 1; i < kRouteFanRays; ++i) {
    if (Distance(fan2[i].end, end) < Distance(best->end, end)) best = &fan2[i];
  }
  const Point4& o = best->origin;
  const Point4& e = best->end;
  return Point4{o.x + 0.5f * (e.x - o.x), o.y + 0.5f * (e.y - o.y), o.z + 0.5f * (e.z - o.z),
                o.w + 0.5f * (e.w - o.w)};
}

// The race camera over `at`, looking at `toward`, and one progress frame.
void ProgressView(ViewComponents* view, const Point4& at, const Point4& toward) {
  if (!view || !view->camera) return;
  Transform t{};
  wre_TransformSet(&t, 0, 0, 0, at.x, at.y + kRouteCameraRaise, at.z);
  wre_TransformPointAt(&t, toward.x, toward.y, toward.z);
  wre_CameraSetTransform(view->camera, t.angleX, t.angleY, t.angleZ, t.position[0], t.position[1], t.position[2]);
  wre_CameraMarkChanged(view->camera);
  if (gRouteProgressFrame) gRouteProgressFrame(view);
}

bool OneLapCourse() {
  if (gLevel < 0 || gLevel >= kLevelCount || gCourse < 0 || gCourse >= kLapsColumns) return true;
  return kLapsTable[gLevel][gCourse] <= 1;
}

// The way from the leg's start to its end B: clear points while the straight way is blocked, at
// most kRouteFallbacksPerLeg fallbacks and none once the route holds kRouteNodeLimit nodes.
int32_t LegBuild(EngineObject* probe, ViewComponents* view, const Point4& start, const Point4& end, FanRay* fan1,
                 FanRay* fan2, int32_t* nodes) {
  World* world = WorldOf(view);
  Point4 from = start;
  for (int32_t fallbacks = 0; ProbeBlocked(probe, world, from, end, nullptr); ++fallbacks) {
    if (fallbacks >= kRouteFallbacksPerLeg || *nodes >= kRouteNodeLimit) return 0;
    const float length = Distance(from, end);
    FanBuild(probe, world, end, from, length, fan1);
    FanBuild(probe, world, from, end, length, fan2);
    Point4 winner{};
    if (PairSearch(probe, world, fan2, fan1, from, end, &winner)) {
      ++*nodes;
      return RouteNodeAppend(&winner, 0, nullptr);
    }
    from = FallbackPoint(fan2, end);
    ++*nodes;
    const int32_t result = RouteNodeAppend(&from, 0, nullptr);
    if (result != 0) return result;
    ProgressView(view, from, end);
  }
  return 0;
}

int32_t LegsBuild(EngineObject* probe, ViewComponents* view, FanRay* fan1, FanRay* fan2) {
  GateRecord* first = GateListFirst(nullptr);
  GateRecord* b = first ? GateListNext(first, nullptr) : nullptr;
  if (!first || !b || b == first) return kRouteErrFewGates;
  const bool oneLap = OneLapCourse();
  int32_t nodes = 1;
  int32_t result = RouteNodeAppend(&first->centre, 1, first);
  GateRecord* a = first;
  while (result == 0) {
    result = LegBuild(probe, view, a->centre, b->centre, fan1, fan2, &nodes);
    if (result == 0 && b != first) {
      ++nodes;
      result = RouteNodeAppend(&b->centre, 1, b);
    }
    a = b;
    b = GateListNext(b, nullptr);
    ProgressView(view, a->centre, b->centre);
    if (a == first || (oneLap && b == first)) break;
  }
  return result;
}

int64_t Truncated(float v, float origin) { return static_cast<int64_t>(v - origin); }

bool SameSigns(int64_t a, int64_t b) { return (a ^ b) >= 0; }

int64_t RoundedQuotient(int64_t numerator, int64_t denominator) {
  const int64_t offset = denominator < 0 ? -denominator / 2 : denominator / 2;
  return (numerator < 0 ? numerator - offset : numerator + offset) / denominator;
}

}  // namespace

bool RouteSegmentsCross(const Point4* a0, const Point4* a1, const Point4* b0, const Point4* b1, float* x,
                        float* z) {
  if (!a0 || !a1 || !b0 || !b1 || !x || !z) return false;
  const float ox = a0->x, oz = a0->z;
  for (const Point4* p : {a0, a1, b0, b1}) {
    if (!(std::fabs(p->x - ox) < static_cast<float>(kCrossReach)) ||
        !(std::fabs(p->z - oz) < static_cast<float>(kCrossReach))) {
      return false;
    }
  }
  const int64_t x1 = Truncated(a0->x, ox), y1 = Truncated(a0->z, oz);
  const int64_t x2 = Truncated(a1->x, ox), y2 = Truncated(a1->z, oz);
  const int64_t x3 = Truncated(b0->x, ox), y3 = Truncated(b0->z, oz);
  const int64_t x4 = Truncated(b1->x, ox), y4 = Truncated(b1->z, oz);
  const int64_t ea = y2 - y1, eb = x1 - x2, ec = x2 * y1 - x1 * y2;
  const int64_t r3 = ea * x3 + eb * y3 + ec, r4 = ea * x4 + eb * y4 + ec;
  if (r3 != 0 && r4 != 0 && SameSigns(r3, r4)) return false;
  const int64_t fa = y4 - y3, fb = x3 - x4, fc = x4 * y3 - x3 * y4;
  const int64_t r1 = fa * x1 + fb * y1 + fc, r2 = fa * x2 + fb * y2 + fc;
  if (r1 != 0 && r2 != 0 && SameSigns(r1, r2)) return false;
  const int64_t denominator = ea * fb - fa * eb;
  if (denominator == 0) return false;
  *x = ox + static_cast<float>(RoundedQuotient(eb * fc - fb * ec, denominator));
  *z = oz + static_cast<float>(RoundedQuotient(fa * ec - ea * fc, denominator));
  return true;
}

int32_t RouteBuild(EngineObject* probe, ViewComponents* view) {
  if (gRouteLoaded) return kRouteErrLoaded;
  // Nodes a failed read left behind go first.
  RouteNodesFree();
  FanRay* fan1 = wre_MemoryNewArray<FanRay>(kRouteFanRays);
  FanRay* fan2 = wre_MemoryNewArray<FanRay>(kRouteFanRays);
  int32_t result = kRouteErrNoMemory;
  if (!probe) {
    result = kRouteErrNoProbe;
  } else if (fan1 && fan2) {
    result = LegsBuild(probe, view, fan1, fan2);
  }
  wre_MemoryRelease(fan1);
  wre_MemoryRelease(fan2);
  if (result == 0) {
    gRouteLoaded = 1;
  } else {
    RouteNodesFree();
  }
  return result;
}

int32_t RouteGenerate(ViewComponents* view) {
  if (gRouteLoaded) return kRouteErrLoaded;
  GameObject* object = GameObjectCreate(view, kGameObjectWatercraft, kControlHuman, 0, 0, 0, 0, 0);
  if (!object || !object->craft || !object->craft->craftObject) {
    if (object) GameObjectFree(object, view);
    return kRouteErrNoProbe;
  }
  EngineObject* probe = object->craft->craftObject;
  probe->renderFlags &= ~kProbeRenderFlag;
  World* world = WorldOf(view);
  if (world) wre_WorldAddObject(probe, world);
  const int32_t result = RouteBuild(probe, view);
  if (world) wre_WorldRemoveObject(probe, world);
  GameObjectFree(object, view);
  return result;
}
