// What the game keeps in an engine object's game words: the owner (a craft object's Watercraft),
// the link word (a marker's GateRecord, a rider's splashed flag) and the floating list's links.
#pragma once

enum GameWord : int {
  kGameWordOwner = 0,
  kGameWordLink = 1,
  kGameWordFloatPrev = 2,
  kGameWordFloatNext = 3,
};
