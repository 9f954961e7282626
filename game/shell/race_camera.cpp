#include "game/shell/race_camera.h"

#include <algorithm>

#include "engine/core/colour_scale.h"
#include "engine/core/transform.h"
#include "engine/render/camera.h"
#include "game/shell/view_components.h"

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
}
