// The game's sounds on the engine's slots over the test sound device: the table's files in their
// slots, one-shots, the motor's pitch, the menu music's rotation and the race's CD track.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/memory.h"
#include "engine/core/random.h"
#include "engine/core/timer.h"
#include "engine/data/cdaudio.h"
#include "engine/data/sound.h"
#include "game/state/settings.h"
#include "game/world/game_sounds.h"
#include "game/world/watercraft.h"
#include "platform/plat_backend.h"
#include "platform/plat_cdaudio.h"
#include "platform/test/plat_cdaudio.h"
#include "platform/test/plat_sound.h"
#include "support/temp_dir.h"
#include "tools/datagen/wav_writer.h"

namespace {

struct FakeView {
  Camera* camera;
};

float NoHeading(const Camera*) { return 0.0f; }

// Each file of the table has its own sample rate, so a slot's base rate tells which file it holds.
uint32_t RateOf(int sound) { return 8000u + 100u * static_cast<uint32_t>(sound); }

class GameSounds : public ::testing::Test {
 protected:
  void SetUp() override {
    plat_UseBackend(kPlatBackendTest);
    plat_TestSoundReset();
    plat_TestCdReset();
    wre_MemoryInit();
    home_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    for (int s = 0; s < kGameSoundCount; ++s) WriteSound(s);
    ASSERT_TRUE(wre_SoundInit(32, 1, nullptr, 0));
    gSettings = Settings{};
    gRaceSounds = RaceSoundSet{-1, -1, -1, -1, -1, {-1, -1, -1, -1, -1, -1}, {}};
    gMenuMusic = MenuMusic{-1, 0, 0, 0, 0, 0, 0, 0, 0};
    gEngineTick = 1000;
  }
  void TearDown() override {
    CdAudioClose();
    plat_CdSetTrackFolder(nullptr);
    wre_SoundShutdown();
    std::filesystem::current_path(home_);
    plat_UseBackend(kPlatBackendReal);
  }
  void WriteSound(int s) {
    std::filesystem::create_directories("data/sounds");
    WavWriteFile(kSoundTable[s].path, WavSpec{RateOf(s), 1, 16}, std::vector<int16_t>(2000, 1000));
  }
  static void ExpectHolds(int32_t slot, int sound) {
    const SoundSlot* record = wre_SoundGetSlot(slot);
    ASSERT_NE(record, nullptr) << kSoundTable[sound].path;
    EXPECT_EQ(record->baseRate, static_cast<int32_t>(RateOf(sound))) << kSoundTable[sound].path;
  }

