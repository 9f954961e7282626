#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/files.h"
#include "engine/core/memory.h"
#include "engine/core/test/list_links.h"
#include "engine/data/codex.h"
#include "engine/data/course.h"
#include "engine/data/test/course.h"
#include "tools/datagen/course_writer.h"

namespace {

class CourseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wre_MemoryInit();
    wre_FolderSet(nullptr);
    folder_ = std::filesystem::temp_directory_path() /
              ("vh_course_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    wre_MemorySetHeap(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::string Fixture(const char* name) {
    return (std::filesystem::path(__FILE__).parent_path() / "fixtures" / name).string();
  }

  std::filesystem::path folder_;
};

std::vector<const CourseWaypoint*> Waypoints(const Course* course) {
  std::vector<const CourseWaypoint*> list;
  for (const CourseWaypoint* w = course->waypoints; w; w = w->next) list.push_back(w);
  return list;
}

TEST_F(CourseTest, CountsOnlyClosedBlocks) {
  std::string path = Fixture("three_courses.dat");
  int32_t count = -1;
  EXPECT_EQ(CourseCount(path.c_str(), &count), 0);
  EXPECT_EQ(count, 3);
  Course* course = nullptr;
  EXPECT_EQ(CourseLoad(path.c_str(), 3, &course, 0, 1, 0, 1, 0, 1, 0, 0, 0), kCourseErrNumber);
  EXPECT_EQ(CourseLoad(path.c_str(), -1, &course, 0, 1, 0, 1, 0, 1, 0, 0, 0), kCourseErrNumber);
  EXPECT_EQ(course, nullptr);
  EXPECT_EQ(CourseCount((folder_ / "missing.dat").c_str(), &count), kCourseErrFile);
  EXPECT_EQ(CourseCount(nullptr, &count), kCourseErrNull);
}

TEST_F(CourseTest, LoadsTheSelectedCourseWithTheLastImageValues) {
  std::string path = Fixture("three_courses.dat");
  Course* course = nullptr;
  ASSERT_EQ(CourseLoad(path.c_str(), 0, &course, -1000, 1000, 0, 0, -500, 500, 1, 0, 0), 0);
  ASSERT_NE(course, nullptr);
  EXPECT_STREQ(course->name, "Course 1");
  EXPECT_EQ(course->imageWidth, 255);  // the later line, inside course 0's own block, wins
  EXPECT_EQ(course->imageHeight, 255);
  EXPECT_EQ(course->waypointAddCount, 3);  // set in course 2's block, after this course
  EXPECT_EQ(course->startGateX, 128);
  EXPECT_EQ(course->startGateY, 64);
  // The worked example: (128, 64) on a 255 x 255 image inside x -1000..1000, z -500..500.
  EXPECT_EQ(course->startGatePosition.x, -3.90625f);
  EXPECT_EQ(course->startGatePosition.y, 0.0f);
  EXPECT_EQ(course->startGatePosition.z, 240.234375f);
  EXPECT_EQ(course->startGatePosition.w, 0.0f);
  auto points = Waypoints(course);
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0]->value, 0);
  EXPECT_EQ(points[0]->x, 128);
  EXPECT_EQ(points[0]->y, 150);
  EXPECT_EQ(points[0]->flag, 0);
  EXPECT_EQ(points[1]->flag, 1);
  EXPECT_EQ(points[1]->value, 1);
  EXPECT_EQ(points[2]->flag, 1);
  // Pixel (0, 254) is clamped to the lower corner.
  EXPECT_EQ(points[2]->position.x, -1000.0f);
  EXPECT_EQ(points[2]->position.z, -500.0f);
  EXPECT_EQ(points[2]->previous, points[1]);
  EXPECT_EQ(CourseListFree(&course), 0);
  EXPECT_EQ(course, nullptr);

  ASSERT_EQ(CourseLoad(path.c_str(), 2, &course, 0, 1, 0, 1, 0, 1, 0, 10, 20), 0);
  EXPECT_STREQ(course->name, "Third");
  EXPECT_EQ(course->startGateX, 11);
  EXPECT_EQ(course->startGateY, 22);
  EXPECT_EQ(course->startGatePosition.x, 0.0f);  // not mapped
  ASSERT_EQ(Waypoints(course).size(), 1u);
  EXPECT_EQ(course->waypoints->value, 7);
  EXPECT_EQ(course->waypoints->x, 13);
  EXPECT_EQ(course->waypoints->y, 24);
  CourseListFree(&course);
}

