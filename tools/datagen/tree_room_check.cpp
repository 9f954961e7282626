#include "tools/datagen/tree_room_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

namespace {

// The land as a course sees it: how far a place on the water plane is from the land's top.
class Shore {
 public:
  explicit Shore(const TreeLevelFacts& l) : low_{l.minX, l.minZ} {
    columns_ = std::max(1, static_cast<int32_t>((l.maxX - l.minX) / kCell) + 1);
    rows_ = std::max(1, static_cast<int32_t>((l.maxZ - l.minZ) / kCell) + 1);
    cells_.resize(static_cast<size_t>(columns_ * rows_));
    for (size_t t = 0; t < l.land.size(); ++t) {
      const auto& q = l.land[t];
      const int32_t i0 = Column(std::min({q[0], q[2], q[4]})), i1 = Column(std::max({q[0], q[2], q[4]}));
      const int32_t j0 = Row(std::min({q[1], q[3], q[5]})), j1 = Row(std::max({q[1], q[3], q[5]}));
      for (int32_t j = j0; j <= j1; ++j)
        for (int32_t i = i0; i <= i1; ++i) cells_[static_cast<size_t>(j * columns_ + i)].push_back(t);
    }
    land_ = &l.land;
  }

  // The distance from (x, z) to the land, 0 on it, or `enough` when there is none that near.
  float Distance(float x, float z, float enough) const {
    float best = enough;
    const int32_t ci = Column(x), cj = Row(z);
    for (int32_t ring = 0; static_cast<float>(ring - 1) * kCell < best && ring <= columns_ + rows_; ++ring)
      for (int32_t j = cj - ring; j <= cj + ring; ++j)
        for (int32_t i = ci - ring; i <= ci + ring; ++i) {
          if (std::max(std::abs(i - ci), std::abs(j - cj)) != ring || i < 0 || j < 0 || i >= columns_ || j >= rows_) continue;
          for (size_t t : cells_[static_cast<size_t>(j * columns_ + i)]) best = std::min(best, TriangleDistance((*land_)[t], x, z));
        }
    return best;
  }

  // How far the water reaches from (x, z) in the direction (dx, dz) (a unit), up to `enough`.
  float Reach(float x, float z, float dx, float dz, float enough) const {
    float along = 0;
    while (along < enough) {
      const float d = Distance(x + dx * along, z + dz * along, enough - along);
      if (d < 100) return along;
      along += d;
    }
    return enough;
  }

 private:
  static constexpr float kCell = 20000;
  int32_t Column(float x) const { return std::clamp(static_cast<int32_t>((x - low_[0]) / kCell), 0, columns_ - 1); }
  int32_t Row(float z) const { return std::clamp(static_cast<int32_t>((z - low_[1]) / kCell), 0, rows_ - 1); }

  static float TriangleDistance(const std::array<float, 6>& q, float x, float z) {
    auto side = [&](int32_t a, int32_t b) {
      return (q[2 * b] - q[2 * a]) * (z - q[2 * a + 1]) - (q[2 * b + 1] - q[2 * a + 1]) * (x - q[2 * a]);
    };
    const float s0 = side(0, 1), s1 = side(1, 2), s2 = side(2, 0);
    if ((s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 <= 0 && s1 <= 0 && s2 <= 0)) return 0;
    float best = 1e30f;
    for (int32_t a = 0; a < 3; ++a) {
      const int32_t b = (a + 1) % 3;
      const float ex = q[2 * b] - q[2 * a], ez = q[2 * b + 1] - q[2 * a + 1], len2 = ex * ex + ez * ez;
      const float t = len2 > 0 ? std::clamp(((x - q[2 * a]) * ex + (z - q[2 * a + 1]) * ez) / len2, 0.0f, 1.0f) : 0.0f;
      best = std::min(best, std::hypot(x - q[2 * a] - ex * t, z - q[2 * a + 1] - ez * t));
    }
    return best;
  }

