// The five watercraft models: each one's data folder word and its physics constants.
#pragma once
#include <cstdint>

constexpr int32_t kCraftModelCount = 5;

struct CraftModel {
  const char* folderWord;  // of "data:hydrels:<word>"
  float power;
  float mass;
  float rampRate;  // thrust gained per call per unit of throttle
};

inline constexpr CraftModel kCraftModelTable[kCraftModelCount] = {
    {"alder", 851.0f, 678.0f, 0.02f},   {"dogwood", 732.0f, 613.0f, 0.02f}, {"elm", 904.0f, 613.0f, 0.02f},
    {"birch", 803.0f, 589.0f, 0.02f},   {"cedar", 628.0f, 342.0f, 0.02f},
};
