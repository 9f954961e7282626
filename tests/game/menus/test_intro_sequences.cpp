// The intros run headless on the sample data tree, each cut short (the videos by a key the video
// player's test clock delivers, the scenes by a typed key), and what is left behind when one of
// them fails or the program is asked to quit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/core/files.h"
#include "engine/core/timer.h"
#include "engine/core/world.h"
#include "engine/data/texture.h"
#include "game/menus/menu_shell.h"
#include "game/menus/test/intro_sequences.h"
#include "game/state/game_view.h"
#include "game/world/water_surface.h"
#include "platform/plat_time.h"
#include "platform/test/plat_present.h"
#include "platform/test/plat_video.h"
#include "tests/game/harness/game_harness.h"
#include "tools/datagen/png_writer.h"

namespace {

enum Scene { kVideo, kLogo, kTitle };
constexpr uint32_t kVideoKeyMs = 700;  // a clip runs 2000

Scene SceneNow() { return gWaterGrid ? kTitle : gView->world->lights ? kLogo : kVideo; }

int TexturesInUse() {
  int count = 0;
  for (int32_t t = 0; t < gTextureCount; ++t) count += wre_TextureInUse(t);
  return count;
}

int Plays(const std::string& name) {
  int plays = 0;
  for (const auto& entry : GameHarness::SoundLog())
    plays += entry.event == "play" && entry.label.find(name) != std::string::npos;
  return plays;
}

// Written as PNG into the folder VH_CAPTURE_DIR names, when it is set, for looking at.
void KeepCapture(const PlatFrame& frame, const std::string& name) {
  const char* folder = std::getenv("VH_CAPTURE_DIR");
  if (!folder) return;
  std::vector<uint8_t> rgb;
  for (uint16_t p : frame.pixels)
    for (uint32_t c : {(p >> 11 & 31) * 255 / 31, (p >> 5 & 63) * 255 / 63, (p & 31) * 255 / 31})
      rgb.push_back(static_cast<uint8_t>(c));
  const std::vector<uint8_t> png = PngWriteRgb(frame.width, frame.height, rgb.data());
  std::ofstream(std::string(folder) + "/" + name + ".png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

// Runs the intros at the first menu frame; onFrame sees each frame they draw with its scene and
// its number within that scene.
struct IntroRun {
  GameHarness harness;
  int32_t result = 1;
  uint32_t elapsedMs = 0;
  int32_t videoImages = 0;
  uint32_t videoCentre = 0;  // of the last video image shown
  bool leftAsFound = false;

  void Run(const std::function<void(Scene, int)>& onFrame) {
    harness.SeedSettings(kRendererSoftware);
    Scene last = kVideo;
    int inScene = 0;
    bool running = true;
    std::function<void()> watch = [&] {
      if (!running) return;
      const Scene scene = SceneNow();
      inScene = scene == last ? inScene + 1 : 1;
      last = scene;
      onFrame(scene, inScene);
      harness.AtFrame(harness.Frames() + 1, watch);
    };
    harness.AtFrame(1, [&] {
      // The intros come before the menus' own resources, as at the program's start.
      MenuResourcesUnload();
      const float ambient = gView->world->ambientLevel;
      const std::string folder = gCurrentFolder;
      const int textures = TexturesInUse();
      const int32_t images = plat_TestPresentImageCount();
      const uint32_t start = plat_GetTickCount();
      plat_TestVideoScriptKey(start + kVideoKeyMs);
      harness.AtFrame(2, watch);
      IntroSequencesSetSkipped(false);
      result = IntroSequencesRun(gView);
      running = false;
      elapsedMs = plat_GetTickCount() - start;
      videoImages = plat_TestPresentImageCount() - images;
      videoCentre = plat_TestPresentPixel(320, 240);
      const World* world = gView->world;
      leftAsFound = world->ambientLevel == ambient && folder == gCurrentFolder && TexturesInUse() == textures &&
                    !world->objects && !world->lights && !gWaterGrid;
      MenuResourcesLoad();
      GameHarness::RequestQuit();
    });
    ASSERT_EQ(harness.Run(), 0);
  }
};

TEST(IntroSequences, TheFourIntrosRunInOrderEachCutShortByAKey) {
  IntroRun run;
  std::vector<Scene> order;
  std::map<Scene, PlatFrame> captures;
  run.Run([&](Scene scene, int inScene) {
    if (inScene == 2) order.push_back(scene);  // a scene's first frame may be the last of the one before
    // The mascot turned a little; the title with its light faded up.
    if ((scene == kLogo && inScene == 30) || (scene == kTitle && inScene == 460)) {
      run.harness.Captured(&captures[scene]);
      GameHarness::TypeText("x");
      if (scene == kLogo) plat_TestVideoScriptKey(plat_GetTickCount() + 500 + kVideoKeyMs);  // after the pause
    }
  });
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(order, (std::vector<Scene>{kLogo, kVideo, kTitle}));
  EXPECT_EQ(Plays("QL_Snd"), 1);
  EXPECT_EQ(Plays("Hydrel_Intro"), 1);
  EXPECT_LT(run.elapsedMs, 12000u);  // uncut: 2 + 8 + 2 + 30 seconds
  EXPECT_GT(run.videoImages, 2);
  EXPECT_LT(run.videoImages, 2 * 20);  // each clip has twenty
  EXPECT_NE(run.videoCentre, 0u);
  EXPECT_TRUE(run.leftAsFound);

  const char* const names[] = {"", "intro_logo", "intro_title"};
  for (const auto& [scene, frame] : captures) {
    KeepCapture(frame, names[scene]);
    EXPECT_GT(frame.pixels.size() - std::count(frame.pixels.begin(), frame.pixels.end(), 0), 2000u) << names[scene];
  }
  // The tiles cover the live scene: the band behind "PRESS ANY KEY" is their dark blue, lit by the
  // world's light like the scene under it.
  const uint16_t band = captures[kTitle].pixels[440 * 640 + 8];
  EXPECT_TRUE(band >> 11 == 0 && (band & 31) > 0 && (band & 31) < 8) << band;
  // Above the title stands the sky, inside the camera's far clip, not the black the frame is cleared to.
  EXPECT_NE(captures[kTitle].pixels[8 * 640 + 320], 0u);
}

// Uncut, the logo scene stops at 480 ticks with the mascot's turn undone on its last frame, nothing
// is drawn for 30 ticks after it, and the title scene stops at 1800 ticks.
TEST(IntroSequences, UncutScenesStopAtTheirLimitsAndTheLogoPausesAfterItsReset) {
  IntroRun run;
  run.harness.TicksPerFrame(20);
  std::map<Scene, std::pair<uint32_t, uint32_t>> span;  // first and last frame tick of each scene
  bool afterLogo = false;
  int32_t turned = 0;
  Scene previous = kVideo;
  // Every frame as it is shown (the scene callbacks below come at the next pump, when the logo's
  // last frame has already let its mascot go).
  struct Shown {
    uint32_t tick;
    bool lit;  // a lit world with objects: the logo scene, or the title scene's 3D logo
    int32_t angle;
  };
  std::vector<Shown> shown;
  run.harness.EachFrame([&](int) {
    const World* world = gView ? gView->world : nullptr;
    const bool lit = world && world->lights && world->objects;
    shown.push_back({gEngineTick, lit, lit ? world->objects->transform.angleY : 0});
  });
  run.Run([&](Scene scene, int inScene) {
    auto& [first, last] = span[scene];
    if (inScene == 1 && (scene != kVideo || !afterLogo)) first = gEngineTick;
    last = gEngineTick;
    if (previous == kLogo && scene != kLogo) afterLogo = true;
    previous = scene;
  });
  EXPECT_EQ(run.result, 0);
  // A scene's first frame comes a frame after it began and its last a frame after the limit.
  const uint32_t logo = span[kLogo].second - span[kLogo].first, title = span[kTitle].second - span[kTitle].first;
  EXPECT_GE(logo, 480u - 2 * 20);
  EXPECT_LE(logo, 480u + 20);
  EXPECT_GE(title, 1800u - 2 * 20);
  EXPECT_LE(title, 1800u + 20);
  // The logo's frames as shown: the last with the mascot turned back, then 30 ticks with none.
  size_t lastLogo = 0;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i].lit && shown[i].tick <= span[kLogo].second) {
      lastLogo = i;
      turned = std::max(turned, shown[i].angle);
    }
  }
  ASSERT_LT(lastLogo + 1, shown.size());
  EXPECT_GT(turned, 0);
  EXPECT_EQ(shown[lastLogo].angle, 0);
  // On top of the pause come about 40 ticks: the clock a shown frame moves on (20 here) and the
  // video's own start.
  EXPECT_GE(shown[lastLogo + 1].tick - shown[lastLogo].tick, 35u + 30u);
}

