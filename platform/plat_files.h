// Platform layer: files and paths.
//
// Paths use '/' (a '\' from data files is taken as '/'). Relative paths are relative to the
// current directory, which the programs set to their own folder at start. Every path component
// that does not exist as spelled is looked up again without regard to ASCII letter case, since the
// data tree mixes ".BMP" and ".bmp".
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

// Finds the file or folder the path names, matching components without regard to case.
// Returns false when some component does not exist; `resolved` then holds the path as far as it
// was found followed by the rest as given (a name for creating a new file).
bool plat_ResolvePath(const char* path, std::string* resolved);

// fopen through plat_ResolvePath. Null when the file cannot be opened.
FILE* plat_FileOpen(const char* path, const char* mode);

// Writes the whole file atomically: the bytes go to a temporary file of this save's own in the
// same folder, "<name>.<process id>.<n>.tmp" (so that two programs saving one file never write
// into the same temporary), made with the old file's permissions or 0666 less the umask; every
// write and the close are checked, then the temporary file replaces the target and the folder is
// synced so that the rename lasts. An existing file whose name differs only in case is replaced.
// False (the target untouched and the temporary removed) on any failure.
bool plat_FileSaveWhole(const char* path, const void* data, size_t count);

// The folder of the running program (ends without '/'), and making it the current directory.
std::string plat_ProgramFolder();
bool plat_EnterProgramFolder();
