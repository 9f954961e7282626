#include "tools/datagen/course_writer.h"

#include "tools/datagen/codex_writer.h"

bool CourseFileText(const CourseFileSpec& spec, std::string* text) {
  if (!text) return false;
  CodexWriter writer;
  CodexWriteComment(writer, "courses of this level: pixels of the course image");
  CodexWriteLine(writer, "kVKT_ImageWidth", {CodexInt(spec.imageWidth)});
  CodexWriteLine(writer, "kVKT_ImageHeight", {CodexInt(spec.imageHeight)});
  CodexWriteLine(writer, "kVKT_ImageRelativeX", {CodexInt(spec.imageRelativeX)});
  CodexWriteLine(writer, "kVKT_ImageRelativeY", {CodexInt(spec.imageRelativeY)});
  CodexWriteLine(writer, "kVKT_WaypointAddCount", {CodexInt(spec.waypointAddCount)});
  for (const CourseSpec& course : spec.courses) {
    CodexWriteLine(writer, "kVKT_Course", {course.name});
    CodexWriteLine(writer, "kVKT_StartGate", {CodexInt(course.startGateX), CodexInt(course.startGateY)});
    for (const CourseWaypointSpec& waypoint : course.waypoints) {
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

bool CourseFileWrite(const std::string& path, const CourseFileSpec& spec) {
  std::string text;
  return CourseFileText(spec, &text) && CodexSaveFile(path, text);
}
