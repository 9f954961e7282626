#include "engine/render/camera.h"

#include <cmath>
#include <cstring>

#include "engine/core/colour_scale.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/render/clip.h"
#include "engine/render/context.h"
#include "engine/render/frame.h"

namespace {

// Corners each plane is built from: far, near, top, bottom, right, left.
constexpr int kCameraPlaneCorners[6][3] = {{4, 5, 6}, {2, 1, 0}, {0, 4, 7}, {1, 2, 6}, {1, 5, 4}, {3, 7, 6}};
constexpr int kWorldPlaneCorners[6][3] = {{4, 5, 6}, {2, 1, 0}, {0, 4, 7}, {1, 2, 6}, {1, 5, 4}, {2, 3, 7}};

void Planes(const Point4* corners, const int (&use)[6][3], Point4* planes) {
  for (int p = 0; p < 6; ++p) {
    wre_PlaneFromPoints(&corners[use[p][0]], &corners[use[p][1]], &corners[use[p][2]], &planes[p]);
  }
}

}  // namespace

Camera* wre_CameraNew(const WreRect* viewport, int32_t depth, const Transform* placement, const float background[4],
                      int32_t flags, float nearClip, float farClip, float projectionScale, int32_t fieldOfView,
                      Offscreen* backdrop, uint8_t depthCueOn, const uint32_t depthCueColour[4], float depthCueStart,
                      float depthCueEnd, int32_t depthCueMode, int32_t, int32_t, int32_t, int32_t,
                      const WreRect* screen) {
  if (!screen) return nullptr;
  auto* camera = static_cast<Camera*>(wre_MemoryNew(sizeof(Camera)));
  if (!camera) return nullptr;
  std::memset(camera, 0, sizeof(*camera));
  wre_TransformReset(&camera->transform);
  if (viewport) wre_CameraSetViewport(camera, viewport);
  if (placement) {
    wre_CameraSetPlacement(camera, placement->angleX, placement->angleY, placement->angleZ, placement->position[0],
                           placement->position[1], placement->position[2]);
  }
  if (background) wre_CameraSetBackground(camera, background);
  if (depthCueOn && depthCueColour) wre_CameraSetDepthCue(camera, depthCueColour, depthCueStart, depthCueEnd, depthCueMode);
  camera->context = wre_ContextNew(viewport, flags, camera, depth, screen);
  if (!camera->context) {
    wre_MemoryDispose(camera);
    return nullptr;
  }
  if (wre_CameraSetClip(camera, farClip, nearClip) != 0 || wre_CameraSetFieldOfView(camera, fieldOfView) != 0) {
    wre_ContextDispose(camera->context);
    wre_MemoryDispose(camera);
    return nullptr;
  }
  if (depthCueOn) wre_CameraSetDepthCueRange(camera, depthCueStart, depthCueEnd);
  wre_CameraSetProjectionScale(camera, projectionScale);
  wre_CameraCalcFrustum(camera);
  wre_CameraUpdateWorldFrustum(camera);
  wre_CameraCalcPlanes(camera);
  if (backdrop) wre_CameraSetBackdrop(camera, 1, backdrop);
  if (flags & 3) camera->bits |= kCameraDepthTest;
  wre_CameraBindProjection(camera);
  return camera;
}

int32_t wre_CameraDispose(Camera* camera, uint8_t disposeContext) {
  if (!camera) return -1;
  if (camera->d3dBackgroundHandle != 0 || camera->d3dBackgroundMaterial) {
    plat_D3DMaterialRelease(camera->d3dBackgroundMaterial);
    camera->d3dBackgroundMaterial = nullptr;
    camera->d3dBackgroundHandle = 0;
  }
  if (disposeContext && camera->context) {
    wre_ContextDispose(camera->context);
    camera->context = nullptr;
  }
  wre_CameraSetBackdrop(camera, 0, nullptr);
  wre_CameraFreeListA(camera);
  wre_CameraFreeListB(camera);
  wre_MemoryDispose(camera);
  return 0;
}

void wre_CameraResetTransform(Camera* camera) {
  if (camera) wre_TransformReset(&camera->transform);
}

void wre_CameraSetTransform(Camera* camera, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y, float z) {
  if (camera) wre_TransformSet(&camera->transform, angleX, angleY, angleZ, x, y, z);
}

int32_t wre_CameraSetWorld(Camera* camera, World* world) {
  if (!camera || !world) return -1;
  camera->world = world;
  return 0;
}

