// The front-end pages' scene, headless for the software renderer, from a data tree under the
// current folder: the engine with the game's 640 x 480 camera at the menu's clip planes and
// ambient light, the start-up sheets, pictures, fonts and materials in a menu state (gMenuState),
// and the backdrop and logo in the world. Shared by the page tests and the page benchmark.
#pragma once
#include <cstdint>

#include "engine/core/colour_scale.h"
#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/data/codex.h"
#include "engine/data/colour.h"
#include "engine/data/font.h"
#include "engine/data/material.h"
#include "engine/data/model.h"
#include "engine/data/texture.h"
#include "engine/data/texture_list.h"
#include "engine/render/camera.h"
#include "engine/render/frame.h"
#include "engine/startup/engine.h"
#include "game/menus/front_end_pages.h"
#include "game/menus/menu_draw.h"
#include "game/program/top_level_run.h"
#include "game/state/menu_state.h"
#include "game/state/view_components.h"
#include "game/world/race_camera.h"
#include "platform/plat_backend.h"
#include "platform/test/plat_display.h"

struct MenuPageScene {
  // Null when all is loaded, else what failed.
  const char* Open() {
    plat_UseBackend(kPlatBackendTest);
    plat_TestDisplayReset();
    wre_MemoryInit();
    if (wre_Init(kRendererSoftware, 128, 128, 1, 2048, 10240, 8192, 4096, 4096, 1024, 10240) != 0) return "engine";
    view.camera = GameCameraCreate(0, 0, 640, 480, 512.0f, 0x125);
    view.world = GameWorldCreate();
    if (!view.camera || !view.world) return "camera or world";
    wre_CameraSetClip(view.camera, 50000.0f, 100.0f);
    wre_CameraSetPlacement(view.camera, 0, 0, 0, 0.0f, 0.0f, -500.0f);
    wre_CameraSetWorld(view.camera, view.world);
    const float white[4] = {gColourMax, gColourMax, gColourMax, gColourMaxAlpha};
    wre_WorldSetAmbient(view.world, white, 90.0f);
    state = MenuState{};
    for (int32_t& t : state.pageTextures) t = -1;
    state.trueWhiteMaterial = Material("mTrueWhiteMaterial", false);
    state.whiteMaterial = Material("gtheMenuWhiteMaterial", true);
    wre_FolderSet("data:menu:m_startup");
    wre_CodexSetMode(0);
    if (wre_CodexLoadTextures("texture.codx", 0, view.camera->context) != 0) return "texture list";
    Font** fonts[4] = {&state.globeFont, &state.typeFont, &state.blueFont, &state.levelFont};
    const char* files[4] = {"font_globe.codx", "font_type.codx", "font_blue.codx", "font_level.codx"};
    for (int i = 0; i < 4; ++i)
      if (wre_FontLoadDefinition(fonts[i], files[i], state.whiteMaterial) != 0) return files[i];
    state.optionsTexture = wre_TextureFindByIdent("vqz_OptionsTextureIdent0");
    state.mainMenuTexture = wre_TextureFindByIdent("vqz_MainMenuTextureIdent0");
    state.cursorTexture = wre_TextureFindByIdent("vqz_CursorTexture");
    const char* quarters[4] = {"newgame_tl.bmp", "newgame_tr.bmp", "newgame_bl.bmp", "newgame_br.bmp"};
    for (int i = 0; i < 4; ++i) state.pageTextures[i] = wre_TextureFindByFile(quarters[i]);
    const Texture* cursor = wre_TextureGet(state.cursorTexture);
    if (!cursor) return "cursor";
    state.cursorUv[2] = state.cursorUv[3] = 255.0f;
    state.cursorSize[2] = cursor->width;
    state.cursorSize[3] = cursor->height;
    if (wre_ModelLoadIntoWorld("background.c4d", &state.backgroundObject, view.world, 0, 1, 0, 1, 0, 1, 0) != 0 ||
        wre_ModelLoadIntoWorld("logo01.c4d", &state.logoObject, view.world, 0, 1, 0, 1, 0, 1, 2) != 0)
      return "backdrop or logo";
    wre_ObjectSetTransform(state.logoObject, 0, 0, 0, -2300.0f, 2100.0f, 5100.0f);
    gMenuState = &state;
    gMenuPendingScreen = kScreenNone;
    return nullptr;
  }

  // The new-game page's globe, in pageObjects slot 0; null or what failed.
  const char* LoadGlobe() {
    wre_FolderSet("data:menu:m_newgame");
    if (wre_CodexLoadTextures("texture.codx", 0, view.camera->context) != 0) return "globe textures";
    if (wre_ModelLoadIntoWorld("m_chooseglobe.c4d", &state.pageObjects[0], view.world, 0, 0, 0, 1, 0, 0, 1) != 0)
      return "globe";
    wre_ObjectSetTransform(state.pageObjects[0], 0, 0, 0, 140.0f, 80.0f, 350.0f);
    return nullptr;
  }

  // One menu frame of the screen: the scene, the page and the tab column. The page's result, or
  // else the tab column's.
  int32_t Frame(int32_t screen) {
    gMenuScreen = screen;
    wre_FrameBegin(view.camera, 1);
    wre_CameraRender(view.camera);
    const int32_t page = FrontEndPageDraw(&view);
    const int32_t tabs = MenuTabColumnDraw(&view);
    wre_FrameFlush(view.camera);
    wre_FrameEnd(view.camera);
    return page != 0 ? page : tabs;
  }

  void Close() {
    gMenuState = nullptr;
    gMenuScreen = kScreenNone;
    gMenuPendingScreen = kScreenNone;
    wre_FolderSet(nullptr);
    wre_Shutdown();
    wre_MemoryInit();
    gColourMax = gColourMaxAlpha = 255.0f;
    gColourToByte = 1.0f;
    plat_TestDisplayReset();
    plat_UseBackend(kPlatBackendReal);
  }

  ViewComponents view{};
  MenuState state{};

 private:
  static int32_t Material(const char* name, bool noAmbient) {
    const int32_t index = wre_MaterialFindFree();
    const ColourFloat a{gColourMax, gColourMax, gColourMax, gColourMaxAlpha}, b{0, 0, 0, 0};
    wre_MaterialDefine(index, &a, &b, name);
    if (noAmbient) wre_MaterialSetAmbientPercent(index, 0);
    return index;
  }
};
