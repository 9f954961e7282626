// Platform layer: the sound mixer and the devices it plays on, not for engine, game or launcher code.
//
// The mixer (plat_sound.cpp) owns every buffer and stream. A device opens the output, says at what
// rate it runs and keeps its own thread out of the mixer's records while the caller changes them:
// the SDL device (plat_sound_sdl.cpp) mixes on SDL's audio callback, the test device
// (plat_sound_test.cpp) has no thread and mixes when a test asks.
#pragma once
#include <cstdint>

struct PlatSoundDevice {
  bool (*open)(int32_t* rate);  // false when there is no output; otherwise its rate in hertz
  void (*close)();
  void (*lock)();
  void (*unlock)();
};
extern const PlatSoundDevice kPlatSoundDeviceSdl;
extern const PlatSoundDevice kPlatSoundDeviceTest;

// Mixes the next frames of every playing buffer and stream into out (stereo, left first). One
// caller at a time: the device's thread, or a test on the test device.
void plat_SoundMix(int16_t* out, int32_t frames);
// The device the mixer is playing on, null while the output is closed.
const PlatSoundDevice* plat_SoundOpenDevice();
