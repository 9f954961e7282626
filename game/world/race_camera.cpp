#include "game/world/race_camera.h"

#include <algorithm>

#include "engine/core/collide.h"
#include "engine/core/colour_scale.h"
#include "engine/core/maths.h"
#include "engine/core/transform.h"
#include "engine/render/camera.h"
#include "game/state/view_components.h"
#include "game/world/game_object.h"
#include "game/world/level_bounds.h"
#include "game/world/level_load.h"
#include "game/world/watercraft.h"

namespace {

constexpr int32_t kScreenWidth = 640;
constexpr int32_t kScreenHeight = 480;
constexpr int32_t kCameraDepth = 16;
constexpr float kNearClip = 500.0f;
constexpr float kFarClip = 554400.0f;
constexpr int32_t kFieldOfView = 1024;
constexpr float kDepthCueStart = 388080.0f;
constexpr float kDepthCueEnd = 548856.0f;
constexpr int32_t kViewModes = 3;

// The chase view: behind and above the craft, looking at a point far ahead at the craft's height.
constexpr float kChaseBehind = -2900.0f;
constexpr float kChaseAbove = 500.0f;
constexpr float kChaseLookAhead = 15500.0f;
constexpr float kPitchSmoothing = 0.04f;
constexpr float kYawSmoothing = 0.7f;
constexpr float kOrbitSmoothing = 0.15f;
constexpr float kHeightSmoothing = 0.2f;
constexpr float kPullInRadius = 1000.0f;
constexpr uint32_t kPullInGroups = kGroupWater | kGroupSolid;
constexpr uint32_t kPullInFlags = kCollidePolygons;
constexpr uint32_t kGroundGroups = kGroupWater;
constexpr uint32_t kGroundFlags = kCollideTiledMeshes | kCollideNoObjects | kCollidePolygons;
constexpr float kBelowLevel = 20000.0f;
constexpr float kGroundClearance = 500.0f;
constexpr float kOnBoardAbove = 350.0f;
constexpr float kOnBoardAhead = 50.0f;
constexpr float kOverheadAbove = 2000.0f;

int32_t Trunc(float value) { return static_cast<int32_t>(value); }

// angle + factor x the wrapped difference toward target.
int32_t Smoothed(int32_t angle, int32_t target, float factor) {
  return Trunc(static_cast<float>(angle) + factor * static_cast<float>(wre_AngleDelta(angle, target)));
}

void SetCamera(Camera* camera, const Transform& t) {
  wre_CameraSetTransform(camera, t.angleX, t.angleY, t.angleZ, t.position[0], t.position[1], t.position[2]);
}

// Stays where the view was entered and turns to follow the craft.
void PlaceOverhead(Camera* camera, const Transform& craft, bool snap) {
  if (snap) {
    Transform above = craft;
    above.position[1] += kOverheadAbove;
    SetCamera(camera, above);
  }
  Transform& t = camera->transform;
  wre_TransformPointAt(&t, craft.position[0], craft.position[1], craft.position[2]);
  SetCamera(camera, t);
}

void PlaceOnBoard(Camera* camera, const Transform& craft) {
  Transform eye{};
  wre_TransformPlaceRelative(&eye, &craft, 0.0f, kOnBoardAbove, kOnBoardAhead);
  SetCamera(camera, eye);
}

void PlaceChase(ViewComponents* view, const Transform& craft, bool snap) {
  const Transform& camera = view->camera->transform;
  const float* c = craft.position;
  Transform desired = craft;
  wre_TransformMoveLocal(&desired, 0.0f, 0.0f, kChaseBehind);
  wre_TransformSet(&desired, desired.angleX, desired.angleY, 0, desired.position[0],
                   desired.position[1] + kChaseAbove, desired.position[2]);
  Transform look = craft;
  wre_TransformMoveLocal(&look, 0.0f, 0.0f, kChaseLookAhead);
  wre_TransformPointAt(&desired, look.position[0], c[1], look.position[2]);
  const int32_t pitch = Smoothed(camera.angleX, desired.angleX, kPitchSmoothing);
  const int32_t yaw = Smoothed(camera.angleY, desired.angleY, kYawSmoothing);

  // The eye orbits toward the craft's heading.
  if (snap) {
    gCameraYaw = craft.angleY;
  } else {
    gCameraYaw = Trunc(static_cast<float>(gCameraYaw) -
                       kOrbitSmoothing * static_cast<float>(wre_AngleDelta(craft.angleY, gCameraYaw)));
  }
  Point4 offset{0.0f, kChaseAbove, kChaseBehind, 0.0f};
  wre_PointsRotate(0, gCameraYaw, 0, 1, &offset, &offset);
  float eyeY = c[1] + offset.y;
  if (!snap) eyeY = camera.position[1] + kHeightSmoothing * (c[1] + offset.y - camera.position[1]);
  Transform placed{};
  wre_TransformSet(&placed, pitch, yaw, 0, c[0] + offset.x, eyeY, c[2] + offset.z);

  // Scenery between the craft and the eye pulls the eye in.
  CollisionResult hit{};
  if (wre_CollideSphereMove(&craft, &placed, kPullInRadius, view->world, kPullInGroups, kPullInFlags, &hit, 1)) {
    for (int i = 0; i < 3; ++i) placed.position[i] = hit.hit[i];
  }
  if (!snap) {
    Transform from = placed;
    Transform to = placed;
    from.position[1] = gLevelBoundsMaxY;
    to.position[1] = gLevelBoundsMinY - kBelowLevel;
    if (wre_CollideSphereMove(&from, &to, 1.0f, view->world, kGroundGroups, kGroundFlags, &hit, 1) &&
        placed.position[1] - kGroundClearance < hit.contact[1]) {
      placed.position[1] = hit.contact[1] + kGroundClearance;
    }
  }
  SetCamera(view->camera, placed);
}

}  // namespace

