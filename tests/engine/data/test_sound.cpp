// Sound effect slots: scale rules, the slot table, what the mixer plays, the positional update.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/maths.h"
#include "engine/core/memory.h"
#include "engine/data/sound.h"
#include "engine/startup/hooks.h"
#include "engine/render/camera.h"
#include "platform/plat_backend.h"
#include "platform/plat_sound.h"
#include "platform/test/plat_sound.h"
#include "tools/datagen/wav_writer.h"

namespace {

// The head of a camera's transform, as the view record carries it.
// The game's view record starts with its camera.
struct FakeView {
  Camera* camera;
};

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestSoundReset();
    plat_TestSoundSetOutputRate(22050);
    wre_MemoryInit();
    folder_ = std::filesystem::temp_directory_path() /
              ("vh_sound_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    ASSERT_TRUE(wre_SoundInit(32, 1, nullptr, 0));
  }
  void TearDown() override {
    wre_SoundShutdown();
    std::filesystem::remove_all(folder_);
  }

  std::string Write(const std::string& name, const std::vector<int16_t>& samples, WavSpec spec = WavSpec{}) {
    std::string path = (folder_ / name).string();
    EXPECT_TRUE(WavWriteFile(path, spec, samples));
    return path;
  }
  std::vector<int16_t> Render(int32_t frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    EXPECT_TRUE(plat_TestSoundRender(out.data(), frames));
    return out;
  }
  static int32_t Attenuation(int32_t slot) {
    int32_t a = 1;
    plat_SoundBufferGetVolume(wre_SoundGetSlot(slot)->buffer, &a);
    return a;
  }
  static int32_t DevicePan(int32_t slot) {
    int32_t p = 1;
    plat_SoundBufferGetPan(wre_SoundGetSlot(slot)->buffer, &p);
    return p;
  }

  std::filesystem::path folder_;
};

std::vector<int16_t> Ramp(int n, int step) {
  std::vector<int16_t> s(n);
  for (int i = 0; i < n; ++i) s[i] = static_cast<int16_t>(i * step);
  return s;
}

TEST_F(SoundTest, ScaleRules) {
  EXPECT_EQ(wre_SoundVolumeToAttenuation(5120), -346);
  EXPECT_EQ(wre_SoundVolumeToAttenuation(10240), 0);
  EXPECT_EQ(wre_SoundVolumeToAttenuation(0), -10000);
  EXPECT_EQ(wre_SoundVolumeToAttenuation(-7), -10000);
  EXPECT_EQ(wre_SoundVolumeToAttenuation(20000), 0);
  EXPECT_EQ(wre_SoundVolumeToAttenuation(1), -4617);  // 500 ln(1/10240), truncated toward zero
  EXPECT_EQ(wre_SoundPanToDevice(2560), -346);
  EXPECT_EQ(wre_SoundPanToDevice(5120), 0);
  EXPECT_EQ(wre_SoundPanToDevice(10239), 346);
  EXPECT_EQ(wre_SoundPanToDevice(10240), 10000);
  EXPECT_EQ(wre_SoundPanToDevice(0), -10000);
  EXPECT_EQ(wre_SoundBaseToAttenuation(10240), 0);
  EXPECT_EQ(wre_SoundBaseToAttenuation(0), -10000);
  EXPECT_EQ(wre_SoundBaseToAttenuation(5120), -5000);
  EXPECT_EQ(wre_SoundAttenuationToBase(-5000), 5120);
  EXPECT_EQ(wre_SoundAttenuationToBase(0), 10240);
  // Values beyond the 16-bit range clamp like any other: loud stays loud.
  EXPECT_EQ(wre_SoundVolumeToAttenuation(40000), 0);
  EXPECT_EQ(wre_SoundPanToDevice(70000), 10000);
  EXPECT_EQ(wre_SoundBaseToAttenuation(40000), 0);
}

