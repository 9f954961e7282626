// Test hook of the shared list append: how many links its walks to a list's end have followed, so
// that a test can tell a reader that appends behind its own last item from one that walks the whole
// list for each item it adds.
//
// Test-only: the memory module's own source and the tests include it; the program never reads it.
#pragma once
#include <cstdint>

// The links from one item to the next that the list append has followed since the start.
int64_t wre_TestListLinksWalked();
