// Course files ("course.dat"): the courses of a level as codex text, each with a name, a start gate
// and waypoints given as pixels of a course image, mapped on request to world positions on the XZ
// plane inside bounds the caller gives.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

struct CourseWaypoint {
  int32_t x;          // image pixel, with the caller's offset added
  int32_t y;
  Point4 position;    // (x, 0, z, 0) when mapped, else zero
  int32_t value;      // the line's first integer, as read
  CourseWaypoint* previous;
  CourseWaypoint* next;
  uint8_t flag;       // the line's truth field
};

struct Course {
  int32_t startGateX;  // image pixel, with the caller's offset added
  int32_t startGateY;
  Point4 startGatePosition;  // (x, 0, z, 0) when mapped, else zero
  int32_t imageWidth;
  int32_t imageHeight;
  int32_t imageRelativeX;  // this column maps to the min x side
  int32_t imageRelativeY;  // this row maps to the max z side
  int32_t waypointAddCount;
  char name[256];
  CourseWaypoint* waypoints;  // in file order
  Course* previous;
  Course* next;
};

// Token ids of the course file's own names.
enum : int32_t {
  kCourseTokenCourse = 100,
  kCourseTokenEnd = 101,
  kCourseTokenImageRelativeX = 102,
  kCourseTokenImageRelativeY = 103,
  kCourseTokenImageWidth = 104,
  kCourseTokenImageHeight = 105,
  kCourseTokenStartGate = 106,
  kCourseTokenWaypointAddCount = 107,
  kCourseTokenWayPoint = 108,
};

enum : int32_t {
  kCourseErrNull = 1,
  kCourseErrNoMemory = 2,
  kCourseErrNested = 3000,        // "kVKT_Course" while a block is open
  kCourseErrNoBlock = 3001,       // "kVKT_End" with no open block
  kCourseErrGateOutside = 3002,   // "kVKT_StartGate" outside every block
  kCourseErrWayOutside = 3003,    // "kVKT_WayPoint" outside every block
  kCourseErrNumber = 3010,        // no such course
  kCourseErrImageSize = 3011,     // mapping asked for with a negative image width or height
  kCourseErrWaypointCap = 3012,   // the course holds more waypoints than the caller's cap
  kCourseErrNotInList = 3020,     // the waypoint is not in the list
  kCourseErrCourseNotInList = 3021,
  kCourseErrFile = 5000,
};

// Reads every waypoint of the course, however many there are.
int32_t CourseLoad(const char* path, int32_t number, Course** course, float minX, float maxX, float minY,
                   float maxY, float minZ, float maxZ, uint8_t map, int32_t xOffset, int32_t yOffset);
// As CourseLoad, for a caller that can use at most waypointCap waypoints: the course's next waypoint
// line ends the read with kCourseErrWaypointCap before it is built, so that a course of any length
// costs no more than the cap. What was read stays in the record, mapped when asked for, as after
// any failure of the building pass (the name too, read when the course's block opens).
int32_t CourseLoadCapped(const char* path, int32_t number, Course** course, float minX, float maxX, float minY,
                         float maxY, float minZ, float maxZ, uint8_t map, int32_t xOffset, int32_t yOffset,
                         int32_t waypointCap);
int32_t CourseCount(const char* path, int32_t* count);
int32_t CourseListFree(Course** head);
int32_t CourseFree(Course* course);

Course* CourseNew();
int32_t CourseDispose(Course* course);
CourseWaypoint* CourseWaypointNew();
int32_t CourseWaypointDispose(CourseWaypoint* waypoint);
int32_t CourseWaypointAppend(CourseWaypoint* waypoint, CourseWaypoint** head);
int32_t CourseWaypointUnlink(CourseWaypoint* waypoint, CourseWaypoint** head);
int32_t CourseListUnlink(Course* course, Course** head);
void CoursePointSet(Point4* point, float x, float y, float z, float w);
int32_t CourseTokenId(const char* word, int32_t* id);
