#include "platform/plat_display.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/plat_gl.h"
#include "platform/plat_internal.h"
#include "platform/plat_present.h"
#include "platform/plat_screen_fit.h"
#include "platform/test/plat_display.h"

struct PlatDisplay {
  PlatDisplayDriver driver;
  uint32_t cooperativeFlags;
  bool modeSet;
  PlatDisplayMode mode;
  bool fullScreen;  // the exclusive mode is shown as the desktop-sized window
};

struct PlatSurface {
  PlatDisplay* display;
  uint32_t caps;
  int32_t width;
  int32_t height;
  PlatPixelFormat format;
  int32_t pitch;
  std::vector<uint8_t> pixels;
  PlatSurface* back;        // the back buffer of a flip chain (owned by the primary)
  PlatSurface* chainOwner;  // for a back buffer: its primary
  PlatSurface* attached;    // a z-buffer attached to this surface (not owned)
  std::vector<PlatSurface*> attachedTo;  // the surfaces this one is attached to
  bool lost;
  int32_t lockCount;
};

namespace {

constexpr int32_t kVirtualWidth = 640;
constexpr int32_t kVirtualHeight = 480;

int32_t gVirtualGreenBits = 6;

PlatPixelFormat Format16(int32_t greenBits) {
  if (greenBits == 5) return PlatPixelFormat{kPlatPixelRgb, 16, 0x7c00, 0x03e0, 0x001f, 0};
  return PlatPixelFormat{kPlatPixelRgb, 16, 0xf800, 0x07e0, 0x001f, 0};
}

PlatDeviceDesc FullHardware() {
  return PlatDeviceDesc{kPlatColourModelRgb,
                        kPlatCompareLessEqual,
                        kPlatCompareLessEqual,
                        kPlatShadeAlphaGouraudBlend,
                        kPlatTexturePerspective | kPlatTextureAlpha,
                        kPlatRenderDepth16,
                        kPlatTextureBlendModulate,
                        kPlatRasterFogVertex,
                        16};
}

PlatDisplayDriver MakePrimaryDriver(bool hardware) {
  PlatDisplayDriver d{};
  d.hasGuid = false;
  std::snprintf(d.description, sizeof(d.description), "%s", "Primary Display Driver");
  std::snprintf(d.name, sizeof(d.name), "%s", "display");
  d.hasIdentifier = true;
  std::snprintf(d.identifier, sizeof(d.identifier), "%s", "Virtual 640x480 display");
  d.newInterface = true;
  d.has3D = hardware;
  d.hasHardwareDevice = hardware;
  for (int i = 0; i < 16; ++i) d.deviceGuid.bytes[i] = static_cast<uint8_t>(0xA0 + i);
  if (hardware) d.hardware = FullHardware();
  d.modeCount = 2;
  d.modes[0] = PlatDisplayMode{kVirtualWidth, kVirtualHeight, Format16(gVirtualGreenBits)};
  d.modes[1] = PlatDisplayMode{kVirtualWidth, kVirtualHeight,
                               PlatPixelFormat{kPlatPixelRgb, 32, 0xff0000, 0x00ff00, 0x0000ff, 0}};
  d.zFormatCount = 2;
  d.zFormats[0] = PlatPixelFormat{kPlatPixelZBuffer, 32, 0xffffffff, 0, 0, 0};
  d.zFormats[1] = PlatPixelFormat{kPlatPixelZBuffer, 16, 0xffff, 0, 0, 0};
  return d;
}

// What each back end answers about the machine's drivers.
struct DisplayOps {
  bool (*libraryLoaded)();
  int32_t (*driverCount)();
  const PlatDisplayDriver* (*driverAt)(int32_t);
  void (*present)(const PlatFrame&);
  // The exclusive full-screen mode: the program's window covers the desktop (its frames are
  // scaled to fit with their aspect kept) or goes back to its own size.
  void (*fullScreen)(bool on);
};

// Last presented frame: kept by both back ends, so a test can look at what a window would show.
PlatFrame gLastFrame;
int32_t gPresentCount = 0;

// Real back end: one driver for the program's window; its 3D device draws through OpenGL, so it
// is offered only where an OpenGL context can be made.
PlatDisplayDriver gRealDriver;
bool gRealDriverMade = false;

const PlatDisplayDriver* RealDriver() {
  if (!gRealDriverMade) {
    gRealDriver = MakePrimaryDriver(plat_GlAvailable());
    gRealDriverMade = true;
  }
  gRealDriver.modes[0].format = Format16(gVirtualGreenBits);
  return &gRealDriver;
}

bool RealLibraryLoaded() { return true; }
int32_t RealDriverCount() { return 1; }
const PlatDisplayDriver* RealDriverAt(int32_t index) { return index == 0 ? RealDriver() : nullptr; }

struct RealPresenter {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  uint32_t textureFormat = 0;
};
RealPresenter gPresenter;

void ReleaseRenderer() {
  if (gPresenter.texture) SDL_DestroyTexture(gPresenter.texture);
  if (gPresenter.renderer) SDL_DestroyRenderer(gPresenter.renderer);
  gPresenter.texture = nullptr;
  gPresenter.renderer = nullptr;
  gPresenter.textureFormat = 0;
}

void RealPresent(const PlatFrame& frame) {
  SDL_Window* window = static_cast<SDL_Window*>(plat_ProgramWindowNative());
  if (!window) return;
  if (window != gPresenter.window) {
    ReleaseRenderer();
    gPresenter.window = window;
  }
  if (!gPresenter.renderer) {
    gPresenter.renderer = SDL_CreateRenderer(window, -1, 0);
    if (!gPresenter.renderer) return;
  }
  uint32_t wanted = frame.format.greenMask == 0x03e0 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565;
  int tw = 0, th = 0;
  if (gPresenter.texture) SDL_QueryTexture(gPresenter.texture, nullptr, nullptr, &tw, &th);
  if (!gPresenter.texture || wanted != gPresenter.textureFormat || tw != frame.width || th != frame.height) {
    if (gPresenter.texture) SDL_DestroyTexture(gPresenter.texture);
    gPresenter.texture = SDL_CreateTexture(gPresenter.renderer, wanted, SDL_TEXTUREACCESS_STREAMING,
                                           frame.width, frame.height);
    gPresenter.textureFormat = wanted;
    if (!gPresenter.texture) return;
  }
  SDL_UpdateTexture(gPresenter.texture, nullptr, frame.pixels.data(), frame.width * 2);
  // Fitted to what the window is now (not to what was asked of it), through the fit the pointer's
  // positions take too.
  int outputWidth = 0, outputHeight = 0;
  SDL_GetRendererOutputSize(gPresenter.renderer, &outputWidth, &outputHeight);
  const PlatScreenFit fit = plat_ScreenFitIn(outputWidth, outputHeight);
  const SDL_Rect target{fit.left, fit.top, static_cast<int>(std::lround(kPlatScreenWidth * fit.scale)),
                        static_cast<int>(std::lround(kPlatScreenHeight * fit.scale))};
  SDL_SetRenderDrawColor(gPresenter.renderer, 0, 0, 0, 255);
  SDL_RenderClear(gPresenter.renderer);
  SDL_RenderCopy(gPresenter.renderer, gPresenter.texture, nullptr, &target);
  SDL_RenderPresent(gPresenter.renderer);
}

// A window manager makes the window cover the desktop when asked for full screen; a bare X server
// has none to do it and leaves the window as it was. So the window is first made to cover its
// display itself, and given back the virtual screen's size when full screen ends.
void RealFullScreen(bool on) {
  auto* window = static_cast<SDL_Window*>(plat_ProgramWindowNative());
  if (!window) return;
  const int display = std::max(0, SDL_GetWindowDisplayIndex(window));
  SDL_Rect bounds{0, 0, kPlatScreenWidth, kPlatScreenHeight};
  SDL_GetDisplayBounds(display, &bounds);
  if (on) {
    SDL_SetWindowPosition(window, bounds.x, bounds.y);
    SDL_SetWindowSize(window, bounds.w, bounds.h);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  } else {
    SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowSize(window, kPlatScreenWidth, kPlatScreenHeight);
    SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED_DISPLAY(display), SDL_WINDOWPOS_CENTERED_DISPLAY(display));
  }
}

