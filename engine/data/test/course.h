// Test hook of the course reader: how many waypoint links it has followed, so that a test can show
// that reading a course costs work in proportion to its length, not to its length squared.
//
// Test-only: the course reader's own source and the tests include it; the program never reads it.
#pragma once
#include <cstdint>

// The links from one waypoint to the next that the course reader has followed since the start.
int64_t wre_TestCourseLinksFollowed();
