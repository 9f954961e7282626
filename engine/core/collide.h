// Collision queries: sweeping a sphere (an object's bounding sphere, or a bare sphere) from one
// place to another through a world, what is the nearest thing it meets, where, and how far along
// the move. A broad phase collects the objects whose bounds overlap the swept box; up to four
// narrow tests, chosen by flag bits, each keep only the candidates they hit; the nearest survivor
// fills the result. All work lives in fixed buffers sized by wre_CollideInit: one query at a time.
#pragma once
#include <cstdint>

#include "engine/core/object.h"
#include "engine/core/transform.h"
#include "engine/core/wre_types.h"

struct World;

// Query flags.
enum : uint32_t {
  kCollideSpheres = 0x1,           // sweep against each candidate's bounding sphere
  kCollideBoxCorners = 0x4,        // the mover's eight box corners against each candidate's tree
  kCollidePoints = 0x10,           // every point of the mover against each candidate's polygons
  kCollidePolygons = 0x20,         // the sweep against each candidate's polygons
  kCollidePreCollected = 0x4000,   // candidates from the list wre_GridQueryBox filled
  kCollideSecondSearch = 0x8000,   // the box-corner test also searches from the sweep's start
  kCollideNoObjects = 0x80000,     // no object candidates from the world
  kCollideTiledMeshes = 0x100000,  // also the world's grid meshes, once per covered tile
  kCollideIgnoreTrees = 0x400000,  // the polygon and point tests try every polygon
};

enum : int32_t {
  kCollideErrPoints = -4000,      // a point capacity below 8
  kCollideErrListFull = -1040,    // the candidate list is full
};

// Attribute byte bit of a candidate: run the box-corner test's second search for it.
constexpr uint8_t kAttrSecondSearch = 0x2;

struct CollisionResult {
  EngineObject* object;  // null when nothing was hit
  float distance;        // along the move; 0 when nothing was hit
  float hit[4];          // where the sweeping sphere's centre meets it (x, y, z and a fourth word)
  int32_t polygon;       // -1 for none
  float contact[3];      // contact point, in world space
  float contactWord;
  float moveFraction;
};

// The buffers: candidateCapacity entries in each candidate list and as many collision records,
// and four scratch arrays of pointCapacity points. 0; -1 when already set up, for a capacity
// below 1 or when memory fails; -4000 for a point capacity below 8.
int32_t wre_CollideInit(int32_t candidateCapacity, int32_t pointCapacity);
// -1 when not set up.
int32_t wre_CollideExit();

// 1 on a hit (result filled), 0 otherwise (also before wre_CollideInit). gridWalk: take the
// candidates of a cell-grid world from the cells the swept box covers. Flags that run no narrow
// test on a candidate keep it as a hit at distance 0, its hit point the sweep's end.
int32_t wre_CollideObjectMove(EngineObject* object, World* world, const Transform* from, const Transform* to,
                              uint32_t groupMask, uint32_t flags, CollisionResult* result, uint8_t gridWalk);
int32_t wre_CollideSphereMove(const Transform* from, const Transform* to, float radius, World* world,
                              uint32_t groupMask, uint32_t flags, CollisionResult* result, uint8_t gridWalk);
// One sweep a pair; hits[i] = 1 or 0; 1 when any sphere hit.
int32_t wre_CollideSpheresMove(const Transform* froms, const Transform* tos, float radius, World* world,
                               uint32_t groupMask, uint32_t flags, CollisionResult* results, uint8_t gridWalk,
                               int32_t count, uint8_t* hits);
// Collects the objects whose bounds meet the box (minx, maxx, miny, maxy, minz, maxz) into the
// pre-collected list, which a sweep with kCollidePreCollected then tests; returns their number.
int32_t wre_GridQueryBox(World* world, const float* box, uint32_t groupMask, uint32_t flags,
                         const EngineObject* mover);
int32_t wre_CollideCandidateCount();
void wre_CollideSetCandidateCount(int32_t count);

// The sweep from -> to against one triangle: the start strictly in front of the plane, the end
// strictly behind it, the crossing point inside the triangle. 1 with *crossing set, else 0.
int32_t wre_CollideTriangleSegment(const Point4* p0, const Point4* p1, const Point4* p2, const Point4* plane,
                                   const Point4* from, const Point4* to, Point4* crossing);
