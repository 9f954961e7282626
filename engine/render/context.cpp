#include "engine/render/context.h"

#include <cmath>
#include <cstring>

#include "engine/core/fatal.h"
#include "engine/core/memory.h"
#include "engine/core/strings.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"

RendererSettings gRendererSettings;

namespace {

struct ContextNode {
  DrawingContext* context;
  ContextNode* prev;
  ContextNode* next;
};

ContextNode* gContextList = nullptr;
DeviceSelectCallback gDeviceSelectCallback = nullptr;
DeviceTable* gDeviceTable = nullptr;

constexpr uint32_t kPrimaryCaps = kPlatCapsVideoMemory | kPlatCapsPrimary | kPlatCapsFlip | kPlatCapsComplex;

// How many bits a channel lacks of eight, as the display mode description gives it.
int32_t LostBits(uint32_t mask, int32_t shift) {
  uint32_t width = mask >> shift;
  if (width == 0) return -1;  // a zero mask never matches
  return static_cast<int32_t>(std::trunc(std::log2(255.0 / width)));
}

void ReadChannels(DrawingContext* context, const PlatPixelFormat& format) {
  context->redMask = format.redMask;
  context->greenMask = format.greenMask;
  context->blueMask = format.blueMask;
  context->redShift = wre_ChannelShift(format.redMask);
  context->greenShift = wre_ChannelShift(format.greenMask);
  context->blueShift = wre_ChannelShift(format.blueMask);
  context->redLost = LostBits(format.redMask, context->redShift);
  context->greenLost = LostBits(format.greenMask, context->greenShift);
  context->blueLost = LostBits(format.blueMask, context->blueShift);
}

void ClearTable(DeviceTable* table) {
  std::memset(table, 0, sizeof(*table));
  gDeviceTable = table;
}

void AddDescription(DeviceTable* table, const PlatDisplayDriver* driver, PlatDisplay* display, bool preferName) {
  if (!table->list) return;
  const PlatDisplayDriver* described = plat_DisplayDriver(display);
  if (described && described->newInterface && described->hasIdentifier) {
    wre_DeviceListAdd(table->list, described->identifier);
  } else {
    wre_DeviceListAdd(table->list, preferName ? driver->name : driver->description);
  }
}

// One driver of the 3D enumeration: kept when its hardware device can draw what the engine draws.
void ConsiderDriverFor3D(DeviceTable* table, const PlatDisplayDriver* driver) {
  PlatDisplay* display = plat_DisplayCreate(driver->hasGuid ? &driver->guid : nullptr);
  if (!display) return;
  if (!plat_DisplayDriver(display)->newInterface) {
    plat_DisplayRelease(display);
    return;
  }
  PlatD3D* d3d = plat_D3DCreate(display);
  if (d3d) {
    PlatGuid deviceGuid{};
    PlatDeviceDesc hardware{};
    if (plat_D3DFindHardwareDevice(d3d, &deviceGuid, &hardware) == 0 && wre_DeviceCapsAcceptable(&hardware) &&
        table->count < kDeviceTableLimit) {
      DeviceTableEntry& entry = table->entries[table->count++];
      entry.hardware = hardware;
      entry.hasDriverGuid = driver->hasGuid;
      if (driver->hasGuid) entry.driverGuid = driver->guid;
      entry.deviceGuid = deviceGuid;
      AddDescription(table, driver, display, true);
    }
    plat_D3DRelease(d3d);
  }
  plat_DisplayRelease(display);
}

void DisplayModeCallback(const PlatDisplayMode* mode, DeviceTable* table) {
  const DrawingContext* context = table->context;
  if (!context) return;
  if (mode->width != context->display.right - context->display.left ||
      mode->height != context->display.bottom - context->display.top || mode->format.bitCount != context->depth) {
    return;
  }
  int32_t r = LostBits(mode->format.redMask, wre_ChannelShift(mode->format.redMask));
  int32_t g = LostBits(mode->format.greenMask, wre_ChannelShift(mode->format.greenMask));
  int32_t b = LostBits(mode->format.blueMask, wre_ChannelShift(mode->format.blueMask));
  if (r == 3 && b == 3 && (g == 2 || g == 3)) table->modeFound = 1;
}

int32_t CreateFlipChain(DrawingContext* context, bool direct3d) {
  if (!context->displayObject) return -1;
  uint32_t caps = kPrimaryCaps | (direct3d ? kPlatCaps3DDevice : 0u);
  context->primary = plat_SurfaceCreate(context->displayObject, caps, 0, 0, nullptr, 1);
  if (!context->primary) {
    caps = (caps & ~kPlatCapsVideoMemory) | kPlatCapsSystemMemory;
    context->primary = plat_SurfaceCreate(context->displayObject, caps, 0, 0, nullptr, 1);
  }
  if (!context->primary) return -1;
  context->back = plat_SurfaceGetAttached(context->primary, kPlatCapsBackBuffer);
  if (!context->back) return -1;
  if (plat_DisplayGetMode(context->displayObject, &context->displayMode) != kPlatDisplayOk) return -1;
  ReadChannels(context, context->displayMode.format);
  if (context->greenLost == 2) {
    context->displayBits |= kDisplay565;
  } else {
    context->displayBits &= static_cast<uint8_t>(~kDisplay565);
  }
  return 0;
}

int32_t CreateZBuffer(DrawingContext* context, const DeviceTable* table) {
  if (!context->camera || !context->back) return -1;
  if (table->chosenHardware.rasterCaps & kPlatRasterZBufferlessHsr) return 0;
  PlatPixelFormat format{};
  if (plat_D3DEnumZBufferFormats(context->d3d, wre_ZBufferFormatCallback, &format) != 0 || format.flags == 0) {
    return -1;
  }
  const Camera* camera = context->camera;
  int32_t width = camera->viewport.right - camera->viewport.left;
  int32_t height = camera->viewport.bottom - camera->viewport.top;
  context->zbuffer = plat_SurfaceCreate(context->displayObject, kPlatCapsZBuffer | kPlatCapsVideoMemory, width, height,
                                        &format, 0);
  if (!context->zbuffer) {
    context->zbuffer = plat_SurfaceCreate(context->displayObject, kPlatCapsZBuffer | kPlatCapsSystemMemory, width,
                                          height, &format, 0);
  }
  if (!context->zbuffer) return -1;
  return plat_SurfaceAddAttached(context->back, context->zbuffer) == kPlatDisplayOk ? 0 : -1;
}

int32_t CreateDevice(DrawingContext* context) {
  if (!context->back || !context->hardwareDevice) return -1;
  context->device = plat_D3DCreateDevice(context->d3d, &context->deviceGuid, context->back);
  return context->device ? 0 : -1;
}

int32_t CreateViewport(DrawingContext* context) {
  context->viewport = plat_D3DCreateViewport(context->d3d);
  if (!context->viewport) return -1;
  if (plat_D3DDeviceAddViewport(context->device, context->viewport) != 0) return -1;
  const Camera* camera = context->camera;
  PlatD3DViewportData data{};
  data.x = camera->viewport.left;
  data.y = camera->viewport.top;
  data.width = camera->viewport.right - camera->viewport.left;
  data.height = camera->viewport.bottom - camera->viewport.top;
  data.clipWidth = static_cast<float>(data.width);
  data.clipHeight = static_cast<float>(data.height);
  data.maxZ = 1.0f;
  if (plat_D3DViewportSet(context->viewport, &data) != 0) return -1;
  return plat_D3DDeviceSetCurrentViewport(context->device, context->viewport);
}

int32_t SetInitialRenderStates(DrawingContext* context) {
  PlatD3DDevice* device = context->device;
  if (!context->d3d || !device || !context->viewport) return -1;
  auto set = [device](uint32_t state, uint32_t value) { return plat_D3DDeviceSetRenderState(device, state, value) == 0; };
  if (!set(kD3DStateCullMode, 1) || !set(kD3DStateZEnable, 1)) return -1;
  if (!set(kD3DStateShadeMode, 2) && !set(kD3DStateShadeMode, 1)) return -1;
  if (!set(kD3DStateZFunc, 4) || !set(kD3DStateZWriteEnable, 1) || !set(kD3DStateDitherEnable, 1) ||
      !set(kD3DStateTexturePerspective, 1) || !set(kD3DStateSpecularEnable, 1)) {
    return -1;
  }
  if (!set(kD3DStateTextureMapBlend, 4) || !set(kD3DStateTextureMapBlend, 2)) return -1;
  if (!set(kD3DStateAntialias, 0) || !set(kD3DStateEdgeAntialias, 0)) return -1;
  bool linear = (context->flags & kContextLinearFilter) != 0;
  if (!set(kD3DStateTextureMag, linear ? 2 : 1) || !set(kD3DStateTextureMin, linear ? 4 : 1)) return -1;
  return 0;
}

void ReleaseDisplay(DrawingContext* context) {
  if (!context->displayObject) return;
  plat_DisplayRestoreMode(context->displayObject);
  plat_DisplaySetCooperativeLevel(context->displayObject, kPlatCoopNormal);
  plat_DisplayRelease(context->displayObject);
  context->displayObject = nullptr;
}

void ReleasePrimary(DrawingContext* context) {
  plat_SurfaceRelease(context->primary);  // the back buffer goes with its flip chain
  context->primary = nullptr;
  context->back = nullptr;
}

void ReleaseDirect3D(DrawingContext* context) {
  plat_D3DDeviceRelease(context->device);
  context->device = nullptr;
  plat_D3DViewportRelease(context->viewport);
  context->viewport = nullptr;
  plat_SurfaceRelease(context->zbuffer);
  context->zbuffer = nullptr;
  ReleasePrimary(context);
  plat_D3DRelease(context->d3d);
  context->d3d = nullptr;
  ReleaseDisplay(context);
}

void ReleaseGL(DrawingContext* context) {
  if (context->glContext) {
    plat_GlMakeCurrent(nullptr);
    plat_GlContextDelete(context->glContext);
    context->glContext = nullptr;
  }
  // The display-mode set-up of an OpenGL context holds a display object too: give it back as well.
  ReleaseDisplay(context);
}

int32_t SetupSoftware(DrawingContext* context, Camera* camera) {
  if (context->depth != 16) return -1;
  if (wre_ContextSetupDDraw(camera, context, context->depth, 0, &context->display, 0, 0) != 0) return -1;
  WreRect frame{0, 0, context->view.right - context->view.left, context->view.bottom - context->view.top};
  context->frame = wre_OffscreenNew(kOffscreenSurface, &frame, 0, context->depth, 256, context, nullptr);
  return context->frame ? 0 : -1;
}

int32_t SetupOpenGL(DrawingContext* context, Camera* camera) {
  if (wre_ContextSetupDDraw(camera, context, context->depth, 0, &context->display, 0, 1) != 0) return -1;
  PlatGlPixelFormat request{0x3225, 16, 0, 0, 0, 0, 16, 0, 0};
  context->glContext = plat_GlContextCreate(&request, &context->pixelFormat);
  if (!context->glContext) return -1;
  const PlatGlFunctions* gl = plat_Gl();
  const WreRect& v = camera->viewport;
  gl->Viewport(v.left, v.top, v.right - v.left, v.bottom - v.top);
  gl->Enable(kGlTexture2D);
  gl->Enable(kGlDepthTest);
  gl->PolygonMode(kGlFrontAndBack, kGlFill);
  gl->ShadeModel(kGlSmooth);
  if (context->flags & kContextSmoothing) {
    gl->Enable(kGlPolygonSmooth);
    gl->Enable(kGlLineSmooth);
  } else {
    gl->Disable(kGlPolygonSmooth);
    gl->Disable(kGlLineSmooth);
  }
  return 0;
}

// What offscreens need of the renderer: surfaces of the display for kind-103 offscreens.
int32_t SelectedRenderer() { return gRendererSettings.selectedKind; }

bool ContextInfo(const DrawingContext* context, int32_t* kind, int32_t* displayFlags) {
  if (!context) return false;
  if (kind) *kind = context->kind;
  if (displayFlags) *displayFlags = context->displayBits;
  return true;
}

OffscreenSurface* CreateSurface(DrawingContext* context, int32_t width, int32_t height, bool videoMemory,
                                const OffscreenSurface* formatOf) {
  if (!context || !context->displayObject) return nullptr;
  PlatPixelFormat format{};
  if (formatOf) {
    plat_SurfaceDescribe(reinterpret_cast<const PlatSurface*>(formatOf), nullptr, nullptr, &format);
  } else {
    PlatDisplayMode mode{};
    if (plat_DisplayGetMode(context->displayObject, &mode) != kPlatDisplayOk) return nullptr;
    format = mode.format;
    // The software frame is drawn as 555 whatever the display; it is converted when shown.
    if (format.bitCount == 16) format = PlatPixelFormat{kPlatPixelRgb, 16, 0x7c00, 0x03e0, 0x001f, 0};
  }
  uint32_t caps = kPlatCapsOffscreen | (videoMemory ? kPlatCapsVideoMemory : kPlatCapsSystemMemory);
  return reinterpret_cast<OffscreenSurface*>(plat_SurfaceCreate(context->displayObject, caps, width, height, &format, 0));
}

int32_t LockSurface(OffscreenSurface* surface, uint8_t** pixels, int32_t* pitch) {
  void* p = nullptr;
  int32_t result = plat_SurfaceLock(reinterpret_cast<PlatSurface*>(surface), &p, pitch);
  if (pixels) *pixels = static_cast<uint8_t*>(p);
  return result == kPlatDisplayOk ? 0 : -1;
}

void UnlockSurface(OffscreenSurface* surface) { plat_SurfaceUnlock(reinterpret_cast<PlatSurface*>(surface)); }
void ReleaseSurface(OffscreenSurface* surface) { plat_SurfaceRelease(reinterpret_cast<PlatSurface*>(surface)); }

void SurfaceMasks(const OffscreenSurface* surface, uint32_t* red, uint32_t* green, uint32_t* blue) {
  PlatPixelFormat format{};
  plat_SurfaceDescribe(reinterpret_cast<const PlatSurface*>(surface), nullptr, nullptr, &format);
  if (red) *red = format.redMask;
  if (green) *green = format.greenMask;
  if (blue) *blue = format.blueMask;
}

int32_t BlitSurface(OffscreenSurface* destination, OffscreenSurface* source, const WreRect* rect) {
  PlatEdgeRect r{};
  if (rect) r = PlatEdgeRect{rect->left, rect->top, rect->right, rect->bottom};
  return plat_SurfaceBltFast(reinterpret_cast<PlatSurface*>(destination), 0, 0,
                             reinterpret_cast<PlatSurface*>(source), rect ? &r : nullptr);
}

constexpr OffscreenRendererHooks kOffscreenHooks{SelectedRenderer, ContextInfo, CreateSurface, LockSurface,
                                                 UnlockSurface,    ReleaseSurface, SurfaceMasks, BlitSurface};

}  // namespace

