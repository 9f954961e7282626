#include "engine/data/course.h"

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/strings.h"
#include "engine/data/codex.h"
#include "engine/data/test/course.h"

namespace {

// Searched in this order: "kVKT_WaypointAddCount" comes before "kVKT_WayPoint", which begins it.
struct CourseName {
  const char* name;
  int32_t id;
};
const CourseName kCourseNames[] = {
    {"kVKT_Course", kCourseTokenCourse},
    {"kVKT_End", kCourseTokenEnd},
    {"kVKT_ImageRelativeX", kCourseTokenImageRelativeX},
    {"kVKT_ImageRelativeY", kCourseTokenImageRelativeY},
    {"kVKT_ImageWidth", kCourseTokenImageWidth},
    {"kVKT_ImageHeight", kCourseTokenImageHeight},
    {"kVKT_StartGate", kCourseTokenStartGate},
    {"kVKT_WaypointAddCount", kCourseTokenWaypointAddCount},
    {"kVKT_WayPoint", kCourseTokenWayPoint},
};

// Pixel sums wrap like the machine's 32-bit integers instead of overflowing.
int32_t AddWrapped(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

struct Bounds {
  float minX;
  float maxX;
  float minZ;
  float maxZ;
};

// Image rows run downward and world z upward: the image-relative row maps to the far side.
void MapPoint(const Course& course, const Bounds& bounds, int32_t px, int32_t py, Point4* out) {
  float sx = (bounds.maxX - bounds.minX) / static_cast<float>(static_cast<int64_t>(course.imageWidth) + 1);
  float sz = (bounds.maxZ - bounds.minZ) / static_cast<float>(static_cast<int64_t>(course.imageHeight) + 1);
  float u = static_cast<float>(static_cast<int64_t>(px) - course.imageRelativeX) - 0.5f;
  if (u < 0.0f) u = 0.0f;
  float v = static_cast<float>(static_cast<int64_t>(course.imageHeight) - 1 -
                               (static_cast<int64_t>(py) - course.imageRelativeY)) -
            0.5f;
  if (v < 0.0f) v = 0.0f;
  CoursePointSet(out, bounds.minX + u * sx, 0.0f, bounds.minZ + v * sz, 0.0f);
}

int64_t gLinksFollowed = 0;

// The last waypoint of the list from `from` on, counting the links followed.
CourseWaypoint* ListEnd(CourseWaypoint* from) {
  while (from && from->next) {
    from = from->next;
    ++gLinksFollowed;
  }
  return from;
}

// Links the waypoint behind the list's end, found from the reader's kept last waypoint, which is
// then the new one: appending is one step however long the course is.
void AppendBehind(CourseWaypoint* waypoint, CourseWaypoint** head, CourseWaypoint** last) {
  CourseWaypoint* end = ListEnd(*last ? *last : *head);
  waypoint->previous = end;
  waypoint->next = nullptr;
  if (end) {
    end->next = waypoint;
  } else {
    *head = waypoint;
  }
  *last = waypoint;
}

}  // namespace

int64_t wre_TestCourseLinksFollowed() { return gLinksFollowed; }

int32_t CourseTokenId(const char* word, int32_t* id) {
  if (!word || !id) return kCourseErrNull;
  *id = kCodexUnknown;
  for (const CourseName& entry : kCourseNames) {
    if (wre_StringMatch(entry.name, word, 0, 0) == 1) {
      *id = entry.id;
      break;
    }
  }
  return 0;
}

void CoursePointSet(Point4* point, float x, float y, float z, float w) {
  if (!point) return;
  point->x = x;
  point->y = y;
  point->z = z;
  point->w = w;
}

Course* CourseNew() {
  auto* course = static_cast<Course*>(wre_MemoryNew(sizeof(Course)));
  if (course) wre_MemoryClear(course, sizeof(Course));
  return course;
}

int32_t CourseDispose(Course* course) {
  if (!course) return kCourseErrNull;
  wre_MemoryDispose(course);
  return 0;
}

CourseWaypoint* CourseWaypointNew() {
  auto* waypoint = static_cast<CourseWaypoint*>(wre_MemoryNew(sizeof(CourseWaypoint)));
  if (waypoint) wre_MemoryClear(waypoint, sizeof(CourseWaypoint));
  return waypoint;
}

int32_t CourseWaypointDispose(CourseWaypoint* waypoint) {
  if (!waypoint) return kCourseErrNull;
  wre_MemoryDispose(waypoint);
  return 0;
}

int32_t CourseWaypointAppend(CourseWaypoint* waypoint, CourseWaypoint** head) {
  if (!waypoint || !head) return kCourseErrNull;
  wre_RecordListAppend(waypoint, head, &CourseWaypoint::previous, &CourseWaypoint::next);
  return 0;
}

int32_t CourseWaypointUnlink(CourseWaypoint* waypoint, CourseWaypoint** head) {
  if (!waypoint || !head) return kCourseErrNull;
  CourseWaypoint* at = *head;
  while (at && at != waypoint) at = at->next;
  if (!at) return kCourseErrNotInList;
  if (waypoint->previous) {
    waypoint->previous->next = waypoint->next;
  } else {
    *head = waypoint->next;
  }
  if (waypoint->next) waypoint->next->previous = waypoint->previous;
  waypoint->previous = nullptr;
  waypoint->next = nullptr;
  return 0;
}

int32_t CourseListUnlink(Course* course, Course** head) {
  if (!course || !head) return kCourseErrNull;
  Course* at = *head;
  while (at && at != course) at = at->next;
  if (!at) return kCourseErrCourseNotInList;
  if (course->previous) {
    course->previous->next = course->next;
  } else {
    *head = course->next;
  }
  if (course->next) course->next->previous = course->previous;
  course->previous = nullptr;
  course->next = nullptr;
  return 0;
}

int32_t CourseFree(Course* course) {
  if (!course) return kCourseErrNull;
  while (course->waypoints) {
    CourseWaypoint* waypoint = course->waypoints;
    CourseWaypointUnlink(waypoint, &course->waypoints);
    CourseWaypointDispose(waypoint);
  }
  CourseDispose(course);
  return 0;
}

int32_t CourseListFree(Course** head) {
  if (!head) return kCourseErrNull;
  while (*head) {
    Course* course = *head;
    CourseListUnlink(course, head);
    CourseFree(course);
  }
  return 0;
}

int32_t CourseCount(const char* path, int32_t* count) {
  if (!path || !count) return kCourseErrNull;
  *count = 0;
  FileRecord* file = wre_FileLoad(path, 1);
  if (!file) return kCourseErrFile;
  const char* text = reinterpret_cast<const char*>(file->data);
  int32_t remaining = file->size;
  char word[kCodexWordSize];
  bool open = false;
  int32_t result = 0;
  for (;;) {
    int32_t id = kCodexNotToken;
    wre_CodexReadTokenWord(&text, &remaining, &id, word);
    if (id == kCodexEnd) break;
    if (id == kCodexUnknown) {
      if (wre_StringMatch("kVKT_Course", word, 0, 0) == 1) {
        if (open) {
          result = kCourseErrNested;
        } else {
          open = true;
        }
      } else if (wre_StringMatch("kVKT_End", word, 0, 0) == 1) {
        if (open) {
          open = false;
          ++*count;
        } else {
          result = kCourseErrNoBlock;
        }
      }
    }
    if (result != 0) break;
    wre_CodexSkipLine(&text, &remaining);
  }
  wre_FileDispose(file);
  return result;
}

int32_t CourseLoad(const char* path, int32_t number, Course** course, float minX, float maxX, float minY,
                   float maxY, float minZ, float maxZ, uint8_t map, int32_t xOffset, int32_t yOffset) {
  return CourseLoadCapped(path, number, course, minX, maxX, minY, maxY, minZ, maxZ, map, xOffset, yOffset, INT32_MAX);
}

int32_t CourseLoadCapped(const char* path, int32_t number, Course** course, float minX, float maxX, float minY,
                         float maxY, float minZ, float maxZ, uint8_t map, int32_t xOffset, int32_t yOffset,
                         int32_t waypointCap) {
  (void)minY;
  (void)maxY;
  if (!path || !course) return kCourseErrNull;
  if (number < 0) return kCourseErrNumber;
  int32_t count = 0;
  int32_t result = CourseCount(path, &count);
  if (result != 0) return result;
  if (number >= count) return kCourseErrNumber;

  Course* record = CourseNew();
  *course = record;
  if (!record) return kCourseErrNoMemory;
  FileRecord* file = wre_FileLoad(path, 1);
  if (!file) return kCourseErrFile;

  const char* text = reinterpret_cast<const char*>(file->data);
  int32_t remaining = file->size;
  char word[kCodexWordSize];
  int32_t block = 0;
  bool open = false;
  CourseWaypoint* last = nullptr;
  int32_t waypoints = 0;
  for (;;) {
    int32_t id = kCodexNotToken;
    wre_CodexReadTokenWord(&text, &remaining, &id, word);
    if (id == kCodexEnd) break;
    if (id == kCodexUnknown) {
      int32_t token = kCodexUnknown;
      CourseTokenId(word, &token);
      bool selected = open && block == number;
      switch (token) {
        case kCourseTokenCourse:
          if (open) {
            result = kCourseErrNested;
          } else {
            open = true;
            if (block == number) {
              result = wre_CodexReadString(&text, &remaining, record->name, sizeof(record->name));
            }
          }
          break;
        case kCourseTokenEnd:
          if (open) {
            ++block;
            open = false;
          } else {
            result = kCourseErrNoBlock;
          }
          break;
        case kCourseTokenImageRelativeX:
          result = wre_CodexReadInt(&text, &remaining, &record->imageRelativeX);
          break;
        case kCourseTokenImageRelativeY:
          result = wre_CodexReadInt(&text, &remaining, &record->imageRelativeY);
          break;
        case kCourseTokenImageWidth:
          result = wre_CodexReadInt(&text, &remaining, &record->imageWidth);
          break;
        case kCourseTokenImageHeight:
          result = wre_CodexReadInt(&text, &remaining, &record->imageHeight);
          break;
        case kCourseTokenWaypointAddCount:
          result = wre_CodexReadInt(&text, &remaining, &record->waypointAddCount);
          break;
        case kCourseTokenStartGate:
          if (!open) {
            result = kCourseErrGateOutside;
          } else if (selected) {
            result = wre_CodexReadInt(&text, &remaining, &record->startGateX);
            if (result == 0) result = wre_CodexReadInt(&text, &remaining, &record->startGateY);
            record->startGateX = AddWrapped(record->startGateX, xOffset);
            record->startGateY = AddWrapped(record->startGateY, yOffset);
          }
          break;
        case kCourseTokenWayPoint:
          if (!open) {
            result = kCourseErrWayOutside;
          } else if (selected) {
            if (waypoints >= waypointCap) {
              result = kCourseErrWaypointCap;
              break;
            }
            CourseWaypoint* waypoint = CourseWaypointNew();
            if (!waypoint) {
              result = kCourseErrNoMemory;
              break;
            }
            ++waypoints;
            AppendBehind(waypoint, &record->waypoints, &last);
            result = wre_CodexReadInt(&text, &remaining, &waypoint->value);
            if (result == 0) result = wre_CodexReadInt(&text, &remaining, &waypoint->x);
            if (result == 0) result = wre_CodexReadInt(&text, &remaining, &waypoint->y);
            if (result == 0) result = wre_CodexReadBool(&text, &remaining, &waypoint->flag);
            waypoint->x = AddWrapped(waypoint->x, xOffset);
            waypoint->y = AddWrapped(waypoint->y, yOffset);
          }
          break;
        default:
          break;
      }
    }
    if (result != 0) break;
    wre_CodexSkipLine(&text, &remaining);
  }
  wre_FileDispose(file);

  if (map) {
    // The scale divides by the side plus one: a side of 0 (no image lines) still maps, -1 would
    // divide by zero, and a negative side is no image at all.
    if (record->imageWidth < 0 || record->imageHeight < 0) {
      if (result == 0) result = kCourseErrImageSize;
    } else {
      Bounds bounds{minX, maxX, minZ, maxZ};
      MapPoint(*record, bounds, record->startGateX, record->startGateY, &record->startGatePosition);
      for (CourseWaypoint* waypoint = record->waypoints; waypoint; waypoint = waypoint->next) {
        MapPoint(*record, bounds, waypoint->x, waypoint->y, &waypoint->position);
        ++gLinksFollowed;
      }
    }
  }
  return result;
}
