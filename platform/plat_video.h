// Platform layer: a playing video stream. Frames are read from an AVI file (plat_avi.h), drawn into
// a rectangle of the screen through the presenter (plat_present.h) at the file's frame rate, and
// the file's audio plays through the sound mixer.
//
// The order of use: create, open a file, read its format, create the sample (the rectangle frames
// go to), place it, run, update once per frame until the update says the stream has ended, stop,
// release.
#pragma once
#include <cstdint>

#include "platform/plat_present.h"

enum : int32_t {
  kPlatVideoOk = 0,            // a frame was shown
  kPlatVideoEndOfStream = 1,   // no frames left
  kPlatVideoErrNoFile = -1,    // no video open
  kPlatVideoErrBadRect = -2,   // a sample rectangle not of the video's size
  kPlatVideoErrState = -3,     // called out of order
};

struct PlatVideo;

// Null when no stream object can be made.
PlatVideo* plat_VideoCreate();
void plat_VideoRelease(PlatVideo* video);
// 0, or the AVI reader's code (plat_avi.h).
int32_t plat_VideoOpenFile(PlatVideo* video, const char* path);
// The size of the open video; 0 x 0 when none is open.
int32_t plat_VideoGetFormat(PlatVideo* video, int32_t* width, int32_t* height);
int32_t plat_VideoCreateSample(PlatVideo* video, const PlatEdgeRect* rect);
int32_t plat_VideoSetRect(PlatVideo* video, const PlatEdgeRect* rect);
int32_t plat_VideoRun(PlatVideo* video);
// Waits until the next frame is due and shows it; frames whose time has already passed are skipped.
int32_t plat_VideoUpdate(PlatVideo* video);
void plat_VideoStop(PlatVideo* video);
