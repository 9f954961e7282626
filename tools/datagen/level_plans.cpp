#include "tools/datagen/level_plans.h"

#include <array>

namespace levelgen {
namespace {

void AddLane(LevelPlan& p, const std::vector<V2>& control, float radius, bool closed = false) {
  p.waters.lanes.push_back({MakePath(control, closed), K(radius)});
}
void AddIsle(LevelPlan& p, V2 a, V2 b, float radius) { p.waters.isles.push_back({a, b, K(radius)}); }
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
  AddLane(p, {K(72, 386), K(160, 394), K(250, 380), K(335, 388), K(382, 372), K(404, 318), K(382, 264), K(335, 250),
              K(250, 250), K(165, 250), K(118, 236), K(96, 182), K(118, 128), K(165, 114), K(250, 106), K(340, 118),
              K(416, 110)}, 38);
  AddLane(p, {K(150, 250), K(336, 250)}, 66);
  AddIsle(p, K(168, 250), K(312, 250), 15);
  p.tourSpacing = K(50);
  p.tourSwing = K(20);
  p.tour = MakePath({K(75, 386), K(160, 394), K(250, 381), K(335, 386), K(385, 368), K(402, 320), K(374, 286), K(300, 289),
                     K(210, 289), K(130, 286), K(108, 252), K(130, 214), K(210, 211), K(300, 211), K(350, 220),
                     K(368, 252), K(345, 284), K(290, 290), K(210, 290), K(134, 289), K(110, 246), K(100, 186),
                     K(124, 132), K(168, 114), K(250, 107), K(340, 117), K(410, 110)}, false);
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
  AddIsle(p, K(300, 150), K(322, 170), 22);
  AddIsle(p, K(200, 202), K(206, 208), 11);
  AddLoop(p, 0, Ellipse(K(166, 321), K(76), K(72), 0, 7, 0, false));
  AddLoop(p, 1, Ellipse(K(311, 160), K(80), K(72), 0.3f, 7, 1, true));
  AddLoop(p, 2, Ellipse(K(248, 326), K(150), K(76), 0, 8, kPi, false));
  AddLoop(p, 3, Ellipse(K(328, 245), K(94), K(156), 0, 8, 0, true));
  AddLoop(p, 4, Ellipse(K(252, 246), K(168), K(162), 0, 10, kPi / 2, false));
  return p;
}

// A red-rock canyon: a river doubling back twice between high walls.
LevelPlan ColoradoPlan() {
  LevelPlan p;
  p.landTop = 20000;
  const std::vector<V2> river = Meander(3, 135, 365, 410, 90, 40, false, 6);
  AddLane(p, river, 30);
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
  AddLoop(p, 0, Ellipse(K(244, 257), K(98), K(92), 0, 7, 0, false));
  AddLoop(p, 1, Ellipse(K(250, 250), K(125), K(100), 0.6f, 8, 2, true));
  AddLoop(p, 2, Ellipse(K(362, 358), K(44), K(44), 0, 6, 0, false));
  AddLoop(p, 3, Ellipse(K(156, 156), K(52), K(52), 0, 6, 0, true));
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
  p.tourSpacing = K(32);
  RalliesAlongTour(p, {{{0.0f, 0.34f}, {0.66f, 1.0f}, {0.55f, 0.22f}, {0.32f, 0.66f}, {0.98f, 0.62f}}});
  return p;
}

// An icy bay round a great ice shelf, four fjords running out to the corners with a cove either side
// of each.
LevelPlan PenguinPlan() {
  LevelPlan p;
  p.spiral = true;
  p.landTop = 4200;
  AddLane(p, Ellipse(K(250, 250), K(124), K(124), 0, 12, 0, false), 60, true);
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
    control.push_back(Add(c, Mul(Unit(Sub(before, c)), K(24))));
    control.push_back(Add(c, Mul(Unit(Sub(after, c)), K(24))));
  }
  return control;
}

// A town of canals: a grid of three by three canals round four blocks of houses.
LevelPlan VenicePlan() {
  LevelPlan p;
  p.landTop = 1300;
  for (float c : {110.0f, 250.0f, 390.0f}) {
    AddLane(p, {K(110, c), K(390, c)}, 30);
    AddLane(p, {K(c, 110), K(c, 390)}, 30);
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
  AddLoop(p, 0, Ellipse(K(201, 303), K(66), K(66), 0, 6, 0, true));
  AddLoop(p, 1, Ellipse(K(303, 201), K(66), K(66), 0, 6, kPi, false));
  AddLoop(p, 2, Ellipse(K(252, 252), K(158), K(82), -kPi / 4, 8, 0, false));
  AddLoop(p, 3, Ellipse(K(352, 354), K(48), K(48), 0, 6, 1, false));
  AddLoop(p, 4, Ellipse(K(248, 248), K(150), K(96), -kPi / 4, 10, 0.3f, true));
  return p;
}

constexpr LevelPlan (*kPlans[10])() = {AmazonPlan, BahamaPlan,  BermudaPlan, ColoradoPlan, HongkongPlan,
                                        LakesidePlan, NilePlan, PenguinPlan, VenicePlan, VictoriaPlan};

}  // namespace

LevelPlan LevelPlanOf(int32_t level) {
  LevelPlan plan = kPlans[level]();
  MeasureShore(plan.waters);
  return plan;
}

}  // namespace levelgen
