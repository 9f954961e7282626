// WAV reading: formats, chunk order, sizes that the file does not back.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/core/memory.h"
#include "engine/data/wave.h"
#include "tools/datagen/wav_writer.h"

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct Opened {
  int32_t result = -1;
  WaveFile* file = nullptr;
  WaveFormat* format = nullptr;
  PlatRiffChunk riff{};
  ~Opened() {
    WaveClose(&file);
    WaveFormatFree(format);
  }
};

void Open(const std::vector<uint8_t>& bytes, Opened* o) {
  o->result = WaveOpenMemory(bytes.data(), bytes.size(), &o->file, &o->format, &o->riff);
}

class WaveTest : public ::testing::Test {
 protected:
  void SetUp() override { wre_MemoryInit(); }
};

TEST_F(WaveTest, ReadsPcmFormatAndAllData) {
  WavSpec spec;
  spec.rate = 22050;
  std::vector<int16_t> samples = {0, 100, -100, 32767, -32768, 5};
  std::vector<uint8_t> bytes = WavBuild(spec, samples);
  Opened o;
  Open(bytes, &o);
  ASSERT_EQ(o.result, 0);
  EXPECT_EQ(o.format->formatTag, 1);
  EXPECT_EQ(o.format->channels, 1);
  EXPECT_EQ(o.format->samplesPerSec, 22050u);
  EXPECT_EQ(o.format->blockAlign, 2);
  EXPECT_EQ(o.format->bitsPerSample, 16);
  EXPECT_EQ(o.format->extraSize, 0);

  PlatRiffChunk data{};
  ASSERT_EQ(WaveFindData(o.file, &data, &o.riff), 0);
  ASSERT_EQ(data.size, samples.size() * 2);
  std::vector<int16_t> read(samples.size());
  uint32_t count = 0;
  // Two reads; the chunk's remaining size counts down by what was copied.
  ASSERT_EQ(WaveRead(o.file, 4, reinterpret_cast<uint8_t*>(read.data()), &data, &count), 0);
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(data.size, 8u);
  ASSERT_EQ(WaveRead(o.file, 100, reinterpret_cast<uint8_t*>(read.data()) + 4, &data, &count), 0);
  EXPECT_EQ(count, 8u);
  EXPECT_EQ(data.size, 0u);
  EXPECT_EQ(read, samples);
}

TEST_F(WaveTest, FindsDataBehindOtherChunks) {
  WavSpec spec;
  spec.bits = 8;
  std::vector<WavExtraChunk> extra = {{{'L', 'I', 'S', 'T'}, {'I', 'N', 'F', 'O', 1, 2, 3}},
                                      {{'f', 'a', 'c', 't'}, {4, 0, 0, 0}}};
  std::vector<uint8_t> bytes = WavBuild(spec, {0, 256, -256, 1000}, extra);
  Opened o;
  Open(bytes, &o);
  ASSERT_EQ(o.result, 0);
  PlatRiffChunk data{};
  ASSERT_EQ(WaveFindData(o.file, &data, &o.riff), 0);
  uint8_t read[4] = {};
  uint32_t count = 0;
  ASSERT_EQ(WaveRead(o.file, 4, read, &data, &count), 0);
  EXPECT_EQ(read[0], 128);
  EXPECT_EQ(read[1], 129);
  EXPECT_EQ(read[2], 127);
  EXPECT_EQ(read[3], 131);
}

TEST_F(WaveTest, RefusesWhatIsNotAWaveFile) {
  std::vector<uint8_t> bytes = WavBuild(WavSpec{}, {1, 2, 3});
  {
    std::vector<uint8_t> b = bytes;
    std::memcpy(b.data() + 8, "AVI ", 4);
    Opened o;
    Open(b, &o);
    EXPECT_EQ(o.result, kWaveErrNotWave);
    EXPECT_EQ(o.file, nullptr);
    EXPECT_EQ(o.format, nullptr);
  }
  {
    std::vector<uint8_t> b = bytes;
    std::memcpy(b.data(), "RIFX", 4);
    Opened o;
    Open(b, &o);
    EXPECT_EQ(o.result, kWaveErrNotWave);
  }
  {
    // A format chunk of 14 bytes (the old short form) is too short.
    std::vector<uint8_t> b = bytes;
    Put32(b, 16, 14);
    Opened o;
    Open(b, &o);
    EXPECT_EQ(o.result, kWaveErrNotWave);
  }
  {
    // Too short for a chunk header at all: the chunk search's own code comes back.
    std::vector<uint8_t> b(bytes.begin(), bytes.begin() + 6);
    Opened o;
    Open(b, &o);
    EXPECT_EQ(o.result, kPlatRiffErrChunkNotFound);
  }
  {
    Opened o;
    o.result = WaveOpenFile("no/such/file.wav", &o.file, &o.format, &o.riff);
    EXPECT_EQ(o.result, kWaveErrOpen);
    EXPECT_EQ(o.file, nullptr);
  }
}

TEST_F(WaveTest, NonPcmExtraBytesMustLieInsideTheFormatChunk) {
  // Format tag 2 with an extra size word: 2 extra bytes fit in an 20-byte chunk, 40 do not.
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 20, 0, 0, 0,
                            2,   0,   1,   0,   0x22, 0x56, 0, 0, 0, 0, 0, 0, 1, 0, 4, 0,
                            2,   0,   0xAA, 0xBB,
                            'd', 'a', 't', 'a', 2, 0, 0, 0, 1, 2};
  Put32(b, 4, static_cast<uint32_t>(b.size() - 8));
  {
    Opened o;
    Open(b, &o);
    ASSERT_EQ(o.result, 0);
    EXPECT_EQ(o.format->formatTag, 2);
    ASSERT_EQ(o.format->extraSize, 2);
    EXPECT_EQ(WaveFormatExtra(o.format)[0], 0xAA);
    EXPECT_EQ(WaveFormatExtra(o.format)[1], 0xBB);
  }
  b[36] = 40;
  {
    Opened o;
    Open(b, &o);
    EXPECT_EQ(o.result, kWaveErrNotWave);
  }
}

TEST_F(WaveTest, DataSizeBeyondTheFileIsShortData) {
  std::vector<uint8_t> bytes = WavBuild(WavSpec{}, {1, 2, 3, 4});
  size_t dataSize = bytes.size() - 8 - 4;  // the data chunk's size field
  for (uint32_t claim : {10u, 0xFFFFFFF0u}) {
    std::vector<uint8_t> b = bytes;
    Put32(b, dataSize, claim);
    Opened o;
    Open(b, &o);
    ASSERT_EQ(o.result, 0);
    PlatRiffChunk data{};
    EXPECT_EQ(WaveFindData(o.file, &data, &o.riff), kWaveErrDataShort) << claim;
  }
  // No data chunk at all: the search's code.
  std::vector<uint8_t> b(bytes.begin(), bytes.begin() + 36);
  Put32(b, 4, static_cast<uint32_t>(b.size() - 8));
  Opened o;
  Open(b, &o);
  ASSERT_EQ(o.result, 0);
  PlatRiffChunk data{};
  EXPECT_EQ(WaveFindData(o.file, &data, &o.riff), kPlatRiffErrChunkNotFound);
}

}  // namespace
