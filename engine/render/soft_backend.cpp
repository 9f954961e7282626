// The software steps in frame control's back-end table (renderer kind 100).
#include "engine/render/frame.h"
#include "engine/render/soft_render.h"

namespace {

int32_t Begin(Camera* camera, uint8_t clear) { return wre_SoftFrameBegin(camera, clear); }
int32_t Draw(Camera* camera) {
  wre_SoftFrameRender(camera);
  return 0;
}
int32_t Present(Camera* camera) { return wre_SoftFramePresent(camera); }
int32_t Clear(DrawingContext* context, const float* colour) { return wre_SoftFrameClear(context, colour); }
int32_t Sort(Camera* camera) {
  wre_SoftPolyListSort(camera);
  return 0;
}

}  // namespace

void wre_SoftBackendInstall() {
  wre_SoftBufferFree();
  gSoftOverflow = 0;
  gSoftBufferEstimate = kSoftInitialEstimate;
  wre_SoftFrameDiscard();
  RenderBackend backend{};
  backend.frameBegin = Begin;
  backend.polygonsDraw = Draw;
  backend.framePresent = Present;
  backend.frameClear = Clear;
  backend.polyListSort = Sort;
  wre_RenderBackendInstall(kRendererSoftware, &backend);
}