constexpr DisplayOps kRealOps{RealLibraryLoaded, RealDriverCount, RealDriverAt, RealPresent,
                              RealFullScreen};

// Test back end: drivers set by the test.
struct TestDisplay {
  bool libraryLoaded = true;
  std::vector<PlatDisplayDriver> drivers;
  int32_t busyBlits = 0;
  int32_t failSurfaces = 0;
  bool fullScreen = false;
};
TestDisplay gTest;

bool TestLibraryLoaded() { return gTest.libraryLoaded; }
int32_t TestDriverCount() { return static_cast<int32_t>(gTest.drivers.size()); }
const PlatDisplayDriver* TestDriverAt(int32_t index) {
  if (index < 0 || index >= TestDriverCount()) return nullptr;
  return &gTest.drivers[static_cast<size_t>(index)];
}
void (*gTestPresentHook)(void*) = nullptr;
void* gTestPresentUser = nullptr;
void TestPresent(const PlatFrame&) {
  if (gTestPresentHook) gTestPresentHook(gTestPresentUser);
}
void TestFullScreen(bool on) { gTest.fullScreen = on; }

constexpr DisplayOps kTestOps{TestLibraryLoaded, TestDriverCount, TestDriverAt, TestPresent,
                              TestFullScreen};

const DisplayOps* gOps = &kRealOps;
bool gTestBackend = false;

