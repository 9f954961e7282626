// Disc launcher: which products count as installed, the state file in the Windows directory and
// the idle poll that keeps the buttons up to date.
//
// Relative paths (a blank runpath included) are taken from the launcher directory.
#pragma once
#include <cstdint>
#include <string>

#include "launcher/launcher_config.h"
#include "launcher/launcher_state.h"

// The poll runs when more than this many milliseconds have passed since its clock.
constexpr int32_t kLauncherPollInterval = 1000;
// A poll clock further behind than this (a suspend, a long stall) jumps forward instead of
// catching up one interval per idle pass.
constexpr int32_t kLauncherPollCatchUpLimit = 60000;

LauncherProductKind LauncherKindOf(const LauncherProduct& product);

// Milliseconds from the platform's tick count; wraps at 2^32.
uint32_t LauncherTimeNow();

// Reads a string value under the local-machine root into `out` (at most 254 characters); `out` is
// empty when nothing is read. The registry is never changed.
void LauncherRegistryRead(const std::string& subkey, const std::string& name, std::string* out);

// `path` taken from the launcher directory when it is relative, blanks around it dropped.
std::string LauncherResolvePath(const LauncherState& state, const std::string& path);
// 1 when the file (taken from the launcher directory when relative) can be opened for reading.
int LauncherFileExists(const LauncherState& state, const std::string& path);
// runpath + "\" + exename; exename alone when runpath is blank.
std::string LauncherProgramPath(const std::string& runpath, const std::string& exename);

// The state file: Windows directory + "\ostrel_launcher.ini".
std::string LauncherStatePath(const LauncherState& state);
// A number of the state file (read with size 10 and default "0").
int32_t LauncherStateReadNumber(const LauncherState& state, const std::string& section,
                                const char* key);
// Writes "doneeula" for every product and "doneinstall" for state-tracked ones, each into the
// section named by the product's exename. Products sharing a section write the largest value among
// them. The Windows directory and the file are made when missing; an existing file is never
// emptied. False when some write failed (the launcher carries on all the same).
bool LauncherStateWrite(const LauncherState& state);

// The start-up decisions after the configuration was read: the state file, the installed state of
// every product, the uninstall commands from the registry, the early end for an installed
// state-tracked product, and the poll clock.
LauncherStart LauncherInstallStartup(LauncherState* state);

// The idle poll. Does its work at most once per interval of the poll clock, advancing the clock by
// one interval per run (so a pause is caught up one run per call). Returns 1 when it ran.
int LauncherPollInstalls(LauncherState* state, const LauncherWindowOps* window);
// Milliseconds until the poll has work to do (0 when it is due now), at most one interval; an
// idle loop may wait this long for events instead of spinning.
int32_t LauncherPollDelay(const LauncherState& state);
