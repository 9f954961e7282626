// Writes course files ("course.dat"): the image size and origin lines, then one block per course
// with its start gate and waypoints, as codex text.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct CourseWaypointPlan {
  int32_t value;
  int32_t x;
  int32_t y;
  bool flag;
};

struct CoursePlan {
  std::string name;
  int32_t startGateX;
  int32_t startGateY;
  std::vector<CourseWaypointPlan> waypoints;
};

struct CourseFilePlan {
  int32_t imageWidth = 255;
  int32_t imageHeight = 255;
  int32_t imageRelativeX = 0;
  int32_t imageRelativeY = 0;
  int32_t waypointAddCount = 0;
  std::vector<CoursePlan> courses;
};

// The file's text; false when a field cannot be written (an empty name, or a name holding a line
// end or a quote after its first character).
bool CourseFileText(const CourseFilePlan& plan, std::string* text);
bool CourseFileWrite(const std::string& path, const CourseFilePlan& plan);
