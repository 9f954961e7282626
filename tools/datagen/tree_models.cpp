#include "tools/datagen/tree_models.h"

#include <cmath>

C4DMaterialDef TreeMaterial(const std::string& name, const std::string& texture) {
  C4DMaterialDef m;
  m.name = name;
  m.texture = texture;
  return m;
}

C4DNodeDef TreeNode(const std::string& name, ModelMesh mesh, uint32_t material) {
  C4DNodeDef node;
  node.name = name;
  node.mesh = std::move(mesh);
  node.material = material;
  return node;
}

void TreePutC4D(TreeOutput& tree, const std::string& folder, const std::string& file, const C4DSceneDef& scene) {
  TreePut(tree, folder + "/" + file, C4DWriteScene(scene));
  TreeModel m{folder, file, {}, static_cast<int32_t>(scene.materials.size())};
  for (const C4DMaterialDef& mat : scene.materials)
    if (!mat.texture.empty()) m.textures.push_back(mat.texture);
  tree.models.push_back(m);
}

void TreePutChunk(TreeOutput& tree, const std::string& folder, const std::string& file,
                  const std::vector<ChunkObjectDef>& objects) {
  TreePut(tree, folder + "/" + file, ChunkWriteFile(objects));
  TreeModel m{folder, file, {}, 0};
  for (const ChunkObjectDef& o : objects) {
    for (const ChunkTextureDef& t : o.textures) m.textures.push_back(t.file);
    m.materials += static_cast<int32_t>(o.materials.size());
  }
  tree.models.push_back(m);
}

void TreePutPicture(TreeOutput& tree, const std::string& path, const Canvas& c, bool rle) {
  TreePut(tree, path, CanvasBmp8(c, rle));
}

void MeshQuarterTurnX(ModelMesh& mesh) {
  for (auto& p : mesh.points) {
    const float y = p[1];
    p[1] = -p[2];
    p[2] = y;
  }
}

void MeshScale(ModelMesh& mesh, float sx, float sy, float sz) {
  for (auto& p : mesh.points) {
    p[0] *= sx;
    p[1] *= sy;
    p[2] *= sz;
  }
}

void MeshTurnY(ModelMesh& mesh, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  for (auto& p : mesh.points) {
    const float x = p[0], z = p[2];
    p[0] = x * c + z * s;
    p[2] = -x * s + z * c;
  }
}