int32_t wre_RendererSettingsInit(int32_t unreadFirst, int32_t unreadSecond) {
  gRendererSettings = RendererSettings{};
  gRendererSettings.unreadFirst = unreadFirst;
  gRendererSettings.unreadSecond = unreadSecond;
  wre_OffscreenSetRendererHooks(&kOffscreenHooks);
  return 0;
}

uint8_t wre_RendererAvailableBit(int32_t kind) {
  switch (kind) {
    case kRendererSoftware: return kAvailableSoftware;
    case kRendererOpenGL: return kAvailableOpenGL;
    case kRendererNone: return kAvailableNone;
    case kRendererDirect3D: return kAvailableDirect3D;
    case kRenderer3dfx: return kAvailable3dfx;
    default: return 0;
  }
}

int32_t wre_RendererIsAvailable(int32_t kind) { return (gRendererSettings.available & wre_RendererAvailableBit(kind)) != 0; }

int32_t wre_RendererSelectedKind() { return gRendererSettings.selectedKind; }

int32_t wre_ContextListInit() {
  gContextList = nullptr;
  return 0;
}

int32_t wre_SetDeviceSelectCallback(DeviceSelectCallback callback) {
  gDeviceSelectCallback = callback;
  return 0;
}

DrawingContext* wre_ContextNew(const WreRect* view, int32_t flags, Camera* camera, int32_t depth,
                               const WreRect* display) {
  if (!camera) return nullptr;
  if (depth != 16 && depth != 32) wre_FatalError("Unsupported bit depth - allocate context");
  auto* context = static_cast<DrawingContext*>(wre_MemoryNew(sizeof(DrawingContext)));
  if (!context) return nullptr;
  std::memset(context, 0, sizeof(*context));
  context->camera = camera;
  context->depth = depth;
  if (view) context->view = *view;
  context->flags = flags;
  if (display) context->display = *display;
  int32_t kind = gRendererSettings.selectedKind;
  context->kind = kind;
  int32_t result = -1;
  switch (kind) {
    case kRendererSoftware: result = SetupSoftware(context, camera); break;
    case kRendererOpenGL: result = SetupOpenGL(context, camera); break;
    case kRenderer3dfx:
      context->displayBits |= kDisplay3dfx;
      result = 0;
      break;
    case kRendererDirect3D:
      result = wre_ContextSetupDDraw(camera, context, depth, flags, &context->display, 1, 0);
      break;
    default: break;
  }
  if (result != 0) {
    // A half-made context is released at once rather than left to leak.
    context->valid = 1;
    wre_ContextDispose(context);
    return nullptr;
  }
  context->valid = 1;
  wre_ContextRegister(context);
  return context;
}

