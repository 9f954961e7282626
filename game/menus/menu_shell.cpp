#include "game/menus/menu_shell.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "engine/core/fatal.h"
#include "engine/core/files.h"
#include "engine/core/input.h"
#include "engine/core/light.h"
#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/core/wre_types.h"
#include "engine/data/codex.h"
#include "engine/data/font.h"
#include "engine/data/material.h"
#include "engine/data/model.h"
#include "engine/data/sound.h"
#include "engine/data/texture.h"
#include "engine/data/texture_list.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/startup/system.h"
#include "game/menus/intro_sequences.h"
#include "game/menus/menu_layout.h"
#include "game/race/game_modes.h"
#include "game/state/circuit_record.h"
#include "game/state/game_view.h"
#include "game/state/menu_state.h"
#include "game/state/settings.h"
#include "game/world/game_materials.h"
#include "game/world/game_objects.h"
#include "game/world/game_sounds.h"
#include "game/world/rider.h"
#include "platform/plat_window.h"

namespace {

constexpr const char* kStartupFolder = "data:menu:m_startup";
constexpr const char* kTextureList = "texture.codx";
constexpr const char* kTextureListFatal = "Error at parse texture file";
constexpr const char* kBackdropModel = "background.c4d";
constexpr const char* kLogoModel = "logo01.c4d";
constexpr const char* kGlobeModel = "m_chooseglobe.c4d";
constexpr const char* kDisclaimerText = "disclaimer.txt";
constexpr const char* kCreditsText = "credits.txt";
constexpr const char* kJoystickPicture = "joytex.bmp";
constexpr const char* kCursorIdent = "vqz_CursorTexture";
constexpr const char* kOptionsIdent = "vqz_OptionsTextureIdent0";
constexpr const char* kMainMenuIdent = "vqz_MainMenuTextureIdent0";
constexpr const char* kPictureFiles[] = {"newgame_tl.bmp", "newgame_tr.bmp", "newgame_bl.bmp", "newgame_br.bmp"};

constexpr int32_t kFirstSelectedLevel = 2;
constexpr uint8_t kBlinkPhase = 0x01;
constexpr float kDisclaimerScroll = 470.0f;
constexpr float kCreditsScroll = 500.0f;
constexpr float kCreditsFontScale = 0.75f;
constexpr float kLightLevel = 60.0f;
constexpr float kAmbientLevel = 90.0f;
constexpr float kCameraZ = -500.0f;
constexpr float kFarClip = 50000.0f;
constexpr float kNearClip = 100.0f;
constexpr uint32_t kGlobePolyFlags = 16;
constexpr int32_t kPreviewRacerType = kGameObjectWatercraft;
constexpr float kPreviewX = 500.0f, kPreviewY = -100.0f, kPreviewZ = 1600.0f;
constexpr float kGlobeX = 140.0f, kGlobeY = 80.0f, kGlobeZ = 350.0f;
constexpr float kLogoX = -2300.0f, kLogoY = 2100.0f, kLogoZ = 5100.0f;
// A screen whose entry failed (a missing texture list, model or craft) is not tried again on
// every frame, which would read its files sixty times a second.
constexpr uint32_t kEnterRetryTicks = 60;

struct ScreenFolder {
  int32_t screen;
  const char* folder;
};

constexpr ScreenFolder kScreenFolders[] = {
    {kScreenDisclaimer, "data:menu:m_disclaimer"}, {kScreenCircuitRace, "data:menu:m_circuit"},
    {kScreenNewGame, "data:menu:m_newgame"},       {kScreenCircuit, "data:menu:m_circuit"},
    {kScreenPlayer, "data:menu:m_player"},         {kScreenControls, "data:menu:m_controls"},
    {kScreenOptions, "data:menu:m_options"},       {kScreenHighScores, "data:menu:m_highscores"},
    {kScreenCredits, "data:menu:m_credits"},       {kScreenQuit, "data:menu:m_quit"},
};

constexpr float kAmbientAsDefined = -1.0f;

struct MenuMaterialRow {
  int32_t MenuState::*field;
  const char* name;
  ColourFloat colour;
  float ambientPercent;  // kAmbientAsDefined keeps the definition's response
  const char* fatal;
};

constexpr MenuMaterialRow kMenuMaterials[] = {
    {&MenuState::trueWhiteMaterial, "mTrueWhiteMaterial", {1, 1, 1, 1}, kAmbientAsDefined,
     "Couldn't allocate menu mTrueWhiteMaterial"},
    {&MenuState::whiteMaterial, "gtheMenuWhiteMaterial", {1, 1, 1, 1}, 0.0f, "Couldn't allocate menu white material"},
    {&MenuState::backdropMaterial, "mBackdropMaterial", {1, 1, 1, 1}, 70.0f, "Couldn't allocate menu mBackdropMaterial"},
    {&MenuState::grayMaterial, "gtheMenuGrayMaterial", {0.5f, 0.5f, 0.5f, 1}, kAmbientAsDefined,
     "Couldn't allocate menu gray material"},
    {&MenuState::blackMaterial, "gtheMenuBlackMaterial", {0, 0, 0, 1}, 50.0f, "Couldn't allocate menu black material"},
};

struct MenuFontRow {
  Font* MenuState::*field;
  const char* file;
  const char* fatal;
};

constexpr MenuFontRow kMenuFonts[] = {
    {&MenuState::globeFont, "font_globe.codx", "Error at allocate globe font"},
    {&MenuState::typeFont, "font_type.codx", "Error at allocate type font"},
    {&MenuState::blueFont, "font_blue.codx", "Error at allocate blue font"},
    {&MenuState::levelFont, "font_level.codx", "Error at allocate level font"},
};

// The screen whose entry failed last and when; cleared by every successful entry.
struct EnterFailure {
  int32_t screen;
  uint32_t tick;
};
EnterFailure gEnterFailure = {kScreenNone, 0};

const char* FolderOf(int32_t screen) {
  for (const ScreenFolder& s : kScreenFolders)
    if (s.screen == screen) return s.folder;
  return nullptr;
}

void EnterScreenFolder() {
  if (const char* folder = FolderOf(gMenuScreen)) wre_FolderSet(folder);
}

DrawingContext* ContextOf(const ViewComponents* view) {
  return view && view->camera ? view->camera->context : nullptr;
}

int32_t TextureListRead(uint32_t mode, const ViewComponents* view) {
  wre_CodexSetMode(mode);
  return wre_CodexLoadTextures(kTextureList, 0, ContextOf(view));
}

void PumpHidden() {
  wre_MessagePump();
  wre_CursorHide();
  wre_MessagePump();
}

void PumpThreeAndFlush() {
  for (int i = 0; i < 3; ++i) wre_MessagePump();
  wre_InputFlush();
}

void TypeFontScale(MenuState* menu, float scale) {
  if (!menu->typeFont) return;
  wre_FontSetScale(menu->typeFont, scale, scale);
  int32_t width = 0, height = 0;
  wre_FontGetCharSize(menu->typeFont, &width, &height);
}

void TextFileRelease(MenuState* menu) {
  if (menu->textFile) wre_FileDispose(menu->textFile);
  menu->textFile = nullptr;
}

int32_t GlobeLoad(MenuState* menu, ViewComponents* view) {
  EngineObject*& globe = menu->pageObjects[0];
  const int32_t result = wre_ModelLoadIntoWorld(kGlobeModel, &globe, view->world, 0, 0, 0, 1, 0, 0, 1);
  if (result != 0) {
    if (globe) wre_ModelDispose(&globe, nullptr);
    return result;
  }
  wre_ObjectSetAllPolyFlags(globe, kGlobePolyFlags);
  wre_ObjectSetRenderFlags(globe, globe->renderFlags | kRenderStatic);
  wre_ObjectSetTransform(globe, 0, 0, 0, kGlobeX, kGlobeY, kGlobeZ);
  CourseNamesRead(menu->courseNames, menu->selectedLevel);
  return 0;
}

// The screen's own set-up after its texture list; 0 or the first error.
int32_t ScreenSetUp(MenuState* menu, ViewComponents* view) {
  switch (gMenuScreen) {
    case kScreenDisclaimer:
      menu->textScroll = kDisclaimerScroll;
      TypeFontScale(menu, 1.0f);
      menu->textFile = wre_FileLoad(kDisclaimerText, 0);
      return 0;
    case kScreenNewGame:
      return GlobeLoad(menu, view);
    case kScreenCircuit:
      menu->slotIndex = 0;
      if (gCircuit) std::snprintf(menu->typedText, sizeof(menu->typedText), "%s", gCircuit->slotName[0]);
      menu->blinkTick = gEngineTick;
      return 0;
    case kScreenPlayer: {
      menu->previewYaw = 0;
      const int32_t result = PreviewRacerBuild(view);
      if (result != 0) return result;
      menu->blinkTick = gEngineTick;
      menu->stateFlags |= kBlinkPhase;
      return 0;
    }
    case kScreenControls:
      menu->joystickTexture = wre_TextureFindByFile(kJoystickPicture);
      return 0;
    case kScreenCredits:
      menu->textScroll = kCreditsScroll;
      TypeFontScale(menu, kCreditsFontScale);
      menu->textFile = wre_FileLoad(kCreditsText, 0);
      return 0;
    default:
      return 0;
  }
}

void TabBoundsCompute(MenuState* menu) {
  MenuRect bounds;
  MenuTabRectGet(&bounds, kMenuTabHitOrder[0]);
  for (int32_t id : kMenuTabHitOrder) {
    MenuRect r;
    MenuTabRectGet(&r, id);
    if (r.left < bounds.left) bounds.left = r.left;
    if (r.top < bounds.top) bounds.top = r.top;
    if (r.right > bounds.right) bounds.right = r.right;
    if (r.bottom > bounds.bottom) bounds.bottom = r.bottom;
  }
  menu->tabBounds[0] = bounds.left;
  menu->tabBounds[1] = bounds.top;
  menu->tabBounds[2] = bounds.right;
  menu->tabBounds[3] = bounds.bottom;
}

void MenuMaterialsDefine(MenuState* menu) {
  constexpr ColourFloat kNone = {0, 0, 0, 0};
  for (const MenuMaterialRow& row : kMenuMaterials) {
    const int32_t index = MaterialDefineScaled(row.name, row.colour, kNone);
    if (index == -1) wre_SystemFatalError(row.fatal);
    menu->*row.field = index;
    if (row.ambientPercent != kAmbientAsDefined) wre_MaterialSetAmbientPercent(index, row.ambientPercent);
  }
}

void MenuTexturesFind(MenuState* menu) {
  menu->cursorTexture = wre_TextureFindByIdent(kCursorIdent);
  if (const Texture* cursor = menu->cursorTexture != -1 ? wre_TextureGet(menu->cursorTexture) : nullptr) {
    const float uv[4] = {0.0f, 0.0f, 255.0f, 255.0f};
    std::memcpy(menu->cursorUv, uv, sizeof(uv));
    const int32_t size[4] = {0, 0, cursor->width, cursor->height};
    std::memcpy(menu->cursorSize, size, sizeof(size));
  }
  menu->optionsTexture = wre_TextureFindByIdent(kOptionsIdent);
  menu->mainMenuTexture = wre_TextureFindByIdent(kMainMenuIdent);
  for (size_t i = 0; i < std::size(kPictureFiles); ++i) menu->pageTextures[i] = wre_TextureFindByFile(kPictureFiles[i]);
}

void SoundRelease(int16_t& slot) {
  if (slot != -1) wre_SoundFree(slot);
  slot = -1;
}

}  // namespace

