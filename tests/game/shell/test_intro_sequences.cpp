// The intros run headless on the sample data tree: the two videos through the platform's player,
// the logo scene and the title scene with live water, each cut short by a typed key; and what is
// left behind when one of them fails or the program is asked to quit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/core/files.h"
#include "engine/core/world.h"
#include "engine/data/texture.h"
#include "game/shell/game_view.h"
#include "game/shell/intro_sequences.h"
#include "game/world/water_surface.h"
#include "tests/game/harness/game_harness.h"
#include "platform/plat_time.h"
#include "platform/test/plat_present.h"
#include "platform/test/plat_video.h"
#include "tools/datagen/png_writer.h"

namespace {

enum Scene { kVideo, kLogo, kTitle };

constexpr uint32_t kVideoKeyMs = 700;

Scene SceneNow() {
  if (gWaterGrid) return kTitle;
  return gView->world->lights ? kLogo : kVideo;
}

int TexturesInUse() {
  int count = 0;
  for (int32_t t = 0; t < gTextureCount; ++t) count += wre_TextureInUse(t);
  return count;
}

// How many times the sound output was asked to play a file whose label holds the name.
int Plays(const std::string& name) {
  int plays = 0;
  for (const auto& entry : GameHarness::SoundLog())
    plays += entry.event == "play" && entry.label.find(name) != std::string::npos;
  return plays;
}

// Kept for looking at when VH_CAPTURE_DIR names a folder.
void KeepCapture(const PlatFrame& frame, const std::string& name) {
  const char* folder = std::getenv("VH_CAPTURE_DIR");
  if (!folder) return;
  std::vector<uint8_t> rgb;
  for (uint16_t p : frame.pixels) {
    rgb.push_back(static_cast<uint8_t>((p >> 11 & 31) * 255 / 31));
    rgb.push_back(static_cast<uint8_t>((p >> 5 & 63) * 255 / 63));
    rgb.push_back(static_cast<uint8_t>((p & 31) * 255 / 31));
  }
  const std::vector<uint8_t> png = PngWriteRgb(frame.width, frame.height, rgb.data());
  std::ofstream(std::string(folder) + "/" + name + ".png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

// The media presenter's screen, where the videos are shown, in the display's 565 form.
PlatFrame PresenterScreen() {
  PlatFrame frame;
  frame.width = 640;
  frame.height = 480;
  for (int32_t y = 0; y < frame.height; ++y)
    for (int32_t x = 0; x < frame.width; ++x) {
      const uint32_t rgb = plat_TestPresentPixel(x, y);
      frame.pixels.push_back(static_cast<uint16_t>((rgb >> 19 & 31) << 11 | (rgb >> 10 & 63) << 5 | (rgb >> 3 & 31)));
    }
  return frame;
}

// Runs the intros at the first menu frame; `onFrame` sees every frame they present.
struct IntroRun {
  GameHarness harness;
  int32_t result = 1;
  float ambientBefore = 0, ambientAfter = 0;
  std::string folderBefore, folderAfter;
  int texturesBefore = 0, texturesAfter = 0;
  bool worldEmptyAfter = false;
  uint32_t elapsedMs = 0;
  PlatFrame videoFrame;  // the last video image shown
  int32_t videoImages = 0;
  std::function<void()> beforeIntros = [] {};

  void Run(std::function<void(Scene scene, int framesInScene)> onFrame) {
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
      ambientBefore = gView->world->ambientLevel;
      folderBefore = gCurrentFolder;
      texturesBefore = TexturesInUse();
      harness.AtFrame(2, watch);
      beforeIntros();
      const int32_t imagesBefore = plat_TestPresentImageCount();
      const uint32_t start = plat_GetTickCount();
      result = IntroSequencesRun(gView);
      elapsedMs = plat_GetTickCount() - start;
      running = false;
      ambientAfter = gView->world->ambientLevel;
      folderAfter = gCurrentFolder;
      texturesAfter = TexturesInUse();
      worldEmptyAfter = !gView->world->objects && !gView->world->lights && !gWaterGrid;
      videoImages = plat_TestPresentImageCount() - imagesBefore;
      videoFrame = PresenterScreen();
      GameHarness::RequestQuit();
    });
    ASSERT_EQ(harness.Run(), 0);
  }

  void ExpectNothingLeft() const {
    EXPECT_EQ(ambientAfter, ambientBefore);
    EXPECT_EQ(folderAfter, folderBefore);
    EXPECT_EQ(texturesAfter, texturesBefore);
    EXPECT_TRUE(worldEmptyAfter);
  }
};

TEST(IntroSequences, TheFourIntrosRunInOrderEachCutShortByAKey) {
  IntroRun run;
  std::vector<Scene> order;
  std::map<Scene, PlatFrame> captures;
  std::map<Scene, uint32_t> firstMs, lastMs;
  uint32_t startMs = 0;
  run.beforeIntros = [&] {
    startMs = plat_GetTickCount();
    plat_TestVideoScriptKey(startMs + kVideoKeyMs);
  };
  run.Run([&](Scene scene, int inScene) {
    if (inScene == 2) {  // a scene's first frame may be the last of the one before
      order.push_back(scene);
      firstMs[scene] = plat_GetTickCount();
    }
    lastMs[scene] = plat_GetTickCount();
    // The mascot turned a little; the title with its light faded up.
    if ((scene == kLogo && inScene == 30) || (scene == kTitle && inScene == 460)) {
      run.harness.Captured(&captures[scene]);
      GameHarness::TypeText("x");
      // The co-developer's video follows the 30-tick pause after the logo.
      if (scene == kLogo) plat_TestVideoScriptKey(plat_GetTickCount() + 500 + kVideoKeyMs);
    }
  });
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(order, (std::vector<Scene>{kLogo, kVideo, kTitle}));
  EXPECT_EQ(Plays("QL_Snd"), 1);
  EXPECT_EQ(Plays("Hydrel_Intro"), 1);
  // Uncut, each video lasts two seconds, the logo eight and the title thirty.
  EXPECT_LT(firstMs[kLogo] - startMs, 1500u);
  EXPECT_LT(firstMs[kTitle] - lastMs[kLogo], 500u + 1500u);
  EXPECT_LT(run.elapsedMs, 12000u);
  EXPECT_GT(run.videoImages, 2);
  EXPECT_LT(run.videoImages, 2 * 20);  // each clip has twenty
  run.ExpectNothingLeft();

  ASSERT_EQ(captures.size(), 2u);
  captures[kVideo] = run.videoFrame;
  for (const auto& [scene, frame] : captures) {
    const char* const names[] = {"intro_video", "intro_logo", "intro_title"};
    KeepCapture(frame, names[scene]);
    int lit = 0;
    for (uint16_t p : frame.pixels) lit += p != 0;
    EXPECT_GT(lit, 2000) << names[scene];
  }
  // The title's tiles cover the live scene: the band behind "PRESS ANY KEY" is their dark blue (lit
  // by the world's light like the scene under it).
  const PlatFrame& title = captures[kTitle];
  const uint16_t band = title.pixels[static_cast<size_t>(440) * title.width + 8];
  EXPECT_EQ(band >> 11, 0);
  EXPECT_GT(band & 31, 0);
  EXPECT_LT(band & 31, 8);
}

TEST(IntroSequences, AFailingIntroOrAQuitRequestEndsTheSequenceLeavingNothingBehind) {
  {  // no publisher video: nothing after it runs
    IntroRun run;
    std::filesystem::remove(run.harness.Root() / "data/intro/ostrel/ost8Xhi.avi");
    run.Run([](Scene, int) {});
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(Plays("QL_Snd"), 0);
    run.ExpectNothingLeft();
  }
  {  // the mascot cannot be loaded: its texture list and sound are released, its folder left
    IntroRun run;
    std::filesystem::remove(run.harness.Root() / "data/intro/quill/QLmascot.c4d");
    run.Run([](Scene, int inScene) {
      if (inScene == 3) GameHarness::TypeText("x");
    });
    EXPECT_NE(run.result, 0);
    EXPECT_EQ(Plays("Hydrel_Intro"), 0);
    run.ExpectNothingLeft();
  }
  {  // a quit request during the logo scene ends it and skips the rest
    IntroRun run;
    run.Run([](Scene scene, int inScene) {
      if (scene == kVideo && inScene == 3) GameHarness::TypeText("x");
      if (scene == kLogo && inScene == 3) GameHarness::RequestQuit();
    });
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(Plays("QL_Snd"), 1);
    EXPECT_EQ(Plays("Hydrel_Intro"), 0);
    run.ExpectNothingLeft();
  }
}

}  // namespace
