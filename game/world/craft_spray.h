// Two helpers of the craft process: the swept box that bounds the candidates of a motion step's
// sweeps, and the craft's four spray emitters.
#pragma once
#include <cstdint>

struct Transform;
struct Watercraft;
struct World;

// The box (min x, max x, min y, max y, min z, max z) around the move from old to new: the body's
// radius about the new place, grown by the move and by the velocity both ways, from 20000 below
// the level to its top, and padded by the radius once more across.
void CraftSweptBox(const Watercraft* craft, const Transform* from, const Transform* to, float box[6]);
// The groups a craft can meet (0x1FFFFE7D) without the bits of its own body and rider.
uint32_t CraftSweptBoxMask(const Watercraft* craft);
// Collects the candidates in the box for later sweeps; their number (0 for a craft without body).
int32_t CraftSweptBoxQuery(const Watercraft* craft, const Transform* from, const Transform* to, World* world);

// Keeps the emitters on their mounts, lets their particles follow the craft's rise and fall,
// emits a burst from the first every 6 ticks while the craft is on the water, and ages every
// emitter's particles. 0, or the first failing particle result (a full set is not a failure).
int32_t CraftSprayUpdate(Watercraft* craft);