int32_t MenuStateCreate() {
  PumpHidden();
  auto* menu = static_cast<MenuState*>(wre_MemoryNew(static_cast<int32_t>(sizeof(MenuState))));
  if (!menu) return kWreErrNoMemory;
  wre_MemoryClear(menu, static_cast<int32_t>(sizeof(MenuState)));
  gMenuState = menu;
  gMenuPendingScreen = kScreenNone;
  menu->selectedLevel = kFirstSelectedLevel;
  menu->cursorTexture = -1;
  menu->cursorUv[2] = menu->cursorUv[3] = 255.0f;
  menu->optionsTexture = menu->mainMenuTexture = menu->joystickTexture = -1;
  for (int32_t& texture : menu->pageTextures) texture = -1;
  for (const MenuMaterialRow& row : kMenuMaterials) menu->*row.field = -1;
  menu->blinkTick = gEngineTick;
  menu->changeSound = menu->flipSound = -1;
  gGameMode = kModeRally;
  TabBoundsCompute(menu);
  menu->idleTick = 0;
  if (gMenuScreen == kScreenNone) gMenuScreen = kScreenDisclaimer;
  gMenuQuit = 0;
  gEnterFailure = {kScreenNone, 0};
  if (gView && gView->camera)
    wre_CursorSetPos(static_cast<int32_t>(gView->camera->halfWidth), static_cast<int32_t>(gView->camera->halfHeight));
  MenuResourcesLoad();
  return 0;
}

