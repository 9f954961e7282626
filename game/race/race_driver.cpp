#include "game/race/race_driver.h"

#include <cmath>

#include "engine/core/fatal.h"
#include "engine/core/files.h"
#include "engine/core/input.h"
#include "engine/core/process.h"
#include "engine/core/timer.h"
#include "engine/core/world.h"
#include "engine/core/wre_types.h"
#include "engine/data/material.h"
#include "engine/data/sound.h"
#include "engine/data/texture.h"
#include "engine/render/camera.h"
#include "engine/render/polygon.h"
#include "game/race/game_modes.h"
#include "game/race/race_hud.h"
#include "game/race/race_processes.h"
#include "game/race/race_screens.h"
#include "game/state/prefs.h"
#include "game/state/race_state.h"
#include "game/state/scores.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/course_route.h"
#include "game/world/finish_order.h"
#include "game/world/game_materials.h"
#include "game/world/game_object.h"
#include "game/world/game_objects.h"
#include "game/world/game_sounds.h"
#include "game/world/interface_textures.h"
#include "game/world/level_load.h"
#include "game/world/player_control.h"
#include "game/world/race_camera.h"
#include "game/world/route_generate.h"
#include "game/world/texture_slots.h"
#include "game/world/water_surface.h"
#include "game/world/watercraft_build.h"
#include "platform/plat_window.h"

namespace {

// A generated route shows its progress as race frames over the course.
void RouteProgressFrame(ViewComponents* view) { RaceFrameRender(view, 0); }

constexpr const char* kObjectsFatal = "Couldn't allocate/setup objects";
constexpr float kNearClip = 500.0f;
constexpr long double kFarClipBase = 554400.0L;
constexpr long double kFarClipPerPercent = 0.01L * 1821600.0L;
constexpr float kSoundInnerDistance = 20000.0f;
constexpr float kSoundOuterShare = 0.2f;
constexpr uint8_t kCatchUpPasses = 12;
constexpr int32_t kPositionalSound = 1;

void Require(bool ok, const char* message) {
  if (!ok) wre_SystemFatalError(message);
}

// A step that reads data files: its failure ends the program with the message and, on the next
// line, the file it failed over (the message alone when the failure lies in no file).
template <typename Step>
void RequireLoaded(Step step, const char* message) {
  wre_FileFailedClear();
  if (step() != 0) wre_SystemFatalErrorFile(message, wre_FileFailed());
}

float FarClip(int32_t viewDistance) {
  return static_cast<float>(static_cast<long double>(viewDistance) * kFarClipPerPercent + kFarClipBase);
}

// The listener rides on the camera: its position copy and the camera's up, forward and right axes.
void ListenerAttach(ViewComponents* view) {
  const Transform& t = view->camera->transform;
  wre_SoundSetListenerPos(&view->cameraPosition);
  wre_SoundSetListenerVecA(&t.axisY);
  wre_SoundSetListenerVecB(&t.axisZ);
  wre_SoundSetListenerVecC(&t.axisX);
}

void ListenerDetach() {
  wre_SoundSetListenerPos(nullptr);
  wre_SoundSetListenerVecA(nullptr);
  wre_SoundSetListenerVecB(nullptr);
  wre_SoundSetListenerVecC(nullptr);
}

// Set-up up to the race-wide objects: everything a route needs and every later step builds on.
void SetUpWorld(ViewComponents* view) {
  Camera* camera = view->camera;
  MouseCursorCentre(view);
  TextureSlotsReset();
  wre_CameraSetClip(camera, FarClip(gSettings.viewDistance), kNearClip);
  Require(MaterialsCreate(), "Couldn't allocate materials");
  Require(WaterworksReset(view) == 0, "Unable to start waterworks");
  Require(wre_ProcessListInit() == 0, "Couldn't setup process list");
  Require(GameObjectListStart() == 0, "Error with init game objects");
  PickupSoundLoad();
  wre_SoundFlagsSet(kPositionalSound);
  ListenerAttach(view);
  wre_SoundSet3DDistances(kSoundInnerDistance, std::fabs(camera->farClip - camera->nearClip) * kSoundOuterShare);
  Require(InterfaceTexturesLoad(view), "Couldn't allocate textures");
  LoadingScreenShow(view);
  RequireLoaded([] { return HudFontsLoad(); }, "Error at define gameplay fonts");
  RequireLoaded([view] { return LevelLoad(view); }, "Failed to load selected level");
  Require(WaterworksStart(view, 0.0f, 0.0f, 1) == 0, "Error at compile waterworks");
  RequireLoaded([view] { return GameModeInit(view); }, "Failed to setup gameplay");
  wre_WorldGridRelinkAll(view->world);
}

// Set-up from the racers to the start of the race clock and the countdown.
void SetUpRace(ViewComponents* view) {
  if (RacersCreate(view) != 0) wre_SystemFatalErrorFile(kObjectsFatal, WatercraftFailedFile());
  if (wre_CameraRendererKind(view->camera) == kRendererSoftware) wre_MaterialOpacityResetAll(view->world);
  RaceSoundsLoad();
  gPaused = gQuitPrompt = 0;
  gPauseToggleTick = static_cast<int32_t>(gEngineTick);
  RaceCdMusicStart();
  RaceProcessesInstall(view);
  view->viewMode = kViewNone;
  RaceCameraCycleView(view);
  wre_TimerTick();
  gRaceStartTick = gEngineTick;
  if (!gDemoMode) CountdownStart();
}

void RaceLoop(ViewComponents* view) {
  while (!gRaceOver && !gQuitRequested) {
    wre_TimerTick();
    // Past the pass limit the fired processes are re-based on now: a slow frame is not caught up.
    Require(wre_ProcessListRun(kCatchUpPasses, 1) == 0, "Error at run process list");
    RaceFrameRender(view, 0);
    // A closed window ends the race as an answered quit prompt; the menus then wind down.
    if (plat_QuitRequested()) gQuitRequested = 1;
  }
}

void StandingTake(ViewComponents* view) {
  const Watercraft* craft = view->player ? view->player->craft : nullptr;
  RaceStandingGet(craft, &gPlayerPlace, &gPlayerTime);
  gPlayerScore = craft ? craft->score : 0;
}

// Teardown from the water on; the object list's close is the result.
int32_t TearDownWorld(ViewComponents* view) {
  Require(WaterworksExit(view) == 0, "Error at exit waterworks");
  RacersDestroy(view);
  const int32_t result = GameObjectListStop(view);
  Require(result == 0, "Error at exit object list");
  RaceSoundsFree();
  ListenerDetach();
  wre_SoundFlagsClear(kPositionalSound);
  HudFontsUnload();
  InterfaceTexturesUnload(view);
  GameModeExit(view);
  LevelUnload(view);
  wre_ProcessListExit(1);
  return result;
}

void ResultShow(ViewComponents* view) {
  if (ScoresInsertResult(gPlayerPlace, gPlayerTime, gPlayerScore)) {
    gHighScoreEntered = 1;
    // Saved at once, not only at shut-down, so a kill after a single race cannot lose the new
    // high score.
    ScoresSave();
  }
  wre_InputFlush();
  WinLoseScreenShow(view, gPlayerPlace, gPlayerTime);
}

// Nothing of the race outlives it: every material, texture, object and light goes.
void ReleaseAll(ViewComponents* view) {
  MaterialsFree();
  wre_MaterialReleaseAll();
  wre_TextureReleaseAll();
  wre_WorldDisposeObjects(view->world);
  wre_WorldDisposeLights(view->world);
  RaceCdMusicStop();
  TextureSlotsReset();
  wre_InputFlush();
}

}  // namespace

