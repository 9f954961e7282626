// Files and data folders: whole-file reads and writes by bare name relative to a current data
// folder named by a logical path with ':' separators ("data:levels:amazon").
#pragma once
#include <cstddef>
#include <cstdint>

struct FileRecord {
  int32_t size;    // number of data bytes
  char name[256];  // the name as given (at most 255 characters), or its last component
  uint8_t* data;   // exactly size bytes, no terminator added; null in a record made for writing
};

enum : int32_t {
  kFileErrNoMemory = 2,
  kFileErrNothingToWrite = 5,
  kFileErrOpenRead = 5001,
  kFileErrCreate = 5002,
  kFileErrEmpty = 5003,
  kFileErrStackFull = 5004,
  kFileErrStackEmpty = 5005,
};

constexpr int kFolderPathSize = 4096;
constexpr int kFolderStackDepth = 12;

extern char gCurrentFolder[kFolderPathSize];
extern int32_t gFolderDepth;

FileRecord* wre_FileLoad(const char* name, uint8_t strip);
FileRecord* wre_FileNew(const char* name);
int32_t wre_FileSave(FileRecord* record, const void* data, int32_t count);
void wre_FileDispose(FileRecord* record);

// Makes the logical path the current folder (null clears it). A path that does not fit the folder
// buffer is refused with kWreErrRange and the current folder stays as it was.
int32_t wre_FolderSet(const char* path);
// The path under which the name opens in the current folder ("data/levels/amazon/texture.codx"),
// for messages; false (out empty) when it does not fit.
bool wre_FilePathOf(const char* name, char* out, size_t size);
// The file a failed load was about, kept for the message that reports the failure. The engine's
// loaders note the file of the current folder they could not load or found damaged (a texture
// list the picture in it that failed, else itself), and a caller may note its own the same way. A
// caller clears the note before a step whose failure it reports and reads it after the failure:
// the path under which the file opens, or empty when nothing was noted.
void wre_FileNoteFailed(const char* name);
const char* wre_FileFailed();
void wre_FileFailedClear();
int32_t wre_FolderPush();
int32_t wre_FolderPop();

int32_t wre_FileGetLastError();
int32_t wre_FileSetLastError(int32_t code);
