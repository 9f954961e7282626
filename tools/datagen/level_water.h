// The shape of a sample level's water: points on the water plane, smooth paths through control
// points, lanes of water round paths with islands in them, and how far inland a place stands. The
// level's extent is fixed: the load measures it from the objects and maps the course images onto it.
#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

namespace levelgen {

constexpr float kPi = 3.14159265358979f;
// The plans are drawn in thousands of units in a box from 48 to 452 thousand; the level is that box
// grown kGrow times about its middle, so that its water is wide enough and bends gently enough for
// a rider at speed (the craft at full lock needs some 60,000 ahead and 22,000 aside to turn a
// quarter). The middle stands at the origin: the collisions work in single floats, and keep their
// precision while no place is much further out than a million.
constexpr float kGrow = 2.6f;
// The level's extent in x and z, its middle, and the design water height 0 (the load lifts the level
// by 100,000).
constexpr float kMin = -202000 * kGrow, kMax = 202000 * kGrow, kCentre = 0;
constexpr float kEdgeLand = 12000 * kGrow;  // land at least this wide along the level's edge
constexpr int32_t kLandCells = 96;  // the land is traced on a grid of this many cells a side
constexpr float kLandCell = (kMax - kMin) / kLandCells;

struct V2 {
  float x, z;
};

inline V2 Add(V2 a, V2 b) { return {a.x + b.x, a.z + b.z}; }
inline V2 Sub(V2 a, V2 b) { return {a.x - b.x, a.z - b.z}; }
inline V2 Mul(V2 a, float s) { return {a.x * s, a.z * s}; }
inline float Length(V2 a) { return std::sqrt(a.x * a.x + a.z * a.z); }
inline V2 Unit(V2 a) { return Mul(a, 1.0f / Length(a)); }
inline V2 Across(V2 d) { return {-d.z, d.x}; }
// Plans are written in thousands of the plan's units: a place, and a distance.
constexpr V2 K(float x, float z) { return {(x - 250) * 1000 * kGrow, (z - 250) * 1000 * kGrow}; }
constexpr float K(float d) { return d * 1000 * kGrow; }

float SegmentDistance(V2 p, V2 a, V2 b);

constexpr int32_t kPathSteps = 8;  // dense points a control span

struct Path {
  std::vector<V2> control;
  std::vector<V2> points;  // dense, kPathSteps to a control span
  std::vector<float> at;   // distance along the path to each point
  bool closed = false;
  float length = 0;
  V2 low{0, 0}, high{0, 0};  // the corners of its bounding box
};

// Smooth through the control points, or `straight` from one to the next, `steps` dense points to a
// span.
Path MakePath(const std::vector<V2>& control, bool closed, bool straight = false, int32_t steps = kPathSteps);
// The point at a share of the way along (a closed path wraps round), and the way's direction there.
V2 PathAt(const Path& p, float share);
V2 PathDirection(const Path& p, float share);
// The distance from q to the path, or at least `beyond` when it is further than that (then the
// path's segments are not looked at one by one).
float PathDistance(const Path& p, V2 q, float beyond = 1e30f);
// The part of an open path between two shares, as a path of its own (from > to runs backwards).
Path SubPath(const Path& p, float from, float to);
// Points round an ellipse, `turned` radians from the x axis, starting at angle `first`, in either sense.
std::vector<V2> Ellipse(V2 centre, float rx, float rz, float turned, int32_t count, float first, bool clockwise);
std::vector<V2> Reversed(std::vector<V2> v);

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

struct Waters {
  std::vector<Lane> lanes;
  std::vector<Isle> isles;
  std::vector<float> grid;  // Inland at the land grid's corners, row by row (MeasureShore)
};

// How far inland a place is: above 0 on land, below 0 in water (then how far from the shore).
float Inland(const Waters& w, V2 p);
V2 GridCorner(int32_t i, int32_t j);
// Fills the grid; the queries below need it.
void MeasureShore(Waters& w);

// Bounds of Inland at p from the nearest grid corner: it changes by no more than the distance.
struct Span {
  float low, high;
};
Span InlandSpan(const Waters& w, V2 p);

// The least distance from the shore along a straight way (negative when it crosses land), or
// `enough` when it keeps further off than that.
float WayClearance(const Waters& w, V2 a, V2 b, float enough = 50000);

}  // namespace levelgen
