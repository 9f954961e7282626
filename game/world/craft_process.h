// Every racer's craft process: the motion step, the computer rider, the rider, the spray, the
// follow camera, the motor sound and the thrown-rider sequence, once every 2 ticks.
#pragma once
#include <cstdint>

struct ProcessNode;
struct ViewComponents;
struct Watercraft;

// The process callback; the node's user data is the racer's GameObject and its stored argument
// the race's ViewComponents. 0, or the first non-zero result of the steps.
int32_t CraftProcess(ProcessNode* node);
// One motion step of one craft: 0, or the non-zero code of the swept-box query.
int32_t CraftMotionStep(Watercraft* craft, ViewComponents* view);
// Copies the craft's position into its current-position slots and updates its motor sound.
void CraftPositionStore(Watercraft* craft);
