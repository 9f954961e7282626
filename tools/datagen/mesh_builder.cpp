#include "tools/datagen/mesh_builder.h"

#include <cmath>

namespace {

using Vec3 = std::array<float, 3>;
using Vec2 = std::array<float, 2>;

constexpr float kPi = 3.14159265358979f;

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
float Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

int32_t AddPoint(ModelMesh& mesh, const Vec3& p, const Vec2& uv) {
  mesh.points.push_back(p);
  mesh.uvs.push_back(uv);
  return static_cast<int32_t>(mesh.points.size() - 1);
}

// A triangle of three existing points, turned so that its front faces `outward`.
void AddTriangle(ModelMesh& mesh, int32_t a, int32_t b, int32_t c, const Vec3& outward) {
  const Vec3& p0 = mesh.points[static_cast<size_t>(a)];
  const Vec3 n = Cross(Sub(mesh.points[static_cast<size_t>(b)], p0), Sub(mesh.points[static_cast<size_t>(c)], p0));
  if (Dot(n, outward) < 0.0f) {
    mesh.triangles.push_back({a, c, b});
  } else {
    mesh.triangles.push_back({a, b, c});
  }
}

void AddBoxFaces(ModelMesh& mesh, float x0, float x1, float y0, float y1, float z0, float z1, float inward) {
  const Vec2 uv[4] = {Vec2{0, 0}, Vec2{1, 0}, Vec2{1, 1}, Vec2{0, 1}};
  const std::array<Vec2, 4> uvs = {uv[0], uv[1], uv[2], uv[3]};
  const float s = inward;  // 1 outward, -1 inward
  MeshAddQuad(mesh, {Vec3{x0, y0, z1}, Vec3{x1, y0, z1}, Vec3{x1, y1, z1}, Vec3{x0, y1, z1}}, uvs, {0, 0, s});
  MeshAddQuad(mesh, {Vec3{x1, y0, z0}, Vec3{x0, y0, z0}, Vec3{x0, y1, z0}, Vec3{x1, y1, z0}}, uvs, {0, 0, -s});
  MeshAddQuad(mesh, {Vec3{x1, y0, z1}, Vec3{x1, y0, z0}, Vec3{x1, y1, z0}, Vec3{x1, y1, z1}}, uvs, {s, 0, 0});
  MeshAddQuad(mesh, {Vec3{x0, y0, z0}, Vec3{x0, y0, z1}, Vec3{x0, y1, z1}, Vec3{x0, y1, z0}}, uvs, {-s, 0, 0});
  MeshAddQuad(mesh, {Vec3{x0, y1, z1}, Vec3{x1, y1, z1}, Vec3{x1, y1, z0}, Vec3{x0, y1, z0}}, uvs, {0, s, 0});
  MeshAddQuad(mesh, {Vec3{x0, y0, z0}, Vec3{x1, y0, z0}, Vec3{x1, y0, z1}, Vec3{x0, y0, z1}}, uvs, {0, -s, 0});
}

}  // namespace

void MeshAddQuad(ModelMesh& mesh, const std::array<Vec3, 4>& corners, const std::array<Vec2, 4>& uvs,
                 const Vec3& outward) {
  int32_t index[4];
  for (int i = 0; i < 4; ++i) index[i] = AddPoint(mesh, corners[static_cast<size_t>(i)], uvs[static_cast<size_t>(i)]);
  AddTriangle(mesh, index[0], index[1], index[2], outward);
  AddTriangle(mesh, index[0], index[2], index[3], outward);
}

void MeshAddTriangle(ModelMesh& mesh, const std::array<Vec3, 3>& corners, const std::array<Vec2, 3>& uvs,
                     const Vec3& outward) {
  int32_t index[3];
  for (int i = 0; i < 3; ++i) index[i] = AddPoint(mesh, corners[static_cast<size_t>(i)], uvs[static_cast<size_t>(i)]);
  AddTriangle(mesh, index[0], index[1], index[2], outward);
}

void MeshAppend(ModelMesh& mesh, const ModelMesh& other) {
  const auto base = static_cast<int32_t>(mesh.points.size());
  mesh.points.insert(mesh.points.end(), other.points.begin(), other.points.end());
  mesh.uvs.insert(mesh.uvs.end(), other.uvs.begin(), other.uvs.end());
  for (const auto& t : other.triangles) mesh.triangles.push_back({t[0] + base, t[1] + base, t[2] + base});
}

void MeshTranslate(ModelMesh& mesh, float dx, float dy, float dz) {
  for (auto& p : mesh.points) {
    p[0] += dx;
    p[1] += dy;
    p[2] += dz;
  }
}

ModelMesh MeshBox(float sizeX, float sizeY, float sizeZ) {
  ModelMesh mesh;
  AddBoxFaces(mesh, -sizeX / 2, sizeX / 2, -sizeY / 2, sizeY / 2, -sizeZ / 2, sizeZ / 2, 1.0f);
  return mesh;
}

