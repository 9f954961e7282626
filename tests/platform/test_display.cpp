#include <gtest/gtest.h>

#include <cstring>

#include "platform/plat_backend.h"
#include "platform/plat_d3d.h"
#include "platform/plat_display.h"
#include "platform/plat_gl.h"
#include "platform/test/plat_d3d.h"
#include "platform/test/plat_display.h"

namespace {

class Display : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
  }
  void TearDown() override {
    plat_TestDisplayReset();
    plat_UseBackend(kPlatBackendReal);
  }
};

TEST_F(Display, TheVirtualModeIs565UnlessToldOtherwise) {
  PlatDisplay* display = plat_DisplayCreate(nullptr);
  ASSERT_NE(display, nullptr);
  ASSERT_EQ(plat_DisplaySetMode(display, 640, 480, 16), kPlatDisplayOk);
  PlatDisplayMode mode{};
  ASSERT_EQ(plat_DisplayGetMode(display, &mode), kPlatDisplayOk);
  EXPECT_EQ(mode.format.greenMask, 0x07e0u);
  plat_DisplayRelease(display);

  plat_DisplaySetVirtualGreenBits(5);
  display = plat_DisplayCreate(nullptr);
  plat_DisplaySetMode(display, 640, 480, 16);
  plat_DisplayGetMode(display, &mode);
  EXPECT_EQ(mode.format.redMask, 0x7c00u);
  EXPECT_EQ(mode.format.greenMask, 0x03e0u);
  EXPECT_EQ(plat_DisplaySetMode(display, 800, 600, 16), kPlatDisplayFailed);
  plat_DisplayRelease(display);
}

TEST_F(Display, DriversAreFoundByGuidAndThePrimaryByNone) {
  PlatDisplayDriver drivers[2] = {plat_TestDisplayDefaultDriver(), plat_TestDisplayDefaultDriver()};
  drivers[1].hasGuid = true;
  std::memset(drivers[1].guid.bytes, 7, 16);
  std::strcpy(drivers[1].description, "second");
  plat_TestDisplaySetDrivers(drivers, 2);
  PlatDisplay* second = plat_DisplayCreate(&drivers[1].guid);
  ASSERT_NE(second, nullptr);
  EXPECT_STREQ(plat_DisplayDriver(second)->description, "second");
  PlatGuid unknown{};
  unknown.bytes[0] = 1;
  EXPECT_EQ(plat_DisplayCreate(&unknown), nullptr);
  plat_DisplayRelease(second);
}

TEST_F(Display, OnlyAnExclusiveFullScreenModeCoversTheDesktop) {
  PlatDisplay* display = plat_DisplayCreate(nullptr);
  plat_DisplaySetCooperativeLevel(display, kPlatCoopNormal);
  ASSERT_EQ(plat_DisplaySetMode(display, 640, 480, 16), kPlatDisplayOk);
  EXPECT_FALSE(plat_TestDisplayFullScreen());
  plat_DisplaySetCooperativeLevel(display, kPlatCoopFullscreen | kPlatCoopExclusive);
  EXPECT_NE(plat_DisplaySetMode(display, 800, 600, 16), kPlatDisplayOk);
  EXPECT_FALSE(plat_TestDisplayFullScreen());
  ASSERT_EQ(plat_DisplaySetMode(display, 640, 480, 16), kPlatDisplayOk);
  EXPECT_TRUE(plat_TestDisplayFullScreen());
  plat_DisplayRestoreMode(display);
  EXPECT_FALSE(plat_TestDisplayFullScreen());
  plat_DisplayRelease(display);
}

