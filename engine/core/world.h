// Worlds: the container the renderer culls and the collision queries search. Two object lists,
// the light list, the ambient light and, for a cell-grid world, a square grid of cells over the
// X/Z plane in which every ordinary object is filed by its position.
#pragma once
#include <cstdint>

#include "engine/core/object.h"
#include "engine/core/wre_types.h"

struct Light;
struct World;

enum : int32_t {
  kWorldObjectList = 100,
  kWorldCellGrid = 101,
};

enum : int32_t {
  kWorldErrType = -20012,
  kWorldErrAlreadyInWorld = -90010,
  kWorldErrNotInWorld = -90011,
};

// Binds the renderer's culling to a new world; 0 on success.
using WorldCullBinder = int32_t (*)(World* world);
using WorldCullFn = int32_t (*)(World* world, void* camera);

struct World {
  int32_t spare0;
  int32_t type;
  int32_t objectCount;
  EngineObject* objects;  // every object of a kind other than 103
  Light* lights;
  uint16_t changeCounter;  // runs 0..255
  float ambient[4];        // red, green, blue, alpha, unscaled
  float ambientLevel;      // percent x 0.01
  float largestRadius;
  Point4 gridOrigin;
  float cellSize;
  float cellReciprocal;
  int32_t cellsX;
  int32_t spareCount;
  int32_t cellsZ;
  int32_t cellArraySize;
  EngineObject** cells;  // one list head a cell, column + row x cellsX
  EngineObject* gridMeshes;  // objects of kind 103
  float smallestRadius;
  WorldCullFn cullCallback;
  int32_t spare1;
};

World* wre_WorldCreate(int32_t type, float cellSize, int32_t cellsX, int32_t spareCount, int32_t cellsZ,
                       int32_t spare, const Point4* origin, const float* ambientColour, float ambientPercent,
                       int32_t spare2);
int32_t wre_WorldDispose(World* world);
int32_t wre_WorldAddObject(EngineObject* object, World* world);
int32_t wre_WorldRemoveObject(EngineObject* object, World* world);
int32_t wre_WorldSetAmbient(World* world, const float* colour, float percent);
int32_t wre_WorldSetAmbientColour(World* world, const float* colour);
int32_t wre_WorldSetAmbientLevel(World* world, float percent);
int32_t wre_WorldSetGridOrigin(World* world, float x, float y, float z, float w);
int32_t wre_WorldDisposeObjects(World* world);
int32_t wre_WorldDisposeLights(World* world);
int32_t wre_WorldGridRelinkAll(World* world);
int32_t wre_WorldGridLinkObject(EngineObject* object, World* world);
void wre_WorldGridUnlinkObject(EngineObject* object);
void wre_WorldBumpCounter(World* world);
// The first object of the object list, then of the grid-mesh list, whose name equals the given
// one ignoring ASCII case; null when none or an argument is null.
EngineObject* wre_WorldFindObjectByName(const char* name, const World* world);
// Takes an object out of the world it stands in (the object services' removal).
int32_t wre_WorldRemoveObjectFromItsWorld(EngineObject* object);
// Files an object of a cell-grid world into the cell of its present position.
void wre_WorldRefileObject(EngineObject* object);
// The cell of a position, clamped into the grid.
void wre_WorldCellOf(const World* world, float x, float z, int32_t* column, int32_t* row);

// The renderer's frame control installs its binder; without one a world is created unbound.
void wre_WorldSetCullBinder(WorldCullBinder binder);
