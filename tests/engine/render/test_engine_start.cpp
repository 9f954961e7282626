#include <gtest/gtest.h>

#include "engine/core/collide.h"
#include "engine/core/colour_scale.h"
#include "engine/startup/engine.h"
#include "engine/core/frame_tick.h"
#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/data/font.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/context.h"
#include "engine/render/polygon.h"
#include "engine/render/pools.h"
#include "platform/plat_backend.h"
#include "platform/plat_display.h"
#include "platform/test/plat_display.h"
#include "tests/engine/core/object_test_support.h"

namespace {

using object_test::BlockWatch;

// The game's start: the kind, then 128, 128, 1, 2048, 10240, 8192, 4096, 4096, 1024, 10240.
int32_t GameInit(int32_t kind) { return wre_Init(kind, 128, 128, 1, 2048, 10240, 8192, 4096, 4096, 1024, 10240); }

class EngineStart : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
    wre_MemoryInit();
  }
  void TearDown() override {
    wre_MemorySetHeap(nullptr);
    if (gEngineStarted) wre_Shutdown();
    wre_MemoryInit();
    gColourMax = gColourMaxAlpha = 255.0f;
    gColourToByte = 1.0f;
    plat_TestDisplayReset();
    plat_UseBackend(kPlatBackendReal);
  }
};

TEST_F(EngineStart, TheGamesValuesSizeEveryPool) {
  ASSERT_EQ(GameInit(kRendererSoftware), 0);
  EXPECT_EQ(gEngineStarted, 1);
  EXPECT_EQ(gRendererSettings.startMark, 16);
  EXPECT_EQ(gRendererSettings.unreadFirst, 4096);
  EXPECT_EQ(gRendererSettings.selectedKind, kRendererSoftware);
  EXPECT_EQ(gMaterialCount, 128);
  EXPECT_EQ(gVisibleObjects.capacity, 2048);
  EXPECT_EQ(gVertexScratch.capacity, 10240);
  EXPECT_EQ(gPolyQueueCapacity, 8192);
  EXPECT_NE(gPolyQueueTranslucent.base, nullptr);
  EXPECT_NE(gPolyPointerList.entries, nullptr);
  EXPECT_EQ(gMathTablesBuilt, 1);
  EXPECT_EQ(gLightingDirty, 1);
  EXPECT_EQ(gFrameTick, 0u);
  EXPECT_FLOAT_EQ(gColourMax, 255.0f);
  EXPECT_FLOAT_EQ(gColourToByte, 1.0f);
  Font* font = nullptr;
  EXPECT_EQ(wre_FontNew(&font), 0);  // the fonts are up
  EXPECT_EQ(wre_CollideInit(1024, 10240), -1);  // the collision buffers are already up
  EXPECT_EQ(gTextureModuleStarted, 1);
  EXPECT_EQ(gTextureCount, 128);

  // A second start without a shut-down is refused and changes nothing.
  PolygonRecord* queue = gPolyQueueOpaque.base;
  gFrameTick = 77;
  EXPECT_EQ(wre_Init(kRendererSoftware, 1, 1, 1, 3, 3, 3, 1, 1, 1, 1), -1);
  EXPECT_EQ(gPolyQueueOpaque.base, queue);
  EXPECT_EQ(gPolyQueueCapacity, 8192);
  EXPECT_EQ(gFrameTick, 77u);

  EXPECT_EQ(wre_Shutdown(), 0);
  EXPECT_EQ(gEngineStarted, 0);
  EXPECT_EQ(gPolyQueueCapacity, 0);
  EXPECT_EQ(gVisibleObjects.entries, nullptr);
  EXPECT_EQ(gFrameTick, 0u);
  EXPECT_EQ(wre_CollideExit(), -1);  // already taken down
  EXPECT_EQ(gTextureModuleStarted, 0);
  EXPECT_EQ(wre_Shutdown(), -1);
}

TEST_F(EngineStart, ShutdownBeforeAnyStartIsRefused) { EXPECT_EQ(wre_Shutdown(), -1); }

