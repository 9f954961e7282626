#include "game/world/game_objects.h"
int32_t GameObjectPlace(GameObject* object, int32_t, int32_t, int32_t, float, float, float) {
  return object ? 0 : -1000;
}
