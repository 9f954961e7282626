#include "tools/datagen/level_water.h"

#include <algorithm>

namespace levelgen {

float SegmentDistance(V2 p, V2 a, V2 b) {
  const V2 ab = Sub(b, a);
  const float len2 = ab.x * ab.x + ab.z * ab.z;
  if (len2 <= 0) return Length(Sub(p, a));
  const float t = std::clamp(((p.x - a.x) * ab.x + (p.z - a.z) * ab.z) / len2, 0.0f, 1.0f);
  return Length(Sub(p, Add(a, Mul(ab, t))));
}

namespace {

V2 CatmullRom(V2 p0, V2 p1, V2 p2, V2 p3, float t) {
  const float t2 = t * t, t3 = t2 * t;
  auto f = [&](float a, float b, float c, float d) {
    return 0.5f * (2 * b + (c - a) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (3 * b - a - 3 * c + d) * t3);
  };
  return {f(p0.x, p1.x, p2.x, p3.x), f(p0.z, p1.z, p2.z, p3.z)};
}

}  // namespace

Path MakePath(const std::vector<V2>& control, bool closed, bool straight, int32_t steps) {
  Path p;
  p.control = control;
  p.closed = closed;
  const auto n = static_cast<int32_t>(control.size());
  auto c = [&](int32_t i) { return control[static_cast<size_t>(closed ? (i % n + n) % n : std::clamp(i, 0, n - 1))]; };
  const int32_t spans = n < 2 ? 0 : closed ? n : n - 1;
  for (int32_t s = 0; s < spans; ++s)
    for (int32_t k = 0; k < steps; ++k) {
      const float t = static_cast<float>(k) / static_cast<float>(steps);
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

float PathDistance(const Path& p, V2 q, float beyond) {
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

Path SubPath(const Path& p, float from, float to) {
  std::vector<V2> control;
  const int32_t steps = std::max(2, static_cast<int32_t>(std::fabs(to - from) * p.length / 20000));
  for (int32_t i = 0; i <= steps; ++i) control.push_back(PathAt(p, from + (to - from) * static_cast<float>(i) / steps));
  return MakePath(control, false);
}

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

Span InlandSpan(const Waters& w, V2 p) {
  const int32_t i = std::clamp(static_cast<int32_t>(std::lround((p.x - kMin) / kLandCell)), 0, kLandCells);
  const int32_t j = std::clamp(static_cast<int32_t>(std::lround((p.z - kMin) / kLandCell)), 0, kLandCells);
  const float v = w.grid[static_cast<size_t>(j * (kLandCells + 1) + i)], d = Length(Sub(p, GridCorner(i, j)));
  return {v - d, v + d};
}

float WayClearance(const Waters& w, V2 a, V2 b, float enough) {
  const int32_t steps = std::max(1, static_cast<int32_t>(Length(Sub(b, a)) / 3000));
  float best = enough;
  for (int32_t i = 0; i <= steps; ++i) {
    const V2 p = Add(a, Mul(Sub(b, a), static_cast<float>(i) / steps));
    if (-InlandSpan(w, p).high >= best) continue;
    best = std::min(best, -Inland(w, p));
  }
  return best;
}

}  // namespace levelgen
