#include "engine/core/world.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "engine/core/detail.h"
#include "engine/core/light.h"
#include "engine/core/memory.h"
#include "engine/core/strings.h"

namespace {

WorldCullBinder gCullBinder = nullptr;

// Largest grid the engine makes: a cell array far beyond any level is refused rather than tried.
constexpr int32_t kMaxCellsPerSide = 4096;

int32_t CellIndexFor(const World* world, float axisValue, float origin, int32_t cells) {
  // Clamped as a float first, so a NaN or a huge position never reaches an integer conversion.
  float cell = (axisValue - origin) * world->cellReciprocal;
  if (!(cell > 0.0f)) return 0;
  if (cell >= static_cast<float>(cells)) return cells - 1;
  return static_cast<int32_t>(cell);
}

void ResetWorld(World* world) {
  world->objectCount = 0;
  world->objects = nullptr;
  world->lights = nullptr;
  std::memset(world->ambient, 0, sizeof(world->ambient));
  world->ambientLevel = 0.0f;
  if (world->type == kWorldCellGrid && world->cells) {
    std::memset(world->cells, 0, static_cast<size_t>(world->cellArraySize));
  }
}

// Lets every object of a list go of the world without touching the objects' memory beyond links.
void ForgetObjects(EngineObject* head) {
  while (head) {
    EngineObject* next = head->next;
    head->prev = head->next = nullptr;
    head->cellPrev = head->cellNext = nullptr;
    head->cellHead = nullptr;
    head->world = nullptr;
    head->status &= static_cast<uint8_t>(~kStatusInWorld);
    head = next;
  }
}

}  // namespace

void wre_WorldSetCullBinder(WorldCullBinder binder) { gCullBinder = binder; }

void wre_WorldBumpCounter(World* world) {
  if (world) world->changeCounter = static_cast<uint16_t>(((world->changeCounter & 0xFF) + 1) & 0xFF);
}

World* wre_WorldCreate(int32_t type, float cellSize, int32_t cellsX, int32_t spareCount, int32_t cellsZ,
                       int32_t spare, const Point4* origin, const float* ambientColour, float ambientPercent,
                       int32_t spare2) {
  (void)spare;
  (void)spare2;
  if (type != kWorldObjectList && type != kWorldCellGrid) return nullptr;
  if (type == kWorldCellGrid) {
    if (!origin || !(cellSize > 0.0f) || !std::isfinite(cellSize) || cellsX < 1 || cellsZ < 1 ||
        cellsX > kMaxCellsPerSide || cellsZ > kMaxCellsPerSide) {
      return nullptr;
    }
  }
  auto* world = static_cast<World*>(wre_MemoryNew(sizeof(World)));
  if (!world) return nullptr;
  std::memset(world, 0, sizeof(*world));
  if (type == kWorldCellGrid) {
    world->gridOrigin = *origin;
    world->cellSize = cellSize;
    world->cellReciprocal = 1.0f / cellSize;
    world->cellsX = cellsX;
    world->spareCount = spareCount;
    world->cellsZ = cellsZ;
    world->cellArraySize = static_cast<int32_t>(sizeof(EngineObject*)) * cellsX * cellsZ;
    world->cells = static_cast<EngineObject**>(wre_MemoryNew(world->cellArraySize));
    if (!world->cells) {
      wre_MemoryDispose(world);
      return nullptr;
    }
  }
  world->type = type;
  ResetWorld(world);
  wre_WorldSetAmbient(world, ambientColour, ambientPercent);
  gLightingDirty = 1;
  if (gCullBinder && gCullBinder(world) != 0) {
    if (world->cells) wre_MemoryDispose(world->cells);
    wre_MemoryDispose(world);
    return nullptr;
  }
  wre_WorldBumpCounter(world);
  return world;
}

int32_t wre_WorldDispose(World* world) {
  if (!world) return kWreErrNull;
  // Objects and lights still in the world are let go, so none keeps a pointer to freed memory.
  ForgetObjects(world->objects);
  ForgetObjects(world->gridMeshes);
  for (Light* light = world->lights; light;) {
    Light* next = light->next;
    light->prev = light->next = nullptr;
    light->world = nullptr;
    light = next;
  }
  if (world->cells) wre_MemoryDispose(world->cells);
  wre_MemoryDispose(world);
  return 0;
}

void wre_WorldCellOf(const World* world, float x, float z, int32_t* column, int32_t* row) {
  int32_t c = CellIndexFor(world, x, world->gridOrigin.x, world->cellsX);
  int32_t r = CellIndexFor(world, z, world->gridOrigin.z, world->cellsZ);
  if (column) *column = c;
  if (row) *row = r;
}

int32_t wre_WorldGridLinkObject(EngineObject* object, World* world) {
  if (!object || !world || world->type != kWorldCellGrid || !world->cells) return -1;
  // An object already in a cell is taken out first, so it is never linked twice.
  if (object->cellHead) wre_ObjectCellRemove(object);
  int32_t column = 0, row = 0;
  wre_WorldCellOf(world, object->transform.position[0], object->transform.position[2], &column, &row);
  wre_ObjectCellAppend(&world->cells[column + row * world->cellsX], object);
  object->cellColumn = column;
  object->cellRow = row;
  return 0;
}

