// CD audio on a folder of track files: opening, volume lines, playing tracks through the mixer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/data/cdaudio.h"
#include "platform/plat_backend.h"
#include "platform/plat_cdaudio.h"
#include "platform/plat_files.h"
#include "platform/plat_sound.h"
#include "platform/test/plat_cdaudio.h"
#include "platform/test/plat_sound.h"
#include "tools/datagen/wav_writer.h"

namespace {

constexpr int32_t kTrackFrames = 100;

class CdAudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestSoundReset();
    plat_TestSoundSetOutputRate(22050);
    plat_TestCdReset();
    folder_ = std::filesystem::temp_directory_path() /
              ("vh_cd_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    // Track t holds the constant level 1000 t, so what is heard tells the track.
    for (int t = 1; t <= 3; ++t) {
      char name[16];
      std::snprintf(name, sizeof(name), "track%02d.wav", t);
      WavWriteFile((folder_ / name).string(), WavSpec{}, std::vector<int16_t>(kTrackFrames, static_cast<int16_t>(1000 * t)));
    }
    plat_CdSetTrackFolder(folder_.c_str());
    plat_SoundOpen();  // the test's own hold on the output, so rendering works throughout
  }
  void TearDown() override {
    CdAudioClose();
    plat_SoundClose();
    plat_CdSetTrackFolder(nullptr);
    std::filesystem::remove_all(folder_);
  }
  std::vector<int16_t> Left(int32_t frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    EXPECT_TRUE(plat_TestSoundRender(out.data(), frames));
    std::vector<int16_t> left(frames);
    for (int32_t i = 0; i < frames; ++i) left[i] = out[2 * i];
    return left;
  }
  const PlatCdTestLog& Log() { return *plat_TestCdLog(); }
  std::filesystem::path folder_;
};

TEST_F(CdAudioTest, OpenReadsTheTracksAndSetsTheVolumeOnce) {
  EXPECT_EQ(CdAudioOpen(0, 0), 0);
  EXPECT_TRUE(CdAudioIsOpen());
  EXPECT_EQ(CdAudioTrackCount(), 3u);
  EXPECT_EQ(Log().timeFormats, 2);
  // The first volume always reaches the line, also 0.
  EXPECT_EQ(Log().auxSets, 1);
  EXPECT_EQ(Log().lastAuxVolume, 0u);
  // A second open changes nothing.
  EXPECT_EQ(CdAudioOpen(200, 0), 0);
  EXPECT_EQ(Log().opens, 1);
  EXPECT_EQ(Log().auxSets, 1);
}

TEST_F(CdAudioTest, VolumeClampsAndSkipsRepeats) {
  ASSERT_EQ(CdAudioOpen(10, 0), 0);
  EXPECT_EQ(CdAudioSetVolume(300), 0);
  EXPECT_EQ(Log().lastAuxVolume, 0xFF00FF00u);
  int32_t calls = Log().auxSets;
  CdAudioSetVolume(255);
  CdAudioSetVolume(1000);
  EXPECT_EQ(Log().auxSets, calls);
  CdAudioSetVolume(1);
  EXPECT_EQ(Log().lastAuxVolume, 0x01000100u);
  CdAudioSetVolume(-4);
  EXPECT_EQ(Log().lastAuxVolume, 0u);
  EXPECT_EQ(Log().auxSets, calls + 2);
  CdAudioClose();
  EXPECT_EQ(CdAudioSetVolume(50), 0);
  EXPECT_EQ(Log().auxSets, calls + 2);
}

TEST_F(CdAudioTest, MixerLineWhenThereIsNoAuxLine) {
  plat_TestCdSetAuxPresent(false);
  ASSERT_EQ(CdAudioOpen(128, 0x1234), 0);
  EXPECT_EQ(Log().mixerOpens, 1);
  EXPECT_EQ(Log().lastMixerCallback, 0x1234u);
  EXPECT_EQ(Log().lastMixerValue, 32896u);  // 128 x 65535 / 255
  EXPECT_EQ(Log().auxSets, 0);
  CdAudioClose();
  EXPECT_EQ(Log().mixerCloses, 1);

  plat_TestCdSetMixerRange(100, 355);
  ASSERT_EQ(CdAudioOpen(255, 0), 0);
  EXPECT_EQ(Log().lastMixerValue, 355u);
  CdAudioSetVolume(0);
  EXPECT_EQ(Log().lastMixerValue, 100u);
}

TEST_F(CdAudioTest, OpenFailuresAreReported) {
  plat_TestCdFailOpen(kPlatCdErrCannotOpen);
  EXPECT_EQ(CdAudioOpen(10, 0), kPlatCdErrCannotOpen);
  EXPECT_FALSE(CdAudioIsOpen());
  plat_TestCdFailOpen(0);
  // The second time-format call fails: the device is closed again and the failure comes back.
  plat_TestCdFailTimeFormat(2, 262);
  EXPECT_EQ(CdAudioOpen(10, 0), 262);
  EXPECT_FALSE(CdAudioIsOpen());
  EXPECT_EQ(Log().closes, 1);
  EXPECT_EQ(CdAudioPlayTrack(1), 0);
  EXPECT_FALSE(CdAudioIsPlaying());
  // The first one failing does not matter.
  plat_TestCdFailTimeFormat(1, 262);
  EXPECT_EQ(CdAudioOpen(10, 0), 0);
  EXPECT_TRUE(CdAudioIsOpen());
}

