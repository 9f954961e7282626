#include "engine/render/frame.h"

#include <cmath>

#include "engine/core/detail.h"
#include "engine/core/object.h"
#include "engine/core/world.h"
#include "engine/data/material.h"
#include "engine/render/camera.h"
#include "engine/render/clip.h"
#include "engine/render/context.h"
#include "engine/render/polygon.h"
#include "engine/render/pools.h"
#include "engine/render/submit.h"

uint8_t gAttachedPass = 0;

namespace {

const RenderBackend* BackendOf(const Camera* camera) { return wre_RenderBackendOf(wre_CameraRendererKind(camera)); }

// A step the back end may lack: 0 without it.
template <typename... Args>
int32_t Run(int32_t (*step)(Camera*, Args...), Camera* camera, Args... args) {
  return step ? step(camera, args...) : 0;
}

void ResetQueues() {
  gVisibleObjects.count = 0;
  wre_PolyQueuesReset();
}

void AppendVisible(EngineObject* object) {
  if (gVisibleObjects.entries && gVisibleObjects.count < gVisibleObjects.capacity - 1) {
    gVisibleObjects.entries[gVisibleObjects.count++] = object;
  }
}

void SetCullByte(EngineObject* object, int32_t value) {
  object->cull = (object->cull & ~0xFFu) | (static_cast<uint32_t>(value) & 0xFFu);
}

bool Drawable(const EngineObject* object) {
  return (object->status & kStatusActive) && !(object->renderFlags & kRenderNeverDrawn);
}

int32_t ClampCell(float value, int32_t count) {
  // Clamped as a float, so huge or odd values never reach the integer conversion.
  if (!(value > 0.0f)) return 0;
  if (value >= static_cast<float>(count)) return count - 1;
  const auto cell = static_cast<int32_t>(value);
  return cell >= count ? count - 1 : cell;
}

bool Overlaps(const float* object, const float* frustum) {
  // x, then z, then y: object min <= frustum max and frustum min <= object max.
  static constexpr int kAxes[3] = {0, 2, 1};
  for (int axis : kAxes) {
    if (!(object[2 * axis] <= frustum[2 * axis + 1] && frustum[2 * axis] <= object[2 * axis + 1])) return false;
  }
  return true;
}

int32_t CullGridCellsFor(World* world, Camera* camera) {
  if (!world->cells || world->cellsX < 1 || world->cellsZ < 1) return 0;
  const float r = world->largestRadius;
  const float g = world->cellReciprocal;
  const float* b = camera->worldBounds;
  const float ox = world->gridOrigin.x, oz = world->gridOrigin.z;
  const int32_t x0 = ClampCell(std::trunc((b[0] - r - ox) * g), world->cellsX);
  const int32_t x1 = ClampCell(std::trunc((b[1] + r - ox) * g), world->cellsX);
  const int32_t z0 = ClampCell(std::trunc((b[4] - r - oz) * g), world->cellsZ);
  const int32_t z1 = ClampCell(std::trunc((b[5] + r - oz) * g), world->cellsZ);
  for (int32_t z = z0; z <= z1; ++z) {
    for (int32_t x = x0; x <= x1; ++x) {
      for (EngineObject* object = world->cells[x + z * world->cellsX]; object; object = object->cellNext) {
        if (!Drawable(object)) continue;
        if (object->transform.changed) {
          wre_ObjectCalcWorldBox(object);
          wre_ObjectCalcWorldBounds(object);
        }
        if (!Overlaps(object->worldBounds, b)) continue;
        const int32_t r2 = wre_CullSphereTest(object, camera);
        if (r2 != 0) {
          AppendVisible(object);
          SetCullByte(object, r2);
        }
      }
    }
  }
  return 0;
}

int32_t Bound(World* world) { return wre_WorldBindCull(world); }

}  // namespace

void wre_FrameControlInstall() { wre_WorldSetCullBinder(Bound); }

int32_t wre_WorldBindCull(World* world) {
  if (!world) return kWreErrNull;
  if (world->type == kWorldObjectList) {
    world->cullCallback = wre_CullObjectList;
  } else if (world->type == kWorldCellGrid) {
    world->cullCallback = wre_CullGridCells;
  } else {
    return kFrameErrWorldType;
  }
  return 0;
}

