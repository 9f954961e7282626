// Small triangle meshes for the sample models, in the engine's axes: each triangle's front side is
// where (p1 - p0) x (p2 - p0) points. Texture coordinates are one (u, v) pair a point in 0..1 with
// v measured from the image's bottom; points are repeated along seams so every corner has its own.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

struct ModelMesh {
  std::vector<std::array<float, 3>> points;
  std::vector<std::array<float, 2>> uvs;
  std::vector<std::array<int32_t, 3>> triangles;
};

// A quad of four corners in order round its edge, turned so that its front faces `outward`.
void MeshAddQuad(ModelMesh& mesh, const std::array<std::array<float, 3>, 4>& corners,
                 const std::array<std::array<float, 2>, 4>& uvs, const std::array<float, 3>& outward);
// A triangle of three new corners, turned so that its front faces `outward`.
void MeshAddTriangle(ModelMesh& mesh, const std::array<std::array<float, 3>, 3>& corners,
                     const std::array<std::array<float, 2>, 3>& uvs, const std::array<float, 3>& outward);
void MeshAppend(ModelMesh& mesh, const ModelMesh& other);
void MeshTranslate(ModelMesh& mesh, float dx, float dy, float dz);

// Centred on the origin unless said otherwise.
ModelMesh MeshBox(float sizeX, float sizeY, float sizeZ);
// A box whose top slopes from full height at -z down to 0 at +z; it stands on y = 0.
ModelMesh MeshWedge(float sizeX, float sizeY, float sizeZ);
// Axis along y, standing on y = 0, with caps.
ModelMesh MeshCylinder(float radius, float height, int32_t segments);
// Axis along y, standing on y = 0, sides only (it stands on something): 4 segments make a pyramid.
ModelMesh MeshCone(float radius, float height, int32_t segments);
ModelMesh MeshSphere(float radius, int32_t rings, int32_t segments);
// In the plane y = 0, facing +y.
ModelMesh MeshDisc(float radius, int32_t segments);
// Two posts and a beam across their tops: three boxes standing on y = 0, spanning x.
ModelMesh MeshArch(float width, float height, float depth, float thickness);
// In the plane y = 0, facing +y, split into cellsX x cellsZ quads.
ModelMesh MeshPlane(float sizeX, float sizeZ, int32_t cellsX, int32_t cellsZ);
// A cube seen from inside: every face's front points at the centre.
ModelMesh MeshSkyCube(float size);
