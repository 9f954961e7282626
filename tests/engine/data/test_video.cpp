// Intro videos: placement, playing a generated clip to its end, stopping on a key, failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/core/files.h"
#include "engine/core/input.h"
#include "engine/core/input_test_window.h"
#include "engine/data/video.h"
#include "platform/plat_backend.h"
#include "platform/plat_present.h"
#include "platform/plat_sound.h"
#include "platform/plat_time.h"
#include "platform/plat_video.h"
#include "platform/test/plat_input.h"
#include "platform/test/plat_present.h"
#include "platform/test/plat_sound.h"
#include "platform/test/plat_time.h"
#include "platform/test/plat_video.h"
#include "tools/datagen/avi_writer.h"

namespace {

struct FakeView {
  int32_t camera;
};

class VideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The game's window and input layer on the test back end: keys reach the typed-key ring.
    window_ = InputTestSetUp();
    ASSERT_NE(window_, nullptr);
    plat_TestClockReset();
    plat_TestSoundReset();
    plat_TestPresentReset();
    plat_TestVideoReset();
    folder_ = std::filesystem::temp_directory_path() /
              ("vh_video_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    ASSERT_EQ(wre_FolderSet(folder_.c_str()), 0);
    clip_.width = 40;
    clip_.height = 30;
    clip_.frames = 12;
    clip_.fps = 10;
  }
  void TearDown() override {
    wre_WindowDestroy(window_);
    wre_FolderSet(nullptr);
    std::filesystem::remove_all(folder_);
  }
  void Write(const char* name, const AviClipSpec& spec) {
    ASSERT_TRUE(AviWriteClip((folder_ / name).string(), spec));
  }
  WindowRecord* window_ = nullptr;
  std::filesystem::path folder_;
  AviClipSpec clip_;
  FakeView view_{};
};

TEST(VideoPlaceTest, CentresInTheScreenRectangle) {
  int32_t left = 0, top = 0;
  IntroVideoPlace(0, 0, 640, 480, 320, 240, &left, &top);
  EXPECT_EQ(left, 160);
  EXPECT_EQ(top, 120);
  // Odd sizes: each half is truncated on its own.
  IntroVideoPlace(0, 0, 640, 480, 161, 121, &left, &top);
  EXPECT_EQ(left, 240);
  EXPECT_EQ(top, 180);
  // A screen rectangle away from the origin moves the video with it.
  IntroVideoPlace(100, 50, 740, 530, 320, 240, &left, &top);
  EXPECT_EQ(left, 260);
  EXPECT_EQ(top, 170);
  // Larger than the screen: it hangs over both sides (the presenter clips it).
  IntroVideoPlace(0, 0, 640, 480, 800, 600, &left, &top);
  EXPECT_EQ(left, -80);
  EXPECT_EQ(top, -60);
}

TEST_F(VideoTest, PlaysEveryFrameCentredAndEndsByItself) {
  Write("clip.avi", clip_);
  EXPECT_EQ(IntroVideoPlay("clip.avi", &view_), 0);
  EXPECT_EQ(plat_TestPresentImageCount(), 12);
  PlatEdgeRect r = plat_TestPresentLastRect();
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.top, 225);
  EXPECT_EQ(r.right, 340);
  EXPECT_EQ(r.bottom, 255);
  // The screen holds the last frame, counter and all, and nothing around it.
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 40; ++x) {
      ASSERT_EQ(plat_TestPresentPixel(300 + x, 225 + y), AviClipPixel(clip_, 11, x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(plat_TestPresentPixel(299, 240), 0u);
  EXPECT_EQ(plat_TestPresentPixel(340, 240), 0u);
  // Paced at 10 frames a second: the last frame came 1.1 s after the first.
  EXPECT_EQ(plat_GetTickCount(), 1100u);
  EXPECT_FALSE(plat_SoundIsOpen());  // the video's sound is released
}

TEST_F(VideoTest, KeyEndsItEarlyAndIsNotLeftPending) {
  Write("clip.avi", clip_);
  plat_TestVideoScriptKey(350);
  EXPECT_EQ(IntroVideoPlay("clip.avi", &view_), 0);
  // Frames at 0, 100, 200, 300 ms; the key is seen after the one at 400 ms.
  EXPECT_EQ(plat_TestPresentImageCount(), 5);
  EXPECT_FALSE(wre_KeyBufferPending());
  for (int32_t x = 0; x < 40; ++x) ASSERT_EQ(plat_TestPresentPixel(300 + x, 240), AviClipPixel(clip_, 4, x, 15));
}

TEST_F(VideoTest, AClickEndsItAndTheButtonIsForgotten) {
  Write("clip.avi", clip_);
  plat_TestMouseButton(true);
  EXPECT_EQ(IntroVideoPlay("clip.avi", &view_), 0);
  // The click is taken in by the pump after the first frame and ends the video at the second.
  EXPECT_EQ(plat_TestPresentImageCount(), 2);
  EXPECT_EQ(wre_MouseButtonState(), 0);
}

TEST_F(VideoTest, OtherDepthsPlay) {
  for (int32_t bits : {8, 16}) {
    plat_TestPresentReset();
    AviClipSpec spec = clip_;
    spec.bits = bits;
    spec.width = 33;  // rows padded in the file
    spec.frames = 3;
    Write("d.avi", spec);
    EXPECT_EQ(IntroVideoPlay("d.avi", &view_), 0);
    EXPECT_EQ(plat_TestPresentImageCount(), 3);
    PlatEdgeRect r = plat_TestPresentLastRect();
    for (int32_t x = 0; x < 33; ++x) {
      ASSERT_EQ(plat_TestPresentPixel(r.left + x, r.top + 15), AviClipPixel(spec, 2, x, 15)) << bits << " " << x;
    }
  }
}

TEST_F(VideoTest, FailuresReturnMinusOneAndShowNothing) {
  Write("clip.avi", clip_);
  EXPECT_EQ(IntroVideoPlay("clip.avi", nullptr), -1);
  EXPECT_EQ(IntroVideoPlay("missing.avi", &view_), -1);
  AviClipSpec packed = clip_;
  packed.compression = 1;  // run-length coded: not read here
  Write("packed.avi", packed);
  EXPECT_EQ(IntroVideoPlay("packed.avi", &view_), -1);
  plat_TestVideoFailCreate(true);
  EXPECT_EQ(IntroVideoPlay("clip.avi", &view_), -1);
  EXPECT_EQ(plat_TestPresentImageCount(), 0);
  EXPECT_FALSE(plat_SoundIsOpen());
  plat_TestVideoFailCreate(false);
  EXPECT_EQ(IntroVideoPlay("clip.avi", &view_), 0);
}

TEST_F(VideoTest, LongFolderNamesAreNoProblem) {
  // The current folder can fill its whole buffer; the path is built without a fixed limit.
  std::string deep(kFolderPathSize - 2, 'a');
  ASSERT_EQ(wre_FolderSet(deep.c_str()), 0);
  EXPECT_EQ(IntroVideoPlay("clip.avi", &view_), -1);
}

}  // namespace
