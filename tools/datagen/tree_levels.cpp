// The ten levels: each level's model (its land and scenery, water markers, ramps, floating crates,
// rocks and its own special objects) in the engine's chunk format, its textures in its own palette,
// its sky, its fifteen water-and-light files, its fifteen courses laid along its water and its course
// maps. One layout drives the courses, the maps and where obstacles stand.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "tools/datagen/course_writer.h"
#include "tools/datagen/level_land.h"
#include "tools/datagen/level_plans.h"
#include "tools/datagen/texture_images.h"
#include "tools/datagen/texture_list_writer.h"
#include "tools/datagen/tree_models.h"
#include "tools/datagen/world_writer.h"

namespace {

using namespace levelgen;

constexpr int32_t kImage = 1024;

// Rally gates stand as far apart along a way as the straight leg between them keeps kGateShoreClear
// from the shore, up to kGateReach and none closer than kGateApart. The first gate of an open way
// stands at least kGateLead from the start; a loop's start stands kGateLead before its first gate and
// kStartClear past its last, the finish. Dollars and derby markers keep kMarkerShoreClear from the
// shore, the legs between them kMarkerLegClear. The courses' own checks ask for a little less, as the
// land is traced on a grid.
constexpr float kGateReach = 550000, kGateApart = 65000, kGateShoreClear = 36000, kGateLead = 110000;
constexpr float kStartClear = 40000;
constexpr float kMarkerShoreClear = 26000, kMarkerLegClear = 16000;

struct Palette {
  uint32_t zenith, horizon, sea;       // sky
  uint32_t waterDeep, waterLight;      // the race water
  uint32_t rock, rockDark;             // cliffs and rocks
  uint32_t sand, crate, stone, accent;
  uint32_t land, leaf, house;          // the shore's top, trees, walls of buildings
};

struct LevelDef {
  const char* word;
  bool fourLaps;
  Palette palette;
};

constexpr LevelDef kLevels[10] = {
    {"amazon", false, {0x5080A8, 0xD8E0C0, 0x2C4A28, 0x1E3A30, 0x4A7A60, 0x4A6A2A, 0x2A3A18, 0x9A8A5A, 0x8A5A2A, 0x6A7060, 0xE0C020, 0x3E6A26, 0x2A5A1A, 0xB89868}},
    {"bahama", false, {0x2088E0, 0xC0ECFF, 0x20A8C0, 0x108CB0, 0x60E0E8, 0xE8D8A8, 0xB8A070, 0xF8ECC0, 0xC87838, 0xE0E0D8, 0xFF6080, 0xF0E2B8, 0x3A9A3A, 0xF8E8D0}},
    {"bermuda", true, {0x203C78, 0x8CA8C8, 0x102848, 0x0C2C60, 0x3C70B0, 0x6A6A78, 0x3A3A48, 0xD8D0B0, 0x7A5A3A, 0xA0A0B0, 0xFF3030, 0x6A8A4A, 0x2E5A2E, 0xF0C8D0}},
    {"colorado", false, {0x4890D8, 0xF0D8A8, 0x7A5030, 0x4A3020, 0x8A5A38, 0xC05A28, 0x7A3018, 0xD8A060, 0x9A6030, 0xB07050, 0x40A0FF, 0xB8643A, 0x4A6A30, 0xC89060}},
    {"hongkong", true, {0x181838, 0xB06890, 0x202838, 0x0E2A34, 0x2E6A74, 0x6A6A70, 0x3A3A40, 0x8A8A88, 0xC0A020, 0x909098, 0xFF2060, 0x707078, 0x3A6A3A, 0x8890A0}},
    {"lakeside", true, {0x3A80D0, 0xD0E8F8, 0x2A5830, 0x1A5878, 0x4A98B8, 0x4A8A3A, 0x2A5A22, 0xB0A070, 0x8A6A3A, 0xA09888, 0xFFFFFF, 0x5A9A40, 0x2E6A24, 0xE8E0D0}},
    {"nile", false, {0x70A8E0, 0xF8E8C0, 0xC8A060, 0x1A6A70, 0x40A8A0, 0xD8B878, 0xA08048, 0xF0D8A0, 0x8A6A3A, 0xD0B888, 0x2060C0, 0xE2CC94, 0x4A8A2A, 0xE8D8B0}},
    {"penguin", false, {0x5080B0, 0xE8F0F8, 0xD0E0F0, 0x1A4A6A, 0x6AA8C8, 0xF0F8FF, 0xA8C0D8, 0xE0E8F0, 0x4A6A8A, 0xC8D8E8, 0xFF8020, 0xF2F6FC, 0x3A5A4A, 0x202830}},
    {"venice", true, {0x484890, 0xF8A868, 0x3A4A48, 0x2A5A58, 0x5A9088, 0xC87850, 0x8A4A30, 0xD8B890, 0x6A4A3A, 0xE8D8C0, 0xF0C020, 0xB8A088, 0x3A6A2A, 0xE0A878}},
    {"victoria", true, {0x6040A0, 0xF8A0A0, 0x3A3A60, 0x2A4A78, 0x6A80B8, 0x5A7A4A, 0x3A5030, 0xC8B080, 0x8A5A4A, 0xA8A098, 0xFFE060, 0x6A9A48, 0x2A6A2A, 0xD0B890}},
};

// World (x, z) to course-image pixels, the inverse of the course reader's mapping.
constexpr float kScale = (kMax - kMin) / static_cast<float>(kImage + 1);
int32_t PixelX(float x) { return static_cast<int32_t>(std::lround((x - kMin) / kScale + 0.5f)); }
int32_t PixelY(float z) { return kImage - 1 - static_cast<int32_t>(std::lround((z - kMin) / kScale + 0.5f)); }

// ---- Courses laid along the water ----------------------------------------------------------------

struct Layout {
  std::array<std::vector<V2>, 5> gates;  // rally gate centres, in order
  std::array<std::vector<V2>, 5> treasure;
  std::array<std::vector<V2>, 5> derby;
  std::array<V2, 5> rallyStart;
  std::array<V2, 5> treasureStart;
  std::array<V2, 5> derbyStart;
};

// The direction a gate is crossed: along the leg that comes to it, from the start or the gate before.
// A rider steering for the gate's middle meets it square on, its whole width open to him.
V2 GateTangent(const std::vector<V2>& g, size_t i, V2 start) { return Unit(Sub(g[i], i == 0 ? start : g[i - 1])); }

// A linear hunt spirals out round the water two and a half times, then runs straight out to a finish
// in the corner opposite its start, after some 2 million units of water. The spiral is gentle
// everywhere (a dollar behind a sharp turn lies inside a fast craft's turning circle), and the finish
// stands 70,000 units beyond its outer turn (a craft that slides wide of the spiral, as fast ones do,
// must not run into the finish arch before its time), in a pass wide enough for one that misses the
// arch to turn back to it.
std::vector<V2> LinearRoute(int32_t level, int32_t course, V2* start) {
  constexpr float kInnerRadius = K(95), kOuterRadius = K(150), kTurns = 1.5f, kFinishRadius = K(222);
  constexpr float kSpacing = 110000;
  const float finish = kPi / 4 + kPi / 2 * static_cast<float>((course + level) % 4);
  const float first = finish + kPi;  // two and a half turns end on the finish's side
  const float sense = (course + level / 2) % 2 == 0 ? 1.0f : -1.0f;
  auto at = [&](float s) {
    if (s > kTurns) {
      const float r = kOuterRadius + (kFinishRadius - kOuterRadius) * (s - kTurns);
      return V2{kCentre + r * std::cos(finish), kCentre + r * std::sin(finish)};
    }
    const float r = kInnerRadius + (kOuterRadius - kInnerRadius) * s / kTurns, a = first + sense * 2 * kPi * s;
    return V2{kCentre + r * std::cos(a), kCentre + r * std::sin(a)};
  };
  *start = at(0);
  std::vector<V2> dollars;
  // Dollars at equal steps along the way, the first a little way from the start, the last on its
  // end.
  constexpr int32_t kSteps = 4000;
  constexpr float kWay = kTurns + 1;
  float travelled = 0, next = kSpacing * 0.6f;
  for (int32_t k = 1; k <= kSteps; ++k) {
    const float t = kWay * static_cast<float>(k) / kSteps;
    travelled += Length(Sub(at(t), at(kWay * static_cast<float>(k - 1) / kSteps)));
    if (k == kSteps) {
      if (travelled - (next - kSpacing) < kSpacing / 2) dollars.pop_back();
      dollars.push_back(at(t));
    } else if (travelled >= next) {
      dollars.push_back(at(t));
      next += kSpacing;
    }
  }
  return dollars;
}

// A way on a lagoon level: in through one corner pass, some quarter turns round the middle, out
// through another.
Path LagoonWay(int32_t in, int32_t quarters, bool clockwise, float ring) {
  const float a0 = kPi / 4 + kPi / 2 * static_cast<float>(in), sense = clockwise ? -1.0f : 1.0f;
  const float a1 = a0 + sense * kPi / 2 * static_cast<float>(quarters);
  auto polar = [](float r, float a) { return V2{kCentre + r * std::cos(a), kCentre + r * std::sin(a)}; };
  // Into the round and out of it on wide bends, each a quarter of the round's radius off the pass.
  std::vector<V2> control{polar(K(205), a0), polar(K(175), a0), polar(0.5f * (K(175) + ring), a0 + sense * 0.12f)};
  const int32_t steps = 3 * quarters;
  for (int32_t k = 1; k < steps; ++k) control.push_back(polar(ring, a0 + sense * kPi / 6 * static_cast<float>(k)));
  control.push_back(polar(0.5f * (K(175) + ring), a1 - sense * 0.12f));
  control.push_back(polar(K(175), a1));
  control.push_back(polar(K(205), a1));
  return MakePath(control, false);
}

// The place `across` to the side of a way, drawn in towards the way until it stands `margin` from
// the shore.
V2 Aside(const Waters& w, V2 on, V2 direction, float across, float margin) {
  for (int32_t i = 0; i < 8; ++i) {
    const V2 p = Add(on, Mul(Across(direction), across));
    if (Inland(w, p) <= -margin) return p;
    across *= 0.7f;
  }
  return on;
}

// The shares of the way where gates stand, from the first to the far end of an open way or round a
// loop: each next one as far on as the straight leg to it keeps clear of the shore. Few gates and
// long straight legs between them leave a rider who sees his craft late time to settle on each leg;
// a gate in every bend would turn him again before he had. An open way's first gate stands as far
// on from the start as the leg to it keeps clear, the start's straight run being the one a rider
// takes cleanly.
std::vector<float> GatesAlong(const Waters& w, const Path& p) {
  const float to = p.closed ? 1 - (kGateLead + kStartClear) / p.length : 1;
  const float step = 2000 / p.length, apart = kGateApart / p.length, reach = kGateReach / p.length;
  auto clear = [&](float a, float b) { return WayClearance(w, PathAt(p, a), PathAt(p, b), kGateShoreClear) >= kGateShoreClear; };
  // The furthest share from `from` on, between `least` and `most`, that the leg from `from` reaches
  // without coming near the shore (`least` when none does).
  auto furthest = [&](float from, float least, float most) {
    float best = least;
    for (float t = least; t <= most; t += step) {
      if (!clear(from, t)) break;
      best = t;
    }
    return best;
  };
  std::vector<float> shares{p.closed ? 0 : furthest(0, kGateLead / p.length, std::min(reach, to - apart))};
  while (to - shares.back() > 1e-6f) {
    const float s = shares.back();
    // The end when the leg to it is clear; else as far as the leg keeps clear, leaving room for one
    // more leg before the end.
    shares.push_back(to - s <= reach && clear(s, to) ? to : std::min(furthest(s, s + apart, std::min(s + reach, to - apart)), to));
  }
  return shares;
}

// Markers weaving from side to side of a way, `spacing` apart, each kept in sight of the one before
// (with one more between where the way turns a corner);
// an open way ends with one on its end, the weave narrowing towards it.
std::vector<V2> Weave(const Waters& w, const Path& p, float spacing, float swing, float phase, float first) {
  std::vector<V2> out;
  const auto n = static_cast<int32_t>(p.length / spacing);
  for (int32_t i = 0; i < n; ++i) {
    const float share = (first + static_cast<float>(i)) * spacing / p.length;
    if (!p.closed && share > 1 - 0.5f * spacing / p.length) break;
    const float side = (i % 2 ? 1.0f : -1.0f) * phase;
    const float narrowing = p.closed ? 1.0f : std::clamp((1 - share) * p.length / K(150), 0.0f, 1.0f);
    V2 at = PathAt(p, share);
    bool seen = false;
    for (float part : {1.0f, 0.5f, 0.0f}) {
      const V2 q = Aside(w, PathAt(p, share), PathDirection(p, share), swing * side * narrowing * part, kMarkerShoreClear);
      if (out.empty() || WayClearance(w, out.back(), q, kMarkerLegClear) >= kMarkerLegClear) {
        at = q;
        seen = true;
        break;
      }
    }
    // Round a corner of the way, one more on the way between.
    if (!seen) out.push_back(PathAt(p, share - 0.5f * spacing / p.length));
    out.push_back(at);
  }
  if (!p.closed) out.push_back(PathAt(p, 1));
  return out;
}

Layout MakeLayout(int32_t level, const LevelPlan& plan) {
  Layout l;
  const bool loop = kLevels[level].fourLaps;
  for (int32_t v = 0; v < 5; ++v) {
    Path way = plan.rally[v];
    if (plan.spiral) {
      static constexpr int32_t kQuarters[5] = {3, 2, 3, 1, 2};
      way = LagoonWay((v + level) % 4, kQuarters[v], v % 2 == 1, level == 1 ? K(112) : K(124));
    }
    for (float share : GatesAlong(plan.waters, way)) l.gates[v].push_back(PathAt(way, share));
    // A loop's start stands kGateLead behind its first gate along the way; an open way's on its
    // beginning.
    l.rallyStart[v] = way.closed ? PathAt(way, -kGateLead / way.length) : PathAt(way, 0);
    if (loop) {
      const float spacing = way.length / static_cast<float>(10 + v % 3);
      l.treasure[v] = Weave(plan.waters, way, spacing, K(15), v % 2 ? 1.0f : -1.0f, 0.5f);
      l.treasureStart[v] = PathAt(way, 0);
    } else if (plan.spiral) {
      l.treasure[v] = LinearRoute(level, v, &l.treasureStart[v]);
    } else {
      // Odd courses run the long way backwards; each weaves its own way from bank to bank.
      const Path tour = v % 2 ? SubPath(plan.tour, 1, 0) : plan.tour;
      l.treasure[v] = Weave(plan.waters, tour, plan.tourSpacing + K(1.5f) * static_cast<float>(v), plan.tourSwing, v % 3 ? 1.0f : -1.0f, 0.6f);
      l.treasureStart[v] = PathAt(tour, 0);
    }
    // Derby markers spread along the course's way, each to a side drawn at random, drawn in towards
    // the way where the shore stands between it and the one before (or one more put between).
    DataRandom random{static_cast<uint32_t>(level * 100 + v + 1)};
    for (int32_t i = 0; i < 12; ++i) {
      const float share = (static_cast<float>(i) + 0.5f) / 12, across = (random.Unit() - 0.5f) * K(50);
      V2 at = PathAt(way, share);
      bool seen = false;
      for (float part : {1.0f, 0.5f, 0.0f}) {
        const V2 q = Aside(plan.waters, PathAt(way, share), PathDirection(way, share), across * part, kMarkerShoreClear);
        if (l.derby[v].empty() || WayClearance(plan.waters, l.derby[v].back(), q, kMarkerLegClear) >= kMarkerLegClear) {
          at = q;
          seen = true;
          break;
        }
      }
      if (!seen) l.derby[v].push_back(PathAt(way, share - 0.5f / 12));
      l.derby[v].push_back(at);
    }
    l.derbyStart[v] = PathAt(way, 0);
  }
  return l;
}

// The least distance from p to any rally leg of the level.
float LegClearance(const Layout& l, bool loop, V2 p, int32_t skipCourse = -1) {
  float best = 1e30f;
  for (int32_t v = 0; v < 5; ++v) {
    if (v == skipCourse) continue;
    const auto& g = l.gates[v];
    best = std::min(best, SegmentDistance(p, l.rallyStart[v], g[0]));
    for (size_t i = 0; i + 1 < g.size(); ++i) best = std::min(best, SegmentDistance(p, g[i], g[i + 1]));
    if (loop) best = std::min(best, SegmentDistance(p, g.back(), g[0]));
  }
  return best;
}

float MarkerClearance(const Layout& l, V2 p) {
  float best = 1e30f;
  for (int32_t v = 0; v < 5; ++v) {
    for (V2 q : l.treasure[v]) best = std::min(best, Length(Sub(p, q)));
    for (V2 q : l.derby[v]) best = std::min(best, Length(Sub(p, q)));
    best = std::min({best, Length(Sub(p, l.treasureStart[v])), Length(Sub(p, l.derbyStart[v]))});
  }
  return best;
}

// A place in the water near the shore, as far as can be from every course and from places
// already taken: where a rock or a floating crate stands in no rider's way.
V2 ShorePlace(const Waters& w, const Layout& l, bool loop, const std::vector<V2>& taken, uint32_t seed) {
  DataRandom random{seed};
  V2 best{kCentre, kCentre};
  float bestScore = -1e30f;
  for (int32_t i = 0; i < 2000; ++i) {
    const V2 p{kMin + (kMax - kMin) * random.Unit(), kMin + (kMax - kMin) * random.Unit()};
    const Span span = InlandSpan(w, p);
    if (span.low > -6000 || span.high < -14000) continue;
    const float inland = Inland(w, p);
    if (inland > -6000 || inland < -14000) continue;
    float score = std::min(LegClearance(l, loop, p), MarkerClearance(l, p) * 1.5f);
    for (V2 t : taken) score = std::min(score, Length(Sub(p, t)) * 0.5f);
    if (score > bestScore) bestScore = score, best = p;
  }
  return best;
}

std::vector<ChunkObjectDef> LevelObjects(int32_t level, const LevelPlan& plan, const Layout& l, const LevelTextures& t,
                                         TreeLevelFacts* facts) {
  const bool loop = kLevels[level].fourLaps;
  const Waters& w = plan.waters;
  std::vector<ChunkObjectDef> objects;
  AddLand(objects, w, plan.landTop, t);
  // Water markers at opposite corners: the race water spans the level.
  for (V2 at : {K(62, 62), K(438, 438)}) {
    objects.push_back(LevelSolid(MeshPlane(1000, 1000, 1, 1), at, 0, t.water, kLevelWaterMarker));
    ++facts->waterMarkers;
  }
  std::vector<V2> taken;
  // Ramps on the first rally course's two longest legs from gate to gate (round again on a loop),
  // rising the way the craft go.
  const auto& first = l.gates[0];
  std::vector<std::pair<V2, V2>> legs;
  for (size_t i = 0; i + 1 < first.size(); ++i) legs.emplace_back(first[i], first[i + 1]);
  if (loop) legs.emplace_back(first.back(), first.front());
  std::stable_sort(legs.begin(), legs.end(), [](const auto& x, const auto& y) {
    return Length(Sub(x.second, x.first)) > Length(Sub(y.second, y.first));
  });
  legs.resize(std::min<size_t>(legs.size(), 2));
  for (const auto& [a, b] : legs) {
    const V2 d = Unit(Sub(b, a));
    ModelMesh ramp = MeshWedge(8000, 2000, 12000);
    MeshTurnY(ramp, std::atan2(-d.x, -d.z));
    const V2 at = Add(a, Mul(Sub(b, a), 0.45f));
    objects.push_back(LevelSolid(ramp, at, -500, t.ramp, kLevelRamp));
    taken.push_back(at);
  }
  // Floating crates by the shore, off the racing lines; on hongkong the first is a floating solid
  // (a moored pontoon), on penguin they are ice floes.
  for (int32_t i = 0; i < 3; ++i) {
    const V2 at = ShorePlace(w, l, loop, taken, static_cast<uint32_t>(level * 10 + i + 500));
    taken.push_back(at);
    const bool pontoon = level == 4 && i == 0;
    ModelMesh box = pontoon ? MeshBox(9000, 1500, 4000) : level == 7 ? MeshBox(6000, 1200, 5000) : MeshBox(2000, 2000, 2000);
    objects.push_back(LevelSolid(std::move(box), at, 0, level == 7 ? t.stone : t.crate, pontoon ? kLevelFloatingSolid : kLevelFloater));
  }
  // Rock stacks standing in the water by the shore; on bermuda the first stands across leg 2-3 of
  // rally course 3 (index 2) instead, so the computer riders' route must find a way round it.
  for (int32_t i = 0; i < 2; ++i) {
    V2 at = ShorePlace(w, l, loop, taken, static_cast<uint32_t>(level * 10 + i + 600));
    if (level == 2 && i == 0) {
      const auto& g = l.gates[2];
      float best = -1;
      for (float f : {0.5f, 0.4f, 0.6f, 0.35f, 0.65f}) {
        const V2 p = Add(g[1], Mul(Sub(g[2], g[1]), f));
        const float clear = std::min(LegClearance(l, loop, p, 2), MarkerClearance(l, p));
        if (clear > best) best = clear, at = p;
      }
    }
    taken.push_back(at);
    ModelMesh pillar = MeshBox(6000, 10000, 6000);
    ChunkObjectDef o = LevelSolid(pillar, at, 1000, t.stone, i == 0 ? kLevelPillar : -1);
    if (i == 1) {
      ChunkUserDataDef u;
      u.kind = 1994;
      u.blockA = "object";
      u.blockB = "ident";
      u.textA = "id";
      u.textB = "100";
      o.userData.push_back(u);
    }
    objects.push_back(o);
  }
  // Level specials: the rapids strip on amazon and bermuda's deep water, both under the first leg.
  if (level == 0 || level == 2) {
    const auto& g = l.gates[0];
    const V2 a = g[0], b = g[1];
    ModelMesh strip = MeshPlane(20000, 60000, 2, 6);
    MeshTurnY(strip, std::atan2(b.x - a.x, b.z - a.z));
    // Below the deepest trough of any course's waves (at most 149), so the opaque strip never
    // rises over a craft riding a trough above it.
    objects.push_back(LevelSolid(strip, Add(a, Mul(Sub(b, a), 0.45f)), -160, t.strip, level == 0 ? kLevelWaterSurface : kLevelWaterSurfaceDeep));
  }
  // Bermuda's lighthouse on its biggest islet, seen from every course.
  if (level == 2) {
    const Isle& isle = w.isles[0];
    objects.push_back(LevelSolid(MeshCylinder(2200, 16000, 10), Mul(Add(isle.a, isle.b), 0.5f), plan.landTop, t.tower, kLevelHelperC));
    taken.push_back(Mul(Add(isle.a, isle.b), 0.5f));
  }
  AddScenery(objects, level, w, plan.landTop, t, kLevels[level].palette.accent);
  // What the load will measure: the height span of every object, and ids it does not know (an
  // unknown id could land an object in the markers' collision group).
  static constexpr int32_t kKnown[] = {kLevelWaterSurface, kLevelFloatingSolid, kLevelWaterSurfaceDeep, kLevelWall,
                                       kLevelPillar, kLevelWaterMarker, kLevelHelperA, kLevelHelperB, kLevelHelperC,
                                       kLevelHelperD, kLevelFloater, kLevelRamp};
  facts->minX = facts->minY = facts->minZ = 1e30f;
  facts->maxX = facts->maxY = facts->maxZ = -1e30f;
  for (const ChunkObjectDef& o : objects) {
    for (const auto& p : o.mesh.points) {
      facts->minX = std::min(facts->minX, p[0] + o.position[0]);
      facts->maxX = std::max(facts->maxX, p[0] + o.position[0]);
      facts->minY = std::min(facts->minY, p[1] + o.position[1]);
      facts->maxY = std::max(facts->maxY, p[1] + o.position[1]);
      facts->minZ = std::min(facts->minZ, p[2] + o.position[2]);
      facts->maxZ = std::max(facts->maxZ, p[2] + o.position[2]);
    }
    // The land's top: the shore the courses keep off.
    const bool land = !o.userData.empty() && o.userData[0].kind == 1 && o.userData[0].value == kLevelWall;
    for (size_t k = 0; land && k < o.mesh.triangles.size(); ++k) {
      if (o.triangleTexture[k] != 0) continue;
      std::array<float, 6> top{};
      for (size_t c = 0; c < 3; ++c) {
        const auto& q = o.mesh.points[static_cast<size_t>(o.mesh.triangles[k][c])];
        top[2 * c] = q[0] + o.position[0];
        top[2 * c + 1] = q[2] + o.position[2];
      }
      facts->land.push_back(top);
    }
    for (const ChunkUserDataDef& u : o.userData)
      if (u.kind == 1 && std::find(std::begin(kKnown), std::end(kKnown), u.value) == std::end(kKnown))
        ++facts->unknownIdObjects;
  }
  facts->waterY = 0;
  return objects;
}

// A picture with its mip levels "<file>_01" and "_02", each half the size of the one above.
void PutMipped(TreeOutput& tree, const std::string& folder, const std::string& file, const Canvas& c) {
  TreePutPicture(tree, folder + "/" + file, c);
  Canvas level = c;
  for (int32_t m = 1; m <= 2; ++m) {
    Canvas half = CanvasNew(level.width / 2, level.height / 2, 0);
    for (int32_t y = 0; y < half.height; ++y)
      for (int32_t x = 0; x < half.width; ++x)
        CanvasPut(half, x, y, CanvasMix(CanvasMix(CanvasGet(level, 2 * x, 2 * y), CanvasGet(level, 2 * x + 1, 2 * y), 0.5f),
                                        CanvasMix(CanvasGet(level, 2 * x, 2 * y + 1), CanvasGet(level, 2 * x + 1, 2 * y + 1), 0.5f), 0.5f));
    TreePutPicture(tree, folder + "/" + TextureMipFileName(file, m), half);
    level = half;
  }
}

LevelTextures WriteLevelTextures(TreeOutput& tree, int32_t level) {
  const std::string w = kLevels[level].word, folder = "levels/" + w;
  const Palette& p = kLevels[level].palette;
  LevelTextures t{w + "_rock.bmp",  w + "_crate.bmp", w + "_ramp.bmp",  w + "_water.bmp", w + "_strip.bmp",
                  w + "_ground.bmp", w + "_stone.bmp", w + "_tower.bmp", w + "_leaf.bmp",  w + "_house.bmp"};
  TreeListBuilder list = TreeListStart(folder, "the " + w + " level");
  Canvas rock = CanvasNew(64, 64, p.rock);
  CanvasGradient(rock, 0, 0, 64, 64, CanvasMix(p.rock, 0xFFFFFF, 0.15f), p.rockDark);
  CanvasNoise(rock, 28, 8, static_cast<uint32_t>(level) + 40);
  CanvasNoise(rock, 10, 2, static_cast<uint32_t>(level) + 41);
  PutMipped(tree, folder, t.rock, rock);
  TreeListAddMip(list, t.rock, 16);
  Canvas crate = CanvasNew(32, 32, p.crate);
  CanvasBevel(crate, 0, 0, 31, 31, p.crate);
  CanvasLine(crate, 3, 3, 28, 28, 3, CanvasMix(p.crate, 0, 0.4f));
  CanvasLine(crate, 3, 28, 28, 3, 3, CanvasMix(p.crate, 0, 0.4f));
  PutMipped(tree, folder, t.crate, crate);
  TreeListAddMipKeyed(list, t.crate, 16);
  Canvas ramp = CanvasNew(32, 32, 0xF0F0F0);
  for (int32_t y = 0; y < 32; y += 8) CanvasFill(ramp, 0, y, 32, y + 4, p.accent);
  TreePutPicture(tree, folder + "/" + t.ramp, ramp);
  TreeListAddDepthKeyed(list, t.ramp, 16);
  // The race water: the level's own blues and greens with light ripples.
  Canvas water = CanvasNew(64, 64, CanvasMix(p.waterDeep, p.waterLight, 0.45f));
  CanvasNoise(water, 22, 16, static_cast<uint32_t>(level) + 60);
  CanvasNoise(water, 8, 4, static_cast<uint32_t>(level) + 61);
  // Small glints, scattered, so the surface reads as water from any side.
  DataRandom glints{static_cast<uint32_t>(level) + 65};
  for (int32_t i = 0; i < 18; ++i) {
    const float x = glints.Unit() * 64, y = glints.Unit() * 64, len = 1.5f + glints.Unit() * 2.5f;
    CanvasLine(water, x, y, x + len, y + (i % 3 == 0 ? 1.0f : 0.0f), 1, CanvasMix(p.waterLight, 0xFFFFFF, 0.35f));
  }
  TreePutPicture(tree, folder + "/" + t.water, water);
  if (level % 2 == 0) {
    TreeListAddProcedural(list, t.water);
  } else {
    TreeListAdd(list, t.water);
  }
  TreeListIdent(list, "vqz_WaterworksTexIdent0");
  if (level == 0 || level == 2) {
    Canvas strip = CanvasNew(64, 64, p.waterLight);
    CanvasNoise(strip, 30, 4, static_cast<uint32_t>(level) + 70);
    TreePutPicture(tree, folder + "/" + t.strip, strip);
    TextureListAddProceduralKeyed(list.writer, t.strip, 0, 0, 0);
    list.list.files.push_back(t.strip);
  }
  // The shore's top: the level's ground, mottled, with sand worked in.
  Canvas ground = CanvasNew(64, 64, p.land);
  CanvasGradient(ground, 0, 0, 64, 64, CanvasMix(p.land, p.sand, 0.25f), p.land);
  CanvasNoise(ground, 26, 8, static_cast<uint32_t>(level) + 80);
  CanvasNoise(ground, 12, 2, static_cast<uint32_t>(level) + 81);
  PutMipped(tree, folder, t.ground, ground);
  TreeListAddMip(list, t.ground, 16);
  Canvas leaf = CanvasNew(32, 32, p.leaf);
  CanvasNoise(leaf, 40, 4, static_cast<uint32_t>(level) + 82);
  CanvasNoise(leaf, 16, 1, static_cast<uint32_t>(level) + 83);
  TreePutPicture(tree, folder + "/" + t.leaf, leaf);
  TreeListAdd(list, t.leaf);
  // Walls of buildings: plaster with rows of windows.
  Canvas house = CanvasNew(32, 32, p.house);
  CanvasNoise(house, 10, 2, static_cast<uint32_t>(level) + 84);
  for (int32_t y = 4; y < 32; y += 10)
    for (int32_t x = 3; x < 32; x += 8) CanvasFill(house, x, y, x + 4, y + 5, CanvasMix(p.zenith, 0x101820, 0.6f));
  TreePutPicture(tree, folder + "/" + t.house, house);
  TreeListAdd(list, t.house);
  Canvas stone = CanvasNew(32, 32, p.stone);
  for (int32_t y = 0; y < 32; y += 8) CanvasFill(stone, 0, y, 32, y + 1, CanvasMix(p.stone, 0, 0.4f));
  CanvasNoise(stone, 10, 4, static_cast<uint32_t>(level) + 90);
  TreePutPicture(tree, folder + "/" + t.stone, stone);
  TreeListAdd(list, t.stone);
  Canvas tower = CanvasNew(32, 32, 0xF8F8F8);
  for (int32_t y = 0; y < 32; y += 16) CanvasFill(tower, 0, y, 32, y + 8, 0xD02020);
  TreePutPicture(tree, folder + "/" + t.tower, tower);
  TreeListAdd(list, t.tower);
  TreeListFinish(tree, list);
  return t;
}

std::vector<CourseWaypointPlan> Buoys(const std::vector<V2>& g, V2 start, int32_t* value) {
  std::vector<CourseWaypointPlan> out;
  for (size_t i = 0; i < g.size(); ++i) {
    const V2 n = Across(GateTangent(g, i, start));
    for (float s : {-1.0f, 1.0f}) {
      const V2 p = Add(g[i], Mul(n, s * kTreeGateHalf));
      out.push_back({(*value)++, PixelX(p.x), PixelY(p.z), out.size() % 2 == 0});
    }
  }
  return out;
}

std::vector<CourseWaypointPlan> Markers(const std::vector<V2>& points, int32_t* value) {
  std::vector<CourseWaypointPlan> out;
  for (V2 p : points) out.push_back({(*value)++, PixelX(p.x), PixelY(p.z), out.size() % 2 == 0});
  return out;
}

std::string Capitalised(const char* word) {
  std::string s = word;
  s[0] = static_cast<char>(s[0] - 'a' + 'A');
  return s;
}

CourseFilePlan Courses(int32_t level, const Layout& l, TreeLevelFacts* facts) {
  CourseFilePlan plan;
  plan.imageWidth = kImage;
  plan.imageHeight = kImage;
  plan.waypointAddCount = 1;
  const std::string name = Capitalised(kLevels[level].word);
  int32_t value = 1;
  for (int32_t v = 0; v < 5; ++v) {
    CoursePlan c{name + " Rally " + std::to_string(v + 1), PixelX(l.rallyStart[v].x), PixelY(l.rallyStart[v].z),
                 Buoys(l.gates[v], l.rallyStart[v], &value)};
    facts->rallyWaypointCounts.push_back(static_cast<int32_t>(c.waypoints.size()));
    plan.courses.push_back(c);
  }
  for (int32_t v = 0; v < 5; ++v)
    plan.courses.push_back({name + " Treasure " + std::to_string(v + 1), PixelX(l.treasureStart[v].x),
                            PixelY(l.treasureStart[v].z), Markers(l.treasure[v], &value)});
  for (int32_t v = 0; v < 5; ++v)
    plan.courses.push_back({name + " Derby " + std::to_string(v + 1), PixelX(l.derbyStart[v].x),
                            PixelY(l.derbyStart[v].z), Markers(l.derby[v], &value)});
  for (const CoursePlan& c : plan.courses) {
    TreeCoursePixels pixels{c.startGateX, c.startGateY, {}};
    for (const CourseWaypointPlan& w : c.waypoints) pixels.waypoints.push_back({w.x, w.y});
    facts->courses.push_back(pixels);
  }
  return plan;
}

// A course map: the rally path and its buoys over a transparent ground, with its opacity.
void WriteCourseMap(TreeOutput& tree, const std::string& folder, int32_t n, const std::vector<V2>& g, bool loop,
                    uint32_t accent) {
  constexpr int32_t kSide = 32;
  Canvas c = CanvasNew(kSide, kSide, 0x0A2040);
  std::vector<uint8_t> alpha(kSide * kSide, 0);
  auto at = [](V2 p) {
    return V2{(p.x - kMin) / (kMax - kMin) * kSide, kSide - (p.z - kMin) / (kMax - kMin) * kSide};
  };
  for (size_t i = 0; i + (loop ? 0 : 1) < g.size(); ++i) {
    const V2 a = at(g[i]), b = at(g[(i + 1) % g.size()]);
    CanvasLine(c, a.x, a.z, b.x, b.z, 1, 0xFFFFFF);
  }
  for (V2 p : g) CanvasDisc(c, at(p).x, at(p).z, 1.5f, accent);
  CanvasDisc(c, at(g[0]).x, at(g[0]).z, 2, 0x30FF30);
  for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = c.pixels[i] == 0x0A2040 ? 90 : 255;
  const std::string stem = folder + "/c" + std::to_string(n);
  TreePutPicture(tree, stem + ".bmp", c);
  TreePut(tree, stem + "_opacity.bmp", CanvasOpacityBmp(alpha, kSide, kSide));
}

const char* const kModes[5] = {"vqz_WaterMode_SingularSineWave", "vqz_WaterMode_RandomPlop",
                               "vqz_WaterMode_StaggeredDualSineWave", "vqz_WaterMode_Planar",
                               "vqz_WaterMode_StaggeredSineWave"};

std::string Environs(int32_t level, int32_t course) {
  const Palette& p = kLevels[level].palette;
  CodexWriter w;
  CodexWriteComment(w, std::string(kLevels[level].word) + " course " + std::to_string(course + 1) + ": light and water");
  const int32_t k = level * 15 + course;
  WorldAddAmbientLevel(w, static_cast<float>(60 + (k * 7) % 31));
  WorldAddAmbientColour(w, 1, 1, 1);
  const uint32_t sun = CanvasMix(p.horizon, 0xFFFFFF, 0.5f);
  char name[32];
  std::snprintf(name, sizeof(name), "sun_%s_%02d", kLevels[level].word, course + 1);
  WorldAddDirectionalLight(w, name, -0.4f, 1.0f, 0.3f + 0.05f * static_cast<float>(course), static_cast<int32_t>(sun >> 16),
                           static_cast<int32_t>((sun >> 8) & 0xFF), static_cast<int32_t>(sun & 0xFF), 90);
  if (course % 3 == 0) {
    std::snprintf(name, sizeof(name), "lamp_%s_%02d", kLevels[level].word, course + 1);
    WorldAddPointLight(w, name, K(70, 53).x, 120000, K(70, 53).z, 255, 230, 160, 60);
  }
  auto ref = [&](std::vector<std::string> fields) { WorldAddExternalRef(w, fields); };
  int32_t mode = k % 5;
  if (mode == 3 && level != 5) mode = 4;  // planar water only on lakeside: it overrides the height
  ref({"vqz_Waterworks_TextureTileFactor", CodexFloat(2.0f + static_cast<float>(course % 4))});
  ref({"vqz_Waterworks_WaterMode", kModes[mode]});
  ref({"vqz_Waterworks_WaveHeightMultiplier", CodexFloat(60.0f + static_cast<float>((k * 13) % 90))});
  ref({"vqz_Waterworks_WaveAngleAdd", CodexFloat(4.0f + static_cast<float>(course % 5) * 2.0f)});
  // The race grid's cells are so wide that one wave spans the whole view: a stronger glint would
  // brighten and darken all the water at once instead of lighting the crests.
  ref({"vqz_Waterworks_HeightToSpecularRatio", CodexFloat(course % 2 ? 0.0f : 0.1f)});
  ref({"vqz_Waterworks_MinHeightToSpecularThresh", CodexFloat(0.1f)});
  ref({"vqz_Waterworks_WaterUVAddPoint", CodexFloat(0.001f), CodexFloat(0.002f)});
  if (course % 4 == 1) ref({"vqz_Waterworks_HeightToTextureUVRatio", CodexFloat(0.002f), CodexFloat(0.001f)});
  if (course % 4 == 2) {
    ref({"vqz_Waterworks_UVCyclicMultiplier", CodexFloat(0.02f)});
    ref({"vqz_Waterworks_UVCyclicAngle", CodexFloat(30)});
    ref({"vqz_Waterworks_UVCyclicAddAngle", CodexFloat(2)});
  }
  if (course == 3) ref({"vqz_Waterworks_WaterUVPoint", CodexFloat(0.25f), CodexFloat(0.5f)});
  if (course == 4) ref({"vqz_Waterworks_SingularTexUV", CodexFloat(0.5f), CodexFloat(0.5f)});
  if (course == 5 && level == 0) ref({"vqz_Waterworks_BasisY", CodexFloat(0)});
  if (course == 6) ref({"vQZQZ_Ignore"});
  return CodexFinish(w);
}

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A route file made for other gates would still be accepted when its gate count matches, so a
// course file that changes takes the level's route files with it.
void WriteCourseFile(TreeOutput& tree, const std::string& folder, const std::string& text) {
  const std::filesystem::path dir = std::filesystem::path(tree.root) / "data" / folder;
  if (ReadWhole(dir / "course.dat") != text) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("qz_route_", 0) == 0 && name.size() > 12 && name.substr(name.size() - 3) == ".qz")
        std::filesystem::remove(entry.path(), error);
    }
  }
  TreePutText(tree, folder + "/course.dat", text);
}

}  // namespace

