// Opens a real window through SDL (CTest runs it under SDL's offscreen driver).
#include <gtest/gtest.h>

#include "platform/plat_backend.h"
#include "platform/plat_dialog.h"

namespace {

int gPaints = 0;

bool PaintingProc(PlatDialog*, const PlatDialogMessage* message, void*) {
  if (message->kind != kPlatMsgPaint) return false;
  ++gPaints;
  plat_CanvasFillRect(message->canvas, PlatRect{0, 0, 40, 30}, plat_Rgb(0, 0, 255));
  return true;
}

constexpr PlatDialogTemplate kWindow{0x90C008D4u, 0, 0, 200, 100, "", "MS Sans Serif", 8, nullptr, 0};

TEST(PlatDialogSmoke, RealWindowOpensPaintsAndCloses) {
  plat_UseBackend(kPlatBackendReal);
  int sw = 0, sh = 0;
  plat_ScreenSize(&sw, &sh);
  if (sw <= 0 || sh <= 0) GTEST_SKIP() << "no SDL video driver here";

  PlatDialog* dialog = plat_DialogCreate(&kWindow, nullptr, PaintingProc, nullptr);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(plat_DialogVisible(dialog));
  PlatControl* button = plat_ControlCreate(dialog, kPlatControlButton, "Exit", 0x50000001u, 60, 40, 80, 26, 0);
  ASSERT_NE(button, nullptr);
  plat_DialogSetCaption(dialog, "Smoke");
  plat_DialogSetOuterRect(dialog, 10, 10, 306, 224);
  for (int i = 0; i < 5; ++i) plat_DialogProcessEvents(10);
  EXPECT_GE(gPaints, 1);
  const PlatCanvas* canvas = plat_DialogCanvas(dialog);
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(canvas->width, 300);
  EXPECT_EQ(canvas->height, 200);
  EXPECT_EQ(plat_CanvasPixel(canvas, 5, 5), plat_Rgb(0, 0, 255));
  EXPECT_EQ(plat_CanvasPixel(canvas, 60, 40), kPlatColourDarkShadow);
  EXPECT_EQ(plat_CanvasPixel(canvas, 200, 150), kPlatColourFace);

  plat_DialogShow(dialog, false);
  plat_DialogProcessEvents(0);
  EXPECT_FALSE(plat_DialogVisible(dialog));
  plat_DialogDestroy(dialog);
  EXPECT_EQ(plat_DialogCanvas(dialog), nullptr);
  plat_DialogShutdownAll();
}

}  // namespace
