// Platform layer: sound output. One mixer plays static PCM buffers (each with its own volume, pan,
// frequency, loop flag and play position) and pulled streams (music), into one stereo device.
//
// Volumes are attenuations in hundredths of a decibel, -10000 (silent) .. 0; pans run -10000 (right
// silent) .. 0 (centre) .. 10000 (left silent): a negative pan attenuates the right side by |pan|
// and a positive one the left. The master volume scales the buffers, not the streams.
//
// The real back end mixes on SDL's audio callback (SDL's "disk" driver writes what would be heard
// to a file). The test back end opens no device: a test renders any number of frames on demand and
// checks the sample values.
#pragma once
#include <cstdint>

struct PlatWaveFormat {
  uint16_t formatTag;       // 1 = PCM; 0xFFFE = extensible (then subFormatTag says what it holds)
  uint16_t channels;        // 1 or 2
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;      // bytes per frame
  uint16_t bitsPerSample;   // 8 (unsigned) or 16 (signed)
  uint16_t subFormatTag;    // the first word of an extensible format's subformat, else 0
};

enum : int32_t {
  kPlatSoundOk = 0,
  kPlatSoundErrInvalidParam = -1,  // a value out of range: nothing changed
  kPlatSoundErrNoDevice = -2,      // the output device is not open
  kPlatSoundErrBadFormat = -3,     // not a format the mixer plays (PCM 8/16-bit, 1-2 channels)
  kPlatSoundErrNoMemory = -4,
};

enum : uint32_t {
  kPlatSoundStatusPlaying = 0x1,
  kPlatSoundStatusLooping = 0x4,
};

constexpr int32_t kPlatSoundMinFrequency = 100;
constexpr int32_t kPlatSoundMaxFrequency = 100000;

// The device is shared: every successful open needs one close; the last close stops the output.
bool plat_SoundOpen();
void plat_SoundClose();
bool plat_SoundIsOpen();
int32_t plat_SoundOutputRate();

int32_t plat_SoundGetMasterVolume(int32_t* attenuation);
int32_t plat_SoundSetMasterVolume(int32_t attenuation);

// A static buffer: created silent and stopped at position 0; Lock gives its bytes in the buffer's
// own format, Unlock hands them to the mixer.
struct PlatSoundBuffer;
int32_t plat_SoundBufferCreate(const PlatWaveFormat* format, uint32_t bytes, PlatSoundBuffer** buffer);
void plat_SoundBufferRelease(PlatSoundBuffer* buffer);
int32_t plat_SoundBufferLock(PlatSoundBuffer* buffer, void** data, uint32_t* bytes);
int32_t plat_SoundBufferUnlock(PlatSoundBuffer* buffer);
// Plays from the current position; playing again while playing only changes the loop flag. A
// one-shot that reaches its end stops and goes back to position 0.
int32_t plat_SoundBufferPlay(PlatSoundBuffer* buffer, bool loop);
// Stops and keeps the position.
int32_t plat_SoundBufferStop(PlatSoundBuffer* buffer);
int32_t plat_SoundBufferSetPosition(PlatSoundBuffer* buffer, uint32_t byteOffset);
int32_t plat_SoundBufferGetPosition(PlatSoundBuffer* buffer, uint32_t* byteOffset);
int32_t plat_SoundBufferGetStatus(PlatSoundBuffer* buffer, uint32_t* status);
int32_t plat_SoundBufferSetVolume(PlatSoundBuffer* buffer, int32_t attenuation);
int32_t plat_SoundBufferGetVolume(PlatSoundBuffer* buffer, int32_t* attenuation);
int32_t plat_SoundBufferSetPan(PlatSoundBuffer* buffer, int32_t pan);
int32_t plat_SoundBufferGetPan(PlatSoundBuffer* buffer, int32_t* pan);
// 100..100000 Hz; anything else is refused and the rate stays as it was.
int32_t plat_SoundBufferSetFrequency(PlatSoundBuffer* buffer, int32_t hertz);
int32_t plat_SoundBufferGetFrequency(PlatSoundBuffer* buffer, int32_t* hertz);

// A pulled stream: the mixer asks for frames of signed 16-bit samples (channels interleaved) as it
// needs them, on its own thread; the pull returns how many it delivered, 0 at the end. After
// plat_SoundStreamRelease returns, the pull is not called again.
using PlatSoundPull = int32_t (*)(void* context, int16_t* samples, int32_t frames);
struct PlatSoundStream;
int32_t plat_SoundStreamCreate(int32_t rate, int32_t channels, PlatSoundPull pull, void* context,
                               PlatSoundStream** stream);
void plat_SoundStreamRelease(PlatSoundStream* stream);
// Linear gain 0.0..1.0 (the master volume does not apply to streams).
void plat_SoundStreamSetGain(PlatSoundStream* stream, float gain);
// False once the pull has reported its end and the last frame has been heard.
bool plat_SoundStreamActive(PlatSoundStream* stream);
