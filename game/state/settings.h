// The game's settings record: the saved player, sound, view and control choices, and ahead of them
// the run-time state of the current selection and race that the rest of the game reaches through
// the reference globals below. The settings file reader and writer live in prefs.h.
#pragma once
#include <cstdint>

struct Settings {
  // Run-time block: never saved, cleared whenever the defaults are applied.
  int32_t version;  // 752 after a good load, 0 after the defaults
  int32_t paused;
  int32_t quitPrompt;
  int32_t pauseToggleTick;
  int32_t level;        // 0..9; 10 and above: circuit complete
  int32_t course;       // 0..14
  int32_t circuitSlot;  // 0..4
  int32_t gameMode;     // GameMode
  int32_t spareRunTime;
  uint32_t raceStartTick;
  int32_t markersLeft;
  int32_t raceActive;
  int32_t demoMode;
  int32_t countdownActive;
  int32_t countdownSecond;

  // Saved block, in file order.
  int32_t opponentCount;  // 0..5
  int32_t launchCount;
  int32_t playerModel;  // 0..4
  int32_t riderSex;     // 0 male, 1 female
  int32_t spareA[3];
  int32_t playerLivery;  // 0..49
  int32_t riderTexture;  // 0..40
  int32_t spareB;
  char playerName[32];
  int32_t spareC[24];
  int32_t rendererKind;  // a renderer kind, or -1 to ask at the next run
  int32_t spareD[2];
  float spareFloat;
  char spareString[32];
  int32_t soundVolume;   // percent
  int32_t musicVolume;   // percent
  int32_t viewDistance;  // percent
  int32_t detail;        // percent
  int32_t keyLeft;       // KeyCodes; the control reader uses the low byte
  int32_t keyRight;
  int32_t keyThrottle;
  int32_t keyPause;
  int32_t keyView;
  int32_t mouseOn;
  int32_t joystickOn;
  float mouseSensitivity;
  float mouseThreshold;
  int32_t mouseInvertX;
  int32_t mouseInvertY;
  float joystickScale;
  float joystickDeadZone;
  int32_t spareE[8];

  // Tail: never saved.
  int32_t loaded;  // 1 once the settings file has been read, so the fatal path may write them back
};

// Game modes as kept in gGameMode.
enum GameMode : int32_t {
  kModeRally = 0,
  kModeTreasureLinear = 1,
  kModeTreasureRoam = 2,
  kModeDerby = 3,
  kModeRallyVariant = 4,
};

// The rally modes count laps through buoy gates; the treasure hunts collect dollars.
inline bool GameModeIsRally(int32_t mode) { return mode == kModeRally || mode == kModeRallyVariant; }
inline bool GameModeIsTreasure(int32_t mode) { return mode == kModeTreasureLinear || mode == kModeTreasureRoam; }

inline Settings gSettings{};

inline int32_t& gPaused = gSettings.paused;
inline int32_t& gQuitPrompt = gSettings.quitPrompt;
inline int32_t& gPauseToggleTick = gSettings.pauseToggleTick;
inline int32_t& gLevel = gSettings.level;
inline int32_t& gCourse = gSettings.course;
inline int32_t& gCircuitSlot = gSettings.circuitSlot;
inline int32_t& gGameMode = gSettings.gameMode;
inline uint32_t& gRaceStartTick = gSettings.raceStartTick;
inline int32_t& gMarkersLeft = gSettings.markersLeft;
inline int32_t& gRaceActive = gSettings.raceActive;
inline int32_t& gDemoMode = gSettings.demoMode;
inline int32_t& gCountdownActive = gSettings.countdownActive;
inline int32_t& gCountdownSecond = gSettings.countdownSecond;
