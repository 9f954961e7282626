// What the game keeps in an engine object's game words: the owner (a craft object's Watercraft),
// the link word (a marker's GateRecord, a rider's splashed flag) and the floating list's links; the
// rally arrow keeps its own material and its flashing in the first three.
#pragma once

enum GameWord : int {
  kGameWordOwner = 0,
  kGameWordLink = 1,
  kGameWordFloatPrev = 2,
  kGameWordFloatNext = 3,
  kGameWordArrowMaterial = 0,    // the arrow's own material index
  kGameWordArrowFlash = 1,       // 1: the next toggle shows white, 0: its own material
  kGameWordArrowToggleTick = 2,  // gEngineTick at the last toggle
};