void wre_ContextDispose(DrawingContext* context) {
  if (!context || !context->valid) return;
  wre_ContextUnregister(context);
  // Textures made for this context give back their copies while its device still exists, and
  // keep no pointer to it.
  wre_TextureForgetContext(context);
  switch (context->kind) {
    case kRendererSoftware:
      if (context->frame) {
        wre_OffscreenDispose(context->frame);
        context->frame = nullptr;
      }
      ReleasePrimary(context);
      ReleaseDisplay(context);
      break;
    case kRendererOpenGL: ReleaseGL(context); break;
    case kRendererDirect3D: ReleaseDirect3D(context); break;
    default: break;
  }
  wre_MemoryDispose(context);
}

void wre_ContextDisposeAll() {
  ContextNode* node = gContextList;
  while (node) {
    ContextNode* next = node->next;
    wre_ContextDispose(node->context);
    node = next;
  }
  gContextList = nullptr;
}

int32_t wre_ContextRegister(DrawingContext* context) {
  if (!context) return -1;
  auto* node = static_cast<ContextNode*>(wre_MemoryNew(sizeof(ContextNode)));
  if (!node) return -1;
  node->context = context;
  node->prev = nullptr;
  node->next = gContextList;
  if (gContextList) gContextList->prev = node;
  gContextList = node;
  return 0;
}

