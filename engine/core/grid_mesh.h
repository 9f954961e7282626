// Grid mesh objects: a flat, square-celled mesh in the X/Z plane, cells along x by cells along z,
// two triangles a cell, centred on the object's origin at y = 0, with texture coordinates that
// advance by a fixed step per cell (0..255 units; a step of 255 repeats the texture once a cell).
#pragma once
#include <cstdint>

#include "engine/core/object.h"

// 0 or the result of the final recalculation; -1000 for a null out pointer; -1010 when either
// cell count is below 1, the grid has more than 65536 points, the cell size is not above 0 or the
// material is negative; -20000 when the object cannot be created (or the kind is not 100 or 103).
// *out is null until the object is complete.
int32_t wre_ObjectNewGrid(int32_t cellsX, int32_t cellsZ, float cellSize, int32_t material, int32_t texture,
                          int32_t kind, EngineObject** out, uint32_t creationFlags, float textureStep);
// The same on a shared clone of *sourceHolder (its points are the source's) with its polygons
// cleared; the clone's failure is returned.
int32_t wre_ObjectNewGridShared(int32_t cellsX, int32_t cellsZ, float cellSize, int32_t material, int32_t texture,
                                int32_t kind, EngineObject** out, uint32_t creationFlags, float textureStep,
                                EngineObject** sourceHolder);
