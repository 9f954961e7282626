#include "platform/plat_d3d.h"

#include <cstring>
#include <iterator>
#include <map>
#include <set>

#include "platform/plat_backend.h"
#include "platform/plat_d3d_draw.h"
#include "platform/test/plat_d3d.h"

struct PlatD3D {
  PlatDisplay* display;
};

struct PlatD3DDevice {
  PlatD3D* d3d;
  PlatSurface* target;
  PlatDeviceDesc hardware;
  std::map<uint32_t, uint32_t> states;
  std::vector<PlatD3DStateChange> log;
  PlatD3DViewport* current;
};

struct PlatD3DViewport {
  PlatD3D* d3d;
  bool set;
  PlatD3DViewportData data;
  PlatD3DDevice* device;  // the device it was added to
  uint32_t background;    // material handle, 0: none
};

struct PlatD3DMaterial {
  PlatD3D* d3d;
  float diffuse[4];
  int32_t rampSize;
  uint32_t handle;
};

struct PlatD3DTexture {
  int32_t references;      // the top level only; mip levels live as long as it
  PlatSurfaceDesc desc;
  int32_t pitch;
  std::vector<uint8_t> pixels;
  PlatD3DTexture* next;    // the next smaller mip level (owned)
  PlatD3DPalette* palette;
  int32_t lockCount;
  uint32_t handle;         // 0 until a device is asked for one
  const PlatD3DDevice* handleDevice;
  uint32_t revision;       // a new number whenever the pixels may have changed (lock, load)
};

struct PlatD3DPalette {
  int32_t references;
  uint32_t flags;
  PlatPaletteEntry entries[256];
};

namespace {

int32_t gLive = 0;
uint32_t gTextureRevisions = 0;
uint32_t NextTextureRevision() { return ++gTextureRevisions; }
std::map<uint32_t, int32_t> gFailStates;
bool gFailDevice = false;
bool gFailViewport = false;
bool gFailMaterial = false;
uint32_t gNextHandle = 1;

// The texture formats of the stand-in: 555, 565, 1555, 4444, 8888 and 8-bit palette.
const PlatPixelFormat kDefaultTextureFormats[] = {
    {kPlatPixelRgb, 16, 0x7c00, 0x03e0, 0x001f, 0},
    {kPlatPixelRgb, 16, 0xf800, 0x07e0, 0x001f, 0},
    {kPlatPixelRgb | kPlatPixelAlpha, 16, 0x7c00, 0x03e0, 0x001f, 0x8000},
    {kPlatPixelRgb | kPlatPixelAlpha, 16, 0x0f00, 0x00f0, 0x000f, 0xf000},
    {kPlatPixelRgb | kPlatPixelAlpha, 32, 0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000},
    {kPlatPixelPalette8, 8, 0, 0, 0, 0},
};
std::vector<PlatPixelFormat> gTextureFormats(std::begin(kDefaultTextureFormats), std::end(kDefaultTextureFormats));
bool gFailVideoTextures = false;
bool gFailMipTextures = false;
bool gFailAllTextures = false;
// Handles the devices know their textures by.
std::map<uint32_t, PlatD3DTexture*> gTextureHandles;
// Live viewports, so that a device or material going leaves none of them pointing at it.
std::set<PlatD3DViewport*> gViewports;

PlatD3DTexture* NewTextureLevel(const PlatSurfaceDesc& desc, int32_t width, int32_t height) {
  auto* level = new PlatD3DTexture{};
  level->desc = desc;
  level->desc.width = width;
  level->desc.height = height;
  int32_t bytes = desc.format.bitCount < 8 ? 1 : (desc.format.bitCount + 7) / 8;
  level->pitch = (width * bytes + 3) & ~3;
  level->pixels.assign(static_cast<size_t>(level->pitch) * static_cast<size_t>(height), 0);
  return level;
}

// The texture's handle no longer names it, for the devices and for their drawing.
void ForgetHandle(PlatD3DTexture* texture) {
  if (!texture->handle) return;
  gTextureHandles.erase(texture->handle);
  plat_D3DDrawTextureGone(texture->handleDevice, texture->handle);
  texture->handle = 0;
  texture->handleDevice = nullptr;
}

void FreeTexture(PlatD3DTexture* texture) {
  while (texture) {
    PlatD3DTexture* next = texture->next;
    ForgetHandle(texture);
    plat_D3DPaletteRelease(texture->palette);
    delete texture;
    texture = next;
  }
}

const PlatDisplayDriver* DriverOf(const PlatD3D* d3d) { return d3d ? plat_DisplayDriver(d3d->display) : nullptr; }

}  // namespace

