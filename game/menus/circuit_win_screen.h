// The picture shown when the last race of a circuit is done, with the first-place voice, held until
// the player answers.
#pragma once
#include <cstdint>

struct ViewComponents;

// The frame end's result once the player answered; a failing bitmap load's error with nothing
// drawn; 0 without drawing when no material slot is free. The data folder, textures, material and
// voice are left as they were found on every path.
int32_t CircuitWinScreenShow(ViewComponents* view);
