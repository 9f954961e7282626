// Platform layer: choice of back end.
//
// Every platform module has two back ends behind one function table: the real one (SDL2, OpenGL,
// POSIX) and a deterministic test one (virtual clock, scripted input, recording devices).
// A program chooses once at start-up; tests choose the test back end before anything else.
#pragma once

enum PlatBackend : int {
  kPlatBackendReal = 0,
  kPlatBackendTest = 1,
};

// Selects the back end of every platform module. The real back end is in force until this is called.
void plat_UseBackend(PlatBackend backend);
PlatBackend plat_CurrentBackend();
