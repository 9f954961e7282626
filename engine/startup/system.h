// The engine's system layer, brought up once when the program starts: memory, clock, input, the
// token texts and the system keys; its shut-down also takes the media (CD audio, sound) down.
#pragma once
#include <cstdint>

#include "engine/core/fatal.h"

// Also installs the engine's hooks. 0 on success, 255 on failure.
uint8_t wre_SystemStartup(WreFatalCallback fatalCallback, uint8_t lockSystemKeys);
// Takes down what the system layer brought up beyond memory, clock and input; safe at any time.
void wre_SystemShutdown();
void wre_SystemSetFlag(uint8_t value);
