#include "game/world/water_surface.h"

#include <cmath>
#include <cstddef>

#include "engine/core/colour_scale.h"
#include "engine/core/detail.h"
#include "engine/core/grid_mesh.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/polytree.h"
#include "engine/core/random.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/game_materials.h"

namespace {

constexpr float kBoundsReset = 1.8e38f;
constexpr int32_t kDefaultCells = 11;
constexpr float kDefaultCellSize = 10000.0f;
constexpr float kFarPlaneSize = 110000.0f;
constexpr float kFarPlaneUVScale = 8192.0f;
constexpr float kFarPlaneSwitchDistance = 277200.0f;
constexpr float kGridDrawDistance = 79200.0f;
constexpr uint32_t kWaterGridRenderFlags = 0x11;
constexpr uint32_t kWaterGroup = 1;
constexpr int32_t kPolyTreeDepth = 2;
// 4096 / 11 cut: one full sine period across the eleven cells.
constexpr int32_t kPhaseStep = 372;
constexpr int32_t kDualPhaseStart = 512;
constexpr float kPlanarHeight = 1000.0f;
constexpr int32_t kPlanarAngleAdd = 85;
constexpr float kScrollStep = 0.1f;
constexpr const char* kWaterTextureIdent = "vqz_WaterworksTexIdent0";

int32_t gColumns = 0;  // points a row of the built grid
int32_t gRows = 0;

float Sine(int32_t angle) { return gSinTable[static_cast<uint32_t>(angle) & 0xfff]; }

bool WavesMove(int32_t mode) {
  return mode == kWaterModeSingularSine || mode == kWaterModeRandomPlop || mode == kWaterModeStaggeredDualSine ||
         mode == kWaterModeStaggeredSine;
}

// The optional texture shift of one sine value: height-to-UV, the moving UV point and the sway.
void TextureOffset(float s, float cyc, float* uv) {
  const WaterSettings& w = gWaterSettings;
  for (int k = 0; k < 2; ++k) {
    float value = 0.0f;
    if (w.flags & kWaterHeightToUV) value += s * w.heightToTextureUVRatio[k];
    if (w.flags & kWaterUVPoint) value += w.waterUVPoint[k];
    if (w.flags & kWaterCyclicUV) value += cyc;
    uv[k] = value;
  }
}

void InitialPhases(int32_t* phases) {
  const int32_t mode = gWaterSettings.waterMode;
  for (int32_t r = 0; r < gRows; ++r) {
    for (int32_t c = 0; c < gColumns; ++c) {
      int32_t phase;
      switch (mode) {
        case kWaterModeSingularSine: phase = kPhaseStep * c; break;
        case kWaterModeRandomPlop: phase = static_cast<int32_t>(wre_Random()); break;
        case kWaterModeStaggeredSine: phase = kPhaseStep * (gColumns * r + 2 * c); break;
        default: phase = kDualPhaseStart + kPhaseStep * r + kPhaseStep * c; break;
      }
      phases[r * gColumns + c] = phase;
    }
  }
}

void MovePoints(EngineObject* grid) {
  WaterSettings& w = gWaterSettings;
  const float cyc = (w.flags & kWaterCyclicUV) ? w.uvCyclicMultiplier * Sine(w.uvCyclicAngle) : 0.0f;
  const int32_t count = gRows * gColumns;
  const bool textured = (w.flags & (kWaterHeightToUV | kWaterUVPoint | kWaterCyclicUV)) != 0;
  for (int32_t i = 0; i < count; ++i) {
    // Phases wrap modulo 2^32: add as unsigned.
    w.phases[i] = static_cast<int32_t>(static_cast<uint32_t>(w.phases[i]) + static_cast<uint32_t>(w.waveAngleAdd));
    const float s = Sine(w.phases[i]);
    grid->localPoints[i].y = s * w.waveHeightMultiplier + w.basisY;
    if (w.flags & kWaterSpecular) {
      float spec = 0.0f;
      if (s >= w.minHeightToSpecularThresh) {
        spec = s * w.heightToSpecularRatio;
        wre_MathClamp(&spec, 0.0f, gColourMaxAlpha);
      }
      if (grid->pointAttachments) {
        for (int k = 0; k < 3; ++k) grid->pointAttachments[i].value[k] = spec;
      }
    }
    if (textured) TextureOffset(s, cyc, &w.uvs[2 * i]);
  }
}

void MovePlane(EngineObject* grid) {
  WaterSettings& w = gWaterSettings;
  w.planarPhase =
      static_cast<int32_t>(static_cast<uint32_t>(w.planarPhase) + static_cast<uint32_t>(w.waveAngleAdd));
  const float s = Sine(w.planarPhase);
  const float cyc = (w.flags & kWaterCyclicUV) ? w.uvCyclicMultiplier * Sine(w.uvCyclicAngle) : 0.0f;
  TextureOffset(s, cyc, w.singularTexUV);
  const Transform& t = grid->transform;
  wre_ObjectSetTransform(grid, t.angleX, t.angleY, t.angleZ, t.position[0], w.waveHeightMultiplier * s + w.basisY,
                         t.position[2]);
  wre_ObjectUpdate(grid, 1, 1);
}

// The last row and column repeat the first, so the surface tiles.
void CopySeam(EngineObject* grid) {
  const int32_t lastColumn = gColumns - 1;
  const int32_t lastRow = gRows - 1;
  Point4* points = grid->localPoints;
  PointAttachment* colours = (gWaterSettings.flags & kWaterSpecular) ? grid->pointAttachments : nullptr;
  const auto copy = [&](int32_t to, int32_t from, bool withColour) {
    points[to].y = points[from].y;
    if (withColour && colours) colours[to] = colours[from];
  };
  copy(lastColumn, 0, false);
  copy(lastRow * gColumns, 0, false);
  copy(lastRow * gColumns + lastColumn, 0, false);
  for (int32_t r = 0; r < gRows; ++r) copy(r * gColumns + lastColumn, r * gColumns, true);
  for (int32_t c = 0; c < gColumns; ++c) copy(lastRow * gColumns + c, c, true);
}

void MarkChanged(EngineObject* grid) {
  grid->transform.changed = 1;
  if (!grid->detailGroup) return;
  for (EngineObject* member = grid->detailGroup->members; member; member = member->next) {
    member->transform.changed = 1;
  }
}

void FreeArrays() {
  if (gWaterSettings.phases) wre_MemoryDispose(gWaterSettings.phases);
  if (gWaterSettings.uvs) wre_MemoryDispose(gWaterSettings.uvs);
  gWaterSettings.phases = nullptr;
  gWaterSettings.uvs = nullptr;
}

template <typename T>
T* NewZeroed(int32_t count) {
  const int32_t bytes = count * static_cast<int32_t>(sizeof(T));
  T* block = static_cast<T*>(wre_MemoryNew(bytes));
  if (block) wre_MemoryClear(block, bytes);
  return block;
}

int32_t AddFarPlane(EngineObject* grid) {
  EngineObject* far = nullptr;
  const int32_t made = wre_ObjectNewGrid(1, 1, kFarPlaneSize, 0, gWaterTextureIndex, kObjectStatic, &far,
                                         grid->creationFlags, kFarPlaneUVScale);
  if (made != 0) {
    if (far) wre_ObjectDispose(far);
    return made;
  }
  const int32_t added = wre_ObjectDetailSetAdd(grid, far);
  wre_ObjectNewVertexWork(far);
  if (added == 0) {
    wre_ObjectDetailSetDistance(grid, kFarPlaneSwitchDistance);
  } else {
    wre_ObjectDispose(far);
  }
  return 0;
}

void BindTexturePoints(EngineObject* grid) {
  for (int32_t p = 0; p < grid->polygonCount; ++p) {
    const ObjectPolygon& polygon = grid->polygons[p];
    if (gWaterSettings.waterMode == kWaterModePlanar) {
      const float* one = gWaterSettings.singularTexUV;
      wre_ObjectSetPolyVirtualTexturePoint(grid, p, one, one, one);
    } else {
      const float* uvs = gWaterSettings.uvs;
      wre_ObjectSetPolyVirtualTexturePoint(grid, p, &uvs[2 * polygon.points[0]], &uvs[2 * polygon.points[1]],
                                           &uvs[2 * polygon.points[2]]);
    }
  }
}

}  // namespace

