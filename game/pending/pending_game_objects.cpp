#include "game/world/game_objects.h"
GameObject* GameObjectCreate(ViewComponents*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                             int32_t) { return nullptr; }
int32_t GameObjectFree(GameObject*, ViewComponents*) { return -1000; }
int32_t RacersCreate(ViewComponents*) { return 0; }
int32_t RacersDestroy(ViewComponents*) { return 0; }
