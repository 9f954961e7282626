#include "game/world/game_sounds.h"

#include "engine/core/random.h"
#include "engine/core/timer.h"
#include "engine/data/cdaudio.h"
#include "engine/data/sound.h"
#include "game/state/menu_state.h"
#include "game/state/prefs.h"
#include "game/state/settings.h"
#include "game/world/watercraft.h"

namespace {

constexpr const char* kEffects = "qz_Sounds_PPC.ff";
constexpr const char* kMusic = "qz_Music_PPC.ff";
constexpr int32_t kFullVolume = 10240;
constexpr int32_t kPlayOnce = 0;
constexpr uint32_t kMotorUpdateTicks = 5;
constexpr int16_t kNoSound = -1;

}  // namespace

const SoundEntry kSoundTable[kGameSoundCount] = {
    {kEffects, 128, "data/sounds/water.wav", 2},
    {kEffects, 129, "data/sounds/motor.wav", 6},
    {kEffects, 130, "data/sounds/bumpsplash.wav", 4},
    {kEffects, 132, "data/sounds/claim.wav", 0},
    {kEffects, 133, "data/sounds/buoybump.wav", 4},
    {kEffects, 134, "data/sounds/coin_hit.WAV", 0},
    {kEffects, 135, "data/sounds/derby_hit.WAV", 0},
    {kEffects, 136, "data/sounds/first_place.WAV", 0},
    {kEffects, 137, "data/sounds/start_countdwn.WAV", 0},
    {kEffects, 138, "data/sounds/start_countgo.WAV", 0},
    {kEffects, 139, "data/sounds/start_cheer.WAV", 0},
    {kEffects, 12, "data/sounds/nice_try.WAV", 0},
    {kEffects, 141, "data/sounds/rider_splash.WAV", 4},
    {kEffects, 142, "data/sounds/menu_change.WAV", 0},
    {kEffects, 143, "data/sounds/page_flip.WAV", 0},
    {kEffects, 144, "data/sounds/ground_hit.WAV", 4},
    {kEffects, 145, "data/sounds/jump_splash.WAV", 4},
    {kEffects, 146, "data/sounds/ramp_jump.WAV", 4},
    {kMusic, 400, "data/sounds/Music_1.wav", 2},
    {kMusic, 401, "data/sounds/Music_2.wav", 2},
    {kMusic, 402, "data/sounds/Music_3.wav", 2},
    {kMusic, 403, "data/sounds/Music_4.wav", 2},
};

namespace {

int16_t Load(GameSound sound) {
  const SoundEntry& e = kSoundTable[sound];
  return static_cast<int16_t>(wre_SoundLoadWav(e.container, e.path, kSoundResourceType, e.number, e.slotFlags));
}

int16_t LoadAtFullVolume(GameSound sound) {
  const int16_t slot = Load(sound);
  wre_SoundSetVolume(slot, kFullVolume);
  return slot;
}

// A positional one-shot with its emitter at the origin.
void LoadOneShot(RaceOneShot shot, GameSound sound, bool setVolume) {
  const int16_t slot = setVolume ? LoadAtFullVolume(sound) : Load(sound);
  gRaceSounds.oneShots[shot] = slot;
  gRaceSounds.emitters[shot] = Point4{0.0f, 0.0f, 0.0f, 0.0f};
  wre_SoundSetEmitterPos(slot, &gRaceSounds.emitters[shot]);
}

void Free(int16_t* slot) {
  wre_SoundFree(*slot);
  *slot = kNoSound;
}

}  // namespace

