// Intro videos: an ".avi" file of the current data folder played centred on the screen with its
// sound, until it ends or a key or the left mouse button stops it.
#pragma once
#include <cstdint>

// name: a file name in the current data folder; view: a record whose first field is the camera
// whose drawing context is drawn into. 0 after playback, -1 when the video could not be started.
int32_t IntroVideoPlay(const char* name, const void* view);

// Where a video of the given size goes in the screen rectangle: centred, each half truncated,
// from the rectangle's own left and top.
void IntroVideoPlace(int32_t screenLeft, int32_t screenTop, int32_t screenRight, int32_t screenBottom, int32_t width,
                     int32_t height, int32_t* left, int32_t* top);
