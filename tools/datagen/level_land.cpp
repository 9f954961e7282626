#include "tools/datagen/level_land.h"

#include <algorithm>
#include <array>
#include <utility>

#include "tools/datagen/raster.h"
#include "tools/datagen/tree_models.h"

namespace levelgen {
namespace {

// ---- The land: the shore traced round the water on a grid, cliffs along it -----------------------

constexpr int32_t kLandTile = 16;
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

// Which of the level's textures a prop wears.
enum class Skin { kLeaf, kHouse, kRock, kStone, kGround, kCrate };

struct PropPlan {
  Prop prop;
  int32_t count;
  float nearest, furthest;  // how far inland
  int32_t id;               // the level's own object id, or -1
  Skin skin;
  bool accent = false;      // tinted in the level's accent colour
};

// Each level's scenery, in the order it is placed (a count of 0 ends a level's list).
const PropPlan kScenery[10][3] = {
    {{Prop::kTree, 46, 5000, 60000, -1, Skin::kLeaf}, {Prop::kHut, 4, 6000, 20000, -1, Skin::kHouse}, {}},
    {{Prop::kPalm, 22, 3000, 40000, kLevelHelperA, Skin::kLeaf},
     {Prop::kHut, 6, 4000, 30000, kLevelHelperB, Skin::kHouse, true}, {}},
    {{Prop::kHouse, 10, 4000, 20000, kLevelHelperB, Skin::kHouse}, {Prop::kPine, 16, 3000, 40000, -1, Skin::kLeaf}, {}},
    {{Prop::kSpire, 18, 6000, 60000, -1, Skin::kRock}, {Prop::kPine, 10, 4000, 30000, -1, Skin::kLeaf}, {}},
    {{Prop::kTower, 26, 8000, 70000, -1, Skin::kHouse}, {Prop::kHouse, 10, 3000, 12000, -1, Skin::kStone}, {}},
    {{Prop::kTree, 30, 4000, 50000, -1, Skin::kLeaf}, {Prop::kHouse, 5, 8000, 30000, -1, Skin::kHouse}, {}},
    {{Prop::kPalm, 24, 2000, 16000, -1, Skin::kLeaf},
     {Prop::kPyramid, 3, 45000, 200000, -1, Skin::kGround},
     {Prop::kHut, 5, 5000, 20000, -1, Skin::kHouse}},
    {{Prop::kIce, 16, 5000, 80000, -1, Skin::kStone}, {Prop::kPenguin, 24, 2000, 14000, kLevelHelperD, Skin::kCrate}, {}},
    {{Prop::kHouse, 44, 2500, 40000, -1, Skin::kHouse}, {Prop::kTower, 2, 10000, 40000, -1, Skin::kStone}, {}},
    {{Prop::kTree, 26, 3000, 50000, -1, Skin::kLeaf}, {Prop::kHut, 8, 3000, 12000, -1, Skin::kHouse}, {}},
};

// The table is written for the plan's box: on the grown level each kind of prop stands kPropsMore
// times as often, up to kGrow times as far inland.
constexpr int32_t kPropsMore = 4;

// Props of a kind on land between `nearest` and `furthest` from the shore, at scattered places;
// those on one tile of land are one object (each object takes a material, and a race has few).
void AddProps(std::vector<ChunkObjectDef>& objects, const Waters& w, float top, const PropPlan& plan,
              const std::string& texture, uint32_t tint, uint32_t seed, std::vector<V2>& taken) {
  DataRandom random{seed};
  int32_t placed = 0;
  constexpr int32_t kTiles = kLandCells / kLandTile;
  std::vector<std::vector<std::pair<V2, ModelMesh>>> tiles(kTiles * kTiles);
  const float furthest = plan.furthest * kGrow;
  for (int32_t tries = 0; tries < 6000 && placed < plan.count * kPropsMore; ++tries) {
    const V2 p{kMin + (kMax - kMin) * random.Unit(), kMin + (kMax - kMin) * random.Unit()};
    const Span span = InlandSpan(w, p);
    if (span.high < plan.nearest || span.low > furthest) continue;
    const float inland = Inland(w, p);
    if (inland < plan.nearest || inland > furthest) continue;
    if (std::any_of(taken.begin(), taken.end(), [&](V2 q) { return Length(Sub(p, q)) < 9000; })) continue;
    ModelMesh mesh = PropMesh(plan.prop, random);
    MeshTurnY(mesh, random.Unit() * 2 * kPi);
    // Within the shore's extent, which the load measures and the courses are mapped into.
    float reach = 0;
    for (const auto& q : mesh.points) reach = std::max({reach, std::fabs(q[0]), std::fabs(q[2])});
    if (p.x - reach < kMin || p.x + reach > kMax || p.z - reach < kMin || p.z + reach > kMax) continue;
    const int32_t tx = std::min(kTiles - 1, static_cast<int32_t>((p.x - kMin) / (kLandCell * kLandTile)));
    const int32_t tz = std::min(kTiles - 1, static_cast<int32_t>((p.z - kMin) / (kLandCell * kLandTile)));
    tiles[static_cast<size_t>(tz * kTiles + tx)].push_back({p, std::move(mesh)});
    taken.push_back(p);
    ++placed;
  }
  for (auto& tile : tiles) {
    if (tile.empty()) continue;
    const V2 origin = tile.front().first;
    ModelMesh group;
    for (auto& [at, mesh] : tile) {
      MeshTranslate(mesh, at.x - origin.x, 0, at.z - origin.z);
      MeshAppend(group, mesh);
    }
    objects.push_back(LevelSolid(std::move(group), origin, top, texture, plan.id, tint));
  }
}

}  // namespace

ChunkObjectDef LevelSolid(ModelMesh mesh, V2 at, float y, const std::string& texture, int32_t id, uint32_t tint) {
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
      ChunkObjectDef o = LevelSolid(std::move(m.mesh), origin, 0, t.ground, kLevelWall);
      o.textures.push_back({1, t.rock});
      o.triangleTexture = std::move(m.texture);
      objects.push_back(std::move(o));
    }
}

void AddScenery(std::vector<ChunkObjectDef>& objects, int32_t level, const Waters& w, float top,
                const LevelTextures& t, uint32_t accent) {
  const std::string* skins[] = {&t.leaf, &t.house, &t.rock, &t.stone, &t.ground, &t.crate};
  std::vector<V2> taken;
  const uint32_t seed = static_cast<uint32_t>(level) * 31 + 7;
  for (const PropPlan& plan : kScenery[level]) {
    if (plan.count == 0) break;
    const uint32_t tint = plan.accent ? accent : 0xFFFFFF;
    AddProps(objects, w, top, plan, *skins[static_cast<int32_t>(plan.skin)], tint,
             seed + static_cast<uint32_t>(objects.size()), taken);
  }
}

}  // namespace levelgen
