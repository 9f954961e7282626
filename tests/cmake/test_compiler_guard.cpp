// The programs are built with flags under which the compiler keeps comparisons of single-bit bools
// right (the configure-time guard adds -fno-tree-vrp where it would not).
#include <gtest/gtest.h>

#include "cmake/bit_compare_check.h"

TEST(CompilerGuard, BitComparisonsOfOneWordAreKept) {
  volatile unsigned word = 4u;
  volatile int a = 1;
  volatile int b = 2;
  EXPECT_EQ(bit_compare_count(word, a, b), 2);
  EXPECT_EQ(bit_compare_count(6u, a, b), 1);  // both set: only the second is recorded
  EXPECT_EQ(bit_compare_count(2u, a, b), 1);  // only the first
}
