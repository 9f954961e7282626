// The sizes of the tree's pictures as their bitmap headers give them: every texture a power of two
// on each side up to 256, as the texture loader takes them, and every sky picture the full 256.
#pragma once
#include <string>
#include <vector>

#include "tools/datagen/tree_output.h"

// A message when data/<relative> is not a bitmap of power-of-two sides up to 256; none when it is.
std::vector<std::string> CheckPicture(const TreeOutput& tree, const std::string& relative);

// A message for each picture a sky model names that is not 256 x 256; none when all are.
std::vector<std::string> CheckSkyPictures(const TreeOutput& tree);
