// Cameras: where the eye is, the screen rectangle it fills, how far it sees, how camera-space
// points map to the screen and to depth, the world it shows and the drawing context that draws it.
//
// Camera space: x to the right, y up, z forward.
#pragma once
#include <cstdint>

#include "engine/core/transform.h"
#include "engine/core/wre_types.h"
#include "engine/data/offscreen.h"
#include "platform/plat_d3d.h"

struct World;
struct EngineObject;
struct DrawingContext;
struct ClipVertex;
struct PolygonRecord;
struct Camera;

using ProjectTriangleFn = void (*)(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c);
using ProjectQuadFn = void (*)(Camera* camera, PolygonRecord* polygon, ClipVertex* a, ClipVertex* b, ClipVertex* c,
                               ClipVertex* d);
using ProjectPolygonFn = void (*)(Camera* camera, PolygonRecord* polygon);

// CameraBits.
enum : uint8_t {
  kCameraDepthTest = 0x01,
  kCameraFrameOpen = 0x02,
  kCameraDepthCueOn = 0x04,
  kCameraDepthCueSet = 0x08,
};

// The background material record handed to the 3D device: diffuse colour in 0..1, ramp size.
struct CameraD3DMaterial {
  int32_t size;  // 80
  float diffuse[4];
  int32_t rampSize;
};

struct Camera {
  Transform transform;  // its changed flag marks the world frustum out of date
  Transform inverse;    // negated angles and position, set at every camera render
  float nearClip;
  float farClip;
  float depthRange;
  float invDepthRange;
  float depthScale;
  float depthOffset;
  float projectionScale;
  WreRect viewport;
  WreRect scanLimits;
  float width;
  float height;
  float halfWidth;
  float halfHeight;
  World* world;
  DrawingContext* context;
  float background[4];
  EngineObject* attached;
  CameraD3DMaterial d3dBackground;
  uint32_t d3dBackgroundHandle;
  PlatD3DMaterial* d3dBackgroundMaterial;
  int32_t hasBackdrop;
  Offscreen* backdrop;
  uint32_t depthCueColour[4];
  float depthCueStart;
  float depthCueEnd;
  float depthCueStartNorm;
  float depthCueEndNorm;
  int32_t depthCueMode;
  // Two lists emptied at every flush and freed with the camera; nothing in the engine fills them.
  int32_t frameListFirstSize, frameListFirstCount, frameListSecondSize, frameListSecondCount;
  void* frameListFirstBuffer;
  void* frameListSecondBuffer;
  int32_t fieldOfView;
  Point4 corners[8];
  Point4 planes[6];
  Point4 worldCorners[8];
  Point4 worldPlanes[6];
  float worldBounds[6];
  ProjectTriangleFn projectTriangle;
  ProjectQuadFn projectQuad;
  ProjectPolygonFn projectPolygon;
  uint8_t bits;
};

Camera* wre_CameraNew(const WreRect* viewport, int32_t depth, const Transform* placement, const float background[4],
                      int32_t flags, float nearClip, float farClip, float projectionScale, int32_t fieldOfView,
                      Offscreen* backdrop, uint8_t depthCueOn, const uint32_t depthCueColour[4], float depthCueStart,
                      float depthCueEnd, int32_t depthCueMode, int32_t reserved1, int32_t reserved2, int32_t reserved3,
                      int32_t reserved4, const WreRect* screen);
int32_t wre_CameraDispose(Camera* camera, uint8_t disposeContext);
int32_t wre_CameraSetWorld(Camera* camera, World* world);
// The camera's own transform, reset or set (a null camera is ignored).
void wre_CameraResetTransform(Camera* camera);
void wre_CameraSetTransform(Camera* camera, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y, float z);
// -1010, camera unchanged, unless 0 < near < far (both finite).
int32_t wre_CameraSetClip(Camera* camera, float farClip, float nearClip);
int32_t wre_CameraMarkChanged(Camera* camera);
int32_t wre_CameraSetViewport(Camera* camera, const WreRect* rect);
int32_t wre_CameraSetPlacement(Camera* camera, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y,
                               float z);
int32_t wre_CameraSetBackground(Camera* camera, const float rgba[4]);
int32_t wre_CameraSetBackgroundRGBA(Camera* camera, float r, float g, float b, float a);
int32_t wre_CameraMakeD3DBackground(Camera* camera);
int32_t wre_CameraSetProjectionScale(Camera* camera, float scale);
// Stores value & 0xfff; -1010, camera unchanged, when that is 0.
int32_t wre_CameraSetFieldOfView(Camera* camera, int32_t value);
int32_t wre_CameraCalcFrustum(Camera* camera);
int32_t wre_CameraCalcFrustumCorners(Camera* camera, Point4* corners, float nearClip, float farClip);
int32_t wre_CameraCalcPlanes(Camera* camera);
int32_t wre_CameraCalcWorldPlanes(Camera* camera);
int32_t wre_CameraCalcWorldBounds(Camera* camera);
int32_t wre_CameraUpdateWorldFrustum(Camera* camera);
int32_t wre_CameraUpdateFrustum(Camera* camera);
int32_t wre_CameraSetBackdrop(Camera* camera, uint8_t on, Offscreen* offscreen);
int32_t wre_CameraSetDepthCue(Camera* camera, const uint32_t colour[4], float start, float end, int32_t mode);
int32_t wre_CameraSetDepthCueRange(Camera* camera, float start, float end);
EngineObject* wre_CameraAddObject(Camera* camera, EngineObject* object);
EngineObject* wre_CameraRemoveObject(Camera* camera, EngineObject* object);
// Empty (reset) and free the two frame lists (A: frameListFirst, B: frameListSecond).
void wre_CameraResetListA(Camera* camera);
void wre_CameraResetListB(Camera* camera);
void wre_CameraFreeListA(Camera* camera);
void wre_CameraFreeListB(Camera* camera);
