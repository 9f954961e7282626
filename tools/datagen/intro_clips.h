// Sample data: the two intro clips, drawn frame by frame: a name over a moving sea under a clouded
// sky, with a craft crossing the water and its wake behind it.
#pragma once
#include <cstdint>
#include <string>

#include "tools/datagen/avi_writer.h"

struct IntroClipLook {
  std::string title;
  std::string subtitle;
  uint32_t skyTop, skyHorizon, seaHorizon, seaDeep, sun, titleColour, livery;
  float sunX;          // 0..1 across the frame
  bool craftHeadsLeft;
  uint32_t seed;
};

// A 320 x 240 clip of `frames` frames at 10 a second, 8-bit with one palette, with a tone.
AviClipSpec IntroClip(const IntroClipLook& look, uint32_t frames);
