// Disc launcher: the configuration file "ostrel.ini" beside the launcher program.
//
// Value types: a flag is true when its first character is "y" or "Y" (so "1" and "true" are
// false); a number is read like atol but saturates at the 32-bit limits; a pair and a colour are
// digit scans over at most 12 characters (LauncherParsePair, LauncherParseColour).
#pragma once
#include <cstdint>
#include <string>

#include "launcher/launcher_state.h"

enum LauncherStart : int {
  kLauncherStartShowWindow = 0,  // go on and make the window
  kLauncherStartEnd = 1,         // end the process now with code 0, showing nothing
};

// atol with saturation: leading blanks, an optional sign, decimal digits; 0 with no digits.
int32_t LauncherAtol(const char* text);
// True when the text starts with "y" or "Y".
int32_t LauncherFlag(const char* text);

// Two numbers separated by a comma. Digits are collected, a comma moves to the next number (or
// ends the scan after the second), the end of the text ends the scan, anything else is skipped.
// When the scan ends within the first 12 characters (the terminating zero counted) both outputs are
// set, 0 for a number the text lacks; otherwise neither is changed.
void LauncherParsePair(const char* value, int32_t* first, int32_t* second);
// The same with three numbers (red, green, blue).
void LauncherParseColour(const char* value, int32_t* red, int32_t* green, int32_t* blue);
// The colour value of three numbers: red + 256 * green + 65536 * blue, each from its low 8 bits.
uint32_t LauncherColourValue(int32_t red, int32_t green, int32_t blue);

// The launcher directory from the program's file name, ending with "\": the file name is cut after
// its last "\", then after the "\" that opens the first folder named exactly "DEBUG", anywhere in
// the path, and then the same for "RELEASE" ("D:\GAME\DEBUG\X\cdfront" gives "D:\GAME\"). False
// when the program's name cannot be had.
bool LauncherDirectoryGet(std::string* directory);
// The same from a given file name.
std::string LauncherDirectoryFromModule(const std::string& moduleFileName);

// The Windows directory followed by the value from its ninth character ("[WINDIR]\X" gives the
// Windows directory followed by "\X").
std::string LauncherWindowsDirPath(const LauncherState& state, const std::string& value);

// Reads the whole configuration into `state` (which it resets first), then makes the start-up
// decisions of the install detection. kLauncherStartEnd when the process is to end at once: the
// program's own name is unknown, or a state-tracked product is already recorded as installed.
LauncherStart LauncherConfigRead(LauncherState* state);
// Only the configuration file part of the above: directory, [Configs], [Install<n>], picture and
// agreement texts. False when the program's own name is unknown.
bool LauncherConfigReadFile(LauncherState* state);
