// The levels' course folders and the course names read from their course files.
#include <cstring>

#include "engine/core/files.h"
#include "engine/core/wre_types.h"
#include "engine/data/course.h"
#include "game/race/game_modes.h"
#include "game/state/level_names.h"
#include "game/state/settings.h"
#include "game/world/level_bounds.h"

namespace {

constexpr const char* kCourseFolderPrefix = "data:courses:";
constexpr const char* kCourseFile = "course.dat";

}  // namespace

int32_t CourseFolderSelect(int32_t level) {
  if (level == -1) level = gLevel;
  char folder[64];
  if (!LevelFolderName(kCourseFolderPrefix, level, folder, sizeof(folder))) return kCourseErrLevel;
  return wre_FolderSet(folder);
}

int32_t CourseNamesRead(char (*names)[kCourseNameSize], int32_t level) {
  if (!names) return kWreErrNull;
  int32_t result = CourseFolderSelect(level);
  int32_t capped = 0;
  for (int32_t n = 0; result == 0 && n < kCourseNameSlots; ++n) {
    Course* course = nullptr;
    result = CourseLoadCapped(kCourseFile, n, &course, gLevelBoundsMinX, gLevelBoundsMaxX, gLevelBoundsMinY,
                              gLevelBoundsMaxY, gLevelBoundsMinZ, gLevelBoundsMaxZ, 1, 0, 0, kCourseWaypointLimit);
    // A course too long to race still has its name, and the courses after it theirs.
    if (result == kCourseErrWaypointCap) {
      if (capped == 0) capped = result;
      result = 0;
    }
    if (result == 0 && course) {
      std::memcpy(names[n], course->name, kCourseNameSize);
      names[n][kCourseNameSize - 1] = '\0';
    }
    // A course that fails part way is freed too.
    if (course) CourseFree(course);
  }
  return result != 0 ? result : capped;
}
