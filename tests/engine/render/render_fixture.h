// A headless renderer set-up for tests: the platform's test back end with its display stand-in,
// the memory layer, the maths tables and renderer settings for one kind.
#pragma once
#include <gtest/gtest.h>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/startup/hooks.h"
#include "platform/plat_backend.h"
#include "platform/plat_display.h"
#include "platform/test/plat_display.h"

class RenderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
    wre_MemoryInit();
    wre_EngineInstallHooks();
    wre_MathTablesInit();
    wre_RendererSettingsInit(4096, 4096);
    wre_ContextListInit();
    wre_SetDeviceSelectCallback(nullptr);
    UseKind(kRendererSoftware);
  }
  void TearDown() override {
    wre_ContextDisposeAll();
    wre_SetDeviceSelectCallback(nullptr);
    wre_MathTablesExit();
    plat_TestDisplayReset();
    plat_UseBackend(kPlatBackendReal);
  }
  static void UseKind(int32_t kind) {
    gRendererSettings.selectedKind = kind;
    gRendererSettings.available = 0x1f;
  }
  // A camera of the game's shape: 640x480 viewport and screen, field of view 1024, near 1.
  Camera* GameCamera(int32_t depth = 16, int32_t flags = 1) {
    WreRect view{0, 0, 640, 480};
    WreRect screen{0, 0, 640, 480};
    Transform placement{};
    wre_TransformReset(&placement);
    float background[4] = {10, 20, 30, 255};
    return wre_CameraNew(&view, depth, &placement, background, flags, 1.0f, 1000.0f, 320.0f, 1024, nullptr, 0,
                         nullptr, 0, 0, 0, 0, 0, 0, 0, &screen);
  }
};