TEST_F(CourseTest, StructuralErrors) {
  const std::string head = "kVKT_ImageWidth 10\nkVKT_ImageHeight 10\n";
  const std::string tail = "// end of file\n";
  struct Case {
    std::string body;
    int32_t count;
    int32_t load;
  };
  const Case cases[] = {
      {"kVKT_Course a\nkVKT_Course b\nkVKT_End\n", kCourseErrNested, kCourseErrNested},
      {"kVKT_End\n", kCourseErrNoBlock, kCourseErrNoBlock},
      {"kVKT_StartGate 1 2\nkVKT_Course a\nkVKT_End\n", 0, kCourseErrGateOutside},
      {"kVKT_WayPoint 0 1 2 true\nkVKT_Course a\nkVKT_End\n", 0, kCourseErrWayOutside},
      {"kVKT_Course a\nkVKT_WayPoint 0 1 2\nkVKT_End\n", 0, kCodexErrLineEnded},
      {"kVKT_Course\nkVKT_End\n", 0, kCodexErrLineEnded},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    std::string path = Write("case" + std::to_string(n++) + ".dat", head + c.body + tail);
    int32_t count = 0;
    EXPECT_EQ(CourseCount(path.c_str(), &count), c.count);
    Course* course = nullptr;
    EXPECT_EQ(CourseLoad(path.c_str(), 0, &course, 0, 11, 0, 0, 0, 11, 1, 0, 0), c.load);
    CourseListFree(&course);
  }
}

TEST_F(CourseTest, FailedReadKeepsWhatWasReadAndStillMaps) {
  std::string path = Write("partial.dat",
                           "kVKT_ImageWidth 255\nkVKT_ImageHeight 255\nkVKT_Course c\nkVKT_StartGate 128 64\n"
                           "kVKT_WayPoint 3 128 64 true\nkVKT_WayPoint 4 5 6\nkVKT_End\n// end of file\n");
  Course* course = nullptr;
  EXPECT_EQ(CourseLoad(path.c_str(), 0, &course, -1000, 1000, 0, 0, -500, 500, 1, 0, 0), kCodexErrLineEnded);
  ASSERT_NE(course, nullptr);
  auto points = Waypoints(course);
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[1]->value, 4);
  EXPECT_EQ(points[1]->x, 5);
  EXPECT_EQ(points[1]->y, 6);
  EXPECT_EQ(points[1]->flag, 0);
  EXPECT_EQ(points[0]->position.z, 240.234375f);
  EXPECT_EQ(course->startGatePosition.x, -3.90625f);
  CourseListFree(&course);
}

// A course file whose second course has `waypoints` waypoints, between two short ones.
std::string LongCourseFile(int waypoints) {
  std::string text = "kVKT_ImageWidth 255\nkVKT_ImageHeight 255\nkVKT_Course first\nkVKT_WayPoint 1 2 3 true\n"
                     "kVKT_End\nkVKT_Course long\nkVKT_StartGate 7 8\n";
  for (int i = 0; i < waypoints; ++i) text += "kVKT_WayPoint " + std::to_string(i) + " 4 5 kVKT_True\n";
  return text + "kVKT_End\nkVKT_Course last\nkVKT_WayPoint 9 9 9 0\nkVKT_End\n// end of file\n";
}

// Each waypoint is appended behind the last one read, never after a walk along those before it:
// the links followed count the reader's own and those of the engine's shared list append.
TEST_F(CourseTest, ReadingACourseGrowsLinearlyWithItsLength) {
  auto links = [] { return wre_TestCourseLinksFollowed() + wre_TestListLinksWalked(); };
  for (int waypoints : {1000, 20000}) {
    SCOPED_TRACE(waypoints);
    const std::string path = Write("long.dat", LongCourseFile(waypoints));
    const int64_t before = links();
    Course* course = nullptr;
    ASSERT_EQ(CourseLoad(path.c_str(), 1, &course, 0, 100, 0, 0, 0, 100, 1, 0, 0), 0);
    EXPECT_LE(links() - before, 2 * waypoints);
    ASSERT_NE(course, nullptr);
    EXPECT_EQ(Waypoints(course).size(), static_cast<size_t>(waypoints));
    CourseListFree(&course);
  }
}

