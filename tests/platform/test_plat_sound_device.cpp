// The real sound back end on SDL's audio device (the test environment selects SDL's dummy driver,
// which consumes the mix in real time without a sound card).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
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

// No audio output at all (here: a driver that does not exist): the silent output stands in.
TEST(SoundDeviceTest, WithoutAnyOutputTheSilentOneStandsIn) {
  plat_UseBackend(kPlatBackendReal);
  const char* before = getenv("SDL_AUDIODRIVER");
  const std::string saved = before ? before : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const bool opened = plat_SoundOpen();
  EXPECT_TRUE(opened);
  EXPECT_TRUE(plat_SoundSilent());
  if (opened) plat_SoundClose();
  EXPECT_FALSE(plat_SoundSilent());
  if (before) setenv("SDL_AUDIODRIVER", saved.c_str(), 1); else unsetenv("SDL_AUDIODRIVER");
  plat_UseBackend(kPlatBackendTest);
}

}  // namespace
