// The system shut-down takes the media down: CD audio closed, sound slots freed.
#include <gtest/gtest.h>

#include "engine/startup/system.h"
#include "engine/data/cdaudio.h"
#include "engine/data/sound.h"
#include "platform/plat_backend.h"
#include "platform/plat_cdaudio.h"
#include "platform/plat_sound.h"
#include "platform/test/plat_cdaudio.h"
#include "platform/test/plat_sound.h"

namespace {

TEST(MediaShutdownTest, SystemShutdownClosesCdAudioAndSound) {
  plat_UseBackend(kPlatBackendTest);
  plat_TestSoundReset();
  plat_TestCdReset();
  plat_CdSetTrackFolder("no/tracks/here");
  ASSERT_TRUE(wre_SoundInit(32, 1, nullptr, 0));
  ASSERT_EQ(CdAudioOpen(100, 0), 0);
  EXPECT_TRUE(plat_SoundIsOpen());
  wre_SystemShutdown();
  EXPECT_FALSE(CdAudioIsOpen());
  EXPECT_EQ(plat_TestCdLog()->closes, 1);
  EXPECT_FALSE(plat_SoundIsOpen());
  EXPECT_EQ(wre_SoundLoadWav(nullptr, "x.wav", 0, 0, 0), -1);
  wre_SystemShutdown();  // safe again
  EXPECT_TRUE(wre_SoundInit(32, 1, nullptr, 0));
  wre_SoundShutdown();
  plat_CdSetTrackFolder(nullptr);
}

}  // namespace