int32_t BytesPerPixel(const PlatPixelFormat& format) { return (format.bitCount + 7) / 8; }

PlatSurface* NewSurface(PlatDisplay* display, uint32_t caps, int32_t width, int32_t height,
                        const PlatPixelFormat& format) {
  if (width < 1 || height < 1 || width > 16384 || height > 16384) return nullptr;
  if (gTestBackend && gTest.failSurfaces > 0) {
    --gTest.failSurfaces;
    return nullptr;
  }
  auto* surface = new PlatSurface{};
  surface->display = display;
  surface->caps = caps;
  surface->width = width;
  surface->height = height;
  surface->format = format;
  int32_t bpp = std::max(1, BytesPerPixel(format));
  surface->pitch = (width * bpp + 3) & ~3;
  surface->pixels.assign(static_cast<size_t>(surface->pitch) * static_cast<size_t>(height), 0);
  return surface;
}

void Detach(PlatSurface* surface) {
  if (!surface->attached) return;
  auto& holders = surface->attached->attachedTo;
  holders.erase(std::remove(holders.begin(), holders.end(), surface), holders.end());
  surface->attached = nullptr;
}

// Either side of an attachment may go first: neither keeps a pointer to the one that went.
void DeleteSurface(PlatSurface* surface) {
  if (!surface) return;
  Detach(surface);
  for (PlatSurface* holder : surface->attachedTo) holder->attached = nullptr;
  delete surface;
}

}  // namespace

void plat_DisplaySelectBackend(PlatBackend backend) {
  gTestBackend = backend == kPlatBackendTest;
  gOps = gTestBackend ? &kTestOps : &kRealOps;
  if (gTestBackend && gTest.drivers.empty()) plat_TestDisplayReset();
}

void plat_DisplayReleasePresenter() { ReleaseRenderer(); }

bool plat_DisplayLibraryLoaded() { return gOps->libraryLoaded(); }
int32_t plat_DisplayDriverCount() { return gOps->driverCount(); }
const PlatDisplayDriver* plat_DisplayDriverAt(int32_t index) { return gOps->driverAt(index); }