int32_t WaterworksReset(ViewComponents*) {
  WaterSettings& w = gWaterSettings;
  const int32_t planarPhase = w.planarPhase;
  w = WaterSettings{};
  w.planarPhase = planarPhase;
  w.textureTileFactor = 1.0f;
  w.waveHeightMultiplier = 1.0f;
  w.heightToSpecularRatio = gColourMaxAlpha;
  w.uvCyclicMultiplier = 1.0f;
  gWaterGrid = nullptr;
  gColumns = 0;
  gRows = 0;
  gWaterTextureIndex = -1;
  for (int k = 0; k < 3; ++k) {
    gWaterBoundsMin[k] = kBoundsReset;
    gWaterBoundsMax[k] = -kBoundsReset;
  }
  return 0;
}

int32_t WaterworksSetTextureTileFactor(float factor) {
  gWaterSettings.textureTileFactor = factor;
  return 0;
}
int32_t WaterworksSetWaterMode(int32_t mode) {
  gWaterSettings.waterMode = mode;
  return 0;
}
int32_t WaterworksSetWaveHeightMultiplier(float multiplier) {
  gWaterSettings.waveHeightMultiplier = multiplier;
  return 0;
}
int32_t WaterworksSetWaveAngleAdd(int32_t angle) {
  gWaterSettings.waveAngleAdd = angle;
  return 0;
}
int32_t WaterworksSetBasisY(float y) {
  gWaterSettings.basisY = y;
  return 0;
}
int32_t WaterworksSetHeightToSpecularRatio(float ratio) {
  gWaterSettings.heightToSpecularRatio = ratio * gColourMaxAlpha;
  gWaterSettings.flags |= kWaterSpecular;
  return 0;
}
int32_t WaterworksSetMinHeightToSpecularThresh(float threshold) {
  gWaterSettings.minHeightToSpecularThresh = threshold;
  gWaterSettings.flags |= kWaterSpecular;
  return 0;
}
int32_t WaterworksSetHeightToTextureUVRatio(float u, float v) {
  gWaterSettings.heightToTextureUVRatio[0] = u;
  gWaterSettings.heightToTextureUVRatio[1] = v;
  gWaterSettings.flags |= kWaterHeightToUV;
  return 0;
}
int32_t WaterworksSetWaterUVPoint(float u, float v) {
  gWaterSettings.waterUVPoint[0] = u;
  gWaterSettings.waterUVPoint[1] = v;
  gWaterSettings.flags |= kWaterUVPoint;
  return 0;
}
int32_t WaterworksSetWaterUVAddPoint(float u, float v) {
  gWaterSettings.waterUVAddPoint[0] = u;
  gWaterSettings.waterUVAddPoint[1] = v;
  gWaterSettings.flags |= kWaterUVPoint;
  return 0;
}
int32_t WaterworksSetUVCyclicMultiplier(float multiplier) {
  gWaterSettings.uvCyclicMultiplier = multiplier;
  gWaterSettings.flags |= kWaterCyclicUV;
  return 0;
}
int32_t WaterworksSetUVCyclicAngle(int32_t angle) {
  gWaterSettings.uvCyclicAngle = angle;
  gWaterSettings.flags |= kWaterCyclicUV;
  return 0;
}
int32_t WaterworksSetUVCyclicAddAngle(int32_t angle) {
  gWaterSettings.uvCyclicAddAngle = angle;
  gWaterSettings.flags |= kWaterCyclicUV;
  return 0;
}
int32_t WaterworksSetSingularTexUV(float u, float v) {
  gWaterSettings.singularTexUV[0] = u;
  gWaterSettings.singularTexUV[1] = v;
  return 0;
}

