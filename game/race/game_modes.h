// The game modes' course set-up: the selected level, course and mode turned into the race's
// gates (rally buoy pairs, derby waypoints, treasure dollars) dropped onto the water, the lap
// count, the player's start, the rally arrow and compass; and all of it released after the race.
// Also the course folders and the course names the front end shows.
#pragma once
#include <cstdint>

struct Course;
struct EngineObject;
struct ViewComponents;

constexpr int32_t kCourseNameSize = 256;
constexpr int32_t kCourseNameSlots = 15;  // courses per level
constexpr int32_t kCourseErrLevel = 301000;
// A course may hold at most this many waypoints; the course reader stops at the next one. The
// computer riders' route is generated with sweeps whose cost grows with the course's gates and
// markers together: 500 waypoints take a few seconds, 5000 two minutes, so a larger course is
// refused rather than left to stall the set-up.
constexpr int32_t kCourseWaypointLimit = 500;

// The running race's course read from "course.dat"; null outside a race.
inline Course* gCourseData = nullptr;

// Clears the gate list and the course, empties the finish order and runs the init of gGameMode:
// its result, or -1 for a mode outside 0..3.
int32_t GameModeInit(ViewComponents* view);
// Runs the exit of gGameMode: 0, or -1 for a mode outside 0..3.
int32_t GameModeExit(ViewComponents* view);
// The race clock starts now: gRaceStartTick = gEngineTick.
void RaceStartTickStamp(ViewComponents* view);

// Makes "data:courses:<level word>" current; -1 means gLevel. 0, 301000 for a level outside 0..9
// (nothing changes), or the folder change's error.
int32_t CourseFolderSelect(int32_t level);
// The names of the level's 15 courses into names[0..14]. 0; -1000 for null names; the first error
// of the folder change or the course reader, which stops the reading (earlier slots stay filled).
// A course of more than kCourseWaypointLimit waypoints is read no further than that: it keeps its
// name, the reading goes on, and its kCourseErrWaypointCap is the result.
int32_t CourseNamesRead(char (*names)[kCourseNameSize], int32_t level);

enum GameplayModel : int32_t {
  kGameplayMarker = 0,
  kGameplayFinish = 1,  // rally and treasure modes only
};
// The current mode's marker (its frames as a detail group) or finish model, loaded from the
// mode's gameplay folder, which is left current; null when the model (its first frame) does not
// load or for a mode outside 0..3. Derby always loads its marker. A later frame that does not load
// ends the group there and leaves no failed-file note (wre_FileFailed).
EngineObject* GameplayObjectLoad(ViewComponents* view, int32_t which);

// Each init returns 0, or the first error: the folder change's or the course reader's, -1 when a
// waypoint has no water under it or a gate cannot be appended, -1 (rally) or -5000 (derby and
// treasure) when a gate record cannot be made, the arrow's or compass's load error (rally), the
// relink's error (derby and treasure). A texture list that does not load ends the program.
int32_t RallyModeInit(ViewComponents* view);
int32_t DerbyModeInit(ViewComponents* view);
int32_t TreasureModeInit(ViewComponents* view);
// Each releases its init's textures, objects, gates and course. Always 0.
int32_t RallyModeExit(ViewComponents* view);
int32_t DerbyModeExit(ViewComponents* view);
int32_t TreasureModeExit(ViewComponents* view);
