// The race's game objects: the list of racers, their creation with a watercraft, placing, showing
// and hiding them, and the racers of a race with their start grid.
#pragma once
#include <cstdint>

#include "game/world/game_object.h"

struct EngineObject;
struct ViewComponents;

enum : int32_t {
  kGameObjectErrListOpen = 350100,
  kGameObjectErrListClosed = 350101,
  kGameObjectErrListed = 350102,
  kGameObjectErrNotListed = 350103,
  kGameObjectErrNotShown = 350104,
  kGameObjectErrShown = 350105,
  kGameObjectErrShowType = 350106,
  kGameObjectErrHideType = 350107,
  kGameObjectErrFreeType = 350200,
};

// The game-object list of the running race; open between GameObjectListStart and Stop.
inline GameObject* gGameObjectListHead = nullptr;
inline uint8_t gGameObjectListOpen = 0;

// Racers' grid: each opponent stands this far across per racer slot.
constexpr float kGridSpacing = 800.0f;
// Craft processes run every this many ticks.
constexpr uint32_t kCraftProcessInterval = 2;

// Opens the list empty. 0; 350100 when it is open.
int32_t GameObjectListStart();
// Destroys every listed object and closes the list. 0; 350101 when it is not open; a teardown
// error is returned with the list left open.
int32_t GameObjectListStop(ViewComponents* view);
// Appends the object at the tail. 0; 350101 when the list is closed, 350102 when it is listed.
int32_t GameObjectListAdd(GameObject* object);
// Takes the object out. 0; 350101 when the list is closed, 350103 when it is not listed.
int32_t GameObjectListRemove(GameObject* object);

// A zero-filled object of the type with the control kind; type 101 gets its watercraft built.
// Null when out of memory, for another type, or when the craft cannot be built.
GameObject* GameObjectCreate(ViewComponents* view, int32_t type, int32_t controlKind, int32_t model,
                             int32_t livery, int32_t riderSex, int32_t riderTexture,
                             int32_t racerSlot);
// 0 once freed (a watercraft destroyed first); -1000 on a null argument, 350200 for a bad type
// (nothing freed), or the craft's release error.
int32_t GameObjectFree(GameObject* object, ViewComponents* view);
// Store the field. 0; -1000 for a null object.
int32_t GameObjectSetControlKind(GameObject* object, int32_t value);
int32_t GameObjectSetType(GameObject* object, int32_t value);
// Sets a watercraft's angles and position; other types are left alone. 0; -1000 for null.
int32_t GameObjectPlace(GameObject* object, int32_t angleX, int32_t angleY, int32_t angleZ, float x, float y,
                        float z);
// Puts a watercraft's models into the view's world. 0; -1000 for a null argument, 350105 when
// shown already, 350106 for another type.
int32_t GameObjectShow(GameObject* object, ViewComponents* view);
// Takes them out. 0; -1000 for a null argument, 350104 when not shown, 350107 for another type.
int32_t GameObjectHide(GameObject* object, ViewComponents* view);
// Takes every object off the list, disposes of its craft process, hides and frees it; the view's
// player goes with its object. 0; 350101 when the list is closed; the first failure ends the walk.
int32_t GameObjectsDestroyAll(ViewComponents* view);

// The player and the opponents on their start grid, each with its craft process. 0, or the first
// error; a view without world or camera creates nothing and gives 0.
int32_t RacersCreate(ViewComponents* view);
// Detaches everything from the race camera and destroys every racer.
int32_t RacersDestroy(ViewComponents* view);

// Drops the object straight down onto what the group mask lets it meet between the level's
// highest and lowest bounds; with nothing there only its transform's height is set, to the middle
// of the level's height range. 0; -1000 for a null argument or a zero mask.
int32_t CraftDropToSurface(EngineObject* object, uint32_t groupMask, ViewComponents* view);