int32_t wre_CameraSetClip(Camera* camera, float farClip, float nearClip) {
  if (!camera) return -1;
  // A clip that would make the frustum or the depth factors infinite is refused.
  if (!std::isfinite(farClip) || !std::isfinite(nearClip) || !(nearClip > 0.0f) || !(farClip > nearClip)) {
    return kWreErrRange;
  }
  camera->farClip = farClip;
  camera->nearClip = nearClip;
  camera->depthRange = farClip - nearClip;
  camera->invDepthRange = 1.0f / camera->depthRange;
  camera->depthScale = farClip / camera->depthRange;
  camera->depthOffset = -farClip * nearClip / camera->depthRange;
  wre_CameraCalcFrustum(camera);
  wre_CameraUpdateWorldFrustum(camera);
  wre_CameraCalcPlanes(camera);
  wre_CameraMarkChanged(camera);
  return 0;
}

int32_t wre_CameraMarkChanged(Camera* camera) {
  if (!camera) return -1;
  camera->transform.changed = 1;
  return 0;
}

int32_t wre_CameraSetViewport(Camera* camera, const WreRect* rect) {
  if (!camera || !rect) return -1;
  camera->viewport = *rect;
  camera->width = static_cast<float>(rect->right - rect->left);
  camera->height = static_cast<float>(rect->bottom - rect->top);
  camera->halfWidth = camera->width * 0.5f;
  camera->halfHeight = camera->height * 0.5f;
  return 0;
}

int32_t wre_CameraSetPlacement(Camera* camera, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y,
                               float z) {
  if (!camera) return -1;
  wre_TransformReset(&camera->transform);
  return wre_TransformSet(&camera->transform, angleX, angleY, angleZ, x, y, z);
}

int32_t wre_CameraSetBackground(Camera* camera, const float rgba[4]) {
  if (!camera || !rgba) return -1;
  return wre_CameraSetBackgroundRGBA(camera, rgba[0], rgba[1], rgba[2], rgba[3]);
}

int32_t wre_CameraSetBackgroundRGBA(Camera* camera, float r, float g, float b, float a) {
  if (!camera) return -1;
  camera->background[0] = r;
  camera->background[1] = g;
  camera->background[2] = b;
  camera->background[3] = a;
  if (camera->context && camera->context->kind == kRendererDirect3D) return wre_CameraMakeD3DBackground(camera);
  return 0;
}

int32_t wre_CameraMakeD3DBackground(Camera* camera) {
  if (!camera || !camera->context) return -1;
  PlatD3DMaterial* material = plat_D3DCreateMaterial(camera->context->d3d);
  if (!material) return -1;
  // A material made before replaces none: the old one is given back first.
  plat_D3DMaterialRelease(camera->d3dBackgroundMaterial);
  camera->d3dBackgroundMaterial = material;
  CameraD3DMaterial& record = camera->d3dBackground;
  std::memset(&record, 0, sizeof(record));
  record.size = 80;
  for (int k = 0; k < 4; ++k) record.diffuse[k] = camera->background[k] / gColourMax;
  record.rampSize = 16;
  int32_t result = plat_D3DMaterialSet(material, record.diffuse, record.rampSize);
  if (result != 0) return result;
  return plat_D3DMaterialGetHandle(material, camera->context->device, &camera->d3dBackgroundHandle);
}

int32_t wre_CameraSetProjectionScale(Camera* camera, float scale) {
  if (!camera) return -1;
  camera->projectionScale = scale;
  return 0;
}

int32_t wre_CameraSetFieldOfView(Camera* camera, int32_t value) {
  if (!camera) return -1;
  if ((value & 0xfff) == 0) return kWreErrRange;  // the frustum corners would be infinite
  camera->fieldOfView = value & 0xfff;
  return 0;
}

int32_t wre_CameraCalcFrustum(Camera* camera) {
  if (!camera) return -1;
  return wre_CameraCalcFrustumCorners(camera, camera->corners, camera->nearClip, camera->farClip);
}

int32_t wre_CameraCalcFrustumCorners(Camera* camera, Point4* corners, float nearClip, float farClip) {
  if (!camera || !corners) return -1;
  float k = 1.0f / (static_cast<float>(camera->fieldOfView) * 0.5f);
  float hw = camera->halfWidth * k;
  float hh = camera->halfHeight * k;
  const float depths[2] = {nearClip, farClip};
  for (int layer = 0; layer < 2; ++layer) {
    float d = depths[layer];
    Point4* c = corners + layer * 4;
    c[0] = Point4{d * hw, d * hh, d, 0.0f};
    c[1] = Point4{d * hw, -d * hh, d, 0.0f};
    c[2] = Point4{-d * hw, -d * hh, d, 0.0f};
    c[3] = Point4{-d * hw, d * hh, d, 0.0f};
  }
  camera->scanLimits = WreRect{0, 0, static_cast<int32_t>(camera->width), static_cast<int32_t>(camera->height)};
  return 0;
}

int32_t wre_CameraCalcPlanes(Camera* camera) {
  if (!camera) return -1;
  Planes(camera->corners, kCameraPlaneCorners, camera->planes);
  return 0;
}