void wre_WorldGridUnlinkObject(EngineObject* object) {
  if (object && object->cellHead) wre_ObjectCellRemove(object);
}

int32_t wre_WorldAddObject(EngineObject* object, World* world) {
  if (!object || !world) return kWreErrNull;
  if (world->type != kWorldObjectList && world->type != kWorldCellGrid) return kWorldErrType;
  if (object->status & kStatusInWorld) return kWorldErrAlreadyInWorld;
  // A detail-group member's list links belong to its group.
  if (object->status & kStatusInGroup) return kWreErrRange;
  if (object->kind == kObjectStatic) {
    wre_ObjectListAppend(&world->gridMeshes, object);
  } else {
    wre_ObjectListAppend(&world->objects, object);
    if (world->type == kWorldCellGrid) wre_WorldGridLinkObject(object, world);
  }
  object->status |= kStatusInWorld;
  object->world = world;
  ++world->objectCount;
  if (object->radius > world->largestRadius) world->largestRadius = object->radius;
  if (world->smallestRadius == 0.0f || world->smallestRadius > object->radius) world->smallestRadius = object->radius;
  return 0;
}

int32_t wre_WorldRemoveObject(EngineObject* object, World* world) {
  if (!object || !world) return kWreErrNull;
  // An object standing in another world is not unlinked from this one's lists.
  if (!(object->status & kStatusInWorld) || object->world != world) return kWorldErrNotInWorld;
  if (object->kind == kObjectStatic) {
    wre_ObjectListRemove(&world->gridMeshes, object);
  } else {
    wre_ObjectListRemove(&world->objects, object);
    wre_WorldGridUnlinkObject(object);
  }
  object->status &= static_cast<uint8_t>(~kStatusInWorld);
  object->world = nullptr;
  if (world->objectCount > 0) --world->objectCount;
  return 0;
}

int32_t wre_WorldSetAmbient(World* world, const float* colour, float percent) {
  if (!world) return kWreErrNull;
  if (colour) wre_WorldSetAmbientColour(world, colour);
  wre_WorldSetAmbientLevel(world, percent);
  wre_WorldBumpCounter(world);
  return 0;
}

int32_t wre_WorldSetAmbientColour(World* world, const float* colour) {
  if (!world || !colour) return kWreErrNull;
  std::memcpy(world->ambient, colour, sizeof(world->ambient));
  gLightingDirty = 1;
  wre_WorldBumpCounter(world);
  return 0;
}

int32_t wre_WorldSetAmbientLevel(World* world, float percent) {
  if (!world) return kWreErrNull;
  world->ambientLevel = percent * 0.01f;
  gLightingDirty = 1;
  wre_WorldBumpCounter(world);
  return 0;
}

int32_t wre_WorldSetGridOrigin(World* world, float x, float y, float z, float w) {
  if (!world) return -1;
  world->gridOrigin = Point4{x, y, z, w};
  return 0;
}

int32_t wre_WorldDisposeObjects(World* world) {
  if (!world) return -1;
  for (EngineObject** list : {&world->objects, &world->gridMeshes}) {
    while (EngineObject* object = *list) {
      wre_WorldRemoveObject(object, world);
      if (*list == object) wre_ObjectListRemove(list, object);  // never loop on a stuck head
      wre_ObjectDispose(object);
    }
  }
  return 0;
}

int32_t wre_WorldDisposeLights(World* world) {
  if (!world) return kWreErrNull;
  while (Light* light = world->lights) {
    wre_LightListRemove(light, world);
    wre_LightDispose(light);
  }
  wre_WorldBumpCounter(world);
  return 0;
}

int32_t wre_WorldGridRelinkAll(World* world) {
  if (!world) return -1;
  for (EngineObject* object = world->objects; object; object = object->next) {
    wre_WorldGridUnlinkObject(object);
    wre_WorldGridLinkObject(object, world);
    object->transform.changed = 1;
    if (object->detailGroup) {
      for (EngineObject* member = object->detailGroup->members; member; member = member->next) {
        member->transform.changed = 1;
      }
    }
    wre_ObjectUpdate(object, 1, 1);
  }
  wre_WorldBumpCounter(world);
  return 0;
}

EngineObject* wre_WorldFindObjectByName(const char* name, const World* world) {
  if (!name || !world) return nullptr;
  for (EngineObject* list : {world->objects, world->gridMeshes}) {
    for (EngineObject* object = list; object; object = object->next) {
      if (wre_StringEqualNoCase(object->name, name)) return object;
    }
  }
  return nullptr;
}

int32_t wre_WorldRemoveObjectFromItsWorld(EngineObject* object) {
  if (!object) return kWreErrNull;
  if (!object->world) return kWorldErrNotInWorld;
  return wre_WorldRemoveObject(object, object->world);
}

void wre_WorldRefileObject(EngineObject* object) {
  if (!object || !(object->status & kStatusInWorld) || object->kind == kObjectStatic) return;
  World* world = object->world;
  if (!world) return;
  // The radius may have grown since the object was added; the collision grid walk relies on it.
  if (object->radius > world->largestRadius) world->largestRadius = object->radius;
  if (world->type == kWorldCellGrid) wre_WorldGridLinkObject(object, world);
}
