// Platform layer: Windows-form paths, the drive map, the program's own file name, the launcher's
// folder and the Windows directory.
//
// The launcher keeps its paths in Windows form ("\" separators, an optional drive letter) so that
// its string rules apply literally. Paths become native only here, at the platform boundary:
//  - leading and trailing blanks are dropped;
//  - "\" becomes "/";
//  - "X:" goes through the drive map (an unmapped drive is not found);
//  - each component matches exactly or else without regard to ASCII case (discs carry upper-case
//    names).
// A path without a drive letter that starts with "\" is a native absolute path; any other path is
// relative to the process's current folder (callers join relative paths onto their own base
// first).
//
// Locations are set through these functions. Two environment variables are read, XDG_STATE_HOME and
// HOME, and only to name the launcher's folder (plat_LauncherFolder), which holds the Windows
// directory and the registry store unless they are set elsewhere.
#pragma once
#include <string>

// Maps drive letter `letter` (either case) to a native folder; a null or empty root removes it.
void plat_PathsSetDrive(char letter, const char* nativeRoot);
void plat_PathsClearDrives();

// True when `path` starts with a drive letter and a colon.
bool plat_PathHasDrive(const std::string& path);
// True for "\..." and "X:..." paths (the ones not joined onto a base folder).
bool plat_PathIsAbsolute(const std::string& path);
// `base` + "\" + `path`, or `path` alone when it is absolute or `base` is empty. Blanks around
// `path` are dropped; an empty `path` gives `base`.
std::string plat_PathJoin(const std::string& base, const std::string& path);

// The native form of a Windows-form path. False for an empty path and an unmapped drive.
bool plat_PathToNative(const std::string& windowsPath, std::string* native);
// The Windows form of a native path: a mapped drive root becomes its letter, "/" becomes "\".
std::string plat_PathFromNative(const std::string& native);

// The full file name of the running program in Windows form (GetModuleFileName). It is
// /proc/self/exe (a symlinked program resolves to its target) unless a name was set.
// False when the name cannot be had.
bool plat_ModuleFileName(std::string* windowsPath);
// Makes the folder of the running program (as plat_ModuleFileName names it) the current folder.
// False when it cannot be found or entered.
bool plat_UseProgramFolder();
// Sets the program's file name as a native path; null or empty returns to /proc/self/exe.
void plat_SetModuleFileName(const char* nativePath);

// The launcher's own folder, a native path, by the XDG base directory rule for state files:
// "$XDG_STATE_HOME/cdfront", else "$HOME/.local/state/cdfront", else ".local/state/cdfront" below
// the home folder the password database gives (/tmp when it gives none). A variable that is unset,
// empty or not an absolute path is passed over. It is not created by asking for it.
std::string plat_LauncherFolder();

// The Windows directory in Windows form, without a trailing "\" (GetWindowsDirectory). It is the
// folder set with plat_SetWindowsDirectory, else "windows" in the launcher's folder. It is not
// created by asking for it.
std::string plat_WindowsDirectory();
std::string plat_WindowsDirectoryNative();
// Sets the Windows directory as a native folder; null or empty returns to the default.
void plat_SetWindowsDirectory(const char* nativeFolder);
// Creates the Windows directory with its parents when missing. False when it cannot.
bool plat_WindowsDirectoryCreate();
