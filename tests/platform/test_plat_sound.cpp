// The sound mixer's test back end: buffers, sides, rates, streams and the shared device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/plat_backend.h"
#include "platform/plat_sound.h"
#include "platform/test/plat_sound.h"

namespace {

PlatWaveFormat Format(uint16_t channels, uint16_t bits, uint32_t rate) {
  PlatWaveFormat f{};
  f.formatTag = 1;
  f.channels = channels;
  f.bitsPerSample = bits;
  f.samplesPerSec = rate;
  f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestSoundReset();
    plat_TestSoundSetOutputRate(8000);
    ASSERT_TRUE(plat_SoundOpen());
  }
  void TearDown() override {
    for (PlatSoundBuffer* b : made_) plat_SoundBufferRelease(b);
    while (plat_SoundIsOpen()) plat_SoundClose();
  }
  PlatSoundBuffer* Make(const PlatWaveFormat& f, const std::vector<uint8_t>& bytes) {
    PlatSoundBuffer* b = nullptr;
    EXPECT_EQ(plat_SoundBufferCreate(&f, static_cast<uint32_t>(bytes.size()), &b), kPlatSoundOk);
    void* data = nullptr;
    uint32_t size = 0;
    plat_SoundBufferLock(b, &data, &size);
    std::memcpy(data, bytes.data(), size);
    plat_SoundBufferUnlock(b);
    made_.push_back(b);
    return b;
  }
  std::vector<int16_t> Render(int32_t frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    EXPECT_TRUE(plat_TestSoundRender(out.data(), frames));
    return out;
  }
  std::vector<PlatSoundBuffer*> made_;
};

TEST_F(MixerTest, EightBitStereoAndSides) {
  // Two frames: left 0xC0 (+0.5), right 0x40 (-0.5).
  PlatSoundBuffer* b = Make(Format(2, 8, 8000), {0xC0, 0x40, 0xC0, 0x40});
  plat_SoundBufferPlay(b, true);
  std::vector<int16_t> out = Render(2);
  EXPECT_EQ(out[0], 16384);
  EXPECT_EQ(out[1], -16384);
  // A positive pan takes the left side down, a negative one the right.
  plat_SoundBufferSetPan(b, 2000);
  out = Render(1);
  EXPECT_NEAR(out[0], 16384 * 0.1, 1);
  EXPECT_EQ(out[1], -16384);
  plat_SoundBufferSetPan(b, -10000);
  out = Render(1);
  EXPECT_EQ(out[0], 16384);
  EXPECT_EQ(out[1], 0);
  // Out-of-range values are refused and change nothing.
  EXPECT_EQ(plat_SoundBufferSetPan(b, 10001), kPlatSoundErrInvalidParam);
  EXPECT_EQ(plat_SoundBufferSetVolume(b, 1), kPlatSoundErrInvalidParam);
  EXPECT_EQ(plat_SoundBufferSetFrequency(b, 99), kPlatSoundErrInvalidParam);
  EXPECT_EQ(plat_SoundBufferSetFrequency(b, 100001), kPlatSoundErrInvalidParam);
  int32_t pan = 0, hertz = 0;
  plat_SoundBufferGetPan(b, &pan);
  plat_SoundBufferGetFrequency(b, &hertz);
  EXPECT_EQ(pan, -10000);
  EXPECT_EQ(hertz, 8000);
  EXPECT_EQ(plat_SoundBufferSetFrequency(b, 100000), kPlatSoundOk);
}

TEST_F(MixerTest, BuffersSumAndClip) {
  std::vector<uint8_t> loud = {0xFF, 0x7F, 0xFF, 0x7F};  // 32767
  PlatSoundBuffer* a = Make(Format(1, 16, 8000), loud);
  PlatSoundBuffer* b = Make(Format(1, 16, 8000), loud);
  plat_SoundBufferPlay(a, true);
  plat_SoundBufferPlay(b, true);
  EXPECT_EQ(Render(1)[0], 32767);
  plat_SoundBufferSetVolume(a, -10000);
  plat_SoundBufferSetVolume(b, -10000);
  EXPECT_EQ(Render(1)[0], 0);
}

