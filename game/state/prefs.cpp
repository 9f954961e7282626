#include "game/state/prefs.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>

#include "engine/core/files.h"
#include "engine/core/strings.h"
#include "engine/core/wre_types.h"
#include "engine/data/cdaudio.h"
#include "engine/data/sound.h"
#include "game/state/main_window.h"
#include "game/state/save_file.h"
#include "game/state/settings.h"

namespace {

// The saved block in file order after the version word; the 12 words ahead of it and the 10
// words and 10 floats behind it are written as zeros and skipped on reading.
template <class Record, class Walker>
void PrefsFields(Record& s, Walker& io) {
  io.Skip(12 * 4);
  io.Int(s.opponentCount);
  io.Int(s.launchCount);
  io.Int(s.playerModel);
  io.Int(s.riderSex);
  io.Ints(s.spareA);
  io.Int(s.playerLivery);
  io.Int(s.riderTexture);
  io.Int(s.spareB);
  io.Name(s.playerName);
  io.Ints(s.spareC);
  io.Int(s.rendererKind);
  io.Ints(s.spareD);
  io.Float(s.spareFloat);
  io.Name(s.spareString);
  io.Int(s.soundVolume);
  io.Int(s.musicVolume);
  io.Int(s.viewDistance);
  io.Int(s.detail);
  io.Int(s.keyLeft);
  io.Int(s.keyRight);
  io.Int(s.keyThrottle);
  io.Int(s.keyPause);
  io.Int(s.keyView);
  io.Int(s.mouseOn);
  io.Int(s.joystickOn);
  io.Float(s.mouseSensitivity);
  io.Float(s.mouseThreshold);
  io.Int(s.mouseInvertX);
  io.Int(s.mouseInvertY);
  io.Float(s.joystickScale);
  io.Float(s.joystickDeadZone);
  io.Ints(s.spareE);
  io.Skip(20 * 4);
}

Settings DefaultSettings() {
  Settings s{};
  wre_StringCopyN("Player", s.playerName, sizeof(s.playerName), 1);
  s.playerModel = 2;
  s.opponentCount = 2;
  s.soundVolume = 50;
  s.musicVolume = 80;
  s.viewDistance = 15;
  s.detail = 80;
  s.keyLeft = 172;
  s.keyRight = 173;
  s.keyThrottle = 171;
  s.keyPause = 'P';
  s.keyView = 'V';
  s.mouseOn = 1;
  s.joystickOn = 1;
  s.mouseSensitivity = 1.0f;
  s.mouseThreshold = 1.0f;
  s.joystickScale = 1.5f;
  s.joystickDeadZone = 4.0f;
  s.rendererKind = -1;
  return s;
}

void KeepInRange(int32_t& value, int32_t low, int32_t high, int32_t fallback) {
  if (value < low || value > high) value = fallback;
}

// The pages step floats by 0.1, so a value may stand a rounding step beyond an end.
void KeepInRange(float& value, float low, float high, float fallback) {
  constexpr float kSlack = 0.001f;
  if (!std::isfinite(value) || value < low - kSlack || value > high + kSlack) value = fallback;
}

// Checked on reading, though nothing in the file's format asks for it: values outside what the
// pages keep would index the model, livery and rider tables or the racer slots, or give a far plane
// nearer than the near one.
void PrefsValidate(Settings& s, const Settings& d) {
  KeepInRange(s.opponentCount, 0, 5, d.opponentCount);
  KeepInRange(s.launchCount, 0, std::numeric_limits<int32_t>::max() - 1, d.launchCount);
  KeepInRange(s.playerModel, 0, 4, d.playerModel);
  KeepInRange(s.riderSex, 0, 1, d.riderSex);
  KeepInRange(s.playerLivery, 0, 49, d.playerLivery);
  KeepInRange(s.riderTexture, 0, 40, d.riderTexture);
  KeepInRange(s.soundVolume, 0, 100, d.soundVolume);
  KeepInRange(s.musicVolume, 0, 100, d.musicVolume);
  KeepInRange(s.viewDistance, 0, 100, d.viewDistance);
  KeepInRange(s.detail, 0, 100, d.detail);
  KeepInRange(s.mouseSensitivity, 0.1f, 10.0f, d.mouseSensitivity);
  KeepInRange(s.mouseThreshold, 0.0f, 10.0f, d.mouseThreshold);
  KeepInRange(s.joystickScale, 0.1f, 10.0f, d.joystickScale);
  KeepInRange(s.joystickDeadZone, 0.0f, 10.0f, d.joystickDeadZone);
  if (!std::isfinite(s.spareFloat)) s.spareFloat = d.spareFloat;
  SaveNameTerminate(s.playerName);
}

// The current data folder as a full path, for a message the player can act on.
std::string CurrentFolderPath() {
  std::string folder = gCurrentFolder;
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(folder, error);
  return error ? folder : full.lexically_normal().string();
}

int32_t ScaledVolume(int32_t percent, int32_t scale) {
  return static_cast<int32_t>(percent * static_cast<double>(0.01f) * scale);
}

}  // namespace

int32_t PrefsDefaults() {
  gSettings = DefaultSettings();
  return 0;
}

bool PrefsRead(const uint8_t* data, size_t size) {
  PrefsDefaults();
  if (!SaveImageMatches(data, size, kPrefsImageSize, kPrefsVersion)) return false;
  SaveReader reader{wre_StreamReaderMake(data, size)};
  reader.Int(gSettings.version);
  PrefsFields(gSettings, reader);
  PrefsValidate(gSettings, DefaultSettings());
  gSettings.launchCount += 1;
  return true;
}

int32_t PrefsLoad() {
  wre_FolderSet(kSaveFolder);
  FileRecord* file = wre_FileLoad(kPrefsFileName, 0);
  int32_t result = 0;
  if (!file) {
    PrefsDefaults();
    result = PrefsSave();
    if (result != 0)
      std::fprintf(stderr, "Couldn't write the settings file \"%s\": the folder \"%s\" cannot be written\n",
                   kPrefsFileName, CurrentFolderPath().c_str());
  } else {
    PrefsRead(file->data, static_cast<size_t>(file->size));
    wre_FileDispose(file);
  }
  gSettings.loaded = 1;
  gLevel = 0;
  gCourse = 0;
  gGameMode = kModeRally;
  wre_SoundSetMasterVolume(PrefsEffectsVolume(gSettings.soundVolume));
  CdAudioOpen(PrefsMusicVolume(gSettings.musicVolume), reinterpret_cast<uintptr_t>(gMainWindow));
  return result;
}

int32_t PrefsSave() {
  std::array<uint8_t, kPrefsImageSize> image{};
  SaveWriter writer{image.data()};
  writer.Int(kPrefsVersion);
  Settings saved = gSettings;
  if (gPlayerOpponentCount >= 0) saved.opponentCount = gPlayerOpponentCount;
  PrefsFields(saved, writer);
  wre_FolderSet(kSaveFolder);
  return SaveImageWrite(kPrefsFileName, image.data(), kPrefsImageSize);
}

int32_t PrefsSaveLoaded() { return gSettings.loaded ? PrefsSave() : kWreErrRange; }

void RaceActiveSet(int8_t flag) { gRaceActive = flag; }

bool RaceActiveGet() { return (gRaceActive & 0xff) != 0; }

int32_t PrefsEffectsVolume(int32_t percent) { return ScaledVolume(percent, 10240); }

int32_t PrefsMusicVolume(int32_t percent) { return ScaledVolume(percent, 255); }