int32_t wre_FrameBegin(Camera* camera, uint8_t clear) {
  if (!camera) return kWreErrNull;
  if (camera->bits & kCameraFrameOpen) return -1;
  camera->bits |= kCameraFrameOpen;
  if (!camera->world) return kFrameErrNoWorld;
  ResetQueues();
  const RenderBackend* backend = BackendOf(camera);
  if (!backend) return -1;
  if (Run(backend->beginScene, camera) != 0) return -1;
  if (Run(backend->beginFrame, camera, clear) != 0) return -1;
  if (gLightingDirty) return wre_MaterialUpdateLitColours(camera->world);
  return 0;
}

int32_t wre_CameraRender(Camera* camera) {
  if (!camera) return kWreErrNull;
  if (!(camera->bits & kCameraFrameOpen)) return -1;
  if (camera->transform.changed) wre_CameraUpdateFrustum(camera);
  const Transform& t = camera->transform;
  camera->inverse.angleX = -t.angleX;
  camera->inverse.angleY = -t.angleY;
  camera->inverse.angleZ = -t.angleZ;
  for (int k = 0; k < 3; ++k) camera->inverse.position[k] = -t.position[k];
  if (camera->hasBackdrop) wre_CameraDrawBackdrop(camera);
  if (camera->attached) wre_CameraDrawAttached(camera);
  wre_CameraCull(camera);
  return wre_CameraDrawVisible(camera);
}

int32_t wre_FrameFlush(Camera* camera) {
  if (!camera) return kWreErrNull;
  if (!(camera->bits & kCameraFrameOpen)) return -1;
  const int32_t result = wre_CameraDrawQueues(camera);
  if (result != 0) return result;
  wre_FrameFlushHook(camera);
  const RenderBackend* backend = BackendOf(camera);
  if (!backend || !backend->queuesKeptToFrameEnd) ResetQueues();
  wre_CameraResetListA(camera);
  wre_CameraResetListB(camera);
  return 0;
}

int32_t wre_FrameEnd(Camera* camera) {
  if (!camera) return kWreErrNull;
  if (!(camera->bits & kCameraFrameOpen)) return -1;
  camera->bits &= static_cast<uint8_t>(~kCameraFrameOpen);
  const RenderBackend* backend = BackendOf(camera);
  if (!backend) return -1;
  if (Run(backend->endScene, camera) != 0) return -1;
  return Run(backend->endFrame, camera) == 0 ? 0 : -1;
}

int32_t wre_CameraDrawQueues(Camera* camera) {
  if (!camera) return kWreErrNull;
  const RenderBackend* backend = BackendOf(camera);
  if (!backend) return -1;
  return Run(backend->drawQueues, camera);
}

int32_t wre_CameraClear(Camera* camera, const float* colour) {
  if (!camera || !camera->context || !camera->context->valid) return -1;
  const bool opened = !(camera->bits & kCameraFrameOpen);
  if (opened) wre_FrameBegin(camera, 1);
  const RenderBackend* backend = wre_RenderBackendOf(camera->context->kind);
  if (colour && backend && backend->clearFrame) backend->clearFrame(camera->context, colour);
  if (opened) wre_FrameEnd(camera);
  return 0;
}

void wre_CameraSetDepthTest(Camera* camera, uint8_t on) {
  if (!camera) return;
  if (on) {
    camera->bits |= kCameraDepthTest;
  } else {
    camera->bits &= static_cast<uint8_t>(~kCameraDepthTest);
  }
  const RenderBackend* backend = BackendOf(camera);
  if (backend && backend->setDepthTest) backend->setDepthTest(camera, on);
}

int32_t wre_CameraDepthClear(Camera* camera) {
  if (!camera) return kWreErrNull;
  const RenderBackend* backend = BackendOf(camera);
  return backend ? Run(backend->clearDepth, camera) : 0;
}

int32_t wre_FrameFlushHook(Camera*) { return 0; }

