#include "game/world/game_objects.h"
int32_t GameObjectListStart() { return 0; }
int32_t GameObjectListStop(ViewComponents*) { return 0; }