int32_t WaterBoundsAddObject(EngineObject* object) {
  if (!object) return kWreErrNull;
  const int32_t result = wre_ObjectUpdate(object, 1, 1);
  if (result == 0) {
    wre_ObjectExtendBounds(object, object->worldPoints, &gWaterBoundsMin[0], &gWaterBoundsMax[0], &gWaterBoundsMin[1],
                           &gWaterBoundsMax[1], &gWaterBoundsMin[2], &gWaterBoundsMax[2]);
  }
  return result;
}

int32_t WaterworksStart(ViewComponents* view, float cells, float cellSize, uint8_t farPlane) {
  if (!view) return kWreErrNull;
  WaterSettings& w = gWaterSettings;
  gWaterScrollUV[0] = 0.0f;
  gWaterScrollUV[1] = 0.0f;
  gWaterTextureIndex = wre_TextureFindByIdent(kWaterTextureIdent);

  int32_t cellCount = kDefaultCells;
  float size = kDefaultCellSize;
  if (cells > 0.0f && cellSize > 0.0f) {
    cellCount = cells < 256.0f ? static_cast<int32_t>(cells) : 256;
    size = cellSize;
  }
  const int32_t made = wre_ObjectNewGrid(cellCount, cellCount, size, 0, gWaterTextureIndex, kObjectStatic,
                                         &gWaterGrid, kObjectPointAttachments, w.textureTileFactor * 255.0f);
  if (made != 0) return made;
  EngineObject* grid = gWaterGrid;
  gColumns = cellCount + 1;
  gRows = cellCount + 1;

  wre_ObjectSetAllPolyKinds(grid, kPolyTexturedSmooth);
  if (w.waterMode != kWaterModeNone) wre_ObjectSetAllPolyFlags(grid, kPolyVirtualTexturePoint);

  FreeArrays();
  w.phases = NewZeroed<int32_t>(grid->pointCount);
  w.uvs = NewZeroed<float>(2 * grid->pointCount);
  if (!w.phases || !w.uvs) return kWreErrNoMemory;

  if (farPlane) {
    const int32_t far = AddFarPlane(grid);
    if (far != 0) return far;
  }
  const int32_t tree = wre_ObjectBuildPolyTree(grid, kPolyTreeDepth);

  // Without a water marker the range is empty: the grid then lies at 0 rather than at infinity.
  float y = 0.0f;
  if (gWaterBoundsMin[1] <= gWaterBoundsMax[1]) {
    y = gWaterBoundsMin[1] + 0.5f * std::fabs(gWaterBoundsMax[1] - gWaterBoundsMin[1]);
  }
  wre_ObjectSetTransform(grid, 0, 0, 0, 0.0f, y, 0.0f);

  wre_ObjectSetCollidable(grid, 1);
  wre_ObjectSetRenderFlags(grid, (grid->renderFlags & ~kRenderNeverDrawn) | kWaterGridRenderFlags);
  wre_ObjectSetAllPolyMaterialIndex(grid, gtheWaterMaterial);
  wre_WorldAddObject(grid, view->world);
  wre_ObjectUpdate(grid, 1, 1);
  wre_ObjectSetCollisionGroup(grid, kWaterGroup);
  wre_ObjectNewVertexWork(grid);

  if (w.waterMode == kWaterModePlanar) {
    w.waveHeightMultiplier = kPlanarHeight;
    w.waveAngleAdd = kPlanarAngleAdd;
    w.planarPhase = 0;
    w.basisY = grid->transform.position[1];
  } else {
    InitialPhases(w.phases);
  }
  BindTexturePoints(grid);

  wre_ObjectSetDrawDistance(grid, kGridDrawDistance);
  if (view->camera && view->camera->context && view->camera->context->kind == kRendererSoftware) {
    wre_ObjectSetAllPolyKinds(grid, kPolyTextured);
  }
  return tree;
}

