// Every sound of the game on the engine's sound slots: the race set (water loop, positional
// one-shots, pickup and countdown voices), each craft's motor whose pitch follows its throttle, the
// result voices, the two menu sounds, the rotating menu music with its fade-out, and the race's CD
// music. A sound that cannot be loaded keeps slot -1 and every call on it stays silent.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

struct MenuState;
struct Watercraft;

// The resource type that names every sound in its container: 'snd '.
constexpr int32_t kSoundResourceType = 0x736E6420;

// One entry of the sound table: the container and resource number name it, the file is what plays.
struct SoundEntry {
  const char* container;
  int32_t number;
  const char* path;
  int32_t slotFlags;  // 4: positional
};

enum GameSound : int32_t {
  kSoundWater,
  kSoundMotor,
  kSoundBumpSplash,
  kSoundClaim,
  kSoundBuoyBump,
  kSoundCoinHit,
  kSoundDerbyHit,
  kSoundFirstPlace,
  kSoundCountdown,
  kSoundGo,
  kSoundCheer,
  kSoundNiceTry,
  kSoundRiderSplash,
  kSoundMenuChange,
  kSoundPageFlip,
  kSoundGroundHit,
  kSoundJumpSplash,
  kSoundRampJump,
  kSoundMusic1,  // Music_1..Music_4 follow in order
  kGameSoundCount = kSoundMusic1 + 4,
};

extern const SoundEntry kSoundTable[kGameSoundCount];

// The positional one-shots of a race, each with its own emitter position.
enum RaceOneShot : int32_t {
  kOneShotBumpSplash,
  kOneShotBuoyBump,
  kOneShotRiderSplash,
  kOneShotGroundHit,
  kOneShotJumpSplash,
  kOneShotRampJump,
  kOneShotCount,
};

struct RaceSoundSet {
  int16_t water;
  int16_t pickup;
  int16_t countdown;
  int16_t go;
  int16_t cheer;
  int16_t oneShots[kOneShotCount];
  Point4 emitters[kOneShotCount];
};

struct MenuMusic {
  int16_t slot;  // -1 none
  int16_t track;  // 0..3
  uint8_t started;
  uint32_t lastCheckTick;
  uint8_t playing;
  uint32_t trackStartTick;
  uint8_t fading;
  int16_t volume;        // 0..10240
  int16_t targetVolume;  // 0..10240
};

inline RaceSoundSet gRaceSounds = {-1, -1, -1, -1, -1, {-1, -1, -1, -1, -1, -1}, {}};
inline MenuMusic gMenuMusic = {-1, 0, 0, 0, 0, 0, 0, 0, 0};

constexpr uint32_t kMusicTrackTicks = 1800;
constexpr uint32_t kMusicCheckTicks = 30;
constexpr int16_t kMusicFadeStep = 500;

// The race set, loaded at race set-up (the water loop starts at once) and freed at teardown.
void RaceSoundsLoad();
void RaceSoundsFree();
// The pickup of the running game mode: coins for the treasure hunts, the derby claim, else the
// rally claim.
void PickupSoundLoad();
void SoundPlayPickup();

// Positional one-shots: dropped while the same sound still plays; otherwise the emitter moves to
// the position (when given), the positional update runs once with the view, and it plays once.
void SoundPlayOneShot(RaceOneShot sound, const Point4* position, const void* view);
void SoundPlayBuoyBump(const Point4* position, const void* view);
void SoundPlayBumpSplash(const Point4* position, const void* view);
void SoundPlayGroundHit(const Point4* position, const void* view);
void SoundPlayRiderSplash(const Point4* position, const void* view);
void SoundPlayJumpSplashAt(const Point4* position, const void* view);
void SoundPlayRampJumpAt(const Point4* position, const void* view);
void SoundPlayJumpSplash(float x, float y, float z, const void* view);
void SoundPlayRampJump(float x, float y, float z, const void* view);

// The countdown's voice for the second: go above 2, else the beep, with the cheer at 0.
void SoundPlayCountdown(int32_t second);
// Starts the first-place or the nice-try voice; its slot (the caller frees it), or -1.
int32_t SoundPlayRaceResult(bool first);

// A craft's looping motor, whose pitch follows the throttle at most every 5 ticks. 0.
int32_t MotorSoundStart(Watercraft* craft);
int32_t MotorSoundStop(Watercraft* craft);
int32_t MotorSoundUpdate(Watercraft* craft);

void MenuSoundsLoad(MenuState* menu);

// The menu music: a random first track, then the tracks in turn, each for 1800 ticks at the music
// volume and then faded out; a track that cannot be loaded is skipped at the next call.
void MenuMusicUpdate();
void MusicVolumeApply();
// Stops the music; the rotation goes on from the same track afterwards.
void MenuMusicStop();

// The level's CD track during a race, unless the music volume is 0.
void RaceCdMusicStart();
void RaceCdMusicStop();