TEST_F(MixerTest, PositionStatusAndRefusedFormats) {
  PlatSoundBuffer* b = Make(Format(1, 16, 8000), std::vector<uint8_t>(20, 0));
  uint32_t status = 9, at = 9;
  plat_SoundBufferGetStatus(b, &status);
  EXPECT_EQ(status, 0u);
  plat_SoundBufferPlay(b, false);
  Render(3);
  plat_SoundBufferGetPosition(b, &at);
  EXPECT_EQ(at, 6u);
  plat_SoundBufferStop(b);
  Render(3);
  plat_SoundBufferGetPosition(b, &at);
  EXPECT_EQ(at, 6u);  // stop keeps the place
  EXPECT_EQ(plat_SoundBufferSetPosition(b, 20), kPlatSoundErrInvalidParam);
  EXPECT_EQ(plat_SoundBufferSetPosition(b, 4), kPlatSoundOk);
  plat_SoundBufferGetPosition(b, &at);
  EXPECT_EQ(at, 4u);

  PlatSoundBuffer* none = nullptr;
  PlatWaveFormat adpcm = Format(1, 16, 8000);
  adpcm.formatTag = 2;
  EXPECT_EQ(plat_SoundBufferCreate(&adpcm, 10, &none), kPlatSoundErrBadFormat);
  adpcm.formatTag = 0xFFFE;
  adpcm.subFormatTag = 1;  // extensible, holding PCM
  EXPECT_EQ(plat_SoundBufferCreate(&adpcm, 10, &none), kPlatSoundOk);
  plat_SoundBufferRelease(none);
  PlatWaveFormat three = Format(3, 16, 8000);
  EXPECT_EQ(plat_SoundBufferCreate(&three, 12, &none), kPlatSoundErrBadFormat);
  PlatWaveFormat mono = Format(1, 16, 8000);
  EXPECT_EQ(plat_SoundBufferCreate(&mono, 0, &none), kPlatSoundErrInvalidParam);
  EXPECT_EQ(none, nullptr);
}

struct Counter {
  int16_t next = 0;
  int16_t last = 0;
};
int32_t PullCount(void* context, int16_t* samples, int32_t frames) {
  auto* c = static_cast<Counter*>(context);
  int32_t n = 0;
  while (n < frames && c->next < c->last) samples[n++] = static_cast<int16_t>(100 * c->next++);
  return n;
}

TEST_F(MixerTest, StreamsResampleAndIgnoreTheMasterVolume) {
  Counter c{0, 8};
  PlatSoundStream* s = nullptr;
  ASSERT_EQ(plat_SoundStreamCreate(4000, 1, PullCount, &c, &s), kPlatSoundOk);
  plat_SoundSetMasterVolume(-10000);
  std::vector<int16_t> out = Render(20);
  // Half the output rate: every second frame lies halfway between two samples.
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(out[4 * i], 100 * i) << i;
    EXPECT_EQ(out[4 * i + 2], 100 * i + 50) << i;
  }
  EXPECT_FALSE(plat_SoundStreamActive(s));
  EXPECT_EQ(out[38], 0);
  plat_SoundStreamRelease(s);

  Counter d{1, 30000};
  ASSERT_EQ(plat_SoundStreamCreate(8000, 1, PullCount, &d, &s), kPlatSoundOk);
  plat_SoundStreamSetGain(s, 0.5f);
  out = Render(4);
  EXPECT_EQ(out[2], 100);
  EXPECT_TRUE(plat_SoundStreamActive(s));
  plat_SoundStreamRelease(s);
}

TEST_F(MixerTest, TheDeviceIsShared) {
  EXPECT_TRUE(plat_SoundOpen());
  plat_SoundClose();
  EXPECT_TRUE(plat_SoundIsOpen());
  plat_SoundClose();
  EXPECT_FALSE(plat_SoundIsOpen());
  PlatSoundBuffer* b = nullptr;
  PlatWaveFormat f = Format(1, 8, 8000);
  EXPECT_EQ(plat_SoundBufferCreate(&f, 4, &b), kPlatSoundErrNoDevice);
  std::vector<int16_t> out(2);
  EXPECT_FALSE(plat_TestSoundRender(out.data(), 1));
}

}  // namespace
