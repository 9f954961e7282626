// Every racer's craft process: the motion step, the computer rider, the rider, the spray, the
// follow camera, the motor sound and the thrown-rider sequence, once every 2 ticks.
#pragma once
#include <cstdint>

struct ProcessNode;
struct ViewComponents;
struct Watercraft;

// The process callback; the node's user data (user1) is the racer's GameObject and its stored
// argument (user2) the race's ViewComponents. Nothing while the game is paused. 0, or the first
// non-zero result of the steps; -1000 when the node carries no craft with a body.
int32_t CraftProcess(ProcessNode* node);
// One motion step of one craft. 0; -1000 for a null craft or one without a body; a failing
// (negative) swept-box query's code, with the craft unmoved.
int32_t CraftMotionStep(Watercraft* craft, ViewComponents* view);
// Copies the craft's position into its current-position slots and updates its motor sound.
void CraftPositionStore(Watercraft* craft);