int32_t RaceRun(ViewComponents* view) {
  const bool opponents = gSettings.opponentCount != 0;
  // The last race's end flags would otherwise stand through this one's loading frames.
  gRaceFinished = gQuitRequested = gRaceOver = gHighScoreEntered = 0;
  SetUpWorld(view);

  // A failed route abandons the race, but the teardown still runs so the next race starts clean.
  int32_t routeResult = 0;
  if (opponents) {
    RaceActiveSet(0);
    gRouteProgressFrame = RouteProgressFrame;
    routeResult = RouteSetup(view);
    gRouteProgressFrame = nullptr;
    // Deliberate: a probe craft that cannot be built stops the program as the racers' build does,
    // rather than abandoning the race without a word: the cause is a damaged game file or memory.
    if (routeResult == kRouteErrNoProbe) wre_SystemFatalErrorFile(kObjectsFatal, WatercraftFailedFile());
    RaceActiveSet(1);
  }
  bool raced = false;
  if (routeResult == 0) {
    SetUpRace(view);
    RaceLoop(view);
    raced = true;
    if (opponents) StandingTake(view);
  }
  if (opponents) {
    const int32_t teardown = RouteTeardown();
    if (routeResult == 0) routeResult = teardown;
  }

  const int32_t result = TearDownWorld(view);
  if (raced && gRaceFinished && opponents) ResultShow(view);
  ReleaseAll(view);
  return routeResult != 0 ? routeResult : result;
}