TEST_F(SoundTest, SettersReachTheBuffer) {
  int32_t s = wre_SoundLoadWav(nullptr, Write("a.wav", Ramp(100, 10)).c_str(), 0, 0, 0);
  ASSERT_EQ(s, 0);
  const SoundSlot* rec = wre_SoundGetSlot(s);
  EXPECT_EQ(rec->volume, 10240);
  EXPECT_EQ(rec->pan, 5120);
  EXPECT_EQ(rec->baseVolume, 0);
  EXPECT_EQ(rec->frequencyFactor, 1.0f);
  EXPECT_EQ(rec->baseRate, 22050);
  EXPECT_EQ(rec->description.flags, 0xE2u);
  EXPECT_EQ(rec->description.bytes, 200u);

  struct Case {
    int32_t volume, stored, attenuation;
  };
  for (Case c : {Case{5120, 5120, -346}, Case{10240, 10240, 0}, Case{0, 0, -10000}, Case{-7, 0, -10000},
                 Case{20000, 10240, 0}, Case{40000, 10240, 0}}) {
    EXPECT_EQ(wre_SoundSetVolume(s, c.volume), 0);
    EXPECT_EQ(rec->volume, c.stored) << c.volume;
    EXPECT_EQ(Attenuation(s), c.attenuation) << c.volume;
  }
  for (auto [pan, device] : {std::pair{2560, -346}, {5120, 0}, {10239, 346}, {10240, 10000}, {-3, -10000}}) {
    EXPECT_EQ(wre_SoundSetPan(s, pan), 0);
    EXPECT_EQ(DevicePan(s), device) << pan;
  }
  wre_SoundSetBaseVolume(s, 10240);
  EXPECT_EQ(rec->baseVolume, 0);
  wre_SoundSetBaseVolume(s, 0);
  EXPECT_EQ(rec->baseVolume, -10000);

  int32_t hertz = 0;
  EXPECT_EQ(wre_SoundSetFrequency(s, 2.0f), 0);
  plat_SoundBufferGetFrequency(rec->buffer, &hertz);
  EXPECT_EQ(hertz, 44100);
  // Beyond what the device plays: refused, the rate stays.
  EXPECT_NE(wre_SoundSetFrequency(s, 5.0f), 0);
  plat_SoundBufferGetFrequency(rec->buffer, &hertz);
  EXPECT_EQ(hertz, 44100);
  EXPECT_EQ(rec->frequencyFactor, 5.0f);
  EXPECT_NE(wre_SoundSetFrequency(s, std::nanf("")), 0);

  EXPECT_EQ(wre_SoundSetMasterVolume(5120), 0);
  int32_t master = 1;
  plat_SoundGetMasterVolume(&master);
  EXPECT_EQ(master, -346);
}

TEST_F(SoundTest, BaseRateIsTheFilesRate) {
  WavSpec spec;
  spec.rate = 44100;
  int32_t s = wre_SoundLoadWav(nullptr, Write("hi.wav", Ramp(50, 1), spec).c_str(), 0, 0, 0);
  ASSERT_GE(s, 0);
  EXPECT_EQ(wre_SoundGetSlot(s)->baseRate, 44100);
  wre_SoundSetFrequency(s, 1.0f);
  int32_t hertz = 0;
  plat_SoundBufferGetFrequency(wre_SoundGetSlot(s)->buffer, &hertz);
  EXPECT_EQ(hertz, 44100);
}

TEST_F(SoundTest, SlotTable) {
  std::string path = Write("t.wav", Ramp(10, 1));
  for (int i = 0; i < 32; ++i) ASSERT_EQ(wre_SoundLoadWav(nullptr, path.c_str(), 0, 0, 0), i);
  EXPECT_EQ(wre_SoundLoadWav(nullptr, path.c_str(), 0, 0, 0), -1);
  wre_SoundFree(7);
  wre_SoundFree(3);
  EXPECT_EQ(wre_SoundGetSlot(3), nullptr);
  EXPECT_EQ(wre_SoundLoadWav(nullptr, path.c_str(), 0, 0, 0), 3);
  EXPECT_EQ(wre_SoundLoadWav(nullptr, path.c_str(), 0, 0, 0), 7);

  // Invalid indexes do nothing.
  for (int32_t bad : {-1, 32, 1000}) {
    EXPECT_EQ(wre_SoundPlay(bad, 0), 0);
    EXPECT_EQ(wre_SoundStop(bad), 0);
    EXPECT_FALSE(wre_SoundIsPlaying(bad));
    EXPECT_EQ(wre_SoundSetVolume(bad, 5), 0);
    EXPECT_EQ(wre_SoundSetSlotFlags(bad, 4), -1);
    EXPECT_EQ(wre_SoundSetEmitterPos(bad, nullptr), -1);
    EXPECT_EQ(wre_SoundFree(bad), 0);
  }
  wre_SoundFree(9);
  EXPECT_FALSE(wre_SoundIsPlaying(9));
  EXPECT_EQ(wre_SoundSetSlotFlags(9, 4), -1);
}

