// The sound mixer's real device: SDL's audio device, mixing on SDL's audio callback.
#include <SDL.h>

#include "platform/plat_sound_device.h"

namespace {

SDL_AudioDeviceID gAudio = 0;

void SdlCallback(void*, Uint8* stream, int length) {
  plat_SoundMix(reinterpret_cast<int16_t*>(stream), length / 4);
}

bool SdlOpen(int32_t* rate) {
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

const PlatSoundDevice kPlatSoundDeviceSdl{SdlOpen, SdlClose, SdlLock, SdlUnlock};
