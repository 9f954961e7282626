#include "tools/datagen/soft_scenes.h"

#include <cmath>

namespace {

// A small generator of its own, so the scenes are the same with every standard library.
struct Random {
  uint64_t state;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<uint32_t>(state >> 11);
  }
  float Uniform(float low, float high) { return low + (high - low) * static_cast<float>(Next() % 1000000u) / 1e6f; }
};

uint16_t Pack555(int r, int g, int b) { return static_cast<uint16_t>(0x8000 | (r & 31) << 10 | (g & 31) << 5 | (b & 31)); }

SoftSceneTexture Checker(int log2Size, int cells, uint16_t a, uint16_t b) {
  SoftSceneTexture t{{}, static_cast<uint8_t>(log2Size), static_cast<uint8_t>(log2Size), false};
  const int size = 1 << log2Size;
  const int cell = size / cells;
  t.texels.resize(static_cast<size_t>(size) * size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const bool odd = ((x / cell) + (y / cell)) & 1;
      // A little shading across each cell shows the perspective.
      uint16_t c = odd ? a : b;
      const int shade = (x % cell) * 4 / cell;
      c = static_cast<uint16_t>(c - (shade & 3));
      t.texels[static_cast<size_t>(y) * size + x] = static_cast<uint16_t>(c | 0x8000);
    }
  }
  return t;
}

SoftSceneTexture Sky() {
  SoftSceneTexture t{{}, 7, 6, false};
  t.texels.resize(128 * 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) {
      const int band = y / 4;
      t.texels[static_cast<size_t>(y) * 128 + x] = Pack555(8 + band / 2, 14 + band / 2, 28 + (x % 32 == 0 ? 3 : 0));
    }
  }
  return t;
}

// A round puff: drawn inside the circle, see-through outside it.
SoftSceneTexture Puff(uint16_t colour) {
  SoftSceneTexture t{{}, 4, 4, true};
  t.texels.resize(256);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int dx = 2 * x - 15, dy = 2 * y - 15;
      t.texels[static_cast<size_t>(y) * 16 + x] = dx * dx + dy * dy < 200 ? static_cast<uint16_t>(colour | 0x8000) : 0;
    }
  }
  return t;
}

PolygonRecord Record(Point4 a, Point4 b, Point4 c, int16_t texture, int16_t material, const float uv[3][2],
                     float light) {
  PolygonRecord r{};
  r.kind = texture >= 0 ? 201 : 101;
  r.material = material;
  r.texture = texture;
  r.v[0] = a;
  r.v[1] = b;
  r.v[2] = c;
  for (int i = 0; i < 3; ++i) {
    r.colour[i][0] = r.colour[i][1] = r.colour[i][2] = light;
    r.colour[i][3] = 255.0f;
    r.uv[i][0] = uv[i][0];
    r.uv[i][1] = uv[i][1];
  }
  return r;
}

// Two triangles for the quad a b c d (in ring order), the texture laid over it once.
void Quad(std::vector<PolygonRecord>& out, Point4 a, Point4 b, Point4 c, Point4 d, int16_t texture, int16_t material,
          float light) {
  const float first[3][2] = {{0, 1}, {1, 1}, {1, 0}};
  const float second[3][2] = {{0, 1}, {1, 0}, {0, 0}};
  out.push_back(Record(a, b, c, texture, material, first, light));
  out.push_back(Record(a, c, d, texture, material, second, light));
}

