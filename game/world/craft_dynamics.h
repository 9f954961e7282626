// Craft dynamics: one call of the craft process turns the controls into the craft's velocity and
// spin (throttle spooling, buoyancy and gravity, thrust, turning, grip, banking and drag), before
// the motion step moves the craft. Pure arithmetic on the physics block and the body's axes.
#pragma once

#include "game/world/craft_physics.h"

struct Watercraft;

// Reads the craft's flag byte and its body's forward and up axes; writes the physics block. On the
// water every stage acts; in the air only the thrown-rider cut, gravity and spooling.
void CraftDynamicsStep(const Watercraft* craft, CraftPhysics* physics);