void TreeWriteLevels(TreeOutput& tree) {
  for (int32_t level = 0; level < 10; ++level) {
    const LevelDef& def = kLevels[level];
    const std::string w = def.word;
    TreeLevelFacts facts;
    facts.level = w;
    facts.oneLap = !def.fourLaps;
    facts.unitsPerPixel = kScale;
    facts.imageWidth = facts.imageHeight = kImage;
    const LevelPlan plan = LevelPlanOf(level);
    const Layout layout = MakeLayout(level, plan);
    for (const Lane& lane : plan.waters.lanes) {
      if (lane.path.control.size() < 2) continue;
      TreeLane middle{{}, lane.path.closed, lane.radius};
      for (V2 q : MakePath(lane.path.control, lane.path.closed, false, 64).points) middle.middle.push_back({q.x, q.z});
      facts.lanes.push_back(middle);
    }
    const LevelTextures textures = WriteLevelTextures(tree, level);
    TreePutChunk(tree, "levels/" + w, "level.brp", LevelObjects(level, plan, layout, textures, &facts));
    for (int32_t c = 0; c < 15; ++c) {
      char name[32];
      std::snprintf(name, sizeof(name), "environs_%02d.codx", c + 1);
      TreePutText(tree, "levels/" + w + "/" + name, Environs(level, c));
    }
    TreeListBuilder sky = TreeListStart("skybox/" + w, "the " + w + " sky");
    TreeWriteSky(tree, "skybox/" + w, w, def.palette.zenith, def.palette.horizon, def.palette.sea, sky,
                 static_cast<uint32_t>(level) + 1);
    TreeListFinish(tree, sky);
    std::string text;
    const CourseFilePlan courses = Courses(level, layout, &facts);
    if (!CourseFileText(courses, &text)) {
      std::fprintf(stderr, "datagen: the %s courses cannot be written\n", w.c_str());
      tree.ok = false;
    }
    TreeFolder(tree, "courses/" + w);
    WriteCourseFile(tree, "courses/" + w, text);
    for (int32_t c = 0; c < 5; ++c)
      WriteCourseMap(tree, "interface/coursemaps/" + w, c + 1, layout.gates[c], def.fourLaps, def.palette.accent);
    tree.levels.push_back(facts);
  }
}