int32_t wre_CameraCalcWorldPlanes(Camera* camera) {
  if (!camera) return -1;
  Planes(camera->worldCorners, kWorldPlaneCorners, camera->worldPlanes);
  return 0;
}

int32_t wre_CameraCalcWorldBounds(Camera* camera) {
  if (!camera) return -1;
  wre_BoundsEmpty(camera->worldBounds);
  for (const Point4& c : camera->worldCorners) wre_BoundsGrow(camera->worldBounds, c);
  return 0;
}

int32_t wre_CameraUpdateWorldFrustum(Camera* camera) {
  if (!camera) return -1;
  const Transform& t = camera->transform;
  wre_PointsRotate(t.angleX, t.angleY, t.angleZ, 8, camera->corners, camera->worldCorners);
  wre_PointsTranslate(t.position[0], t.position[1], t.position[2], 8, camera->worldCorners, camera->worldCorners);
  wre_CameraCalcWorldPlanes(camera);
  wre_CameraCalcWorldBounds(camera);
  return 0;
}

int32_t wre_CameraUpdateFrustum(Camera* camera) {
  if (!camera) return -1;
  wre_CameraUpdateWorldFrustum(camera);
  camera->transform.changed = 0;
  return 0;
}

int32_t wre_CameraSetBackdrop(Camera* camera, uint8_t on, Offscreen* offscreen) {
  if (!camera) return -1;
  if (on) {
    if (camera->backdrop && camera->backdrop != offscreen) wre_OffscreenDispose(camera->backdrop);
    camera->hasBackdrop = 1;
    camera->backdrop = offscreen;
    wre_OffscreenBackgroundBegin(camera, offscreen);
  } else if (camera->hasBackdrop) {
    wre_OffscreenBackgroundEnd();
    wre_OffscreenDispose(camera->backdrop);
    camera->hasBackdrop = 0;
    camera->backdrop = nullptr;
  }
  return 0;
}

int32_t wre_CameraSetDepthCue(Camera* camera, const uint32_t colour[4], float start, float end, int32_t mode) {
  if (!camera || !colour) return -1;
  camera->bits |= kCameraDepthCueOn;
  std::memcpy(camera->depthCueColour, colour, sizeof(camera->depthCueColour));
  wre_CameraSetDepthCueRange(camera, start, end);
  camera->depthCueMode = mode;
  camera->bits |= kCameraDepthCueSet;
  return 0;
}

int32_t wre_CameraSetDepthCueRange(Camera* camera, float start, float end) {
  if (!camera) return -1;
  camera->depthCueStart = start;
  camera->depthCueEnd = end;
  camera->depthCueStartNorm = (start - camera->nearClip) * camera->invDepthRange;
  camera->depthCueEndNorm = (end - camera->nearClip) * camera->invDepthRange;
  return 0;
}

EngineObject* wre_CameraAddObject(Camera* camera, EngineObject* object) {
  if (!camera || !object) return nullptr;
  // The attached list uses the object's list links: an object in a world or a detail group, or
  // already attached, keeps its links and is not attached.
  if ((object->status & (kStatusInWorld | kStatusInGroup)) || object->camera) return nullptr;
  EngineObject* oldHead = camera->attached;
  object->prev = nullptr;
  object->next = oldHead;
  if (oldHead) oldHead->prev = object;
  camera->attached = object;
  object->camera = camera;
  return oldHead;
}

EngineObject* wre_CameraRemoveObject(Camera* camera, EngineObject* object) {
  if (!camera || !object) return nullptr;
  EngineObject* found = camera->attached;
  while (found && found != object) found = found->next;
  if (!found) return nullptr;
  if (object->prev) object->prev->next = object->next;
  if (object->next) object->next->prev = object->prev;
  if (camera->attached == object) camera->attached = object->next;
  object->prev = nullptr;
  object->next = nullptr;
  object->camera = nullptr;
  return object;
}

void wre_CameraResetListA(Camera* camera) {
  if (camera) camera->frameListFirstCount = 0;
}

void wre_CameraResetListB(Camera* camera) {
  if (camera) camera->frameListSecondCount = 0;
}

void wre_CameraFreeListA(Camera* camera) {
  if (!camera || !camera->frameListFirstBuffer) return;
  wre_MemoryDispose(camera->frameListFirstBuffer);
  camera->frameListFirstBuffer = nullptr;
  camera->frameListFirstSize = camera->frameListFirstCount = 0;
}

void wre_CameraFreeListB(Camera* camera) {
  if (!camera || !camera->frameListSecondBuffer) return;
  wre_MemoryDispose(camera->frameListSecondBuffer);
  camera->frameListSecondBuffer = nullptr;
  camera->frameListSecondSize = camera->frameListSecondCount = 0;
}
