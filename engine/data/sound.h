// Sound effect slots: numbered slots, each holding one WAV file in its own static sound buffer,
// with volume, pan and pitch per slot and a positional update from an emitter and a listener.
//
// Volumes and pans are on a 0..10240 scale (5120 is the centre pan) and are turned into the
// device's hundredths of a decibel.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"
#include "engine/data/wave.h"
#include "platform/plat_sound.h"

struct Camera;

struct SoundBufferDescription {
  uint32_t size;       // of this record
  uint32_t flags;      // 0xE2: static, with frequency, pan and volume control
  uint32_t bytes;      // the WAV data size
  WaveFormat* format;  // the file's format (owned by the slot)
};

struct SoundSlot {
  SoundBufferDescription description;
  PlatSoundBuffer* buffer;
  float frequencyFactor;  // 1.0 at load
  int32_t baseRate;       // the file's sample rate
  int32_t baseVolume;     // attenuation -10000..0 used by the positional update
  int32_t volume;         // 0..10240
  int32_t pan;            // 0..10240
};

enum : uint32_t { kSoundBufferFlags = 0xE2 };
enum : int32_t {
  kSoundPlayLoop = 2,        // play flag: loop
  kSoundFlag3D = 1,          // sound flag: the positional update runs
  kSoundSlotPositional = 4,  // slot flag: the positional update drives this slot
};

bool wre_SoundInit(int32_t count, int32_t reserved, void* window, int32_t flags);
void wre_SoundShutdown();
// The container, type and number are not read: the sound is the WAV file at the path.
int32_t wre_SoundLoadWav(const void* container, const char* path, int32_t type, int32_t number, int32_t slotFlags);
int32_t wre_SoundFree(int32_t slot);
int32_t wre_SoundPlay(int32_t slot, int32_t flags);
int32_t wre_SoundStop(int32_t slot);
bool wre_SoundIsPlaying(int32_t slot);
int32_t wre_SoundSetFrequency(int32_t slot, float factor);
int32_t wre_SoundSetVolume(int32_t slot, int32_t volume);
int32_t wre_SoundSetBaseVolume(int32_t slot, int32_t volume);
int32_t wre_SoundSetPan(int32_t slot, int32_t pan);
int32_t wre_SoundSetMasterVolume(int32_t volume);
void wre_SoundFlagsSet(int32_t bits);
void wre_SoundFlagsClear(int32_t bits);
int32_t wre_SoundSetSlotFlags(int32_t slot, int32_t flags);
int32_t wre_SoundSetEmitterPos(int32_t slot, const Point4* position);
void wre_SoundSetListenerPos(const Point4* position);
void wre_SoundSetListenerVecA(const Point4* vector);
void wre_SoundSetListenerVecB(const Point4* vector);
void wre_SoundSetListenerVecC(const Point4* vector);
void wre_SoundSet3DDistances(float inner, float outer);
// The engine's start-up installs the reader of a camera's heading (its turn about the vertical axis).
using SoundCameraHeading = float (*)(const Camera* camera);
void wre_SoundSetCameraHeading(SoundCameraHeading reader);
// view: a record whose first field is the listener's camera (a Camera pointer). 0; -1 when sound is down, the 3D flag
// is clear, the view is null, a listener vector is missing or no heading reader is installed.
int32_t wre_SoundUpdate3D(const void* view);

// The scale rules (values outside 0..10240 are clamped first).
int32_t wre_SoundVolumeToAttenuation(int32_t volume);
int32_t wre_SoundPanToDevice(int32_t pan);
int32_t wre_SoundBaseToAttenuation(int32_t volume);
int32_t wre_SoundAttenuationToBase(int32_t attenuation);
// The slot's record when the index is valid, else null (for inspection).
const SoundSlot* wre_SoundGetSlot(int32_t slot);
