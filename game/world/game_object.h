// One racer's list entry: its type, who controls it, its watercraft and its craft process.
#pragma once
#include <cstdint>

struct ProcessNode;
struct Watercraft;

enum GameObjectType : int32_t {
  kGameObjectEmpty = 100,
  kGameObjectWatercraft = 101,
};

enum ControlKind : int32_t {
  kControlHuman = 1,
  kControlComputer = 2,
  kControlFinished = 4,
};

enum GameObjectFlags : uint8_t {
  kGameObjectShown = 0x01,
  kGameObjectListed = 0x02,
  kGameObjectCameraFollows = 0x04,
};

struct GameObject {
  int32_t type;         // GameObjectType
  int32_t controlKind;  // ControlKind bits
  Watercraft* craft;    // null for an empty object
  GameObject* prev;
  GameObject* next;
  ProcessNode* processNode;
  uint8_t flags;  // GameObjectFlags
};
