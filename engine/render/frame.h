// Frame control: the four frame steps on a camera (begin, camera render, flush, end), the culling
// that turns the camera's world into the per-frame visible-object array, the dispatch of each
// visible object to its kind's submission routine and the hand-over of the polygon queues to the
// back end of the camera's drawing context (through its table of operations, engine/render/backend.h).
#pragma once
#include <cstdint>

#include "engine/render/backend.h"

struct Camera;
struct DrawingContext;
struct EngineObject;
struct World;

enum : int32_t {
  kFrameErrNoWorld = -3000,
  kFrameErrWorldType = -90001,
};

// 1 while the camera-attached objects (the sky) are drawn.
extern uint8_t gAttachedPass;

// Installs the world cull binder, so every world made from now on is bound to the culling here.
void wre_FrameControlInstall();

int32_t wre_WorldBindCull(World* world);

int32_t wre_FrameBegin(Camera* camera, uint8_t clear);
int32_t wre_CameraRender(Camera* camera);
int32_t wre_FrameFlush(Camera* camera);
int32_t wre_FrameEnd(Camera* camera);
int32_t wre_CameraDrawQueues(Camera* camera);
int32_t wre_CameraClear(Camera* camera, const float* colour);
void wre_CameraSetDepthTest(Camera* camera, uint8_t on);
int32_t wre_CameraDepthClear(Camera* camera);
// An empty step kept for the frame's order.
int32_t wre_FrameFlushHook(Camera* camera);
int32_t wre_CameraDrawBackdrop(Camera* camera);

int32_t wre_CameraCull(Camera* camera);
int32_t wre_CullGridMeshes(Camera* camera);
// 0 outside; else bit 0, with bit 1 when the sphere crosses a plane.
int32_t wre_CullSphereTest(const EngineObject* object, const Camera* camera);
int32_t wre_CullObjectList(World* world, void* camera);
int32_t wre_CullGridCells(World* world, void* camera);
int32_t wre_CameraDrawVisible(Camera* camera);
int32_t wre_CameraDrawAttached(Camera* camera);