void plat_DisplaySetVirtualGreenBits(int32_t greenBits) {
  gVirtualGreenBits = greenBits == 5 ? 5 : 6;
  for (auto& driver : gTest.drivers) {
    for (int32_t m = 0; m < driver.modeCount; ++m) {
      if (driver.modes[m].format.bitCount == 16) driver.modes[m].format = Format16(gVirtualGreenBits);
    }
  }
}

PlatDisplay* plat_DisplayCreate(const PlatGuid* guid) {
  for (int32_t i = 0; i < plat_DisplayDriverCount(); ++i) {
    const PlatDisplayDriver* driver = plat_DisplayDriverAt(i);
    bool match = guid ? (driver->hasGuid && std::memcmp(driver->guid.bytes, guid->bytes, 16) == 0)
                      : !driver->hasGuid;
    if (!match) continue;
    auto* display = new PlatDisplay{};
    display->driver = *driver;
    return display;
  }
  return nullptr;
}

void plat_DisplayRelease(PlatDisplay* display) { delete display; }

const PlatDisplayDriver* plat_DisplayDriver(const PlatDisplay* display) {
  return display ? &display->driver : nullptr;
}

int32_t plat_DisplaySetCooperativeLevel(PlatDisplay* display, uint32_t flags) {
  if (!display) return kPlatDisplayFailed;
  display->cooperativeFlags = flags;
  return kPlatDisplayOk;
}

int32_t plat_DisplaySetMode(PlatDisplay* display, int32_t width, int32_t height, int32_t bitCount) {
  if (!display) return kPlatDisplayFailed;
  for (int32_t m = 0; m < display->driver.modeCount; ++m) {
    const PlatDisplayMode& mode = display->driver.modes[m];
    if (mode.width == width && mode.height == height && mode.format.bitCount == bitCount) {
      display->mode = mode;
      display->modeSet = true;
      const uint32_t exclusive = kPlatCoopFullscreen | kPlatCoopExclusive;
      if ((display->cooperativeFlags & exclusive) == exclusive && !display->fullScreen) {
        display->fullScreen = true;
        gOps->fullScreen(true);
      }
      return kPlatDisplayOk;
    }
  }
  return kPlatDisplayFailed;
}

int32_t plat_DisplayGetMode(const PlatDisplay* display, PlatDisplayMode* mode) {
  if (!display || !mode) return kPlatDisplayFailed;
  if (display->modeSet) {
    *mode = display->mode;
  } else if (display->driver.modeCount > 0) {
    *mode = display->driver.modes[0];
  } else {
    return kPlatDisplayFailed;
  }
  return kPlatDisplayOk;
}

int32_t plat_DisplayRestoreMode(PlatDisplay* display) {
  if (!display) return kPlatDisplayFailed;
  display->modeSet = false;
  if (display->fullScreen) {
    display->fullScreen = false;
    gOps->fullScreen(false);
  }
  return kPlatDisplayOk;
}

PlatSurface* plat_SurfaceCreate(PlatDisplay* display, uint32_t caps, int32_t width, int32_t height,
                                const PlatPixelFormat* format, int32_t backBufferCount) {
  PlatDisplayMode mode{};
  if (!format || (caps & kPlatCapsPrimary)) {
    if (plat_DisplayGetMode(display, &mode) != kPlatDisplayOk) return nullptr;
    if (caps & kPlatCapsPrimary) {
      width = mode.width;
      height = mode.height;
    }
  }
  PlatPixelFormat chosen = (format && !(caps & kPlatCapsPrimary)) ? *format : mode.format;
  PlatSurface* surface = NewSurface(display, caps, width, height, chosen);
  if (!surface) return nullptr;
  if (backBufferCount > 0) {
    // One back buffer is all a flip chain has here.
    uint32_t backCaps = (caps & ~(kPlatCapsPrimary | kPlatCapsFlip)) | kPlatCapsBackBuffer;
    PlatSurface* back = NewSurface(display, backCaps, width, height, chosen);
    if (!back) {
      delete surface;
      return nullptr;
    }
    back->chainOwner = surface;
    surface->back = back;
  }
  return surface;
}

