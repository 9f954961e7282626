// Platform layer: display drivers, display modes and surfaces, and the presenter.
//
// This stands in for the system's full-screen display interface. There is no real mode switch: the
// display is a virtual 640x480 16-bit mode (565 by default, 555 when chosen) shown in the program's
// window, and surfaces are pitched memory buffers. A flip hands the new front buffer to the
// presenter, which shows it in the window (real back end) or keeps a copy (test back end).
//
// Numbers follow the display interface the engine was written against: surface capability bits,
// cooperative-level flags, pixel-format flags, and the hardware device description bits the
// engine's capability filter reads.
#pragma once
#include <cstdint>
#include <vector>

struct PlatGuid {
  uint8_t bytes[16];
};

// Pixel-format flags.
enum : uint32_t {
  kPlatPixelAlpha = 0x1,
  kPlatPixelPalette4 = 0x8,
  kPlatPixelPalette8 = 0x20,
  kPlatPixelRgb = 0x40,
  kPlatPixelZBuffer = 0x400,
};

struct PlatPixelFormat {
  uint32_t flags;
  int32_t bitCount;
  uint32_t redMask;    // for a z-buffer format: the depth mask
  uint32_t greenMask;
  uint32_t blueMask;
  uint32_t alphaMask;
};

struct PlatDisplayMode {
  int32_t width;
  int32_t height;
  PlatPixelFormat format;
};

// Hardware 3D device description, the fields a capability filter reads.
enum : uint32_t {
  kPlatColourModelRgb = 2,
  kPlatCompareLessEqual = 8,
  kPlatShadeAlphaGouraudBlend = 0x4000,
  kPlatTexturePerspective = 1,
  kPlatTextureAlpha = 4,
  kPlatRenderDepth16 = 0x400,
  kPlatTextureBlendModulate = 2,
  kPlatRasterFogVertex = 0x80,
  kPlatRasterZBufferlessHsr = 0x8000,
};

struct PlatDeviceDesc {
  uint32_t colourModel;
  uint32_t zCompareCaps;
  uint32_t alphaCompareCaps;
  uint32_t shadeCaps;
  uint32_t textureCaps;
  uint32_t renderDepths;
  uint32_t textureBlendCaps;
  uint32_t rasterCaps;
  uint32_t zBufferBitDepth;
};

constexpr int kPlatDriverModes = 4;
constexpr int kPlatDriverZFormats = 4;

// One display driver as the enumeration reports it.
struct PlatDisplayDriver {
  bool hasGuid;  // the primary display driver is listed without one
  PlatGuid guid;
  char description[256];
  char name[256];
  bool hasIdentifier;  // the device identifier text, when the driver gives one
  char identifier[512];
  bool newInterface;   // offers the newer display interface the engine requires
  bool has3D;          // offers a 3D interface
  bool hasHardwareDevice;
  PlatGuid deviceGuid;
  PlatDeviceDesc hardware;
  int32_t modeCount;
  PlatDisplayMode modes[kPlatDriverModes];
  int32_t zFormatCount;
  PlatPixelFormat zFormats[kPlatDriverZFormats];
};

// Surface capability bits.
enum : uint32_t {
  kPlatCapsBackBuffer = 0x4,
  kPlatCapsComplex = 0x8,
  kPlatCapsFlip = 0x10,
  kPlatCapsOffscreen = 0x40,
  kPlatCapsPrimary = 0x200,
  kPlatCapsSystemMemory = 0x800,
  kPlatCapsTexture = 0x1000,
  kPlatCaps3DDevice = 0x2000,
  kPlatCapsVideoMemory = 0x4000,
  kPlatCapsZBuffer = 0x20000,
};

// Cooperative-level flags.
enum : uint32_t {
  kPlatCoopFullscreen = 0x1,
  kPlatCoopAllowModeX = 0x40,
  kPlatCoopNormal = 0x8,
  kPlatCoopExclusive = 0x10,
};

// Results of the display calls.
enum : int32_t {
  kPlatDisplayOk = 0,
  kPlatDisplayFailed = -1,
  kPlatDisplaySurfaceBusy = static_cast<int32_t>(0x887601AEu),
  kPlatDisplaySurfaceLost = static_cast<int32_t>(0x887601C2u),
};

// A surface or screen rectangle by its edges: right and bottom lie just past it.
struct PlatEdgeRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// Drivers.
bool plat_DisplayLibraryLoaded();
int32_t plat_DisplayDriverCount();
const PlatDisplayDriver* plat_DisplayDriverAt(int32_t index);

// The display object of one driver (null guid: the primary display).
struct PlatDisplay;
PlatDisplay* plat_DisplayCreate(const PlatGuid* driver);
void plat_DisplayRelease(PlatDisplay* display);
const PlatDisplayDriver* plat_DisplayDriver(const PlatDisplay* display);
int32_t plat_DisplaySetCooperativeLevel(PlatDisplay* display, uint32_t flags);
int32_t plat_DisplaySetMode(PlatDisplay* display, int32_t width, int32_t height, int32_t bitCount);
int32_t plat_DisplayGetMode(const PlatDisplay* display, PlatDisplayMode* mode);
int32_t plat_DisplayRestoreMode(PlatDisplay* display);

// Surfaces: pitched memory. A primary surface created with back buffers is a flip chain.
struct PlatSurface;
PlatSurface* plat_SurfaceCreate(PlatDisplay* display, uint32_t caps, int32_t width, int32_t height,
                                const PlatPixelFormat* format, int32_t backBufferCount);
void plat_SurfaceRelease(PlatSurface* surface);
uint32_t plat_SurfaceCaps(const PlatSurface* surface);
void plat_SurfaceDescribe(const PlatSurface* surface, int32_t* width, int32_t* height, PlatPixelFormat* format);
PlatSurface* plat_SurfaceGetAttached(PlatSurface* surface, uint32_t caps);
int32_t plat_SurfaceAddAttached(PlatSurface* surface, PlatSurface* attached);
int32_t plat_SurfaceLock(PlatSurface* surface, void** pixels, int32_t* pitch);
int32_t plat_SurfaceUnlock(PlatSurface* surface);
// Copies the source rectangle (null: all of it) to x, y of the destination, clipped to both.
int32_t plat_SurfaceBltFast(PlatSurface* destination, int32_t x, int32_t y, PlatSurface* source, const PlatEdgeRect* rect);
// Fills a rectangle (null: all) with a raw pixel value.
int32_t plat_SurfaceFill(PlatSurface* surface, const PlatEdgeRect* rect, uint32_t value);
// Swaps front and back of a flip chain and presents the new front.
int32_t plat_SurfaceFlip(PlatSurface* primary);
bool plat_SurfaceIsLost(const PlatSurface* surface);
int32_t plat_SurfaceRestore(PlatSurface* surface);

// The presenter shows 16-bit frames. `format` gives the channel masks (565 or 555).
struct PlatFrame {
  int32_t width;
  int32_t height;
  PlatPixelFormat format;
  std::vector<uint16_t> pixels;  // width x height, rows top to bottom
};
void plat_Present(const void* pixels, int32_t width, int32_t height, int32_t pitch, const PlatPixelFormat* format);

// The 16-bit format of the virtual display mode: 565 (default) or 555.
void plat_DisplaySetVirtualGreenBits(int32_t greenBits);