ModelMesh MeshSkyCube(float size) {
  ModelMesh mesh;
  AddBoxFaces(mesh, -size / 2, size / 2, -size / 2, size / 2, -size / 2, size / 2, -1.0f);
  return mesh;
}

ModelMesh MeshWedge(float sizeX, float sizeY, float sizeZ) {
  ModelMesh mesh;
  const float x0 = -sizeX / 2, x1 = sizeX / 2, z0 = -sizeZ / 2, z1 = sizeZ / 2, h = sizeY;
  const std::array<Vec2, 4> uvs = {Vec2{0, 0}, Vec2{1, 0}, Vec2{1, 1}, Vec2{0, 1}};
  // Back wall at -z, the slope from its top down to the front edge, the floor.
  MeshAddQuad(mesh, {Vec3{x1, 0, z0}, Vec3{x0, 0, z0}, Vec3{x0, h, z0}, Vec3{x1, h, z0}}, uvs, {0, 0, -1});
  MeshAddQuad(mesh, {Vec3{x0, 0, z1}, Vec3{x1, 0, z1}, Vec3{x1, h, z0}, Vec3{x0, h, z0}}, uvs, {0, sizeZ, h});
  MeshAddQuad(mesh, {Vec3{x0, 0, z0}, Vec3{x1, 0, z0}, Vec3{x1, 0, z1}, Vec3{x0, 0, z1}}, uvs, {0, -1, 0});
  // The two triangular sides.
  for (int side = 0; side < 2; ++side) {
    const float x = side ? x1 : x0;
    const int32_t a = AddPoint(mesh, {x, 0, z0}, {0, 0});
    const int32_t b = AddPoint(mesh, {x, 0, z1}, {1, 0});
    const int32_t c = AddPoint(mesh, {x, h, z0}, {0, 1});
    AddTriangle(mesh, a, b, c, {side ? 1.0f : -1.0f, 0, 0});
  }
  return mesh;
}

ModelMesh MeshCylinder(float radius, float height, int32_t segments) {
  ModelMesh mesh;
  for (int32_t i = 0; i < segments; ++i) {
    const float a0 = 2 * kPi * static_cast<float>(i) / static_cast<float>(segments);
    const float a1 = 2 * kPi * static_cast<float>(i + 1) / static_cast<float>(segments);
    const float u0 = static_cast<float>(i) / static_cast<float>(segments);
    const float u1 = static_cast<float>(i + 1) / static_cast<float>(segments);
    const Vec3 b0{radius * std::cos(a0), 0, radius * std::sin(a0)};
    const Vec3 b1{radius * std::cos(a1), 0, radius * std::sin(a1)};
    const float am = 0.5f * (a0 + a1);
    MeshAddQuad(mesh, {b0, b1, Vec3{b1[0], height, b1[2]}, Vec3{b0[0], height, b0[2]}},
                {Vec2{u0, 0}, Vec2{u1, 0}, Vec2{u1, 1}, Vec2{u0, 1}}, {std::cos(am), 0, std::sin(am)});
    for (int cap = 0; cap < 2; ++cap) {
      const float y = cap ? height : 0.0f;
      const int32_t c = AddPoint(mesh, {0, y, 0}, {0.5f, 0.5f});
      const int32_t p0 =
          AddPoint(mesh, {b0[0], y, b0[2]}, {0.5f + 0.5f * std::cos(a0), 0.5f + 0.5f * std::sin(a0)});
      const int32_t p1 =
          AddPoint(mesh, {b1[0], y, b1[2]}, {0.5f + 0.5f * std::cos(a1), 0.5f + 0.5f * std::sin(a1)});
      AddTriangle(mesh, c, p0, p1, {0, cap ? 1.0f : -1.0f, 0});
    }
  }
  return mesh;
}

ModelMesh MeshCone(float radius, float height, int32_t segments) {
  ModelMesh mesh;
  for (int32_t i = 0; i < segments; ++i) {
    const float a0 = 2 * kPi * static_cast<float>(i) / static_cast<float>(segments);
    const float a1 = 2 * kPi * static_cast<float>(i + 1) / static_cast<float>(segments);
    const float am = 0.5f * (a0 + a1);
    const float u0 = static_cast<float>(i) / static_cast<float>(segments);
    const float u1 = static_cast<float>(i + 1) / static_cast<float>(segments);
    MeshAddTriangle(mesh, {Vec3{radius * std::cos(a0), 0, radius * std::sin(a0)}, Vec3{radius * std::cos(a1), 0, radius * std::sin(a1)},
                           Vec3{0, height, 0}},
                    {Vec2{u0, 0}, Vec2{u1, 0}, Vec2{0.5f * (u0 + u1), 1}},
                    {height * std::cos(am), radius, height * std::sin(am)});
  }
  return mesh;
}