void wre_ContextUnregister(DrawingContext* context) {
  if (!context) return;
  for (ContextNode* node = gContextList; node; node = node->next) {
    if (node->context != context) continue;
    if (node->prev) node->prev->next = node->next;
    if (node->next) node->next->prev = node->prev;
    if (gContextList == node) gContextList = node->next;
    wre_MemoryDispose(node);
    return;
  }
}

int32_t wre_ContextCount() {
  int32_t count = 0;
  for (ContextNode* node = gContextList; node; node = node->next) ++count;
  return count;
}

int32_t wre_ContextSetFlags(DrawingContext* context, int32_t flags) {
  if (!context) return -1000;
  context->flags = flags;
  return 0;
}

void wre_ContextSetRect(DrawingContext* context, const WreRect* view) {
  if (context && view) context->view = *view;
}

void wre_ContextSetDepth(DrawingContext* context, int32_t depth) {
  if (context) context->depth = depth;
}

void wre_ContextSetKind(DrawingContext* context, int32_t kind) {
  if (context) context->kind = kind;
}

DeviceList* wre_DeviceListNew() {
  auto* list = static_cast<DeviceList*>(wre_MemoryNew(sizeof(DeviceList)));
  if (list) std::memset(list, 0, sizeof(*list));
  return list;
}