void RaceSoundsLoad() {
  gRaceSounds.water = LoadAtFullVolume(kSoundWater);
  LoadOneShot(kOneShotBumpSplash, kSoundBumpSplash, true);
  LoadOneShot(kOneShotBuoyBump, kSoundBuoyBump, false);
  wre_SoundPlay(gRaceSounds.water, kSoundPlayLoop);
  gRaceSounds.countdown = LoadAtFullVolume(kSoundCountdown);
  gRaceSounds.go = LoadAtFullVolume(kSoundGo);
  gRaceSounds.cheer = LoadAtFullVolume(kSoundCheer);
  LoadOneShot(kOneShotRiderSplash, kSoundRiderSplash, true);
  LoadOneShot(kOneShotGroundHit, kSoundGroundHit, true);
  LoadOneShot(kOneShotJumpSplash, kSoundJumpSplash, true);
  LoadOneShot(kOneShotRampJump, kSoundRampJump, true);
}

void RaceSoundsFree() {
  Free(&gRaceSounds.water);
  Free(&gRaceSounds.pickup);
  Free(&gRaceSounds.countdown);
  Free(&gRaceSounds.go);
  Free(&gRaceSounds.cheer);
  for (int16_t& slot : gRaceSounds.oneShots) Free(&slot);
}

void PickupSoundLoad() {
  // A second load replaces the first rather than keeping two slots.
  Free(&gRaceSounds.pickup);
  GameSound sound = kSoundClaim;
  if (gGameMode == kModeTreasureLinear || gGameMode == kModeTreasureRoam) sound = kSoundCoinHit;
  if (gGameMode == kModeDerby) sound = kSoundDerbyHit;
  gRaceSounds.pickup = LoadAtFullVolume(sound);
}

void SoundPlayPickup() {
  if (!wre_SoundIsPlaying(gRaceSounds.pickup)) wre_SoundPlay(gRaceSounds.pickup, kPlayOnce);
}

void SoundPlayOneShot(RaceOneShot shot, const Point4* position, const void* view) {
  const int16_t slot = gRaceSounds.oneShots[shot];
  if (wre_SoundIsPlaying(slot)) return;
  if (position) gRaceSounds.emitters[shot] = *position;
  wre_SoundUpdate3D(view);
  wre_SoundPlay(slot, kPlayOnce);
}

void SoundPlayBuoyBump(const Point4* position, const void* view) { SoundPlayOneShot(kOneShotBuoyBump, position, view); }
void SoundPlayBumpSplash(const Point4* position, const void* view) {
  SoundPlayOneShot(kOneShotBumpSplash, position, view);
}
void SoundPlayGroundHit(const Point4* position, const void* view) { SoundPlayOneShot(kOneShotGroundHit, position, view); }
void SoundPlayRiderSplash(const Point4* position, const void* view) {
  SoundPlayOneShot(kOneShotRiderSplash, position, view);
}
void SoundPlayJumpSplashAt(const Point4* position, const void* view) {
  SoundPlayOneShot(kOneShotJumpSplash, position, view);
}
void SoundPlayRampJumpAt(const Point4* position, const void* view) { SoundPlayOneShot(kOneShotRampJump, position, view); }

void SoundPlayJumpSplash(float x, float y, float z, const void* view) {
  const Point4 position{x, y, z, 0.0f};
  SoundPlayJumpSplashAt(&position, view);
}

void SoundPlayRampJump(float x, float y, float z, const void* view) {
  const Point4 position{x, y, z, 0.0f};
  SoundPlayRampJumpAt(&position, view);
}

void SoundPlayCountdown(int32_t second) {
  if (second > 2) {
    wre_SoundPlay(gRaceSounds.go, kPlayOnce);
    return;
  }
  wre_SoundPlay(gRaceSounds.countdown, kPlayOnce);
  if (second == 0) wre_SoundPlay(gRaceSounds.cheer, kPlayOnce);
}

int32_t SoundPlayRaceResult(bool first) {
  const int16_t slot = Load(first ? kSoundFirstPlace : kSoundNiceTry);
  wre_SoundPlay(slot, kPlayOnce);
  return slot;
}

