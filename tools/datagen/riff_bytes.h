// Little-endian fields and four-character ids, as the RIFF-based files (WAV, AVI) store them.
#pragma once
#include <cstdint>
#include <vector>

inline void RiffPut16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void RiffPut32(std::vector<uint8_t>& out, uint32_t v) {
  RiffPut16(out, v & 0xFFFF);
  RiffPut16(out, v >> 16);
}

inline void RiffPutId(std::vector<uint8_t>& out, const char* id) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
}
