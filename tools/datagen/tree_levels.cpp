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
};

struct LevelDef {
  const char* word;
  bool fourLaps;
  Palette palette;
};

constexpr LevelDef kLevels[10] = {
    {"amazon", false, {0x5080A8, 0xD8E0C0, 0x2C4A28, 0x1E3A30, 0x4A7A60, 0x4A6A2A, 0x2A3A18, 0x9A8A5A, 0x8A5A2A, 0x6A7060, 0xE0C020}},
    {"bahama", false, {0x2088E0, 0xC0ECFF, 0x20A8C0, 0x108CB0, 0x60E0E8, 0xE8D8A8, 0xB8A070, 0xF8ECC0, 0xC87838, 0xE0E0D8, 0xFF6080}},
    {"bermuda", true, {0x203C78, 0x8CA8C8, 0x102848, 0x0C2C60, 0x3C70B0, 0x6A6A78, 0x3A3A48, 0xD8D0B0, 0x7A5A3A, 0xA0A0B0, 0xFF3030}},
    {"colorado", false, {0x4890D8, 0xF0D8A8, 0x7A5030, 0x4A3020, 0x8A5A38, 0xC05A28, 0x7A3018, 0xD8A060, 0x9A6030, 0xB07050, 0x40A0FF}},
    {"hongkong", true, {0x181838, 0xB06890, 0x202838, 0x0E2A34, 0x2E6A74, 0x6A6A70, 0x3A3A40, 0x8A8A88, 0xC0A020, 0x909098, 0xFF2060}},
    {"lakeside", true, {0x3A80D0, 0xD0E8F8, 0x2A5830, 0x1A5878, 0x4A98B8, 0x4A8A3A, 0x2A5A22, 0xB0A070, 0x8A6A3A, 0xA09888, 0xFFFFFF}},
    {"nile", false, {0x70A8E0, 0xF8E8C0, 0xC8A060, 0x1A6A70, 0x40A8A0, 0xD8B878, 0xA08048, 0xF0D8A0, 0x8A6A3A, 0xD0B888, 0x2060C0}},
    {"penguin", false, {0x5080B0, 0xE8F0F8, 0xD0E0F0, 0x1A4A6A, 0x6AA8C8, 0xF0F8FF, 0xA8C0D8, 0xE0E8F0, 0x4A6A8A, 0xC8D8E8, 0xFF8020}},
    {"venice", true, {0x484890, 0xF8A868, 0x3A4A48, 0x2A5A58, 0x5A9088, 0xC87850, 0x8A4A30, 0xD8B890, 0x6A4A3A, 0xE8D8C0, 0xF0C020}},
    {"victoria", true, {0x6040A0, 0xF8A0A0, 0x3A3A60, 0x2A4A78, 0x6A80B8, 0x5A7A4A, 0x3A5030, 0xC8B080, 0x8A5A4A, 0xA8A098, 0xFFE060}},
};

struct V2 {
  float x, z;
};

V2 Add(V2 a, V2 b) { return {a.x + b.x, a.z + b.z}; }
V2 Sub(V2 a, V2 b) { return {a.x - b.x, a.z - b.z}; }
V2 Mul(V2 a, float s) { return {a.x * s, a.z * s}; }
float Length(V2 a) { return std::sqrt(a.x * a.x + a.z * a.z); }
V2 Unit(V2 a) { return Mul(a, 1.0f / Length(a)); }

float SegmentDistance(V2 p, V2 a, V2 b) {
  const V2 ab = Sub(b, a);
  const float t = std::clamp(((p.x - a.x) * ab.x + (p.z - a.z) * ab.z) / (ab.x * ab.x + ab.z * ab.z), 0.0f, 1.0f);
  return Length(Sub(p, Add(a, Mul(ab, t))));
}

// World (x, z) to course-image pixels, the inverse of the course reader's mapping.
constexpr float kScale = (kMax - kMin) / static_cast<float>(kImage + 1);
int32_t PixelX(float x) { return static_cast<int32_t>(std::lround((x - kMin) / kScale + 0.5f)); }
int32_t PixelY(float z) { return kImage - 1 - static_cast<int32_t>(std::lround((z - kMin) / kScale + 0.5f)); }

struct Layout {
  std::array<std::vector<V2>, 5> gates;  // rally gate centres, in order
  std::array<std::vector<V2>, 5> treasure;
  std::array<std::vector<V2>, 5> derby;
  std::array<V2, 5> rallyStart;
  std::array<V2, 5> treasureStart;
};