void plat_SurfaceRelease(PlatSurface* surface) {
  // A chain's back buffer goes with its primary.
  if (!surface || surface->chainOwner) return;
  DeleteSurface(surface->back);
  DeleteSurface(surface);
}

uint32_t plat_SurfaceCaps(const PlatSurface* surface) { return surface ? surface->caps : 0; }

void plat_SurfaceDescribe(const PlatSurface* surface, int32_t* width, int32_t* height, PlatPixelFormat* format) {
  if (!surface) return;
  if (width) *width = surface->width;
  if (height) *height = surface->height;
  if (format) *format = surface->format;
}

PlatSurface* plat_SurfaceGetAttached(PlatSurface* surface, uint32_t caps) {
  if (!surface) return nullptr;
  if ((caps & kPlatCapsBackBuffer) && surface->back) return surface->back;
  if ((caps & kPlatCapsZBuffer) && surface->attached && (surface->attached->caps & kPlatCapsZBuffer)) {
    return surface->attached;
  }
  return nullptr;
}

int32_t plat_SurfaceAddAttached(PlatSurface* surface, PlatSurface* attached) {
  if (!surface || !attached || surface == attached) return kPlatDisplayFailed;
  Detach(surface);
  surface->attached = attached;
  attached->attachedTo.push_back(surface);
  return kPlatDisplayOk;
}

int32_t plat_SurfaceLock(PlatSurface* surface, void** pixels, int32_t* pitch) {
  if (!surface) return kPlatDisplayFailed;
  if (surface->lost) return kPlatDisplaySurfaceLost;
  ++surface->lockCount;
  if (pixels) *pixels = surface->pixels.data();
  if (pitch) *pitch = surface->pitch;
  return kPlatDisplayOk;
}

int32_t plat_SurfaceUnlock(PlatSurface* surface) {
  if (!surface || surface->lockCount < 1) return kPlatDisplayFailed;
  --surface->lockCount;
  return kPlatDisplayOk;
}

int32_t plat_SurfaceBltFast(PlatSurface* destination, int32_t x, int32_t y, PlatSurface* source, const PlatEdgeRect* rect) {
  if (!destination || !source) return kPlatDisplayFailed;
  if (destination->lost || source->lost) return kPlatDisplaySurfaceLost;
  if (gTestBackend && gTest.busyBlits > 0) {
    --gTest.busyBlits;
    return kPlatDisplaySurfaceBusy;
  }
  if (BytesPerPixel(destination->format) != BytesPerPixel(source->format)) return kPlatDisplayFailed;
  PlatEdgeRect r = rect ? *rect : PlatEdgeRect{0, 0, source->width, source->height};
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, source->width);
  r.bottom = std::min(r.bottom, source->height);
  if (x < 0) {
    r.left -= x;
    x = 0;
  }
  if (y < 0) {
    r.top -= y;
    y = 0;
  }
  r.right = std::min(r.right, r.left + destination->width - x);
  r.bottom = std::min(r.bottom, r.top + destination->height - y);
  if (r.right <= r.left || r.bottom <= r.top) return kPlatDisplayOk;
  int32_t bpp = BytesPerPixel(source->format);
  size_t rowBytes = static_cast<size_t>(r.right - r.left) * static_cast<size_t>(bpp);
  for (int32_t row = r.top; row < r.bottom; ++row) {
    const uint8_t* from = source->pixels.data() + static_cast<size_t>(row) * source->pitch + r.left * bpp;
    uint8_t* to = destination->pixels.data() + static_cast<size_t>(y + row - r.top) * destination->pitch + x * bpp;
    std::memmove(to, from, rowBytes);
  }
  return kPlatDisplayOk;
}