PlatD3D* plat_D3DCreate(PlatDisplay* display) {
  const PlatDisplayDriver* driver = plat_DisplayDriver(display);
  if (!driver || !driver->has3D) return nullptr;
  ++gLive;
  return new PlatD3D{display};
}

void plat_D3DRelease(PlatD3D* d3d) {
  if (!d3d) return;
  --gLive;
  delete d3d;
}

int32_t plat_D3DFindDevice(PlatD3D* d3d, const PlatGuid* deviceGuid, PlatDeviceDesc* hardware) {
  const PlatDisplayDriver* driver = DriverOf(d3d);
  if (!driver || !deviceGuid || !driver->hasHardwareDevice) return -1;
  if (std::memcmp(driver->deviceGuid.bytes, deviceGuid->bytes, 16) != 0) return -1;
  if (hardware) *hardware = driver->hardware;
  return 0;
}

int32_t plat_D3DFindHardwareDevice(PlatD3D* d3d, PlatGuid* deviceGuid, PlatDeviceDesc* hardware) {
  const PlatDisplayDriver* driver = DriverOf(d3d);
  if (!driver || !driver->hasHardwareDevice) return -1;
  if (deviceGuid) *deviceGuid = driver->deviceGuid;
  if (hardware) *hardware = driver->hardware;
  return 0;
}

int32_t plat_D3DEnumZBufferFormats(PlatD3D* d3d, PlatZFormatCallback callback, void* context) {
  const PlatDisplayDriver* driver = DriverOf(d3d);
  if (!driver || !callback || driver->zFormatCount < 1) return -1;
  for (int32_t i = 0; i < driver->zFormatCount && i < kPlatDriverZFormats; ++i) {
    if (callback(&driver->zFormats[i], context) == 0) break;
  }
  return 0;
}

PlatD3DDevice* plat_D3DCreateDevice(PlatD3D* d3d, const PlatGuid* deviceGuid, PlatSurface* renderTarget) {
  PlatDeviceDesc hardware{};
  if (gFailDevice || !renderTarget || plat_D3DFindDevice(d3d, deviceGuid, &hardware) != 0) return nullptr;
  ++gLive;
  auto* device = new PlatD3DDevice{};
  device->d3d = d3d;
  device->target = renderTarget;
  device->hardware = hardware;
  return device;
}

void plat_D3DDeviceRelease(PlatD3DDevice* device) {
  if (!device) return;
  // The device forgets the handles it gave out.
  for (auto it = gTextureHandles.begin(); it != gTextureHandles.end();) {
    if (it->second->handleDevice == device) {
      it->second->handle = 0;
      it->second->handleDevice = nullptr;
      it = gTextureHandles.erase(it);
    } else {
      ++it;
    }
  }
  for (PlatD3DViewport* viewport : gViewports) {
    if (viewport->device == device) viewport->device = nullptr;
  }
  --gLive;
  plat_D3DDrawDeviceGone(device);
  delete device;
}

int32_t plat_D3DDeviceSetRenderState(PlatD3DDevice* device, uint32_t state, uint32_t value) {
  if (!device) return -1;
  auto fail = gFailStates.find(state);
  if (fail != gFailStates.end() && fail->second > 0) {
    --fail->second;
    return -1;
  }
  device->states[state] = value;
  // Logged for tests only: a running game sets states for every polygon.
  if (plat_CurrentBackend() == kPlatBackendTest) device->log.push_back(PlatD3DStateChange{state, value});
  plat_D3DDrawStateChanged(device, state, value);
  return 0;
}

