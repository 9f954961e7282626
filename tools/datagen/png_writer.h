// PNG files of RGB pictures (stored, uncompressed deflate blocks), for looking at generated data
// and rendered frames with ordinary picture viewers.
#pragma once
#include <cstdint>
#include <vector>

// width x height pixels of red, green, blue bytes, top row first.
std::vector<uint8_t> PngWriteRgb(int32_t width, int32_t height, const uint8_t* rgb);
