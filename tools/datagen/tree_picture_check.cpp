#include "tools/datagen/tree_picture_check.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace {

bool PowerOfTwoUpTo256(int32_t v) { return v >= 1 && v <= 256 && (v & (v - 1)) == 0; }

// A bitmap's width and height from its header; false when the file is not a bitmap.
bool PictureSize(const TreeOutput& tree, const std::string& relative, int32_t* width, int32_t* height) {
  std::ifstream in(TreeDataPath(tree, relative), std::ios::binary);
  uint8_t h[26] = {};
  in.read(reinterpret_cast<char*>(h), sizeof(h));
  auto le32 = [&](int at) { return static_cast<int32_t>(h[at] | h[at + 1] << 8 | h[at + 2] << 16 | h[at + 3] << 24); };
  const bool core = le32(14) == 12;
  *width = core ? (h[18] | h[19] << 8) : le32(18);
  *height = std::abs(core ? (h[20] | h[21] << 8) : le32(22));
  return h[0] == 'B' && h[1] == 'M';
}

}  // namespace

std::vector<std::string> CheckPicture(const TreeOutput& tree, const std::string& relative) {
  int32_t w = 0, h = 0;
  if (!PictureSize(tree, relative, &w, &h) || !PowerOfTwoUpTo256(w) || !PowerOfTwoUpTo256(h))
    return {relative + ": not a bitmap of power-of-two sides up to 256"};
  return {};
}

// A sky's faces span a quarter of the view and more: its pictures are as large as a texture may be,
// or their pixels show as blocks.
std::vector<std::string> CheckSkyPictures(const TreeOutput& tree) {
  std::vector<std::string> failures;
  for (const TreeModel& m : tree.models) {
    if (m.file != "SkyDayN.c4d") continue;
    for (const std::string& t : m.textures) {
      int32_t w = 0, h = 0;
      if (PictureSize(tree, m.folder + "/" + t, &w, &h) && (w != 256 || h != 256))
        failures.push_back(m.folder + "/" + t + ": a sky picture of " + std::to_string(w) + " x " + std::to_string(h) +
                           ", not 256 x 256");
    }
  }
  return failures;
}
