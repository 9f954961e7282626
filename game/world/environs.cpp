#include "game/world/environs.h"

#include <cmath>
#include <cstdio>

#include "engine/core/colour_scale.h"
#include "engine/core/files.h"
#include "engine/core/wre_types.h"
#include "engine/data/codex.h"
#include "engine/data/world_file.h"
#include "game/state/level_names.h"
#include "game/state/settings.h"
#include "game/state/view_components.h"
#include "game/world/water_surface.h"

const char* const kEnvironsTokenNames[kEnvironsTokenCount] = {
    "vQZQZ_Ignore",
    "vqz_Waterworks_TextureTileFactor",
    "vqz_Waterworks_WaterMode",
    "vqz_Waterworks_WaveHeightMultiplier",
    "vqz_Waterworks_WaveAngleAdd",
    "vqz_Waterworks_BasisY",
    "vqz_Waterworks_HeightToSpecularRatio",
    "vqz_Waterworks_MinHeightToSpecularThresh",
    "vqz_Waterworks_HeightToTextureUVRatio",
    "vqz_Waterworks_WaterUVPoint",
    "vqz_Waterworks_WaterUVAddPoint",
    "vqz_Waterworks_UVCyclicMultiplier",
    "vqz_Waterworks_UVCyclicAngle",
    "vqz_Waterworks_UVCyclicAddAngle",
    "vqz_Waterworks_SingularTexUV",
    "vQZQZ_Nothin",
};

namespace {

constexpr const char* kWaterModeNames[] = {
    "vqz_WaterMode_SingularSineWave",      "vqz_WaterMode_RandomPlop", "vqz_WaterMode_StaggeredDualSineWave",
    "vqz_WaterMode_Planar", "vqz_WaterMode_StaggeredSineWave",
};
constexpr int32_t kMatchedTokens = kEnvironsSingularTexUV + 1;
constexpr int32_t kMinimumLine = 10;
constexpr int32_t kWordSize = 256;
constexpr int32_t kMissingFile = 5001;
constexpr float kDegreesToAngle = 11.37778f;
constexpr const char* kLevelsPrefix = "data:levels:";

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// True when name is a prefix of the first `available` characters of text, ignoring ASCII case.
bool PrefixMatch(const char* name, const char* text, int32_t available) {
  int32_t i = 0;
  for (; name[i] != '\0'; ++i) {
    if (i >= available || Lower(name[i]) != Lower(text[i])) return false;
  }
  return true;
}

int32_t ReadFinite(const char** text, int32_t* remaining, float* value) {
  const int32_t result = wre_CodexReadFloat(text, remaining, value);
  if (result != 0) return result;
  return std::isfinite(*value) ? 0 : kEnvironsErrNotFinite;
}

int32_t ReadPair(const char** text, int32_t* remaining, float* pair) {
  const int32_t result = ReadFinite(text, remaining, &pair[0]);
  return result != 0 ? result : ReadFinite(text, remaining, &pair[1]);
}

// Degrees to 4096ths of a turn, cut toward zero and held inside 32 bits.
int32_t ReadAngle(const char** text, int32_t* remaining, int32_t* angle) {
  float degrees = 0.0f;
  const int32_t result = ReadFinite(text, remaining, &degrees);
  if (result != 0) return result;
  double units = std::trunc(static_cast<double>(degrees * kDegreesToAngle));
  if (units > 2147483647.0) units = 2147483647.0;
  if (units < -2147483648.0) units = -2147483648.0;
  *angle = static_cast<int32_t>(units);
  return 0;
}

int32_t ReadMode(const char** text, int32_t* remaining, int32_t* mode) {
  char word[kWordSize] = {};
  const int32_t result = wre_CodexReadString(text, remaining, word, kWordSize);
  if (result != 0) return result;
  *mode = kWaterModeSingularSine;
  for (int32_t i = 0; i < 5; ++i) {
    if (PrefixMatch(kWaterModeNames[i], word, kWordSize)) {
      *mode = kWaterModeSingularSine + i;
      break;
    }
  }
  return 0;
}

int32_t ReadAndSet(int32_t index, const char** text, int32_t* remaining) {
  float one = 0.0f;
  float pair[2] = {0.0f, 0.0f};
  int32_t whole = 0;
  int32_t result = 0;
  switch (index) {
    case kEnvironsWaterMode:
      result = ReadMode(text, remaining, &whole);
      return result != 0 ? result : WaterworksSetWaterMode(whole);
    case kEnvironsWaveAngleAdd:
    case kEnvironsUVCyclicAngle:
    case kEnvironsUVCyclicAddAngle:
      result = ReadAngle(text, remaining, &whole);
      if (result != 0) return result;
      if (index == kEnvironsWaveAngleAdd) return WaterworksSetWaveAngleAdd(whole);
      if (index == kEnvironsUVCyclicAngle) return WaterworksSetUVCyclicAngle(whole);
      return WaterworksSetUVCyclicAddAngle(whole);
    case kEnvironsHeightToTextureUVRatio:
    case kEnvironsWaterUVPoint:
    case kEnvironsWaterUVAddPoint:
    case kEnvironsSingularTexUV:
      result = ReadPair(text, remaining, pair);
      if (result != 0) return result;
      if (index == kEnvironsHeightToTextureUVRatio) return WaterworksSetHeightToTextureUVRatio(pair[0], pair[1]);
      if (index == kEnvironsWaterUVPoint) return WaterworksSetWaterUVPoint(pair[0], pair[1]);
      if (index == kEnvironsWaterUVAddPoint) return WaterworksSetWaterUVAddPoint(pair[0], pair[1]);
      return WaterworksSetSingularTexUV(pair[0], pair[1]);
    default:
      break;
  }
  result = ReadFinite(text, remaining, &one);
  if (result != 0) return result;
  switch (index) {
    case kEnvironsTextureTileFactor: return WaterworksSetTextureTileFactor(one);
    case kEnvironsWaveHeightMultiplier: return WaterworksSetWaveHeightMultiplier(one);
    case kEnvironsBasisY: return WaterworksSetBasisY(one);
    case kEnvironsHeightToSpecularRatio:
      // Stored scaled by the colour range, which must not overflow either.
      if (!std::isfinite(one * gColourMaxAlpha)) return kEnvironsErrNotFinite;
      return WaterworksSetHeightToSpecularRatio(one);
    case kEnvironsMinHeightToSpecularThresh: return WaterworksSetMinHeightToSpecularThresh(one);
    case kEnvironsUVCyclicMultiplier: return WaterworksSetUVCyclicMultiplier(one);
    default: return 0;
  }
}

// The level folder made current, the reader's flags set and the course's file read.
int32_t ReadFile(ViewComponents* view, int32_t worldFlags, CodexExternalRefHandler handler) {
  if (!view) return kWreErrNull;
  char folder[64];
  char name[32];
  if (!LevelFolderName(kLevelsPrefix, gLevel, folder, sizeof(folder))) return -1;
  if (!EnvironsFileName(gCourse, name, sizeof(name))) return -1;
  wre_FolderSet(folder);
  wre_CodexSetWorldFlags(worldFlags);
  const int32_t result = wre_CodexLoadWorld(name, 0, view->world, handler);
  return result == kMissingFile ? 0 : result;
}

}  // namespace

