// Sample data: Ogg Vorbis files, for music too long to keep as PCM in the tree.
//
// The encoder's settings and the stream's serial number are fixed by the caller, so the same
// samples give the same bytes on every run.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct OggSpec {
  uint32_t rate = 22050;
  uint16_t channels = 2;
  float quality = 0.2f;  // the encoder's variable-bitrate quality, -0.1 .. 1.0
  int32_t serial = 1;    // the logical stream's serial number
};

// A whole Ogg Vorbis file of the samples (channels interleaved); empty when the encoder refuses
// the settings.
std::vector<uint8_t> OggBuild(const OggSpec& spec, const std::vector<int16_t>& samples);
bool OggWriteFile(const std::string& path, const OggSpec& spec, const std::vector<int16_t>& samples);
