// A started engine on the test back ends, with the game's pool sizes, for the game's own records.
#pragma once
#include <gtest/gtest.h>

#include "engine/core/colour_scale.h"
#include "engine/core/memory.h"
#include "engine/startup/engine.h"
#include "platform/plat_backend.h"
#include "platform/plat_display.h"
#include "platform/test/plat_display.h"

class GameEngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
    wre_MemoryInit();
  }
  void TearDown() override {
    if (gEngineStarted) wre_Shutdown();
    wre_MemoryInit();
    gColourMax = gColourMaxAlpha = 255.0f;
    gColourToByte = 1.0f;
    plat_TestDisplayReset();
  }
  static int32_t Start(int32_t kind) {
    return wre_Init(kind, 128, 128, 1, 2048, 10240, 8192, 4096, 4096, 1024, 10240);
  }
};
