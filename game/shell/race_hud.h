// The race frame: the scene through the game camera with the head-up display on top. Outside a
// race (race-active flag clear) the frame shows the scene alone.
#pragma once
#include <cstdint>

struct ViewComponents;

// One race frame; beginFlag goes to the frame begin unchanged. Every failing step is fatal (a full
// polygon queue is not a failure). 0.
int32_t RaceFrameRender(ViewComponents* view, uint8_t beginFlag);
