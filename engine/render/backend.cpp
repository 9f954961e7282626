#include "engine/render/backend.h"

#include "engine/core/wre_types.h"
#include "engine/data/texture.h"
#include "engine/render/context.h"

namespace {

constexpr int32_t kFirstKind = kRendererSoftware;
constexpr int32_t kKindCount = kRenderer3dfx - kRendererSoftware + 1;

RenderBackend gTables[kKindCount]{};
bool gInstalled[kKindCount]{};

bool KnownKind(int32_t kind) { return kind >= kFirstKind && kind < kFirstKind + kKindCount; }

int32_t NoOp(Camera*) { return 0; }
int32_t NoOpBegin(Camera*, uint8_t) { return 0; }
int32_t NoOpClear(DrawingContext*, const float*) { return 0; }
void NoOpDepthTest(Camera*, uint8_t) {}
int32_t NoOpUpload(Texture*, Offscreen*, DrawingContext*, int32_t, Offscreen* const*) { return 0; }
int32_t NoOpRelease(Texture*) { return 0; }

}  // namespace

void wre_RenderBackendInstall(int32_t kind, const RenderBackend* backend) {
  if (!KnownKind(kind)) return;
  gTables[kind - kFirstKind] = backend ? *backend : RenderBackend{};
  gInstalled[kind - kFirstKind] = backend != nullptr;
}

const RenderBackend* wre_RenderBackendOf(int32_t kind) {
  if (!KnownKind(kind) || !gInstalled[kind - kFirstKind]) return nullptr;
  return &gTables[kind - kFirstKind];
}

const RenderBackend& wre_NoDrawBackend() {
  static constexpr RenderBackend kTable{&NoOp,     &NoOpBegin,     &NoOp,       &NoOp,        &NoOp, &NoOpClear,
                                        &NoOp,     &NoOpDepthTest, &NoOpUpload, &NoOpRelease, false};
  return kTable;
}

int32_t wre_RendererTextureUpload(Texture* texture, Offscreen* offscreen, DrawingContext* context, int32_t mipCount,
                                  Offscreen* const* mipOffscreens) {
  const RenderBackend* backend = wre_RenderBackendOf(context->kind);
  if (!backend || !backend->uploadTexture) return -1;
  return backend->uploadTexture(texture, offscreen, context, mipCount, mipOffscreens);
}

int32_t wre_RendererTextureRelease(Texture* texture) {
  const RenderBackend* backend = wre_RenderBackendOf(texture->context->kind);
  if (!backend || !backend->releaseTexture) return 0;
  return backend->releaseTexture(texture);
}
