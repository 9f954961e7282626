// The presenter's capture back end: placing, clipping and the pixel formats.
#include <gtest/gtest.h>

#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_present.h"
#include "platform/test/plat_present.h"

namespace {

TEST(PresentTest, PlacesClipsAndConverts) {
  plat_UseBackend(kPlatBackendTest);
  plat_TestPresentReset();
  PlatEdgeRect screen{};
  plat_PresentScreenRect(&screen);
  EXPECT_EQ(screen.right, 640);
  EXPECT_EQ(screen.bottom, 480);

  // 2 x 2 BGR image, rows padded to 8 bytes.
  std::vector<uint8_t> bgr = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0};
  plat_PresentImage(bgr.data(), 2, 2, 8, kPlatImageBgr24, 10, 20);
  EXPECT_EQ(plat_TestPresentPixel(10, 20), 0x302010u);
  EXPECT_EQ(plat_TestPresentPixel(11, 20), 0x605040u);
  EXPECT_EQ(plat_TestPresentPixel(11, 21), 0x060504u);
  EXPECT_EQ(plat_TestPresentImageCount(), 1);

  // 555 and 565 whites and a pure red; half off the top-left corner.
  std::vector<uint16_t> p555 = {0x7FFF, 0x7C00, 0x7FFF, 0x7C00};
  plat_PresentImage(p555.data(), 2, 2, 4, kPlatImage555, -1, -1);
  EXPECT_EQ(plat_TestPresentPixel(0, 0), 0xFF0000u);
  std::vector<uint16_t> p565 = {0xF800, 0x07E0};
  plat_PresentImage(p565.data(), 2, 1, 4, kPlatImage565, 638, 479);
  EXPECT_EQ(plat_TestPresentPixel(638, 479), 0xFF0000u);
  EXPECT_EQ(plat_TestPresentPixel(639, 479), 0x00FF00u);
  // Far off the screen: nothing drawn, nothing broken.
  plat_PresentImage(p565.data(), 2, 1, 4, kPlatImage565, 2000000000, -2000000000);
  EXPECT_EQ(plat_TestPresentImageCount(), 4);
  EXPECT_EQ(plat_TestPresentPixel(-1, 0), 0u);
}

}  // namespace
