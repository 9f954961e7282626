#include "platform/plat_present.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/plat_bytes.h"
#include "platform/plat_internal.h"
#include "platform/plat_pixels.h"
#include "platform/test/plat_present.h"

namespace {

struct PresentOps {
  void (*show)(const uint32_t* screen);
};

std::vector<uint32_t>& Screen() {
  static std::vector<uint32_t> screen(static_cast<size_t>(kPlatScreenWidth) * kPlatScreenHeight, 0);
  return screen;
}

int32_t gPresentCount = 0;
PlatEdgeRect gLastRect{0, 0, 0, 0};

// The screen goes to the program's window through the display's presenter, as a 565 frame.
void RealShow(const uint32_t* screen) {
  static std::vector<uint16_t> frame(static_cast<size_t>(kPlatScreenWidth) * kPlatScreenHeight);
  for (size_t i = 0; i < frame.size(); ++i) {
    uint32_t rgb = screen[i];
    frame[i] = plat_Pack565(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
  }
  const PlatPixelFormat format{kPlatPixelRgb, 16, 0xf800, 0x07e0, 0x001f, 0};
  plat_Present(frame.data(), kPlatScreenWidth, kPlatScreenHeight, kPlatScreenWidth * 2, &format);
}
constexpr PresentOps kRealOps{RealShow};

void CaptureShow(const uint32_t*) {}
constexpr PresentOps kCaptureOps{CaptureShow};

const PresentOps* gOps = &kRealOps;

uint32_t ToRgb(const uint8_t* p, PlatImageFormat format) {
  switch (format) {
    case kPlatImageBgr24:
      return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
    case kPlatImage565: {
      uint32_t v = plat_Le16(p);
      uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
      return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
    }
    case kPlatImage555:
    default: {
      uint32_t v = plat_Le16(p);
      uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
      return (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
    }
  }
}

}  // namespace

void plat_PresentSelectBackend(PlatBackend backend) {
  gOps = backend == kPlatBackendTest ? &kCaptureOps : &kRealOps;
}

void plat_PresentScreenRect(PlatEdgeRect* rect) {
  if (rect) *rect = PlatEdgeRect{0, 0, kPlatScreenWidth, kPlatScreenHeight};
}

void plat_PresentImage(const void* pixels, int32_t width, int32_t height, int32_t rowBytes, PlatImageFormat format,
                       int32_t left, int32_t top) {
  if (!pixels || width <= 0 || height <= 0) return;
  const int32_t bytesPerPixel = format == kPlatImageBgr24 ? 3 : 2;
  if (rowBytes < width * bytesPerPixel) return;
  auto& screen = Screen();
  // Clip in 64 bits so far-off places cannot overflow.
  int64_t x0 = std::max<int64_t>(left, 0), y0 = std::max<int64_t>(top, 0);
  int64_t x1 = std::min<int64_t>(static_cast<int64_t>(left) + width, kPlatScreenWidth);
  int64_t y1 = std::min<int64_t>(static_cast<int64_t>(top) + height, kPlatScreenHeight);
  const auto* base = static_cast<const uint8_t*>(pixels);
  for (int64_t y = y0; y < y1; ++y) {
    const uint8_t* row = base + (y - top) * rowBytes;
    for (int64_t x = x0; x < x1; ++x) {
      screen[static_cast<size_t>(y * kPlatScreenWidth + x)] = ToRgb(row + (x - left) * bytesPerPixel, format);
    }
  }
  ++gPresentCount;
  gLastRect = PlatEdgeRect{left, top, static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(left) + width, INT32_MAX)),
                       static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(top) + height, INT32_MAX))};
  gOps->show(screen.data());
}

void plat_PresentClear() { std::fill(Screen().begin(), Screen().end(), 0u); }

void plat_TestPresentReset() {
  plat_PresentClear();
  gPresentCount = 0;
  gLastRect = PlatEdgeRect{0, 0, 0, 0};
}

int32_t plat_TestPresentImageCount() { return gPresentCount; }
PlatEdgeRect plat_TestPresentLastRect() { return gLastRect; }

uint32_t plat_TestPresentPixel(int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= kPlatScreenWidth || y >= kPlatScreenHeight) return 0;
  return Screen()[static_cast<size_t>(y) * kPlatScreenWidth + x];
}
