#include "game/program/top_level_run.h"

#include <algorithm>

#include "engine/core/colour_scale.h"
#include "engine/core/fatal.h"
#include "engine/core/frame_tick.h"
#include "engine/core/input.h"
#include "engine/core/timer.h"
#include "engine/core/world.h"
#include "engine/core/wre_types.h"
#include "engine/data/cdaudio.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/render/frame.h"
#include "engine/startup/engine.h"
#include "game/menus/menu_frame.h"
#include "game/menus/menu_shell.h"
#include "game/program/engine_dialogs.h"
#include "game/state/circuit_file.h"
#include "game/state/game_view.h"
#include "game/state/gate_record.h"
#include "game/state/menu_state.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/scores.h"
#include "game/state/settings.h"
#include "game/world/joystick.h"
#include "game/world/race_camera.h"
#include "game/world/texture_slots.h"
#include "game/world/watercraft.h"

namespace {

constexpr float kWorldCellSize = 51200.0f;
constexpr int32_t kWorldCells = 256;
constexpr float kWorldAmbientPercent = 60.0f;
constexpr float kCameraProjection = 512.0f;
constexpr int32_t kCameraFlags = 0x125;

float ColourComponent(float factor) { return std::clamp(factor * gColourMax, 0.0f, gColourMaxAlpha); }

}  // namespace

World* GameWorldCreate() {
  const Point4 origin{0.0f, 0.0f, 0.0f, 0.0f};
  const float white = ColourComponent(1.0f);
  const float ambient[4] = {white, white, white, white};
  return wre_WorldCreate(kWorldCellGrid, kWorldCellSize, kWorldCells, 0, kWorldCells, 0, &origin,
                         ambient, kWorldAmbientPercent, 0);
}

void GameWorldFree(World* world) {
  if (world) wre_WorldDispose(world);
}

int32_t GameEngineStartup(WindowRecord* window, int32_t rendererKind) {
  gRacerChainHead = nullptr;
  gRacerCount = 0;
  gStartGate = nullptr;
  gCircuitRace = 0;
  std::fill(std::begin(gCraftByIndex), std::end(gCraftByIndex), nullptr);

  if (wre_Init(rendererKind, 128, 128, 1, 2048, 10240, 8192, 4096, 4096, 1024, 10240) != 0)
    wre_SystemFatalError("Couldn't init wre");
  wre_SetDeviceSelectCallback(OutputDeviceSelect);
  gView = GameViewNew();
  if (!gView) wre_SystemFatalError("Couldn't allocate view components");
  gView->camera = GameCameraCreate(0, 0, window->width, window->height, kCameraProjection, kCameraFlags);
  if (!gView->camera) wre_SystemFatalError("Couldn't allocate camera");
  gView->world = GameWorldCreate();
  if (!gView->world) wre_SystemFatalError("Couldn't allocate world");
  wre_CameraSetWorld(gView->camera, gView->world);
  int32_t result = JoystickOpen(gView);
  if (result == 0) result = TextureSlotsAlloc();
  gFrameTick = gEngineTick;
  ScoresLoad();
  CircuitLoad();
  return result;
}

int32_t GameEngineShutdown() {
  CircuitClose();
  ScoresClose();
  PrefsSave();
  TextureSlotsFree();
  CdAudioClose();
  JoystickClose(gView);
  if (gView) {
    GameWorldFree(gView->world);
    GameCameraFree(gView->camera);
    GameViewDispose(gView);
    gView = nullptr;
  }
  return wre_Shutdown();
}

int32_t TopLevelRun(WindowRecord* window) {
  if (const int32_t loaded = PrefsLoad(); loaded != 0) return loaded;
  wre_InputFlush();
  wre_MessagePump();
  wre_InputPoll();
  wre_MessagePump();

  int32_t& kind = gSettings.rendererKind;
  const bool keep = kind != -1 && wre_RendererQueryAvailable(kind) && !wre_KeyIsDown(kKeyLeftAlt) &&
                    !wre_KeyIsDown(kKeyRightAlt);
  if (!keep) {
    kind = -1;
    const int32_t chosen = RenderingEngineSelect();
    if (chosen == -1) return -1;
    kind = chosen;
  }
  gMenuScreen = kScreenNone;
  gIntroPlayed = 0;

  if (GameEngineStartup(window, kind) != 0) wre_SystemFatalError("Failed to init 3D engine");
  if (MenuStateCreate() != 0) wre_SystemFatalError("Failed to init menus");
  const float black[4] = {0.0f, 0.0f, 0.0f, ColourComponent(1.0f)};
  wre_CameraClear(gView->camera, black);
  while (!gMenuQuit)
    if (MenuFrameRender() != 0) wre_SystemFatalError("Error in menu loop");
  MenuStateFree();
  return GameEngineShutdown();
}

void FatalErrorCallback(const char* message) {
  gSettings.rendererKind = -1;
  PrefsSaveLoaded();
  wre_FatalError(message);
}
