// The WAV writer and its sounds, round-tripped through the engine's WAV reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/core/memory.h"
#include "engine/data/wave.h"
#include "tools/datagen/wav_writer.h"

namespace {

std::vector<uint8_t> ReadBack(const std::vector<uint8_t>& file, WaveFormat* formatOut) {
  WaveFile* f = nullptr;
  WaveFormat* format = nullptr;
  PlatRiffChunk riff{}, data{};
  EXPECT_EQ(WaveOpenMemory(file.data(), file.size(), &f, &format, &riff), 0);
  if (!f) return {};
  *formatOut = *format;
  EXPECT_EQ(WaveFindData(f, &data, &riff), 0);
  std::vector<uint8_t> bytes(data.size);
  uint32_t n = 0;
  EXPECT_EQ(WaveRead(f, data.size, bytes.data(), &data, &n), 0);
  WaveClose(&f);
  WaveFormatFree(format);
  return bytes;
}

TEST(WavWriterTest, RoundTripsThroughTheReader) {
  wre_MemoryInit();
  std::vector<int16_t> s = WavNoiseBurst(301, 20000, 3);  // odd length: a pad byte in 8 bits
  for (uint16_t bits : {8, 16}) {
    for (uint16_t channels : {1, 2}) {
      WavSpec spec;
      spec.bits = bits;
      spec.channels = channels;
      spec.rate = 11025;
      std::vector<int16_t> samples(s.begin(), s.begin() + (channels == 2 ? 300 : 301));
      WaveFormat format{};
      std::vector<uint8_t> bytes = ReadBack(WavBuild(spec, samples), &format);
      EXPECT_EQ(format.channels, channels);
      EXPECT_EQ(format.bitsPerSample, bits);
      EXPECT_EQ(format.samplesPerSec, 11025u);
      EXPECT_EQ(format.blockAlign, channels * bits / 8);
      EXPECT_EQ(format.avgBytesPerSec, 11025u * channels * bits / 8);
      ASSERT_EQ(bytes.size(), samples.size() * bits / 8);
      for (size_t i = 0; i < samples.size(); ++i) {
        int16_t got = bits == 8 ? static_cast<int16_t>((bytes[i] - 128) << 8)
                                : static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        int16_t want = bits == 8 ? static_cast<int16_t>((samples[i] >> 8) << 8) : samples[i];
        ASSERT_EQ(got, want) << i;
      }
    }
  }
}

TEST(WavWriterTest, LoopsCloseOnWholePeriods) {
  const uint32_t n = 5512;
  std::vector<int16_t> s = WavLoopTone(22050, 180.0, n, 10000);
  ASSERT_EQ(s.size(), n);
  EXPECT_EQ(s[0], 0);
  // The step from the last sample back to the first is no bigger than any step inside.
  int maxStep = 0;
  for (uint32_t i = 1; i < n; ++i) maxStep = std::max(maxStep, std::abs(s[i] - s[i - 1]));
  EXPECT_LE(std::abs(s[0] - s[n - 1]), maxStep);
  EXPECT_NEAR(s[n - 1], -s[1], 1);
  // Bursts end quietly.
  std::vector<int16_t> b = WavToneBurst(22050, 880.0, 2000, 12000);
  EXPECT_LE(std::abs(b.back()), 12000 / 400);
  std::vector<int16_t> noise = WavNoiseBurst(2000, 12000, 9);
  EXPECT_EQ(noise, WavNoiseBurst(2000, 12000, 9));
  EXPECT_LE(std::abs(noise.back()), 10);
}

}  // namespace
