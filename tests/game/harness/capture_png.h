// Captured frames written as PNG pictures for people to look at: only when VH_MENU_CAPTURES names
// a folder, so that test runs leave nothing behind otherwise.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/plat_display.h"
#include "tools/datagen/png_writer.h"

// Writes the frame (565 pixels) as "<name>.png" into the capture folder, when there is one.
inline void CapturePngKeep(const PlatFrame& frame, const std::string& name) {
  const char* folder = std::getenv("VH_MENU_CAPTURES");
  if (!folder) return;
  std::vector<uint8_t> rgb;
  rgb.reserve(frame.pixels.size() * 3);
  for (const uint16_t p : frame.pixels)
    rgb.insert(rgb.end(), {static_cast<uint8_t>((p >> 11) << 3), static_cast<uint8_t>(((p >> 5) & 63) << 2),
                           static_cast<uint8_t>((p & 31) << 3)});
  const std::vector<uint8_t> png = PngWriteRgb(frame.width, frame.height, rgb.data());
  std::ofstream(std::filesystem::path(folder) / (name + ".png"), std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}
