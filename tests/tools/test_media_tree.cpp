// The media the data tree gets: every file reads back through the game's own readers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/core/memory.h"
#include "engine/data/wave.h"
#include "platform/plat_avi.h"
#include "platform/plat_backend.h"
#include "platform/plat_cdaudio.h"
#include "platform/test/plat_cdaudio.h"
#include "tools/datagen/media_tree.h"

namespace {

TEST(MediaTreeTest, WrittenFilesReadBack) {
  wre_MemoryInit();
  plat_UseBackend(kPlatBackendTest);
  plat_TestCdReset();
  auto root = std::filesystem::temp_directory_path() / ("vh_media_" + std::to_string(getpid()));
  ASSERT_TRUE(DatagenWriteMedia(root.string()));
  for (const char* name : {"water.wav", "motor.wav", "bumpsplash.wav", "coin_hit.WAV", "start_countdwn.WAV"}) {
    WaveFile* f = nullptr;
    WaveFormat* format = nullptr;
    PlatRiffChunk riff{}, data{};
    ASSERT_EQ(WaveOpenFile((root / "data/sounds" / name).c_str(), &f, &format, &riff), 0) << name;
    EXPECT_EQ(format->samplesPerSec, 22050u);
    EXPECT_EQ(WaveFindData(f, &data, &riff), 0);
    EXPECT_GT(data.size, 0u);
    WaveClose(&f);
    WaveFormatFree(format);
  }
  plat_CdSetTrackFolder((root / "data/cdaudio").c_str());
  uint32_t device = 0, count = 0;
  ASSERT_EQ(plat_CdOpen(&device), kPlatCdOk);
  EXPECT_EQ(plat_CdTrackCount(device, &count), kPlatCdOk);
  EXPECT_EQ(count, 10u);
  plat_CdClose(device);
  plat_CdSetTrackFolder(nullptr);
  PlatAvi* avi = nullptr;
  ASSERT_EQ(plat_AviOpen((root / "data/intro/ostrel/ost8Xhi.avi").c_str(), &avi), kPlatAviOk);
  EXPECT_EQ(plat_AviInfo(avi)->frameCount, 20u);
  EXPECT_TRUE(plat_AviInfo(avi)->hasAudio);
  plat_AviClose(avi);
  std::filesystem::remove_all(root);
}

}  // namespace
