// The engine started headless for the software renderer, with the race's camera and an object-list
// world in a ViewComponents, the working folder moved into a fresh temporary folder (the data
// folders are relative to it). Level files come from level_files.h.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/random.h"
#include "engine/core/world.h"
#include "engine/data/codex.h"
#include "engine/data/material.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/startup/engine.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/water_surface.h"
#include "platform/plat_backend.h"
#include "platform/plat_display.h"
#include "platform/test/plat_display.h"
#include "support/temp_dir.h"
#include "tests/game/world/level_files.h"

class WorldFixture : public ::testing::Test {
 public:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
    wre_MemoryInit();
    ASSERT_EQ(wre_Init(kRendererSoftware, 64, 64, 1, 2048, 10240, 8192, 4096, 4096, 1024, 10240), 0);
    // The world reader's flags as the system start-up leaves them: a level's unload leaves them
    // set to pass over every value.
    wre_CodexFlagsReset();
    const WreRect viewport{0, 0, 160, 120};
    const WreRect screen{0, 0, 640, 480};
    Transform placement{};
    wre_TransformReset(&placement);
    const float background[4] = {0, 0, 0, 255};
    view.camera = wre_CameraNew(&viewport, 16, &placement, background, 1, 500.0f, 600000.0f, 80.0f, 1024, nullptr,
                                0, nullptr, 0, 0, 0, 0, 0, 0, 0, &screen);
    ASSERT_NE(view.camera, nullptr);
    const Point4 origin{0, 0, 0, 0};
    const float ambient[4] = {255, 255, 255, 255};
    view.world = wre_WorldCreate(kWorldObjectList, 0.0f, 0, 0, 0, 0, &origin, ambient, 100.0f, 0);
    ASSERT_NE(view.world, nullptr);
    ASSERT_EQ(wre_CameraSetWorld(view.camera, view.world), 0);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    gSettings = Settings{};
    WaterworksReset(&view);
  }
  void TearDown() override {
    WaterworksExit(&view);
    if (view.world) {
      wre_WorldDisposeObjects(view.world);
      wre_WorldDisposeLights(view.world);
    }
    wre_TextureReleaseAll();
    if (view.camera) {
      wre_CameraSetWorld(view.camera, nullptr);
      wre_CameraDispose(view.camera, 1);
    }
    if (view.world) wre_WorldDispose(view.world);
    wre_FolderSet(nullptr);
    std::filesystem::current_path(previous_);
    wre_Shutdown();
    wre_MemoryInit();
    plat_TestDisplayReset();
    plat_UseBackend(kPlatBackendReal);
    gSettings = Settings{};
  }

  static int32_t TexturesInUse() {
    int32_t count = 0;
    for (int32_t i = 0; i < gTextureCount; ++i) count += wre_TextureInUse(i) ? 1 : 0;
    return count;
  }
  static int32_t MaterialsInUse() {
    int32_t count = 0;
    for (int32_t i = 0; i < gMaterialCount; ++i) count += gMaterialTable[i].inUse ? 1 : 0;
    return count;
  }

  ViewComponents view{};
  TempDir dir;

 private:
  std::filesystem::path previous_;
};