void Grid(SoftSceneData& scene) {
  scene.textures.push_back(Checker(8, 8, Pack555(2, 10, 20), Pack555(4, 14, 24)));   // 0 water
  scene.textures.push_back(Checker(6, 4, Pack555(18, 16, 12), Pack555(12, 11, 9)));  // 1 stone
  scene.textures.push_back(Checker(7, 2, Pack555(6, 20, 5), Pack555(9, 24, 7)));     // 2 grass
  scene.textures.push_back(Sky());                                                    // 3 sky
  scene.materials.push_back({255, 255, 255, 255});                                    // 0
  scene.materials.push_back({255, 255, 255, 128});                                    // 1 half see-through
  scene.materials.push_back({255, 230, 200, 255});                                    // 2 warm light
  constexpr float kTile = 50.0f;
  constexpr float kGround = -30.0f;
  for (int row = 0; row < 20; ++row) {
    for (int column = 0; column < 40; ++column) {
      const float x0 = -1000.0f + column * kTile, z0 = row * kTile;
      const int16_t texture = static_cast<int16_t>((row / 3 + column / 5) % 3);
      const int16_t material = static_cast<int16_t>((row + column) % 5 == 0 ? 2 : 0);
      Quad(scene.opaque, Point4{x0, kGround, z0 + kTile, 0}, Point4{x0 + kTile, kGround, z0 + kTile, 0},
           Point4{x0 + kTile, kGround, z0, 0}, Point4{x0, kGround, z0, 0}, texture, material, 12.0f);
    }
  }
  // The sky: a wall far away above the horizon.
  constexpr float kSkyZ = 980.0f;
  for (int i = 0; i < 3; ++i) {
    const float x0 = -1100.0f + i * 733.4f;
    for (int j = 0; j < 2; ++j) {
      const float y0 = -60.0f + j * 450.0f;
      Quad(scene.sky, Point4{x0, y0 + 450.0f, kSkyZ, 0}, Point4{x0 + 733.4f, y0 + 450.0f, kSkyZ, 0},
           Point4{x0 + 733.4f, y0, kSkyZ, 0}, Point4{x0, y0, kSkyZ, 0}, 3, 0, 0.0f);
    }
  }
}

void Sprites(SoftSceneData& scene) {
  const auto spray = static_cast<int16_t>(scene.textures.size());
  scene.textures.push_back(Puff(Pack555(28, 30, 31)));
  scene.textures.push_back(Puff(Pack555(31, 20, 4)));
  Random random{0x5eed5eedULL};
  for (int i = 0; i < 300; ++i) {
    const float z = random.Uniform(40.0f, 700.0f);
    const float x = random.Uniform(-0.9f, 0.9f) * z;
    const float y = random.Uniform(-0.04f, 0.3f) * z;
    const float half = random.Uniform(3.0f, 9.0f);
    const bool keyed = i % 3 == 0;
    auto& queue = keyed ? scene.keyed : scene.translucent;
    Quad(queue, Point4{x - half, y + half, z, 0}, Point4{x + half, y + half, z, 0}, Point4{x + half, y - half, z, 0},
         Point4{x - half, y - half, z, 0}, static_cast<int16_t>(spray + (keyed ? 1 : 0)),
         static_cast<int16_t>(keyed ? 0 : 1), keyed ? 40.0f : 0.0f);
  }
}

void Tiny(SoftSceneData& scene) {
  scene.textures.push_back(Checker(4, 2, Pack555(31, 8, 8), Pack555(20, 4, 4)));
  scene.textures.push_back(Checker(4, 2, Pack555(8, 31, 8), Pack555(4, 20, 4)));
  scene.textures.push_back(Checker(4, 2, Pack555(8, 8, 31), Pack555(4, 4, 20)));
  scene.textures.push_back(Checker(4, 2, Pack555(31, 31, 8), Pack555(20, 20, 4)));
  scene.materials.push_back({255, 255, 255, 255});
  Random random{0x7177ULL};
  const float uv[3][2] = {{0, 0}, {1, 0}, {0, 1}};
  for (int i = 0; i < 10000; ++i) {
    const float z = random.Uniform(20.0f, 900.0f);
    const float sx = random.Uniform(-1.0f, 1.0f), sy = random.Uniform(-0.75f, 0.75f);
    // About six pixels across on a 640-pixel view.
    const float size = 0.02f;
    Point4 a{sx * z, sy * z, z, 0};
    Point4 b{(sx + size * random.Uniform(0.5f, 1.0f)) * z, (sy + size * random.Uniform(-0.3f, 0.3f)) * z, z, 0};
    Point4 c{(sx + size * random.Uniform(-0.3f, 0.5f)) * z, (sy - size * random.Uniform(0.5f, 1.0f)) * z,
             z + random.Uniform(-3.0f, 3.0f), 0};
    scene.opaque.push_back(Record(a, b, c, static_cast<int16_t>(i % 4), 0, uv, 0.0f));
  }
}

}  // namespace

const char* SoftSceneName(int kind) {
  switch (kind) {
    case kSoftSceneGrid: return "grid";
    case kSoftSceneSprites: return "sprites";
    case kSoftSceneTiny: return "tiny";
    default: return "?";
  }
}

SoftSceneData SoftSceneBuild(int kind) {
  SoftSceneData scene;
  if (kind == kSoftSceneGrid || kind == kSoftSceneSprites) Grid(scene);
  if (kind == kSoftSceneSprites) Sprites(scene);
  if (kind == kSoftSceneTiny) Tiny(scene);
  return scene;
}
