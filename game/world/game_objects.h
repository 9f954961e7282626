// The race's game objects: the list of racers, their creation with a watercraft, placing, showing
// and hiding them, and the racers of a race with their start grid.
#pragma once
#include <cstdint>

#include "game/world/game_object.h"

struct EngineObject;
struct ViewComponents;

// A zero-filled object of the type with the control kind; type 101 gets its watercraft built.
// Null when out of memory or when the craft cannot be built.
GameObject* GameObjectCreate(ViewComponents* view, int32_t type, int32_t controlKind, int32_t model,
                             int32_t livery, int32_t riderSex, int32_t riderTexture,
                             int32_t racerSlot);
// 0 once freed (a watercraft destroyed first); -1000 on a null argument, 350200 for a bad type.
int32_t GameObjectFree(GameObject* object, ViewComponents* view);

// Opens an empty game-object list for a race. 0; 350100 when it is already open.
int32_t GameObjectListStart();
// Destroys every listed object and closes the list. 0; 350101 when it is not open, or the
// teardown's error (the list stays open then).
int32_t GameObjectListStop(ViewComponents* view);

// The player and the opponents on their start grid, each with its craft process. 0, or the first
// error; a view without world or camera creates nothing and gives 0.
int32_t RacersCreate(ViewComponents* view);
// Detaches everything from the race camera and destroys every racer.
int32_t RacersDestroy(ViewComponents* view);
