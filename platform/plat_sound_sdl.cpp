// The sound mixer's real device: SDL's audio device, mixing on SDL's audio callback.
#include <SDL.h>

#include "platform/plat_sound_device.h"

namespace {

SDL_AudioDeviceID gAudio = 0;
bool gSilent = false;  // the open output is SDL's silent one

void SdlCallback(void*, Uint8* stream, int length) {
  plat_SoundMix(reinterpret_cast<int16_t*>(stream), length / 4);
}

bool OpenDevice(int32_t* rate) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = 44100;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = SdlCallback;
  SDL_AudioSpec have{};
  gAudio = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (gAudio == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  *rate = have.freq;
  SDL_PauseAudioDevice(gAudio, 0);
  return true;
}

// Without any audio output (a machine or container without a sound device) the mixer runs on
// SDL's silent driver, which consumes samples in real time: sounds play and end as they would.
bool SdlOpen(int32_t* rate) {
  gSilent = false;
  if (OpenDevice(rate)) return true;
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
  gSilent = OpenDevice(rate);
  SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  return gSilent;
}

void SdlClose() {
  if (gAudio) SDL_CloseAudioDevice(gAudio);
  gAudio = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlLock() {
  if (gAudio) SDL_LockAudioDevice(gAudio);
}

void SdlUnlock() {
  if (gAudio) SDL_UnlockAudioDevice(gAudio);
}

}  // namespace

const PlatSoundDevice kPlatSoundDeviceSdl{SdlOpen, SdlClose, SdlLock, SdlUnlock, nullptr};

bool plat_SoundSdlSilent() { return gAudio != 0 && gSilent; }
