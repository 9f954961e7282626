// Fixed, generated scenes for the software renderer's golden frames and its frame-rate program:
// queued polygons in camera space, with their textures and materials.
//
// The camera sits at the origin looking along +z, y up, with a projection scale of half the view's
// width (a 90-degree horizontal field), a 4:3 view, near 1 and far 1000.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/render/polygon.h"

struct SoftSceneTexture {
  std::vector<uint16_t> texels;  // 1555, key bit set where drawn
  uint8_t log2Width;
  uint8_t log2Height;
  bool keyed;  // colour-keyed: not drawn by the opaque fillers
};

struct SoftSceneMaterial {
  float red, green, blue, alpha;  // 0..255
};

struct SoftSceneData {
  std::vector<SoftSceneTexture> textures;    // a record's texture is an index here
  std::vector<SoftSceneMaterial> materials;  // a record's material is an index here
  std::vector<PolygonRecord> sky;            // one depth group of its own, set up first
  std::vector<PolygonRecord> opaque;
  std::vector<PolygonRecord> keyed;
  std::vector<PolygonRecord> translucent;
};

enum SoftSceneKind : int {
  kSoftSceneGrid = 0,     // a textured ground grid under a sky
  kSoftSceneSprites = 1,  // the same with 300 translucent and colour-keyed sprites
  kSoftSceneTiny = 2,     // 10,000 small triangles at random depths
};

constexpr int kSoftSceneCount = 3;
const char* SoftSceneName(int kind);
SoftSceneData SoftSceneBuild(int kind);
