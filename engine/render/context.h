// Drawing contexts: the renderer state behind a camera (renderer kind, display mode, device and
// surfaces), the list of live contexts, the renderer settings with their availability bits, and
// the enumeration of display devices with the device-select callback.
#pragma once
#include <cstdint>

#include "engine/data/offscreen.h"
#include "platform/plat_d3d.h"
#include "platform/plat_display.h"
#include "platform/plat_gl.h"

struct Camera;

enum : int32_t {
  kContextErrNoDisplayLibrary = -4200,
};

// Creation flags.
enum : int32_t {
  kContextSmoothing = 0x40,       // OpenGL polygon and line smoothing
  kContextLinearFilter = 0x100,   // linear and mip-linear texture filtering on Direct3D
};

// DisplayBits.
enum : uint8_t {
  kDisplay565 = 0x01,
  kDisplay3dfx = 0x04,
};

// Renderer availability bits, one a kind.
enum RendererAvailable : uint8_t {
  kAvailableSoftware = 0x01,  // kind 100
  kAvailableNone = 0x02,      // kind 102
  kAvailableDirect3D = 0x04,  // kind 103
  kAvailableOpenGL = 0x08,    // kind 101
  kAvailable3dfx = 0x10,      // kind 104
};
// The availability bit of a renderer kind; 0 outside 100 to 104.
uint8_t wre_RendererAvailableBit(int32_t kind);

struct RendererSettings {
  int32_t startMark;     // 16 once wre_Init has run, 0 before
  int32_t unreadFirst;   // two values handed to the set-up (4096 each) and kept; nothing reads them
  int32_t unreadSecond;
  int32_t selectedKind;
  uint8_t available;  // RendererAvailable bits
};

extern RendererSettings gRendererSettings;

struct DrawingContext {
  int32_t flags;
  int32_t kind;
  int32_t valid;
  Camera* camera;
  WreRect view;
  WreRect display;
  int32_t depth;
  Offscreen* frame;  // the software renderer's frame
  uint8_t hardwareDevice;
  PlatDisplay* displayObject;
  PlatSurface* primary;
  PlatSurface* back;
  PlatSurface* zbuffer;
  PlatD3D* d3d;
  PlatD3DDevice* device;
  PlatD3DViewport* viewport;
  PlatDisplayMode displayMode;
  int32_t redShift, greenShift, blueShift;
  uint32_t redMask, greenMask, blueMask;
  int32_t redLost, greenLost, blueLost;
  PlatGuid driverGuid;
  PlatGuid deviceGuid;
  PlatGlPixelFormat pixelFormat;  // as described back for the chosen OpenGL format
  PlatGlContext* glContext;
  uint8_t displayBits;
};

constexpr int kDeviceListSlots = 32;
constexpr int kDeviceListLimit = 31;
constexpr int kDeviceTableLimit = 64;

struct DeviceList {
  int32_t count;
  char descriptions[kDeviceListSlots][256];
};

struct DeviceTableEntry {
  PlatDeviceDesc hardware;
  bool hasDriverGuid;
  PlatGuid driverGuid;
  PlatGuid deviceGuid;
};

struct DeviceTable {
  int32_t count;
  DeviceList* list;
  Camera* camera;
  DrawingContext* context;
  DeviceTableEntry entries[kDeviceTableLimit];
  uint8_t modeFound;
  PlatDeviceDesc chosenHardware;
  PlatDisplay* display;
};

// Returns the chosen index (0 .. count - 1), or -1 to cancel.
using DeviceSelectCallback = int32_t (*)(DeviceList* list);

int32_t wre_RendererSettingsInit(int32_t unreadFirst, int32_t unreadSecond);
int32_t wre_RendererIsAvailable(int32_t kind);
// The renderer kind the engine was started for.
int32_t wre_RendererSelectedKind();
int32_t wre_ContextListInit();
int32_t wre_SetDeviceSelectCallback(DeviceSelectCallback callback);

DrawingContext* wre_ContextNew(const WreRect* view, int32_t flags, Camera* camera, int32_t depth,
                               const WreRect* display);
void wre_ContextDispose(DrawingContext* context);
void wre_ContextDisposeAll();
int32_t wre_ContextRegister(DrawingContext* context);
void wre_ContextUnregister(DrawingContext* context);
int32_t wre_ContextCount();

int32_t wre_ContextSetFlags(DrawingContext* context, int32_t flags);
void wre_ContextSetRect(DrawingContext* context, const WreRect* view);
void wre_ContextSetDepth(DrawingContext* context, int32_t depth);
void wre_ContextSetKind(DrawingContext* context, int32_t kind);

DeviceList* wre_DeviceListNew();
void wre_DeviceListDispose(DeviceList* list);
int32_t wre_DeviceListAdd(DeviceList* list, const char* text);
int32_t wre_DeviceEnumerate(DeviceTable* table, DeviceList* list);
int32_t wre_DeviceEnumerateForMode(DeviceTable* table, DeviceList* list, Camera* camera, DrawingContext* context);
// True when the hardware description has everything the Direct3D back end draws with.
bool wre_DeviceCapsAcceptable(const PlatDeviceDesc* hardware);

int32_t wre_ContextSetupDDraw(Camera* camera, DrawingContext* context, int32_t depth, int32_t flags,
                              const WreRect* display, uint8_t direct3d, uint8_t forOpenGL);
int32_t wre_ZBufferFormatCallback(const PlatPixelFormat* format, void* destination);

bool wre_GLExtensionSupported(const char* name);
