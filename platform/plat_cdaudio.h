// Platform layer: the music disc, its volume line, and the mixer line that can stand in for it.
//
// The disc is a folder of track files "track01.wav", "track02.wav", ... (PCM WAV). The media is
// present when track 1 exists; the track count is the highest number reached without a gap. Tracks
// play through a stream of the sound mixer, one after the other, without blocking the caller. The
// volume line ("aux" device of CD technology) is the stream's gain, separate from the effects'
// master volume.
#pragma once
#include <cstdint>
#include <string>

enum : int32_t {
  kPlatCdOk = 0,
  kPlatCdErrInvalidDevice = 257,  // no such open device
  kPlatCdErrHardware = 262,       // the sound output could not play the tracks
  kPlatCdErrNoMedia = 276,        // no disc (no track folder or no track 1)
  kPlatCdErrOutOfRange = 282,     // a track number the disc does not have
  kPlatCdErrCannotOpen = 266,     // the device could not be opened
};

// The folder that holds the tracks; null or empty gives back the default, "data/cdaudio" in the
// program's folder. Takes effect at the next open.
void plat_CdSetTrackFolder(const char* folder);
std::string plat_CdTrackFolder();

int32_t plat_CdOpen(uint32_t* device);
int32_t plat_CdSetTimeFormatTmsf(uint32_t device);
int32_t plat_CdClose(uint32_t device);
int32_t plat_CdMediaPresent(uint32_t device, bool* present);
int32_t plat_CdTrackCount(uint32_t device, uint32_t* count);
// Plays from the start of the first track to the end of the last; returns at once.
int32_t plat_CdPlay(uint32_t device, uint32_t firstTrack, uint32_t lastTrack);
int32_t plat_CdStop(uint32_t device);
// The track being heard, 0 when none.
uint32_t plat_CdPlayingTrack();

// Volume lines. Aux volume: left in the low 16 bits, right in the high 16 bits, each 0..0xFFFF.
uint32_t plat_AuxCount();
bool plat_AuxIsCdAudio(uint32_t id);
int32_t plat_AuxSetVolume(uint32_t id, uint32_t volume);
// The mixer's compact-disc volume control.
int32_t plat_MixerOpen(uint32_t index, uintptr_t callbackValue, uint32_t* handle);
int32_t plat_MixerGetCdVolumeControl(uint32_t handle, uint32_t* controlId, uint32_t* minimum, uint32_t* maximum);
int32_t plat_MixerSetControl(uint32_t handle, uint32_t controlId, uint32_t value);
int32_t plat_MixerClose(uint32_t handle);
