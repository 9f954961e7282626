// The rider on its craft: seated on the model's seat, or thrown off by a hard impact, flying,
// splashing into the water and sinking, until the sequence ends 180 ticks later and the rider is
// seated again. During a throw the player's camera shows the chase view.
#pragma once
#include <cstdint>

struct ViewComponents;
struct Watercraft;

constexpr uint32_t kRiderThrowTicks = 180;

// Seats the rider, or moves the thrown rider by its spin and velocity and lets it meet the water.
// 0; -1000 for a null craft or a craft without body or rider.
int32_t RiderUpdate(Watercraft* craft, ViewComponents* view);
// Throws the rider off backward: the craft loses its speed and power; a human's camera changes to
// the chase view. 0; -1000 for a null craft.
int32_t RiderThrowStart(Watercraft* craft, ViewComponents* view);
// The thrown rider's gravity; past 180 ticks the sequence ends and a human's view comes back.
// 0; -1000 for a null craft.
int32_t RiderThrowUpdate(Watercraft* craft, ViewComponents* view);
