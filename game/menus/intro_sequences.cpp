#include "game/menus/intro_sequences.h"
#include "game/menus/test/intro_sequences.h"

#include <algorithm>

#include "engine/core/files.h"
#include "engine/core/frame_tick.h"
#include "engine/core/input.h"
#include "engine/core/light.h"
#include "engine/core/maths.h"
#include "engine/core/object.h"
#include "engine/core/timer.h"
#include "engine/core/transform.h"
#include "engine/core/world.h"
#include "engine/core/wre_types.h"
#include "engine/data/codex.h"
#include "engine/data/material.h"
#include "engine/data/model.h"
#include "engine/data/sound.h"
#include "engine/data/texture.h"
#include "engine/data/texture_list.h"
#include "engine/data/video.h"
#include "engine/render/camera.h"
#include "engine/render/context.h"
#include "engine/render/frame.h"
#include "game/race/race_hud.h"
#include "game/race/screen_tiles.h"
#include "game/state/view_components.h"
#include "game/world/game_sounds.h"
#include "game/world/water_surface.h"
#include "platform/plat_window.h"

namespace {

bool gIntrosSkipped = false;  // the tests' hook

constexpr const char* kSoundContainer = ":data:sounds:qz_Sounds_PPC.rsrc";
constexpr const char* kTextureList = "texture.codx";
constexpr uint32_t kCodexLoad = 0;
constexpr int32_t kSoundFull = 10240;
constexpr int32_t kSceneKind = 202;

constexpr const char* kLogoFolder = "data:intro:quill";
constexpr const char* kLogoModel = "QLmascot.c4d";
constexpr const char* kLogoSound = "data/sounds/QL_Snd.wav";
constexpr int32_t kLogoSoundNumber = 200;
constexpr float kMascotZ = 1600.0f;
constexpr float kLightValue = 30000.0f;
constexpr uint32_t kLogoTicks = 480;
constexpr uint32_t kLogoPauseTicks = 30;

constexpr const char* kTitleFolder = "data:intro:hydrel";
constexpr const char* kTitleSky = "SkyDayN.c4d";
constexpr const char* kTitleLogo = "logo01.c4d";
constexpr const char* kTitleMusic = "data/sounds/Hydrel_Intro.wav";
constexpr int32_t kTitleMusicNumber = 201;
constexpr int32_t kTitleMusicVolume = 2048;
constexpr const char* kTitleIdents[kScreenTileCount] = {"tl", "tm", "tr", "bl", "bm", "br"};
constexpr float kSkyScalePercent = 50.0f;
constexpr uint32_t kSkyPolyFlags = 0x10;
constexpr uint32_t kTitleTicks = 1800;
constexpr float kAmbientFadeTicks = 450.0f;
constexpr float kWaterBoundsY = -2000.0f;

bool DrawsInSoftware(const ViewComponents* view) {
  return view->camera->context && view->camera->context->kind == kRendererSoftware;
}

// A scene runs on while its time lasts and nobody answered: a typed key, the mouse button, or the
// program's quit request.
struct SceneClock {
  uint32_t start = 0;
  uint32_t last = 0;
  uint32_t length = 0;
  KeyCode key = 0;

  explicit SceneClock(uint32_t ticks) : length(ticks) { start = last = wre_TimerTick(); }
  bool Running() const {
    return gEngineTick < start + length && !wre_MouseButtonState() && key == 0 && !plat_QuitRequested();
  }
  // Reads the clock, the window's messages and one typed key.
  void Poll() {
    wre_TimerTick();
    wre_MessagePump();
    key = wre_KeyBufferGet(0);
  }
  // The ticks since the last step when at least two have passed (the step is then taken), else 0.
  uint32_t Step() {
    if (last + 1 >= gEngineTick) return 0;
    const uint32_t dt = gEngineTick - last;
    last = gEngineTick;
    return dt;
  }
};

int32_t SoundStart(const char* path, int32_t number, int32_t volume) {
  const int32_t slot = wre_SoundLoadWav(kSoundContainer, path, kSoundResourceType, number, 0);
  if (slot < 0) return -1;
  wre_SoundSetVolume(slot, volume);
  wre_SoundPlay(slot, 0);
  return slot;
}

void SoundEnd(int32_t slot) {
  if (slot < 0) return;
  wre_SoundStop(slot);
  wre_SoundFree(slot);
}

// Everything a scene loads; Release puts the engine back as the scene found it, whatever had been
// loaded when the scene ended.
struct SceneResources {
  ViewComponents* view;
  bool folderPushed = false;
  int32_t sound = -1;
  EngineObject* model = nullptr;  // in the world
  EngineObject* sky = nullptr;    // attached to the camera
  Light* lights[2] = {nullptr, nullptr};