uint32_t plat_D3DDeviceGetRenderState(const PlatD3DDevice* device, uint32_t state) {
  if (!device) return 0;
  auto it = device->states.find(state);
  return it == device->states.end() ? 0 : it->second;
}

PlatD3DViewport* plat_D3DCreateViewport(PlatD3D* d3d) {
  if (!d3d || gFailViewport) return nullptr;
  ++gLive;
  auto* viewport = new PlatD3DViewport{d3d, false, {}, nullptr, 0};
  gViewports.insert(viewport);
  return viewport;
}

void plat_D3DViewportRelease(PlatD3DViewport* viewport) {
  if (!viewport) return;
  if (viewport->device && viewport->device->current == viewport) viewport->device->current = nullptr;
  gViewports.erase(viewport);
  --gLive;
  delete viewport;
}

int32_t plat_D3DDeviceAddViewport(PlatD3DDevice* device, PlatD3DViewport* viewport) {
  if (!device || !viewport) return -1;
  viewport->device = device;
  return 0;
}

int32_t plat_D3DViewportSet(PlatD3DViewport* viewport, const PlatD3DViewportData* data) {
  if (!viewport || !data || data->width < 1 || data->height < 1) return -1;
  viewport->data = *data;
  viewport->set = true;
  return 0;
}

int32_t plat_D3DDeviceSetCurrentViewport(PlatD3DDevice* device, PlatD3DViewport* viewport) {
  if (!device || !viewport || !viewport->set) return -1;
  device->current = viewport;
  return 0;
}

bool plat_D3DViewportGet(const PlatD3DViewport* viewport, PlatD3DViewportData* data) {
  if (!viewport || !viewport->set || !data) return false;
  *data = viewport->data;
  return true;
}

// What the drawing reads of devices, viewports, materials and textures.
namespace {
std::map<uint32_t, const PlatD3DMaterial*>& MaterialHandles() {
  static std::map<uint32_t, const PlatD3DMaterial*> handles;
  return handles;
}
}  // namespace

bool plat_D3DTextureImageOf(const PlatD3DTexture* texture, PlatD3DTextureImage* image) {
  if (!texture || !image) return false;
  *image = PlatD3DTextureImage{texture->pixels.data(), texture->desc.width, texture->desc.height, texture->pitch,
                               texture->desc.format, texture->revision,
                               texture->palette ? texture->palette->entries : nullptr};
  return true;
}

PlatSurface* plat_D3DDeviceTarget(const PlatD3DDevice* device) { return device ? device->target : nullptr; }
PlatD3DViewport* plat_D3DDeviceCurrentViewport(const PlatD3DDevice* device) {
  return device ? device->current : nullptr;
}
PlatD3DDevice* plat_D3DViewportDevice(const PlatD3DViewport* viewport) { return viewport ? viewport->device : nullptr; }
uint32_t plat_D3DViewportBackground(const PlatD3DViewport* viewport) { return viewport ? viewport->background : 0; }
void plat_D3DViewportSetBackgroundHandle(PlatD3DViewport* viewport, uint32_t handle) {
  if (viewport) viewport->background = handle;
}
bool plat_D3DMaterialDiffuse(uint32_t handle, float diffuse[4]) {
  auto it = MaterialHandles().find(handle);
  if (handle == 0 || it == MaterialHandles().end()) return false;
  std::memcpy(diffuse, it->second->diffuse, sizeof(it->second->diffuse));
  return true;
}

PlatD3DMaterial* plat_D3DCreateMaterial(PlatD3D* d3d) {
  if (!d3d || gFailMaterial) return nullptr;
  ++gLive;
  return new PlatD3DMaterial{d3d, {0, 0, 0, 0}, 0, 0};
}

void plat_D3DMaterialRelease(PlatD3DMaterial* material) {
  if (!material) return;
  if (material->handle) {
    MaterialHandles().erase(material->handle);
    for (PlatD3DViewport* viewport : gViewports) {
      if (viewport->background == material->handle) viewport->background = 0;
    }
  }
  --gLive;
  delete material;
}

