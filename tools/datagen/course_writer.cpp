#include "tools/datagen/course_writer.h"

#include "tools/datagen/codex_writer.h"

bool CourseFileText(const CourseFilePlan& plan, std::string* text) {
  if (!text) return false;
  CodexWriter writer;
  CodexWriteComment(writer, "courses of this level: pixels of the course image");
  CodexWriteLine(writer, "kVKT_ImageWidth", {CodexInt(plan.imageWidth)});
  CodexWriteLine(writer, "kVKT_ImageHeight", {CodexInt(plan.imageHeight)});
  CodexWriteLine(writer, "kVKT_ImageRelativeX", {CodexInt(plan.imageRelativeX)});
  CodexWriteLine(writer, "kVKT_ImageRelativeY", {CodexInt(plan.imageRelativeY)});
  CodexWriteLine(writer, "kVKT_WaypointAddCount", {CodexInt(plan.waypointAddCount)});
  for (const CoursePlan& course : plan.courses) {
    CodexWriteLine(writer, "kVKT_Course", {course.name});
    CodexWriteLine(writer, "kVKT_StartGate", {CodexInt(course.startGateX), CodexInt(course.startGateY)});
    for (const CourseWaypointPlan& waypoint : course.waypoints) {
      CodexWriteLine(writer, "kVKT_WayPoint",
                     {CodexInt(waypoint.value), CodexInt(waypoint.x), CodexInt(waypoint.y), CodexTruth(waypoint.flag)});
    }
    CodexWriteLine(writer, "kVKT_End", {});
  }
  std::string bytes = CodexFinish(writer);
  if (!writer.ok) return false;
  *text = bytes;
  return true;
}

bool CourseFileWrite(const std::string& path, const CourseFilePlan& plan) {
  std::string text;
  return CourseFileText(plan, &text) && CodexSaveFile(path, text);
}