TEST_F(SoundTest, LoadFailures) {
  EXPECT_EQ(wre_SoundLoadWav(nullptr, (folder_ / "missing.wav").c_str(), 0, 0, 0), -1);
  EXPECT_EQ(wre_SoundLoadWav(nullptr, Write("empty.wav", {}).c_str(), 0, 0, 0), -1);
  WavSpec odd;
  odd.bits = 24;  // not a depth the mixer plays
  EXPECT_EQ(wre_SoundLoadWav(nullptr, Write("odd.wav", Ramp(9, 1), odd).c_str(), 0, 0, 0), -1);
  // Nothing was left behind: the first slot is still free.
  EXPECT_EQ(wre_SoundLoadWav(nullptr, Write("ok.wav", Ramp(4, 1)).c_str(), 0, 0, 0), 0);
  wre_SoundShutdown();
  EXPECT_EQ(wre_SoundLoadWav(nullptr, (folder_ / "ok.wav").c_str(), 0, 0, 0), -1);
}

TEST_F(SoundTest, InitAndShutdown) {
  EXPECT_FALSE(wre_SoundInit(32, 1, nullptr, 0));  // already up
  wre_SoundShutdown();
  wre_SoundShutdown();  // a second call does nothing
  plat_SoundSetMasterVolume(-500);
  ASSERT_TRUE(wre_SoundInit(4, 1, nullptr, 0));
  wre_SoundSetMasterVolume(0);
  wre_SoundShutdown();
  int32_t master = 0;
  plat_SoundGetMasterVolume(&master);
  EXPECT_EQ(master, -500);  // the volume found at start-up is back
  EXPECT_EQ(wre_SoundSetMasterVolume(0), 0);
  plat_SoundGetMasterVolume(&master);
  EXPECT_EQ(master, -500);  // nothing when down

  plat_TestSoundSetDeviceAvailable(false);
  EXPECT_FALSE(wre_SoundInit(32, 1, nullptr, 0));
  plat_TestSoundSetDeviceAvailable(true);
  EXPECT_TRUE(wre_SoundInit(32, 1, nullptr, 0));
  EXPECT_FALSE(plat_TestSoundRender(nullptr, 0));
}

TEST_F(SoundTest, OneShotPlaysOnceStopsAndStartsAgainFromTheTop) {
  std::vector<int16_t> ramp = Ramp(64, 100);
  int32_t s = wre_SoundLoadWav(nullptr, Write("r.wav", ramp).c_str(), 0, 0, 0);
  ASSERT_EQ(wre_SoundPlay(s, 0), 0);
  EXPECT_TRUE(wre_SoundIsPlaying(s));
  std::vector<int16_t> out = Render(80);
  for (int i = 0; i < 64; ++i) {
    ASSERT_EQ(out[2 * i], ramp[i]) << i;
    ASSERT_EQ(out[2 * i + 1], ramp[i]) << i;
  }
  for (int i = 64; i < 80; ++i) EXPECT_EQ(out[2 * i], 0);
  EXPECT_FALSE(wre_SoundIsPlaying(s));
  wre_SoundPlay(s, 0);
  out = Render(2);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[2], 100);

  // Stop keeps nothing: the next play starts at the top.
  Render(10);
  EXPECT_EQ(wre_SoundStop(s), 0);
  EXPECT_FALSE(wre_SoundIsPlaying(s));
  out = Render(4);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[6], 0);
  wre_SoundPlay(s, 0);
  out = Render(1);
  EXPECT_EQ(out[0], 0);
}

