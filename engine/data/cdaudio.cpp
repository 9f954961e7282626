#include "engine/data/cdaudio.h"

#include <algorithm>

#include "platform/plat_cdaudio.h"

namespace {

struct CdState {
  bool open = false;
  bool playing = false;
  uint32_t device = 0;
  uint32_t trackCount = 0;
  int32_t volume = -1;  // none set yet: the first set always reaches the line
  int32_t auxId = -1;
  bool hasMixer = false;
  uint32_t mixer = 0;
  uint32_t controlId = 0;
  uint32_t controlMin = 0;
  uint32_t controlMax = 0;
};
CdState gCd;

}  // namespace

int32_t CdAudioOpen(int32_t volume, uintptr_t mixerCallback) {
  if (gCd.open) return 0;
  gCd.volume = -1;
  gCd.auxId = -1;
  gCd.hasMixer = false;
  gCd.trackCount = 0;
  int32_t result = plat_CdOpen(&gCd.device);
  if (result != kPlatCdOk) return result;
  plat_CdSetTimeFormatTmsf(gCd.device);
  result = plat_CdSetTimeFormatTmsf(gCd.device);
  if (result != kPlatCdOk) {
    // The device is closed again and the failure reported, not the close's success.
    plat_CdClose(gCd.device);
    return result;
  }
  uint32_t auxCount = plat_AuxCount();
  for (uint32_t i = 0; i < auxCount; ++i) {
    if (plat_AuxIsCdAudio(i)) {
      gCd.auxId = static_cast<int32_t>(i);
      break;
    }
  }
  if (gCd.auxId < 0 && plat_MixerOpen(0, mixerCallback, &gCd.mixer) == kPlatCdOk) {
    gCd.hasMixer = plat_MixerGetCdVolumeControl(gCd.mixer, &gCd.controlId, &gCd.controlMin, &gCd.controlMax) ==
                   kPlatCdOk;
    if (!gCd.hasMixer) plat_MixerClose(gCd.mixer);
  }
  gCd.open = true;
  bool present = false;
  if (plat_CdMediaPresent(gCd.device, &present) == kPlatCdOk && present) {
    uint32_t count = 0;
    if (plat_CdTrackCount(gCd.device, &count) == kPlatCdOk && count != 0) gCd.trackCount = count;
  }
  result = CdAudioSetVolume(volume);
  gCd.playing = false;
  return result;
}

int32_t CdAudioClose() {
  if (!gCd.open) return 0;
  plat_CdStop(gCd.device);
  if (gCd.hasMixer) plat_MixerClose(gCd.mixer);
  gCd.hasMixer = false;
  int32_t result = plat_CdClose(gCd.device);
  gCd.open = false;
  gCd.playing = false;
  gCd.trackCount = 0;
  return result;
}

int32_t CdAudioPlayTrack(int32_t track) {
  if (!gCd.open) return 0;
  uint32_t first = track > 0 ? static_cast<uint32_t>(track) : 0;
  int32_t result = plat_CdPlay(gCd.device, first, gCd.trackCount);
  gCd.playing = result == kPlatCdOk;
  return result;
}

int32_t CdAudioStop() {
  if (!gCd.open) return 0;
  int32_t result = plat_CdStop(gCd.device);
  gCd.playing = false;
  return result;
}

int32_t CdAudioSetVolume(int32_t volume) {
  if (!gCd.open) return 0;
  volume = std::clamp(volume, 0, 255);
  if (volume == gCd.volume) return 0;
  gCd.volume = volume;
  if (!gCd.hasMixer) {
    if (gCd.auxId < 0) return 0;
    uint32_t w = std::min<uint32_t>(static_cast<uint32_t>(volume) * 256u, 0xFFFFu);
    return plat_AuxSetVolume(static_cast<uint32_t>(gCd.auxId), w | w << 16);
  }
  uint32_t value = static_cast<uint32_t>(static_cast<uint64_t>(volume) * (gCd.controlMax - gCd.controlMin) / 255u) +
                   gCd.controlMin;
  return plat_MixerSetControl(gCd.mixer, gCd.controlId, value);
}

bool CdAudioIsOpen() { return gCd.open; }
bool CdAudioIsPlaying() { return gCd.playing; }
uint32_t CdAudioTrackCount() { return gCd.trackCount; }