void wre_DeviceListDispose(DeviceList* list) {
  if (list) wre_MemoryDispose(list);
}

int32_t wre_DeviceListAdd(DeviceList* list, const char* text) {
  if (!list) return 0;
  if (list->count >= kDeviceListLimit) return -1;
  wre_StringCopyN(text ? text : " ", list->descriptions[list->count], 256, 1);
  ++list->count;
  return 0;
}

bool wre_DeviceCapsAcceptable(const PlatDeviceDesc* h) {
  return h && (h->colourModel & kPlatColourModelRgb) && (h->zCompareCaps & kPlatCompareLessEqual) &&
         (h->alphaCompareCaps & kPlatCompareLessEqual) && (h->shadeCaps & kPlatShadeAlphaGouraudBlend) &&
         (h->textureCaps & kPlatTextureAlpha) && (h->textureCaps & kPlatTexturePerspective) &&
         (h->renderDepths & kPlatRenderDepth16) && (h->textureBlendCaps & kPlatTextureBlendModulate) &&
         (h->rasterCaps & kPlatRasterFogVertex) && h->zBufferBitDepth != 0;
}

int32_t wre_DeviceEnumerate(DeviceTable* table, DeviceList* list) {
  if (!table) return -1;
  ClearTable(table);
  table->list = list;
  if (!plat_DisplayLibraryLoaded()) {
    gDeviceTable = nullptr;
    return kContextErrNoDisplayLibrary;
  }
  for (int32_t i = 0; i < plat_DisplayDriverCount(); ++i) ConsiderDriverFor3D(table, plat_DisplayDriverAt(i));
  gDeviceTable = nullptr;
  return 0;
}