Camera* GameCameraCreate(int16_t left, int16_t top, int16_t right, int16_t bottom,
                         float projectionScale, int32_t flags) {
  const int32_t width = right - left;
  const int32_t height = bottom - top;
  const WreRect viewport{kScreenWidth / 2 - width / 2, kScreenHeight / 2 - height / 2,
                         kScreenWidth / 2 - width / 2 + width,
                         kScreenHeight / 2 - height / 2 + height};
  const WreRect screen{0, 0, kScreenWidth, kScreenHeight};
  Transform origin{};
  wre_TransformSet(&origin, 0, 0, 0, 0.0f, 0.0f, 0.0f);
  const float black[4] = {0.0f, 0.0f, 0.0f, std::clamp(gColourMax, 0.0f, gColourMaxAlpha)};
  const uint32_t cueColour[4] = {0, 0, 0, 0};
  return wre_CameraNew(&viewport, kCameraDepth, &origin, black, flags, kNearClip, kFarClip,
                       projectionScale, kFieldOfView, nullptr, 1, cueColour, kDepthCueStart,
                       kDepthCueEnd, 0, 0, 0, 0, 0, &screen);
}

void GameCameraFree(Camera* camera) {
  if (camera) wre_CameraDispose(camera, 1);
}

void RaceCameraCycleView(ViewComponents* view) {
  if (!view) return;
  view->viewMode = (view->viewMode + 1) % kViewModes;
  if (view->viewMode < 0) view->viewMode = kViewChase;
  gCameraYaw = 0;
  RaceCameraPlace(view, true);
}

void RaceCameraPlace(ViewComponents* view, bool snap) {
  if (!view || !view->camera || !view->player || !view->player->craft) return;
  const EngineObject* body = view->player->craft->craftObject;
  if (!body) return;
  switch (view->viewMode) {
    case kViewChase: PlaceChase(view, body->transform, snap); break;
    case kViewOnBoard: PlaceOnBoard(view->camera, body->transform); break;
    case kViewOverhead: PlaceOverhead(view->camera, body->transform, snap); break;
    default: return;
  }
  wre_CameraMarkChanged(view->camera);
  RaceCameraPositionCopy(view);
}

void RaceCameraPositionCopy(ViewComponents* view) {
  if (!view || !view->camera) return;
  const float* at = view->camera->transform.position;
  view->cameraPosition.x = at[0];
  view->cameraPosition.y = at[1];
  view->cameraPosition.z = at[2];
}
