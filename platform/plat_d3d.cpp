#include "platform/plat_d3d.h"

#include "platform/plat_backend.h"
#include "platform/plat_d3d_draw.h"

#include <cstring>
#include <map>

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

namespace {

int32_t gLive = 0;
std::map<uint32_t, int32_t> gFailStates;
bool gFailDevice = false;
bool gFailViewport = false;
bool gFailMaterial = false;
uint32_t gNextHandle = 1;

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
  return new PlatD3DViewport{d3d, false, {}, nullptr, 0};
}

void plat_D3DViewportRelease(PlatD3DViewport* viewport) {
  if (!viewport) return;
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

// What the drawing reads of devices, viewports and materials.
namespace {
std::map<uint32_t, const PlatD3DMaterial*>& MaterialHandles() {
  static std::map<uint32_t, const PlatD3DMaterial*> handles;
  return handles;
}
}  // namespace

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
  if (material->handle) MaterialHandles().erase(material->handle);
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