TEST_F(SoundTest, LoopWrapsAndOnlyStopEndsIt) {
  std::vector<int16_t> ramp = Ramp(10, 1000);
  int32_t s = wre_SoundLoadWav(nullptr, Write("l.wav", ramp).c_str(), 0, 0, 0);
  wre_SoundPlay(s, kSoundPlayLoop);
  std::vector<int16_t> out = Render(35);
  for (int i = 0; i < 35; ++i) ASSERT_EQ(out[2 * i], ramp[i % 10]) << i;
  EXPECT_TRUE(wre_SoundIsPlaying(s));
  uint32_t status = 0;
  plat_SoundBufferGetStatus(wre_SoundGetSlot(s)->buffer, &status);
  EXPECT_EQ(status, kPlatSoundStatusPlaying | kPlatSoundStatusLooping);
  wre_SoundStop(s);
  EXPECT_FALSE(wre_SoundIsPlaying(s));
}

TEST_F(SoundTest, RenderedToneFollowsVolumePanAndFrequency) {
  std::vector<int16_t> tone = WavLoopTone(22050, 441.0, 500, 20000);
  int32_t s = wre_SoundLoadWav(nullptr, Write("tone.wav", tone).c_str(), 0, 0, 0);
  const double g = std::pow(10.0, -346 / 2000.0);  // -3.46 dB

  // Half volume, panned half left: the right side loses another 3.46 dB.
  wre_SoundSetVolume(s, 5120);
  wre_SoundSetPan(s, 2560);
  wre_SoundPlay(s, kSoundPlayLoop);
  std::vector<int16_t> out = Render(200);
  for (int i = 0; i < 200; ++i) {
    ASSERT_NEAR(out[2 * i], tone[i] * g, 1.0) << i;
    ASSERT_NEAR(out[2 * i + 1], tone[i] * g * g, 1.0) << i;
  }

  // Full volume panned fully right: the left side is silent.
  wre_SoundStop(s);
  wre_SoundSetVolume(s, 10240);
  wre_SoundSetPan(s, 10240);
  wre_SoundPlay(s, kSoundPlayLoop);
  out = Render(50);
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(out[2 * i], 0);
    ASSERT_EQ(out[2 * i + 1], tone[i]);
  }

  // Twice the rate skips every other sample; half the rate interpolates between neighbours.
  wre_SoundStop(s);
  wre_SoundSetPan(s, 5120);
  wre_SoundSetFrequency(s, 2.0f);
  wre_SoundPlay(s, kSoundPlayLoop);
  out = Render(100);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(out[2 * i], tone[2 * i]) << i;
  wre_SoundStop(s);
  wre_SoundSetFrequency(s, 0.5f);
  wre_SoundPlay(s, kSoundPlayLoop);
  out = Render(100);
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(out[4 * i], tone[i]) << i;
    ASSERT_NEAR(out[4 * i + 2], (tone[i] + tone[i + 1]) / 2.0, 1.0) << i;
  }

  // The master volume scales every slot.
  wre_SoundStop(s);
  wre_SoundSetFrequency(s, 1.0f);
  wre_SoundSetMasterVolume(5120);
  wre_SoundPlay(s, 0);
  out = Render(100);
  for (int i = 0; i < 100; ++i) ASSERT_NEAR(out[2 * i], tone[i] * g, 1.0) << i;
}

class Sound3DTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    wre_EngineInstallHooks();
    ASSERT_EQ(wre_MathTablesInit(), 0);
    slot_ = wre_SoundLoadWav(nullptr, Write("e.wav", Ramp(10, 1)).c_str(), 0, 0, kSoundSlotPositional);
    ASSERT_EQ(slot_, 0);
    wre_SoundSetEmitterPos(slot_, &emitter_);
    wre_SoundSetListenerPos(&listener_);
    wre_SoundSetListenerVecA(&listener_);
    wre_SoundSetListenerVecB(&listener_);
    wre_SoundSetListenerVecC(&listener_);
    wre_SoundFlagsSet(kSoundFlag3D);
    wre_SoundSet3DDistances(10.0f, 100.0f);
  }
  int32_t PanAt(float x, float z, int32_t heading = 0) {
    emitter_ = {x, 0, z, 0};
    camera_.transform.angleY = heading;
    EXPECT_EQ(wre_SoundUpdate3D(&view_), 0);
    return wre_SoundGetSlot(slot_)->pan;
  }
  void TearDown() override {
    wre_MathTablesExit();
    SoundTest::TearDown();
  }
  int32_t slot_ = -1;
  Point4 emitter_{0, 0, 0, 0};
  Point4 listener_{0, 0, 0, 0};
  Camera camera_{};
  FakeView view_{&camera_};
};

