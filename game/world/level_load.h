// Loading the selected level (gLevel) into the race view: the skybox on the camera, both folders'
// textures, the level's objects prepared by their ids (collision groups, water markers, water
// surfaces, floating scenery), the course's water settings, the course map, and the level's extent
// in the level bounds. The unload undoes all of it.
#pragma once
#include <cstdint>

struct EngineObject;
struct ModelList;
struct ViewComponents;

// Object ids: the numeric user value a level's model file gives an object.
enum LevelObjectId : int32_t {
  kLevelIdNone = -1,
  kLevelIdWaterMarker = 5000,
  kLevelIdRamp = 34102,
  kLevelIdFloating = 34101,
  kLevelIdAmazonWater = 2010,
  kLevelIdBermudaWater = 2805,
  kLevelIdHongkongFloater = 2701,
  kLevelIdBahamaHiddenA = 33026,
  kLevelIdHiddenShared = 33027,
  kLevelIdBermudaHidden = 33028,
  kLevelIdPenguinHidden = 33008,
};

enum LevelGroup : uint32_t {
  kGroupWater = 0x1,
  kGroupRamp = 0x4,
  kGroupSolid = 0x8,
  kGroupMarker = 0x10,  // the game mode's dollars and waypoints
  kGroupWaterSurface = 0x20,
  kGroupFloating = 0x40,
};

// How far every level object is lifted at load.
constexpr float kLevelLift = 100000.0f;

inline EngineObject* gSkyObject = nullptr;
inline ModelList* gLevelModelList = nullptr;

// 0, -1000 for a null view, the floating list's or course map's error, -1 for a level outside
// 0..9, a level model that does not load, or a level without a water marker, the sky model's error,
// or a water marker's update failure. A failure over a file notes it (wre_FileNoteFailed): the
// course map's picture or opacity picture, the sky model, or the level model. A failing texture list ends the program ("Error at parse
// texture file"). A failing water settings file is reported on stderr and the load goes on.
int32_t LevelLoad(ViewComponents* view);
// 0, -1 for a level outside 0..9, or the water settings file's error.
int32_t LevelUnload(ViewComponents* view);
