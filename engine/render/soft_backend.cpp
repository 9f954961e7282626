// The software kind's table of operations (renderer kind 100).
#include "engine/data/texture.h"
#include "engine/render/backend.h"
#include "engine/render/soft_render.h"

namespace {

// The texture table's software texels as the back end reads them. The description is valid until
// the next look-up, which is all the set-up needs (it looks up again when the texture changes).
const SoftTexture* TextureTableLookup(int32_t handle) {
  static SoftTexture description;
  const Texture* texture = wre_TextureGet(handle);
  if (!texture || !texture->pixels) return nullptr;
  description = SoftTexture{};
  description.texels = reinterpret_cast<const uint16_t*>(texture->pixels);
  description.log2Width = texture->log2X;
  description.log2Height = texture->log2Y;
  description.opaqueCapable = (texture->flags & kTextureHasAlpha) ? 0 : 1;
  return &description;
}

// A software frame goes on whatever its begin, drawing and present report: the frame is in memory
// and there is no device to lose.
int32_t Begin(Camera* camera, uint8_t clear) {
  wre_SoftFrameBegin(camera, clear);
  return 0;
}
int32_t Draw(Camera* camera) {
  wre_SoftFrameRender(camera);
  return 0;
}
int32_t Present(Camera* camera) {
  wre_SoftFramePresent(camera);
  return 0;
}
int32_t Clear(DrawingContext* context, const float* colour) { return wre_SoftFrameClear(context, colour); }
int32_t Sort(Camera* camera) {
  wre_SoftPolyListSort(camera);
  return 0;
}

constexpr RenderBackend kSoftware{
    nullptr,                  // beginScene
    &Begin,                   // beginFrame
    &Draw,                    // drawQueues
    nullptr,                  // endScene
    &Present,                 // endFrame
    &Clear,                   // clearFrame
    &Sort,                    // clearDepth
    nullptr,                  // setDepthTest
    &wre_SoftTextureUpload,   // uploadTexture
    &wre_SoftTextureRelease,  // releaseTexture
    true,                     // queuesKeptToFrameEnd
};

}  // namespace

void wre_SoftBackendInstall() {
  wre_SoftBufferFree();
  gSoftOverflow = 0;
  gSoftBufferEstimate = kSoftInitialEstimate;
  wre_SoftFrameDiscard();
  wre_SoftTextureLookupInstall(TextureTableLookup);
  wre_RenderBackendInstall(kRendererSoftware, &kSoftware);
}

const RenderBackend& wre_SoftBackend() { return kSoftware; }