TEST_F(Sound3DTest, BearingFoldsIntoPan) {
  EXPECT_EQ(PanAt(50, 0), 10240);   // a quarter turn: fully right
  // Three quarters of a turn folds to -1024, fully left. Straight to the left the bearing is
  // -1023.5 truncated toward zero, one step short of it.
  EXPECT_EQ(PanAt(-50, -0.04f), 0);
  EXPECT_EQ(PanAt(-50, 0), 5);
  EXPECT_EQ(PanAt(0, -50), 5120);   // behind: centred
  EXPECT_EQ(PanAt(0, 50), 5120);    // ahead: centred
  EXPECT_EQ(PanAt(50, -50), 5120 + 512 * 5);  // behind to the right folds to the front half
  // Facing along +x, a sound on +x is straight ahead.
  EXPECT_EQ(PanAt(50, 0, 1024), 5120);
  EXPECT_EQ(PanAt(0, 50, 1024), 5);
}

TEST_F(Sound3DTest, DistanceSetsVolume) {
  const SoundSlot* rec = wre_SoundGetSlot(slot_);
  PanAt(0, 50);
  EXPECT_EQ(rec->volume, 5120);  // (100 - 50) / 100 of the base
  wre_SoundSetBaseVolume(slot_, 5120);
  PanAt(0, 50);
  EXPECT_EQ(rec->volume, 2560);
  PanAt(0, 100);
  EXPECT_EQ(rec->volume, 0);     // on the outer distance
  PanAt(0, 100.5f);
  EXPECT_EQ(rec->volume, 0);     // beyond it
  EXPECT_EQ(PanAt(5, 5), 5120);  // inside the inner distance: base volume, centred
  EXPECT_EQ(rec->volume, 5120);
  EXPECT_EQ(Attenuation(slot_), -346);

  // With the start-up distances nothing falls off.
  wre_SoundSet3DDistances(0.0f, 1.8e38f);
  wre_SoundSetBaseVolume(slot_, 10240);
  EXPECT_EQ(PanAt(1000, 0), 10240);
  EXPECT_EQ(rec->volume, 10240);
}

TEST_F(Sound3DTest, RefusesWithoutListenerOrFlag) {
  EXPECT_EQ(wre_SoundUpdate3D(nullptr), -1);
  wre_SoundFlagsClear(kSoundFlag3D);
  EXPECT_EQ(wre_SoundUpdate3D(&view_), -1);
  wre_SoundFlagsSet(kSoundFlag3D);
  wre_SoundSetListenerVecB(nullptr);
  EXPECT_EQ(wre_SoundUpdate3D(&view_), -1);
  wre_SoundSetListenerVecB(&listener_);
  FakeView noCamera{nullptr};
  EXPECT_EQ(wre_SoundUpdate3D(&noCamera), -1);
  EXPECT_EQ(wre_SoundUpdate3D(&view_), 0);

  // Slots that are not positional, or have no emitter, are left alone.
  wre_SoundSetSlotFlags(slot_, 0);
  wre_SoundSetVolume(slot_, 777);
  emitter_ = {0, 0, 50, 0};
  wre_SoundUpdate3D(&view_);
  EXPECT_EQ(wre_SoundGetSlot(slot_)->volume, 777);
  wre_SoundSetSlotFlags(slot_, kSoundSlotPositional);
  wre_SoundSetEmitterPos(slot_, nullptr);
  wre_SoundUpdate3D(&view_);
  EXPECT_EQ(wre_SoundGetSlot(slot_)->volume, 777);
}

}  // namespace
