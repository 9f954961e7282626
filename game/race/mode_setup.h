// Steps the three game modes' course set-ups share: their gameplay folders and texture lists, the
// race's course read from the level's course file, a marker dropped onto the water, the default
// start, and the gate list emptied with its objects.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

struct Course;
struct EngineObject;
struct Transform;
struct ViewComponents;

// Which gameplay folder and marker a game mode uses.
enum GameplayKind : int32_t {
  kGameplayRally = 0,
  kGameplayTreasure = 1,
  kGameplayDerby = 2,
  kGameplayNoMode = 3,
};
// Rally for mode 0, treasure for 1 and 2, derby for 3; no mode otherwise.
GameplayKind GameplayKindOf(int32_t mode);

// Makes the kind's "data:gameplay:<mode>" folder current.
void GameplayFolderEnter(GameplayKind kind);
// Enters the folder and loads (codex mode 0) or unloads (1) its "texture.codx" for the view's
// camera; a failure ends the program with the message.
void GameplayTexturesRead(const ViewComponents* view, GameplayKind kind, uint32_t codexMode, const char* fatal);

// Course gCourse of the gLevel course file into gCourseData, mapped inside the level bounds, with at
// most kCourseWaypointLimit waypoints. 0, the folder change's or the course reader's error
// (kCourseErrWaypointCap, said on stderr, for a longer course); a failed read notes the course file
// (wre_FileNoteFailed), and a read course stays for the exit.
int32_t RaceCourseRead();

// Sweeps down through the level onto the water under (x, z) and places the marker there, raised by
// the kind's offset, with a random heading, in the view's world and collidable. 0; -1 when there is
// no water under it, and the marker is then disposed.
int32_t MarkerDrop(ViewComponents* view, EngineObject* marker, const Point4& at, GameplayKind kind);

// gStartTransform unturned over the course's start, 5000 above the level.
void StartAtCourseStart(const Course* course);
// The transform keeps its place and turns to face (x, z) level: pitch and roll 0.
void TransformFaceLevel(Transform* transform, float x, float z);
// The object turned as TransformFaceLevel, its detail frames with it.
void ObjectFaceLevel(EngineObject* object, float x, float z);

// Removes every gate's markers and finish object from the view's world, disposes them, and
// unlinks and frees every gate; gGateListHead ends null.
void GateListEmpty(ViewComponents* view);