  std::array<float, 2> low_;
  int32_t columns_ = 1, rows_ = 1;
  std::vector<std::vector<size_t>> cells_;
  const std::vector<std::array<float, 6>>* land_ = nullptr;
};

struct Spot {
  float x, z;
};

// A course pixel where the game maps it: onto the level's extent, as the course reader does.
Spot World(const TreeLevelFacts& l, std::pair<int32_t, int32_t> pixel) {
  const float sx = (l.maxX - l.minX) / static_cast<float>(l.imageWidth + 1);
  const float sz = (l.maxZ - l.minZ) / static_cast<float>(l.imageHeight + 1);
  const float u = std::max(0.0f, static_cast<float>(pixel.first) - 0.5f);
  const float v = std::max(0.0f, static_cast<float>(l.imageHeight - 1 - pixel.second) - 0.5f);
  return {l.minX + u * sx, l.minZ + v * sz};
}

float Apart(Spot a, Spot b) { return std::hypot(b.x - a.x, b.z - a.z); }

// Room for a rider at speed. A rally way (the start, then each gate's centre, round again on a
// four-lap level) has water at least kWayWidth wide across it, sampled every kWayStep; the middle of
// any lane it runs in bends there on a radius of at least kLaneRadius (a circle through three points
// kLaneArc apart along the middle). Its legs and
// buoys keep kRallyShoreClear from the land, its gates kGateApart from the gate before, their half
// width kGateHalf; the first gate stands kFirstGateLeast from the start, its crossing within
// kFirstGateTurn of the way there. Dollars and derby markers keep kMarkerShoreClear from the
// land, the legs between them kMarkerLegClear.
constexpr float kWayWidth = 110000, kWayStep = 2000, kLaneRadius = 60000, kLaneArc = 20000;
constexpr float kRallyShoreClear = 30000, kGateApart = 60000, kGateHalf = 9000;
constexpr float kFirstGateLeast = 90000, kFirstGateTurn = 0.35f;  // radians, some 20 degrees
constexpr float kMarkerShoreClear = 20000, kMarkerLegClear = 12000;

// The least distance from the land along the straight way from a to b, and where it is.
float LegClear(const Shore& shore, Spot a, Spot b, float enough, Spot* where) {
  const int32_t steps = std::max(1, static_cast<int32_t>(Apart(a, b) / 1000));
  float best = enough;
  for (int32_t i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    const Spot p{a.x + (b.x - a.x) * t, a.z + (b.z - a.z) * t};
    const float d = shore.Distance(p.x, p.z, best);
    if (d < best) best = d, *where = p;
  }
  return best;
}

std::string Place(Spot p) { return " at (" + std::to_string(std::lround(p.x / 1000)) + "k, " + std::to_string(std::lround(p.z / 1000)) + "k)"; }

float CircleRadius(Spot a, Spot b, Spot c) {
  const float area2 = std::fabs((b.x - a.x) * (c.z - a.z) - (b.z - a.z) * (c.x - a.x));
  return area2 < 1e-3f ? 1e30f : Apart(a, b) * Apart(b, c) * Apart(c, a) / (2 * area2);
}

// How each lane's middle bends at each of its points: the radius of the circle through the points
// kLaneArc before it, at it and kLaneArc after it along the middle.
std::vector<std::vector<float>> LaneBends(const TreeLevelFacts& l) {
  std::vector<std::vector<float>> bends;
  for (const TreeLane& lane : l.lanes) {
    const auto& m = lane.middle;
    const size_t n = m.size();
    std::vector<float> along{0};
    for (size_t i = 1; i < n; ++i) along.push_back(along.back() + Apart({m[i - 1][0], m[i - 1][1]}, {m[i][0], m[i][1]}));
    const float total = along.back() + (lane.closed ? Apart({m[n - 1][0], m[n - 1][1]}, {m[0][0], m[0][1]}) : 0);
    // The point at a distance along the middle (round again on a closed lane).
    auto at = [&](float d) -> std::optional<Spot> {
      if (lane.closed) d = std::fmod(std::fmod(d, total) + total, total);
      if (d < 0 || d > along.back()) {
        if (!lane.closed) return std::nullopt;
        const float t = (d - along.back()) / std::max(1.0f, total - along.back());
        return Spot{m[n - 1][0] + (m[0][0] - m[n - 1][0]) * t, m[n - 1][1] + (m[0][1] - m[n - 1][1]) * t};
      }
      const size_t i = std::clamp<size_t>(static_cast<size_t>(std::upper_bound(along.begin(), along.end(), d) - along.begin()), 1, n - 1);
      const float t = (d - along[i - 1]) / std::max(1e-3f, along[i] - along[i - 1]);
      return Spot{m[i - 1][0] + (m[i][0] - m[i - 1][0]) * t, m[i - 1][1] + (m[i][1] - m[i - 1][1]) * t};
    };
    bends.emplace_back();
    for (size_t i = 0; i < n; ++i) {
      const auto a = at(along[i] - kLaneArc), b = at(along[i]), c = at(along[i] + kLaneArc);
      bends.back().push_back(a && c ? CircleRadius(*a, *b, *c) : 1e30f);
    }
  }
  return bends;
}

std::string Whole(float v) { return std::to_string(static_cast<int64_t>(std::lround(v))); }

std::vector<std::string> CheckRallyRoom(const TreeLevelFacts& l, const Shore& shore, size_t n) {
  std::vector<std::string> failures;
  const TreeCoursePixels& course = l.courses[n];
  const std::string name = l.level + " course " + std::to_string(n + 1);
  const Spot start = World(l, {course.startX, course.startY});
  std::vector<Spot> buoys, gates;
  for (const auto& w : course.waypoints) buoys.push_back(World(l, w));
  for (size_t i = 0; i + 1 < buoys.size(); i += 2) {
    gates.push_back({(buoys[i].x + buoys[i + 1].x) / 2, (buoys[i].z + buoys[i + 1].z) / 2});
    const float half = Apart(buoys[i], buoys[i + 1]) / 2;
    if (std::fabs(half - kGateHalf) > l.unitsPerPixel)
      failures.push_back(name + ": gate " + std::to_string(i / 2 + 1) + " is " + Whole(half) + " to either side, not " + Whole(kGateHalf));
  }
  if (gates.empty()) return failures;
  std::vector<Spot> way{start};
  way.insert(way.end(), gates.begin(), gates.end());
  if (!l.oneLap) way.push_back(gates.front());

  const float first = Apart(start, gates.front());
  if (first < kFirstGateLeast) failures.push_back(name + ": the first gate stands " + Whole(first) + " from the start");
  const Spot across{buoys[1].x - buoys[0].x, buoys[1].z - buoys[0].z}, ahead{gates[0].x - start.x, gates[0].z - start.z};
  const float turn = std::fabs(std::asin(std::clamp((across.x * ahead.x + across.z * ahead.z) /
                                                        std::max(1.0f, Apart({0, 0}, across) * Apart({0, 0}, ahead)),
                                                    -1.0f, 1.0f)));
  if (turn > kFirstGateTurn)
    failures.push_back(name + ": the first gate is crossed " + Whole(turn * 180 / 3.14159265f) + " degrees off the way from the start");
  for (size_t i = 1; i < gates.size() + (l.oneLap ? 0 : 1); ++i) {
    const float apart = Apart(gates[i - 1], gates[i % gates.size()]);
    if (apart < kGateApart)
      failures.push_back(name + ": gates " + std::to_string(i) + " and " + std::to_string(i % gates.size() + 1) + " stand " + Whole(apart) + " apart");
  }
  float legs = kRallyShoreClear, buoyClear = kRallyShoreClear;
  Spot legAt{}, buoyAt{};
  for (size_t i = 0; i + 1 < way.size(); ++i) legs = std::min(legs, LegClear(shore, way[i], way[i + 1], legs, &legAt));
  for (Spot b : buoys) {
    const float d = shore.Distance(b.x, b.z, buoyClear);
    if (d < buoyClear) buoyClear = d, buoyAt = b;
  }
  if (legs < kRallyShoreClear) failures.push_back(name + ": a leg passes " + Whole(legs) + " from the shore" + Place(legAt));
  if (buoyClear < kRallyShoreClear) failures.push_back(name + ": a buoy stands " + Whole(buoyClear) + " from the shore" + Place(buoyAt));

  // Across the way: the water's width, and how the lane it runs in bends.
  const std::vector<std::vector<float>> bends = LaneBends(l);
  int32_t narrow = 0, tight = 0;
  float narrowest = 1e30f, tightest = 1e30f;
  for (size_t i = 0; i + 1 < way.size(); ++i) {
    const float length = Apart(way[i], way[i + 1]);
    if (length < 1) continue;
    const float dx = (way[i + 1].x - way[i].x) / length, dz = (way[i + 1].z - way[i].z) / length;
    for (float at = 0; at < length; at += kWayStep) {
      const Spot p{way[i].x + dx * at, way[i].z + dz * at};
      const float width = shore.Reach(p.x, p.z, -dz, dx, kWayWidth) + shore.Reach(p.x, p.z, dz, -dx, kWayWidth);
      if (width < kWayWidth) ++narrow, narrowest = std::min(narrowest, width);
      for (size_t k = 0; k < l.lanes.size(); ++k) {
        const auto& middle = l.lanes[k].middle;
        size_t nearest = 0;
        float best = 1e30f;
        for (size_t m = 0; m < middle.size(); ++m) {
          const float d = Apart(p, {middle[m][0], middle[m][1]});
          if (d < best) best = d, nearest = m;
        }
        if (best > l.lanes[k].radius || bends[k][nearest] >= kLaneRadius) continue;
        ++tight;
        tightest = std::min(tightest, bends[k][nearest]);
      }
    }
  }
  if (narrow) failures.push_back(name + ": the water is " + Whole(narrowest) + " wide across its way (" + std::to_string(narrow) + " places)");
  if (tight) failures.push_back(name + ": its lane bends on a radius of " + Whole(tightest) + " (" + std::to_string(tight) + " places)");
  return failures;
}

std::vector<std::string> CheckMarkerRoom(const TreeLevelFacts& l, const Shore& shore, size_t n) {
  std::vector<std::string> failures;
  const TreeCoursePixels& course = l.courses[n];
  const std::string name = l.level + " course " + std::to_string(n + 1);
  Spot from = World(l, {course.startX, course.startY});
  float legs = kMarkerLegClear, marks = kMarkerShoreClear;
  Spot legAt{}, markAt{};
  for (const auto& w : course.waypoints) {
    const Spot at = World(l, w);
    legs = std::min(legs, LegClear(shore, from, at, legs, &legAt));
    const float d = shore.Distance(at.x, at.z, marks);
    if (d < marks) marks = d, markAt = at;
    from = at;
  }
  if (legs < kMarkerLegClear) failures.push_back(name + ": a leg passes " + Whole(legs) + " from the shore" + Place(legAt));
  if (marks < kMarkerShoreClear) failures.push_back(name + ": a marker stands " + Whole(marks) + " from the shore" + Place(markAt));
  return failures;
}

}  // namespace

std::vector<std::string> CheckRoom(const TreeLevelFacts& level) {
  const Shore shore(level);
  std::vector<std::string> failures;
  for (size_t n = 0; n < level.courses.size(); ++n) {
    const std::vector<std::string> course =
        n < kTreeCoursesPerMode ? CheckRallyRoom(level, shore, n) : CheckMarkerRoom(level, shore, n);
    failures.insert(failures.end(), course.begin(), course.end());
  }
  return failures;
}