void MenuStateFree() {
  MenuState* menu = gMenuState;
  if (!menu) return;
  MenuResourcesUnload();
  for (const MenuFontRow& row : kMenuFonts) menu->*row.field = nullptr;
  gMenuLoaded = 0;
  wre_MaterialReleaseAll();
  wre_TextureReleaseAll();
  wre_MemoryDispose(menu);
  gMenuState = nullptr;
}

void MenuResourcesLoad() {
  MenuState* menu = gMenuState;
  ViewComponents* view = gView;
  if (!menu || !view) return;
  Camera* camera = view->camera;
  gEnterFailure.screen = kScreenNone;  // back from a race, the screen is entered at once
  wre_CursorHide();
  if (!gIntroPlayed) {
    IntroSequencesRun(view);
    gIntroPlayed = 1;
  }
  if (!MaterialsCreate()) wre_SystemFatalError("Couldn't allocate materials");
  if (gMenuScreen == kScreenNone) gMenuScreen = kScreenDisclaimer;
  wre_FolderSet(kStartupFolder);
  MenuMaterialsDefine(menu);
  if (TextureListRead(kCodexModeLoad, view) != 0) wre_SystemFatalErrorFile(kTextureListFatal, wre_FileFailed());
  for (const MenuFontRow& row : kMenuFonts)
    if (wre_FontLoadDefinition(&(menu->*row.field), row.file, menu->whiteMaterial) != 0)
      wre_SystemFatalErrorInFolder(row.fatal, row.file);

  if (wre_ModelLoadIntoWorld(kBackdropModel, &menu->backgroundObject, view->world, 0, 1, 0, 1, 0, 1, 0) != 0)
    wre_SystemFatalErrorInFolder("Error at load water background", kBackdropModel);
  wre_ObjectSetAllPolyMaterialIndex(menu->backgroundObject, menu->backdropMaterial);
  if (wre_ModelLoadIntoWorld(kLogoModel, &menu->logoObject, view->world, 0, 1, 0, 1, 0, 1, 2) != 0)
    wre_SystemFatalErrorInFolder("Error at load menu logo object", kLogoModel);
  wre_ObjectSetTransform(menu->logoObject, 0, 0, 0, kLogoX, kLogoY, kLogoZ);
  if (gMenuScreen == kScreenDisclaimer) wre_ObjectSetCollidable(menu->logoObject, 0);

  const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  Transform direction;
  wre_TransformReset(&direction);
  wre_TransformSet(&direction, 0, 0, 0, 1.0f, 1.0f, -1.0f);
  menu->menuLight = wre_LightCreate(kLightDirectional, &direction, white, kLightLevel);
  if (menu->menuLight) wre_LightListAdd(menu->menuLight, view->world);
  PumpThreeAndFlush();

  wre_CameraResetTransform(camera);
  wre_CameraSetTransform(camera, 0, 0, 0, 0.0f, 0.0f, kCameraZ);
  menu->entered = 0;
  wre_SystemSetFlag(1);
  wre_CameraSetClip(camera, kFarClip, kNearClip);
  menu->stateFlags &= static_cast<uint8_t>(~kBlinkPhase);
  wre_WorldSetAmbient(view->world, white, kAmbientLevel);

  MenuTexturesFind(menu);
  menu->changeSound = menu->flipSound = -1;
  MenuSoundsLoad(menu);
  menu->idleTick = 0;
  PumpHidden();
  gMenuLoaded = 1;
}

