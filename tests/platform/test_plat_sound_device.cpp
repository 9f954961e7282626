// The real sound back end on SDL's audio device (the test environment selects SDL's dummy driver,
// which consumes the mix in real time without a sound card).
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_sound.h"

namespace {

TEST(SoundDeviceTest, CallbackMixesAndOneShotsEnd) {
  plat_UseBackend(kPlatBackendReal);
  if (!plat_SoundOpen()) GTEST_SKIP() << "no audio device";
  EXPECT_GT(plat_SoundOutputRate(), 0);
  PlatWaveFormat f{1, 1, 22050, 44100, 2, 16, 0};
  PlatSoundBuffer* b = nullptr;
  ASSERT_EQ(plat_SoundBufferCreate(&f, 2 * 2205, &b), kPlatSoundOk);  // 0.1 s
  void* data = nullptr;
  uint32_t size = 0;
  plat_SoundBufferLock(b, &data, &size);
  plat_SoundBufferUnlock(b);
  plat_SoundBufferPlay(b, false);
  uint32_t status = kPlatSoundStatusPlaying;
  for (int i = 0; i < 300 && status != 0; ++i) {
    usleep(10000);
    plat_SoundBufferGetStatus(b, &status);
  }
  EXPECT_EQ(status, 0u);
  plat_SoundBufferRelease(b);
  plat_SoundClose();
  EXPECT_FALSE(plat_SoundIsOpen());
  plat_UseBackend(kPlatBackendTest);
}

}  // namespace
