// Texture images as the texture loader reads them: an 8-bit BMP, its opacity companion of the same
// size (the brightness of each pixel is its opacity) and numbered mip levels "<file>_01" ..
// "<file>_16" (extension included), each half the size of the level above, at least 1. The opacity
// companion gets mip levels of the same names and sizes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/datagen/bmp_writer.h"

struct TextureImageSpec {
  std::string file;         // e.g. "water.bmp"
  int32_t width = 64;
  int32_t height = 64;
  int32_t mipLevels = 0;    // 0 .. 16
  std::string opacityFile;  // empty: none, e.g. "water_opacity.bmp"
  uint32_t seed = 1;
};

// The name of mip level n: "<file>_0n" below 10, "<file>_n" from 10.
std::string TextureMipFileName(const std::string& file, int32_t level);

// The size of mip level n of a width x height image.
int32_t TextureMipSide(int32_t side, int32_t level);

// The palette of the images: index i is a blue-green water colour, reserved byte 255.
std::vector<BmpPaletteEntry> TextureImagePalette();
// The palette of the opacity images: index i is grey i.
std::vector<BmpPaletteEntry> TextureOpacityPalette();
// The indices of level n of the image, and of its opacity companion (a left-to-right ramp).
std::vector<uint8_t> TextureImageIndices(const TextureImageSpec& spec, int32_t level);
std::vector<uint8_t> TextureOpacityIndices(const TextureImageSpec& spec, int32_t level);

// Writes every file the description names into the folder; false (with a message on standard error) on failure.
bool TextureImagesWrite(const std::string& folder, const TextureImageSpec& spec);
