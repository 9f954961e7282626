// Configure-time program: exits 0 when the compiler with the build's flags keeps bit comparisons right.
#include "bit_compare_check.h"

int main() { return bit_compare_count(4u, 1, 2) == 2 ? 0 : 1; }
