// The rally course's map picture, loaded as one texture with the level and released with it.
// Nothing draws it yet; the index is kept for whoever will.
#pragma once
#include <cstddef>
#include <cstdint>

struct ViewComponents;

// The map's texture index; -1 when none is loaded.
inline int32_t gCourseMapTexture = -1;

// "c<course + 1>.bmp" and "c<course + 1>_opacity.bmp"; false when a name does not fit.
bool CourseMapFileNames(int32_t course, char* picture, char* opacity, size_t size);
// Loads the map of gCourse in the rally modes (nothing otherwise) from the level's course-map
// folder, restoring the current folder. 0, -1000 for a null view, or the texture loader's error.
int32_t CourseMapLoad(ViewComponents* view);
// Releases the map when one is loaded. Always 0; harmless twice.
int32_t CourseMapRelease(ViewComponents* view);
