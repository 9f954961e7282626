// WAV reading for the sound slots: RIFF "WAVE" files with a "fmt " chunk and a "data" chunk.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/plat_riff.h"

enum : int32_t {
  kWaveErrOpen = 57600,        // the file cannot be opened
  kWaveErrNotWave = 57601,     // not RIFF WAVE, "fmt " shorter than 16 bytes, or extra format bytes short
  kWaveErrReadFormat = 57602,  // the format could not be read
  kWaveErrDataShort = 57603,   // the data ends before the chunk's size
  kWaveErrNoMemory = 57344,    // no memory for the format record
};

// The format record; extraSize bytes follow it in the same block (0 for PCM).
struct WaveFormat {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint16_t extraSize;
};

using WaveFile = PlatRiffFile;

// Opens the file, checks it is RIFF WAVE and reads its format. On success *file, *format and *riff
// are set and the caller closes the file and frees the format; on an error nothing is left open.
// The codes of chunk searches that fail come back unchanged (plat_riff.h).
int32_t WaveOpenFile(const char* path, WaveFile** file, WaveFormat** format, PlatRiffChunk* riff);
// The same on bytes in memory, which must outlive the reader.
int32_t WaveOpenMemory(const void* data, size_t size, WaveFile** file, WaveFormat** format, PlatRiffChunk* riff);
// Finds the "data" chunk; 57603 when the file holds fewer bytes than the chunk claims.
int32_t WaveFindData(WaveFile* file, PlatRiffChunk* data, const PlatRiffChunk* riff);
// Copies min(count, bytes left in the chunk); the chunk's size counts down by what was copied.
int32_t WaveRead(WaveFile* file, uint32_t count, uint8_t* destination, PlatRiffChunk* data, uint32_t* countRead);
int32_t WaveClose(WaveFile** file);
void WaveFormatFree(WaveFormat* format);
const uint8_t* WaveFormatExtra(const WaveFormat* format);
