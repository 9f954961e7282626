// The racer chain: every racer's craft of the running race, the last one made first, read by the
// head-up display. Its head is gRacerChainHead and its length gRacerCount (watercraft.h).
#pragma once
#include <cstdint>

struct Watercraft;

// Puts the craft at the head. 0; -1000 for a null craft.
int32_t RacerChainLink(Watercraft* craft);
// Takes the craft out, joining its neighbours, and clears its links; a craft not in the chain is
// left as it is. 0; -1000 for a null craft.
int32_t RacerChainUnlink(Watercraft* craft);