  TempDir dir_;
  std::filesystem::path home_;
};

TEST_F(GameSounds, RaceSetLoadsEachFileIntoItsSlotWithItsFlags) {
  RaceSoundsLoad();
  ExpectHolds(gRaceSounds.water, kSoundWater);
  ExpectHolds(gRaceSounds.countdown, kSoundCountdown);
  ExpectHolds(gRaceSounds.go, kSoundGo);
  ExpectHolds(gRaceSounds.cheer, kSoundCheer);
  const int shots[kOneShotCount] = {kSoundBumpSplash, kSoundBuoyBump,  kSoundRiderSplash,
                                    kSoundGroundHit,  kSoundJumpSplash, kSoundRampJump};
  for (int i = 0; i < kOneShotCount; ++i) ExpectHolds(gRaceSounds.oneShots[i], shots[i]);
  EXPECT_TRUE(wre_SoundIsPlaying(gRaceSounds.water));

  for (int32_t mode : {0, 1, 2, 3, 4}) {
    gGameMode = mode;
    PickupSoundLoad();
    ExpectHolds(gRaceSounds.pickup, mode == 3 ? kSoundDerbyHit : (mode == 1 || mode == 2) ? kSoundCoinHit : kSoundClaim);
  }

  // A listener out of reach silences exactly the positional slots.
  const Point4 far{1.0e6f, 0.0f, 0.0f, 0.0f};
  const Point4 axis{0.0f, 0.0f, 1.0f, 0.0f};
  wre_SoundSetListenerPos(&far);
  wre_SoundSetListenerVecA(&axis);
  wre_SoundSetListenerVecB(&axis);
  wre_SoundSetListenerVecC(&axis);
  wre_SoundSet3DDistances(100.0f, 1000.0f);
  wre_SoundSetCameraHeading(&NoHeading);
  wre_SoundFlagsSet(kSoundFlag3D);
  FakeView view{reinterpret_cast<Camera*>(&view)};
  ASSERT_EQ(wre_SoundUpdate3D(&view), 0);
  for (int16_t slot : gRaceSounds.oneShots) EXPECT_EQ(wre_SoundGetSlot(slot)->volume, 0);
  for (int16_t slot : {gRaceSounds.water, gRaceSounds.pickup, gRaceSounds.go, gRaceSounds.cheer}) {
    EXPECT_EQ(wre_SoundGetSlot(slot)->volume, 10240);
  }
  wre_SoundSetCameraHeading(nullptr);

  RaceSoundsFree();
  EXPECT_EQ(gRaceSounds.water, -1);
  EXPECT_EQ(gRaceSounds.pickup, -1);
  for (int32_t slot = 0; slot < 32; ++slot) EXPECT_EQ(wre_SoundGetSlot(slot), nullptr) << slot;
}

TEST_F(GameSounds, OneShotIsDroppedWhileTheSameSoundPlays) {
  RaceSoundsLoad();
  FakeView view{nullptr};
  const Point4 first{1.0f, 2.0f, 3.0f, 0.0f};
  const Point4 second{7.0f, 8.0f, 9.0f, 0.0f};
  SoundPlayBumpSplash(&first, &view);
  EXPECT_TRUE(wre_SoundIsPlaying(gRaceSounds.oneShots[kOneShotBumpSplash]));
  SoundPlayBumpSplash(&second, &view);
  EXPECT_EQ(gRaceSounds.emitters[kOneShotBumpSplash].x, 1.0f);
  wre_SoundStop(gRaceSounds.oneShots[kOneShotBumpSplash]);
  SoundPlayJumpSplash(7.0f, 8.0f, 9.0f, &view);
  SoundPlayBumpSplash(&second, &view);
  EXPECT_EQ(gRaceSounds.emitters[kOneShotBumpSplash].x, 7.0f);
  EXPECT_EQ(gRaceSounds.emitters[kOneShotJumpSplash].z, 9.0f);
  RaceSoundsFree();
}

TEST_F(GameSounds, MotorPitchFollowsTheThrottle) {
  Watercraft craft{};
  craft.flags = kCraftOnSurface;
  ASSERT_EQ(MotorSoundStart(&craft), 0);
  const int16_t slot = craft.soundHandles[0];
  ExpectHolds(slot, kSoundMotor);
  EXPECT_TRUE(wre_SoundIsPlaying(slot));
  const auto factor = [&] { return wre_SoundGetSlot(slot)->frequencyFactor; };

  craft.physics.throttle = 1.0f;
  MotorSoundUpdate(&craft);
  EXPECT_FLOAT_EQ(factor(), 3.5f);
  craft.physics.throttle = 0.0f;
  gEngineTick += 4;  // too soon
  MotorSoundUpdate(&craft);
  EXPECT_FLOAT_EQ(factor(), 3.5f);
  gEngineTick += 1;
  MotorSoundUpdate(&craft);
  EXPECT_FLOAT_EQ(factor(), 0.7f);
  // Unchanged: not touched, so the 5-tick wait does not restart.
  gEngineTick += 5;
  MotorSoundUpdate(&craft);
  EXPECT_EQ(craft.motorPitchTick, static_cast<int32_t>(gEngineTick - 5));
  craft.physics.throttle = 1.0f;
  craft.flags = 0;  // in the air
  wre_SoundStop(slot);
  MotorSoundUpdate(&craft);
  EXPECT_FLOAT_EQ(factor(), 3.675f);
  EXPECT_TRUE(wre_SoundIsPlaying(slot));  // restarted

  MotorSoundStop(&craft);
  EXPECT_EQ(craft.soundHandles[0], -1);
  EXPECT_EQ(wre_SoundGetSlot(slot), nullptr);
}

TEST_F(GameSounds, MenuMusicRotatesEvery1800TicksAndFadesOut) {
  gSettings.musicVolume = 50;  // 5119
  wre_RandomSeed(7);
  std::vector<int> tracks;    // the track loaded, by file
  std::vector<uint32_t> starts;
  uint32_t silentAt = 0;
  int32_t lastVolume = 5119;
  std::vector<int32_t> fade;
  for (uint32_t tick = 1000; tick < 1000 + 2 * 2200; ++tick) {
    gEngineTick = tick;
    const uint32_t before = gMenuMusic.trackStartTick;
    MenuMusicUpdate();
    if (gMenuMusic.trackStartTick != before) {
      tracks.push_back(gMenuMusic.track);
      starts.push_back(tick);
      ExpectHolds(gMenuMusic.slot, kSoundMusic1 + gMenuMusic.track);
      EXPECT_EQ(wre_SoundGetSlot(gMenuMusic.slot)->volume, 5119);
    }
    if (starts.size() == 1 && gMenuMusic.playing && gMenuMusic.volume != lastVolume) {
      fade.push_back(gMenuMusic.volume);
      lastVolume = gMenuMusic.volume;
    }
    if (!gMenuMusic.playing && silentAt == 0 && !starts.empty()) silentAt = tick;
  }
  ASSERT_GE(tracks.size(), 2u);
  EXPECT_GE(tracks[0], 1);  // the first track is Music_2, 3 or 4
  EXPECT_EQ(tracks[1], (tracks[0] + 1) % 4);
  EXPECT_EQ(starts[0], 1000u);
  // Checks every 30 ticks: the fade starts at the first check past 1800 ticks, falls by 500 a
  // check, and the next track comes one check after silence.
  const uint32_t fadeStart = 1000 + 1830;
  ASSERT_FALSE(fade.empty());
  EXPECT_EQ(fade.front(), 5119 - 500);
  EXPECT_EQ(fade.size(), 10u);  // 4619 .. 119, then 0 or below stops it
  EXPECT_EQ(silentAt, fadeStart + 11 * 30);
  EXPECT_EQ(starts[1], silentAt + 30);

  // A stop keeps the rotation's place.
  const int16_t track = gMenuMusic.track;
  MenuMusicStop();
  EXPECT_EQ(gMenuMusic.slot, -1);
  gEngineTick += 1;
  MenuMusicUpdate();
  EXPECT_EQ(gMenuMusic.track, (track + 1) % 4);
  MenuMusicStop();
}

TEST_F(GameSounds, MissingMusicIsRetriedEveryCall) {
  for (int i = 0; i < 4; ++i) std::filesystem::remove(kSoundTable[kSoundMusic1 + i].path);
  MenuMusicUpdate();
  const int16_t first = gMenuMusic.track;
  for (int call = 1; call <= 5; ++call) {
    ++gEngineTick;
    MenuMusicUpdate();
    EXPECT_EQ(gMenuMusic.track, (first + call) % 4);
    EXPECT_EQ(gMenuMusic.playing, 0);
  }
  // Once a file is back, the next call plays it.
  WriteSound(kSoundMusic1 + (first + 6) % 4);
  ++gEngineTick;
  MenuMusicUpdate();
  EXPECT_EQ(gMenuMusic.playing, 1);
  MenuMusicStop();
}

TEST_F(GameSounds, CdTrackOfTheLevelUnlessTheMusicIsOff) {
  std::filesystem::create_directories("cd");
  for (const char* name : {"cd/track01.wav", "cd/track02.wav", "cd/track03.wav"}) {
    WavWriteFile(name, WavSpec{}, std::vector<int16_t>(100, 0));
  }
  plat_CdSetTrackFolder("cd");
  ASSERT_EQ(CdAudioOpen(100, 0), 0);
  gLevel = 2;
  gSettings.musicVolume = 0;
  RaceCdMusicStart();
  EXPECT_EQ(plat_TestCdLog()->plays, 0);
  gSettings.musicVolume = 1;
  RaceCdMusicStart();
  EXPECT_EQ(plat_TestCdLog()->plays, 1);
  EXPECT_TRUE(CdAudioIsPlaying());
  RaceCdMusicStop();
  EXPECT_FALSE(CdAudioIsPlaying());
}

}  // namespace
