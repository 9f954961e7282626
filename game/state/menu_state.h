// The front end's state record: the current screen's resources, the menu pointer, the selected
// level and the typed text, the shared textures, materials, fonts and sounds of the menus.
#pragma once
#include <cstdint>

struct EngineObject;
struct FileRecord;
struct Font;
struct GameObject;
struct Light;

// Front-end screen ids; 100..107 are the tab screens.
enum MenuScreen : int32_t {
  kScreenNone = 0,
  kScreenDisclaimer = 10,
  kScreenCircuitRace = 11,
  kScreenNewGame = 100,
  kScreenCircuit = 101,
  kScreenPlayer = 102,
  kScreenControls = 103,
  kScreenOptions = 104,
  kScreenHighScores = 105,
  kScreenCredits = 106,
  kScreenQuit = 107,
};

inline uint8_t gRestartRequested = 0;  // the front end asks for another top-level run

constexpr int kMenuSlots = 16;

struct MenuState {
  uint8_t entered;  // the current screen's own resources are loaded
  char typedText[259];
  int32_t pageResult;  // between-races circuit page: 1 continue, -1 leave, 0 none yet
  uint8_t captureWaiting;
  int32_t* captureTarget;  // the settings key field that receives the next key
  uint32_t idleTick;
  FileRecord* textFile;  // credits or disclaimer text while its screen is entered
  int32_t selectedLevel;
  int32_t previewYaw;
  int32_t cursorTexture;
  int32_t cursorX;
  int32_t cursorY;
  float cursorUv[4];
  int32_t cursorSize[4];
  int32_t optionsTexture;
  int32_t joystickTexture;
  int32_t mainMenuTexture;
  int32_t tabBounds[4];
  GameObject* previewRacer;
  EngineObject* pageObjects[kMenuSlots];
  int32_t pageTextures[kMenuSlots];  // 0..3: the four quarters of the new-game picture
  int32_t trueWhiteMaterial;
  int32_t whiteMaterial;
  int32_t backdropMaterial;
  int32_t grayMaterial;
  int32_t blackMaterial;
  Light* menuLight;
  EngineObject* backgroundObject;
  EngineObject* logoObject;
  uint32_t screenTick;
  uint32_t blinkTick;
  int32_t slotIndex;  // circuit slot, or high-score table
  char courseNames[15][256];
  Font* globeFont;
  Font* typeFont;
  Font* blueFont;
  Font* levelFont;
  float textScroll;
  int16_t changeSound;
  int16_t flipSound;
  uint8_t stateFlags;  // bit 0: caret blink phase
};

// Null outside a top-level run.
inline MenuState* gMenuState = nullptr;
inline int32_t gMenuScreen = kScreenNone;
// The screen the next frame update switches to; 0 none.
inline int32_t gMenuPendingScreen = kScreenNone;
inline uint8_t gMenuLoaded = 0;   // the shared menu resources are loaded
inline uint8_t gMenuQuit = 0;     // ends the menu loop of the top-level run
inline uint8_t gIntroPlayed = 0;  // the intros have run in this top-level run
