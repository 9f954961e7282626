// The game modes' course set-up as the front end sees it: the names of a level's courses.
#pragma once
#include <cstdint>

// Fills the 15 slots of 256 characters with the names of courses 0..14 of the level's course file.
// 0; -1000 for null names; a folder or course-reader error is returned and stops the reading.
int32_t CourseNamesRead(char (*names)[256], int32_t level);
