// Screen classes of the front end and the rules that keep the new-game page's level and course
// choice valid for the game mode: Treasure Hunt Linear runs on the one-lap levels only, Treasure
// Hunt Roam and Derby on the lap-circuit levels only, Rally on all ten; each mode has its own
// block of five courses.
#pragma once
#include <cstdint>

// Level stepping directions of the new-game page.
enum LevelStep : int32_t {
  kLevelStepBack = -4,
  kLevelStepForward = -3,  // as is any value other than kLevelStepBack
};

// True on the tab screens 100..107.
bool MenuScreenIsTab();
// True on the tab screens and the circuit race page (11).
bool MenuScreenIsTabOrCircuit();

// Wraps the menu state's selected level into 0..9, then moves it on in the direction past the
// levels the current mode may not use, setting gCourse to 0 at every level skipped.
void LevelSelectWrap(int32_t direction);

// Wraps gCourse within the current mode's block (0..4, 5..9 or 10..14): below the block it
// continues at the block's last course, above it at the first.
void CourseSelectClamp();
