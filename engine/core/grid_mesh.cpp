#include "engine/core/grid_mesh.h"

#include <cmath>

#include "engine/core/detail.h"

namespace {

constexpr int64_t kMaxGridPoints = 65536;

bool ArgumentsValid(int32_t cellsX, int32_t cellsZ, float cellSize, int32_t material) {
  if (cellsX < 1 || cellsZ < 1 || !(cellSize > 0.0f) || !std::isfinite(cellSize) || material < 0) return false;
  return (static_cast<int64_t>(cellsX) + 1) * (static_cast<int64_t>(cellsZ) + 1) <= kMaxGridPoints;
}

// The point (column c, row r), appended, or found among the points an object already has (a
// shared clone's). Every coordinate is computed once, from its index, so the same point always
// gets the same value.
int32_t PointAt(EngineObject* object, bool lookUp, int32_t c, int32_t r, int32_t cellsX, int32_t cellsZ, float s) {
  const float x = -0.5f * s * static_cast<float>(cellsX) + static_cast<float>(c) * s;
  const float z = -0.5f * s * static_cast<float>(cellsZ) + static_cast<float>(r) * s;
  if (lookUp) {
    const int32_t found = wre_ObjectFindPoint(object, x, 0.0f, z);
    if (found >= 0) return found;
  }
  return wre_ObjectAddPoint(object, x, 0.0f, z, 0);
}

int32_t Fill(EngineObject* object, bool lookUp, int32_t cellsX, int32_t cellsZ, float s, int32_t material,
             int32_t texture, float step) {
  const int32_t polyKind = texture >= 0 ? kPolyTexturedSmooth : kPolyPlainSmooth;
  const int32_t columns = cellsX + 1;
  // Row by row, so that point (c, r) of a new object has index c + r * (cellsX + 1).
  for (int32_t r = 0; r <= cellsZ; ++r) {
    for (int32_t c = 0; c <= cellsX; ++c) {
      const int32_t index = PointAt(object, lookUp, c, r, cellsX, cellsZ, s);
      if (index < 0) return kWreErrCreate;
      if (!lookUp && index != c + r * columns) return kWreErrCreate;
    }
  }
  const auto indexOf = [&](int32_t c, int32_t r) {
    return lookUp ? PointAt(object, true, c, r, cellsX, cellsZ, s) : c + r * columns;
  };
  float v = 0.0f;
  for (int32_t r = 0; r < cellsZ; ++r) {
    float u = 0.0f;
    for (int32_t c = 0; c < cellsX; ++c) {
      const int32_t p0 = indexOf(c, r);
      const int32_t p1 = indexOf(c, r + 1);
      const int32_t p2 = indexOf(c + 1, r + 1);
      const int32_t p3 = indexOf(c + 1, r);
      const float uv0[2] = {u, v};
      const float uv1[2] = {u, v + step};
      const float uv2[2] = {u + step, v + step};
      const float uv3[2] = {u + step, v};
      int32_t result =
          wre_ObjectAddPoly(object, material, texture, polyKind, p0, p1, p2, uv0, uv1, uv2, 1);
      if (result == 0) result = wre_ObjectAddPoly(object, material, texture, polyKind, p2, p3, p0, uv2, uv3, uv0, 1);
      if (result != 0) return kWreErrCreate;
      u += step;
    }
    v += step;
  }
  return wre_ObjectRecalc(object, 0, 1, 1, 1, 1);
}

}  // namespace

int32_t wre_ObjectNewGrid(int32_t cellsX, int32_t cellsZ, float cellSize, int32_t material, int32_t texture,
                          int32_t kind, EngineObject** out, uint32_t creationFlags, float textureStep) {
  if (!out) return kWreErrNull;
  *out = nullptr;
  if (!ArgumentsValid(cellsX, cellsZ, cellSize, material)) return kWreErrRange;
  if (kind != kObjectMesh && kind != kObjectStatic) return kWreErrCreate;
  EngineObject* object =
      wre_ObjectNew(kind, 2 * cellsX * cellsZ, (cellsX + 1) * (cellsZ + 1), 0, 0, creationFlags);
  if (!object) return kWreErrCreate;
  const int32_t result = Fill(object, false, cellsX, cellsZ, cellSize, material, texture, textureStep);
  if (result == kWreErrCreate) {
    wre_ObjectDispose(object);
    return result;
  }
  *out = object;
  return result;
}

int32_t wre_ObjectNewGridShared(int32_t cellsX, int32_t cellsZ, float cellSize, int32_t material, int32_t texture,
                                int32_t kind, EngineObject** out, uint32_t creationFlags, float textureStep,
                                EngineObject** sourceHolder) {
  (void)kind;
  (void)creationFlags;
  if (!out) return kWreErrNull;
  *out = nullptr;
  if (!ArgumentsValid(cellsX, cellsZ, cellSize, material)) return kWreErrRange;
  EngineObject* object = nullptr;
  const int32_t cloned = wre_ObjectCloneShared(&object, sourceHolder);
  if (cloned != 0 || !object) return cloned != 0 ? cloned : kWreErrCreate;
  object->polygonCount = 0;
  if (object->polygonCapacity < 2 * cellsX * cellsZ) {
    wre_ObjectDispose(object);
    return kWreErrCreate;
  }
  const int32_t result = Fill(object, true, cellsX, cellsZ, cellSize, material, texture, textureStep);
  if (result == kWreErrCreate) {
    wre_ObjectDispose(object);
    return result;
  }
  *out = object;
  return result;
}