bool EnvironsFileName(int32_t course, char* out, size_t size) {
  if (!out || size == 0) return false;
  const int64_t number = static_cast<int64_t>(course) + 1;
  const int written = std::snprintf(out, size, "environs_%02lld.codx", static_cast<long long>(number));
  return written > 0 && static_cast<size_t>(written) < size;
}

int32_t EnvironsLoad(ViewComponents* view) { return ReadFile(view, 0, EnvironsTokenHandler); }

int32_t EnvironsRelease(ViewComponents* view) {
  return ReadFile(view, kCodexWorldRemoveLights | kCodexWorldSkipValues, nullptr);
}

int32_t EnvironsTokenMatch(const char** text, int32_t* remaining, int32_t* index) {
  if (!text || !*text || !remaining || !index) return kCodexErrNull;
  *index = kEnvironsUnknown;
  if (*remaining < kMinimumLine) {
    *remaining = 0;
    *index = kEnvironsEnd;
    return 0;
  }
  while (*remaining > 0 && (**text == ' ' || **text == '\t')) {
    ++*text;
    --*remaining;
  }
  for (int32_t i = 0; i < kMatchedTokens; ++i) {
    if (PrefixMatch(kEnvironsTokenNames[i], *text, *remaining)) {
      *index = i;
      char word[kWordSize];
      return wre_CodexReadString(text, remaining, word, kWordSize);
    }
  }
  return 0;
}

int32_t EnvironsTokenHandler(const char** text, int32_t* remaining) {
  const bool skip = (gCodexWorldFlags & kCodexWorldSkipValues) != 0;
  int32_t index = kEnvironsUnknown;
  const int32_t matched = EnvironsTokenMatch(text, remaining, &index);
  if (matched != 0) return matched;
  if (index <= kEnvironsIgnore || skip) return 0;
  return ReadAndSet(index, text, remaining);
}
