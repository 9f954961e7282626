#include "tools/datagen/texture_images.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (out) return true;
  std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

std::string TextureMipFileName(const std::string& file, int32_t level) {
  char suffix[16];
  std::snprintf(suffix, sizeof(suffix), level < 10 ? "_0%d" : "_%d", level);
  return file + suffix;
}

int32_t TextureMipSide(int32_t side, int32_t level) {
  for (int32_t i = 0; i < level; ++i) side = side > 1 ? side / 2 : 1;
  return side;
}

std::vector<BmpPaletteEntry> TextureImagePalette() {
  std::vector<BmpPaletteEntry> palette(256);
  for (int i = 0; i < 256; ++i) {
    palette[static_cast<size_t>(i)] = BmpPaletteEntry{static_cast<uint8_t>(i / 4), static_cast<uint8_t>(64 + i / 2),
                                                      static_cast<uint8_t>(128 + i / 2), 255};
  }
  return palette;
}

std::vector<BmpPaletteEntry> TextureOpacityPalette() {
  std::vector<BmpPaletteEntry> palette(256);
  for (int i = 0; i < 256; ++i) {
    auto g = static_cast<uint8_t>(i);
    palette[static_cast<size_t>(i)] = BmpPaletteEntry{g, g, g, 255};
  }
  return palette;
}

std::vector<uint8_t> TextureImageIndices(const TextureImageSpec& spec, int32_t level) {
  int32_t w = TextureMipSide(spec.width, level);
  int32_t h = TextureMipSide(spec.height, level);
  std::vector<uint8_t> indices(static_cast<size_t>(w) * static_cast<size_t>(h));
  // Soft diagonal bands, shifted per seed; every level shows the same bands at its own scale.
  int32_t scale = 1 << level;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t v = static_cast<uint32_t>((x + y) * scale * 4) + spec.seed * 37u;
      indices[static_cast<size_t>(y * w + x)] = static_cast<uint8_t>(v);
    }
  }
  return indices;
}

std::vector<uint8_t> TextureOpacityIndices(const TextureImageSpec& spec, int32_t level) {
  int32_t w = TextureMipSide(spec.width, level);
  int32_t h = TextureMipSide(spec.height, level);
  std::vector<uint8_t> indices(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      indices[static_cast<size_t>(y * w + x)] = static_cast<uint8_t>(w > 1 ? x * 255 / (w - 1) : 255);
    }
  }
  return indices;
}

bool TextureImagesWrite(const std::string& folder, const TextureImageSpec& spec) {
  if (spec.file.empty() || spec.width < 1 || spec.height < 1 || spec.mipLevels < 0 || spec.mipLevels > 16) {
    std::fprintf(stderr, "datagen: bad texture image spec for %s\n", spec.file.c_str());
    return false;
  }
  const std::filesystem::path dir(folder);
  const std::vector<BmpPaletteEntry> palette = TextureImagePalette();
  const std::vector<BmpPaletteEntry> grey = TextureOpacityPalette();
  bool ok = true;
  for (int32_t level = 0; level <= spec.mipLevels; ++level) {
    int32_t w = TextureMipSide(spec.width, level);
    int32_t h = TextureMipSide(spec.height, level);
    std::string name = level == 0 ? spec.file : TextureMipFileName(spec.file, level);
    std::vector<uint8_t> indices = TextureImageIndices(spec, level);
    ok &= WriteFile(dir / name, BmpWriteIndexed(w, h, indices.data(), palette.data(), 256));
    if (spec.opacityFile.empty()) continue;
    std::string opacityName = level == 0 ? spec.opacityFile : TextureMipFileName(spec.opacityFile, level);
    std::vector<uint8_t> opacity = TextureOpacityIndices(spec, level);
    ok &= WriteFile(dir / opacityName, BmpWriteIndexed(w, h, opacity.data(), grey.data(), 256));
  }
  return ok;
}