TEST_F(CdAudioTest, PlaysFromTheTrackToTheEndOfTheLast) {
  ASSERT_EQ(CdAudioOpen(255, 0), 0);
  EXPECT_EQ(CdAudioPlayTrack(2), 0);
  EXPECT_TRUE(CdAudioIsPlaying());
  EXPECT_EQ(Log().lastPlayFirst, 2u);
  EXPECT_EQ(Log().lastPlayLast, 3u);
  EXPECT_EQ(plat_CdPlayingTrack(), 2u);
  const float gain = static_cast<float>(0xFF00) / 0xFFFF;
  std::vector<int16_t> heard = Left(2 * kTrackFrames + 20);
  for (int i = 0; i < kTrackFrames; ++i) ASSERT_NEAR(heard[i], 2000 * gain, 1) << i;
  for (int i = kTrackFrames; i < 2 * kTrackFrames; ++i) ASSERT_NEAR(heard[i], 3000 * gain, 1) << i;
  for (int i = 2 * kTrackFrames + 2; i < 2 * kTrackFrames + 20; ++i) ASSERT_EQ(heard[i], 0) << i;
  EXPECT_EQ(plat_CdPlayingTrack(), 0u);
  // The module's own flag only changes through its calls.
  EXPECT_TRUE(CdAudioIsPlaying());

  // The last track plays to its end.
  EXPECT_EQ(CdAudioPlayTrack(3), 0);
  heard = Left(kTrackFrames);
  for (int i = 0; i < kTrackFrames; ++i) ASSERT_NEAR(heard[i], 3000 * gain, 1) << i;

  // A track the disc does not have starts nothing.
  EXPECT_EQ(CdAudioPlayTrack(4), kPlatCdErrOutOfRange);
  EXPECT_FALSE(CdAudioIsPlaying());
  EXPECT_EQ(CdAudioPlayTrack(0), kPlatCdErrOutOfRange);
}

TEST_F(CdAudioTest, VolumeIsTheMusicGainAndStopSilences) {
  ASSERT_EQ(CdAudioOpen(128, 0), 0);
  CdAudioPlayTrack(1);
  const float gain = static_cast<float>(0x8000) / 0xFFFF;
  std::vector<int16_t> heard = Left(10);
  EXPECT_NEAR(heard[5], 1000 * gain, 1);
  CdAudioSetVolume(0);
  heard = Left(10);
  EXPECT_EQ(heard[5], 0);
  CdAudioSetVolume(255);
  // The effects' master volume leaves the music alone.
  plat_SoundSetMasterVolume(-10000);
  heard = Left(10);
  EXPECT_NEAR(heard[5], 1000.0f * 0xFF00 / 0xFFFF, 1);
  EXPECT_EQ(CdAudioStop(), 0);
  EXPECT_FALSE(CdAudioIsPlaying());
  heard = Left(10);
  EXPECT_EQ(heard[5], 0);
}

TEST_F(CdAudioTest, MissingFolderIsNoMedia) {
  plat_CdSetTrackFolder((folder_ / "none").c_str());
  ASSERT_EQ(CdAudioOpen(100, 0), 0);
  EXPECT_EQ(CdAudioTrackCount(), 0u);
  EXPECT_EQ(CdAudioPlayTrack(1), kPlatCdErrNoMedia);
  EXPECT_FALSE(CdAudioIsPlaying());
}

TEST_F(CdAudioTest, GapEndsTheDisc) {
  std::filesystem::remove(folder_ / "track02.wav");
  ASSERT_EQ(CdAudioOpen(100, 0), 0);
  EXPECT_EQ(CdAudioTrackCount(), 1u);
}

TEST_F(CdAudioTest, CloseIsSafeTwiceAndSilences) {
  EXPECT_EQ(CdAudioClose(), 0);
  ASSERT_EQ(CdAudioOpen(255, 0), 0);
  CdAudioPlayTrack(1);
  EXPECT_EQ(CdAudioClose(), 0);
  EXPECT_FALSE(CdAudioIsOpen());
  EXPECT_FALSE(CdAudioIsPlaying());
  EXPECT_EQ(Log().closes, 1);
  EXPECT_EQ(CdAudioClose(), 0);
  EXPECT_EQ(Log().closes, 1);
  EXPECT_EQ(Left(10)[5], 0);
}

TEST_F(CdAudioTest, DefaultFolderIsInTheProgramFolder) {
  plat_CdSetTrackFolder(nullptr);
  EXPECT_EQ(plat_CdTrackFolder(), plat_ProgramFolder() + "/data/cdaudio");
  plat_CdSetTrackFolder("/somewhere/else");
  EXPECT_EQ(plat_CdTrackFolder(), "/somewhere/else");
}

}  // namespace
