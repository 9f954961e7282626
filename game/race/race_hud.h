// The race frame: the scene through the game camera, the rally compass in front of it and the
// head-up display of panels and texts on top, with the display's three fonts. Outside a race
// (race-active flag clear) the frame shows the scene alone, as route generation draws it.
#pragma once
#include <cstdint>

struct Font;
struct ViewComponents;
struct Watercraft;

constexpr int32_t kHudFontsAlreadyLoaded = 302000;
constexpr int32_t kHudFontsNotLoaded = 302001;
// Panels and texts lie just beyond the near clip.
constexpr float kHudDepth = 500.001f;

inline Font* gFontLap = nullptr;
inline Font* gFontSpeed = nullptr;
inline Font* gFontBigYellow = nullptr;
inline uint8_t gHudFontsLoaded = 0;

// Loads the three fonts of "data:interface" with the interface material. 0; 302000 when they are
// already loaded; or the first loader error (the fonts loaded before it stay for the unload).
int32_t HudFontsLoad();
// Disposes the loaded fonts. 0, or 302001 when nothing is loaded.
int32_t HudFontsUnload();

// Ends the program with the message unless the frame step succeeded or only dropped polygons
// from a full queue.
void RenderStepCheck(int32_t result, const char* message);

// One race frame; beginFlag goes to the frame begin unchanged. Every failing step is fatal (a full
// polygon queue is not a failure). 0.
int32_t RaceFrameRender(ViewComponents* view, uint8_t beginFlag);
// Rally only: the compass in front of the camera, turned toward the player's next gate and
// visible in proportion to how far that gate lies off the camera's heading. 0.
int32_t CompassSetup(ViewComponents* view);
// The head-up display of the running mode. 0, or the first failing panel's error.
int32_t HudDraw(ViewComponents* view);

constexpr int kHudTimeTextSize = 16;  // the longest time, 1193046 minutes, fits
// The race-time text for the elapsed ticks into `text` (kHudTimeTextSize bytes): minutes, seconds
// and sixtieths, or the blank pattern while `blank`.
void HudTimeFormat(char* text, uint32_t elapsed, bool blank);
// The craft's 1-based place in the racer chain by laps, then score; `tied` (may be null) tells
// whether another racer has exactly its laps and score.
int32_t HudPlace(const Watercraft* craft, bool* tied);
