#include "game/world/racer_chain.h"

#include "engine/core/wre_types.h"
#include "game/world/watercraft.h"

int32_t RacerChainLink(Watercraft* craft) {
  if (!craft) return kWreErrNull;
  craft->chainPrev = nullptr;
  craft->chainNext = gRacerChainHead;
  if (gRacerChainHead) gRacerChainHead->chainPrev = craft;
  gRacerChainHead = craft;
  ++gRacerCount;
  return 0;
}

int32_t RacerChainUnlink(Watercraft* craft) {
  if (!craft) return kWreErrNull;
  // Every linked craft but the head has a predecessor: an unlinked one leaves the count alone.
  if (gRacerChainHead != craft && !craft->chainPrev) return 0;
  if (gRacerChainHead == craft) gRacerChainHead = craft->chainNext;
  if (craft->chainPrev) craft->chainPrev->chainNext = craft->chainNext;
  if (craft->chainNext) craft->chainNext->chainPrev = craft->chainPrev;
  craft->chainPrev = nullptr;
  craft->chainNext = nullptr;
  --gRacerCount;
  return 0;
}