void WaterworksUpdate(void*) {
  if (gPaused != 0) return;
  EngineObject* grid = gWaterGrid;
  WaterSettings& w = gWaterSettings;
  if (w.flags & kWaterUVPoint) {
    w.waterUVPoint[0] += w.waterUVAddPoint[0];
    w.waterUVPoint[1] += w.waterUVAddPoint[1];
  }
  if (w.flags & kWaterCyclicUV) {
    w.uvCyclicAngle =
        static_cast<int32_t>(static_cast<uint32_t>(w.uvCyclicAngle) + static_cast<uint32_t>(w.uvCyclicAddAngle));
  }
  if (!grid || !w.phases || !w.uvs) return;
  if (WavesMove(w.waterMode)) {
    MovePoints(grid);
  } else if (w.waterMode == kWaterModePlanar) {
    MovePlane(grid);
  }
  CopySeam(grid);
  wre_ObjectCalcPlanes(grid);
  MarkChanged(grid);
}

void WaterScrollProcess() {
  gWaterScrollUV[1] += kScrollStep;
  if (gWaterScrollUV[0] > 1.0f) gWaterScrollUV[0] -= 1.0f;
  if (gWaterScrollUV[1] > 1.0f) gWaterScrollUV[1] -= 1.0f;
}

int32_t WaterworksExit(ViewComponents* view) {
  int32_t result = 0;
  if (gWaterGrid) {
    // A grid that never reached the world (a failed start) is disposed all the same.
    if (gWaterGrid->status & kStatusInWorld) result = wre_WorldRemoveObject(gWaterGrid, view ? view->world : nullptr);
    if (result == 0) {
      result = wre_ObjectDispose(gWaterGrid);
      gWaterGrid = nullptr;
    }
  }
  FreeArrays();
  gColumns = 0;
  gRows = 0;
  return result;
}

int32_t WaterGridColumns() { return gColumns; }