int32_t MotorSoundStart(Watercraft* craft) {
  const int16_t slot = Load(kSoundMotor);
  craft->soundHandles[0] = slot;
  wre_SoundSetEmitterPos(slot, &craft->currentPosition);
  wre_SoundSetBaseVolume(slot, kFullVolume);
  wre_SoundPlay(slot, kSoundPlayLoop);
  return 0;
}

int32_t MotorSoundStop(Watercraft* craft) {
  wre_SoundStop(craft->soundHandles[0]);
  Free(&craft->soundHandles[0]);
  return 0;
}

int32_t MotorSoundUpdate(Watercraft* craft) {
  if (gEngineTick - static_cast<uint32_t>(craft->motorPitchTick) < kMotorUpdateTicks) return 0;
  float factor = craft->physics.throttle;
  if (!(craft->flags & kCraftOnSurface)) factor *= 1.05f;
  if (factor == craft->motorPitchFactor) return 0;
  float rate = factor * 3.5f;
  if (rate < 0.7f) rate = 0.7f;
  if (rate > 5.0f) rate = 5.0f;
  const int16_t slot = craft->soundHandles[0];
  wre_SoundSetFrequency(slot, rate);
  craft->motorPitchFactor = factor;
  craft->motorPitchTick = static_cast<int32_t>(gEngineTick);
  if (!wre_SoundIsPlaying(slot)) wre_SoundPlay(slot, kSoundPlayLoop);
  return 0;
}

void MenuSoundsLoad(MenuState* menu) {
  menu->changeSound = Load(kSoundMenuChange);
  menu->flipSound = Load(kSoundPageFlip);
}

void MenuMusicUpdate() {
  MenuMusic& m = gMenuMusic;
  if (!m.started) {
    m.started = 1;
    m.track = static_cast<int16_t>(wre_Random() % 3);
    m.targetVolume = static_cast<int16_t>(PrefsEffectsVolume(gSettings.musicVolume));
  }
  if (gEngineTick - m.lastCheckTick < kMusicCheckTicks) return;
  m.lastCheckTick = gEngineTick;
  if (m.playing) {
    if (m.fading) {
      m.volume = static_cast<int16_t>(m.volume - kMusicFadeStep);
      if (m.volume <= 0) {
        wre_SoundStop(m.slot);
        m.playing = 0;
      } else {
        wre_SoundSetVolume(m.slot, m.volume);
      }
    } else if (gEngineTick - m.trackStartTick > kMusicTrackTicks) {
      m.fading = 1;
    }
    return;
  }
  if (m.slot != kNoSound) Free(&m.slot);
  m.track = static_cast<int16_t>(m.track + 1 > 3 ? 0 : m.track + 1);
  m.slot = Load(static_cast<GameSound>(kSoundMusic1 + m.track));
  if (m.slot == kNoSound) {
    // Tried again, with the next track, at the next call.
    m.lastCheckTick = gEngineTick - kMusicCheckTicks;
    return;
  }
  m.volume = m.targetVolume;
  wre_SoundSetVolume(m.slot, m.targetVolume);
  wre_SoundPlay(m.slot, kSoundPlayLoop);
  m.trackStartTick = gEngineTick;
  m.fading = 0;
  m.playing = 1;
}

void MusicVolumeApply() {
  gMenuMusic.targetVolume = static_cast<int16_t>(PrefsEffectsVolume(gSettings.musicVolume));
  if (gMenuMusic.slot != kNoSound) wre_SoundSetVolume(gMenuMusic.slot, gMenuMusic.targetVolume);
}

void MenuMusicStop() {
  if (gMenuMusic.slot != kNoSound) {
    if (gMenuMusic.playing) wre_SoundStop(gMenuMusic.slot);
    Free(&gMenuMusic.slot);
  }
  gMenuMusic.playing = 0;
  gMenuMusic.lastCheckTick = 0;
}

void RaceCdMusicStart() {
  if (gSettings.musicVolume > 0) CdAudioPlayTrack(gLevel + 1);
}

void RaceCdMusicStop() { CdAudioStop(); }