TEST_F(Display, AFlippedFrameArrivesUnchangedAtThePresenter) {
  PlatDisplay* display = plat_DisplayCreate(nullptr);
  plat_DisplaySetMode(display, 640, 480, 16);
  PlatSurface* primary = plat_SurfaceCreate(display, kPlatCapsPrimary | kPlatCapsFlip | kPlatCapsComplex |
                                                         kPlatCapsVideoMemory, 0, 0, nullptr, 1);
  ASSERT_NE(primary, nullptr);
  PlatSurface* back = plat_SurfaceGetAttached(primary, kPlatCapsBackBuffer);
  ASSERT_NE(back, nullptr);
  void* pixels = nullptr;
  int32_t pitch = 0;
  ASSERT_EQ(plat_SurfaceLock(back, &pixels, &pitch), kPlatDisplayOk);
  ASSERT_GE(pitch, 1280);
  for (int y = 0; y < 480; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(pixels) + y * pitch);
    for (int x = 0; x < 640; ++x) row[x] = static_cast<uint16_t>((x * 31 / 639) << 11 | (y * 63 / 479) << 5 | ((x + y) & 31));
  }
  plat_SurfaceUnlock(back);
  ASSERT_EQ(plat_SurfaceFlip(primary), kPlatDisplayOk);
  PlatFrame frame;
  ASSERT_TRUE(plat_TestLastPresented(&frame));
  EXPECT_EQ(frame.width, 640);
  EXPECT_EQ(frame.height, 480);
  EXPECT_EQ(frame.format.greenMask, 0x07e0u);
  for (int y = 0; y < 480; y += 37) {
    for (int x = 0; x < 640; x += 41) {
      uint16_t expected = static_cast<uint16_t>((x * 31 / 639) << 11 | (y * 63 / 479) << 5 | ((x + y) & 31));
      ASSERT_EQ(frame.pixels[static_cast<size_t>(y) * 640 + x], expected) << x << "," << y;
    }
  }
  EXPECT_EQ(plat_TestPresentCount(), 1);
  plat_SurfaceRelease(back);  // a chain's back buffer goes with its primary
  plat_SurfaceRelease(primary);
  plat_DisplayRelease(display);
}

TEST_F(Display, AReleasedZBufferIsNoLongerAttachedInEitherOrder) {
  PlatDisplay* display = plat_DisplayCreate(nullptr);
  plat_DisplaySetMode(display, 640, 480, 16);
  const PlatPixelFormat depth{kPlatPixelZBuffer, 16, 0xffff, 0, 0, 0};
  PlatSurface* primary = plat_SurfaceCreate(display, kPlatCapsPrimary | kPlatCapsFlip | kPlatCapsComplex, 0, 0,
                                            nullptr, 1);
  PlatSurface* back = plat_SurfaceGetAttached(primary, kPlatCapsBackBuffer);
  PlatSurface* zbuffer = plat_SurfaceCreate(display, kPlatCapsZBuffer, 640, 480, &depth, 0);
  ASSERT_EQ(plat_SurfaceAddAttached(back, zbuffer), kPlatDisplayOk);
  ASSERT_EQ(plat_SurfaceGetAttached(back, kPlatCapsZBuffer), zbuffer);
  plat_SurfaceRelease(zbuffer);
  // A z-buffer made afterwards may take the released one's memory; it was never attached.
  zbuffer = plat_SurfaceCreate(display, kPlatCapsZBuffer, 640, 480, &depth, 0);
  EXPECT_EQ(plat_SurfaceGetAttached(back, kPlatCapsZBuffer), nullptr);

  // The chain going first leaves the z-buffer nothing to give back when it goes.
  ASSERT_EQ(plat_SurfaceAddAttached(back, zbuffer), kPlatDisplayOk);
  plat_SurfaceRelease(primary);
  plat_SurfaceRelease(zbuffer);
  plat_DisplayRelease(display);
}

TEST_F(Display, FastBlitsClipAndReportBusyAndLostSurfaces) {
  PlatDisplay* display = plat_DisplayCreate(nullptr);
  PlatPixelFormat format{kPlatPixelRgb, 16, 0x7c00, 0x3e0, 0x1f, 0};
  PlatSurface* src = plat_SurfaceCreate(display, kPlatCapsOffscreen, 4, 4, &format, 0);
  PlatSurface* dst = plat_SurfaceCreate(display, kPlatCapsOffscreen, 6, 3, &format, 0);
  plat_SurfaceFill(src, nullptr, 0x1234);
  plat_SurfaceFill(dst, nullptr, 0);
  ASSERT_EQ(plat_SurfaceBltFast(dst, 4, 1, src, nullptr), kPlatDisplayOk);
  void* pixels = nullptr;
  int32_t pitch = 0;
  plat_SurfaceLock(dst, &pixels, &pitch);
  auto at = [&](int x, int y) { return reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(pixels) + y * pitch)[x]; };
  EXPECT_EQ(at(3, 1), 0);
  EXPECT_EQ(at(4, 1), 0x1234);
  EXPECT_EQ(at(5, 2), 0x1234);
  EXPECT_EQ(at(4, 0), 0);
  plat_SurfaceUnlock(dst);

  plat_TestDisplaySetBusyBlits(1);
  EXPECT_EQ(plat_SurfaceBltFast(dst, 0, 0, src, nullptr), kPlatDisplaySurfaceBusy);
  EXPECT_EQ(plat_SurfaceBltFast(dst, 0, 0, src, nullptr), kPlatDisplayOk);
  plat_TestSurfaceSetLost(src, true);
  EXPECT_TRUE(plat_SurfaceIsLost(src));
  EXPECT_EQ(plat_SurfaceBltFast(dst, 0, 0, src, nullptr), kPlatDisplaySurfaceLost);
  EXPECT_EQ(plat_SurfaceLock(src, &pixels, &pitch), kPlatDisplaySurfaceLost);
  plat_SurfaceRestore(src);
  EXPECT_FALSE(plat_SurfaceIsLost(src));
  plat_SurfaceRelease(src);
  plat_SurfaceRelease(dst);
  plat_DisplayRelease(display);
}

