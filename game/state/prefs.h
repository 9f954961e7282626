// The settings file "prefs.qz" in "data:prefs": gSettings' saved block as a 456-byte big-endian
// image of version 752, its defaults, its reader and writer, and the race-active flag.
#pragma once
#include <cstddef>
#include <cstdint>

inline constexpr const char* kPrefsFileName = "prefs.qz";
constexpr int32_t kPrefsVersion = 752;
constexpr int32_t kPrefsImageSize = 456;

// Fills the whole of gSettings, run-time block included, with the defaults. Always 0.
int32_t PrefsDefaults();

// Makes "data:prefs" the current data folder (it stays current) and reads "prefs.qz" into
// gSettings; then level, course and mode are 0 and the effects and music volumes are applied.
// A missing file is replaced by the defaults, written at once; when that write fails, one line on
// standard error names the folder that could not be written, and its error (5002) is returned,
// after the run-time fields and volumes are set all the same. A file of another version, or one
// too short to be whole, leaves the defaults in memory and the file as it is. Otherwise 0.
int32_t PrefsLoad();

// Applies the defaults and then, when the bytes are a whole image of this version, takes the
// saved fields from it (a value outside the range the pages keep takes its default, the name is
// terminated) and counts one more launch. False, with the defaults kept, for any other bytes.
bool PrefsRead(const uint8_t* data, size_t size);

// While a circuit runs against its own opponent count, the player's own count, which every write
// of the settings file keeps; -1 otherwise.
inline int32_t gPlayerOpponentCount = -1;

// Writes the saved block of gSettings to "prefs.qz" in "data:prefs" (the folder stays current),
// with gPlayerOpponentCount as the opponent count while it is set.
// 0, or 5002 when the file cannot be written; the old file then stays as it was.
int32_t PrefsSave();

// The fatal path's save: PrefsSave only once PrefsLoad has filled gSettings, so that a stop before
// the first load never replaces a good file with an empty record; -1010 when nothing was loaded.
int32_t PrefsSaveLoaded();

// The race-active flag: set stores the byte sign-extended, get answers its low byte.
void RaceActiveSet(int8_t flag);
bool RaceActiveGet();

// The volume settings (percent) on the sound layer's 0..10240 scale and the CD's 0..255 scale:
// percent x 0.01 (a single-precision constant) x the scale, formed in double and truncated.
int32_t PrefsEffectsVolume(int32_t percent);
int32_t PrefsMusicVolume(int32_t percent);