TEST(IntroSequences, AFailingIntroOrAQuitRequestEndsTheSequenceLeavingNothingBehind) {
  {  // no publisher video: nothing after it runs
    IntroRun run;
    std::filesystem::remove(run.harness.Root() / "data/intro/ostrel/ost8Xhi.avi");
    run.Run([](Scene, int) {});
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(Plays("QL_Snd"), 0);
    EXPECT_TRUE(run.leftAsFound);
  }
  {  // no mascot: its textures, sound and folder are given up, and the title does not run
    IntroRun run;
    std::filesystem::remove(run.harness.Root() / "data/intro/quill/QLmascot.c4d");
    run.Run([](Scene, int) {});
    EXPECT_NE(run.result, 0);
    EXPECT_EQ(Plays("Hydrel_Intro"), 0);
    EXPECT_TRUE(run.leftAsFound);
  }
  {  // a quit request during the logo scene ends it and skips the rest
    IntroRun run;
    run.Run([](Scene scene, int inScene) {
      if (scene == kLogo && inScene == 3) GameHarness::RequestQuit();
    });
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(Plays("QL_Snd"), 1);
    EXPECT_EQ(Plays("Hydrel_Intro"), 0);
    EXPECT_TRUE(run.leftAsFound);
  }
}

}  // namespace
