// The engine's random source: a lagged additive generator over 19 words.
#pragma once
#include <cstdint>

void wre_RandomSeed(uint32_t seed);
uint32_t wre_Random();