int32_t plat_SurfaceFill(PlatSurface* surface, const PlatEdgeRect* rect, uint32_t value) {
  if (!surface) return kPlatDisplayFailed;
  if (surface->lost) return kPlatDisplaySurfaceLost;
  PlatEdgeRect r = rect ? *rect : PlatEdgeRect{0, 0, surface->width, surface->height};
  r.left = std::max(r.left, 0);
  r.top = std::max(r.top, 0);
  r.right = std::min(r.right, surface->width);
  r.bottom = std::min(r.bottom, surface->height);
  int32_t bpp = BytesPerPixel(surface->format);
  for (int32_t row = r.top; row < r.bottom; ++row) {
    uint8_t* p = surface->pixels.data() + static_cast<size_t>(row) * surface->pitch + r.left * bpp;
    for (int32_t col = r.left; col < r.right; ++col, p += bpp) std::memcpy(p, &value, static_cast<size_t>(bpp));
  }
  return kPlatDisplayOk;
}

int32_t plat_SurfaceFlip(PlatSurface* primary) {
  if (!primary || !primary->back) return kPlatDisplayFailed;
  if (primary->lost || primary->back->lost) return kPlatDisplaySurfaceLost;
  std::swap(primary->pixels, primary->back->pixels);
  if (primary->format.bitCount == 16) {
    plat_Present(primary->pixels.data(), primary->width, primary->height, primary->pitch, &primary->format);
  }
  return kPlatDisplayOk;
}

bool plat_SurfaceIsLost(const PlatSurface* surface) { return surface && surface->lost; }

int32_t plat_SurfaceRestore(PlatSurface* surface) {
  if (!surface) return kPlatDisplayFailed;
  surface->lost = false;
  return kPlatDisplayOk;
}

void plat_Present(const void* pixels, int32_t width, int32_t height, int32_t pitch, const PlatPixelFormat* format) {
  if (!pixels || width < 1 || height < 1 || !format) return;
  gLastFrame.width = width;
  gLastFrame.height = height;
  gLastFrame.format = *format;
  gLastFrame.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int32_t row = 0; row < height; ++row) {
    std::memcpy(gLastFrame.pixels.data() + static_cast<size_t>(row) * width,
                static_cast<const uint8_t*>(pixels) + static_cast<size_t>(row) * pitch, static_cast<size_t>(width) * 2);
  }
  ++gPresentCount;
  gOps->present(gLastFrame);
}

void plat_TestDisplayReset() {
  gTest = TestDisplay{};
  gVirtualGreenBits = 6;
  gTest.drivers.push_back(MakePrimaryDriver(true));
  gLastFrame = PlatFrame{};
  gPresentCount = 0;
}

void plat_TestDisplaySetLibraryLoaded(bool loaded) { gTest.libraryLoaded = loaded; }

void plat_TestDisplaySetDrivers(const PlatDisplayDriver* drivers, int32_t count) {
  gTest.drivers.assign(drivers, drivers + std::max(count, 0));
}

PlatDisplayDriver plat_TestDisplayDefaultDriver() { return MakePrimaryDriver(true); }

void plat_TestSurfaceSetLost(PlatSurface* surface, bool lost) {
  if (surface) surface->lost = lost;
}

void plat_TestDisplaySetBusyBlits(int32_t count) { gTest.busyBlits = count; }
void plat_TestDisplayFailNextSurface(int32_t count) { gTest.failSurfaces = count; }
bool plat_TestDisplayFullScreen() { return gTest.fullScreen; }
int32_t plat_TestPresentCount() { return gPresentCount; }

void plat_TestSetPresentHook(void (*hook)(void* user), void* user) {
  gTestPresentHook = hook;
  gTestPresentUser = user;
}

bool plat_TestLastPresented(PlatFrame* frame) {
  if (!frame || gPresentCount == 0) return false;
  *frame = gLastFrame;
  return true;
}
