// A comparison of two bools taken from single bits of one word, as flag tests are written all over
// the game. g++ 12.2 on x86-64, with -O1 -ftree-vrp -fexpensive-optimizations (every -O2 build),
// compiles `p != c` below as a test of `p` alone, so bit_compare_count(4, 1, 2) returns 1 instead of
// 2. The build runs this at configure time (cmake/VhCompilerGuard.cmake) and a test runs it in the
// built programs, so no build of the project can carry the fault unnoticed.
#pragma once

inline int bit_compare_out[4];

// Returns how many of the two bits were recorded: 2 for (4, 1, 2) when compiled correctly.
__attribute__((noinline, noipa)) inline int bit_compare_count(unsigned word, int a, int b) {
  int* out = bit_compare_out;
  int k = 0;
  const bool p = (word >> a) & 1;
  const bool c = (word >> b) & 1;
  if (p != c) out[k++] = a;
  if (c) out[k++] = b;
  return k;
}
