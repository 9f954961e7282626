// Test hooks of the engine core: how many memory blocks and processes are live, so that long runs
// can show the engine holds no more after each race than after the first.
//
// Test-only: the modules' own sources and the tests include it; the program never reads them.
#pragma once
#include <cstdint>

// The tagged memory blocks handed out and not yet given back.
int32_t wre_TestLiveBlockCount();
// The processes in the process list; 0 when the list is not started.
int32_t wre_TestProcessCount();
