// CD audio: the game's music tracks, played a track at a time, with the volume set through the CD
// volume line or, where there is none, through the mixer's compact-disc control.
#pragma once
#include <cstdint>

// 0 when already open; otherwise the result of setting the initial volume (0..255), or the device's
// error when it cannot be opened or set up.
int32_t CdAudioOpen(int32_t volume, uintptr_t mixerCallback);
// Stops, closes the mixer and the device; 0 when not open, else the device's close result.
int32_t CdAudioClose();
// Plays from the start of the track to the end of the disc's last track; 0 when not open, else the
// device's result (the playing flag is set only when the play started).
int32_t CdAudioPlayTrack(int32_t track);
int32_t CdAudioStop();
// Volume 0..255 (clamped); 0 when not open or unchanged, else the volume line's result.
int32_t CdAudioSetVolume(int32_t volume);

// Inspection.
bool CdAudioIsOpen();
bool CdAudioIsPlaying();
uint32_t CdAudioTrackCount();
