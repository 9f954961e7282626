// Platform layer: reading AVI files with uncompressed frames (8-bit with a palette, 16-bit 555 or
// 24-bit) and PCM audio. Compressed video is refused.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/plat_present.h"
#include "platform/plat_sound.h"

enum : int32_t {
  kPlatAviOk = 0,
  kPlatAviErrOpen = 1,        // the file cannot be opened
  kPlatAviErrFormat = 2,      // not an AVI file, or its headers are missing or broken
  kPlatAviErrCompressed = 3,  // video in a form this reader does not decode
  kPlatAviErrRead = 4,        // a frame's data is missing or short
};

constexpr int32_t kPlatAviMaxSide = 4096;

struct PlatAviInfo {
  int32_t width;
  int32_t height;
  int32_t bitsPerPixel;            // 8, 16 or 24
  uint32_t microsecondsPerFrame;   // from the main header, or from the video stream's rate
  uint32_t frameCount;             // video chunks in the file
  bool hasAudio;                   // a PCM audio stream with data
  PlatWaveFormat audioFormat;
};

struct PlatAvi;
int32_t plat_AviOpen(const char* path, PlatAvi** avi);
// The bytes must outlive the reader.
int32_t plat_AviOpenMemory(const void* data, size_t size, PlatAvi** avi);
void plat_AviClose(PlatAvi* avi);
const PlatAviInfo* plat_AviInfo(const PlatAvi* avi);
// Frame `index` with its rows top first: 24-bit frames and 8-bit frames (through the palette) as
// kPlatImageBgr24, 16-bit frames as kPlatImage555; rows are width x bytes per pixel long. An empty
// chunk (a dropped frame) repeats the frame before it.
int32_t plat_AviReadFrame(PlatAvi* avi, uint32_t index, std::vector<uint8_t>* pixels, PlatImageFormat* format);
// All audio bytes, in the audio format.
int32_t plat_AviReadAudio(PlatAvi* avi, std::vector<uint8_t>* bytes);
