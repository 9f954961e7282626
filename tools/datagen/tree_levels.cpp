// The ten levels: each level's model (arena walls, water markers, ramps, crates, pillars, beach,
// lighthouse and its own special objects) in the engine's chunk format, its textures in its own
// palette, its sky, its fifteen water-and-light files, its fifteen courses and its course maps.
// One layout drives the courses, the maps and where obstacles stand.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "tools/datagen/course_writer.h"
#include "tools/datagen/texture_images.h"
#include "tools/datagen/texture_list_writer.h"
#include "tools/datagen/tree_models.h"
#include "tools/datagen/world_writer.h"

namespace {

constexpr float kPi = 3.14159265358979f;
// The arena: water inside walls whose inner faces stand at 50,000 and 450,000 in x and z; the
// design water height is 0 (the load lifts the level by 100,000).
constexpr float kInner0 = 50000, kInner1 = 450000, kWallThick = 2000, kCentre = 250000;
constexpr float kMin = kInner0 - kWallThick, kMax = kInner1 + kWallThick;
constexpr int32_t kImage = 256;

enum LevelId : int32_t {
  kLevelWaterSurface = 2010,
  kLevelFloatingSolid = 2701,
  kLevelWaterSurfaceDeep = 2805,
  kLevelWall = 1,
  kLevelPillar = 100,
  kLevelWaterMarker = 5000,
  kLevelHelperA = 33026,
  kLevelHelperB = 33027,
  kLevelHelperC = 33028,
  kLevelHelperD = 33008,
  kLevelFloater = 34101,
  kLevelRamp = 34102,
};

struct Palette {
  uint32_t zenith, horizon, sea;       // sky
  uint32_t waterDeep, waterLight;      // the race water
  uint32_t rock, rockDark;             // walls
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

struct V2 {
  float x, z;
};

V2 Add(V2 a, V2 b) { return {a.x + b.x, a.z + b.z}; }
V2 Sub(V2 a, V2 b) { return {a.x - b.x, a.z - b.z}; }
V2 Mul(V2 a, float s) { return {a.x * s, a.z * s}; }
float Length(V2 a) { return std::sqrt(a.x * a.x + a.z * a.z); }
V2 Unit(V2 a) { return Mul(a, 1.0f / Length(a)); }
V2 Across(V2 d) { return {-d.z, d.x}; }
// Plans are written in thousands of world units.
V2 K(float x, float z) { return {x * 1000, z * 1000}; }

float SegmentDistance(V2 p, V2 a, V2 b) {
  const V2 ab = Sub(b, a);
  const float len2 = ab.x * ab.x + ab.z * ab.z;
  if (len2 <= 0) return Length(Sub(p, a));
  const float t = std::clamp(((p.x - a.x) * ab.x + (p.z - a.z) * ab.z) / len2, 0.0f, 1.0f);
  return Length(Sub(p, Add(a, Mul(ab, t))));
}

// World (x, z) to course-image pixels, the inverse of the course reader's mapping.
constexpr float kScale = (kMax - kMin) / static_cast<float>(kImage + 1);
int32_t PixelX(float x) { return static_cast<int32_t>(std::lround((x - kMin) / kScale + 0.5f)); }
int32_t PixelY(float z) { return kImage - 1 - static_cast<int32_t>(std::lround((z - kMin) / kScale + 0.5f)); }

// ---- Paths: smooth curves through control points ------------------------------------------------

constexpr int32_t kPathSteps = 8;  // dense points a control span

struct Path {
  std::vector<V2> points;  // dense, kPathSteps to a control span
  std::vector<float> at;   // distance along the path to each point
  bool closed = false;
  float length = 0;
  V2 low{0, 0}, high{0, 0};  // the corners of its bounding box
};

V2 CatmullRom(V2 p0, V2 p1, V2 p2, V2 p3, float t) {
  const float t2 = t * t, t3 = t2 * t;
  auto f = [&](float a, float b, float c, float d) {
    return 0.5f * (2 * b + (c - a) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (3 * b - a - 3 * c + d) * t3);
  };
  return {f(p0.x, p1.x, p2.x, p3.x), f(p0.z, p1.z, p2.z, p3.z)};
}

// Smooth through the control points, or `straight` from one to the next.
Path MakePath(const std::vector<V2>& control, bool closed, bool straight = false) {
  Path p;
  p.closed = closed;
  const auto n = static_cast<int32_t>(control.size());
  auto c = [&](int32_t i) { return control[static_cast<size_t>(closed ? (i % n + n) % n : std::clamp(i, 0, n - 1))]; };
  const int32_t spans = n < 2 ? 0 : closed ? n : n - 1;
  for (int32_t s = 0; s < spans; ++s)
    for (int32_t k = 0; k < kPathSteps; ++k) {
      const float t = static_cast<float>(k) / kPathSteps;
      p.points.push_back(straight ? Add(c(s), Mul(Sub(c(s + 1), c(s)), t)) : CatmullRom(c(s - 1), c(s), c(s + 1), c(s + 2), t));
    }
  if (!closed || n < 2) p.points.push_back(control.back());
  float along = 0;
  for (size_t i = 0; i < p.points.size(); ++i) {
    if (i) along += Length(Sub(p.points[i], p.points[i - 1]));
    p.at.push_back(along);
  }
  p.length = along + (closed ? Length(Sub(p.points.front(), p.points.back())) : 0);
  p.low = p.high = p.points.front();
  for (V2 q : p.points) {
    p.low = {std::min(p.low.x, q.x), std::min(p.low.z, q.z)};
    p.high = {std::max(p.high.x, q.x), std::max(p.high.z, q.z)};
  }
  return p;
}

// The point at a share of the way along (a closed path wraps round).
V2 PathAt(const Path& p, float share) {
  if (p.points.size() < 2) return p.points.front();
  float d = share * p.length;
  if (p.closed) {
    d = std::fmod(d, p.length);
    if (d < 0) d += p.length;
    if (d >= p.at.back()) {
      const float t = (d - p.at.back()) / std::max(1.0f, p.length - p.at.back());
      return Add(p.points.back(), Mul(Sub(p.points.front(), p.points.back()), t));
    }
  }
  d = std::clamp(d, 0.0f, p.at.back());
  const size_t i = static_cast<size_t>(std::upper_bound(p.at.begin(), p.at.end(), d) - p.at.begin());
  if (i >= p.points.size()) return p.points.back();
  const float t = (d - p.at[i - 1]) / std::max(1e-3f, p.at[i] - p.at[i - 1]);
  return Add(p.points[i - 1], Mul(Sub(p.points[i], p.points[i - 1]), t));
}

V2 PathDirection(const Path& p, float share) {
  const float e = 500 / std::max(1.0f, p.length);
  return Unit(Sub(PathAt(p, p.closed ? share + e : std::min(1.0f, share + e)), PathAt(p, p.closed ? share - e : std::max(0.0f, share - e))));
}

// The distance from q to the path, or at least `beyond` when it is further than that (then the
// path's segments are not looked at one by one).
float PathDistance(const Path& p, V2 q, float beyond = 1e30f) {
  const float outside = std::max({p.low.x - q.x, q.x - p.high.x, p.low.z - q.z, q.z - p.high.z, 0.0f});
  if (outside >= beyond) return outside;
  auto squared = [&](V2 a, V2 b) {
    const V2 ab = Sub(b, a), aq = Sub(q, a);
    const float len2 = ab.x * ab.x + ab.z * ab.z;
    const float t = len2 > 0 ? std::clamp((aq.x * ab.x + aq.z * ab.z) / len2, 0.0f, 1.0f) : 0.0f;
    const V2 d = Sub(aq, Mul(ab, t));
    return d.x * d.x + d.z * d.z;
  };
  float best = squared(p.points.front(), p.points.front());
  for (size_t i = 1; i < p.points.size(); ++i) best = std::min(best, squared(p.points[i - 1], p.points[i]));
  if (p.closed) best = std::min(best, squared(p.points.back(), p.points.front()));
  return std::sqrt(best);
}

// The part of an open path between two shares, as a path of its own (from > to runs backwards).
Path SubPath(const Path& p, float from, float to) {
  std::vector<V2> control;
  const int32_t steps = std::max(2, static_cast<int32_t>(std::fabs(to - from) * p.length / 20000));
  for (int32_t i = 0; i <= steps; ++i) control.push_back(PathAt(p, from + (to - from) * static_cast<float>(i) / steps));
  return MakePath(control, false);
}

// Points round an ellipse, `turned` radians from the x axis, starting at angle `first`, in either sense.
std::vector<V2> Ellipse(V2 centre, float rx, float rz, float turned, int32_t count, float first, bool clockwise) {
  std::vector<V2> out;
  const float c = std::cos(turned), s = std::sin(turned);
  for (int32_t i = 0; i < count; ++i) {
    const float a = first + (clockwise ? -1.0f : 1.0f) * 2 * kPi * static_cast<float>(i) / static_cast<float>(count);
    const float x = rx * std::cos(a), z = rz * std::sin(a);
    out.push_back({centre.x + x * c - z * s, centre.z + x * s + z * c});
  }
  return out;
}

std::vector<V2> Reversed(std::vector<V2> v) {
  std::reverse(v.begin(), v.end());
  return v;
}

// ---- The shape of the water --------------------------------------------------------------------

// Water is every place within a lane's radius of its path; islands are land within their radius
// of a segment; a band along the level's edge is land too.
struct Lane {
  Path path;
  float radius;
};

struct Isle {
  V2 a, b;
  float radius;
};

constexpr float kEdgeLand = 12000;  // land at least this wide along the level's edge

constexpr int32_t kLandCells = 40;  // the land is traced on a grid of this many cells a side
constexpr float kLandCell = (kMax - kMin) / kLandCells;

struct Waters {
  std::vector<Lane> lanes;
  std::vector<Isle> isles;
  std::vector<float> grid;  // Inland at the land grid's corners, row by row
};

// How far inland a place is: above 0 on land, below 0 in water (then how far from the shore).
float Inland(const Waters& w, V2 p) {
  float s = 1e30f;
  for (const Lane& l : w.lanes) s = std::min(s, PathDistance(l.path, p, s + l.radius) - l.radius);
  for (const Isle& i : w.isles) s = std::max(s, i.radius - SegmentDistance(p, i.a, i.b));
  const float edge = std::min({p.x - kMin, kMax - p.x, p.z - kMin, kMax - p.z});
  return std::max(s, kEdgeLand - edge);
}

V2 GridCorner(int32_t i, int32_t j) { return {kMin + kLandCell * static_cast<float>(i), kMin + kLandCell * static_cast<float>(j)}; }

void MeasureShore(Waters& w) {
  w.grid.clear();
  for (int32_t j = 0; j <= kLandCells; ++j)
    for (int32_t i = 0; i <= kLandCells; ++i) w.grid.push_back(Inland(w, GridCorner(i, j)));
}

// Bounds of Inland at p from the nearest grid corner: it changes by no more than the distance.
struct Span {
  float low, high;
};
Span InlandSpan(const Waters& w, V2 p) {
  const int32_t i = std::clamp(static_cast<int32_t>(std::lround((p.x - kMin) / kLandCell)), 0, kLandCells);
  const int32_t j = std::clamp(static_cast<int32_t>(std::lround((p.z - kMin) / kLandCell)), 0, kLandCells);
  const float v = w.grid[static_cast<size_t>(j * (kLandCells + 1) + i)], d = Length(Sub(p, GridCorner(i, j)));
  return {v - d, v + d};
}

// The least distance from the shore along a straight way (negative when it crosses land), or
// `enough` when it keeps further off than that.
float WayClearance(const Waters& w, V2 a, V2 b, float enough = 50000) {
  const int32_t steps = std::max(1, static_cast<int32_t>(Length(Sub(b, a)) / 3000));
  float best = enough;
  for (int32_t i = 0; i <= steps; ++i) {
    const V2 p = Add(a, Mul(Sub(b, a), static_cast<float>(i) / steps));
    if (-InlandSpan(w, p).high >= best) continue;
    best = std::min(best, -Inland(w, p));
  }
  return best;
}

// ---- Each level's place -------------------------------------------------------------------------

struct LevelPlan {
  Waters waters;
  std::array<Path, 5> rally;  // closed loops on four-lap levels, open ways on one-lap ones
  Path tour;                  // the linear hunts' way on a one-lap level without a spiral
  bool spiral = false;        // a one-lap level whose linear hunts spiral round its middle
  float tourSpacing = 40000;  // how far apart the linear hunts' dollars stand along the way
  float tourSwing = 40000;    // and how far to either side they may weave
  float landTop = 2500;       // the height of the shore above the water
};

void AddLane(LevelPlan& p, const std::vector<V2>& control, float radius, bool closed = false) {
  p.waters.lanes.push_back({MakePath(control, closed), radius * 1000});
}
void AddIsle(LevelPlan& p, V2 a, V2 b, float radius) { p.waters.isles.push_back({a, b, radius * 1000}); }
void AddLoop(LevelPlan& p, int32_t v, const std::vector<V2>& control, bool straight = false) {
  p.rally[v] = MakePath(control, true, straight);
}

// The ways of a one-lap level's rally courses: parts of its long way, some run backwards.
void RalliesAlongTour(LevelPlan& p, const std::array<std::array<float, 2>, 5>& parts) {
  for (int32_t v = 0; v < 5; ++v) p.rally[v] = SubPath(p.tour, parts[static_cast<size_t>(v)][0], parts[static_cast<size_t>(v)][1]);
}

// A river winding back and forth in `runs` runs between x0 and x1, from the top run down; with
// `upright` the runs go along z instead.
std::vector<V2> Meander(int32_t runs, float x0, float x1, float zTop, float zBottom, float bulge, bool upright,
                        float wobble) {
  std::vector<V2> out;
  auto put = [&](float x, float z) { out.push_back(upright ? K(z, x) : K(x, z)); };
  for (int32_t r = 0; r < runs; ++r) {
    const float z = zTop + (zBottom - zTop) * static_cast<float>(r) / static_cast<float>(runs - 1);
    const bool east = r % 2 == 0;
    for (int32_t k = 0; k < 4; ++k) {
      const float f = static_cast<float>(k) / 3;
      put(east ? x0 + (x1 - x0) * f : x1 - (x1 - x0) * f, z + (k % 2 ? wobble : -wobble) * (k == 0 || k == 3 ? 0.0f : 1.0f));
    }
    if (r + 1 < runs) {
      const float zNext = zTop + (zBottom - zTop) * static_cast<float>(r + 1) / static_cast<float>(runs - 1);
      const float outward = x1 > x0 ? bulge : -bulge;
      put(east ? x1 + outward : x0 - outward, (z + zNext) / 2);
    }
  }
  return out;
}

// A jungle river in three long runs, its middle run parted by a long island into two straits: the
// long way runs down the first, round the island and back, and on down to the last run's end.
LevelPlan AmazonPlan() {
  LevelPlan p;
  p.landTop = 2600;
  AddLane(p, {K(72, 386), K(160, 394), K(250, 380), K(335, 388), K(402, 318), K(335, 250), K(250, 250), K(165, 250),
              K(98, 182), K(165, 114), K(250, 106), K(340, 118), K(416, 110)}, 38);
  AddLane(p, {K(150, 250), K(330, 250)}, 62);
  AddIsle(p, K(168, 250), K(312, 250), 15);
  p.tourSpacing = 50000;
  p.tourSwing = 20000;
  p.tour = MakePath({K(75, 386), K(160, 394), K(250, 381), K(335, 386), K(392, 338), K(360, 294), K(300, 289),
                     K(210, 289), K(130, 286), K(108, 252), K(130, 214), K(210, 211), K(300, 211), K(350, 220),
                     K(368, 252), K(345, 284), K(290, 290), K(210, 290), K(134, 289), K(110, 246), K(108, 192),
                     K(160, 118), K(250, 107), K(340, 117), K(410, 110)}, false);
  RalliesAlongTour(p, {{{0.0f, 0.32f}, {0.68f, 1.0f}, {0.5f, 0.2f}, {0.3f, 0.55f}, {0.98f, 0.7f}}});
  return p;
}

// A round lagoon inside a low reef, a palm island in its middle, four passes out to the corners.
LevelPlan BahamaPlan() {
  LevelPlan p;
  p.spiral = true;
  p.landTop = 700;
  AddLane(p, {K(250, 250)}, 184);
  for (int32_t d = 0; d < 4; ++d) {
    const float a = kPi / 4 + kPi / 2 * static_cast<float>(d);
    AddLane(p, {K(250, 250), K(250 + 230 * std::cos(a), 250 + 230 * std::sin(a))}, 36);
  }
  AddIsle(p, K(238, 246), K(262, 254), 40);
  return p;
}

// An open sea of rocky islets; the loops go round one, two or all of them.
LevelPlan BermudaPlan() {
  LevelPlan p;
  p.landTop = 3200;
  AddLane(p, {K(250, 250)}, 260);
  AddIsle(p, K(160, 316), K(172, 326), 26);
  AddIsle(p, K(330, 330), K(330, 330), 22);
  AddIsle(p, K(300, 150), K(322, 170), 28);
  AddIsle(p, K(200, 202), K(206, 208), 11);
  AddLoop(p, 0, Ellipse(K(166, 321), 76000, 72000, 0, 7, 0, false));
  AddLoop(p, 1, Ellipse(K(311, 160), 80000, 72000, 0.3f, 7, 1, true));
  AddLoop(p, 2, Ellipse(K(248, 326), 150000, 76000, 0, 8, kPi, false));
  AddLoop(p, 3, Ellipse(K(318, 245), 86000, 150000, 0, 8, 0, true));
  AddLoop(p, 4, Ellipse(K(252, 246), 168000, 162000, 0, 10, kPi / 2, false));
  return p;
}

// A red-rock canyon: a narrow river doubling back five times between high walls.
LevelPlan ColoradoPlan() {
  LevelPlan p;
  p.landTop = 9000;
  const std::vector<V2> river = Meander(5, 128, 372, 410, 90, 46, false, 6);
  AddLane(p, river, 28.5f);
  p.tour = MakePath(river, false);
  RalliesAlongTour(p, {{{0.0f, 0.36f}, {0.64f, 1.0f}, {0.6f, 0.25f}, {0.3f, 0.62f}, {0.98f, 0.7f}}});
  return p;
}

// A harbour between quays: two terminal islands with a passage between them, piers along both quays.
LevelPlan HongkongPlan() {
  LevelPlan p;
  p.landTop = 1500;
  AddLane(p, {K(130, 250), K(370, 250)}, 168);
  AddIsle(p, K(152, 250), K(196, 250), 30);
  AddIsle(p, K(304, 250), K(348, 250), 30);
  for (float x : {150.0f, 250.0f, 350.0f}) AddIsle(p, K(x, 440), K(x, 384), 8);
  for (float x : {200.0f, 300.0f}) AddIsle(p, K(x, 60), K(x, 116), 8);
  const V2 w{90, 250}, e{410, 250};
  AddLoop(p, 0, {K(w.x, w.z), K(122, 326), K(250, 328), K(378, 326), K(e.x, e.z), K(378, 172), K(250, 170), K(122, 172)});
  AddLoop(p, 1, {K(w.x, w.z), K(122, 326), K(200, 330), K(250, 296), K(250, 204), K(200, 170), K(122, 172)});
  AddLoop(p, 2, {K(e.x, e.z), K(378, 172), K(300, 170), K(250, 204), K(250, 296), K(300, 330), K(378, 326)});
  AddLoop(p, 3, Reversed({K(250, 170), K(122, 172), K(w.x, w.z), K(122, 326), K(250, 328), K(378, 326), K(e.x, e.z), K(378, 172)}));
  AddLoop(p, 4, Reversed({K(250, 296), K(200, 330), K(122, 326), K(w.x, w.z), K(122, 172), K(200, 170), K(250, 204)}));
  return p;
}

// A park lake of three bays round a wooded island, with a smaller island in the north-east bay.
LevelPlan LakesidePlan() {
  LevelPlan p;
  p.landTop = 1800;
  AddLane(p, {K(235, 255)}, 150);
  AddLane(p, {K(335, 335)}, 95);
  AddLane(p, {K(150, 150)}, 88);
  AddLane(p, {K(350, 160)}, 90);
  AddIsle(p, K(236, 252), K(252, 262), 38);
  AddIsle(p, K(362, 358), K(362, 358), 13);
  AddLoop(p, 0, Ellipse(K(244, 257), 98000, 92000, 0, 7, 0, false));
  AddLoop(p, 1, Ellipse(K(250, 250), 125000, 100000, 0.6f, 8, 2, true));
  AddLoop(p, 2, Ellipse(K(362, 358), 44000, 44000, 0, 6, 0, false));
  AddLoop(p, 3, Ellipse(K(168, 168), 58000, 58000, 0, 6, 0, true));
  AddLoop(p, 4, {K(120, 200), K(150, 100), K(230, 150), K(340, 110), K(385, 175), K(350, 250), K(318, 318), K(292, 382),
                 K(200, 375), K(115, 300)});
  return p;
}

// A wide desert river in three long reaches, running south and back north and south again.
LevelPlan NilePlan() {
  LevelPlan p;
  p.landTop = 1800;
  const std::vector<V2> river = Meander(3, 366, 134, 392, 108, 54, true, 10);
  AddLane(p, river, 46);
  p.tour = MakePath(river, false);
  p.tourSpacing = 32000;
  RalliesAlongTour(p, {{{0.0f, 0.34f}, {0.66f, 1.0f}, {0.55f, 0.22f}, {0.32f, 0.66f}, {0.98f, 0.62f}}});
  return p;
}

// An icy bay round a great ice shelf, four fjords running out to the corners with a cove either side
// of each.
LevelPlan PenguinPlan() {
  LevelPlan p;
  p.spiral = true;
  p.landTop = 4200;
  AddLane(p, Ellipse(K(250, 250), 124000, 124000, 0, 12, 0, false), 60, true);
  for (int32_t d = 0; d < 4; ++d) {
    const float a = kPi / 4 + kPi / 2 * static_cast<float>(d);
    AddLane(p, {K(250 + 150 * std::cos(a), 250 + 150 * std::sin(a)), K(250 + 230 * std::cos(a), 250 + 230 * std::sin(a))}, 40);
    // Between the fjords, two coves cut into the ice.
    for (float side : {-1.0f, 1.0f}) {
      const float b = a + side * 0.45f;
      AddLane(p, {K(250 + 168 * std::cos(b), 250 + 168 * std::sin(b))}, 30);
    }
  }
  return p;
}

// A loop along canals that meet square at the given corners: straight along each canal, cutting
// across the corner of each crossing.
std::vector<V2> Canals(const std::vector<V2>& corners) {
  std::vector<V2> control;
  const size_t n = corners.size();
  for (size_t i = 0; i < n; ++i) {
    const V2 c = corners[i], before = corners[(i + n - 1) % n], after = corners[(i + 1) % n];
    control.push_back(Add(c, Mul(Unit(Sub(before, c)), 24000)));
    control.push_back(Add(c, Mul(Unit(Sub(after, c)), 24000)));
  }
  return control;
}

// A town of canals: a grid of three by three canals round four blocks of houses.
LevelPlan VenicePlan() {
  LevelPlan p;
  p.landTop = 1300;
  for (float c : {110.0f, 250.0f, 390.0f}) {
    AddLane(p, {K(110, c), K(390, c)}, 31);
    AddLane(p, {K(c, 110), K(c, 390)}, 31);
  }
  AddLoop(p, 0, Canals({K(110, 390), K(390, 390), K(390, 110), K(110, 110)}), true);
  AddLoop(p, 1, Canals({K(110, 250), K(110, 390), K(250, 390), K(250, 250)}), true);
  AddLoop(p, 2, Canals({K(390, 250), K(390, 110), K(250, 110), K(250, 250)}), true);
  AddLoop(p, 3, Canals({K(250, 110), K(110, 110), K(110, 390), K(250, 390)}), true);
  AddLoop(p, 4, Canals({K(390, 390), K(250, 390), K(250, 110), K(390, 110)}), true);
  return p;
}

// A great lake with a ragged shore and many islands.
LevelPlan VictoriaPlan() {
  LevelPlan p;
  p.landTop = 2200;
  AddLane(p, {K(250, 250)}, 176);
  AddLane(p, {K(140, 370)}, 78);
  AddLane(p, {K(370, 130)}, 78);
  AddLane(p, {K(380, 372)}, 66);
  AddLane(p, {K(118, 128)}, 60);
  AddIsle(p, K(196, 300), K(206, 306), 26);
  AddIsle(p, K(300, 196), K(306, 206), 26);
  AddIsle(p, K(352, 354), K(352, 354), 14);
  AddIsle(p, K(146, 146), K(150, 150), 13);
  AddLoop(p, 0, Ellipse(K(201, 303), 66000, 66000, 0, 6, 0, true));
  AddLoop(p, 1, Ellipse(K(303, 201), 66000, 66000, 0, 6, kPi, false));
  AddLoop(p, 2, Ellipse(K(252, 252), 158000, 82000, -kPi / 4, 8, 0, false));
  AddLoop(p, 3, Ellipse(K(352, 354), 48000, 48000, 0, 6, 1, false));
  AddLoop(p, 4, Ellipse(K(248, 248), 150000, 96000, -kPi / 4, 10, 0.3f, true));
  return p;
}

constexpr LevelPlan (*kPlans[10])() = {AmazonPlan, BahamaPlan,  BermudaPlan, ColoradoPlan, HongkongPlan,
                                        LakesidePlan, NilePlan, PenguinPlan, VenicePlan, VictoriaPlan};

// ---- Courses laid along the water ----------------------------------------------------------------

struct Layout {
  std::array<std::vector<V2>, 5> gates;  // rally gate centres, in order
  std::array<std::vector<V2>, 5> treasure;
  std::array<std::vector<V2>, 5> derby;
  std::array<V2, 5> rallyStart;
  std::array<V2, 5> treasureStart;
  std::array<V2, 5> derbyStart;
};

// The direction a gate is crossed: from the gate before it to the one after (a loop wraps).
V2 GateTangent(const std::vector<V2>& g, size_t i, bool loop) {
  const size_t n = g.size();
  const V2 before = i > 0 ? g[i - 1] : (loop ? g[n - 1] : g[i]);
  const V2 after = i + 1 < n ? g[i + 1] : (loop ? g[0] : g[i]);
  return Unit(Sub(after, before));
}

// A linear hunt spirals out round the water two and a half times, then runs straight out to a finish
// in the corner opposite its start, after some 2 million units of water. The spiral is gentle
// everywhere (a dollar behind a sharp turn lies inside a fast craft's turning circle), and the finish
// stands 70,000 units beyond its outer turn (a craft that slides wide of the spiral, as fast ones do,
// must not run into the finish arch before its time) and over 40,000 units from either wall (one that
// misses the arch must have room to turn back to it).
std::vector<V2> LinearRoute(int32_t level, int32_t course, V2* start) {
  constexpr float kInnerRadius = 95000, kOuterRadius = 150000, kTurns = 2.5f, kFinishRadius = 222000;
  constexpr float kSpacing = 65000;
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
  std::vector<V2> control{polar(205000, a0), polar(175000, a0), polar(0.5f * (175000 + ring), a0 + sense * 0.12f)};
  const int32_t steps = 3 * quarters;
  for (int32_t k = 1; k < steps; ++k) control.push_back(polar(ring, a0 + sense * kPi / 6 * static_cast<float>(k)));
  control.push_back(polar(0.5f * (175000 + ring), a1 - sense * 0.12f));
  control.push_back(polar(175000, a1));
  control.push_back(polar(205000, a1));
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

// The shares of the way where gates stand: about `spacing` apart, round a loop or from a lead-in to the far end of an open
// way, with more where the straight way from one gate to the next would pass near the shore.
std::vector<float> GatesAlong(const Waters& w, const Path& p, float spacing) {
  std::vector<float> shares;
  if (p.closed) {
    const int32_t n = std::max(4, static_cast<int32_t>(std::lround(p.length / spacing)));
    for (int32_t i = 0; i <= n; ++i) shares.push_back(static_cast<float>(i) / static_cast<float>(n));
  } else {
    const float lead = 45000 / p.length;
    const int32_t n = std::max(5, static_cast<int32_t>(std::lround(p.length * (1 - lead) / spacing)) + 1);
    for (int32_t i = 0; i < n; ++i) shares.push_back(lead + (1 - lead) * static_cast<float>(i) / static_cast<float>(n - 1));
  }
  for (size_t i = 0; i + 1 < shares.size();) {
    const bool near = WayClearance(w, PathAt(p, shares[i]), PathAt(p, shares[i + 1]), 16000) < 16000;
    if (near && (shares[i + 1] - shares[i]) * p.length > 30000) {
      shares.insert(shares.begin() + static_cast<std::ptrdiff_t>(i) + 1, (shares[i] + shares[i + 1]) / 2);
    } else {
      ++i;
    }
  }
  if (p.closed) shares.pop_back();  // the loop's end is its start
  return shares;
}

// Markers weaving from side to side of a way, `spacing` apart, each kept in sight of the one before;
// an open way ends with one on its end, the weave narrowing towards it.
std::vector<V2> Weave(const Waters& w, const Path& p, float spacing, float swing, float phase, float first) {
  std::vector<V2> out;
  const auto n = static_cast<int32_t>(p.length / spacing);
  for (int32_t i = 0; i < n; ++i) {
    const float share = (first + static_cast<float>(i)) * spacing / p.length;
    if (!p.closed && share > 1 - 0.5f * spacing / p.length) break;
    const float side = (i % 2 ? 1.0f : -1.0f) * phase;
    const float narrowing = p.closed ? 1.0f : std::clamp((1 - share) * p.length / 150000, 0.0f, 1.0f);
    V2 at = PathAt(p, share);
    for (float part : {1.0f, 0.5f, 0.0f}) {
      const V2 q = Aside(w, PathAt(p, share), PathDirection(p, share), swing * side * narrowing * part, 9000);
      if (out.empty() || WayClearance(w, out.back(), q, 5000) >= 5000) {
        at = q;
        break;
      }
    }
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
      way = LagoonWay((v + level) % 4, kQuarters[v], v % 2 == 1, level == 1 ? 112000 : 124000);
    }
    for (float share : GatesAlong(plan.waters, way, 85000)) l.gates[v].push_back(PathAt(way, share));
    // The start stands behind the first gate along the way (the first gate of an open way stands
    // 45,000 along it).
    l.rallyStart[v] = way.closed ? PathAt(way, -24 * kScale / way.length) : PathAt(way, 0);
    if (loop) {
      const float spacing = way.length / static_cast<float>(10 + v % 3);
      l.treasure[v] = Weave(plan.waters, way, spacing, 15000, v % 2 ? 1.0f : -1.0f, 0.5f);
      l.treasureStart[v] = PathAt(way, 0);
    } else if (plan.spiral) {
      l.treasure[v] = LinearRoute(level, v, &l.treasureStart[v]);
    } else {
      // Odd courses run the long way backwards; each weaves its own way from bank to bank.
      const Path tour = v % 2 ? SubPath(plan.tour, 1, 0) : plan.tour;
      l.treasure[v] = Weave(plan.waters, tour, plan.tourSpacing + 1500 * static_cast<float>(v), plan.tourSwing, v % 3 ? 1.0f : -1.0f, 0.6f);
      l.treasureStart[v] = PathAt(tour, 0);
    }
    // Derby markers spread along the course's way, each to a side drawn at random.
    DataRandom random{static_cast<uint32_t>(level * 100 + v + 1)};
    for (int32_t i = 0; i < 12; ++i) {
      const float share = (static_cast<float>(i) + 0.5f) / 12;
      l.derby[v].push_back(Aside(plan.waters, PathAt(way, share), PathDirection(way, share), (random.Unit() - 0.5f) * 50000, 10000));
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
  for (int32_t i = 0; i < 400; ++i) {
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

void MeshTurnY(ModelMesh& mesh, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  for (auto& p : mesh.points) {
    const float x = p[0], z = p[2];
    p[0] = x * c + z * s;
    p[2] = -x * s + z * c;
  }
}

// Texture names of a level, each prefixed with its word so no two levels share one.
struct LevelTextures {
  std::string rock, crate, ramp, water, strip, ground, stone, tower, leaf, house;
};

ChunkObjectDef Solid(ModelMesh mesh, V2 at, float y, const std::string& texture, int32_t id, uint32_t tint = 0xFFFFFF) {
  ChunkObjectDef o;
  o.mesh = std::move(mesh);
  o.position = {at.x, y, at.z};
  o.textures.push_back({0, texture});
  ChunkMaterialDef m;
  m.name = "paint";
  m.colourA = {((tint >> 16) & 0xFF) / 255.0f, ((tint >> 8) & 0xFF) / 255.0f, (tint & 0xFF) / 255.0f, 1.0f};
  o.materials.push_back(m);
  if (id >= 0) {
    ChunkUserDataDef u;
    u.value = id;
    o.userData.push_back(u);
  }
  return o;
}

// ---- The land: the shore traced round the water on a grid, cliffs along it -----------------------

constexpr int32_t kLandTile = 8;
constexpr float kLandFoot = -3000;

struct LandMesh {
  ModelMesh mesh;
  std::vector<int32_t> texture;  // 0 ground, 1 cliff, a triangle
};

void LandTop(LandMesh& m, const std::vector<V2>& polygon, float top, V2 origin) {
  auto corner = [&](V2 p) { return std::array<float, 3>{p.x - origin.x, top, p.z - origin.z}; };
  auto uv = [](V2 p) { return std::array<float, 2>{p.x / 12000, p.z / 12000}; };
  for (size_t k = 1; k + 1 < polygon.size(); ++k) {
    MeshAddTriangle(m.mesh, {corner(polygon[0]), corner(polygon[k]), corner(polygon[k + 1])},
                    {uv(polygon[0]), uv(polygon[k]), uv(polygon[k + 1])}, {0, 1, 0});
    m.texture.push_back(0);
  }
}

void LandCliff(LandMesh& m, const Waters& w, V2 a, V2 b, float top, V2 origin) {
  const V2 mid = Mul(Add(a, b), 0.5f), n = Across(Unit(Sub(b, a)));
  const V2 out = Inland(w, Add(mid, Mul(n, 400))) < Inland(w, Sub(mid, Mul(n, 400))) ? n : Mul(n, -1);
  const float ua = (a.x + a.z) / 8000, ub = (b.x + b.z) / 8000, rise = (top - kLandFoot) / 6000;
  MeshAddQuad(m.mesh, {{{a.x - origin.x, kLandFoot, a.z - origin.z}, {b.x - origin.x, kLandFoot, b.z - origin.z},
                        {b.x - origin.x, top, b.z - origin.z}, {a.x - origin.x, top, a.z - origin.z}}},
              {{{ua, 0}, {ub, 0}, {ub, rise}, {ua, rise}}}, {out.x, 0, out.z});
  m.texture.push_back(1);
  m.texture.push_back(1);
}

// The land of the level in tiles of 8 x 8 grid cells: whole cells of land joined along each row,
// shore cells cut where the shore crosses their sides, and a cliff down into the water along the
// shore.
void AddLand(std::vector<ChunkObjectDef>& objects, const Waters& w, float top, const LevelTextures& t) {
  auto at = GridCorner;
  auto value = [&](int32_t i, int32_t j) { return w.grid[static_cast<size_t>(j * (kLandCells + 1) + i)]; };
  for (int32_t ty = 0; ty < kLandCells / kLandTile; ++ty)
    for (int32_t tx = 0; tx < kLandCells / kLandTile; ++tx) {
      LandMesh m;
      const V2 origin = at(tx * kLandTile + kLandTile / 2, ty * kLandTile + kLandTile / 2);
      for (int32_t j = ty * kLandTile; j < (ty + 1) * kLandTile; ++j) {
        int32_t run = -1;
        for (int32_t i = tx * kLandTile; i <= (tx + 1) * kLandTile; ++i) {
          const bool inside = i < (tx + 1) * kLandTile;
          const float v[4] = {inside ? value(i, j) : 0, inside ? value(i + 1, j) : 0, inside ? value(i + 1, j + 1) : 0,
                              inside ? value(i, j + 1) : 0};
          const bool whole = inside && v[0] > 0 && v[1] > 0 && v[2] > 0 && v[3] > 0;
          if (whole && run < 0) run = i;
          if (!whole && run >= 0) {
            LandTop(m, {at(run, j), at(i, j), at(i, j + 1), at(run, j + 1)}, top, origin);
            run = -1;
          }
          if (!inside || whole || !(v[0] > 0 || v[1] > 0 || v[2] > 0 || v[3] > 0)) continue;
          const V2 c[4] = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
          std::vector<V2> polygon;
          std::vector<bool> shore;
          for (int32_t k = 0; k < 4; ++k) {
            const int32_t n = (k + 1) % 4;
            if (v[k] > 0) polygon.push_back(c[k]), shore.push_back(false);
            if ((v[k] > 0) != (v[n] > 0)) {
              polygon.push_back(Add(c[k], Mul(Sub(c[n], c[k]), v[k] / (v[k] - v[n]))));
              shore.push_back(true);
            }
          }
          LandTop(m, polygon, top, origin);
          for (size_t k = 0; k < polygon.size(); ++k) {
            const size_t n = (k + 1) % polygon.size();
            if (shore[k] && shore[n]) LandCliff(m, w, polygon[k], polygon[n], top, origin);
          }
        }
      }
      if (m.mesh.triangles.empty()) continue;
      ChunkObjectDef o = Solid(std::move(m.mesh), origin, 0, t.ground, kLevelWall);
      o.textures.push_back({1, t.rock});
      o.triangleTexture = std::move(m.texture);
      objects.push_back(std::move(o));
    }
}

// ---- Scenery on the land -------------------------------------------------------------------------

enum class Prop { kTree, kPine, kPalm, kHouse, kTower, kPyramid, kSpire, kIce, kHut, kPenguin };

ModelMesh PropMesh(Prop prop, DataRandom& random) {
  const float r = 0.8f + 0.4f * random.Unit();
  switch (prop) {
    case Prop::kTree: {
      ModelMesh m = MeshCone(4200 * r, 9000 * r, 6);
      MeshTranslate(m, 0, 2500, 0);
      MeshAppend(m, MeshCone(900, 2600, 4));
      return m;
    }
    case Prop::kPine: return MeshCone(2600 * r, 9500 * r, 6);
    case Prop::kPalm: {
      ModelMesh crown = MeshCone(3800 * r, 1400, 6);
      MeshTranslate(crown, 0, 6800 * r, 0);
      MeshAppend(crown, MeshCone(420, 7600 * r, 4));
      return crown;
    }
    case Prop::kHouse: {
      const float w = 6000 + 4000 * random.Unit(), h = 4000 + 5000 * random.Unit();
      ModelMesh m = MeshBox(w, h, 6000);
      MeshTranslate(m, 0, h / 2, 0);
      ModelMesh roof = MeshCone(w * 0.75f, 2600, 4);
      MeshTurnY(roof, kPi / 4);
      MeshScale(roof, 1, 1, 6000 / w);
      MeshTranslate(roof, 0, h, 0);
      MeshAppend(m, roof);
      return m;
    }
    case Prop::kTower: {
      const float h = 14000 + 26000 * random.Unit();
      ModelMesh m = MeshBox(9000, h, 9000);
      MeshTranslate(m, 0, h / 2, 0);
      return m;
    }
    case Prop::kPyramid: return MeshCone(30000, 26000, 4);
    case Prop::kSpire: return MeshCone(7000 * r, 16000 * r, 5);
    case Prop::kIce: return MeshCone(6000 * r, 7000 * r, 5);
    case Prop::kHut: {
      ModelMesh m = MeshBox(4000, 2400, 4000);
      MeshTranslate(m, 0, 1200, 0);
      ModelMesh roof = MeshCone(3600, 2200, 4);
      MeshTranslate(roof, 0, 2400, 0);
      MeshAppend(m, roof);
      return m;
    }
    case Prop::kPenguin: {
      ModelMesh m = MeshCone(500, 1500, 4);
      MeshAppend(m, MeshCone(350, 500, 4));
      return m;
    }
  }
  return {};
}

struct PropPlan {
  Prop prop;
  int32_t count;
  float nearest, furthest;  // how far inland
  int32_t id;               // the level's own object id, or -1
};

// Props of a kind on land between `nearest` and `furthest` from the shore, at scattered places.
void AddProps(std::vector<ChunkObjectDef>& objects, const Waters& w, float top, const PropPlan& plan,
              const std::string& texture, uint32_t tint, uint32_t seed, std::vector<V2>& taken) {
  DataRandom random{seed};
  int32_t placed = 0;
  for (int32_t tries = 0; tries < 1200 && placed < plan.count; ++tries) {
    const V2 p{kMin + (kMax - kMin) * random.Unit(), kMin + (kMax - kMin) * random.Unit()};
    const Span span = InlandSpan(w, p);
    if (span.high < plan.nearest || span.low > plan.furthest) continue;
    const float inland = Inland(w, p);
    if (inland < plan.nearest || inland > plan.furthest) continue;
    if (std::any_of(taken.begin(), taken.end(), [&](V2 q) { return Length(Sub(p, q)) < 9000; })) continue;
    ModelMesh mesh = PropMesh(plan.prop, random);
    MeshTurnY(mesh, random.Unit() * 2 * kPi);
    // Within the shore's extent, which the load measures and the courses are mapped into.
    float reach = 0;
    for (const auto& q : mesh.points) reach = std::max({reach, std::fabs(q[0]), std::fabs(q[2])});
    if (p.x - reach < kMin || p.x + reach > kMax || p.z - reach < kMin || p.z + reach > kMax) continue;
    objects.push_back(Solid(std::move(mesh), p, top, texture, plan.id, tint));
    taken.push_back(p);
    ++placed;
  }
}

void AddScenery(std::vector<ChunkObjectDef>& objects, int32_t level, const Waters& w, float top,
                const LevelTextures& t) {
  const Palette& pal = kLevels[level].palette;
  std::vector<V2> taken;
  const uint32_t seed = static_cast<uint32_t>(level) * 31 + 7;
  auto props = [&](const PropPlan& plan, const std::string& texture, uint32_t tint = 0xFFFFFF) {
    AddProps(objects, w, top, plan, texture, tint, seed + static_cast<uint32_t>(objects.size()), taken);
  };
  switch (level) {
    case 0:
      props({Prop::kTree, 46, 5000, 60000, -1}, t.leaf);
      props({Prop::kHut, 4, 6000, 20000, -1}, t.house);
      break;
    case 1:
      props({Prop::kPalm, 22, 3000, 40000, kLevelHelperA}, t.leaf);
      props({Prop::kHut, 6, 4000, 30000, kLevelHelperB}, t.house, pal.accent);
      break;
    case 2:
      props({Prop::kHouse, 10, 4000, 20000, kLevelHelperB}, t.house);
      props({Prop::kPine, 16, 3000, 40000, -1}, t.leaf);
      break;
    case 3:
      props({Prop::kSpire, 18, 6000, 60000, -1}, t.rock);
      props({Prop::kPine, 10, 4000, 30000, -1}, t.leaf);
      break;
    case 4:
      props({Prop::kTower, 26, 8000, 70000, -1}, t.house);
      props({Prop::kHouse, 10, 3000, 12000, -1}, t.stone);
      break;
    case 5:
      props({Prop::kTree, 30, 4000, 50000, -1}, t.leaf);
      props({Prop::kHouse, 5, 8000, 30000, -1}, t.house);
      break;
    case 6:
      props({Prop::kPalm, 24, 2000, 16000, -1}, t.leaf);
      props({Prop::kPyramid, 3, 45000, 200000, -1}, t.ground);
      props({Prop::kHut, 5, 5000, 20000, -1}, t.house);
      break;
    case 7:
      props({Prop::kIce, 16, 5000, 80000, -1}, t.stone);
      props({Prop::kPenguin, 24, 2000, 14000, kLevelHelperD}, t.crate);
      break;
    case 8:
      props({Prop::kHouse, 44, 2500, 40000, -1}, t.house);
      props({Prop::kTower, 2, 10000, 40000, -1}, t.stone);
      break;
    default:
      props({Prop::kTree, 26, 3000, 50000, -1}, t.leaf);
      props({Prop::kHut, 8, 3000, 12000, -1}, t.house);
      break;
  }
}

std::vector<ChunkObjectDef> LevelObjects(int32_t level, const LevelPlan& plan, const Layout& l, const LevelTextures& t,
                                         TreeLevelFacts* facts) {
  const bool loop = kLevels[level].fourLaps;
  const Palette& pal = kLevels[level].palette;
  const Waters& w = plan.waters;
  std::vector<ChunkObjectDef> objects;
  AddLand(objects, w, plan.landTop, t);
  // Water markers at opposite corners: the race water spans the level.
  for (V2 at : {V2{62000, 62000}, V2{438000, 438000}}) {
    objects.push_back(Solid(MeshPlane(1000, 1000, 1, 1), at, 0, t.water, kLevelWaterMarker));
    ++facts->waterMarkers;
  }
  std::vector<V2> taken;
  // Ramps on the first rally course's second and fourth legs, rising the way the craft go.
  for (size_t leg : {size_t{1}, size_t{3}}) {
    const auto& g = l.gates[0];
    const V2 a = g[leg % g.size()], b = g[(leg + 1) % g.size()];
    const V2 d = Unit(Sub(b, a));
    ModelMesh ramp = MeshWedge(8000, 2000, 12000);
    MeshTurnY(ramp, std::atan2(-d.x, -d.z));
    const V2 at = Add(a, Mul(Sub(b, a), 0.45f));
    objects.push_back(Solid(ramp, at, -500, t.ramp, kLevelRamp));
    taken.push_back(at);
  }
  // Floating crates by the shore, off the racing lines; on hongkong the first is a floating solid
  // (a moored pontoon), on penguin they are ice floes.
  for (int32_t i = 0; i < 3; ++i) {
    const V2 at = ShorePlace(w, l, loop, taken, static_cast<uint32_t>(level * 10 + i + 500));
    taken.push_back(at);
    const bool pontoon = level == 4 && i == 0;
    ModelMesh box = pontoon ? MeshBox(9000, 1500, 4000) : level == 7 ? MeshBox(6000, 1200, 5000) : MeshBox(2000, 2000, 2000);
    objects.push_back(Solid(std::move(box), at, 0, level == 7 ? t.stone : t.crate, pontoon ? kLevelFloatingSolid : kLevelFloater));
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
    ChunkObjectDef o = Solid(pillar, at, 1000, t.stone, i == 0 ? kLevelPillar : -1);
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
    objects.push_back(Solid(strip, Add(a, Mul(Sub(b, a), 0.5f)), -160, t.strip, level == 0 ? kLevelWaterSurface : kLevelWaterSurfaceDeep));
  }
  // Bermuda's lighthouse on its biggest islet, seen from every course.
  if (level == 2) {
    const Isle& isle = w.isles[0];
    objects.push_back(Solid(MeshCylinder(2200, 16000, 10), Mul(Add(isle.a, isle.b), 0.5f), plan.landTop, t.tower, kLevelHelperC));
    taken.push_back(Mul(Add(isle.a, isle.b), 0.5f));
  }
  (void)pal;
  AddScenery(objects, level, w, plan.landTop, t);
  // What the load will measure: the height span of every object, and ids it does not know (an
  // unknown id could land an object in the markers' collision group).
  static constexpr int32_t kKnown[] = {kLevelWaterSurface, kLevelFloatingSolid, kLevelWaterSurfaceDeep, kLevelWall,
                                       kLevelPillar, kLevelWaterMarker, kLevelHelperA, kLevelHelperB, kLevelHelperC,
                                       kLevelHelperD, kLevelFloater, kLevelRamp};
  facts->minY = 1e30f;
  facts->maxY = -1e30f;
  for (const ChunkObjectDef& o : objects) {
    for (const auto& p : o.mesh.points) {
      facts->minY = std::min(facts->minY, p[1] + o.position[1]);
      facts->maxY = std::max(facts->maxY, p[1] + o.position[1]);
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

std::vector<CourseWaypointPlan> Buoys(const std::vector<V2>& g, bool loop, int32_t* value) {
  std::vector<CourseWaypointPlan> out;
  for (size_t i = 0; i < g.size(); ++i) {
    const V2 n = Across(GateTangent(g, i, loop));
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
  const bool loop = kLevels[level].fourLaps;
  const std::string name = Capitalised(kLevels[level].word);
  int32_t value = 1;
  for (int32_t v = 0; v < 5; ++v) {
    CoursePlan c{name + " Rally " + std::to_string(v + 1), PixelX(l.rallyStart[v].x), PixelY(l.rallyStart[v].z),
                 Buoys(l.gates[v], loop, &value)};
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

// How far every course keeps from the shore: the least clearance along its ways (start to first
// gate or marker, and each to the next; round again on a loop) and at its buoys or markers.
void ShoreFacts(const Waters& w, const Layout& l, bool loop, TreeLevelFacts* facts) {
  auto record = [&](V2 start, const std::vector<V2>& points, bool closed, const std::vector<V2>& marks) {
    float way = WayClearance(w, start, points.front());
    for (size_t i = 0; i + 1 < points.size(); ++i) way = std::min(way, WayClearance(w, points[i], points[i + 1]));
    if (closed) way = std::min(way, WayClearance(w, points.back(), points.front()));
    float at = -Inland(w, start);
    for (V2 p : marks) at = std::min(at, -Inland(w, p));
    facts->wayClearance.push_back(way);
    facts->markClearance.push_back(at);
  };
  for (int32_t v = 0; v < 5; ++v) {
    std::vector<V2> buoys;
    for (size_t i = 0; i < l.gates[v].size(); ++i) {
      const V2 n = Across(GateTangent(l.gates[v], i, loop));
      buoys.push_back(Add(l.gates[v][i], Mul(n, kTreeGateHalf)));
      buoys.push_back(Sub(l.gates[v][i], Mul(n, kTreeGateHalf)));
    }
    record(l.rallyStart[v], l.gates[v], loop, buoys);
  }
  for (int32_t v = 0; v < 5; ++v) record(l.treasureStart[v], l.treasure[v], false, l.treasure[v]);
  for (int32_t v = 0; v < 5; ++v) record(l.derbyStart[v], l.derby[v], false, l.derby[v]);
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
    WorldAddPointLight(w, name, 70000, 120000, 53000, 255, 230, 160, 60);
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
    LevelPlan plan = kPlans[level]();
    MeasureShore(plan.waters);
    const Layout layout = MakeLayout(level, plan);
    const LevelTextures textures = WriteLevelTextures(tree, level);
    TreePutChunk(tree, "levels/" + w, "level.brp", LevelObjects(level, plan, layout, textures, &facts));
    ShoreFacts(plan.waters, layout, def.fourLaps, &facts);
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