ModelMesh MeshSphere(float radius, int32_t rings, int32_t segments) {
  ModelMesh mesh;
  auto at = [&](int32_t ring, int32_t segment) {
    const float theta = kPi * static_cast<float>(ring) / static_cast<float>(rings);
    const float phi = 2 * kPi * static_cast<float>(segment) / static_cast<float>(segments);
    return Vec3{radius * std::sin(theta) * std::cos(phi), radius * std::cos(theta),
                radius * std::sin(theta) * std::sin(phi)};
  };
  for (int32_t r = 0; r < rings; ++r) {
    for (int32_t s = 0; s < segments; ++s) {
      const float u0 = static_cast<float>(s) / static_cast<float>(segments);
      const float u1 = static_cast<float>(s + 1) / static_cast<float>(segments);
      const float v0 = 1.0f - static_cast<float>(r) / static_cast<float>(rings);
      const float v1 = 1.0f - static_cast<float>(r + 1) / static_cast<float>(rings);
      const Vec3 p00 = at(r, s), p01 = at(r, s + 1), p10 = at(r + 1, s), p11 = at(r + 1, s + 1);
      const Vec3 outward{p00[0] + p01[0] + p10[0] + p11[0], p00[1] + p01[1] + p10[1] + p11[1],
                         p00[2] + p01[2] + p10[2] + p11[2]};
      if (r == 0) {  // p00 and p01 are the top pole
        const int32_t a = AddPoint(mesh, p00, {0.5f * (u0 + u1), v0});
        const int32_t b = AddPoint(mesh, p10, {u0, v1});
        const int32_t c = AddPoint(mesh, p11, {u1, v1});
        AddTriangle(mesh, a, b, c, outward);
        continue;
      }
      if (r == rings - 1) {  // p10 and p11 are the bottom pole
        const int32_t a = AddPoint(mesh, p00, {u0, v0});
        const int32_t b = AddPoint(mesh, p01, {u1, v0});
        const int32_t c = AddPoint(mesh, p10, {0.5f * (u0 + u1), v1});
        AddTriangle(mesh, a, b, c, outward);
        continue;
      }
      MeshAddQuad(mesh, {p00, p01, p11, p10}, {Vec2{u0, v0}, Vec2{u1, v0}, Vec2{u1, v1}, Vec2{u0, v1}}, outward);
    }
  }
  return mesh;
}

ModelMesh MeshDisc(float radius, int32_t segments) {
  ModelMesh mesh;
  for (int32_t i = 0; i < segments; ++i) {
    const float a0 = 2 * kPi * static_cast<float>(i) / static_cast<float>(segments);
    const float a1 = 2 * kPi * static_cast<float>(i + 1) / static_cast<float>(segments);
    const int32_t c = AddPoint(mesh, {0, 0, 0}, {0.5f, 0.5f});
    const int32_t p0 = AddPoint(mesh, {radius * std::cos(a0), 0, radius * std::sin(a0)},
                                {0.5f + 0.5f * std::cos(a0), 0.5f + 0.5f * std::sin(a0)});
    const int32_t p1 = AddPoint(mesh, {radius * std::cos(a1), 0, radius * std::sin(a1)},
                                {0.5f + 0.5f * std::cos(a1), 0.5f + 0.5f * std::sin(a1)});
    AddTriangle(mesh, c, p0, p1, {0, 1, 0});
  }
  return mesh;
}

ModelMesh MeshArch(float width, float height, float depth, float thickness) {
  ModelMesh mesh;
  ModelMesh left = MeshBox(thickness, height, depth);
  MeshTranslate(left, -width / 2 + thickness / 2, height / 2, 0);
  ModelMesh right = MeshBox(thickness, height, depth);
  MeshTranslate(right, width / 2 - thickness / 2, height / 2, 0);
  ModelMesh beam = MeshBox(width, thickness, depth);
  MeshTranslate(beam, 0, height + thickness / 2, 0);
  MeshAppend(mesh, left);
  MeshAppend(mesh, right);
  MeshAppend(mesh, beam);
  return mesh;
}

ModelMesh MeshPlane(float sizeX, float sizeZ, int32_t cellsX, int32_t cellsZ) {
  ModelMesh mesh;
  for (int32_t i = 0; i < cellsX; ++i) {
    for (int32_t j = 0; j < cellsZ; ++j) {
      const float fx0 = static_cast<float>(i) / static_cast<float>(cellsX);
      const float fx1 = static_cast<float>(i + 1) / static_cast<float>(cellsX);
      const float fz0 = static_cast<float>(j) / static_cast<float>(cellsZ);
      const float fz1 = static_cast<float>(j + 1) / static_cast<float>(cellsZ);
      const float x0 = -sizeX / 2 + sizeX * fx0, x1 = -sizeX / 2 + sizeX * fx1;
      const float z0 = -sizeZ / 2 + sizeZ * fz0, z1 = -sizeZ / 2 + sizeZ * fz1;
      MeshAddQuad(mesh, {Vec3{x0, 0, z0}, Vec3{x1, 0, z0}, Vec3{x1, 0, z1}, Vec3{x0, 0, z1}},
                  {Vec2{fx0, fz0}, Vec2{fx1, fz0}, Vec2{fx1, fz1}, Vec2{fx0, fz1}}, {0, 1, 0});
    }
  }
  return mesh;
}
