#include "engine/core/files.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "engine/core/memory.h"
#include "engine/core/wre_types.h"
#include "platform/plat_files.h"

char gCurrentFolder[kFolderPathSize];
int32_t gFolderDepth = 0;

namespace {

char gFolderStack[kFolderStackDepth][kFolderPathSize];
int32_t gFileLastError = 0;
char gFileFailed[kFolderPathSize + 256];

// The current folder followed by the name; false when the whole path does not fit.
bool FullPath(const char* name, char (&path)[kFolderPathSize + 256]) {
  int n = std::snprintf(path, sizeof(path), "%s%s", gCurrentFolder, name);
  return n >= 0 && static_cast<size_t>(n) < sizeof(path);
}

void CopyName(char (&field)[256], const char* name) {
  std::strncpy(field, name, sizeof(field) - 1);
  field[sizeof(field) - 1] = '\0';
}

// Drops everything up to and including the last occurrence of each separator, in this order.
void StripFolders(char* name) {
  for (char separator : {':', '/', '\\'}) {
    char* last = std::strrchr(name, separator);
    if (last) std::memmove(name, last + 1, std::strlen(last + 1) + 1);
  }
}

}  // namespace

FileRecord* wre_FileLoad(const char* name, uint8_t strip) {
  char path[kFolderPathSize + 256];
  if (!name || !FullPath(name, path)) {
    gFileLastError = kFileErrOpenRead;
    return nullptr;
  }
  FILE* file = plat_FileOpen(path, "rb");
  if (!file) {
    gFileLastError = kFileErrOpenRead;
    return nullptr;
  }
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  if (size < 1 || size > 0x7ffffff0L) {
    std::fclose(file);
    gFileLastError = size < 1 ? kFileErrEmpty : kFileErrOpenRead;
    return nullptr;
  }
  if (std::fseek(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    gFileLastError = kFileErrOpenRead;
    return nullptr;
  }
  auto* data = static_cast<uint8_t*>(TrackedAlloc(static_cast<int32_t>(size)));
  size_t got = std::fread(data, 1, static_cast<size_t>(size), file);
  std::fclose(file);
  if (got != static_cast<size_t>(size)) {
    // A file that shrank or failed while being read is not handed out half filled.
    TrackedFree(data);
    gFileLastError = kFileErrOpenRead;
    return nullptr;
  }
  auto* record = static_cast<FileRecord*>(TrackedAlloc(sizeof(FileRecord)));
  TrackedClear(record, sizeof(FileRecord));
  record->size = static_cast<int32_t>(size);
  record->data = data;
  CopyName(record->name, name);
  if (strip) StripFolders(record->name);
  return record;
}

FileRecord* wre_FileNew(const char* name) {
  auto* record = static_cast<FileRecord*>(TrackedAlloc(sizeof(FileRecord)));
  if (!record) {
    gFileLastError = kFileErrNoMemory;
    return nullptr;
  }
  TrackedClear(record, sizeof(FileRecord));
  CopyName(record->name, name ? name : "");
  return record;
}

int32_t wre_FileSave(FileRecord* record, const void* data, int32_t count) {
  if (!data || count < 1) {
    gFileLastError = kFileErrNothingToWrite;
    return kFileErrNothingToWrite;
  }
  char path[kFolderPathSize + 256];
  // A failed create is only returned: it also clears the last error, so no older failure is left
  // behind for a later fetch to take as the reason.
  if (!record || !FullPath(record->name, path) ||
      !plat_FileSaveWhole(path, data, static_cast<size_t>(count))) {
    gFileLastError = 0;
    return kFileErrCreate;
  }
  return 0;
}

void wre_FileDispose(FileRecord* record) {
  if (!record) return;
  TrackedFree(record->data);
  TrackedFree(record);
}

bool wre_FilePathOf(const char* name, char* out, size_t size) {
  if (!out || size == 0) return false;
  const int n = std::snprintf(out, size, "%s%s", gCurrentFolder, name ? name : "");
  if (n >= 0 && static_cast<size_t>(n) < size) return true;
  out[0] = '\0';
  return false;
}

void wre_FileNoteFailed(const char* name) { wre_FilePathOf(name, gFileFailed, sizeof gFileFailed); }

const char* wre_FileFailed() { return gFileFailed; }

void wre_FileFailedClear() { gFileFailed[0] = '\0'; }

int32_t wre_FolderSet(const char* path) {
  if (!path) {
    std::memset(gCurrentFolder, 0, sizeof(gCurrentFolder));
    return 0;
  }
  size_t length = std::strlen(path);
  if (length + 2 > sizeof(gCurrentFolder)) return kWreErrRange;
  std::memset(gCurrentFolder, 0, sizeof(gCurrentFolder));
  for (size_t i = 0; i < length; ++i) gCurrentFolder[i] = path[i] == ':' ? '/' : path[i];
  gCurrentFolder[length] = '/';
  return 0;
}

int32_t wre_FolderPush() {
  if (gFolderDepth >= kFolderStackDepth) return kFileErrStackFull;
  std::memcpy(gFolderStack[gFolderDepth], gCurrentFolder, sizeof(gCurrentFolder));
  ++gFolderDepth;
  return 0;
}

int32_t wre_FolderPop() {
  if (gFolderDepth <= 0) return kFileErrStackEmpty;
  std::memcpy(gCurrentFolder, gFolderStack[gFolderDepth - 1], sizeof(gCurrentFolder));
  --gFolderDepth;
  return 0;
}

int32_t wre_FileGetLastError() {
  int32_t code = gFileLastError;
  gFileLastError = 0;
  return code;
}

int32_t wre_FileSetLastError(int32_t code) {
  gFileLastError = code;
  return code;
}
