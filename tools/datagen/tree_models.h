// Helpers shared by the parts of the tree that write models: model files recorded with the
// textures they name, and small mesh edits.
#pragma once
#include <string>

#include "tools/datagen/model_writer.h"
#include "tools/datagen/raster.h"
#include "tools/datagen/tree_output.h"

// Rally gates: the buoys stand this far either side of a gate's centre, wide enough for a rider
// that comes in on a slant to cross the pass zone. The finish arch spans its buoys with room to
// spare, since the arch's size stands in for the buoys' width in the pass test, and a rider that
// comes out of a bend wide in a narrow channel must pass its posts, not meet one.
constexpr float kTreeGateHalf = 9000;
constexpr float kTreeArchWidth = 2 * kTreeGateHalf + 16000;

C4DMaterialDef TreeMaterial(const std::string& name, const std::string& texture);
C4DNodeDef TreeNode(const std::string& name, ModelMesh mesh, uint32_t material);
void TreePutC4D(TreeOutput& tree, const std::string& folder, const std::string& file, const C4DSceneDef& scene);
void TreePutChunk(TreeOutput& tree, const std::string& folder, const std::string& file,
                  const std::vector<ChunkObjectDef>& objects);
// 8-bit picture file of the canvas, recorded nowhere else.
void TreePutPicture(TreeOutput& tree, const std::string& path, const Canvas& c, bool rle = false);
// Points turned a quarter turn about x (y becomes z), so a shape standing on y lies along z.
void MeshQuarterTurnX(ModelMesh& mesh);
void MeshScale(ModelMesh& mesh, float sx, float sy, float sz);
// Points turned `angle` radians about y.
void MeshTurnY(ModelMesh& mesh, float angle);

// A sky around the camera: "SkyDayN.c4d" in the folder, its faces pointing inward, with a side
// picture (zenith to horizon to sea) and a top picture named <prefix>_sky.bmp and
// <prefix>_skytop.bmp, 256 x 256 and undithered, added to the folder's texture list at 24 bits.
// `size` is the cube's side: the race draws it at half size, inside its far clip.
void TreeWriteSky(TreeOutput& tree, const std::string& folder, const std::string& prefix, uint32_t zenith,
                  uint32_t horizon, uint32_t sea, TreeListBuilder& list, uint32_t seed, float size = 600000);