int32_t wre_CameraDrawBackdrop(Camera*) { return 0; }

int32_t wre_CameraCull(Camera* camera) {
  if (!camera || !camera->world) return kWreErrNull;
  wre_CullGridMeshes(camera);
  World* world = camera->world;
  if (world->cullCallback) return world->cullCallback(world, camera);
  return 0;
}

int32_t wre_CullGridMeshes(Camera* camera) {
  if (!camera || !camera->world) return kWreErrNull;
  const World* world = camera->world;
  const float r = world->largestRadius;
  const float* b = camera->worldBounds;
  for (EngineObject* object = world->gridMeshes; object; object = object->next) {
    if (!Drawable(object) || object->kind != kObjectStatic) continue;
    if (object->worldBounds[3] >= b[2] - r && object->worldBounds[2] <= b[3] + r) AppendVisible(object);
  }
  return 0;
}

int32_t wre_CullSphereTest(const EngineObject* object, const Camera* camera) {
  const float* c = object->transform.position;
  const float r = object->radius;
  int32_t crossing = 0;
  for (const Point4& plane : camera->worldPlanes) {
    const float d = plane.x * c[0] + plane.y * c[1] + plane.z * c[2] + plane.w;
    if (d < -r) return 0;
    if (d < r) crossing = 2;
  }
  return 1 | crossing;
}

int32_t wre_CullObjectList(World* world, void* cameraWord) {
  auto* camera = static_cast<Camera*>(cameraWord);
  if (!world || !camera) return kWreErrNull;
  for (EngineObject* object = world->objects; object; object = object->next) {
    if (object->transform.changed) wre_ObjectUpdate(object, 1, 1);
    if (!Drawable(object)) continue;
    const int32_t r = wre_CullSphereTest(object, camera);
    if (r != 0) {
      AppendVisible(object);
      SetCullByte(object, r);
    }
  }
  return 0;
}

int32_t wre_CullGridCells(World* world, void* cameraWord) {
  auto* camera = static_cast<Camera*>(cameraWord);
  if (!world || !camera) return kWreErrNull;
  return CullGridCellsFor(world, camera);
}

int32_t wre_CameraDrawVisible(Camera* camera) {
  if (!camera) return kWreErrNull;
  int32_t result = 0;
  for (int32_t i = 0; i < gVisibleObjects.count; ++i) {
    EngineObject* object = gVisibleObjects.entries[i];
    if (object->transform.changed) wre_ObjectUpdate(object, 1, 1);
    switch (object->kind) {
      case kObjectMesh: result = wre_MeshDraw(object, camera, gAttachedPass); break;
      case kObjectParticles: result = wre_ParticlesDraw(object, camera); break;
      case kObjectSprite: result = wre_SpriteDraw(object, camera); break;
      case kObjectStatic: result = wre_GridMeshDraw(object, camera); break;
      default: break;
    }
  }
  return result;
}

int32_t wre_CameraDrawAttached(Camera* camera) {
  if (!camera) return kWreErrNull;
  gAttachedPass = 1;
  const float* eye = camera->transform.position;
  for (EngineObject* object = camera->attached; object; object = object->next) {
    const Transform saved = object->transform;
    for (int k = 0; k < 3; ++k) object->transform.position[k] += eye[k];
    object->transform.changed = 1;
    if (object->detailGroup) {
      for (EngineObject* child = object->detailGroup->members; child; child = child->next) child->transform.changed = 1;
    }
    wre_ObjectUpdate(object, 1, 1);
    AppendVisible(object);
    object->transform = saved;
  }
  wre_CameraDrawVisible(camera);
  const RenderBackend* backend = BackendOf(camera);
  if (backend && backend->queuesKeptToFrameEnd) {
    // The pass becomes a depth layer of its own, drawn with the rest at the frame's end.
    Run(backend->clearDepth, camera);
  } else {
    wre_CameraSetDepthTest(camera, 0);
    wre_CameraDrawQueues(camera);
    wre_CameraSetDepthTest(camera, 1);
  }
  ResetQueues();
  gAttachedPass = 0;
  return 0;
}