int32_t plat_D3DMaterialSet(PlatD3DMaterial* material, const float diffuse[4], int32_t rampSize) {
  if (!material || !diffuse) return -1;
  std::memcpy(material->diffuse, diffuse, sizeof(material->diffuse));
  material->rampSize = rampSize;
  return 0;
}

int32_t plat_D3DMaterialGetHandle(PlatD3DMaterial* material, PlatD3DDevice* device, uint32_t* handle) {
  if (!material || !device || !handle) return -1;
  if (material->handle == 0) material->handle = gNextHandle++;
  MaterialHandles()[material->handle] = material;
  *handle = material->handle;
  return 0;
}

int32_t plat_D3DDeviceEnumTextureFormats(PlatD3DDevice* device, PlatTextureFormatCallback callback, void* context) {
  if (!device || !callback) return -1;
  for (const PlatPixelFormat& format : gTextureFormats) {
    if (callback(&format, context) != 1) break;
  }
  return 0;
}

PlatD3DTexture* plat_D3DTextureCreate(PlatDisplay* display, const PlatSurfaceDesc* desc) {
  if (!display || !desc) return nullptr;
  if (desc->width < 1 || desc->height < 1 || desc->width > 4096 || desc->height > 4096) return nullptr;
  bool video = (desc->caps & kPlatCapsVideoMemory) != 0;
  bool mips = (desc->caps & kPlatCapsMipmap) && (desc->flags & kPlatSurfaceDescMipCount) && desc->mipCount > 1;
  if (gFailAllTextures || (video && gFailVideoTextures) || (mips && gFailMipTextures)) return nullptr;
  PlatD3DTexture* top = NewTextureLevel(*desc, desc->width, desc->height);
  top->references = 1;
  PlatD3DTexture* last = top;
  int32_t width = desc->width;
  int32_t height = desc->height;
  for (int32_t level = 1; mips && level < desc->mipCount && level < 32; ++level) {
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
    last->next = NewTextureLevel(*desc, width, height);
    last = last->next;
  }
  ++gLive;
  return top;
}

void plat_D3DTextureAddRef(PlatD3DTexture* texture) {
  if (texture) ++texture->references;
}

void plat_D3DTextureRelease(PlatD3DTexture* texture) {
  if (!texture || texture->references < 1) return;
  if (--texture->references > 0) return;
  --gLive;
  FreeTexture(texture);
}

void plat_D3DTextureDescribe(const PlatD3DTexture* texture, PlatSurfaceDesc* desc) {
  if (texture && desc) *desc = texture->desc;
}

PlatD3DTexture* plat_D3DTextureGetAttached(PlatD3DTexture* texture, uint32_t caps) {
  if (!texture || !(caps & kPlatCapsMipmap)) return nullptr;
  return texture->next;
}

int32_t plat_D3DTextureLock(PlatD3DTexture* texture, void** pixels, int32_t* pitch) {
  if (!texture) return kPlatDisplayFailed;
  ++texture->lockCount;
  texture->revision = NextTextureRevision();
  if (pixels) *pixels = texture->pixels.data();
  if (pitch) *pitch = texture->pitch;
  return kPlatDisplayOk;
}

int32_t plat_D3DTextureUnlock(PlatD3DTexture* texture) {
  if (!texture || texture->lockCount < 1) return kPlatDisplayFailed;
  --texture->lockCount;
  return kPlatDisplayOk;
}

int32_t plat_D3DTextureRestore(PlatD3DTexture* texture) { return texture ? kPlatDisplayOk : kPlatDisplayFailed; }

int32_t plat_D3DTextureSetPalette(PlatD3DTexture* texture, PlatD3DPalette* palette) {
  if (!texture || !palette) return kPlatDisplayFailed;
  plat_D3DPaletteAddRef(palette);
  plat_D3DPaletteRelease(texture->palette);
  texture->palette = palette;
  return kPlatDisplayOk;
}