// The capped reader stops at the first waypoint past the cap: the course keeps its name and the
// waypoints up to the cap, mapped; the other courses and the uncapped reader are unaffected.
TEST_F(CourseTest, ACappedReadRefusesACourseLongerThanTheCap) {
  const std::string path = Write("capped.dat", LongCourseFile(6));
  Course* course = nullptr;
  EXPECT_EQ(CourseLoadCapped(path.c_str(), 1, &course, 0, 100, 0, 0, 0, 100, 1, 0, 0, 5), kCourseErrWaypointCap);
  ASSERT_NE(course, nullptr);
  EXPECT_STREQ(course->name, "long");
  auto points = Waypoints(course);
  ASSERT_EQ(points.size(), 5u);
  EXPECT_EQ(points[4]->value, 4);
  EXPECT_NE(points[4]->position.x, 0.0f);
  CourseListFree(&course);
  for (int32_t number : {0, 2}) {
    EXPECT_EQ(CourseLoadCapped(path.c_str(), number, &course, 0, 100, 0, 0, 0, 100, 1, 0, 0, 5), 0);
    CourseListFree(&course);
  }
  EXPECT_EQ(CourseLoadCapped(path.c_str(), 1, &course, 0, 100, 0, 0, 0, 100, 1, 0, 0, 6), 0);
  EXPECT_EQ(Waypoints(course).size(), 6u);
  CourseListFree(&course);
  EXPECT_EQ(CourseLoad(path.c_str(), 1, &course, 0, 100, 0, 0, 0, 100, 1, 0, 0), 0);
  EXPECT_EQ(Waypoints(course).size(), 6u);
  CourseListFree(&course);
}

