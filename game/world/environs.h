// The course's water settings file ("environs_NN.codx" in the level folder): an engine world file
// whose ambient and light lines light the race world and whose "kVKT_ExternalRef" lines carry the
// water-surface settings, each handed to its setter in water_surface.h.
#pragma once
#include <cstddef>
#include <cstdint>

struct ViewComponents;

enum EnvironsToken : int32_t {
  kEnvironsEnd = -1,
  kEnvironsUnknown = -3,
  kEnvironsIgnore = 0,
  kEnvironsTextureTileFactor = 1,
  kEnvironsWaterMode = 2,
  kEnvironsWaveHeightMultiplier = 3,
  kEnvironsWaveAngleAdd = 4,
  kEnvironsBasisY = 5,
  kEnvironsHeightToSpecularRatio = 6,
  kEnvironsMinHeightToSpecularThresh = 7,
  kEnvironsHeightToTextureUVRatio = 8,
  kEnvironsWaterUVPoint = 9,
  kEnvironsWaterUVAddPoint = 10,
  kEnvironsUVCyclicMultiplier = 11,
  kEnvironsUVCyclicAngle = 12,
  kEnvironsUVCyclicAddAngle = 13,
  kEnvironsSingularTexUV = 14,
  kEnvironsNothing = 15,  // never matched
  kEnvironsTokenCount = 16,
};

// A value that is not a finite number (the water would turn to NaN).
constexpr int32_t kEnvironsErrNotFinite = 2010;

extern const char* const kEnvironsTokenNames[kEnvironsTokenCount];

// "environs_" + (course + 1) in at least two digits + ".codx" into out; false when it does not fit.
bool EnvironsFileName(int32_t course, char* out, size_t size);

// Reads the current course's file into the view's world with the water lines handled. 0 (also for
// a missing file), -1000 for a null view, -1 for a level outside 0..9 (nothing read), else the
// world reader's error.
int32_t EnvironsLoad(ViewComponents* view);
// Reads the same file again removing the lights it made and setting no water values. Results as
// EnvironsLoad's.
int32_t EnvironsRelease(ViewComponents* view);

// The world reader's handler of one "kVKT_ExternalRef" line: 0, or a value's read error (which
// ends the read), kEnvironsErrNotFinite for "nan" or "inf".
int32_t EnvironsTokenHandler(const char** text, int32_t* remaining);
// Recognises the token word at the cursor and consumes it: *index is its EnvironsToken, -3 when
// none matches (left in place), -1 when fewer than 10 characters remain (remaining becomes 0).
// 0 or the error of reading the word.
int32_t EnvironsTokenMatch(const char** text, int32_t* remaining, int32_t* index);
