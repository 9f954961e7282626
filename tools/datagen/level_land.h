// A sample level's objects that stand on its land: their ids in the level file, its textures'
// names, the land itself (the shore traced round the water on a grid, cliffs down into the water
// along it) and the scenery on it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/datagen/level_water.h"
#include "tools/datagen/model_writer.h"

namespace levelgen {

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

// Texture names of a level, each prefixed with its word so no two levels share one.
struct LevelTextures {
  std::string rock, crate, ramp, water, strip, ground, stone, tower, leaf, house;
};

// One object of the level file: the mesh at (x, y, z) with one texture, a material tinted `tint`
// and the id as its user value (none when negative).
ChunkObjectDef LevelSolid(ModelMesh mesh, V2 at, float y, const std::string& texture, int32_t id,
                          uint32_t tint = 0xFFFFFF);

// The land of the level in tiles of 8 x 8 grid cells (the waters' shore measured): whole cells of
// land joined along each row, shore cells cut where the shore crosses their sides, and a cliff down
// into the water along the shore; its top stands `top` above the water.
void AddLand(std::vector<ChunkObjectDef>& objects, const Waters& w, float top, const LevelTextures& t);
// The level's scenery on its land; `accent` tints the props that wear the level's colour.
void AddScenery(std::vector<ChunkObjectDef>& objects, int32_t level, const Waters& w, float top,
                const LevelTextures& t, uint32_t accent);

}  // namespace levelgen