void MenuResourcesUnload() {
  MenuState* menu = gMenuState;
  ViewComponents* view = gView;
  if (!menu || !view || !gMenuLoaded) return;
  MenuMusicStop();
  SoundRelease(menu->changeSound);
  SoundRelease(menu->flipSound);
  for (Font* MenuState::*field : {&MenuState::typeFont, &MenuState::globeFont, &MenuState::blueFont, &MenuState::levelFont}) {
    if (menu->*field) wre_FontDispose(menu->*field);
    menu->*field = nullptr;
  }
  MenuScreenLeave(view);
  wre_FolderSet(kStartupFolder);
  if (menu->logoObject) wre_ModelDispose(&menu->logoObject, view->world);
  if (menu->backgroundObject) wre_ModelDispose(&menu->backgroundObject, view->world);
  if (TextureListRead(kCodexModeUnload, view) != 0) wre_SystemFatalErrorFile(kTextureListFatal, wre_FileFailed());
  if (menu->menuLight) {
    wre_LightListRemove(menu->menuLight, view->world);
    wre_LightDispose(menu->menuLight);
    menu->menuLight = nullptr;
  }
  for (const MenuMaterialRow& row : kMenuMaterials) {
    wre_MaterialRelease(menu->*row.field);
    menu->*row.field = -1;
  }
  PumpThreeAndFlush();
  wre_SystemSetFlag(0);
  menu->entered = 0;
  menu->stateFlags &= static_cast<uint8_t>(~kBlinkPhase);
  MaterialsFree();
  wre_MaterialReleaseAll();
  gMenuLoaded = 0;
}