TEST_F(CourseTest, LastShortLineIsRead) {
  // "kVKT_End" with its line end is the last 9 bytes: the course still counts. Without the line end
  // the last 8 bytes are not a complete line and are not read.
  std::string closed = Write("closed.dat", "kVKT_Course only\nkVKT_StartGate 1 1\nkVKT_End\n");
  std::string open = Write("open.dat", "kVKT_Course only\nkVKT_StartGate 1 1\nkVKT_End");
  int32_t count = -1;
  EXPECT_EQ(CourseCount(closed.c_str(), &count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(CourseCount(open.c_str(), &count), 0);
  EXPECT_EQ(count, 0);
}

TEST_F(CourseTest, MappingRefusesOnlyNegativeImageSides) {
  std::string path = Write("nosize.dat",
                           "kVKT_ImageWidth -1\nkVKT_ImageHeight 10\nkVKT_Course c\nkVKT_StartGate 1 1\nkVKT_End\n"
                           "// end of file\n");
  Course* course = nullptr;
  EXPECT_EQ(CourseLoad(path.c_str(), 0, &course, 0, 1, 0, 1, 0, 1, 1, 0, 0), kCourseErrImageSize);
  ASSERT_NE(course, nullptr);
  EXPECT_EQ(course->startGateX, 1);
  EXPECT_EQ(course->startGatePosition.x, 0.0f);
  CourseListFree(&course);
  EXPECT_EQ(CourseLoad(path.c_str(), 0, &course, 0, 1, 0, 1, 0, 1, 0, 0, 0), 0);  // no mapping asked
  CourseListFree(&course);

  // Without image lines both sides are 0: one unit of image per whole bound, rows from the far side.
  path = Write("nolines.dat", "kVKT_Course c\nkVKT_StartGate 3 -2\nkVKT_End\n// end of file\n");
  ASSERT_EQ(CourseLoad(path.c_str(), 0, &course, 0, 8, 0, 1, 0, 4, 1, 0, 0), 0);
  EXPECT_EQ(course->startGatePosition.x, 20.0f);
  EXPECT_EQ(course->startGatePosition.z, 2.0f);
  CourseListFree(&course);
}

int gAllocations = 0;
int gRefuseAt = 0;
void* CountingHeap(size_t size) {
  if (++gAllocations == gRefuseAt) return nullptr;
  return std::malloc(size);
}

TEST_F(CourseTest, NoMemoryForAWaypoint) {
  std::string path = Write("memory.dat",
                           "kVKT_Course c\nkVKT_StartGate 1 1\nkVKT_WayPoint 1 2 3 true\nkVKT_WayPoint 4 5 6 true\n"
                           "kVKT_End\n// end of file\n");
  // Count the allocations of a good load, then refuse the last one (the second waypoint).
  gAllocations = 0;
  gRefuseAt = -1;
  wre_MemorySetHeap(CountingHeap);
  Course* course = nullptr;
  ASSERT_EQ(CourseLoad(path.c_str(), 0, &course, 0, 1, 0, 1, 0, 1, 0, 0, 0), 0);
  CourseListFree(&course);
  int total = gAllocations;
  gAllocations = 0;
  gRefuseAt = total;
  EXPECT_EQ(CourseLoad(path.c_str(), 0, &course, 0, 1, 0, 1, 0, 1, 0, 0, 0), kCourseErrNoMemory);
  wre_MemorySetHeap(nullptr);
  ASSERT_NE(course, nullptr);
  ASSERT_EQ(Waypoints(course).size(), 1u);
  EXPECT_EQ(course->waypoints->value, 1);
  CourseListFree(&course);
}

TEST_F(CourseTest, ListsRefuseRecordsTheyDoNotHold) {
  CourseWaypoint* held = CourseWaypointNew();
  CourseWaypoint* stray = CourseWaypointNew();
  CourseWaypoint* head = nullptr;
  EXPECT_EQ(CourseWaypointAppend(held, &head), 0);
  EXPECT_EQ(CourseWaypointUnlink(stray, &head), kCourseErrNotInList);
  EXPECT_EQ(head, held);
  EXPECT_EQ(CourseWaypointUnlink(held, &head), 0);
  EXPECT_EQ(head, nullptr);
  CourseWaypointDispose(held);
  CourseWaypointDispose(stray);

  Course* list = CourseNew();
  Course* other = CourseNew();
  EXPECT_EQ(CourseListUnlink(other, &list), kCourseErrCourseNotInList);
  EXPECT_EQ(CourseFree(other), 0);
  EXPECT_EQ(CourseListFree(&list), 0);
  EXPECT_EQ(list, nullptr);

  // The longer name is tested first: an add-count line is not a waypoint.
  int32_t id = 0;
  CourseTokenId("kvkt_waypointaddcount", &id);
  EXPECT_EQ(id, kCourseTokenWaypointAddCount);
  CourseTokenId("KVKT_WAYPOINT", &id);
  EXPECT_EQ(id, kCourseTokenWayPoint);
}

TEST_F(CourseTest, GeneratedFileReadsBack) {
  CourseFilePlan plan;
  plan.imageWidth = 511;
  plan.imageHeight = 255;
  plan.imageRelativeX = 3;
  plan.imageRelativeY = 4;
  plan.waypointAddCount = 2;
  plan.courses.push_back({"Amazon Loop 1", 40, 128, {{0, 64, 58, false}, {1, 70, 60, true}}});
  plan.courses.push_back({"\"Quoted, with comma", 5, 6, {}});
  plan.courses.push_back({"x", -7, 9, {{-3, 0, 0, true}}});
  std::string text;
  ASSERT_TRUE(CourseFileText(plan, &text));
  EXPECT_NE(text.find("\r\n"), std::string::npos);
  std::string path = Write("course.dat", text);
  ASSERT_TRUE(CourseFileWrite(path, plan));

  int32_t count = 0;
  ASSERT_EQ(CourseCount(path.c_str(), &count), 0);
  ASSERT_EQ(count, 3);
  for (int32_t n = 0; n < count; ++n) {
    SCOPED_TRACE(n);
    const CoursePlan& want = plan.courses[static_cast<size_t>(n)];
    Course* course = nullptr;
    ASSERT_EQ(CourseLoad(path.c_str(), n, &course, 0, 512, 0, 0, 0, 256, 1, 0, 0), 0);
    EXPECT_EQ(std::string(course->name), want.name);
    EXPECT_EQ(course->imageWidth, 511);
    EXPECT_EQ(course->imageHeight, 255);
    EXPECT_EQ(course->imageRelativeX, 3);
    EXPECT_EQ(course->imageRelativeY, 4);
    EXPECT_EQ(course->waypointAddCount, 2);
    EXPECT_EQ(course->startGateX, want.startGateX);
    EXPECT_EQ(course->startGateY, want.startGateY);
    auto points = Waypoints(course);
    ASSERT_EQ(points.size(), want.waypoints.size());
    for (size_t k = 0; k < points.size(); ++k) {
      EXPECT_EQ(points[k]->value, want.waypoints[k].value);
      EXPECT_EQ(points[k]->x, want.waypoints[k].x);
      EXPECT_EQ(points[k]->y, want.waypoints[k].y);
      EXPECT_EQ(points[k]->flag, want.waypoints[k].flag ? 1 : 0);
    }
    CourseListFree(&course);
  }

  // A name the format cannot carry is refused instead of written wrongly.
  plan.courses[0].name = "";
  EXPECT_FALSE(CourseFileText(plan, &text));
  plan.courses[0].name = "a\"b";
  EXPECT_FALSE(CourseFileText(plan, &text));
}

}  // namespace
