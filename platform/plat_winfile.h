// Platform layer: files named by Windows-form paths (see plat_paths.h), as the launcher uses them.
//
// Handles are small non-negative integers; -1 means none. Only regular files open.
#pragma once
#include <cstddef>
#include <cstdint>

enum PlatOpenMode : int {
  kPlatOpenRead = 0,       // read only (a disc is read-only)
  kPlatOpenReadWrite = 1,  // an existing file, for reading and writing
  kPlatOpenCreate = 2,     // read and write; made empty when absent, never emptied when present
};

enum PlatSeekOrigin : int {
  kPlatSeekSet = 0,
  kPlatSeekCurrent = 1,
  kPlatSeekEnd = 2,
};

int plat_WinFileOpen(const char* windowsPath, PlatOpenMode mode);
// The new position, -1 on failure.
int64_t plat_WinFileSeek(int handle, int64_t offset, PlatSeekOrigin origin);
// Reads up to `count` bytes (fewer only at the end of the file); the number read, -1 on failure.
int64_t plat_WinFileRead(int handle, void* buffer, size_t count);
bool plat_WinFileClose(int handle);

// True for a regular file that can be opened for reading.
bool plat_WinFileExists(const char* windowsPath);
// True for an existing folder.
bool plat_WinDirectoryExists(const char* windowsPath);
// True for a regular file with execute permission.
bool plat_WinFileIsExecutable(const char* windowsPath);
