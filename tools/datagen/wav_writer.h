// Sample data: WAV files (RIFF WAVE, PCM) and simple synthesised sounds.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct WavSpec {
  uint32_t rate = 22050;
  uint16_t channels = 1;
  uint16_t bits = 16;  // 8 (unsigned) or 16 (signed)
};

// A chunk written between "fmt " and "data" (e.g. "LIST" or "fact").
struct WavExtraChunk {
  char id[4];
  std::vector<uint8_t> data;
};

// A whole WAV file of the samples (16-bit values, channels interleaved; 8-bit files keep the top
// byte). Extra chunks go between the format and the data.
std::vector<uint8_t> WavBuild(const WavSpec& spec, const std::vector<int16_t>& samples,
                              const std::vector<WavExtraChunk>& extra = {});
bool WavWriteFile(const std::string& path, const WavSpec& spec, const std::vector<int16_t>& samples);

// A sine of `frames` samples that holds a whole number of periods (the nearest to hertz), so that
// played looped it closes on itself: it starts at 0 and the sample after the last is 0 again.
std::vector<int16_t> WavLoopTone(uint32_t rate, double hertz, uint32_t frames, int16_t amplitude);
// A sine that fades out over its last quarter.
std::vector<int16_t> WavToneBurst(uint32_t rate, double hertz, uint32_t frames, int16_t amplitude);
// Noise with a falling envelope, the same for the same seed.
std::vector<int16_t> WavNoiseBurst(uint32_t frames, int16_t amplitude, uint32_t seed);
