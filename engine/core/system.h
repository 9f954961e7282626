// The engine's system layer, brought up once when the program starts.
#pragma once
#include <cstdint>

#include "engine/core/fatal.h"

// 0 on success, 255 on failure.
uint8_t wre_SystemStartup(WreFatalCallback fatalCallback, uint8_t lockSystemKeys);
// Takes down what the system layer brought up beyond memory, clock and input; safe at any time.
void wre_SystemShutdown();
void wre_SystemSetFlag(uint8_t value);