PlatD3DPalette* plat_D3DTextureGetPalette(const PlatD3DTexture* texture) { return texture ? texture->palette : nullptr; }

int32_t plat_D3DTextureLoad(PlatD3DTexture* destination, PlatD3DTexture* source) {
  if (!destination || !source) return kPlatDisplayFailed;
  for (PlatD3DTexture *d = destination, *s = source; d; d = d->next, s = s->next) {
    if (!s || d->desc.width != s->desc.width || d->desc.height != s->desc.height ||
        d->desc.format.bitCount != s->desc.format.bitCount || d->pixels.size() != s->pixels.size()) {
      return kPlatDisplayFailed;
    }
  }
  for (PlatD3DTexture *d = destination, *s = source; d; d = d->next, s = s->next) d->pixels = s->pixels;
  destination->revision = NextTextureRevision();
  if (source->palette && source->palette != destination->palette) plat_D3DTextureSetPalette(destination, source->palette);
  return kPlatDisplayOk;
}

int32_t plat_D3DTextureGetHandle(PlatD3DTexture* texture, PlatD3DDevice* device, uint32_t* handle) {
  if (!texture || !device || !handle) return kPlatDisplayFailed;
  if (texture->handle == 0 || texture->handleDevice != device) {
    ForgetHandle(texture);
    texture->handle = gNextHandle++;
    texture->handleDevice = device;
    gTextureHandles[texture->handle] = texture;
  }
  *handle = texture->handle;
  return kPlatDisplayOk;
}

PlatD3DTexture* plat_D3DDeviceTextureFromHandle(const PlatD3DDevice* device, uint32_t handle) {
  auto it = gTextureHandles.find(handle);
  if (!device || it == gTextureHandles.end() || it->second->handleDevice != device) return nullptr;
  return it->second;
}

PlatD3DPalette* plat_D3DPaletteCreate(PlatDisplay* display, uint32_t flags, const PlatPaletteEntry entries[256]) {
  if (!display || !entries || !(flags & kPlatPalette8Bit) || gFailAllTextures) return nullptr;
  auto* palette = new PlatD3DPalette{};
  palette->references = 1;
  palette->flags = flags;
  std::memcpy(palette->entries, entries, sizeof(palette->entries));
  ++gLive;
  return palette;
}

void plat_D3DPaletteAddRef(PlatD3DPalette* palette) {
  if (palette) ++palette->references;
}

void plat_D3DPaletteRelease(PlatD3DPalette* palette) {
  if (!palette || palette->references < 1) return;
  if (--palette->references > 0) return;
  --gLive;
  delete palette;
}

bool plat_D3DPaletteGetEntries(const PlatD3DPalette* palette, PlatPaletteEntry entries[256]) {
  if (!palette || !entries) return false;
  std::memcpy(entries, palette->entries, sizeof(palette->entries));
  return true;
}

const std::vector<PlatD3DStateChange>& plat_TestD3DStateLog(const PlatD3DDevice* device) {
  static const std::vector<PlatD3DStateChange> kEmpty;
  return device ? device->log : kEmpty;
}

void plat_TestD3DFailState(uint32_t state, int32_t count) { gFailStates[state] = count; }

void plat_TestD3DFailCreate(bool device, bool viewport, bool material) {
  gFailDevice = device;
  gFailViewport = viewport;
  gFailMaterial = material;
}

int32_t plat_TestD3DLiveObjects() { return gLive; }

void plat_TestD3DSetTextureFormats(const PlatPixelFormat* formats, int32_t count) {
  if (!formats) {
    gTextureFormats.assign(std::begin(kDefaultTextureFormats), std::end(kDefaultTextureFormats));
    return;
  }
  gTextureFormats.assign(formats, formats + (count > 0 ? count : 0));
}

void plat_TestD3DFailTextures(bool videoMemory, bool mipLevels, bool all) {
  gFailVideoTextures = videoMemory;
  gFailMipTextures = mipLevels;
  gFailAllTextures = all;
}
