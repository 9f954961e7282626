#include "engine/startup/engine.h"

#include "engine/core/collide.h"
#include "engine/core/colour_scale.h"
#include "engine/core/fatal.h"
#include "engine/core/frame_tick.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/data/font.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/context.h"
#include "engine/render/frame.h"
#include "engine/render/pools.h"
#include "engine/render/soft_render.h"
#include "engine/startup/hooks.h"

int32_t gEngineStarted = 0;

namespace {

// What wre_Init has brought up so far, taken down in reverse when a later step fails.
enum Step {
  kStepMaths,
  kStepMaterials,
  kStepTextures,
  kStepVisible,
  kStepScratch,
  kStepQueues,
  kStepCollision,
  kStepCount
};

void Unwind(const bool (&done)[kStepCount]) {
  if (done[kStepCollision]) wre_CollideExit();
  if (done[kStepQueues]) wre_PolyQueuesFree();
  if (done[kStepScratch]) wre_VertexScratchFree();
  if (done[kStepVisible]) wre_VisibleListFree();
  if (done[kStepTextures]) wre_TextureTableFree();
  if (done[kStepMaterials]) wre_MaterialTableFree();
  if (done[kStepMaths]) wre_MathTablesExit();
}

}  // namespace

void wre_ColourScalesForKind(int32_t kind) {
  if (kind == kRendererSoftware || kind == kRendererDirect3D || kind == kRenderer3dfx) {
    gColourMax = 255.0f;
    gColourMaxAlpha = 255.0f;
    gColourToByte = 1.0f;
  } else {
    gColourMax = 1.0f;
    gColourMaxAlpha = 1.0f;
    gColourToByte = 255.0f;
  }
}

void wre_RendererProbe() {
  // The enumeration allocates. A shut-down stops the memory layer, and the game asks for its
  // renderer again after one (the options page's restart): without the layer every device list
  // would fail and Direct3D would be offered as missing.
  wre_MemoryInit();
  gRendererSettings.available |= kAvailableSoftware;
  gRendererSettings.available &= static_cast<uint8_t>(~(kAvailableOpenGL | kAvailable3dfx));
  DeviceList* list = wre_DeviceListNew();
  auto* table = static_cast<DeviceTable*>(wre_MemoryNew(static_cast<int32_t>(sizeof(DeviceTable))));
  // The bit follows this enumeration: a driver that has gone is no longer offered.
  if (list && table && wre_DeviceEnumerate(table, list) == 0 && table->count >= 1) {
    gRendererSettings.available |= kAvailableDirect3D;
  } else {
    gRendererSettings.available &= static_cast<uint8_t>(~kAvailableDirect3D);
  }
  if (table) wre_MemoryDispose(table);
  wre_DeviceListDispose(list);
}

uint8_t wre_RendererQueryAvailable(int32_t kind) {
  wre_RendererProbe();
  return wre_RendererIsAvailable(kind) ? 0xFF : 0x00;
}

int32_t wre_Init(int32_t rendererKind, int32_t materialCount, int32_t textureCount, int32_t,
                 int32_t visibleObjectCapacity, int32_t vertexScratchCapacity, int32_t polygonQueueCapacity,
                 int32_t rendererUnreadFirst, int32_t rendererUnreadSecond, int32_t collisionCandidates,
                 int32_t collisionPoints) {
  if (gEngineStarted) return -1;
  gTextureModuleStarted = 0;
  if (wre_RendererSettingsInit(rendererUnreadFirst, rendererUnreadSecond) != 0) wre_FatalError("Error setting prefs - wre_Init");
  gRendererSettings.startMark = 16;
  const float previous[3] = {gColourMax, gColourMaxAlpha, gColourToByte};
  gColourMax = 0.0f;
  gColourMaxAlpha = 0.0f;
  wre_RendererProbe();
  if (!wre_RendererIsAvailable(rendererKind)) {
    // Nothing is set up for a kind that is not there; the scales stay usable.
    gColourMax = previous[0];
    gColourMaxAlpha = previous[1];
    gColourToByte = previous[2];
    return -1;
  }
  gRendererSettings.selectedKind = rendererKind;
  wre_ColourScalesForKind(rendererKind);
  gFrameTick = 0;
  gContextsDisposed = 0;
  bool done[kStepCount] = {};
  auto fail = [&done]() {
    Unwind(done);
    return -1;
  };
  if (wre_MathTablesInit() != 0) return fail();
  done[kStepMaths] = true;
  if (wre_MaterialTableInit(materialCount) != 0) return fail();
  done[kStepMaterials] = true;
  if (wre_TextureTableInit(textureCount) != 0) return fail();
  done[kStepTextures] = true;
  if (wre_VisibleListInit(visibleObjectCapacity) != 0) return fail();
  done[kStepVisible] = true;
  if (wre_VertexScratchInit(vertexScratchCapacity) != 0) return fail();
  done[kStepScratch] = true;
  // A partly made set of queues is released with the rest.
  done[kStepQueues] = true;
  if (wre_PolyQueuesInit(polygonQueueCapacity) != 0) return fail();
  if (wre_CollideInit(collisionCandidates, collisionPoints) != 0) return fail();
  done[kStepCollision] = true;
  wre_SetDeviceSelectCallback(nullptr);
  if (wre_ContextListInit() != 0) return fail();
  wre_EngineInstallHooks();
  wre_FrameControlInstall();
  wre_SoftBackendInstall();
  gEngineStarted = 1;
  const int32_t fonts = wre_FontInit();
  if (fonts != 0) return fonts;
  gLightingDirty = 1;
  return 0;
}

int32_t wre_Shutdown() {
  if (!gEngineStarted) return -1;
  const int32_t fonts = wre_FontTerm();
  gFrameTick = 0;
  wre_SoftBufferFree();
  wre_CollideExit();
  wre_PolyQueuesFree();
  wre_VertexScratchFree();
  wre_VisibleListFree();
  wre_TextureTableFree();
  wre_MaterialTableFree();
  wre_MathTablesExit();
  wre_ContextDisposeAll();
  wre_MemoryTerm();
  gEngineStarted = 0;
  return fonts;
}