  explicit SceneResources(ViewComponents* v) : view(v) {}
  void EnterFolder(const char* folder) {
    wre_FolderPush();
    folderPushed = true;
    wre_FolderSet(folder);
  }
  void LeaveFolder() {
    if (folderPushed) wre_FolderPop();
    folderPushed = false;
  }
  void Release() {
    World* world = view->world;
    if (model) wre_ModelDispose(&model, world);
    model = nullptr;
    SoundEnd(sound);
    sound = -1;
    for (Light*& light : lights) {
      if (!light) continue;
      wre_LightListRemove(light, world);
      wre_LightDispose(light);
      light = nullptr;
    }
    if (sky) {
      wre_CameraRemoveObject(view->camera, sky);
      wre_ObjectDispose(sky);
      sky = nullptr;
    }
    wre_MaterialReleaseAll();
    wre_TextureReleaseAll();
    wre_WorldDisposeObjects(world);
    wre_WorldDisposeLights(world);
    LeaveFolder();
  }
};

int32_t TexturesLoad(const ViewComponents* view) {
  wre_CodexSetMode(kCodexLoad);
  return wre_CodexLoadTextures(kTextureList, 0, view->camera->context);
}

void ObjectPlace(EngineObject* object, float x, float y, float z) {
  const Transform& t = object->transform;
  wre_ObjectSetTransform(object, t.angleX, t.angleY, t.angleZ, x, y, z);
}

Light* PointLightAdd(float x, float y, float z, float red, float blue, World* world) {
  Transform transform;
  wre_TransformReset(&transform);
  wre_TransformSet(&transform, 0, 0, 0, x, y, z);
  float colour[4];
  wre_ColourSetUnit(colour, red, 0.0f, blue, 1.0f);
  Light* light = wre_LightCreate(kLightPoint, &transform, colour, kLightValue);
  if (light) wre_LightListAdd(light, world);
  return light;
}

// The light turned about the mascot by the angles of dt ticks.
void LightOrbit(Light* light, uint32_t dt) {
  const Transform& t = light->transform;
  const auto ticks = static_cast<float>(dt);
  Point4 p{t.position[0], t.position[1], t.position[2] - kMascotZ, 1.0f};
  wre_PointsRotate(static_cast<int32_t>(-6.0f * ticks), static_cast<int32_t>(-5.0f * ticks),
                   static_cast<int32_t>(20.0f * ticks), 1, &p, &p);
  wre_LightSetPosition(light, p.x, p.y, p.z + kMascotZ, t.angleX, t.angleY, t.angleZ);
}

int32_t VideoIntro(const char* folder, const char* file, ViewComponents* view) {
  wre_CameraClear(view->camera, nullptr);
  wre_FolderPush();
  wre_FolderSet(folder);
  const int32_t result = IntroVideoPlay(file, view);
  wre_FolderPop();
  wre_InputFlush();
  return result;
}

}  // namespace

int32_t IntroPublisherVideo(ViewComponents* view) { return VideoIntro("data:intro:ostrel", "ost8Xhi.avi", view); }

int32_t IntroCodeveloperVideo(ViewComponents* view) { return VideoIntro("data:intro:tarnwick", "Tarnwick.avi", view); }

int32_t IntroDeveloperLogo(ViewComponents* view) {
  World* world = view->world;
  SceneResources scene(view);
  wre_CameraClear(view->camera, nullptr);
  scene.sound = SoundStart(kLogoSound, kLogoSoundNumber, kSoundFull);
  scene.EnterFolder(kLogoFolder);
  int32_t result = TexturesLoad(view);
  if (result == 0) result = wre_ModelLoadIntoWorld(kLogoModel, &scene.model, world, 1, 1, 0, 1, 0, 1, 0);
  if (result != 0) {
    scene.Release();
    return result;
  }
  ObjectPlace(scene.model, 0.0f, 0.0f, kMascotZ);
  wre_ObjectSetAllPolyKinds(scene.model, kSceneKind);
  scene.lights[0] = PointLightAdd(100.0f, 700.0f, 1600.0f, 1.0f, 0.0f, world);
  scene.lights[1] = PointLightAdd(-600.0f, -200.0f, 1800.0f, 0.0f, 1.0f, world);
  if (DrawsInSoftware(view)) wre_MaterialOpacityResetAll(world);
  scene.LeaveFolder();

  for (SceneClock clock(kLogoTicks); clock.Running();) {
    clock.Poll();
    RaceFrameRender(view, 1);
    if (const uint32_t dt = clock.Step(); dt != 0) {
      wre_ObjectMove(scene.model, 0, static_cast<int32_t>(20.0f * static_cast<float>(dt)), 0, 0.0f, 0.0f, 0.0f);
      for (Light* light : scene.lights)
        if (light) LightOrbit(light, dt);
    }
  }
  const Transform& t = scene.model->transform;
  wre_ObjectSetTransform(scene.model, t.angleX, 0, t.angleZ, t.position[0], t.position[1], t.position[2]);
  RaceFrameRender(view, 1);
  scene.Release();

  const uint32_t pause = wre_TimerTick();
  while (wre_TimerTick() < pause + kLogoPauseTicks && !plat_QuitRequested()) wre_MessagePump();
  wre_InputFlush();
  return 0;
}

