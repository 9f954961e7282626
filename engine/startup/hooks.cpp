#include "engine/startup/hooks.h"

#include "engine/core/fatal.h"
#include "engine/core/object.h"
#include "engine/data/material.h"
#include "engine/data/sound.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/d3d_backend.h"
#include "engine/render/gl_backend.h"
#include "engine/render/soft_render.h"
#include "engine/render/context.h"
#include "engine/render/backend.h"
#include "engine/startup/system.h"

namespace {

void DetachFromCamera(Camera* camera, EngineObject* object) { wre_CameraRemoveObject(camera, object); }

float CameraHeading(const Camera* camera) { return camera->transform.angleY; }

}  // namespace

void wre_EngineInstallHooks() {
  wre_FatalSetHooks(FatalHooks{&wre_SystemShutdown, &wre_ContextDisposeAll});
  gObjectServices.rendererKind = &wre_RendererSelectedKind;
  gObjectServices.polygonUnlit = &wre_PolygonDrawnUnlit;
  gObjectServices.cameraDetach = &DetachFromCamera;
  wre_MaterialSetAmbientReader(&wre_MaterialReadWorldAmbient);
  wre_SoundSetCameraHeading(&CameraHeading);
  wre_TextureSetRendererHooks(TextureRendererHooks{&wre_RendererTextureUpload, &wre_RendererTextureRelease});
  wre_RenderBackendInstall(kRendererSoftware, &wre_SoftBackend());
  wre_RenderBackendInstall(kRendererOpenGL, &wre_GLBackend());
  wre_RenderBackendInstall(kRendererDirect3D, &wre_D3DBackend());
  wre_RenderBackendInstall(kRenderer3dfx, &wre_NoDrawBackend());
}