int32_t MenuScreenEnter(ViewComponents* view) {
  MenuState* menu = gMenuState;
  if (!menu || !view) return kWreErrNull;
  if (menu->entered) return 0;
  menu->screenTick = gEngineTick;
  EnterScreenFolder();
  int32_t result = TextureListRead(kCodexModeLoad, view);
  if (result == 0) result = ScreenSetUp(menu, view);
  if (result == 0) {
    menu->entered = 1;
    gEnterFailure.screen = kScreenNone;
  } else {
    // What the list loaded before the failure goes again, so a later entry does not load it twice.
    TextureListRead(kCodexModeUnload, view);
    gEnterFailure = {gMenuScreen, gEngineTick};
  }
  wre_InputFlush();
  if (const DrawingContext* context = ContextOf(view); context && context->kind == kRendererSoftware)
    wre_MaterialOpacityResetAll(view->world);
  return result;
}

int32_t MenuScreenLeave(ViewComponents* view) {
  MenuState* menu = gMenuState;
  if (!menu || !view) return kWreErrNull;
  if (!menu->entered) return 0;
  EnterScreenFolder();
  int32_t result = TextureListRead(kCodexModeUnload, view);
  if (result != 0) return result;
  switch (gMenuScreen) {
    case kScreenDisclaimer:
      TextFileRelease(menu);
      if (menu->logoObject) wre_ObjectSetCollidable(menu->logoObject, 1);
      break;
    case kScreenCredits:
      TextFileRelease(menu);
      break;
    case kScreenNewGame:
      if (menu->pageObjects[0]) result = wre_ModelDispose(&menu->pageObjects[0], view->world);
      break;
    case kScreenPlayer:
      PreviewRacerFree(view);
      break;
    default:
      break;
  }
  if (result == 0) menu->entered = 0;
  return result;
}

int32_t MenuScreenSwitch(ViewComponents* view, int32_t id, bool force) {
  if (id == gMenuScreen) return 0;
  if (!force && (id < kScreenNewGame || id > kScreenQuit)) return 0;
  const int32_t left = MenuScreenLeave(view);
  if (left != 0) return left;
  gMenuScreen = id;
  const int32_t result = MenuScreenEnter(view);
  if (result == 0 && gMenuState) wre_SoundPlay(gMenuState->changeSound, 0);
  return result;
}

int32_t MenuFrameUpdate(ViewComponents* view) {
  if (plat_QuitRequested()) gMenuQuit = 1;
  if (gMenuPendingScreen != kScreenNone) {
    MenuScreenSwitch(view, gMenuPendingScreen, false);
    gMenuPendingScreen = kScreenNone;
  }
  if (!gMenuLoaded) MenuResourcesLoad();
  MenuState* menu = gMenuState;
  if (!menu || menu->entered) return 0;
  if (gEnterFailure.screen == gMenuScreen && gEngineTick - gEnterFailure.tick < kEnterRetryTicks) return 0;
  return MenuScreenEnter(view);
}

int32_t PreviewRacerBuild(ViewComponents* view) {
  MenuState* menu = gMenuState;
  if (!menu) return kWreErrNull;
  PreviewRacerFree(view);
  const Settings& s = gSettings;
  GameObject* racer = GameObjectCreate(view, kPreviewRacerType, kControlHuman, s.playerModel, s.playerLivery,
                                       s.riderSex, s.riderTexture, 0);
  if (!racer) return -1;
  menu->previewRacer = racer;
  GameObjectPlace(racer, 0, menu->previewYaw, 0, kPreviewX, kPreviewY, kPreviewZ);
  GameObjectShow(racer, view);
  RiderUpdate(racer->craft, view);
  return 0;
}

void PreviewRacerFree(ViewComponents* view) {
  MenuState* menu = gMenuState;
  if (!menu || !menu->previewRacer) return;
  GameObjectHide(menu->previewRacer, view);
  GameObjectFree(menu->previewRacer, view);
  menu->previewRacer = nullptr;
}