int32_t IntroTitleScene(ViewComponents* view) {
  World* world = view->world;
  Camera* camera = view->camera;
  SceneResources scene(view);
  wre_CameraClear(camera, nullptr);
  const float savedFraction = world->ambientLevel;
  const float savedLevel = savedFraction * 100.0f;
  const float fadeStep = savedLevel / kAmbientFadeTicks;
  float level = 0.0f;
  wre_WorldSetAmbientLevel(world, level);
  auto finish = [&](int32_t result) {
    if (gWaterGrid) WaterworksExit(view);
    scene.Release();
    // Set as it was, not as a percentage again, so that the level comes back unchanged.
    wre_WorldSetAmbientLevel(world, savedLevel);
    world->ambientLevel = savedFraction;
    wre_InputFlush();
    return result;
  };

  scene.EnterFolder(kTitleFolder);
  if (const int32_t loaded = TexturesLoad(view); loaded != 0) return finish(loaded);
  int32_t tiles[kScreenTileCount];
  for (int t = 0; t < kScreenTileCount; ++t) tiles[t] = wre_TextureFindByIdent(kTitleIdents[t]);
  const int32_t material = ScreenWhiteMaterialDefine(true);
  if (material < 0) return finish(0);

  if (const int32_t loaded = wre_ModelLoad(kTitleSky, &scene.sky, 1, 1, 0, 1, 0, 1, 0); loaded != 0)
    return finish(loaded);
  wre_ObjectSetVisible(scene.sky, 1);
  wre_ObjectScale(scene.sky, kSkyScalePercent);
  wre_ObjectSetAllPolyKinds(scene.sky, kSceneKind);
  wre_ObjectSetAllPolyFlags(scene.sky, kSkyPolyFlags);
  wre_CameraAddObject(camera, scene.sky);
  if (DrawsInSoftware(view)) {
    if (const int32_t loaded = wre_ModelLoadIntoWorld(kTitleLogo, &scene.model, world, 1, 1, 0, 1, 0, 1, 0);
        loaded != 0)
      return finish(loaded);
    ObjectPlace(scene.model, 0.0f, 1000.0f, 5000.0f);
    wre_ObjectSetAllPolyKinds(scene.model, kSceneKind);
  }

  WaterworksReset(view);
  gWaterBoundsMin[1] = gWaterBoundsMax[1] = kWaterBoundsY;
  WaterworksSetWaterMode(104);
  WaterworksSetWaveHeightMultiplier(350.0f);
  WaterworksSetWaveAngleAdd(10);
  WaterworksSetHeightToSpecularRatio(0.4f);
  WaterworksSetMinHeightToSpecularThresh(0.1f);
  WaterworksSetHeightToTextureUVRatio(0.1f, 0.1f);
  WaterworksStart(view, 11.0f, 2000.0f, 0);
  scene.sound = SoundStart(kTitleMusic, kTitleMusicNumber, kTitleMusicVolume);
  if (DrawsInSoftware(view)) wre_MaterialOpacityResetAll(world);

  for (SceneClock clock(kTitleTicks); clock.Running();) {
    clock.Poll();
    RenderStepCheck(wre_FrameBegin(camera, 1), "Error during render start");
    RenderStepCheck(wre_CameraRender(camera), "Error rendering camera");
    ScreenTilesSubmit(tiles, material, camera->nearClip + 0.1f, camera);
    RenderStepCheck(wre_FrameFlush(camera), "Error during render mid");
    RenderStepCheck(wre_FrameEnd(camera), "Error during render end");
    gFrameTick = gEngineTick;
    if (const uint32_t dt = clock.Step(); dt != 0) {
      level = std::min(level + static_cast<float>(dt) * fadeStep, savedLevel);
      wre_WorldSetAmbientLevel(world, level);
      for (uint32_t k = 0; k < dt; ++k) WaterworksUpdate(nullptr);
    }
  }
  return finish(0);
}

void IntroSequencesSetSkipped(bool skipped) { gIntrosSkipped = skipped; }

int32_t IntroSequencesRun(ViewComponents* view) {
  if (!view) return kWreErrNull;
  if (gIntrosSkipped) return 0;
  int32_t result = 0;
  for (auto intro : {IntroPublisherVideo, IntroDeveloperLogo, IntroCodeveloperVideo, IntroTitleScene}) {
    if (plat_QuitRequested()) break;
    result = intro(view);
    if (result != 0) break;
  }
  return result;
}