TEST_F(EngineStart, StartAndShutdownCyclesLeaveNoBlockBehind) {
  BlockWatch watch;
  for (int cycle = 0; cycle < 3; ++cycle) {
    ASSERT_EQ(GameInit(kRendererDirect3D), 0) << cycle;
    Font* font = nullptr;
    ASSERT_EQ(wre_FontNew(&font), 0);  // freed by the shut-down
    ASSERT_EQ(wre_Shutdown(), 0);
  }
  EXPECT_EQ(watch.Left(), 0);
}

TEST_F(EngineStart, AFailedStartTakesDownWhatItHadSetUp) {
  // Refuse each allocation of a start in turn: every failure unwinds fully, and the next start works.
  for (int refuse = 1; refuse < 40; ++refuse) {
    int32_t result;
    {
      BlockWatch watch(refuse);
      result = GameInit(kRendererSoftware);
      if (result == 0) {
        EXPECT_EQ(wre_Shutdown(), 0);
        EXPECT_EQ(watch.Left(), 0);
        break;
      }
      EXPECT_EQ(result, -1) << refuse;
      EXPECT_EQ(gEngineStarted, 0);
      EXPECT_EQ(watch.Left(), 0) << refuse;
    }
    wre_MemoryInit();
    ASSERT_EQ(GameInit(kRendererSoftware), 0) << refuse;
    ASSERT_EQ(wre_Shutdown(), 0);
    wre_MemoryInit();
  }
}

TEST_F(EngineStart, TheProbeOffersSoftwareAlwaysAndDirect3DWithADriver) {
  EXPECT_EQ(wre_RendererQueryAvailable(kRendererSoftware), 0xFF);
  EXPECT_EQ(wre_RendererQueryAvailable(kRendererDirect3D), 0xFF);
  EXPECT_EQ(wre_RendererQueryAvailable(99), 0);
  EXPECT_EQ(wre_RendererQueryAvailable(105), 0);
  gRendererSettings.available |= 0x18;
  EXPECT_EQ(wre_RendererQueryAvailable(kRendererOpenGL), 0);  // nothing here offers OpenGL or 104
  EXPECT_EQ(wre_RendererQueryAvailable(kRenderer3dfx), 0);
  gRendererSettings.available |= 0x02;
  wre_RendererProbe();
  EXPECT_EQ(gRendererSettings.available & 0x02, 0x02);  // kind 102's bit is left alone
  plat_TestDisplaySetLibraryLoaded(false);  // no display driver to enumerate
  EXPECT_EQ(wre_RendererQueryAvailable(kRendererDirect3D), 0);
  EXPECT_EQ(wre_RendererQueryAvailable(kRendererSoftware), 0xFF);
  // Direct3D is then not started: nothing is set up and the colour scales stay usable.
  EXPECT_EQ(GameInit(kRendererDirect3D), -1);
  EXPECT_EQ(gEngineStarted, 0);
  EXPECT_EQ(gPolyQueueCapacity, 0);
  EXPECT_FLOAT_EQ(gColourMax, 255.0f);
}

TEST_F(EngineStart, ColourScalesFollowTheRendererKind) {
  ASSERT_EQ(GameInit(kRendererDirect3D), 0);
  EXPECT_FLOAT_EQ(gColourMax, 255.0f);
  EXPECT_FLOAT_EQ(gColourMaxAlpha, 255.0f);
  EXPECT_FLOAT_EQ(gColourToByte, 1.0f);
  ASSERT_EQ(wre_Shutdown(), 0);
  wre_MemoryInit();
  // OpenGL is never offered by the probe, so its start is refused; its scales are 1, 1, 255.
  EXPECT_EQ(GameInit(kRendererOpenGL), -1);
  for (int32_t kind : {kRendererOpenGL, kRendererNone}) {
    wre_ColourScalesForKind(kind);
    EXPECT_FLOAT_EQ(gColourMax, 1.0f);
    EXPECT_FLOAT_EQ(gColourMaxAlpha, 1.0f);
    EXPECT_FLOAT_EQ(gColourToByte, 255.0f);
  }
  for (int32_t kind : {kRendererSoftware, kRendererDirect3D, kRenderer3dfx}) {
    wre_ColourScalesForKind(kind);
    EXPECT_FLOAT_EQ(gColourMax, 255.0f);
    EXPECT_FLOAT_EQ(gColourToByte, 1.0f);
  }
}

}  // namespace