int32_t wre_DeviceEnumerateForMode(DeviceTable* table, DeviceList* list, Camera* camera, DrawingContext* context) {
  if (!table) return -1;
  ClearTable(table);
  table->list = list;
  table->camera = camera;
  table->context = context;
  for (int32_t i = 0; i < plat_DisplayDriverCount(); ++i) {
    const PlatDisplayDriver* driver = plat_DisplayDriverAt(i);
    PlatDisplay* display = plat_DisplayCreate(driver->hasGuid ? &driver->guid : nullptr);
    if (!display) continue;
    table->modeFound = 0;
    for (int32_t m = 0; m < driver->modeCount && m < kPlatDriverModes; ++m) {
      if (driver->modes[m].format.flags & kPlatPixelRgb) DisplayModeCallback(&driver->modes[m], table);
    }
    if (table->modeFound && table->count < kDeviceTableLimit) {
      DeviceTableEntry& entry = table->entries[table->count++];
      entry.hasDriverGuid = driver->hasGuid;
      if (driver->hasGuid) entry.driverGuid = driver->guid;
      AddDescription(table, driver, display, false);
    }
    plat_DisplayRelease(display);
  }
  gDeviceTable = nullptr;
  return 0;
}

int32_t wre_ZBufferFormatCallback(const PlatPixelFormat* format, void* destination) {
  if (!format || !destination) return 0;
  if (!(format->flags & kPlatPixelZBuffer)) return 1;
  auto* stored = static_cast<PlatPixelFormat*>(destination);
  if (stored->flags == 0 || (format->bitCount == 16 && stored->bitCount != 16)) *stored = *format;
  return format->bitCount == 16 ? 0 : 1;
}

