// The game's main run-time record, handed to most game functions: the one camera and world, the
// race camera's view mode and the player's racer.
#pragma once
#include <cstdint>

#include "engine/core/wre_types.h"

struct Camera;
struct World;
struct GameObject;

enum ViewMode : int32_t {
  kViewNone = -1,  // before a race's first camera placement
  kViewChase = 0,
  kViewOnBoard = 1,
  kViewOverhead = 2,
};

struct ViewComponents {
  Camera* camera;  // first: the sound layer reads the listener's camera from here
  World* world;
  int32_t viewMode;
  GameObject* player;
  Point4 cameraPosition;  // the sound listener's position during a race
  int32_t savedViewMode;  // the player's view while a thrown-rider sequence shows the chase view
};