TEST_F(Display, The3DDeviceKeepsAndLogsItsStates) {
  PlatDisplay* display = plat_DisplayCreate(nullptr);
  PlatD3D* d3d = plat_D3DCreate(display);
  ASSERT_NE(d3d, nullptr);
  PlatGuid deviceGuid{};
  PlatDeviceDesc hardware{};
  ASSERT_EQ(plat_D3DFindHardwareDevice(d3d, &deviceGuid, &hardware), 0);
  EXPECT_EQ(hardware.renderDepths & kPlatRenderDepth16, kPlatRenderDepth16);
  plat_DisplaySetMode(display, 640, 480, 16);
  PlatSurface* primary = plat_SurfaceCreate(display, kPlatCapsPrimary | kPlatCapsFlip | kPlatCaps3DDevice, 0, 0, nullptr, 1);
  PlatD3DDevice* device = plat_D3DCreateDevice(d3d, &deviceGuid, plat_SurfaceGetAttached(primary, kPlatCapsBackBuffer));
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(plat_D3DDeviceSetRenderState(device, kD3DStateZEnable, 1), 0);
  plat_TestD3DFailState(kD3DStateShadeMode, 1);
  EXPECT_EQ(plat_D3DDeviceSetRenderState(device, kD3DStateShadeMode, 2), -1);
  EXPECT_EQ(plat_D3DDeviceSetRenderState(device, kD3DStateShadeMode, 1), 0);
  ASSERT_EQ(plat_TestD3DStateLog(device).size(), 2u);
  EXPECT_EQ(plat_TestD3DStateLog(device)[1].value, 1u);
  EXPECT_EQ(plat_D3DDeviceGetRenderState(device, kD3DStateZEnable), 1u);

  PlatD3DMaterial* material = plat_D3DCreateMaterial(d3d);
  float diffuse[4] = {0.5f, 0.25f, 0, 1};
  EXPECT_EQ(plat_D3DMaterialSet(material, diffuse, 16), 0);
  uint32_t handle = 0;
  EXPECT_EQ(plat_D3DMaterialGetHandle(material, device, &handle), 0);
  EXPECT_NE(handle, 0u);
  plat_D3DMaterialRelease(material);
  plat_D3DDeviceRelease(device);
  plat_SurfaceRelease(primary);
  plat_D3DRelease(d3d);
  plat_DisplayRelease(display);
  EXPECT_EQ(plat_TestD3DLiveObjects(), 0);
}

TEST(GlContext, AContextDrawsAndReadsBackOnTheRealDriver) {
  if (!plat_GlAvailable()) GTEST_SKIP() << "no OpenGL on this machine";
  PlatGlPixelFormat request{0x3225, 16, 0, 0, 0, 0, 16, 0, 0};
  PlatGlPixelFormat described{};
  PlatGlContext* context = plat_GlContextCreate(&request, &described);
  ASSERT_NE(context, nullptr);
  EXPECT_GE(described.depthBits, 16);
  EXPECT_GE(described.greenBits, 5);
  const PlatGlFunctions* gl = plat_Gl();
  gl->Viewport(0, 0, 640, 480);
  gl->ClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  gl->Clear(kGlColorBufferBit);
  gl->Finish();
  uint8_t rgba[4] = {};
  gl->ReadPixels(10, 10, 1, 1, kGlRgba, kGlUnsignedByte, rgba);
  EXPECT_EQ(rgba[0], 255);
  EXPECT_EQ(rgba[1], 0);
  EXPECT_NE(gl->GetString(kGlExtensions), nullptr);
  plat_GlContextDelete(context);
}

}  // namespace