V2 Turn(V2 p, int32_t quarter, bool mirror) {
  V2 d = Sub(p, {kCentre, kCentre});
  if (mirror) d.x = -d.x;
  for (int32_t i = 0; i < quarter; ++i) d = {-d.z, d.x};
  return Add({kCentre, kCentre}, d);
}

// The direction a gate is crossed: along the path through it (a loop wraps).
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

Layout MakeLayout(int32_t level) {
  Layout l;
  const bool loop = kLevels[level].fourLaps;
  for (int32_t v = 0; v < 5; ++v) {
    if (loop) {
      static constexpr float kRadii[5][2] = {{140000, 120000}, {120000, 145000}, {150000, 110000}, {110000, 150000}, {135000, 135000}};
      const float start = kPi / 4 + static_cast<float>(v) * 0.17f + static_cast<float>(level) * 0.05f;
      for (int32_t i = 0; i < 4; ++i) {
        const float a = start + static_cast<float>(i) * kPi / 2;
        l.gates[v].push_back({kCentre + kRadii[v][0] * std::cos(a), kCentre + kRadii[v][1] * std::sin(a)});
      }
    } else {
      static constexpr V2 kPath[6] = {{130000, 120000}, {260000, 110000}, {380000, 170000},
                                      {330000, 280000}, {180000, 300000}, {230000, 400000}};
      for (const V2& p : kPath) l.gates[v].push_back(Turn(p, (v + level) % 4, v == 4));
    }
    const V2 first = l.gates[v][0];
    l.rallyStart[v] = Sub(first, Mul(GateTangent(l.gates[v], 0, loop), 24 * kScale));
    DataRandom random{static_cast<uint32_t>(level * 100 + v + 1)};
    if (loop) {
      const int32_t count = 10 + v % 3;
      for (int32_t i = 0; i < count; ++i) {
        const float a = static_cast<float>(v) * 0.7f + 2 * kPi * static_cast<float>(i) / static_cast<float>(count);
        const float r = 105000 + 45000 * std::sin(3 * a + static_cast<float>(v));
        l.treasure[v].push_back({kCentre + r * std::cos(a), kCentre + r * std::sin(a)});
      }
      l.treasureStart[v] = {kCentre, kCentre - 60000};
    } else {
      l.treasure[v] = LinearRoute(level, v, &l.treasureStart[v]);
    }
    for (int32_t i = 0; i < 12; ++i) {
      const float cx = 110000 + static_cast<float>(i % 4) * 93000, cz = 120000 + static_cast<float>(i / 4) * 130000;
      l.derby[v].push_back({cx + (random.Unit() - 0.5f) * 40000, cz + (random.Unit() - 0.5f) * 40000});
    }
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
  }
  return best;
}

