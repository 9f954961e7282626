#include "tools/datagen/wav_writer.h"

#include <cmath>
#include <cstring>

#include "platform/plat_files.h"
#include "tools/datagen/riff_bytes.h"

std::vector<uint8_t> WavBuild(const WavSpec& spec, const std::vector<int16_t>& samples,
                              const std::vector<WavExtraChunk>& extra) {
  const uint32_t bytesPerSample = spec.bits / 8u;
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size()) * bytesPerSample;
  std::vector<uint8_t> out;
  RiffPutId(out, "RIFF");
  RiffPut32(out, 0);  // patched below
  RiffPutId(out, "WAVE");
  RiffPutId(out, "fmt ");
  RiffPut32(out, 16);
  RiffPut16(out, 1);
  RiffPut16(out, spec.channels);
  RiffPut32(out, spec.rate);
  RiffPut32(out, spec.rate * spec.channels * bytesPerSample);
  RiffPut16(out, spec.channels * bytesPerSample);
  RiffPut16(out, spec.bits);
  for (const auto& chunk : extra) {
    RiffPutId(out, chunk.id);
    RiffPut32(out, static_cast<uint32_t>(chunk.data.size()));
    out.insert(out.end(), chunk.data.begin(), chunk.data.end());
    if (chunk.data.size() & 1) out.push_back(0);
  }
  RiffPutId(out, "data");
  RiffPut32(out, dataBytes);
  for (int16_t s : samples) {
    if (spec.bits == 8) {
      out.push_back(static_cast<uint8_t>((s >> 8) + 128));
    } else {
      RiffPut16(out, static_cast<uint16_t>(s));
    }
  }
  if (dataBytes & 1) out.push_back(0);
  uint32_t riffSize = static_cast<uint32_t>(out.size() - 8);
  out[4] = static_cast<uint8_t>(riffSize);
  out[5] = static_cast<uint8_t>(riffSize >> 8);
  out[6] = static_cast<uint8_t>(riffSize >> 16);
  out[7] = static_cast<uint8_t>(riffSize >> 24);
  return out;
}

bool WavWriteFile(const std::string& path, const WavSpec& spec, const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes = WavBuild(spec, samples);
  return plat_FileSaveWhole(path.c_str(), bytes.data(), bytes.size());
}

std::vector<int16_t> WavLoopTone(uint32_t rate, double hertz, uint32_t frames, int16_t amplitude) {
  std::vector<int16_t> out(frames, 0);
  if (frames == 0 || rate == 0) return out;
  double periods = std::round(hertz * frames / rate);
  if (periods < 1) periods = 1;
  for (uint32_t i = 0; i < frames; ++i) {
    out[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2.0 * M_PI * periods * i / frames)));
  }
  return out;
}

std::vector<int16_t> WavToneBurst(uint32_t rate, double hertz, uint32_t frames, int16_t amplitude) {
  std::vector<int16_t> out(frames, 0);
  const uint32_t fadeFrom = frames - frames / 4;
  for (uint32_t i = 0; i < frames; ++i) {
    double envelope = i < fadeFrom ? 1.0 : static_cast<double>(frames - i) / (frames - fadeFrom);
    out[i] = static_cast<int16_t>(std::lround(amplitude * envelope * std::sin(2.0 * M_PI * hertz * i / rate)));
  }
  return out;
}

std::vector<int16_t> WavNoiseBurst(uint32_t frames, int16_t amplitude, uint32_t seed) {
  std::vector<int16_t> out(frames, 0);
  uint32_t state = seed ? seed : 1;
  for (uint32_t i = 0; i < frames; ++i) {
    state = state * 1664525u + 1013904223u;
    double noise = static_cast<double>(state >> 16) / 32768.0 - 1.0;
    double envelope = 1.0 - static_cast<double>(i) / frames;
    out[i] = static_cast<int16_t>(std::lround(amplitude * envelope * envelope * noise));
  }
  return out;
}