int32_t wre_ContextSetupDDraw(Camera* camera, DrawingContext* context, int32_t depth, int32_t flags,
                              const WreRect* display, uint8_t direct3d, uint8_t forOpenGL) {
  (void)flags;
  if (!context || !camera) return -1;
  DeviceList* list = wre_DeviceListNew();
  DeviceTable table;
  int32_t result = direct3d ? wre_DeviceEnumerate(&table, list) : wre_DeviceEnumerateForMode(&table, list, camera, context);
  if (result != 0 || table.count < 1) {
    wre_DeviceListDispose(list);
    return result != 0 ? result : -1;
  }
  int32_t index = gDeviceSelectCallback && list ? gDeviceSelectCallback(list) : 0;
  // An index the callback invents is a cancel: it is never used to read the tables.
  if (index < 0 || index >= table.count || (list && index >= list->count)) index = -1;
  if (index >= 0 && list) {
    const char* chosen = list->descriptions[index];
    if (wre_StringContainsNoCase(chosen, "voodoo") || wre_StringContainsNoCase(chosen, "3dfx") ||
        wre_StringContainsNoCase(chosen, "glide")) {
      context->displayBits |= kDisplay3dfx;
    }
  }
  wre_DeviceListDispose(list);
  if (index < 0) return -1;

  const DeviceTableEntry& entry = table.entries[index];
  table.chosenHardware = entry.hardware;
  context->hardwareDevice = 1;
  context->displayObject = plat_DisplayCreate(entry.hasDriverGuid ? &entry.driverGuid : nullptr);
  if (!context->displayObject) return -1;
  if (!plat_DisplayDriver(context->displayObject)->newInterface) {
    wre_FatalError("Need DirectX 5.0 or greater - setup ddraw object - context");
  }
  context->driverGuid = entry.hasDriverGuid ? entry.driverGuid : PlatGuid{};
  context->deviceGuid = entry.deviceGuid;
  uint32_t cooperative = direct3d ? (kPlatCoopFullscreen | kPlatCoopExclusive | kPlatCoopAllowModeX)
                                  : (kPlatCoopFullscreen | kPlatCoopExclusive);
  if (plat_DisplaySetCooperativeLevel(context->displayObject, cooperative) != kPlatDisplayOk) return -1;
  if (direct3d) {
    context->d3d = plat_D3DCreate(context->displayObject);
    if (!context->d3d) return -1;
    if (plat_D3DFindDevice(context->d3d, &context->deviceGuid, nullptr) != 0) {
      plat_D3DRelease(context->d3d);
      context->d3d = nullptr;
      ReleaseDisplay(context);
      return -1;
    }
  }
  const WreRect* mode = display ? display : &context->display;
  if (plat_DisplaySetMode(context->displayObject, mode->right - mode->left, mode->bottom - mode->top, depth) !=
      kPlatDisplayOk) {
    return -1;
  }
  if (!forOpenGL && CreateFlipChain(context, direct3d != 0) != 0) return -1;
  if (direct3d) {
    if (CreateZBuffer(context, &table) != 0 || CreateDevice(context) != 0 || CreateViewport(context) != 0 ||
        SetInitialRenderStates(context) != 0) {
      return -1;
    }
  }
  return 0;
}

bool wre_GLExtensionSupported(const char* name) {
  if (!name || !*name) return false;
  const PlatGlFunctions* gl = plat_Gl();
  if (!gl->GetString) return false;
  const char* extensions = reinterpret_cast<const char*>(gl->GetString(kGlExtensions));
  if (!extensions) return false;
  size_t n = std::strlen(name);
  for (const char* p = extensions; *p;) {
    while (*p == ' ') ++p;
    const char* end = p;
    while (*end && *end != ' ') ++end;
    if (static_cast<size_t>(end - p) == n && std::strncmp(p, name, n) == 0) return true;
    p = end;
  }
  return false;
}