// The clearest of a grid of places near `around`, not too close to those already taken.
V2 ClearPlace(const Layout& l, bool loop, V2 around, float reach, const std::vector<V2>& taken) {
  V2 best = around;
  float bestScore = -1;
  for (int32_t i = -4; i <= 4; ++i)
    for (int32_t j = -4; j <= 4; ++j) {
      const V2 p = Add(around, {reach * static_cast<float>(i) / 4, reach * static_cast<float>(j) / 4});
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
  std::string rock, crate, ramp, water, strip, sand, stone, tower;
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

// UVs repeated `times` along a long box, so rock does not stretch over 50,000 units.
void RepeatUvs(ModelMesh& mesh, float times) {
  for (auto& uv : mesh.uvs) uv = {uv[0] * times, uv[1]};
}

std::vector<ChunkObjectDef> LevelObjects(int32_t level, const Layout& l, const LevelTextures& t, TreeLevelFacts* facts) {
  const bool loop = kLevels[level].fourLaps;
  const Palette& pal = kLevels[level].palette;
  std::vector<ChunkObjectDef> objects;
  // Walls: four sides of eight segments, 8,000 tall, reaching 4,000 below and above the water.
  const float span = (kMax - kMin) / 8;
  for (int32_t side = 0; side < 4; ++side)
    for (int32_t s = 0; s < 8; ++s) {
      const bool alongX = side < 2;
      ModelMesh box = alongX ? MeshBox(span, 8000, kWallThick) : MeshBox(kWallThick, 8000, span);
      RepeatUvs(box, 8);
      const float along = kMin + span * (static_cast<float>(s) + 0.5f);
      const float across = side % 2 == 0 ? kInner0 - kWallThick / 2 : kInner1 + kWallThick / 2;
      objects.push_back(Solid(box, alongX ? V2{along, across} : V2{across, along}, 0, t.rock, kLevelWall));
    }
  // Water markers at opposite corners.
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
  // Crates off the racing line; on hongkong one of them is a floating solid.
  for (int32_t i = 0; i < 3; ++i) {
    const float a = static_cast<float>(i) * 2.1f + static_cast<float>(level);
    const V2 at = ClearPlace(l, loop, {kCentre + 90000 * std::cos(a), kCentre + 90000 * std::sin(a)}, 30000, taken);
    taken.push_back(at);
    const int32_t id = level == 4 && i == 0 ? kLevelFloatingSolid : kLevelFloater;
    objects.push_back(Solid(MeshBox(2000, 2000, 2000), at, 0, t.crate, id));
  }
  // Pillars; on bermuda the first stands across leg 2-3 of rally course 3 (index 2), so the
  // computer riders' route must find a way round it.
  for (int32_t i = 0; i < 2; ++i) {
    V2 at = ClearPlace(l, loop, {kCentre + (i ? 25000.0f : -25000.0f), kCentre + 10000}, 20000, taken);
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
  // A beach sloping into the water along part of the south wall, and a lighthouse on it.
  ModelMesh beach = MeshWedge(150000, 1300, 12000);
  RepeatUvs(beach, 10);
  objects.push_back(Solid(beach, {140000, kInner0 + 6000}, -1000, t.sand, kLevelWall));
  ModelMesh tower = MeshCylinder(1500, 14000, 12);
  objects.push_back(Solid(tower, {70000, kInner0 + 3000}, -1000, t.tower, -1));
  // Level specials.
  auto helper = [&](V2 at, int32_t id) {
    objects.push_back(Solid(MeshBox(3000, 3000, 3000), at, 500, t.crate, id, pal.accent));
  };
  if (level == 0 || level == 2) {
    const auto& g = l.gates[0];
    const V2 a = g[0], b = g[1];
    ModelMesh strip = MeshPlane(20000, 60000, 2, 6);
    MeshTurnY(strip, std::atan2(b.x - a.x, b.z - a.z));
    // Below the deepest trough of any course's waves (at most 149), so the opaque strip never
    // rises over a craft riding a trough above it.
    objects.push_back(Solid(strip, Add(a, Mul(Sub(b, a), 0.5f)), -160, t.strip, level == 0 ? kLevelWaterSurface : kLevelWaterSurfaceDeep));
  }
  if (level == 1) helper({kInner1 - 8000, kInner1 - 8000}, kLevelHelperA), helper({kInner0 + 8000, kInner1 - 8000}, kLevelHelperB);
  if (level == 2) helper({kInner1 - 8000, kInner0 + 8000}, kLevelHelperC), helper({kInner0 + 8000, kInner1 - 8000}, kLevelHelperB);
  if (level == 7) helper({kInner1 - 8000, kInner1 - 8000}, kLevelHelperD);
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
  LevelTextures t{w + "_rock.bmp", w + "_crate.bmp", w + "_ramp.bmp", w + "_water.bmp",
                  w + "_strip.bmp", w + "_sand.bmp", w + "_stone.bmp", w + "_tower.bmp"};
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
  Canvas sand = CanvasNew(32, 32, p.sand);
  CanvasNoise(sand, 14, 2, static_cast<uint32_t>(level) + 80);
  TreePutPicture(tree, folder + "/" + t.sand, sand);
  TreeListAdd(list, t.sand);
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
    const V2 d = GateTangent(g, i, loop), n{-d.z, d.x};
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
  const V2 start{kCentre, kCentre - 60000};
  for (int32_t v = 0; v < 5; ++v)
    plan.courses.push_back({name + " Treasure " + std::to_string(v + 1), PixelX(l.treasureStart[v].x),
                            PixelY(l.treasureStart[v].z), Markers(l.treasure[v], &value)});
  for (int32_t v = 0; v < 5; ++v)
    plan.courses.push_back({name + " Derby " + std::to_string(v + 1), PixelX(start.x), PixelY(start.z),
                            Markers(l.derby[v], &value)});
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
    const Layout layout = MakeLayout(level);
    const LevelTextures textures = WriteLevelTextures(tree, level);
    TreePutChunk(tree, "levels/" + w, "level.brp", LevelObjects(level, layout, textures, &facts));
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
    const CourseFilePlan plan = Courses(level, layout, &facts);
    if (!CourseFileText(plan, &text)) {
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
